#pragma once

#include <windows.h>
#include "ui/support/UIString.h"

namespace Veneer {

// Size in window client pixels.
class CUISize : public tagSIZE
{
public:
    CUISize();
    CUISize(const SIZE& src);
    CUISize(const RECT& rc);   // width and height of rc
    CUISize(int cx, int cy);
    // Reads "cx,cy" (see FromString); all zero on failure.
    explicit CUISize(LPCTSTR pstrValue);

    // "%ld,%ld"
    CUIString ToString() const;
    // Two decimal integers separated by exactly one character; a missing
    // number sets both to zero and returns false.
    bool FromString(LPCTSTR pstrValue);

    bool operator==(const SIZE& sz) const { return cx == sz.cx && cy == sz.cy; }
    bool operator!=(const SIZE& sz) const { return !(*this == sz); }
};

} // namespace Veneer
