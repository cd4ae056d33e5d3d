#include "ui/core/UIAttributeTable.h"

#include <wchar.h>

namespace Veneer {

const TAttribute* CAttributeTable::Find(LPCTSTR pstrName) const
{
    if (pstrName == nullptr) return nullptr;
    for (size_t i = 0; i < m_nRows; ++i) {
        const TAttribute& row = m_pRows[i];
        bool bExact = (row.uFlags & kAttrExactCase) != 0;
        if ((bExact ? wcscmp(pstrName, row.pstrName) : _wcsicmp(pstrName, row.pstrName)) == 0) return &row;
    }
    return nullptr;
}

const TAttribute* CAttributeTable::FindInChain(LPCTSTR pstrName) const
{
    for (const CAttributeTable* p = this; p != nullptr; p = p->m_pBase) {
        const TAttribute* pRow = p->Find(pstrName);
        if (pRow != nullptr) return pRow;
    }
    return nullptr;
}

bool CAttributeTable::Apply(CControlUI& control, LPCTSTR pstrName, LPCTSTR pstrValue) const
{
    const TAttribute* pRow = Find(pstrName);
    if (pRow == nullptr) return false;
    pRow->pfnSet(control, pstrValue != nullptr ? pstrValue : L"");
    return (pRow->uFlags & kAttrPassOn) == 0;
}

LPCTSTR CAttributeTable::KindName(EAttrKind kind)
{
    switch (kind) {
    case EAttrKind::Bool:
        return L"bool";
    case EAttrKind::Int:
        return L"int";
    case EAttrKind::Size:
        return L"size";
    case EAttrKind::Rect:
        return L"rect";
    case EAttrKind::Color:
        return L"colour";
    case EAttrKind::Align:
        return L"align words";
    case EAttrKind::Image:
        return L"image descriptor";
    case EAttrKind::Text:
        return L"text";
    case EAttrKind::Choice:
        return L"word";
    case EAttrKind::Float:
        return L"bool or percents";
    case EAttrKind::AttrList:
        return L"attribute list";
    }
    return L"";
}

} // namespace Veneer
