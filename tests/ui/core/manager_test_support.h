// Helpers of the paint manager tests: a real top-level window driven by its
// own paint manager, controls that record the events they get, and a
// notification log.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/controls/UIHorizontalLayout.h"
#include "ui/controls/UIVerticalLayout.h"
#include "ui/core/UIManager.h"
#include "tests/support/MessagePump.h"

namespace pm_test {

struct EventRecord {
    std::wstring control;
    int type;
    Veneer::CControlUI* sender;
    WPARAM wParam;
    LPARAM lParam;
    POINT pt;
};

struct NotifyRecord {
    std::wstring type;
    Veneer::CControlUI* sender;
    WPARAM wParam;
    LPARAM lParam;
    DWORD threadId;
};

// A leaf control that logs every event it receives (by its own name) and,
// optionally, is a tab stop or pretends to be of another class.
class RecordingControl : public Veneer::CControlUI {
public:
    RecordingControl(LPCWSTR pstrName, std::vector<EventRecord>* pLog, UINT uFlags = 0,
                     LPCWSTR pstrClass = L"RecordingUI")
        : m_pLog(pLog), m_uFlags(uFlags), m_sClass(pstrClass)
    {
        SetName(pstrName);
    }

    LPCTSTR GetClass() const override { return m_sClass.c_str(); }
    UINT GetControlFlags() const override { return m_uFlags; }

    bool Activate() override
    {
        ++m_nActivations;
        return Veneer::CControlUI::Activate();
    }

    void DoEvent(Veneer::TEventUI& event) override
    {
        if (m_pLog != nullptr) {
            m_pLog->push_back(EventRecord{GetName().GetData(), event.Type, event.pSender, event.wParam, event.lParam,
                                          event.ptMouse});
        }
        if (event.Type == Veneer::UIEVENT_SETFOCUS || event.Type == Veneer::UIEVENT_KILLFOCUS ||
            event.Type == Veneer::UIEVENT_TIMER) {
            Veneer::CControlUI::DoEvent(event);
        }
    }

    bool DoPaint(HDC hDC, const RECT& rcPaint, Veneer::CControlUI* pStopControl) override
    {
        ++m_nPaints;
        if (m_pPaintOrder != nullptr) m_pPaintOrder->push_back(L"paint:" + std::wstring(GetName().GetData()));
        if (m_crFill != CLR_INVALID) {
            // Plain GDI: leaves the alpha byte of the off-screen pixels at 0.
            HBRUSH hBrush = ::CreateSolidBrush(m_crFill);
            ::FillRect(hDC, &GetPos(), hBrush);
            ::DeleteObject(hBrush);
        }
        return Veneer::CControlUI::DoPaint(hDC, rcPaint, pStopControl);
    }

    void SetPos(RECT rc, bool bNeedInvalidate = true) override
    {
        ++m_nSetPos;
        Veneer::CControlUI::SetPos(rc, bNeedInvalidate);
    }

    int m_nActivations = 0;
    int m_nPaints = 0;
    int m_nSetPos = 0;
    COLORREF m_crFill = CLR_INVALID;
    std::vector<std::wstring>* m_pPaintOrder = nullptr;

private:
    std::vector<EventRecord>* m_pLog;
    UINT m_uFlags;
    std::wstring m_sClass;
};

// A visible popup window whose every message goes through its paint manager.
class ManagedWindow : public Veneer::INotifyUI {
public:
    ManagedWindow(int x = 100, int y = 100, int cx = 300, int cy = 200, DWORD dwExStyle = 0)
    {
        static bool s_registered = false;
        if (!s_registered) {
            WNDCLASSW wc = {};
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = &ManagedWindow::WndProc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"VeneerManagerTestHost";
            wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
            ::RegisterClassW(&wc);
            s_registered = true;
        }
        m_hWnd = ::CreateWindowExW(dwExStyle, L"VeneerManagerTestHost", L"manager test", WS_POPUP, x, y, cx, cy,
                                   nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
        m_pm.Init(m_hWnd, L"manager-test");
        m_pm.AddNotifier(this);
    }

    virtual ~ManagedWindow()
    {
        if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
        Pump();
    }

    ManagedWindow(const ManagedWindow&) = delete;
    ManagedWindow& operator=(const ManagedWindow&) = delete;

    // Attaches the tree, shows the window and lets the first paints run.
    void AttachAndShow(Veneer::CControlUI* pRoot)
    {
        m_pm.AttachDialog(pRoot);
        ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
        ::UpdateWindow(m_hWnd);
        Pump();
        ::UpdateWindow(m_hWnd);
        Pump();
    }

    void Notify(Veneer::TNotifyUI& msg) override
    {
        notes.push_back(NotifyRecord{msg.sType.GetData(), msg.pSender, msg.wParam, msg.lParam, ::GetCurrentThreadId()});
    }

    int CountNotes(LPCWSTR pstrType) const
    {
        int n = 0;
        for (const NotifyRecord& r : notes) {
            if (r.type == pstrType) ++n;
        }
        return n;
    }

    // Dispatches everything queued for this thread, the way the framework's loop does.
    static void Pump()
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!Veneer::CPaintManagerUI::TranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }

    template <typename Pred>
    static bool PumpUntil(Pred pred, DWORD dwTimeoutMs = 3000)
    {
        return test_support::PumpUntil(pred, &Pump, dwTimeoutMs);
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

    LRESULT Send(UINT uMsg, WPARAM wParam, LPARAM lParam) { return ::SendMessageW(m_hWnd, uMsg, wParam, lParam); }

    HWND m_hWnd = nullptr;
    Veneer::CPaintManagerUI m_pm;
    std::vector<NotifyRecord> notes;
    // Messages seen by the window before the manager (number, wParam).
    std::vector<std::pair<UINT, WPARAM>> seen;
    bool m_bRecordMessages = false;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        if (uMsg == WM_NCCREATE) {
            auto* pCreate = reinterpret_cast<LPCREATESTRUCTW>(lParam);
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCreate->lpCreateParams));
        }
        auto* pThis = reinterpret_cast<ManagedWindow*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (pThis != nullptr && uMsg != WM_NCCREATE) {
            if (pThis->m_bRecordMessages) pThis->seen.emplace_back(uMsg, wParam);
            if (uMsg == WM_NCDESTROY) {
                ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
                return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
            }
            LRESULT lRes = 0;
            if (pThis->m_pm.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
        }
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
};

inline RECT Rc(int l, int t, int r, int b)
{
    RECT rc = {l, t, r, b};
    return rc;
}

inline LPARAM ClientPoint(int x, int y)
{
    return MAKELPARAM(x, y);
}

inline LPARAM ScreenPoint(HWND hWnd, int x, int y)
{
    POINT pt = {x, y};
    ::ClientToScreen(hWnd, &pt);
    return MAKELPARAM(pt.x, pt.y);
}

// Events of one kind received by one control, in order.
inline std::vector<EventRecord> EventsOf(const std::vector<EventRecord>& log, LPCWSTR pstrControl, int type)
{
    std::vector<EventRecord> out;
    for (const EventRecord& r : log) {
        if (r.control == pstrControl && r.type == type) out.push_back(r);
    }
    return out;
}

}  // namespace pm_test
