#include "ui/controls/UILabel.h"

#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"

namespace Veneer {

namespace {

bool IsTrue(LPCTSTR pstrValue)
{
    return _wcsicmp(pstrValue, L"true") == 0;
}

} // namespace

CLabelUI::CLabelUI()
    : m_dwTextColor(0),
      m_dwDisabledTextColor(0),
      m_iFont(-1),
      m_uTextStyle(DT_VCENTER | DT_SINGLELINE),
      m_bShowHtml(false)
{
    ::SetRectEmpty(&m_rcTextPadding);
}

LPCTSTR CLabelUI::GetClass() const
{
    return L"LabelUI";
}

LPVOID CLabelUI::GetInterface(LPCTSTR pstrName)
{
    if (_wcsicmp(pstrName, L"Label") == 0) return static_cast<CLabelUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

UINT CLabelUI::GetControlFlags() const
{
    return IsEnabled() ? UIFLAG_SETCURSOR : 0;
}

void CLabelUI::SetText(LPCTSTR pstrText)
{
    CControlUI::SetText(pstrText);
    // A label sized by its text needs its row laid out again for the new width.
    if (IsAutoCalcWidth()) NeedParentUpdate();
}

void CLabelUI::SetTextStyle(UINT uStyle)
{
    m_uTextStyle = uStyle;
    Invalidate();
}

UINT CLabelUI::GetTextStyle() const
{
    return m_uTextStyle;
}

void CLabelUI::SetTextColor(DWORD dwTextColor)
{
    m_dwTextColor = dwTextColor;
    Invalidate();
}

DWORD CLabelUI::GetTextColor() const
{
    return m_dwTextColor;
}

void CLabelUI::SetDisabledTextColor(DWORD dwTextColor)
{
    m_dwDisabledTextColor = dwTextColor;
    Invalidate();
}

DWORD CLabelUI::GetDisabledTextColor() const
{
    return m_dwDisabledTextColor;
}

void CLabelUI::SetFont(int index)
{
    m_iFont = index;
    Invalidate();
}

int CLabelUI::GetFont() const
{
    return m_iFont;
}

RECT CLabelUI::GetTextPadding() const
{
    return m_rcTextPadding;
}

RECT CLabelUI::GetScaledTextPadding() const
{
    RECT rc = m_rcTextPadding;
    rc.left = ScaleValue(rc.left);
    rc.top = ScaleValue(rc.top);
    rc.right = ScaleValue(rc.right);
    rc.bottom = ScaleValue(rc.bottom);
    return rc;
}

void CLabelUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

bool CLabelUI::IsShowHtml()
{
    return m_bShowHtml;
}

void CLabelUI::SetShowHtml(bool bShowHtml)
{
    if (m_bShowHtml == bShowHtml) return;
    m_bShowHtml = bShowHtml;
    Invalidate();
}

void CLabelUI::MeasureText(RECT& rc, UINT uExtraStyle)
{
    const CUIString sText = GetText();
    const UINT uStyle = m_uTextStyle | uExtraStyle | DT_CALCRECT;
    HDC hDC = m_pManager->GetPaintDC();
    if (m_bShowHtml) {
        int nLinks = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, sText, m_dwTextColor, nullptr, nullptr, nLinks, m_iFont,
                                    uStyle);
    } else {
        CRenderEngine::DrawText(hDC, m_pManager, rc, sText, m_dwTextColor, m_iFont, uStyle);
    }
}

SIZE CLabelUI::EstimateSize(SIZE szAvailable)
{
    if ((!m_bAutoCalcWidth && !m_bAutoCalcHeight) || m_pManager == nullptr) {
        return CControlUI::EstimateSize(szAvailable);
    }
    RECT rcText = {0, 0, szAvailable.cx, szAvailable.cy};
    MeasureText(rcText, 0);
    const RECT rcPadding = GetScaledTextPadding();
    const int nScale = static_cast<int>(m_pManager->GetDPIObj()->GetScale());
    if (m_bAutoCalcWidth) {
        const int cx = rcPadding.left + rcPadding.right + (rcText.right - rcText.left);
        m_cxyFixed.cx = ::MulDiv(cx, 100, nScale);
    }
    if (m_bAutoCalcHeight) {
        const int cy = rcPadding.top + rcPadding.bottom + (rcText.bottom - rcText.top);
        m_cxyFixed.cy = ::MulDiv(cy, 100, nScale);
    }
    SIZE sz = {GetFixedWidth(), GetFixedHeight()};
    return sz;
}

void CLabelUI::DoEvent(TEventUI& event)
{
    if (event.Type == UIEVENT_SETFOCUS) {
        m_bFocused = true;
        return;
    }
    if (event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = false;
        return;
    }
    CControlUI::DoEvent(event);
}

void CLabelUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (_wcsicmp(pstrName, L"align") == 0) {
        if (wcsstr(pstrValue, L"left") != nullptr) {
            m_uTextStyle &= ~(DT_CENTER | DT_RIGHT);
        }
        if (wcsstr(pstrValue, L"center") != nullptr) {
            m_uTextStyle &= ~DT_RIGHT;
            m_uTextStyle |= DT_CENTER;
        }
        if (wcsstr(pstrValue, L"right") != nullptr) {
            m_uTextStyle &= ~DT_CENTER;
            m_uTextStyle |= DT_RIGHT;
        }
    } else if (_wcsicmp(pstrName, L"valign") == 0) {
        const UINT uClear = DT_VCENTER | DT_BOTTOM | DT_WORDBREAK | DT_SINGLELINE;
        if (wcsstr(pstrValue, L"top") != nullptr) {
            m_uTextStyle = (m_uTextStyle & ~uClear) | DT_TOP | DT_SINGLELINE;
        } else if (wcsstr(pstrValue, L"vcenter") != nullptr) {
            m_uTextStyle = (m_uTextStyle & ~uClear) | DT_VCENTER | DT_SINGLELINE;
        } else if (wcsstr(pstrValue, L"bottom") != nullptr) {
            m_uTextStyle = (m_uTextStyle & ~uClear) | DT_BOTTOM | DT_SINGLELINE;
        }
    } else if (_wcsicmp(pstrName, L"endellipsis") == 0) {
        if (IsTrue(pstrValue)) m_uTextStyle |= DT_END_ELLIPSIS;
        else m_uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (_wcsicmp(pstrName, L"wordbreak") == 0) {
        if (IsTrue(pstrValue)) {
            m_uTextStyle &= ~DT_SINGLELINE;
            m_uTextStyle |= DT_WORDBREAK | DT_EDITCONTROL;
        } else {
            m_uTextStyle &= ~(DT_WORDBREAK | DT_EDITCONTROL);
            m_uTextStyle |= DT_SINGLELINE;
        }
    } else if (_wcsicmp(pstrName, L"noprefix") == 0) {
        if (IsTrue(pstrValue)) m_uTextStyle |= DT_NOPREFIX;
        else m_uTextStyle &= ~DT_NOPREFIX;
    } else if (_wcsicmp(pstrName, L"font") == 0) {
        SetFont(_wtoi(pstrValue));
    } else if (_wcsicmp(pstrName, L"textcolor") == 0) {
        SetTextColor(ParseColor(pstrValue, false));
    } else if (_wcsicmp(pstrName, L"disabledtextcolor") == 0) {
        SetDisabledTextColor(ParseColor(pstrValue, false));
    } else if (_wcsicmp(pstrName, L"textpadding") == 0) {
        SetTextPadding(CUIRect(pstrValue));
    } else if (_wcsicmp(pstrName, L"showhtml") == 0) {
        SetShowHtml(IsTrue(pstrValue));
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

void CLabelUI::ResolveDefaultColors()
{
    if (m_pManager == nullptr) return;
    if (m_dwTextColor == 0) m_dwTextColor = m_pManager->GetDefaultFontColor();
    if (m_dwDisabledTextColor == 0) m_dwDisabledTextColor = m_pManager->GetDefaultDisabledColor();
}

RECT CLabelUI::TextRect(const RECT& rcPadding) const
{
    RECT rc = m_rcItem;
    rc.left += rcPadding.left;
    rc.top += rcPadding.top;
    rc.right -= rcPadding.right;
    rc.bottom -= rcPadding.bottom;
    return rc;
}

void CLabelUI::DrawLabelText(HDC hDC, DWORD dwColor, int iFont)
{
    const CUIString sText = GetText();
    if (sText.IsEmpty()) return;
    RECT rc = TextRect(GetScaledTextPadding());
    if (m_bShowHtml) {
        int nLinks = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, sText, dwColor, nullptr, nullptr, nLinks, iFont,
                                    m_uTextStyle);
    } else {
        CRenderEngine::DrawText(hDC, m_pManager, rc, sText, dwColor, iFont, m_uTextStyle);
    }
}

void CLabelUI::PaintText(HDC hDC)
{
    ResolveDefaultColors();
    DrawLabelText(hDC, IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor, m_iFont);
}

} // namespace Veneer
