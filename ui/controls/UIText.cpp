#include "ui/controls/UIText.h"

#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"

namespace Veneer {

CTextUI::CTextUI()
    : m_nLinks(0),
      m_nHoverLink(-1)
{
    m_uTextStyle = DT_VCENTER | DT_SINGLELINE | DT_WORDBREAK;
    m_rcTextPadding.left = 2;
    m_rcTextPadding.right = 2;
    for (RECT& rc : m_rcLinks) ::SetRectEmpty(&rc);
    for (int& ordinal : m_aLinkOrdinals) ordinal = -1;
}

CTextUI::~CTextUI() = default;

LPCTSTR CTextUI::GetClass() const
{
    return L"Text";
}

LPVOID CTextUI::GetInterface(LPCTSTR pstrName)
{
    if (_wcsicmp(pstrName, L"Text") == 0) return static_cast<CTextUI*>(this);
    return CLabelUI::GetInterface(pstrName);
}

UINT CTextUI::GetControlFlags() const
{
    return (IsEnabled() && m_nLinks > 0) ? UIFLAG_SETCURSOR : 0;
}

CUIString* CTextUI::GetLinkContent(int iIndex)
{
    if (iIndex < 0 || iIndex >= m_nLinks) return nullptr;
    return &m_sLinks[iIndex];
}

RECT CTextUI::GetLinkRect(int iIndex) const
{
    RECT rc = {0, 0, 0, 0};
    if (iIndex >= 0 && iIndex < m_nLinks) rc = m_rcLinks[iIndex];
    return rc;
}

int CTextUI::LinkAt(POINT pt) const
{
    for (int i = 0; i < m_nLinks; ++i) {
        if (::PtInRect(&m_rcLinks[i], pt)) return i;
    }
    return -1;
}

void CTextUI::DoEvent(TEventUI& event)
{
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (LinkAt(event.ptMouse) >= 0) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (event.Type == UIEVENT_DBLCLICK && !IsEnabled()) break;
        if (LinkAt(event.ptMouse) >= 0) {
            Invalidate();
            return;
        }
        break;
    case UIEVENT_BUTTONUP:
        if (IsEnabled()) {
            const int iLink = LinkAt(event.ptMouse);
            if (iLink >= 0) {
                if (m_pManager != nullptr) m_pManager->SendNotify(this, L"link", static_cast<WPARAM>(iLink));
                return;
            }
        }
        break;
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_MOUSEMOVE: {
        const int iLink = LinkAt(event.ptMouse);
        if (iLink != m_nHoverLink) {
            m_nHoverLink = iLink;
            Invalidate();
        }
        if (m_nLinks > 0) return;
        break;
    }
    case UIEVENT_MOUSELEAVE:
        if (m_nHoverLink >= 0) {
            m_nHoverLink = -1;
            Invalidate();
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

SIZE CTextUI::EstimateSize(SIZE szAvailable)
{
    if (m_pManager == nullptr) return CControlUI::EstimateSize(szAvailable);
    const RECT rcPadding = GetScaledTextPadding();
    RECT rcText = {0, 0, m_bAutoCalcWidth ? 9999 : GetFixedWidth(), 9999};
    rcText.right -= rcPadding.left + rcPadding.right;
    if (rcText.right < 0) rcText.right = 0;
    MeasureText(rcText, 0);
    if (m_bAutoCalcWidth) {
        const int nScale = static_cast<int>(m_pManager->GetDPIObj()->GetScale());
        m_cxyFixed.cx = ::MulDiv(rcText.right - rcText.left + rcPadding.left + rcPadding.right, 100, nScale);
    }
    return CControlUI::EstimateSize(szAvailable);
}

void CTextUI::PaintText(HDC hDC)
{
    ResolveDefaultColors();
    const CUIString sText = GetText();
    if (sText.IsEmpty()) {
        m_nLinks = 0;
        return;
    }
    // The links' rectangles are kept from paint to paint for hit-testing.
    RECT rc = TextRect(m_rcTextPadding);
    const DWORD dwColor = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if (m_bShowHtml) {
        m_nLinks = MAX_LINK;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, sText, dwColor, m_rcLinks, m_sLinks, m_nLinks, m_iFont,
                                    m_uTextStyle, m_aLinkOrdinals);
    } else {
        m_nLinks = 0;
        CRenderEngine::DrawText(hDC, m_pManager, rc, sText, dwColor, m_iFont, m_uTextStyle);
    }
    if (m_nHoverLink >= m_nLinks) m_nHoverLink = -1;
}

} // namespace Veneer
