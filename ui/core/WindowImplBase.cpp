#include "ui/core/WindowImplBase.h"

#include <windowsx.h>
#include <stdlib.h>

#include "ui/controls/UIControl.h"

namespace Veneer {

namespace {

// Classes that only show things: a press on them may move the window.
const wchar_t* const kStaticClasses[] = {
    L"controlui", L"textui", L"labelui", L"containerui", L"horizontallayoutui", L"verticallayoutui",
    L"tablayoutui", L"childlayoutui", L"dialoglayoutui", L"progresscontainerui",
};

bool IsStaticClass(const CControlUI* pControl)
{
    CUIString sClass(const_cast<CControlUI*>(pControl)->GetClass());
    sClass.MakeLower();
    for (const wchar_t* pName : kStaticClasses) {
        if (sClass == pName) return true;
    }
    return false;
}

} // namespace

LRESULT WindowImplBase::PassOn(BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

WindowImplBase::WindowImplBase()
{
}

WindowImplBase::~WindowImplBase()
{
    // Before the paint manager goes: its clean-up must not route messages
    // of a still-existing window back into this half-destroyed object.
    DetachWindow();
}

LPCWSTR WindowImplBase::GetSuperClassName() const
{
    return CWindowWnd::GetSuperClassName();
}

UINT WindowImplBase::GetClassStyle() const
{
    return CS_DBLCLKS;
}

void WindowImplBase::InitResource()
{
}

void WindowImplBase::__InitWindow()
{
}

CUIString WindowImplBase::GetSkinType()
{
    return CUIString();
}

LPCWSTR WindowImplBase::GetManagerName()
{
    return nullptr;
}

LRESULT WindowImplBase::ResponseDefaultKeyEvent(WPARAM /*wParam*/)
{
    return 1;
}

LONG WindowImplBase::GetStyle()
{
    LONG styleValue = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    styleValue &= ~WS_CAPTION;
    return styleValue;
}

bool WindowImplBase::IsInStaticControl(CControlUI* pControl)
{
    if (pControl == nullptr) return false;
    if (!IsStaticClass(pControl)) return false;
    for (CControlUI* pParent = pControl->GetParent(); pParent != nullptr; pParent = pParent->GetParent()) {
        if (!IsStaticClass(pParent)) return false;
    }
    return true;
}

void WindowImplBase::Notify(TNotifyUI& msg)
{
    NotifyPump(msg);
}

LRESULT WindowImplBase::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM /*lParam*/, bool& bHandled)
{
    if (uMsg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        // The focused control may take the key itself (an edit that types Return).
        CControlUI* pFocus = m_pm.GetFocus();
        if (pFocus != nullptr && !pFocus->OnEnableResponseDefaultKeyEvent(wParam)) return 0;
        if (ResponseDefaultKeyEvent(wParam) == 0) bHandled = true;
    }
    return 0;
}

CControlUI* WindowImplBase::CreateControl(LPCWSTR /*pstrClass*/)
{
    return nullptr;
}

LPCWSTR WindowImplBase::QueryControlText(LPCWSTR /*lpstrId*/, LPCWSTR /*lpstrType*/)
{
    return nullptr;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if (::IsIconic(m_hWnd)) bHandled = FALSE;
    return (wParam == 0) ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL& /*bHandled*/)
{
    // The whole window is client area.
    return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, BOOL& /*bHandled*/)
{
    return 0;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL& /*bHandled*/)
{
    POINT pt = { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
    ::ScreenToClient(m_hWnd, &pt);
    RECT rcClient = {};
    ::GetClientRect(m_hWnd, &rcClient);

    if (!::IsZoomed(m_hWnd)) {
        const RECT& rcSizeBox = m_pm.GetSizeBox();
        bool bLeft = pt.x < rcClient.left + rcSizeBox.left;
        bool bRight = pt.x > rcClient.right - rcSizeBox.right;
        if (pt.y < rcClient.top + rcSizeBox.top) {
            return bLeft ? HTTOPLEFT : (bRight ? HTTOPRIGHT : HTTOP);
        }
        if (pt.y > rcClient.bottom - rcSizeBox.bottom) {
            return bLeft ? HTBOTTOMLEFT : (bRight ? HTBOTTOMRIGHT : HTBOTTOM);
        }
        if (bLeft) return HTLEFT;
        if (bRight) return HTRIGHT;
    }

    // Each edge of the caption band is scaled on its own: left and right
    // are margins, not coordinates, and a bottom of -1 means "to the
    // bottom of the client area" at every scale.
    RECT rcCaption = m_pm.GetCaptionRect();
    const CDPI* pDPI = m_pm.GetDPIObj();
    const bool bToBottom = rcCaption.bottom == -1;
    if (pDPI != nullptr) {
        rcCaption.left = pDPI->Scale(static_cast<int>(rcCaption.left));
        rcCaption.top = pDPI->Scale(static_cast<int>(rcCaption.top));
        rcCaption.right = pDPI->Scale(static_cast<int>(rcCaption.right));
        if (!bToBottom) rcCaption.bottom = pDPI->Scale(static_cast<int>(rcCaption.bottom));
    }
    if (bToBottom) rcCaption.bottom = rcClient.bottom;
    if (pt.x < rcClient.left + rcCaption.left || pt.x >= rcClient.right - rcCaption.right) return HTCLIENT;
    if (pt.y >= rcCaption.top && pt.y < rcCaption.bottom) {
        CControlUI* pControl = m_pm.FindControl(pt);
        if (IsInStaticControl(pControl)) return HTCAPTION;
    }
    return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL& /*bHandled*/)
{
    LPMINMAXINFO lpMMI = reinterpret_cast<LPMINMAXINFO>(lParam);
    if (lpMMI == nullptr) return 0;
    MONITORINFO oMonitor = {};
    oMonitor.cbSize = sizeof(oMonitor);
    if (!::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &oMonitor)) {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &oMonitor.rcWork, 0);
        oMonitor.dwFlags = MONITORINFOF_PRIMARY;
    }
    RECT rcWork = oMonitor.rcWork;
    if ((oMonitor.dwFlags & MONITORINFOF_PRIMARY) == 0) {
        ::OffsetRect(&rcWork, -rcWork.left, -rcWork.top);
    }
    const LONG cxWork = rcWork.right - rcWork.left;
    const LONG cyWork = rcWork.bottom - rcWork.top;
    lpMMI->ptMaxPosition.x = rcWork.left;
    lpMMI->ptMaxPosition.y = rcWork.top;
    lpMMI->ptMaxSize.x = cxWork;
    lpMMI->ptMaxSize.y = cyWork;
    const SIZE szMax = m_pm.GetMaxInfo();
    lpMMI->ptMaxTrackSize.x = szMax.cx != 0 ? szMax.cx : cxWork;
    lpMMI->ptMaxTrackSize.y = szMax.cy != 0 ? szMax.cy : cyWork;
    const SIZE szMin = m_pm.GetMinInfo();
    lpMMI->ptMinTrackSize.x = szMin.cx;
    lpMMI->ptMinTrackSize.y = szMin.cy;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    if (!::IsIconic(m_hWnd)) {
        RECT rcWnd = {};
        ::GetWindowRect(m_hWnd, &rcWnd);
        ::OffsetRect(&rcWnd, -rcWnd.left, -rcWnd.top);
        rcWnd.right++;
        rcWnd.bottom++;
        const SIZE szRoundCorner = m_pm.GetRoundCorner();
        CRgnHandle rgn(::CreateRoundRectRgn(rcWnd.left, rcWnd.top, rcWnd.right, rcWnd.bottom, szRoundCorner.cx,
                                            szRoundCorner.cy));
        // On success the system owns the region.
        if (rgn && ::SetWindowRgn(m_hWnd, rgn.Get(), TRUE) != 0) rgn.Release();
    }
    bHandled = FALSE;
    return 0;
}

void WindowImplBase::ShowMaxRestoreButtons(bool bZoomed, LPCWSTR pstrMaxName, LPCWSTR pstrRestoreName)
{
    CControlUI* pMax = m_pm.FindControl(pstrMaxName);
    CControlUI* pRestore = m_pm.FindControl(pstrRestoreName);
    if (pMax != nullptr) pMax->SetVisible(!bZoomed);
    if (pRestore != nullptr) pRestore->SetVisible(bZoomed);
}

LRESULT WindowImplBase::SysCommandWithButtons(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled,
                                              LPCWSTR pstrMaxName, LPCWSTR pstrRestoreName)
{
    // The low four bits of a system command are the system's own.
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        bHandled = TRUE;
        SendMessage(WM_CLOSE);
        return 0;
    }
    HWND hWnd = m_hWnd;
    const bool bZoomed = ::IsZoomed(hWnd) != FALSE;
    LRESULT lRes = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    if (::IsWindow(hWnd) && m_hWnd == hWnd) {
        const bool bNowZoomed = ::IsZoomed(hWnd) != FALSE;
        if (bNowZoomed != bZoomed) ShowMaxRestoreButtons(bNowZoomed, pstrMaxName, pstrRestoreName);
    }
    return lRes;
}

LRESULT WindowImplBase::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    return SysCommandWithButtons(uMsg, wParam, lParam, bHandled, L"maxbtn", L"restorebtn");
}

CControlUI* WindowImplBase::BuildSkin()
{
    CDialogBuilder builder;
    const CUIString sSkinType = GetSkinType();
    const CUIString sSkinFile = GetSkinFile();
    if (sSkinType.IsEmpty()) {
        return builder.Create(STRINGorID(sSkinFile.GetData()), static_cast<LPCWSTR>(nullptr), this, &m_pm, nullptr);
    }
    const UINT nId = static_cast<UINT>(_wtoi(sSkinFile.GetData()));
    return builder.Create(STRINGorID(nId), sSkinType.GetData(), this, &m_pm, nullptr);
}

void WindowImplBase::FailSkin()
{
    CUIString sText(L"Loading resource failed :");
    sText += GetSkinFile();
    ::MessageBoxW(nullptr, sText.GetData(), L"Veneer", MB_ICONERROR);
    ::ExitProcess(1);
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, BOOL& /*bHandled*/)
{
    LONG styleValue = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    styleValue &= ~WS_CAPTION;
    ::SetWindowLongW(m_hWnd, GWL_STYLE, styleValue | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);

    m_pm.Init(m_hWnd, GetManagerName());
    m_pm.AddPreMessageFilter(this);
    InitResource();

    CControlUI* pRoot = BuildSkin();
    if (pRoot == nullptr) {
        FailSkin();
        return -1;
    }
    m_pm.AttachDialog(pRoot);
    m_pm.AddNotifier(this);
    __InitWindow();
    return 0;
}

LRESULT WindowImplBase::HandleFixedMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    switch (uMsg) {
    case WM_CREATE: return OnCreate(uMsg, wParam, lParam, bHandled);
    case WM_DESTROY: return OnDestroy(uMsg, wParam, lParam, bHandled);
    case WM_SIZE: return OnSize(uMsg, wParam, lParam, bHandled);
    case WM_SETFOCUS: return OnSetFocus(uMsg, wParam, lParam, bHandled);
    case WM_KILLFOCUS: return OnKillFocus(uMsg, wParam, lParam, bHandled);
    case WM_CLOSE: return OnClose(uMsg, wParam, lParam, bHandled);
    case WM_GETMINMAXINFO: return OnGetMinMaxInfo(uMsg, wParam, lParam, bHandled);
    case WM_NCCALCSIZE: return OnNcCalcSize(uMsg, wParam, lParam, bHandled);
    case WM_NCHITTEST: return OnNcHitTest(uMsg, wParam, lParam, bHandled);
    case WM_NCPAINT: return OnNcPaint(uMsg, wParam, lParam, bHandled);
    case WM_NCACTIVATE: return OnNcActivate(uMsg, wParam, lParam, bHandled);
    case WM_KEYDOWN: return OnKeyDown(uMsg, wParam, lParam, bHandled);
    case WM_CHAR: return OnChar(uMsg, wParam, lParam, bHandled);
    case WM_SYSCOMMAND: return OnSysCommand(uMsg, wParam, lParam, bHandled);
    case WM_MOUSEMOVE: return OnMouseMove(uMsg, wParam, lParam, bHandled);
    case WM_LBUTTONDOWN: return OnLButtonDown(uMsg, wParam, lParam, bHandled);
    case WM_LBUTTONUP: return OnLButtonUp(uMsg, wParam, lParam, bHandled);
    case WM_MOUSEWHEEL: return OnMouseWheel(uMsg, wParam, lParam, bHandled);
    case WM_MOUSEHOVER: return OnMouseHover(uMsg, wParam, lParam, bHandled);
    default:
        bHandled = FALSE;
        return 0;
    }
}

LRESULT WindowImplBase::HandleDefaultMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT lRes = 0;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    BOOL bHandled = TRUE;
    LRESULT lRes = HandleFixedMessage(uMsg, wParam, lParam, bHandled);
    if (bHandled) return lRes;
    bHandled = FALSE;
    lRes = HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    if (bHandled) return lRes;
    return HandleDefaultMessage(uMsg, wParam, lParam);
}

void WindowImplBase::OnFinalMessage(HWND /*hWnd*/)
{
    m_pm.RemovePreMessageFilter(this);
    m_pm.RemoveNotifier(this);
    m_pm.ReapObjects(m_pm.GetRoot());
}

} // namespace Veneer
