#include "ui/support/UIRect.h"

#include "ui/support/UINumberList.h"

namespace Veneer {

CUIRect::CUIRect()
{
    Empty();
}

CUIRect::CUIRect(const RECT& src)
{
    left = src.left;
    top = src.top;
    right = src.right;
    bottom = src.bottom;
}

CUIRect::CUIRect(int iLeft, int iTop, int iRight, int iBottom)
{
    left = iLeft;
    top = iTop;
    right = iRight;
    bottom = iBottom;
}

CUIRect::CUIRect(LPCTSTR pstrValue)
{
    FromString(pstrValue);
}

CUIString CUIRect::ToString() const
{
    CUIString sText;
    sText.SmallFormat(L"%ld,%ld,%ld,%ld", left, top, right, bottom);
    return sText;
}

bool CUIRect::FromString(LPCTSTR pstrValue)
{
    LONG values[4];
    bool bOk = ReadNumberList(pstrValue, values, 4);
    left = values[0];
    top = values[1];
    right = values[2];
    bottom = values[3];
    return bOk;
}

void CUIRect::Empty()
{
    left = top = right = bottom = 0;
}

bool CUIRect::IsNull() const
{
    return left == 0 && top == 0 && right == 0 && bottom == 0;
}

bool CUIRect::IsEmpty() const
{
    return right <= left || bottom <= top;
}

bool CUIRect::Contains(POINT pt) const
{
    return pt.x >= left && pt.x < right && pt.y >= top && pt.y < bottom;
}

void CUIRect::Join(const RECT& rc)
{
    if (rc.left < left)
        left = rc.left;
    if (rc.top < top)
        top = rc.top;
    if (rc.right > right)
        right = rc.right;
    if (rc.bottom > bottom)
        bottom = rc.bottom;
}

void CUIRect::ResetOffset()
{
    Offset(-left, -top);
}

void CUIRect::Normalize()
{
    if (left > right)
    {
        LONG t = left;
        left = right;
        right = t;
    }
    if (top > bottom)
    {
        LONG t = top;
        top = bottom;
        bottom = t;
    }
}

void CUIRect::Offset(int cx, int cy)
{
    left += cx;
    right += cx;
    top += cy;
    bottom += cy;
}

void CUIRect::Inflate(int cx, int cy)
{
    left -= cx;
    right += cx;
    top -= cy;
    bottom += cy;
}

void CUIRect::Deflate(int cx, int cy)
{
    Inflate(-cx, -cy);
}

void CUIRect::Union(const CUIRect& rc)
{
    if (rc.IsEmpty())
        return;
    if (IsEmpty())
    {
        *this = rc;
        return;
    }
    Join(rc);
}

bool CUIRect::Intersect(const RECT& rc)
{
    CUIRect r(left > rc.left ? left : rc.left, top > rc.top ? top : rc.top,
              right < rc.right ? right : rc.right, bottom < rc.bottom ? bottom : rc.bottom);
    if (r.IsEmpty())
    {
        Empty();
        return false;
    }
    *this = r;
    return true;
}

bool CUIRect::operator==(const RECT& rc) const
{
    return left == rc.left && top == rc.top && right == rc.right && bottom == rc.bottom;
}

} // namespace Veneer
