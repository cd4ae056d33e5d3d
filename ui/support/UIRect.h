#pragma once

#include <windows.h>
#include "ui/support/UIString.h"

namespace Veneer {

// Rectangle in window client pixels (left, top, right, bottom; right and
// bottom exclusive).
class CUIRect : public tagRECT
{
public:
    CUIRect();
    CUIRect(const RECT& src);
    CUIRect(int iLeft, int iTop, int iRight, int iBottom);
    // Reads "left,top,right,bottom" (see FromString); all zero on failure.
    explicit CUIRect(LPCTSTR pstrValue);

    // "%ld,%ld,%ld,%ld"
    CUIString ToString() const;
    // Four decimal integers (optional blanks and sign before each), each pair
    // separated by exactly one character of any kind; text after the fourth
    // number is ignored. A missing number sets all four to zero and returns
    // false.
    bool FromString(LPCTSTR pstrValue);

    int GetWidth() const { return right - left; }
    int GetHeight() const { return bottom - top; }
    void Empty();
    bool IsNull() const;      // all four are zero
    bool IsEmpty() const;     // no area (width or height <= 0)
    bool Contains(POINT pt) const;

    // Grows to cover rc too, whatever either side's emptiness.
    void Join(const RECT& rc);
    void ResetOffset();       // moves the top-left corner to 0,0
    void Normalize();         // swaps edges so that left <= right, top <= bottom
    void Offset(int cx, int cy);
    void Inflate(int cx, int cy);
    void Deflate(int cx, int cy);
    // Smallest rectangle containing both; an empty side does not count.
    void Union(const CUIRect& rc);
    // Common part of both; empty (all zero) when they do not overlap.
    bool Intersect(const RECT& rc);

    bool operator==(const RECT& rc) const;
    bool operator!=(const RECT& rc) const { return !(*this == rc); }
};

} // namespace Veneer
