#pragma once

#include <windows.h>
#include "ui/support/UIString.h"

namespace Veneer {

// Point in window client pixels.
class CUIPoint : public tagPOINT
{
public:
    CUIPoint();
    CUIPoint(const POINT& src);
    CUIPoint(int x, int y);
    // Signed coordinates packed in a mouse message's lParam.
    explicit CUIPoint(LPARAM lParam);
    // Reads "x,y" (see FromString); all zero on failure.
    explicit CUIPoint(LPCTSTR pstrValue);

    // "%ld,%ld"
    CUIString ToString() const;
    // Two decimal integers separated by exactly one character; a missing
    // number sets both to zero and returns false.
    bool FromString(LPCTSTR pstrValue);

    bool operator==(const POINT& pt) const { return x == pt.x && y == pt.y; }
    bool operator!=(const POINT& pt) const { return !(*this == pt); }
};

} // namespace Veneer
