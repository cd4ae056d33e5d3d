// Benchmark: heap allocations and time of the paint manager's per-message
// routing. Prints one line per message kind; the goal is 0 allocations per
// message once the window is warmed up.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "ui/controls/UIControl.h"
#include "ui/controls/UIHorizontalLayout.h"
#include "ui/core/UIManager.h"
#include "tests/support/MessagePump.h"

namespace {

volatile bool g_bCounting = false;
volatile long g_nAllocations = 0;

void* CountedAlloc(std::size_t n)
{
    if (g_bCounting) ::InterlockedIncrement(&g_nAllocations);
    void* p = std::malloc(n == 0 ? 1 : n);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

}  // namespace

void* operator new(std::size_t n) { return CountedAlloc(n); }
void* operator new[](std::size_t n) { return CountedAlloc(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
    if (g_bCounting) ::InterlockedIncrement(&g_nAllocations);
    return std::malloc(n == 0 ? 1 : n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept
{
    if (g_bCounting) ::InterlockedIncrement(&g_nAllocations);
    return std::malloc(n == 0 ? 1 : n);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

using namespace Veneer;

namespace {

class BenchControl : public CControlUI {
public:
    UINT GetControlFlags() const override { return UIFLAG_TABSTOP | UIFLAG_SETCURSOR; }
    void DoEvent(TEventUI& event) override
    {
        ++m_nEvents;
        if (event.Type == UIEVENT_SETCURSOR) return;  // keep the cursor untouched
        CControlUI::DoEvent(event);
    }
    long m_nEvents = 0;
};

class NullNotifier : public INotifyUI {
public:
    void Notify(TNotifyUI&) override { ++m_nNotes; }
    long m_nNotes = 0;
};

CPaintManagerUI* g_pm = nullptr;

LRESULT CALLBACK BenchProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT lRes = 0;
    if (g_pm != nullptr && g_pm->MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

template <class Fn>
void Measure(const char* pstrName, int nMessagesPerRound, Fn fn)
{
    const int kRounds = 10000;
    for (int i = 0; i < 100; ++i) fn(i);  // warm-up: scratch lists reach their size
    LARGE_INTEGER freq, t0, t1;
    ::QueryPerformanceFrequency(&freq);
    g_nAllocations = 0;
    g_bCounting = true;
    ::QueryPerformanceCounter(&t0);
    for (int i = 0; i < kRounds; ++i) fn(i);
    ::QueryPerformanceCounter(&t1);
    g_bCounting = false;
    const double nMessages = static_cast<double>(kRounds) * nMessagesPerRound;
    const double ns = static_cast<double>(t1.QuadPart - t0.QuadPart) * 1e9 / static_cast<double>(freq.QuadPart);
    std::printf("%-34s %8.0f msgs  %10.1f ns/msg  %6ld allocations  %.4f allocations/msg\n", pstrName, nMessages,
                ns / nMessages, static_cast<long>(g_nAllocations), static_cast<double>(g_nAllocations) / nMessages);
}

}  // namespace

int main()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BenchProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VeneerRoutingBench";
    ::RegisterClassW(&wc);
    HWND hWnd = ::CreateWindowExW(0, wc.lpszClassName, L"bench", WS_POPUP | WS_VISIBLE, 50, 50, 300, 100, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    if (hWnd == nullptr) return 1;
    {
        CPaintManagerUI pm;
        g_pm = &pm;
        pm.Init(hWnd, L"bench");
        auto* root = new CHorizontalLayoutUI;
        BenchControl* controls[3];
        for (int i = 0; i < 3; ++i) {
            controls[i] = new BenchControl;
            controls[i]->SetFixedWidth(100);
            root->Add(controls[i]);
        }
        controls[0]->SetName(L"first");
        pm.AttachDialog(root);
        NullNotifier notifier;
        pm.AddNotifier(&notifier);
        ::UpdateWindow(hWnd);
        test_support::Pump();
        ::UpdateWindow(hWnd);
        test_support::Pump();
        pm.SetTimer(controls[2], 1, 1000000);

        std::printf("Per-message routing of the paint manager (3 controls, %d rounds each)\n", 10000);
        Measure("WM_MOUSEMOVE inside one control", 1,
                [&](int i) { ::SendMessageW(hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(10 + (i & 7), 10)); });
        Measure("WM_MOUSEMOVE changing hot control", 2, [&](int) {
            ::SendMessageW(hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(50, 10));
            ::SendMessageW(hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(150, 10));
        });
        Measure("WM_LBUTTONDOWN + WM_LBUTTONUP", 2, [&](int) {
            ::SendMessageW(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 10));
            ::SendMessageW(hWnd, WM_LBUTTONUP, 0, MAKELPARAM(150, 10));
        });
        Measure("WM_RBUTTONDOWN + WM_RBUTTONUP", 2, [&](int) {
            ::SendMessageW(hWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 10));
            ::SendMessageW(hWnd, WM_RBUTTONUP, 0, MAKELPARAM(250, 10));
        });
        Measure("WM_KEYDOWN + WM_CHAR + WM_KEYUP", 3, [&](int) {
            ::SendMessageW(hWnd, WM_KEYDOWN, 'A', 0);
            ::SendMessageW(hWnd, WM_CHAR, 'a', 0);
            ::SendMessageW(hWnd, WM_KEYUP, 'A', 0);
        });
        Measure("WM_MOUSEWHEEL (plus its move)", 1, [&](int) {
            POINT pt = {50, 10};
            ::ClientToScreen(hWnd, &pt);
            ::SendMessageW(hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(pt.x, pt.y));
        });
        Measure("WM_TIMER of a control timer", 1, [&](int) { ::SendMessageW(hWnd, WM_TIMER, 17, 0); });
        Measure("WM_SETCURSOR", 1,
                [&](int) { ::SendMessageW(hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hWnd), HTCLIENT); });
        Measure("pre-translation of WM_KEYDOWN", 1, [&](int) {
            MSG msg = {};
            msg.hwnd = hWnd;
            msg.message = WM_KEYDOWN;
            msg.wParam = 'B';
            CPaintManagerUI::TranslateMessage(&msg);
        });
        Measure("synchronous SendNotify", 1, [&](int) { pm.SendNotify(controls[1], L"click", 1, 2); });
        Measure("name lookup", 1, [&](int) { pm.FindControl(L"first"); });

        pm.RemoveAllTimers();
        pm.RemoveNotifier(&notifier);
        ::DestroyWindow(hWnd);
        test_support::Pump();
        g_pm = nullptr;
    }
    return 0;
}
