#include "ui/controls/UIHorizontalLayout.h"

#include "ui/core/UIAttributeTable.h"
#include <stdlib.h>
#include <wchar.h>

namespace Veneer {

CHorizontalLayoutUI::CHorizontalLayoutUI() {}

LPCTSTR CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }

LPVOID CHorizontalLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != nullptr && _wcsicmp(pstrName, L"HorizontalLayout") == 0) return static_cast<CHorizontalLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CHorizontalLayoutUI::GetControlFlags() const
{
    return (IsEnabled() && m_separator.iSize != 0) ? UIFLAG_SETCURSOR : 0;
}

void CHorizontalLayoutUI::SetSepWidth(int iWidth) { m_separator.iSize = iWidth; }
int CHorizontalLayoutUI::GetSepWidth() const { return ScaleValue(m_separator.iSize); }
void CHorizontalLayoutUI::SetSepImmMode(bool bImmediately) { m_separator.bImmMode = bImmediately; }
bool CHorizontalLayoutUI::IsSepImmMode() const { return m_separator.bImmMode; }

const CAttributeTable& CHorizontalLayoutUI::AttributeTable()
{
    using H = CHorizontalLayoutUI;
    using K = EAttrKind;
    static const TAttribute rows[] = {
        Row<H, K::Int, &H::SetSepWidth, &H::GetSepWidth>(L"sepwidth"),
        Row<H, K::Bool, &H::SetSepImmMode, &H::IsSepImmMode>(L"sepimm"),
    };
    static const CAttributeTable table(L"HorizontalLayout", rows, &CContainerUI::AttributeTable());
    return table;
}

VENEER_ATTRIBUTE_MEMBERS(CHorizontalLayoutUI, CContainerUI)

void CHorizontalLayoutUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    LayoutLinear(false, m_rcItem, true, nullptr, nullptr);
}

bool CHorizontalLayoutUI::CalcPos(CControlUI* pChildControl, RECT& rcPos)
{
    if (pChildControl == nullptr || pChildControl->IsFloat() || GetItemIndex(pChildControl) < 0) return false;
    return LayoutLinear(false, m_rcItem, false, pChildControl, &rcPos);
}

RECT CHorizontalLayoutUI::GetThumbRect(bool bUseNew) const { return SeparatorRect(false, bUseNew); }

void CHorizontalLayoutUI::DoEvent(TEventUI& event)
{
    if (SeparatorEvent(false, event)) return;
    CContainerUI::DoEvent(event);
}

void CHorizontalLayoutUI::DoPostPaint(HDC hDC, const RECT& /*rcPaint*/)
{
    SeparatorPostPaint(false, hDC);
}

} // namespace Veneer
