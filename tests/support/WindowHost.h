// The one window the Veneer tests drive: a real top-level window whose every message goes through its paint
// manager, pumped as an application's loop pumps, with input sent as window messages and a notification log.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/MessagePump.h"
#include "ui/controls/UIControl.h"
#include "ui/core/UIManager.h"

namespace test_support {

struct Note
{
    std::wstring type;
    Veneer::CControlUI* sender;
    WPARAM wParam;
    LPARAM lParam;
    DWORD threadId;
};

class WindowHost : public Veneer::INotifyUI
{
public:
    // A window of the given screen rectangle; without WS_VISIBLE it stays hidden until Attach shows it.
    explicit WindowHost(RECT rcAt = {0, 0, 400, 300}, DWORD dwStyle = WS_POPUP | WS_VISIBLE, DWORD dwExStyle = 0)
    {
        RegisterOnce();
        m_hWnd =
            ::CreateWindowExW(dwExStyle, kClass, L"veneer test", dwStyle, rcAt.left, rcAt.top, rcAt.right - rcAt.left,
                              rcAt.bottom - rcAt.top, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
        m_pm.Init(m_hWnd, L"veneer-test");
        m_pm.AddNotifier(this);
    }

    virtual ~WindowHost()
    {
        if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
        Pump();
    }

    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    Veneer::CPaintManagerUI& Manager() { return m_pm; }
    HWND Handle() const { return m_hWnd; }

    // Attaches the tree, shows the window and lets the manager lay it out and paint it.
    void Attach(Veneer::CControlUI* pRoot)
    {
        m_pm.AttachDialog(pRoot);
        if (!::IsWindowVisible(m_hWnd)) ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
        ::UpdateWindow(m_hWnd);
        Pump();
        Layout();
    }

    void Layout()
    {
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        ::UpdateWindow(m_hWnd);
        Pump();
    }

    void Notify(Veneer::TNotifyUI& msg) override
    {
        notes.push_back(Note{msg.sType.GetData(), msg.pSender, msg.wParam, msg.lParam, ::GetCurrentThreadId()});
    }

    int Count(const wchar_t* type) const
    {
        int n = 0;
        for (const Note& note : notes) n += note.type == type ? 1 : 0;
        return n;
    }

    // Notification types in order, without the manager's own focus and timer reports.
    std::vector<std::wstring> Types() const
    {
        std::vector<std::wstring> types;
        for (const Note& note : notes) {
            if (note.type == L"setfocus" || note.type == L"killfocus" || note.type == L"timer") continue;
            types.push_back(note.type);
        }
        return types;
    }

    void Clear() { notes.clear(); }

    // ---- input as window messages ----
    LRESULT Send(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::SendMessageW(m_hWnd, uMsg, wParam, lParam);
    }
    void Move(int x, int y, WPARAM wKeys = 0) { Send(WM_MOUSEMOVE, wKeys, MAKELPARAM(x, y)); }
    void Down(int x, int y)
    {
        Move(x, y);
        Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    }
    void Up(int x, int y) { Send(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    void Click(int x, int y)
    {
        Down(x, y);
        Up(x, y);
    }
    void Key(WPARAM vk)
    {
        Send(WM_KEYDOWN, vk, 1);
        Send(WM_KEYUP, vk, 0xC0000001);
    }
    void Char(wchar_t ch)
    {
        const WPARAM vk = static_cast<WPARAM>(::VkKeyScanW(ch) & 0xFF);
        Send(WM_KEYDOWN, vk, 1);
        Send(WM_CHAR, ch, 1);
        Send(WM_KEYUP, vk, 0xC0000001);
    }
    void Wheel(int x, int y, int delta) { Send(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), ScreenPoint(x, y)); }
    LPARAM ScreenPoint(int x, int y) const
    {
        POINT pt = {x, y};
        ::ClientToScreen(m_hWnd, &pt);
        return MAKELPARAM(pt.x, pt.y);
    }

    // Offers a keyboard message to the framework's pre-translation, as the loop would.
    bool Translate(UINT uMsg, WPARAM wParam, LPARAM lParam = 0)
    {
        MSG msg = {};
        msg.hwnd = m_hWnd;
        msg.message = uMsg;
        msg.wParam = wParam;
        msg.lParam = lParam;
        return Veneer::CPaintManagerUI::TranslateMessage(&msg);
    }

    static void Pump() { test_support::Pump(); }
    template <typename Pred> static bool PumpUntil(Pred pred, DWORD dwTimeoutMs = 3000)
    {
        return test_support::PumpUntil(pred, dwTimeoutMs);
    }
    static void PumpFor(DWORD dwMs) { test_support::PumpFor(dwMs); }

    std::vector<Note> notes;
    // Messages the window saw before its manager did (number, wParam), while recordMessages is set.
    std::vector<std::pair<UINT, WPARAM>> seen;
    bool recordMessages = false;

private:
    static constexpr const wchar_t* kClass = L"VeneerTestHost";

    static void RegisterOnce()
    {
        static const ATOM s_atom = [] {
            WNDCLASSW wc = {};
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = &WindowHost::WndProc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = kClass;
            wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
            return ::RegisterClassW(&wc);
        }();
        (void)s_atom;
    }

    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        if (uMsg == WM_NCCREATE) {
            auto* pCreate = reinterpret_cast<CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCreate->lpCreateParams));
        }
        auto* pThis = reinterpret_cast<WindowHost*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (uMsg == WM_NCDESTROY) ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        if (pThis == nullptr || uMsg == WM_NCCREATE || uMsg == WM_NCDESTROY) {
            return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
        }
        if (pThis->recordMessages) pThis->seen.emplace_back(uMsg, wParam);
        LRESULT lRes = 0;
        if (pThis->m_pm.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }

    HWND m_hWnd = nullptr;
    Veneer::CPaintManagerUI m_pm;
};

} // namespace test_support
