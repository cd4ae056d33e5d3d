// Input routing of the paint manager in a real window: mouse, keyboard,
// focus and tab order, shortcuts, timers and notifications.
#include <gtest/gtest.h>

#include <thread>

#include "manager_test_support.h"

using namespace Veneer;
using namespace pm_test;

namespace {

// Three side-by-side controls of 100 pixels each (A, B, C) in a 300x200 window.
class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wnd = new WindowHost({100, 100, 400, 300}, WS_POPUP);
        root = new CHorizontalLayoutUI;
        a = Add(L"a", UIFLAG_TABSTOP);
        b = Add(L"b", UIFLAG_TABSTOP);
        c = Add(L"c", UIFLAG_TABSTOP);
    }

    void TearDown() override { delete wnd; }

    RecordingControl* Add(LPCWSTR pstrName, UINT uFlags, LPCWSTR pstrClass = L"RecordingUI", int cx = 100)
    {
        auto* p = new RecordingControl(pstrName, &log, uFlags, pstrClass);
        p->SetFixedWidth(cx);
        root->Add(p);
        return p;
    }

    void Show() { wnd->Attach(root); }

    void Tab(bool bShift = false)
    {
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        BYTE old = keys[VK_SHIFT];
        keys[VK_SHIFT] = bShift ? 0x80 : 0;
        ::SetKeyboardState(keys);
        EXPECT_TRUE(wnd->Translate(WM_KEYDOWN, VK_TAB));
        keys[VK_SHIFT] = old;
        ::SetKeyboardState(keys);
    }

    WindowHost* wnd = nullptr;
    CHorizontalLayoutUI* root = nullptr;
    RecordingControl* a = nullptr;
    RecordingControl* b = nullptr;
    RecordingControl* c = nullptr;
    std::vector<EventRecord> log;
};

// ---------------------------------------------------------------------------
// tab order and shortcuts

TEST_F(InputTest, FirstPaintAfterAttachFocusesTheFirstTabStop)
{
    Show();
    EXPECT_EQ(a, wnd->Manager().GetFocus());
    EXPECT_EQ(1u, EventsOf(log, L"a", UIEVENT_SETFOCUS).size());
}

TEST_F(InputTest, TabWalksTheTabStopsInOrderAndWrapsForward)
{
    auto* plain = new RecordingControl(L"plain", &log, 0);  // no tab stop: skipped
    plain->SetFixedWidth(10);
    root->AddAt(plain, 1);
    Show();
    ASSERT_EQ(a, wnd->Manager().GetFocus());
    Tab();
    EXPECT_EQ(b, wnd->Manager().GetFocus());
    Tab();
    EXPECT_EQ(c, wnd->Manager().GetFocus());
    Tab();
    EXPECT_EQ(a, wnd->Manager().GetFocus());
}

TEST_F(InputTest, ShiftTabGoesBackAndWrapsFromTheFirstToTheLast)
{
    Show();
    ASSERT_EQ(a, wnd->Manager().GetFocus());
    Tab(true);
    EXPECT_EQ(c, wnd->Manager().GetFocus());
    Tab(true);
    EXPECT_EQ(b, wnd->Manager().GetFocus());
    Tab(true);
    EXPECT_EQ(a, wnd->Manager().GetFocus());
}

TEST_F(InputTest, TabSkipsDisabledAndHiddenControls)
{
    Show();
    b->SetEnabled(false);
    Tab();
    EXPECT_EQ(c, wnd->Manager().GetFocus());
    b->SetEnabled(true);
    a->SetVisible(false);
    wnd->Pump();
    Tab();
    EXPECT_EQ(b, wnd->Manager().GetFocus());
}

TEST_F(InputTest, AltLetterOnALabelFocusesAndActivatesTheNextControl)
{
    // As in a Windows dialog: the control placed after the label, not the one before it.
    RecordingControl* before = Add(L"before", UIFLAG_TABSTOP, L"RecordingUI", 20);
    RecordingControl* label = Add(L"label", 0, L"LabelUI", 20);
    RecordingControl* after = Add(L"after", UIFLAG_TABSTOP, L"RecordingUI", 20);
    label->SetShortcut(L'n');
    Show();
    EXPECT_TRUE(wnd->Translate(WM_SYSCHAR, L'N'));
    EXPECT_EQ(after, wnd->Manager().GetFocus());
    EXPECT_EQ(1, after->m_nActivations);
    EXPECT_EQ(0, before->m_nActivations);
    EXPECT_EQ(0, label->m_nActivations);
}

TEST_F(InputTest, AltLetterOnAControlPicksTheControlItselfAndUnknownLettersPassThrough)
{
    c->SetShortcut(L'Q');
    Show();
    EXPECT_TRUE(wnd->Translate(WM_SYSCHAR, L'q'));
    EXPECT_EQ(c, wnd->Manager().GetFocus());
    EXPECT_EQ(1, c->m_nActivations);
    EXPECT_FALSE(wnd->Translate(WM_SYSCHAR, L'z'));
    EXPECT_EQ(c, wnd->Manager().GetFocus());
}

// ---------------------------------------------------------------------------
// focus

TEST_F(InputTest, SetFocusSendsKillFocusThenSetFocusAndRemembersTheLastFocus)
{
    Show();
    wnd->notes.clear();
    wnd->Manager().SetFocus(b);
    ASSERT_EQ(2u, wnd->notes.size());
    EXPECT_EQ(L"killfocus", wnd->notes[0].type);
    EXPECT_EQ(a, wnd->notes[0].sender);
    EXPECT_EQ(L"setfocus", wnd->notes[1].type);
    EXPECT_EQ(b, wnd->notes[1].sender);
    auto kills = EventsOf(log, L"a", UIEVENT_KILLFOCUS);
    ASSERT_EQ(1u, kills.size());
    EXPECT_EQ(b, kills[0].sender);  // the kill-focus event names the new focus
    EXPECT_EQ(a, wnd->Manager().GetLastFocus());
    EXPECT_TRUE(b->IsFocused());
    EXPECT_FALSE(a->IsFocused());
}

TEST_F(InputTest, DisabledOrForeignControlsNeverGetTheFocus)
{
    Show();
    c->SetEnabled(false);
    wnd->Manager().SetFocus(c);
    EXPECT_EQ(nullptr, wnd->Manager().GetFocus());
    RecordingControl stray(L"stray", &log, UIFLAG_TABSTOP);  // not in this window's tree
    wnd->Manager().SetFocus(&stray);
    EXPECT_EQ(nullptr, wnd->Manager().GetFocus());
}

// ---------------------------------------------------------------------------
// mouse

TEST_F(InputTest, MouseMoveSendsEnterAndLeaveWhenTheHotControlChanges)
{
    Show();
    log.clear();
    wnd->Send(WM_MOUSEMOVE, 0, ClientPoint(50, 50));
    EXPECT_EQ(1u, EventsOf(log, L"a", UIEVENT_MOUSEENTER).size());
    EXPECT_EQ(1u, EventsOf(log, L"a", UIEVENT_MOUSEMOVE).size());
    wnd->Send(WM_MOUSEMOVE, 0, ClientPoint(60, 50));
    EXPECT_EQ(1u, EventsOf(log, L"a", UIEVENT_MOUSEENTER).size()) << "no second enter within the same control";
    wnd->Send(WM_MOUSEMOVE, 0, ClientPoint(150, 50));
    ASSERT_EQ(1u, EventsOf(log, L"a", UIEVENT_MOUSELEAVE).size());
    EXPECT_EQ(1u, EventsOf(log, L"b", UIEVENT_MOUSEENTER).size());
    // Leave comes before the new control's enter.
    size_t iLeave = 0, iEnter = 0;
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].control == L"a" && log[i].type == UIEVENT_MOUSELEAVE) iLeave = i;
        if (log[i].control == L"b" && log[i].type == UIEVENT_MOUSEENTER) iEnter = i;
    }
    EXPECT_LT(iLeave, iEnter);
    EXPECT_EQ(150, wnd->Manager().GetMousePos().x);
}

TEST_F(InputTest, ControlsOnTheMouseLeaveListHearEveryLeaveOfTheHotControl)
{
    Show();
    wnd->Manager().AddMouseLeaveNeeded(c);
    EXPECT_FALSE(wnd->Manager().AddMouseLeaveNeeded(c)) << "no duplicates";
    wnd->Send(WM_MOUSEMOVE, 0, ClientPoint(50, 50));
    log.clear();
    wnd->Send(WM_MOUSEMOVE, 0, ClientPoint(150, 50));
    auto leaves = EventsOf(log, L"c", UIEVENT_MOUSELEAVE);
    ASSERT_EQ(1u, leaves.size());
    EXPECT_EQ(a, leaves[0].sender);
    EXPECT_TRUE(wnd->Manager().RemoveMouseLeaveNeeded(c));
    EXPECT_FALSE(wnd->Manager().RemoveMouseLeaveNeeded(c));
}

TEST_F(InputTest, HoverReachesTheHotControlAndShowsItsToolTip)
{
    b->SetToolTip(L"tip of b");
    Show();
    wnd->Send(WM_MOUSEMOVE, 0, ClientPoint(150, 50));
    log.clear();
    EXPECT_EQ(0, wnd->Send(WM_MOUSEHOVER, 0, ClientPoint(150, 50)));
    EXPECT_EQ(1u, EventsOf(log, L"b", UIEVENT_MOUSEHOVER).size());
    HWND hTip = wnd->Manager().GetTooltipWindow();
    ASSERT_NE(nullptr, hTip);
    wchar_t szClass[64] = {};
    ::GetClassNameW(hTip, szClass, 64);
    EXPECT_STREQ(L"tooltips_class32", szClass);
    EXPECT_EQ(wnd->Handle(), ::GetWindow(hTip, GW_OWNER));
}

TEST_F(InputTest, LeavingTheClientAreaEndsWithALeaveOfTheHotControl)
{
    Show();
    wnd->Send(WM_MOUSEMOVE, 0, ClientPoint(150, 50));
    ASSERT_EQ(1u, EventsOf(log, L"b", UIEVENT_MOUSEENTER).size());
    ::SetCursorPos(2, 2);  // far outside the window at (100,100)
    wnd->Send(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(1u, EventsOf(log, L"b", UIEVENT_MOUSELEAVE).size());
    EXPECT_EQ(-1, wnd->Manager().GetMousePos().x);
    EXPECT_EQ(-1, wnd->Manager().GetMousePos().y);
}

TEST_F(InputTest, ALeaveWhileTheCursorIsStillOverTheClientAreaBecomesAMoveToIt)
{
    Show();
    ::SetForegroundWindow(wnd->Handle());
    ::SetActiveWindow(wnd->Handle());
    wnd->Send(WM_MOUSEMOVE, 0, ClientPoint(50, 50));
    POINT pt = {250, 50};
    ::ClientToScreen(wnd->Handle(), &pt);
    ::SetCursorPos(pt.x, pt.y);
    POINT ptNow = {};
    ::GetCursorPos(&ptNow);
    const bool bInside = ::GetActiveWindow() == wnd->Handle() && ptNow.x == pt.x && ptNow.y == pt.y;
    wnd->Send(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(1u, EventsOf(log, L"a", UIEVENT_MOUSELEAVE).size());
    if (bInside) {
        // The synthetic move lands where the cursor really is.
        EXPECT_EQ(1u, EventsOf(log, L"c", UIEVENT_MOUSEENTER).size());
        EXPECT_EQ(250, wnd->Manager().GetMousePos().x);
    } else {
        EXPECT_TRUE(EventsOf(log, L"c", UIEVENT_MOUSEENTER).empty());
        EXPECT_EQ(-1, wnd->Manager().GetMousePos().x);
    }
}

TEST_F(InputTest, ButtonGestureStaysWithThePressedControl)
{
    Show();
    log.clear();
    wnd->Send(WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(150, 20));
    EXPECT_EQ(1u, EventsOf(log, L"b", UIEVENT_BUTTONDOWN).size());
    EXPECT_EQ(b, wnd->Manager().GetFocus());
    EXPECT_TRUE(wnd->Manager().IsCaptured());
    wnd->Send(WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(250, 20));
    EXPECT_EQ(1u, EventsOf(log, L"b", UIEVENT_MOUSEMOVE).size()) << "moves go to the pressed control";
    EXPECT_EQ(0u, EventsOf(log, L"c", UIEVENT_MOUSEENTER).size()) << "no hot change while captured";
    wnd->Send(WM_LBUTTONUP, 0, ClientPoint(250, 20));
    auto ups = EventsOf(log, L"b", UIEVENT_BUTTONUP);
    ASSERT_EQ(1u, ups.size());
    EXPECT_EQ(250, ups[0].pt.x);
    EXPECT_EQ(0u, EventsOf(log, L"c", UIEVENT_BUTTONUP).size());
    EXPECT_FALSE(wnd->Manager().IsCaptured());
}

TEST_F(InputTest, RightButtonUpOverAnotherControlGoesThereAndSoDoesTheContextMenu)
{
    Show();
    log.clear();
    wnd->Send(WM_RBUTTONDOWN, MK_RBUTTON, ClientPoint(50, 20));
    EXPECT_EQ(1u, EventsOf(log, L"a", UIEVENT_RBUTTONDOWN).size());
    wnd->Send(WM_RBUTTONUP, 0, ClientPoint(250, 20));
    EXPECT_EQ(0u, EventsOf(log, L"a", UIEVENT_RBUTTONUP).size());
    EXPECT_EQ(1u, EventsOf(log, L"c", UIEVENT_RBUTTONUP).size());
    wnd->Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(wnd->Handle()), wnd->ScreenPoint(250, 20));
    auto menus = EventsOf(log, L"c", UIEVENT_CONTEXTMENU);
    ASSERT_EQ(1u, menus.size());
    EXPECT_EQ(reinterpret_cast<LPARAM>(c), menus[0].lParam);
    EXPECT_EQ(250, menus[0].pt.x);
    EXPECT_EQ(0u, EventsOf(log, L"a", UIEVENT_CONTEXTMENU).size());
}

TEST_F(InputTest, WheelEventCarriesTheDeltaAndADirectionInTheLowWord)
{
    Show();
    log.clear();
    wnd->Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), wnd->ScreenPoint(50, 20));
    wnd->Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 240), wnd->ScreenPoint(50, 20));
    auto wheels = EventsOf(log, L"a", UIEVENT_SCROLLWHEEL);
    ASSERT_EQ(2u, wheels.size());
    EXPECT_EQ(1, LOWORD(wheels[0].wParam));
    EXPECT_EQ(-120, static_cast<short>(HIWORD(wheels[0].wParam)));
    EXPECT_EQ(0, LOWORD(wheels[1].wParam));
    EXPECT_EQ(240, static_cast<short>(HIWORD(wheels[1].wParam)));
    EXPECT_EQ(50, wnd->Manager().GetMousePos().x) << "screen point converted to client";
}

// Records the key-state word of the mouse events it receives.
class KeyStateControl : public RecordingControl {
public:
    using RecordingControl::RecordingControl;
    void DoEvent(TEventUI& event) override
    {
        if (event.Type == UIEVENT_MOUSEMOVE || event.Type == UIEVENT_SCROLLWHEEL) states.push_back(event.wKeyState);
        RecordingControl::DoEvent(event);
    }
    std::vector<WORD> states;
};

TEST_F(InputTest, MouseEventsCarryTheSameKeyStateWordAsTheThreadsKeyState)
{
    // Each row: the keys the thread holds, the flags a mouse message made in that state carries, the word.
    struct Row { std::vector<int> held; WORD flags; WORD word; };
    const Row rows[] = {
        {{}, 0, 0},
        {{VK_SHIFT, VK_CONTROL}, MK_SHIFT | MK_CONTROL, UIKEYSTATE_SHIFT | UIKEYSTATE_CONTROL},
        {{VK_LBUTTON, VK_MENU}, MK_LBUTTON, UIKEYSTATE_LBUTTON | UIKEYSTATE_ALT},
        {{VK_RBUTTON, VK_MENU}, MK_RBUTTON, UIKEYSTATE_RBUTTON | UIKEYSTATE_ALT},
        {{VK_MBUTTON, VK_XBUTTON1}, MK_MBUTTON | MK_XBUTTON1, 0},  // not in the word: MK_XBUTTON1 is no Alt
    };
    auto* k = new KeyStateControl(L"k", &log);
    k->SetFixedWidth(100);
    root->AddAt(k, 0);
    Show();
    BYTE saved[256] = {};  // the thread's own state, put back at the end
    ::GetKeyboardState(saved);
    for (const Row& row : rows) {
        BYTE keys[256] = {};
        for (int vk : row.held) keys[vk] = 0x80;
        ::SetKeyboardState(keys);
        k->states.clear();
        wnd->Send(WM_MOUSEMOVE, row.flags, ClientPoint(50, 50));
        // The wheel, and the move it is followed by (made up by the manager, without flags of its own).
        wnd->Send(WM_MOUSEWHEEL, MAKEWPARAM(row.flags, 120), wnd->ScreenPoint(50, 50));
        EXPECT_EQ(std::vector<WORD>(3, row.word), k->states) << "flags " << row.flags;
    }
    ::SetKeyboardState(saved);
}

TEST_F(InputTest, KeysGoToTheFocusAndKeyUpToTheControlThatSawTheKeyDown)
{
    Show();
    ASSERT_EQ(a, wnd->Manager().GetFocus());
    log.clear();
    wnd->Send(WM_KEYDOWN, 'X', 0);
    wnd->Send(WM_CHAR, 'x', 0);
    wnd->Manager().SetFocus(b);
    wnd->Send(WM_KEYUP, 'X', 0);
    auto downs = EventsOf(log, L"a", UIEVENT_KEYDOWN);
    ASSERT_EQ(1u, downs.size());
    EXPECT_EQ(1u, EventsOf(log, L"a", UIEVENT_CHAR).size());
    EXPECT_EQ(1u, EventsOf(log, L"a", UIEVENT_KEYUP).size());
    EXPECT_EQ(0u, EventsOf(log, L"b", UIEVENT_KEYUP).size());
}

namespace {
class ConsumingFilter : public IMessageFilterUI {
public:
    explicit ConsumingFilter(UINT uMsg) : m_uMsg(uMsg) {}
    LRESULT MessageHandler(UINT uMsg, WPARAM, LPARAM, bool& bHandled) override
    {
        ++m_nSeen;
        if (uMsg == m_uMsg) {
            bHandled = true;
            return 77;
        }
        return 0;
    }
    UINT m_uMsg;
    int m_nSeen = 0;
};
}  // namespace

TEST_F(InputTest, AMessageFilterThatHandlesAMessageKeepsItFromTheControls)
{
    Show();
    ConsumingFilter filter(WM_LBUTTONDOWN);
    wnd->Manager().AddMessageFilter(&filter);
    log.clear();
    EXPECT_EQ(77, wnd->Send(WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(150, 20)));
    EXPECT_TRUE(EventsOf(log, L"b", UIEVENT_BUTTONDOWN).empty());
    EXPECT_EQ(150, wnd->Manager().GetMousePos().x) << "the point is still recorded";
    EXPECT_TRUE(wnd->Manager().RemoveMessageFilter(&filter));
    wnd->Send(WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(150, 20));
    EXPECT_EQ(1u, EventsOf(log, L"b", UIEVENT_BUTTONDOWN).size());
    wnd->Send(WM_LBUTTONUP, 0, ClientPoint(150, 20));
}

// ---------------------------------------------------------------------------
// timers

TEST_F(InputTest, TimerNativeIdsStartAt17AndMapBackToTheControlAndLocalId)
{
    Show();
    ASSERT_TRUE(wnd->Manager().SetTimer(a, 5, 100000));
    ASSERT_TRUE(wnd->Manager().SetTimer(b, 5, 100000));
    log.clear();
    wnd->Send(WM_TIMER, 17, 0);
    wnd->Send(WM_TIMER, 18, 0);
    auto ta = EventsOf(log, L"a", UIEVENT_TIMER);
    auto tb = EventsOf(log, L"b", UIEVENT_TIMER);
    ASSERT_EQ(1u, ta.size());
    ASSERT_EQ(1u, tb.size());
    EXPECT_EQ(5u, ta[0].wParam);
    EXPECT_EQ(5u, tb[0].wParam);
    EXPECT_EQ(2, wnd->Count(L"timer")) << "the base control answers each timer event with \"timer\"";
}

TEST_F(InputTest, ALiveTimerRefusesSetTimerAndAKilledOneReusesItsNativeId)
{
    Show();
    ASSERT_TRUE(wnd->Manager().SetTimer(a, 1, 100000));   // 17
    EXPECT_FALSE(wnd->Manager().SetTimer(a, 1, 100000));  // live
    EXPECT_TRUE(wnd->Manager().KillTimer(a, 1));
    EXPECT_FALSE(wnd->Manager().KillTimer(a, 1));         // already killed
    ASSERT_TRUE(wnd->Manager().SetTimer(b, 1, 100000));   // 18, not the killed 17
    log.clear();
    wnd->Send(WM_TIMER, 17, 0);
    EXPECT_TRUE(log.empty()) << "a killed timer delivers nothing";
    ASSERT_TRUE(wnd->Manager().SetTimer(a, 1, 100000));   // restarted with 17
    wnd->Send(WM_TIMER, 17, 0);
    wnd->Send(WM_TIMER, 18, 0);
    EXPECT_EQ(1u, EventsOf(log, L"a", UIEVENT_TIMER).size());
    EXPECT_EQ(1u, EventsOf(log, L"b", UIEVENT_TIMER).size());
}

TEST_F(InputTest, NativeTimerIdsWrapAt240)
{
    Show();
    // 17..239 are 223 ids; the 224th timer gets 0, the next one 1.
    for (UINT i = 0; i < 223; ++i) ASSERT_TRUE(wnd->Manager().SetTimer(a, 1000 + i, 100000)) << i;
    ASSERT_TRUE(wnd->Manager().SetTimer(b, 7, 100000));
    ASSERT_TRUE(wnd->Manager().SetTimer(c, 8, 100000));
    log.clear();
    wnd->Send(WM_TIMER, 0, 0);
    wnd->Send(WM_TIMER, 1, 0);
    wnd->Send(WM_TIMER, 239, 0);
    auto tb = EventsOf(log, L"b", UIEVENT_TIMER);
    auto tc = EventsOf(log, L"c", UIEVENT_TIMER);
    auto ta = EventsOf(log, L"a", UIEVENT_TIMER);
    ASSERT_EQ(1u, tb.size());
    EXPECT_EQ(7u, tb[0].wParam);
    ASSERT_EQ(1u, tc.size());
    EXPECT_EQ(8u, tc[0].wParam);
    ASSERT_EQ(1u, ta.size());
    EXPECT_EQ(1222u, ta[0].wParam);
    wnd->Manager().RemoveAllTimers();
}

TEST_F(InputTest, WrappedIdsSkipIdsStillHeldByOtherTimers)
{
    Show();
    for (UINT i = 0; i < 240; ++i) ASSERT_TRUE(wnd->Manager().SetTimer(a, i, 100000)) << i;
    EXPECT_FALSE(wnd->Manager().SetTimer(b, 1, 100000)) << "every native id is in use";
    wnd->Manager().KillTimer(a);
    EXPECT_TRUE(wnd->Manager().SetTimer(b, 1, 100000));
}

TEST_F(InputTest, ARealTimerFiresThroughTheMessageLoopUntilKilled)
{
    Show();
    ASSERT_TRUE(wnd->Manager().SetTimer(c, 42, 20));
    EXPECT_TRUE(WindowHost::PumpUntil([&] { return EventsOf(log, L"c", UIEVENT_TIMER).size() >= 2; }));
    EXPECT_EQ(42u, EventsOf(log, L"c", UIEVENT_TIMER)[0].wParam);
    wnd->Manager().KillTimer(c);
    log.clear();
    ::Sleep(60);
    WindowHost::Pump();
    EXPECT_TRUE(EventsOf(log, L"c", UIEVENT_TIMER).empty());
}

// ---------------------------------------------------------------------------
// notifications

class WakeCounter : public IMessageFilterUI {
public:
    LRESULT MessageHandler(UINT uMsg, WPARAM, LPARAM, bool&) override
    {
        if (uMsg == WM_APP + 1) ++wakeups;
        if (uMsg == WM_USER + 50) order.push_back(L"queued-before");
        return 0;
    }
    int wakeups = 0;
    std::vector<std::wstring> order;
};

class OrderNotifier : public INotifyUI {
public:
    explicit OrderNotifier(std::vector<std::wstring>* pOrder) : m_pOrder(pOrder) {}
    void Notify(TNotifyUI& msg) override
    {
        m_pOrder->push_back(msg.sType.GetData());
        threadId = ::GetCurrentThreadId();
    }
    std::vector<std::wstring>* m_pOrder;
    DWORD threadId = 0;
};

TEST_F(InputTest, AsyncNotificationsFromAWorkerCauseOneWakeUpAndArriveInOrderOnTheUiThread)
{
    Show();
    WindowHost::Pump();
    WakeCounter counter;
    wnd->Manager().AddMessageFilter(&counter);
    OrderNotifier notifier(&counter.order);
    wnd->Manager().AddNotifier(&notifier);

    ::PostMessageW(wnd->Handle(), WM_USER + 50, 0, 0);
    CPaintManagerUI* pm = &wnd->Manager();
    CControlUI* sender = b;
    std::thread worker([pm, sender] {
        pm->SendNotify(sender, L"first", 1, 0, true);
        pm->SendNotify(sender, L"second", 2, 0, true);
    });
    worker.join();
    EXPECT_TRUE(counter.order.empty()) << "nothing is delivered on the worker thread";
    WindowHost::PumpUntil([&] { return counter.order.size() >= 3; });
    WindowHost::Pump();

    ASSERT_EQ(3u, counter.order.size());
    EXPECT_EQ(L"queued-before", counter.order[0]);
    EXPECT_EQ(L"first", counter.order[1]);
    EXPECT_EQ(L"second", counter.order[2]);
    EXPECT_EQ(1, counter.wakeups);
    EXPECT_EQ(::GetCurrentThreadId(), notifier.threadId);
    wnd->Manager().RemoveNotifier(&notifier);
    wnd->Manager().RemoveMessageFilter(&counter);
}

class ChainingNotifier : public INotifyUI {
public:
    ChainingNotifier(CPaintManagerUI* pm, std::vector<std::wstring>* pOrder) : m_pm(pm), m_pOrder(pOrder) {}
    void Notify(TNotifyUI& msg) override
    {
        m_pOrder->push_back(msg.sType.GetData());
        if (msg.sType == L"outer") m_pm->SendNotify(msg.pSender, L"inner", 0, 0, true);
    }
    CPaintManagerUI* m_pm;
    std::vector<std::wstring>* m_pOrder;
};

TEST_F(InputTest, AListenerMayQueueFurtherAsyncNotificationsDuringDelivery)
{
    Show();
    std::vector<std::wstring> order;
    ChainingNotifier notifier(&wnd->Manager(), &order);
    wnd->Manager().AddNotifier(&notifier);
    wnd->Manager().SendNotify(a, L"outer", 0, 0, true);
    EXPECT_TRUE(order.empty());
    WindowHost::PumpUntil([&] { return order.size() >= 2; });
    ASSERT_EQ(2u, order.size());
    EXPECT_EQ(L"outer", order[0]);
    EXPECT_EQ(L"inner", order[1]);
    wnd->Manager().RemoveNotifier(&notifier);
}

TEST_F(InputTest, SynchronousNotifyRunsTheSendersDelegatesThenEveryNotifier)
{
    Show();
    static std::vector<std::wstring>* s_pOrder = nullptr;
    std::vector<std::wstring> order;
    s_pOrder = &order;
    b->OnNotify += [](void* p) {
        s_pOrder->push_back(L"delegate:" + std::wstring(static_cast<TNotifyUI*>(p)->sType.GetData()));
        return false;  // a refusing delegate does not stop the notifiers
    };
    OrderNotifier n1(&order);
    wnd->Manager().AddNotifier(&n1);
    wnd->Manager().SendNotify(b, L"ping", 3, 4);
    ASSERT_EQ(2u, order.size());
    EXPECT_EQ(L"delegate:ping", order[0]);
    EXPECT_EQ(L"ping", order[1]);
    const Note& last = wnd->notes.back();
    EXPECT_EQ(L"ping", last.type);
    EXPECT_EQ(3u, last.wParam);
    EXPECT_EQ(4, last.lParam);
    wnd->Manager().RemoveNotifier(&n1);
    s_pOrder = nullptr;
}

TEST_F(InputTest, ReapObjectsClearsTheControlFromQueuedNotificationsAndEverySlot)
{
    Show();
    wnd->Manager().SetFocus(b);
    wnd->Send(WM_MOUSEMOVE, 0, ClientPoint(150, 50));
    ASSERT_EQ(b, wnd->Manager().FindControl(L"b"));
    ASSERT_TRUE(wnd->Manager().SetTimer(b, 3, 100000));
    wnd->Manager().SendNotify(b, L"late", 0, 0, true);
    wnd->Manager().ReapObjects(b);
    EXPECT_EQ(nullptr, wnd->Manager().GetFocus());
    EXPECT_EQ(nullptr, wnd->Manager().FindControl(L"b"));
    EXPECT_TRUE(wnd->Manager().SetTimer(b, 3, 100000)) << "its timers were dropped";
    wnd->Manager().KillTimer(b);
    WindowHost::PumpUntil([&] { return wnd->Count(L"late") == 1; });
    ASSERT_EQ(1, wnd->Count(L"late"));
    for (const Note& r : wnd->notes) {
        if (r.type == L"late") {
            EXPECT_EQ(nullptr, r.sender);
        }
    }
}

TEST_F(InputTest, ReattachingHandsTheOldTreeToDelayedCleanup)
{
    Show();
    static int s_destroyed = 0;
    s_destroyed = 0;
    a->OnDestroy += [](void*) {
        ++s_destroyed;
        return true;
    };
    auto* newRoot = new CVerticalLayoutUI;
    auto* d = new RecordingControl(L"d", &log, UIFLAG_TABSTOP);
    newRoot->Add(d);
    ASSERT_TRUE(wnd->Manager().AttachDialog(newRoot));
    root = nullptr;
    EXPECT_EQ(0, s_destroyed) << "deleted later, not inside AttachDialog";
    EXPECT_EQ(d, wnd->Manager().FindControl(L"d"));
    WindowHost::PumpUntil([&] { return s_destroyed == 1; });
    EXPECT_EQ(1, s_destroyed);
    EXPECT_EQ(nullptr, wnd->Manager().FindControl(L"a"));
}

TEST_F(InputTest, NameLookupFindsTheLatestControlOfADuplicatedName)
{
    RecordingControl* twin = Add(L"a", 0, L"RecordingUI", 10);
    Show();
    EXPECT_EQ(twin, wnd->Manager().FindControl(L"a"));
    EXPECT_EQ(c, wnd->Manager().FindSubControlByName(root, L"c"));
    EXPECT_EQ(b, wnd->Manager().FindSubControlByClass(root, L"RecordingUI", 1));
    EXPECT_EQ(4, wnd->Manager().FindSubControlsByClass(root, L"RecordingUI")->GetSize());
    EXPECT_EQ(c, wnd->Manager().FindControl(POINT{250, 10}));
    EXPECT_EQ(&wnd->Manager(), CPaintManagerUI::GetPaintManager(L"veneer-test"));
    EXPECT_EQ(nullptr, CPaintManagerUI::GetPaintManager(L""));
}


// ---------------------------------------------------------------------------
// pre-translation, accelerators and reflected messages

class CountingAccelerator : public ITranslateAccelerator {
public:
    explicit CountingAccelerator(UINT uConsume) : m_uConsume(uConsume) {}
    LRESULT TranslateAccelerator(MSG* pMsg) override
    {
        ++m_nSeen;
        return pMsg->message == m_uConsume ? 0 : 1;
    }
    UINT m_uConsume;
    int m_nSeen = 0;
};

TEST_F(InputTest, AcceleratorsAndPreMessageFiltersSeeMessagesBeforeTheWindow)
{
    Show();
    CountingAccelerator accel(WM_KEYDOWN);
    wnd->Manager().AddTranslateAccelerator(&accel);
    CControlUI* pFocus = wnd->Manager().GetFocus();
    EXPECT_TRUE(wnd->Translate(WM_KEYDOWN, VK_TAB)) << "consumed by the accelerator";
    EXPECT_EQ(pFocus, wnd->Manager().GetFocus()) << "so the tab key did not move the focus";
    EXPECT_EQ(1, accel.m_nSeen);
    EXPECT_TRUE(wnd->Manager().RemoveTranslateAccelerator(&accel));

    ConsumingFilter pre(WM_KEYDOWN);
    wnd->Manager().AddPreMessageFilter(&pre);
    EXPECT_TRUE(wnd->Translate(WM_KEYDOWN, 'K'));
    EXPECT_FALSE(wnd->Translate(WM_KEYUP, 'K'));
    EXPECT_EQ(2, pre.m_nSeen);
    EXPECT_TRUE(wnd->Manager().RemovePreMessageFilter(&pre));
    EXPECT_FALSE(wnd->Manager().RemovePreMessageFilter(&pre));
    EXPECT_FALSE(wnd->Translate(WM_KEYDOWN, 'K')) << "a plain key is left to the window";
}

LRESULT CALLBACK ReflectingChildProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == 0x2000 + WM_COMMAND) return 0x55;
    if (uMsg == 0x2000 + WM_NOTIFY) return 0x66;
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

TEST_F(InputTest, CommandsAndNotificationsOfNativeChildrenAreReflectedToThem)
{
    Show();
    HWND hChild = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, wnd->Handle(), nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hChild);
    ::SetWindowLongPtrW(hChild, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ReflectingChildProc));
    LRESULT lRes = 0;
    EXPECT_TRUE(wnd->Manager().MessageHandler(WM_COMMAND, 1, reinterpret_cast<LPARAM>(hChild), lRes));
    EXPECT_EQ(0x55, lRes);
    NMHDR hdr = {hChild, 1, 0};
    EXPECT_TRUE(wnd->Manager().MessageHandler(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&hdr), lRes));
    EXPECT_EQ(0x66, lRes);
    EXPECT_FALSE(wnd->Manager().MessageHandler(WM_COMMAND, 1, 0, lRes)) << "menu commands are not reflected";
    ::DestroyWindow(hChild);
}

TEST_F(InputTest, MinMaxInfoTakesTheConfiguredLimits)
{
    Show();
    wnd->Manager().SetMinInfo(120, 80);
    wnd->Manager().SetMaxInfo(640, 0);
    MINMAXINFO mmi = {};
    mmi.ptMaxTrackSize.y = 999;
    LRESULT lRes = 0;
    EXPECT_FALSE(wnd->Manager().MessageHandler(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi), lRes));
    EXPECT_EQ(120, mmi.ptMinTrackSize.x);
    EXPECT_EQ(80, mmi.ptMinTrackSize.y);
    EXPECT_EQ(640, mmi.ptMaxTrackSize.x);
    EXPECT_EQ(999, mmi.ptMaxTrackSize.y) << "a zero limit leaves the system value";
}

TEST(ManagerWithoutWindow, IgnoresMessagesBeforeInit)
{
    CPaintManagerUI pm;
    LRESULT lRes = 0;
    EXPECT_FALSE(pm.MessageHandler(WM_PAINT, 0, 0, lRes));
    EXPECT_FALSE(pm.MessageHandler(WM_ERASEBKGND, 0, 0, lRes));
    RECT rc = {-5, -5, 10, 10};
    pm.Invalidate(rc);  // must not touch the desktop
    EXPECT_EQ(-5, rc.left);
    EXPECT_FALSE(pm.SetTimer(nullptr, 1, 10));
}

}  // namespace
