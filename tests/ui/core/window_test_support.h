// Helpers of the window tests beside the shared message pump: a frame whose skin is given as markup text.
#pragma once

#include <windows.h>

#include "ui/controls/UIControl.h"
#include "ui/core/UIFrameWnd.h"
#include "ui/core/UIManager.h"
#include "tests/support/MessagePump.h"

namespace window_test {

using test_support::Pump;
using test_support::PumpUntil;

// A frame built from literal markup.
class MarkupFrame : public Veneer::CUIFrameWnd
{
public:
    explicit MarkupFrame(LPCWSTR pstrMarkup) : m_sMarkup(pstrMarkup) {}
    LPCWSTR GetWindowClassName() const override { return L"VeneerWindowTestFrame"; }
    Veneer::CUIString GetSkinFile() override { return m_sMarkup; }
    Veneer::CPaintManagerUI& Manager() { return m_pm; }
    Veneer::CControlUI* Find(LPCWSTR pstrName) { return m_pm.FindControl(pstrName); }

    // Creates the window visible at the given place and lets it lay out.
    HWND CreateAt(int x, int y, int cx, int cy, HWND hOwner = nullptr)
    {
        HWND hWnd = Create(hOwner, L"window test", WS_POPUP | WS_VISIBLE, 0, x, y, cx, cy);
        if (hWnd != nullptr) {
            ::UpdateWindow(hWnd);
            Pump();
        }
        return hWnd;
    }

    void DestroyIfAlive()
    {
        if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
        Pump();
    }

private:
    Veneer::CUIString m_sMarkup;
};

inline POINT ClientToScreenPoint(HWND hWnd, int x, int y)
{
    POINT pt = { x, y };
    ::ClientToScreen(hWnd, &pt);
    return pt;
}

inline LRESULT HitTestAt(HWND hWnd, int x, int y)
{
    POINT pt = ClientToScreenPoint(hWnd, x, y);
    return ::SendMessageW(hWnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
}

} // namespace window_test
