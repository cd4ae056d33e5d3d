#include "ui/core/UIWindowWnd.h"

#include "ui/core/UIManager.h"

namespace Veneer {

namespace {

const wchar_t kControlProp[] = L"WndX";

bool RegistrationSucceeded(ATOM atom)
{
    return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

CWindowWnd::CWindowWnd()
    : m_hWnd(nullptr), m_OldWndProc(::DefWindowProcW), m_bSubclassed(false)
{
}

CWindowWnd::~CWindowWnd()
{
    DetachWindow();
}

void CWindowWnd::DetachWindow()
{
    if (m_hWnd == nullptr || !::IsWindow(m_hWnd)) return;
    if (m_bSubclassed) Unsubclass();
    if (::GetPropW(m_hWnd, kControlProp) == static_cast<HANDLE>(this)) ::RemovePropW(m_hWnd, kControlProp);
    if (::GetWindowLongPtrW(m_hWnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this))
        ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    m_hWnd = nullptr;
}

LPCWSTR CWindowWnd::GetSuperClassName() const
{
    return nullptr;
}

UINT CWindowWnd::GetClassStyle() const
{
    return 0;
}

bool CWindowWnd::RegisterWindowClass()
{
    WNDCLASSW wc = {};
    wc.style = GetClassStyle();
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hIcon = nullptr;
    wc.lpfnWndProc = CWindowWnd::__WndProc;
    wc.hInstance = CPaintManagerUI::GetInstance();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = GetWindowClassName();
    return RegistrationSucceeded(::RegisterClassW(&wc));
}

bool CWindowWnd::RegisterSuperclass()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(WNDCLASSEXW);
    if (!::GetClassInfoExW(nullptr, GetSuperClassName(), &wc)) {
        if (!::GetClassInfoExW(CPaintManagerUI::GetInstance(), GetSuperClassName(), &wc))
            return false;
    }
    m_OldWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = CWindowWnd::__ControlProc;
    wc.hInstance = CPaintManagerUI::GetInstance();
    wc.lpszClassName = GetWindowClassName();
    return RegistrationSucceeded(::RegisterClassExW(&wc));
}

HWND CWindowWnd::Create(HWND hwndParent, LPCWSTR pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT rc, HMENU hMenu)
{
    return Create(hwndParent, pstrName, dwStyle, dwExStyle, rc.left, rc.top, rc.right - rc.left,
                  rc.bottom - rc.top, hMenu);
}

HWND CWindowWnd::Create(HWND hwndParent, LPCWSTR pstrName, DWORD dwStyle, DWORD dwExStyle, int x, int y, int cx,
                        int cy, HMENU hMenu)
{
    if (GetSuperClassName() != nullptr) {
        if (!RegisterSuperclass()) return nullptr;
    } else {
        if (!RegisterWindowClass()) return nullptr;
    }
    // The object reaches the procedures through the creation parameter;
    // m_hWnd is set there, on WM_NCCREATE, so that WM_CREATE already sees it.
    HWND hWnd = ::CreateWindowExW(dwExStyle, GetWindowClassName(), pstrName, dwStyle, x, y, cx, cy, hwndParent, hMenu,
                                  CPaintManagerUI::GetInstance(), this);
    if (hWnd == nullptr) return nullptr;
    return m_hWnd;
}

HWND CWindowWnd::CreateUIWindow(HWND hwndParent, LPCWSTR pstrWindowName, DWORD dwStyle, DWORD dwExStyle)
{
    return Create(hwndParent, pstrWindowName, dwStyle, dwExStyle, 0, 0, 0, 0, nullptr);
}

HWND CWindowWnd::Subclass(HWND hWnd)
{
    if (!::IsWindow(hWnd)) return nullptr;
    ::SetLastError(0);
    LONG_PTR pOld = ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(__WndProc));
    if (pOld == 0 && ::GetLastError() != 0) return nullptr;
    m_OldWndProc = reinterpret_cast<WNDPROC>(pOld);
    m_bSubclassed = true;
    m_hWnd = hWnd;
    ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return m_hWnd;
}

void CWindowWnd::Unsubclass()
{
    if (!::IsWindow(m_hWnd) || !m_bSubclassed) return;
    ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OldWndProc));
    m_OldWndProc = ::DefWindowProcW;
    m_bSubclassed = false;
}

void CWindowWnd::ShowWindow(bool bShow, bool bTakeFocus)
{
    if (!::IsWindow(m_hWnd)) return;
    ::ShowWindow(m_hWnd, bShow ? (bTakeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::ShowModal()
{
    if (!::IsWindow(m_hWnd)) return 0;
    UINT nRet = 0;
    HWND hWnd = m_hWnd;
    HWND hWndParent = ::GetWindow(hWnd, GW_OWNER);
    ::ShowWindow(hWnd, SW_SHOWNORMAL);
    if (hWndParent != nullptr) ::EnableWindow(hWndParent, FALSE);
    // Showing a window that is already visible activates nothing, and disabling the owner took the focus
    // from it: the keys (a first Esc) would reach no window. The modal window takes the keyboard.
    HWND hFocus = ::GetFocus();
    if (hFocus != hWnd && !::IsChild(hWnd, hFocus)) ::SetFocus(hWnd);
    MSG msg = {};
    bool bQuit = false;
    // hWnd is kept locally: the object may be deleted by its own final
    // message while the loop is still running.
    while (::IsWindow(hWnd)) {
        BOOL bGot = ::GetMessageW(&msg, nullptr, 0, 0);
        if (bGot == 0) {
            bQuit = true;
            break;
        }
        if (bGot == -1) break;
        if (msg.message == WM_CLOSE && msg.hwnd == hWnd) {
            nRet = static_cast<UINT>(msg.wParam);
            if (hWndParent != nullptr) {
                ::EnableWindow(hWndParent, TRUE);
                ::SetFocus(hWndParent);
            }
        }
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (hWndParent != nullptr) {
        ::EnableWindow(hWndParent, TRUE);
        ::SetFocus(hWndParent);
    }
    if (bQuit) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return nRet;
}

void CWindowWnd::Close(UINT nRet)
{
    if (!::IsWindow(m_hWnd)) return;
    ::PostMessageW(m_hWnd, WM_CLOSE, static_cast<WPARAM>(nRet), 0L);
}

void CWindowWnd::CenterWindow()
{
    if (!::IsWindow(m_hWnd)) return;
    RECT rcDlg = {};
    ::GetWindowRect(m_hWnd, &rcDlg);
    HWND hWndOwner = ::GetWindow(m_hWnd, GW_OWNER);
    HMONITOR hMonitor = ::MonitorFromWindow(hWndOwner != nullptr ? hWndOwner : m_hWnd, MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    if (!::GetMonitorInfoW(hMonitor, &mi)) {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &mi.rcWork, 0);
    }
    RECT rcArea = mi.rcWork;
    RECT rcCenter = rcArea;
    if (hWndOwner != nullptr) ::GetWindowRect(hWndOwner, &rcCenter);

    int nWidth = rcDlg.right - rcDlg.left;
    int nHeight = rcDlg.bottom - rcDlg.top;
    int x = (rcCenter.left + rcCenter.right) / 2 - nWidth / 2;
    int y = (rcCenter.top + rcCenter.bottom) / 2 - nHeight / 2;
    if (x < rcArea.left) x = rcArea.left;
    else if (x + nWidth > rcArea.right) x = rcArea.right - nWidth;
    if (y < rcArea.top) y = rcArea.top;
    else if (y + nHeight > rcArea.bottom) y = rcArea.bottom - nHeight;
    ::SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT nRes)
{
    if (!::IsWindow(m_hWnd)) return;
    int cx = (::GetSystemMetrics(SM_CXICON) + 15) & ~15;
    int cy = (::GetSystemMetrics(SM_CYICON) + 15) & ~15;
    // The window does not own the icons it is given; shared icons stay alive
    // with the module, so the system frees them.
    HICON hIcon = static_cast<HICON>(::LoadImageW(CPaintManagerUI::GetResourceDll(), MAKEINTRESOURCEW(nRes),
                                                  IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR | LR_SHARED));
    if (hIcon != nullptr) ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(hIcon));
    hIcon = static_cast<HICON>(::LoadImageW(CPaintManagerUI::GetResourceDll(), MAKEINTRESOURCEW(nRes), IMAGE_ICON,
                                            cx, cy, LR_DEFAULTCOLOR | LR_SHARED));
    if (hIcon != nullptr) ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));
}

LRESULT CWindowWnd::SendMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageW(m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::ResizeClient(int cx, int cy)
{
    if (!::IsWindow(m_hWnd)) return;
    RECT rc = {};
    if (!::GetClientRect(m_hWnd, &rc)) return;
    if (cx != -1) rc.right = cx;
    if (cy != -1) rc.bottom = cy;
    DWORD dwStyle = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
    DWORD dwExStyle = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE));
    BOOL bMenu = (dwStyle & WS_CHILD) == 0 && ::GetMenu(m_hWnd) != nullptr;
    if (!::AdjustWindowRectEx(&rc, dwStyle, bMenu, dwExStyle)) return;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND /*hWnd*/)
{
}

bool CWindowWnd::DoTouchInformation(HWND /*hWnd*/, UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    return false;
}

LRESULT CWindowWnd::FinalMessage(CWindowWnd* pThis, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT lRes = ::CallWindowProcW(pThis->m_OldWndProc, hWnd, uMsg, wParam, lParam);
    if (pThis->m_bSubclassed) pThis->Unsubclass();
    pThis->m_hWnd = nullptr;
    // Last use of pThis: the object may delete itself here.
    pThis->OnFinalMessage(hWnd);
    return lRes;
}

LRESULT CALLBACK CWindowWnd::__WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CWindowWnd* pThis = nullptr;
    if (uMsg == WM_NCCREATE) {
        LPCREATESTRUCTW lpcs = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        pThis = static_cast<CWindowWnd*>(lpcs->lpCreateParams);
        if (pThis != nullptr) {
            pThis->m_hWnd = hWnd;
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pThis));
        }
    } else {
        pThis = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (uMsg == WM_NCDESTROY && pThis != nullptr) {
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0L);
            return FinalMessage(pThis, hWnd, uMsg, wParam, lParam);
        }
    }
    if (DoTouchInformation(hWnd, uMsg, wParam, lParam) || pThis == nullptr)
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    return pThis->HandleMessage(uMsg, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::__ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CWindowWnd* pThis = nullptr;
    if (uMsg == WM_NCCREATE) {
        LPCREATESTRUCTW lpcs = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        pThis = static_cast<CWindowWnd*>(lpcs->lpCreateParams);
        if (pThis != nullptr) {
            ::SetPropW(hWnd, kControlProp, static_cast<HANDLE>(pThis));
            pThis->m_hWnd = hWnd;
        }
    } else {
        pThis = static_cast<CWindowWnd*>(::GetPropW(hWnd, kControlProp));
        if (uMsg == WM_NCDESTROY && pThis != nullptr) {
            ::RemovePropW(hWnd, kControlProp);
            return FinalMessage(pThis, hWnd, uMsg, wParam, lParam);
        }
    }
    if (DoTouchInformation(hWnd, uMsg, wParam, lParam) || pThis == nullptr)
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    return pThis->HandleMessage(uMsg, wParam, lParam);
}

} // namespace Veneer
