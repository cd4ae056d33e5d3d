#include "ui/controls/UIVerticalLayout.h"

#include "ui/core/UIAttributeTable.h"
#include <stdlib.h>
#include <wchar.h>

namespace Veneer {

CVerticalLayoutUI::CVerticalLayoutUI() {}

LPCTSTR CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }

LPVOID CVerticalLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != nullptr && _wcsicmp(pstrName, L"VerticalLayout") == 0) return static_cast<CVerticalLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CVerticalLayoutUI::GetControlFlags() const
{
    return (IsEnabled() && m_separator.iSize != 0) ? UIFLAG_SETCURSOR : 0;
}

void CVerticalLayoutUI::SetSepHeight(int iHeight) { m_separator.iSize = iHeight; }
int CVerticalLayoutUI::GetSepHeight() const { return ScaleValue(m_separator.iSize); }
void CVerticalLayoutUI::SetSepImmMode(bool bImmediately) { m_separator.bImmMode = bImmediately; }
bool CVerticalLayoutUI::IsSepImmMode() const { return m_separator.bImmMode; }

const CAttributeTable& CVerticalLayoutUI::AttributeTable()
{
    using V = CVerticalLayoutUI;
    using K = EAttrKind;
    static const TAttribute rows[] = {
        Row<V, K::Int, &V::SetSepHeight, &V::GetSepHeight>(L"sepheight"),
        Row<V, K::Bool, &V::SetSepImmMode, &V::IsSepImmMode>(L"sepimm"),
    };
    static const CAttributeTable table(L"VerticalLayout", rows, &CContainerUI::AttributeTable());
    return table;
}

VENEER_ATTRIBUTE_MEMBERS(CVerticalLayoutUI, CContainerUI)

void CVerticalLayoutUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    LayoutLinear(true, m_rcItem, true, nullptr, nullptr);
}

bool CVerticalLayoutUI::CalcPos(CControlUI* pChildControl, RECT& rcPos)
{
    if (pChildControl == nullptr || pChildControl->IsFloat() || GetItemIndex(pChildControl) < 0) return false;
    return LayoutLinear(true, m_rcItem, false, pChildControl, &rcPos);
}

RECT CVerticalLayoutUI::GetThumbRect(bool bUseNew) const { return SeparatorRect(true, bUseNew); }

void CVerticalLayoutUI::DoEvent(TEventUI& event)
{
    if (SeparatorEvent(true, event)) return;
    CContainerUI::DoEvent(event);
}

void CVerticalLayoutUI::DoPostPaint(HDC hDC, const RECT& /*rcPaint*/)
{
    SeparatorPostPaint(true, hDC);
}

} // namespace Veneer
