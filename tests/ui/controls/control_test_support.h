// Helpers shared by the control and layout tests: a host window with its own
// paint manager, an off-screen 32-bit canvas, and recording controls.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/controls/UIHorizontalLayout.h"
#include "ui/controls/UIVerticalLayout.h"
#include "ui/core/UIManager.h"

namespace ctl_test {

inline RECT Rc(int l, int t, int r, int b)
{
    RECT rc = {l, t, r, b};
    return rc;
}

inline bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::string RectText(const RECT& rc)
{
    char buf[80];
    wsprintfA(buf, "(%ld,%ld,%ld,%ld)", rc.left, rc.top, rc.right, rc.bottom);
    return buf;
}

// A top-level window whose messages go through its own paint manager, so that
// focus, timers, invalidation and notifications behave as in a real window.
class HostWindow : public Veneer::INotifyUI
{
public:
    HostWindow(int cx = 400, int cy = 300)
    {
        static bool s_registered = false;
        if (!s_registered) {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = &HostWindow::WndProc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"VeneerCtlTestHost";
            wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
            ::RegisterClassW(&wc);
            s_registered = true;
        }
        m_hWnd = ::CreateWindowExW(0, L"VeneerCtlTestHost", L"ctl test", WS_POPUP | WS_VISIBLE, 0, 0, cx, cy,
                                   nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
        m_pm.Init(m_hWnd);
        m_pm.AddNotifier(this);
    }

    ~HostWindow()
    {
        if (m_hWnd != nullptr) {
            ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
            ::DestroyWindow(m_hWnd);
        }
    }

    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    Veneer::CPaintManagerUI& Manager() { return m_pm; }
    HWND Handle() const { return m_hWnd; }

    void Notify(Veneer::TNotifyUI& msg) override
    {
        m_notes.push_back(std::wstring(msg.sType.GetData()));
        m_senders.push_back(msg.pSender);
        m_wParams.push_back(msg.wParam);
    }

    int CountNotes(const wchar_t* type) const
    {
        int n = 0;
        for (const std::wstring& s : m_notes) n += (s == type) ? 1 : 0;
        return n;
    }

    // Dispatches everything queued for this thread.
    static void Pump()
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    template <typename Pred>
    static bool PumpUntil(Pred pred, DWORD dwTimeoutMs = 3000)
    {
        const DWORD dwStart = ::GetTickCount();
        while (!pred()) {
            if (::GetTickCount() - dwStart > dwTimeoutMs) return pred();
            Pump();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
        return true;
    }

    std::vector<std::wstring> m_notes;
    std::vector<Veneer::CControlUI*> m_senders;
    std::vector<WPARAM> m_wParams;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        if (uMsg == WM_NCCREATE) {
            CREATESTRUCTW* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        HostWindow* self = reinterpret_cast<HostWindow*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (self != nullptr && uMsg != WM_NCCREATE && uMsg != WM_CREATE) {
            LRESULT lRes = 0;
            if (self->m_pm.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
        }
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }

    HWND m_hWnd = nullptr;
    Veneer::CPaintManagerUI m_pm;
};

// An off-screen top-down 32-bit DIB with direct pixel access.
class Canvas
{
public:
    Canvas(int cx, int cy, DWORD dwFill = 0xFFFFFFFF) : m_cx(cx), m_cy(cy)
    {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = cx;
        bmi.bmiHeader.biHeight = -cy;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        m_hDC = ::CreateCompatibleDC(nullptr);
        m_hBitmap = ::CreateDIBSection(m_hDC, &bmi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pBits), nullptr, 0);
        m_hOld = ::SelectObject(m_hDC, m_hBitmap);
        Fill(dwFill);
    }

    ~Canvas()
    {
        ::SelectObject(m_hDC, m_hOld);
        ::DeleteObject(m_hBitmap);
        ::DeleteDC(m_hDC);
    }

    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC DC() const { return m_hDC; }

    void Fill(DWORD dwColor)
    {
        ::GdiFlush();
        for (int i = 0; i < m_cx * m_cy; ++i) m_pBits[i] = dwColor;
    }

    // 0x00RRGGBB of one pixel (alpha dropped: GDI leaves it undefined).
    DWORD Rgb(int x, int y) const
    {
        ::GdiFlush();
        return m_pBits[y * m_cx + x] & 0x00FFFFFF;
    }

private:
    int m_cx;
    int m_cy;
    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOld = nullptr;
    DWORD* m_pBits = nullptr;
};

// A control with a fixed size that reports its destruction.
class ProbeControl : public Veneer::CControlUI
{
public:
    explicit ProbeControl(int cx = 0, int cy = 0, bool* pDeleted = nullptr) : m_pDeleted(pDeleted)
    {
        if (cx > 0) SetFixedWidth(cx);
        if (cy > 0) SetFixedHeight(cy);
    }
    ~ProbeControl() override
    {
        if (m_pDeleted != nullptr) *m_pDeleted = true;
    }

private:
    bool* m_pDeleted;
};

// Fixed-size children for layouts: 0 means "stretch" in that dimension.
inline Veneer::CControlUI* Child(Veneer::CContainerUI& parent, int cx, int cy)
{
    Veneer::CControlUI* p = new Veneer::CControlUI();
    if (cx > 0) p->SetFixedWidth(cx);
    if (cy > 0) p->SetFixedHeight(cy);
    parent.Add(p);
    return p;
}

} // namespace ctl_test
