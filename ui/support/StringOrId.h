#pragma once

#include <windows.h>

namespace Veneer {

// An argument that names a module resource either by text or by a 16-bit
// integer id. Any value below 0x10000 in the name slot is an id (the
// MAKEINTRESOURCE convention), so the pointer can go straight to FindResource.
// The text is not copied: it must outlive the call that receives it.
class STRINGorID
{
public:
    STRINGorID(LPCTSTR lpString) : m_lpstr(lpString) {}
    STRINGorID(UINT nID) : m_lpstr(MAKEINTRESOURCE(nID)) {}

    bool IsId() const { return IS_INTRESOURCE(m_lpstr); }
    WORD GetId() const { return IsId() ? LOWORD(reinterpret_cast<ULONG_PTR>(m_lpstr)) : 0; }
    // The text, or null for an id.
    LPCTSTR GetString() const { return IsId() ? nullptr : m_lpstr; }

    LPCTSTR m_lpstr;
};

} // namespace Veneer
