// Waiting in tests for what a window does through its message queue.
#pragma once

#include <windows.h>

namespace test_support {

// Runs pump() and waits for more messages until pred() holds or the time is up; the last answer of pred().
template <typename Pred, typename Pump>
bool PumpUntil(Pred pred, Pump pump, DWORD dwTimeoutMs = 3000)
{
    const DWORD dwStart = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - dwStart > dwTimeoutMs) return pred();
        pump();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

} // namespace test_support
