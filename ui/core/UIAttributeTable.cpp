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
    // In the order of EAttrKind.
    static const LPCTSTR names[] = {L"bool", L"int",  L"size", L"rect", L"colour", L"align words", L"image descriptor",
                                    L"text", L"word", L"bool or percents", L"attribute list"};
    const auto index = static_cast<size_t>(kind);
    return index < sizeof(names) / sizeof(names[0]) ? names[index] : L"";
}

} // namespace Veneer
