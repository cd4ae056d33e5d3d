#include "ui/controls/UIScrollBar.h"

#include "ui/controls/UIButton.h"
#include "ui/controls/UIContainer.h"
#include "ui/core/UIAttributeTable.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"

namespace Veneer {

namespace {

const DWORD kFallbackFrameColor = 0xFF85E4FF;

bool IsMouseEvent(int type)
{
    return type > UIEVENT__MOUSEBEGIN && type < UIEVENT__MOUSEEND;
}

RECT EmptyRectAt(LONG x, LONG y)
{
    RECT rc = {x, y, x, y};
    return rc;
}

} // namespace

CScrollBarUI::CScrollBarUI()
    : m_bHorizontal(false),
      m_nRange(100),
      m_nScrollPos(0),
      m_nLineSize(8),
      m_pOwner(nullptr),
      m_nLastScrollPos(0),
      m_nLastScrollOffset(0),
      m_nScrollRepeatDelay(0),
      m_bShowButton1(true),
      m_bShowButton2(true),
      m_uButton1State(0),
      m_uButton2State(0),
      m_uThumbState(0)
{
    m_ptLastMouse.x = m_ptLastMouse.y = 0;
    ::SetRectEmpty(&m_rcButton1);
    ::SetRectEmpty(&m_rcButton2);
    ::SetRectEmpty(&m_rcThumb);
    m_cxyFixed.cx = 16;
}

LPCTSTR CScrollBarUI::GetClass() const
{
    return L"ScrollBarUI";
}

LPVOID CScrollBarUI::GetInterface(LPCTSTR pstrName)
{
    if (_wcsicmp(pstrName, L"ScrollBar") == 0) return static_cast<CScrollBarUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

CContainerUI* CScrollBarUI::GetOwner() const
{
    return m_pOwner;
}

void CScrollBarUI::SetOwner(CContainerUI* pOwner)
{
    m_pOwner = pOwner;
}

void CScrollBarUI::SetVisible(bool bVisible)
{
    // The owner lays its bars out itself, so no relayout is asked for here.
    if (m_bVisible == bVisible) return;
    m_bVisible = bVisible;
    m_bFocused = false;
}

void CScrollBarUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) {
        // Disabled while held: the auto-repeat ends with the press.
        KillTimer(kTimerId);
        m_nScrollRepeatDelay = 0;
        m_nLastScrollOffset = 0;
        m_uButton1State = 0;
        m_uButton2State = 0;
        m_uThumbState = 0;
    }
}

void CScrollBarUI::SetFocus()
{
    if (m_pOwner != nullptr) m_pOwner->SetFocus();
    else CControlUI::SetFocus();
}

bool CScrollBarUI::IsHorizontal()
{
    return m_bHorizontal;
}

void CScrollBarUI::SetHorizontal(bool bHorizontal)
{
    if (m_bHorizontal == bHorizontal) return;
    m_bHorizontal = bHorizontal;
    if (m_bHorizontal) {
        if (m_cxyFixed.cy == 0) {
            m_cxyFixed.cx = 0;
            m_cxyFixed.cy = 16;
        }
    } else {
        if (m_cxyFixed.cx == 0) {
            m_cxyFixed.cx = 16;
            m_cxyFixed.cy = 0;
        }
    }
    if (m_pOwner != nullptr) m_pOwner->NeedUpdate();
    else NeedParentUpdate();
}

int CScrollBarUI::GetScrollRange() const
{
    return m_nRange;
}

void CScrollBarUI::SetScrollRange(int nRange)
{
    if (m_nRange == nRange) return;
    m_nRange = nRange < 0 ? 0 : nRange;
    if (m_nScrollPos > m_nRange) m_nScrollPos = m_nRange;
    SetPos(m_rcItem, true);
}

int CScrollBarUI::GetScrollPos() const
{
    return m_nScrollPos;
}

void CScrollBarUI::SetScrollPos(int nPos)
{
    if (m_nScrollPos == nPos) return;
    if (nPos < 0) nPos = 0;
    if (nPos > m_nRange) nPos = m_nRange;
    m_nScrollPos = nPos;
    SetPos(m_rcItem, true);
}

int CScrollBarUI::GetLineSize() const
{
    return ScaleValue(m_nLineSize);
}

void CScrollBarUI::SetLineSize(int nSize)
{
    m_nLineSize = nSize;
}

bool CScrollBarUI::GetShowButton1() { return m_bShowButton1; }
void CScrollBarUI::SetShowButton1(bool bShow) { m_bShowButton1 = bShow; SetPos(m_rcItem, true); }
bool CScrollBarUI::GetShowButton2() { return m_bShowButton2; }
void CScrollBarUI::SetShowButton2(bool bShow) { m_bShowButton2 = bShow; SetPos(m_rcItem, true); }

#define VENEER_SCROLLBAR_IMAGE(Getter, Setter, Array, Index)          \
    LPCTSTR CScrollBarUI::Getter() { return Array[Index]; }           \
    void CScrollBarUI::Setter(LPCTSTR pStrImage)                      \
    {                                                                 \
        Array[Index] = pStrImage;                                     \
        Invalidate();                                                 \
    }

VENEER_SCROLLBAR_IMAGE(GetButton1NormalImage, SetButton1NormalImage, m_sButton1Images, kImgNormal)
VENEER_SCROLLBAR_IMAGE(GetButton1HotImage, SetButton1HotImage, m_sButton1Images, kImgHot)
VENEER_SCROLLBAR_IMAGE(GetButton1PushedImage, SetButton1PushedImage, m_sButton1Images, kImgPushed)
VENEER_SCROLLBAR_IMAGE(GetButton1DisabledImage, SetButton1DisabledImage, m_sButton1Images, kImgDisabled)
VENEER_SCROLLBAR_IMAGE(GetButton2NormalImage, SetButton2NormalImage, m_sButton2Images, kImgNormal)
VENEER_SCROLLBAR_IMAGE(GetButton2HotImage, SetButton2HotImage, m_sButton2Images, kImgHot)
VENEER_SCROLLBAR_IMAGE(GetButton2PushedImage, SetButton2PushedImage, m_sButton2Images, kImgPushed)
VENEER_SCROLLBAR_IMAGE(GetButton2DisabledImage, SetButton2DisabledImage, m_sButton2Images, kImgDisabled)
VENEER_SCROLLBAR_IMAGE(GetThumbNormalImage, SetThumbNormalImage, m_sThumbImages, kImgNormal)
VENEER_SCROLLBAR_IMAGE(GetThumbHotImage, SetThumbHotImage, m_sThumbImages, kImgHot)
VENEER_SCROLLBAR_IMAGE(GetThumbPushedImage, SetThumbPushedImage, m_sThumbImages, kImgPushed)
VENEER_SCROLLBAR_IMAGE(GetThumbDisabledImage, SetThumbDisabledImage, m_sThumbImages, kImgDisabled)
VENEER_SCROLLBAR_IMAGE(GetRailNormalImage, SetRailNormalImage, m_sRailImages, kImgNormal)
VENEER_SCROLLBAR_IMAGE(GetRailHotImage, SetRailHotImage, m_sRailImages, kImgHot)
VENEER_SCROLLBAR_IMAGE(GetRailPushedImage, SetRailPushedImage, m_sRailImages, kImgPushed)
VENEER_SCROLLBAR_IMAGE(GetRailDisabledImage, SetRailDisabledImage, m_sRailImages, kImgDisabled)
VENEER_SCROLLBAR_IMAGE(GetBkNormalImage, SetBkNormalImage, m_sBkImages, kImgNormal)
VENEER_SCROLLBAR_IMAGE(GetBkHotImage, SetBkHotImage, m_sBkImages, kImgHot)
VENEER_SCROLLBAR_IMAGE(GetBkPushedImage, SetBkPushedImage, m_sBkImages, kImgPushed)
VENEER_SCROLLBAR_IMAGE(GetBkDisabledImage, SetBkDisabledImage, m_sBkImages, kImgDisabled)

#undef VENEER_SCROLLBAR_IMAGE

int CScrollBarUI::Thickness()
{
    return m_bHorizontal ? GetFixedHeight() : GetFixedWidth();
}

void CScrollBarUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    rc = m_rcItem;

    const int nThick = Thickness();
    // Work along the bar: "start"/"end" are left/right for a horizontal bar and
    // top/bottom for a vertical one; "across" is the other axis.
    const LONG start = m_bHorizontal ? rc.left : rc.top;
    const LONG end = m_bHorizontal ? rc.right : rc.bottom;
    const LONG across = m_bHorizontal ? rc.top : rc.left;
    const int nLength = end - start;
    const int nTrack = nLength - (m_bShowButton1 ? nThick : 0) - (m_bShowButton2 ? nThick : 0);

    LONG b1Start = start, b1End = start, b2Start = end, b2End = end;
    LONG thumbStart = 0, thumbEnd = 0;
    bool bThumb = false;
    if (nThick < nTrack) {
        if (m_bShowButton1) b1End = start + nThick;
        if (m_bShowButton2) b2Start = end - nThick;
        bThumb = true;
        if (m_nRange < 1) {
            thumbStart = b1End;
            thumbEnd = b2Start;
        } else {
            int nThumb = static_cast<int>(static_cast<long long>(nTrack) * nLength / (m_nRange + nLength));
            if (nThumb < nThick) nThumb = nThick;
            thumbStart = b1End + static_cast<LONG>(static_cast<long long>(nTrack - nThumb) * m_nScrollPos / m_nRange);
            thumbEnd = thumbStart + nThumb;
            if (thumbEnd > b2Start) {
                thumbEnd = b2Start;
                thumbStart = b2Start - nThumb;
            }
        }
    } else {
        const int nButton = nThick < nLength / 2 ? nThick : nLength / 2;
        if (m_bShowButton1) b1End = start + nButton;
        if (m_bShowButton2) b2Start = end - nButton;
    }

    auto makeRect = [&](LONG s, LONG e, bool bShown) {
        if (!bShown) return m_bHorizontal ? EmptyRectAt(s, across) : EmptyRectAt(across, s);
        RECT r;
        if (m_bHorizontal) ::SetRect(&r, s, across, e, across + nThick);
        else ::SetRect(&r, across, s, across + nThick, e);
        return r;
    };
    m_rcButton1 = makeRect(b1Start, b1End, m_bShowButton1);
    m_rcButton2 = makeRect(b2Start, b2End, m_bShowButton2);
    if (bThumb) m_rcThumb = makeRect(thumbStart, thumbEnd, true);
    else ::SetRectEmpty(&m_rcThumb);
}

void CScrollBarUI::MoveTo(int nPos)
{
    if (m_pOwner != nullptr) {
        SIZE sz = m_pOwner->GetScrollPos();
        if (m_bHorizontal) sz.cx = nPos;
        else sz.cy = nPos;
        m_pOwner->SetScrollPos(sz);
    } else {
        SetScrollPos(nPos);
    }
}

void CScrollBarUI::StepLine(bool bForward)
{
    if (m_pOwner != nullptr) {
        if (m_bHorizontal) bForward ? m_pOwner->LineRight() : m_pOwner->LineLeft();
        else bForward ? m_pOwner->LineDown() : m_pOwner->LineUp();
    } else {
        SetScrollPos(m_nScrollPos + (bForward ? GetLineSize() : -GetLineSize()));
    }
}

void CScrollBarUI::StepPage(bool bForward)
{
    if (m_pOwner != nullptr) {
        if (m_bHorizontal) bForward ? m_pOwner->PageRight() : m_pOwner->PageLeft();
        else bForward ? m_pOwner->PageDown() : m_pOwner->PageUp();
    } else {
        const int nPage = m_bHorizontal ? m_rcItem.right - m_rcItem.left : m_rcItem.bottom - m_rcItem.top;
        SetScrollPos(m_nScrollPos + (bForward ? nPage : -nPage));
    }
}

void CScrollBarUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (m_pOwner != nullptr) m_pOwner->DoEvent(event);
        else CControlUI::DoEvent(event);
        return;
    }

    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
    case UIEVENT_CONTEXTMENU:
        return;

    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK: {
        if (!IsEnabled()) return;
        m_nLastScrollOffset = 0;
        m_nScrollRepeatDelay = 0;
        SetTimer(kTimerId, kTimerElapse);
        const POINT pt = event.ptMouse;
        if (::PtInRect(&m_rcButton1, pt)) {
            m_uButton1State |= UISTATE_PUSHED;
            StepLine(false);
        } else if (::PtInRect(&m_rcButton2, pt)) {
            m_uButton2State |= UISTATE_PUSHED;
            StepLine(true);
        } else if (::PtInRect(&m_rcThumb, pt)) {
            m_uThumbState |= UISTATE_CAPTURED | UISTATE_PUSHED;
            m_ptLastMouse = pt;
            m_nLastScrollPos = m_nScrollPos;
        } else {
            const LONG p = m_bHorizontal ? pt.x : pt.y;
            const LONG thumbStart = m_bHorizontal ? m_rcThumb.left : m_rcThumb.top;
            if (p < thumbStart) StepPage(false);
            else StepPage(true);
        }
        if (m_pManager != nullptr) m_pManager->SendNotify(this, L"scroll");
        Invalidate();
        return;
    }

    case UIEVENT_BUTTONUP:
        m_nScrollRepeatDelay = 0;
        m_nLastScrollOffset = 0;
        KillTimer(kTimerId);
        if (m_uThumbState & UISTATE_CAPTURED) {
            m_uThumbState &= ~(UISTATE_CAPTURED | UISTATE_PUSHED);
        } else if (m_uButton1State & UISTATE_PUSHED) {
            m_uButton1State &= ~UISTATE_PUSHED;
        } else if (m_uButton2State & UISTATE_PUSHED) {
            m_uButton2State &= ~UISTATE_PUSHED;
        } else {
            return;
        }
        Invalidate();
        return;

    case UIEVENT_MOUSEMOVE:
        if (m_uThumbState & UISTATE_CAPTURED) {
            // The thumb travels over the track minus its own length; map the
            // pointer's offset along that travel onto the range.
            const int nThumb = m_bHorizontal ? m_rcThumb.right - m_rcThumb.left : m_rcThumb.bottom - m_rcThumb.top;
            const int nTrack = m_bHorizontal ? m_rcButton2.left - m_rcButton1.right
                                             : m_rcButton2.top - m_rcButton1.bottom;
            int nTravel = nTrack - nThumb;
            if (nTravel < 0) nTravel = -nTravel;
            if (nTravel != 0) {
                const int nOffset = m_bHorizontal ? event.ptMouse.x - m_ptLastMouse.x
                                                  : event.ptMouse.y - m_ptLastMouse.y;
                m_nLastScrollOffset = static_cast<int>(static_cast<long long>(nOffset) * m_nRange / nTravel);
            }
        } else {
            const bool bInThumb = ::PtInRect(&m_rcThumb, event.ptMouse) != FALSE;
            if ((m_uThumbState & UISTATE_HOT) && !bInThumb) {
                m_uThumbState &= ~UISTATE_HOT;
                Invalidate();
            } else if (IsEnabled() && bInThumb && !(m_uThumbState & UISTATE_HOT)) {
                m_uThumbState |= UISTATE_HOT;
                Invalidate();
            }
        }
        return;

    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButton1State |= UISTATE_HOT;
            m_uButton2State |= UISTATE_HOT;
            if (::PtInRect(&m_rcThumb, event.ptMouse)) m_uThumbState |= UISTATE_HOT;
            Invalidate();
        }
        return;

    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButton1State &= ~UISTATE_HOT;
            m_uButton2State &= ~UISTATE_HOT;
            m_uThumbState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;

    case UIEVENT_TIMER:
        if (event.wParam == kTimerId) {
            OnRepeatTick();
            return;
        }
        break;

    default:
        break;
    }

    if (m_pOwner != nullptr) m_pOwner->DoEvent(event);
    else CControlUI::DoEvent(event);
}

void CScrollBarUI::OnRepeatTick()
{
    ++m_nScrollRepeatDelay;
    if (m_uThumbState & UISTATE_CAPTURED) {
        MoveTo(m_nLastScrollPos + m_nLastScrollOffset);
        Invalidate();
    } else {
        // The first repeat comes after a pause, as with the platform's bars.
        if (m_nScrollRepeatDelay <= kRepeatDelayTicks) return;
        if (m_uButton1State & UISTATE_PUSHED) {
            StepLine(false);
        } else if (m_uButton2State & UISTATE_PUSHED) {
            StepLine(true);
        } else {
            if (m_pManager == nullptr) return;
            POINT pt = {0, 0};
            ::GetCursorPos(&pt);
            ::ScreenToClient(m_pManager->GetPaintWindow(), &pt);
            const LONG p = m_bHorizontal ? pt.x : pt.y;
            const LONG thumbStart = m_bHorizontal ? m_rcThumb.left : m_rcThumb.top;
            const LONG thumbEnd = m_bHorizontal ? m_rcThumb.right : m_rcThumb.bottom;
            if (p < thumbStart) StepPage(false);
            else if (p > thumbEnd) StepPage(true);
            else return;
        }
    }
    if (m_pManager != nullptr) m_pManager->SendNotify(this, L"scroll");
}

const CAttributeTable& CScrollBarUI::AttributeTable()
{
    using S = CScrollBarUI;
    using K = EAttrKind;
    static const TAttribute rows[] = {
        Row<S, K::Image, &S::SetButton1NormalImage, &S::GetButton1NormalImage>(L"button1normalimage"),
        Row<S, K::Image, &S::SetButton1HotImage, &S::GetButton1HotImage>(L"button1hotimage"),
        Row<S, K::Image, &S::SetButton1PushedImage, &S::GetButton1PushedImage>(L"button1pushedimage"),
        Row<S, K::Image, &S::SetButton1DisabledImage, &S::GetButton1DisabledImage>(L"button1disabledimage"),
        Row<S, K::Image, &S::SetButton2NormalImage, &S::GetButton2NormalImage>(L"button2normalimage"),
        Row<S, K::Image, &S::SetButton2HotImage, &S::GetButton2HotImage>(L"button2hotimage"),
        Row<S, K::Image, &S::SetButton2PushedImage, &S::GetButton2PushedImage>(L"button2pushedimage"),
        Row<S, K::Image, &S::SetButton2DisabledImage, &S::GetButton2DisabledImage>(L"button2disabledimage"),
        Row<S, K::Image, &S::SetThumbNormalImage, &S::GetThumbNormalImage>(L"thumbnormalimage"),
        Row<S, K::Image, &S::SetThumbHotImage, &S::GetThumbHotImage>(L"thumbhotimage"),
        Row<S, K::Image, &S::SetThumbPushedImage, &S::GetThumbPushedImage>(L"thumbpushedimage"),
        Row<S, K::Image, &S::SetThumbDisabledImage, &S::GetThumbDisabledImage>(L"thumbdisabledimage"),
        Row<S, K::Image, &S::SetRailNormalImage, &S::GetRailNormalImage>(L"railnormalimage"),
        Row<S, K::Image, &S::SetRailHotImage, &S::GetRailHotImage>(L"railhotimage"),
        Row<S, K::Image, &S::SetRailPushedImage, &S::GetRailPushedImage>(L"railpushedimage"),
        Row<S, K::Image, &S::SetRailDisabledImage, &S::GetRailDisabledImage>(L"raildisabledimage"),
        Row<S, K::Image, &S::SetBkNormalImage, &S::GetBkNormalImage>(L"bknormalimage"),
        Row<S, K::Image, &S::SetBkHotImage, &S::GetBkHotImage>(L"bkhotimage"),
        Row<S, K::Image, &S::SetBkPushedImage, &S::GetBkPushedImage>(L"bkpushedimage"),
        Row<S, K::Image, &S::SetBkDisabledImage, &S::GetBkDisabledImage>(L"bkdisabledimage"),
        Row<S, K::Bool, &S::SetHorizontal, &S::IsHorizontal>(L"hor"),
        Row<S, K::Int, &S::SetLineSize, &S::GetLineSize>(L"linesize"),
        Row<S, K::Int, &S::SetScrollRange, &S::GetScrollRange>(L"range"),
        Row<S, K::Int, &S::SetScrollPos>(L"value"),
        Row<S, K::Bool, &S::SetShowButton1, &S::GetShowButton1>(L"showbutton1"),
        Row<S, K::Bool, &S::SetShowButton2, &S::GetShowButton2>(L"showbutton2"),
    };
    static const CAttributeTable table(L"ScrollBar", rows, &CControlUI::AttributeTable());
    return table;
}

VENEER_ATTRIBUTE_MEMBERS(CScrollBarUI, CControlUI)

bool CScrollBarUI::DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* /*pStopControl*/)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return true;
    PaintBkColor(hDC);
    PaintBkImage(hDC);
    PaintBk(hDC);
    PaintButton1(hDC);
    PaintButton2(hDC);
    PaintThumb(hDC);
    PaintRail(hDC);
    PaintBorder(hDC);
    return true;
}

int CScrollBarUI::Unscale(int nValue) const
{
    if (m_pManager == nullptr) return nValue;
    return ::MulDiv(nValue, 100, static_cast<int>(m_pManager->GetDPIObj()->GetScale()));
}

bool CScrollBarUI::DrawByState(HDC hDC, UINT& uState, const CUIString* pImages, LPCTSTR pstrModify)
{
    if (IsEnabled()) uState &= ~UISTATE_DISABLED;
    else uState |= UISTATE_DISABLED;

    const CUIString* pChosen = nullptr;
    if (uState & UISTATE_DISABLED) pChosen = &pImages[kImgDisabled];
    else if (uState & UISTATE_PUSHED) pChosen = &pImages[kImgPushed];
    else if (uState & UISTATE_HOT) pChosen = &pImages[kImgHot];
    if (pChosen != nullptr && !pChosen->IsEmpty() && DrawImage(hDC, *pChosen, pstrModify)) return true;
    if (!pImages[kImgNormal].IsEmpty() && DrawImage(hDC, pImages[kImgNormal], pstrModify)) return true;
    return false;
}

bool CScrollBarUI::PaintPart(HDC hDC, const RECT& rcPart, UINT& uState, const CUIString* pImages, bool bFallbackFrame)
{
    m_sImageModify.Format(L"dest='%d,%d,%d,%d'", Unscale(rcPart.left - m_rcItem.left),
                          Unscale(rcPart.top - m_rcItem.top), Unscale(rcPart.right - m_rcItem.left),
                          Unscale(rcPart.bottom - m_rcItem.top));
    if (DrawByState(hDC, uState, pImages, m_sImageModify)) return true;
    if (bFallbackFrame) CRenderEngine::DrawRect(hDC, rcPart, 2, kFallbackFrameColor);
    return false;
}

void CScrollBarUI::PaintBk(HDC hDC)
{
    DrawByState(hDC, m_uThumbState, m_sBkImages, nullptr);
}

void CScrollBarUI::PaintButton1(HDC hDC)
{
    if (!m_bShowButton1) return;
    PaintPart(hDC, m_rcButton1, m_uButton1State, m_sButton1Images, true);
}

void CScrollBarUI::PaintButton2(HDC hDC)
{
    if (!m_bShowButton2) return;
    PaintPart(hDC, m_rcButton2, m_uButton2State, m_sButton2Images, true);
}

void CScrollBarUI::PaintThumb(HDC hDC)
{
    if (::IsRectEmpty(&m_rcThumb)) return;
    PaintPart(hDC, m_rcThumb, m_uThumbState, m_sThumbImages, true);
}

void CScrollBarUI::PaintRail(HDC hDC)
{
    if (::IsRectEmpty(&m_rcThumb)) return;
    const int nThick = m_bHorizontal ? m_cxyFixed.cy : m_cxyFixed.cx;
    if (m_bHorizontal) {
        const int nCentre = Unscale((m_rcThumb.left + m_rcThumb.right) / 2 - m_rcItem.left);
        m_sImageModify.Format(L"dest='%d,%d,%d,%d'", nCentre - nThick / 2, Unscale(m_rcThumb.top - m_rcItem.top),
                              nCentre + nThick - nThick / 2, Unscale(m_rcThumb.bottom - m_rcItem.top));
    } else {
        const int nCentre = Unscale((m_rcThumb.top + m_rcThumb.bottom) / 2 - m_rcItem.top);
        m_sImageModify.Format(L"dest='%d,%d,%d,%d'", Unscale(m_rcThumb.left - m_rcItem.left), nCentre - nThick / 2,
                              Unscale(m_rcThumb.right - m_rcItem.left), nCentre + nThick - nThick / 2);
    }
    DrawByState(hDC, m_uThumbState, m_sRailImages, m_sImageModify);
}

} // namespace Veneer
