#include "ui/support/UIPoint.h"

#include <windowsx.h>

#include "ui/support/UINumberList.h"

namespace Veneer {

CUIPoint::CUIPoint()
{
    x = y = 0;
}

CUIPoint::CUIPoint(const POINT& src)
{
    x = src.x;
    y = src.y;
}

CUIPoint::CUIPoint(int iX, int iY)
{
    x = iX;
    y = iY;
}

CUIPoint::CUIPoint(LPARAM lParam)
{
    x = GET_X_LPARAM(lParam);
    y = GET_Y_LPARAM(lParam);
}

CUIPoint::CUIPoint(LPCTSTR pstrValue)
{
    FromString(pstrValue);
}

CUIString CUIPoint::ToString() const
{
    CUIString sText;
    sText.SmallFormat(L"%ld,%ld", x, y);
    return sText;
}

bool CUIPoint::FromString(LPCTSTR pstrValue)
{
    LONG values[2];
    bool bOk = ReadNumberList(pstrValue, values, 2);
    x = values[0];
    y = values[1];
    return bOk;
}

} // namespace Veneer
