#include "ui/controls/UILabel.h"

#include "ui/core/UIAttributeTable.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"

namespace Veneer {

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

const CAttributeTable& CLabelUI::AttributeTable()
{
    using L = CLabelUI;
    using K = EAttrKind;
    static const TAttribute rows[] = {
        {L"align", K::Align, 0, [](CControlUI& c, LPCTSTR v) { static_cast<L&>(c).SetAlignWords(v); }, nullptr},
        {L"valign", K::Align, 0, [](CControlUI& c, LPCTSTR v) { static_cast<L&>(c).SetVAlignWords(v); }, nullptr},
        {L"endellipsis", K::Bool, 0,
         [](CControlUI& c, LPCTSTR v) { static_cast<L&>(c).SetStyleBit(DT_END_ELLIPSIS, CAttributeValue::Bool(v)); },
         nullptr},
        {L"wordbreak", K::Bool, 0,
         [](CControlUI& c, LPCTSTR v) { static_cast<L&>(c).SetWordBreak(CAttributeValue::Bool(v)); }, nullptr},
        {L"noprefix", K::Bool, 0,
         [](CControlUI& c, LPCTSTR v) { static_cast<L&>(c).SetStyleBit(DT_NOPREFIX, CAttributeValue::Bool(v)); },
         nullptr},
        Row<L, K::Int, &L::SetFont, &L::GetFont>(L"font"),
        Row<L, K::Color, &L::SetTextColor, &L::GetTextColor>(L"textcolor"),
        Row<L, K::Color, &L::SetDisabledTextColor, &L::GetDisabledTextColor>(L"disabledtextcolor"),
        {L"textpadding", K::Rect, 0, [](CControlUI& c, LPCTSTR v) { static_cast<L&>(c).SetTextPadding(CUIRect(v)); },
         &GetThrough<L, K::Rect, &L::GetTextPadding>},
        Row<L, K::Bool, &L::SetShowHtml, &L::IsShowHtml>(L"showhtml"),
    };
    static const CAttributeTable table(L"Label", rows, &CControlUI::AttributeTable());
    return table;
}

const CAttributeTable& CLabelUI::GetAttributeTable() const
{
    return AttributeTable();
}

// Every word found changes the flags, so "left right" ends right-aligned.
void CLabelUI::SetAlignWords(LPCTSTR pstrValue)
{
    if (CAttributeValue::HasWord(pstrValue, L"left")) {
        m_uTextStyle &= ~(DT_CENTER | DT_RIGHT);
    }
    if (CAttributeValue::HasWord(pstrValue, L"center")) {
        m_uTextStyle &= ~DT_RIGHT;
        m_uTextStyle |= DT_CENTER;
    }
    if (CAttributeValue::HasWord(pstrValue, L"right")) {
        m_uTextStyle &= ~DT_CENTER;
        m_uTextStyle |= DT_RIGHT;
    }
}

// A vertical alignment only holds on a single line, so it also ends word breaking.
void CLabelUI::SetVAlignWords(LPCTSTR pstrValue)
{
    const UINT uClear = DT_VCENTER | DT_BOTTOM | DT_WORDBREAK | DT_SINGLELINE;
    if (CAttributeValue::HasWord(pstrValue, L"top")) {
        m_uTextStyle = (m_uTextStyle & ~uClear) | DT_TOP | DT_SINGLELINE;
    } else if (CAttributeValue::HasWord(pstrValue, L"vcenter")) {
        m_uTextStyle = (m_uTextStyle & ~uClear) | DT_VCENTER | DT_SINGLELINE;
    } else if (CAttributeValue::HasWord(pstrValue, L"bottom")) {
        m_uTextStyle = (m_uTextStyle & ~uClear) | DT_BOTTOM | DT_SINGLELINE;
    }
}

void CLabelUI::SetStyleBit(UINT uBit, bool bOn)
{
    if (bOn)
        m_uTextStyle |= uBit;
    else
        m_uTextStyle &= ~uBit;
}

void CLabelUI::SetWordBreak(bool bWordBreak)
{
    if (bWordBreak) {
        m_uTextStyle &= ~DT_SINGLELINE;
        m_uTextStyle |= DT_WORDBREAK | DT_EDITCONTROL;
    } else {
        m_uTextStyle &= ~(DT_WORDBREAK | DT_EDITCONTROL);
        m_uTextStyle |= DT_SINGLELINE;
    }
}

void CLabelUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (!AttributeTable().Apply(*this, pstrName, pstrValue)) CControlUI::SetAttribute(pstrName, pstrValue);
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
