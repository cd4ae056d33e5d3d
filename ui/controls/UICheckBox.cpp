#include "ui/controls/UICheckBox.h"

#include "ui/core/UIAttributeTable.h"
#include "ui/core/UIManager.h"

namespace Veneer {

namespace {

bool IsMouseEvent(int type)
{
    return type > UIEVENT__MOUSEBEGIN && type < UIEVENT__MOUSEEND;
}

} // namespace

CCheckBoxUI::CCheckBoxUI()
    : m_bAutoCheck(false)
{
}

LPCTSTR CCheckBoxUI::GetClass() const
{
    return L"CheckBoxUI";
}

LPVOID CCheckBoxUI::GetInterface(LPCTSTR pstrName)
{
    if (_wcsicmp(pstrName, L"CheckBox") == 0) return static_cast<CCheckBoxUI*>(this);
    return COptionUI::GetInterface(pstrName);
}

void CCheckBoxUI::SetCheck(bool bCheck)
{
    Selected(bCheck, true);
}

bool CCheckBoxUI::GetCheck() const
{
    return IsSelected();
}

void CCheckBoxUI::SetAutoCheck(bool bEnable)
{
    m_bAutoCheck = bEnable;
}

bool CCheckBoxUI::IsAutoCheck() const
{
    return m_bAutoCheck;
}

void CCheckBoxUI::Selected(bool bSelected, bool bTriggerEvent)
{
    if (m_bSelected == bSelected) return;
    SetSelectedFlag(bSelected);
    if (m_pManager == nullptr) {
        Invalidate();
        return;
    }
    if (!m_sGroupName.IsEmpty()) {
        if (!m_bSelected) {
            Invalidate();
            return;
        }
        CStdPtrArray* pGroup = m_pManager->GetOptionGroup(m_sGroupName);
        for (int i = 0; pGroup != nullptr && i < pGroup->GetSize(); ++i) {
            auto* pControl = static_cast<CControlUI*>(pGroup->GetAt(i));
            if (pControl == this) continue;
            // Group members are always options; the lookup keeps a stray entry harmless.
            auto* pOption = static_cast<COptionUI*>(pControl->GetInterface(L"Option"));
            if (pOption != nullptr) pOption->Selected(false, true);
        }
    }
    if (!bTriggerEvent) {
        Invalidate();
        return;
    }
    m_pManager->SendNotify(this, L"selectchanged", IsSelected() ? 1 : 0);
    Invalidate();
}

void CCheckBoxUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (m_pParent != nullptr) m_pParent->DoEvent(event);
        else COptionUI::DoEvent(event);
        return;
    }
    if (m_bAutoCheck && (event.Type == UIEVENT_BUTTONDOWN || event.Type == UIEVENT_DBLCLICK)) {
        if (::PtInRect(&m_rcItem, event.ptMouse) && IsEnabled()) {
            SetCheck(!GetCheck());
            if (m_pManager != nullptr) m_pManager->SendNotify(this, L"checkclick");
            Invalidate();
        }
        return;
    }
    COptionUI::DoEvent(event);
}

const CAttributeTable& CCheckBoxUI::AttributeTable()
{
    using C = CCheckBoxUI;
    using K = EAttrKind;
    static const TAttribute rows[] = {
        // Stored as a custom attribute as well, where callers have always read it back.
        Row<C, K::Bool, &C::SetAutoCheck, &C::IsAutoCheck>(L"EnableAutoCheck", kAttrPassOn),
    };
    static const CAttributeTable table(L"CheckBox", rows, &COptionUI::AttributeTable());
    return table;
}

VENEER_ATTRIBUTE_MEMBERS(CCheckBoxUI, COptionUI)

} // namespace Veneer
