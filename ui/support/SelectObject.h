#pragma once

#include <windows.h>

namespace Veneer {

// Selects a pen, brush, font or bitmap into a DC for the lifetime of the scope and puts back what
// was there before. Not for regions: SelectObject answers a region with a kind, not a handle,
// so there is nothing to put back (clip regions go through SelectClipRgn).
class CSelectObject
{
public:
    // A null DC or object selects nothing.
    CSelectObject(HDC hDC, HGDIOBJ hObj);
    ~CSelectObject();
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

    // False when the object could not be selected (the DC keeps what it had).
    bool IsSelected() const { return m_hOld != nullptr; }

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

} // namespace Veneer
