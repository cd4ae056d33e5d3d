#include "ui/support/UISize.h"

#include "ui/support/UINumberList.h"

namespace Veneer {

CUISize::CUISize()
{
    cx = cy = 0;
}

CUISize::CUISize(const SIZE& src)
{
    cx = src.cx;
    cy = src.cy;
}

CUISize::CUISize(const RECT& rc)
{
    cx = rc.right - rc.left;
    cy = rc.bottom - rc.top;
}

CUISize::CUISize(int iCx, int iCy)
{
    cx = iCx;
    cy = iCy;
}

CUISize::CUISize(LPCTSTR pstrValue)
{
    FromString(pstrValue);
}

CUIString CUISize::ToString() const
{
    CUIString sText;
    sText.SmallFormat(L"%ld,%ld", cx, cy);
    return sText;
}

bool CUISize::FromString(LPCTSTR pstrValue)
{
    LONG values[2];
    bool bOk = ReadNumberList(pstrValue, values, 2);
    cx = values[0];
    cy = values[1];
    return bOk;
}

} // namespace Veneer
