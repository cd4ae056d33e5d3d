// Waiting in tests for what a window does through its message queue, pumped as the framework's own loop pumps.
#pragma once

#include <windows.h>

#include "ui/core/UIManager.h"

namespace test_support {

// Dispatches everything queued for this thread, each message offered to the framework's pre-translation first
// (Tab, shortcuts and dialog keys are routed there). A quit request is left in the queue for the caller's loop.
inline void Pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!Veneer::CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

// Pumps and waits for more messages until pred() holds or the time is up; the last answer of pred().
template <typename Pred> bool PumpUntil(Pred pred, DWORD dwTimeoutMs = 3000)
{
    const DWORD dwStart = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - dwStart > dwTimeoutMs) return pred();
        Pump();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

// Runs the loop for about the given time (timers fire meanwhile).
inline void PumpFor(DWORD dwMs)
{
    const DWORD dwStart = ::GetTickCount();
    PumpUntil([&] { return ::GetTickCount() - dwStart >= dwMs; }, dwMs + 100);
}

} // namespace test_support
