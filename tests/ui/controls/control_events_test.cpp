// Delegates and event sources, event dispatch and bubbling, timers,
// frame animations and the pane show/hide animation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls_test_host.h"

using namespace Veneer;
using controls_test::Child;
using controls_test::Host;
using controls_test::Rc;

namespace {

std::vector<std::string> g_calls;

bool StaticYes(void*)
{
    g_calls.push_back("static-yes");
    return true;
}

bool StaticNo(void*)
{
    g_calls.push_back("static-no");
    return false;
}

class Listener
{
public:
    explicit Listener(const char* name, bool bAnswer = true) : m_name(name), m_bAnswer(bAnswer) {}
    bool OnCall(void* p)
    {
        g_calls.push_back(m_name);
        m_last = p;
        return m_bAnswer;
    }
    bool OnOther(void*)
    {
        g_calls.push_back(m_name + "-other");
        return true;
    }
    std::string m_name;
    bool m_bAnswer;
    void* m_last = nullptr;
};

// Records every event that reaches DoEvent.
class EventRecorder : public CControlUI
{
public:
    void DoEvent(TEventUI& event) override
    {
        m_types.push_back(event.Type);
        CControlUI::DoEvent(event);
    }
    std::vector<int> m_types;
};

class EventRecorderLayout : public CVerticalLayoutUI
{
public:
    void DoEvent(TEventUI& event) override
    {
        m_types.push_back(event.Type);
        CVerticalLayoutUI::DoEvent(event);
    }
    std::vector<int> m_types;
};

// Records the frame-animation callbacks.
class AnimatedControl : public CControlUI
{
public:
    void OnAnimationStart(int id, bool bFirst) override
    {
        m_log.push_back("start " + std::to_string(id) + (bFirst ? " first" : " again"));
    }
    void OnAnimationStep(int total, int cur, int id) override
    {
        m_log.push_back("step " + std::to_string(id) + " " + std::to_string(cur) + "/" + std::to_string(total));
    }
    void OnAnimationStop(int id) override { m_log.push_back("stop " + std::to_string(id)); }
    std::vector<std::string> m_log;
};

TEventUI MakeEvent(int type)
{
    TEventUI ev;
    ev.Type = type;
    return ev;
}

} // namespace

TEST(EventSource, EmptySourceAnswersTrueAndIsFalseAsABool)
{
    CEventSource src;
    EXPECT_FALSE(static_cast<bool>(src));
    EXPECT_TRUE(src(nullptr));
}

TEST(EventSource, CallsInOrderAndStopsAtTheFirstFalse)
{
    g_calls.clear();
    Listener a("a");
    Listener b("b", false);
    Listener c("c");
    CEventSource src;
    src += MakeDelegate(&a, &Listener::OnCall);
    src += StaticYes;
    src += MakeDelegate(&b, &Listener::OnCall);
    src += MakeDelegate(&c, &Listener::OnCall);
    EXPECT_TRUE(static_cast<bool>(src));
    int param = 7;
    EXPECT_FALSE(src(&param));
    EXPECT_EQ((std::vector<std::string>{"a", "static-yes", "b"}), g_calls);
    EXPECT_EQ(&param, a.m_last);
    EXPECT_EQ(nullptr, c.m_last);
}

TEST(EventSource, EqualDelegatesAreAddedOnceAndRemovedByValue)
{
    g_calls.clear();
    Listener a("a");
    Listener a2("a2");
    CEventSource src;
    src += MakeDelegate(&a, &Listener::OnCall);
    src += MakeDelegate(&a, &Listener::OnCall);
    src += MakeDelegate(&a, &Listener::OnOther);   // other function: a different delegate
    src += MakeDelegate(&a2, &Listener::OnCall);   // other object: a different delegate
    src += StaticNo;
    src += StaticNo;
    EXPECT_EQ(4, src.GetCount());
    src -= MakeDelegate(&a, &Listener::OnCall);
    src -= StaticNo;
    src -= StaticYes;  // not there: nothing happens
    EXPECT_EQ(2, src.GetCount());
    EXPECT_TRUE(src(nullptr));
    EXPECT_EQ((std::vector<std::string>{"a-other", "a2"}), g_calls);
}

TEST(EventSource, CopiesAreIndependent)
{
    g_calls.clear();
    CEventSource src;
    src += StaticYes;
    CEventSource copy(src);
    src -= StaticYes;
    EXPECT_EQ(0, src.GetCount());
    EXPECT_TRUE(copy(nullptr));
    EXPECT_EQ((std::vector<std::string>{"static-yes"}), g_calls);
}

TEST(ControlEventDispatch, OnEventDelegateCanSwallowTheEvent)
{
    EventRecorder c;
    Listener veto("veto", false);
    c.OnEvent += MakeDelegate(&veto, &Listener::OnCall);
    TEventUI ev = MakeEvent(UIEVENT_BUTTONDOWN);
    c.Event(ev);
    EXPECT_TRUE(c.m_types.empty());
    EXPECT_EQ(&ev, veto.m_last);
    c.OnEvent -= MakeDelegate(&veto, &Listener::OnCall);
    c.Event(ev);
    EXPECT_EQ(1u, c.m_types.size());
}

TEST(ControlEventDispatch, UnhandledEventsBubbleToTheParent)
{
    EventRecorderLayout parent;
    EventRecorder* child = new EventRecorder();
    parent.Add(child);
    TEventUI ev = MakeEvent(UIEVENT_BUTTONDOWN);
    child->Event(ev);
    EXPECT_EQ(std::vector<int>{UIEVENT_BUTTONDOWN}, parent.m_types);

    // Focus events are handled by the control itself.
    TEventUI focus = MakeEvent(UIEVENT_SETFOCUS);
    child->Event(focus);
    EXPECT_TRUE(child->IsFocused());
    EXPECT_EQ(1u, parent.m_types.size());
    TEventUI kill = MakeEvent(UIEVENT_KILLFOCUS);
    child->Event(kill);
    EXPECT_FALSE(child->IsFocused());
}

TEST(ControlEventDispatch, MouseEventsOfAMouseDisabledContainerGoToItsParent)
{
    EventRecorderLayout outer;
    EventRecorderLayout* inner = new EventRecorderLayout();
    outer.Add(inner);
    inner->SetMouseEnabled(false);
    TEventUI ev = MakeEvent(UIEVENT_MOUSEMOVE);
    inner->Event(ev);
    EXPECT_EQ(std::vector<int>{UIEVENT_MOUSEMOVE}, outer.m_types);
}

TEST(ControlEventDispatch, ContextMenuNotifiesOnlyWhenEnabled)
{
    Host host;
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    CControlUI* a = Child(*root, 0, 20);
    host.Manager().AttachDialog(root);
    TEventUI ev = MakeEvent(UIEVENT_CONTEXTMENU);
    a->Event(ev);
    EXPECT_EQ(0, host.Count(L"menu"));
    a->SetAttribute(L"menu", L"true");
    ev.wParam = 5;
    a->Event(ev);
    ASSERT_EQ(1, host.Count(L"menu"));
    EXPECT_EQ(a, host.notes.back().sender);
    EXPECT_EQ(5u, host.notes.back().wParam);
}

TEST(ControlLifecycle, InitAndDestroyDelegatesRun)
{
    g_calls.clear();
    Listener init("init");
    Listener destroy("destroy");
    CVerticalLayoutUI parent;
    CControlUI* c = new CControlUI();
    c->OnInit += MakeDelegate(&init, &Listener::OnCall);
    c->OnDestroy += MakeDelegate(&destroy, &Listener::OnCall);
    c->SetManager(nullptr, &parent, false);
    EXPECT_TRUE(g_calls.empty());
    c->SetManager(nullptr, &parent, true);
    EXPECT_EQ(std::vector<std::string>{"init"}, g_calls);
    EXPECT_EQ(c, init.m_last);
    delete c;
    EXPECT_EQ((std::vector<std::string>{"init", "destroy"}), g_calls);
}

TEST(ControlLifecycle, OnSizeRunsOnEveryPositionWithAManager)
{
    g_calls.clear();
    Listener sized("size");
    Host host;
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    CControlUI* a = Child(*root, 0, 20);
    a->OnSize += MakeDelegate(&sized, &Listener::OnCall);
    host.Manager().AttachDialog(root);
    root->SetPos(Rc(0, 0, 50, 50), false);
    EXPECT_EQ(std::vector<std::string>{"size"}, g_calls);
    EXPECT_EQ(a, sized.m_last);
}

TEST(ControlTimers, TimerEventsArriveAsNotifications)
{
    Host host;
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    CControlUI* a = Child(*root, 0, 20);
    host.Manager().AttachDialog(root);
    CControlUI orphan;
    EXPECT_FALSE(orphan.SetTimer(1, 10));
    ASSERT_TRUE(a->SetTimer(3, 10));
    EXPECT_TRUE(Host::PumpUntil([&] { return host.Count(L"timer") >= 2; }));
    EXPECT_EQ(a, host.notes.back().sender);
    EXPECT_EQ(3u, host.notes.back().wParam);
    a->KillTimer(3);
    Host::Pump();
    int n = host.Count(L"timer");
    ::Sleep(60);
    Host::Pump();
    EXPECT_EQ(n, host.Count(L"timer"));
}

TEST(ControlAnimation, FramesRunFromStartToStop)
{
    Host host;
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    AnimatedControl* a = new AnimatedControl();
    root->Add(a);
    host.Manager().AttachDialog(root);

    EXPECT_FALSE(a->StartAnimation(0, 3, 21));
    EXPECT_FALSE(a->StartAnimation(10, 0, 21));
    ASSERT_TRUE(a->StartAnimation(10, 3, 21));
    EXPECT_FALSE(a->StartAnimation(10, 3, 21));  // already running
    EXPECT_TRUE(a->IsAnimationRunning(21));
    EXPECT_EQ(0, a->GetCurrentFrame(21));
    EXPECT_FALSE(a->SetCurrentFrame(4, 21));
    EXPECT_EQ(-1, a->GetCurrentFrame(99));

    EXPECT_TRUE(Host::PumpUntil([&] { return !a->IsAnimationRunning(21); }));
    std::vector<std::string> want = {"start 21 first", "step 21 0/3", "step 21 1/3",
                                     "step 21 2/3", "step 21 3/3", "stop 21"};
    EXPECT_EQ(want, a->m_log);
}

TEST(ControlAnimation, StopAnimationEndsItAtOnce)
{
    Host host;
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    AnimatedControl* a = new AnimatedControl();
    root->Add(a);
    host.Manager().AttachDialog(root);
    ASSERT_TRUE(a->StartAnimation(10, 1000, 5));
    ASSERT_TRUE(a->StartAnimation(10, 1000, 6));
    a->StopAnimation(5);
    EXPECT_FALSE(a->IsAnimationRunning(5));
    EXPECT_TRUE(a->IsAnimationRunning(6));
    a->StopAnimation();
    EXPECT_FALSE(a->IsAnimationRunning(6));
    ::Sleep(40);
    Host::Pump();
    EXPECT_TRUE(a->m_log.empty());
}

TEST(ControlAnimation, PaneHideShrinksThenHidesAndShowGrowsBack)
{
    Host host({0, 0, 100, 130});  // the window lays the root out to its client size
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    CControlUI* pane = Child(*root, 0, 0);
    pane->SetAttribute(L"animation", L"scalevertical");
    pane->SetFrameCount(4);
    pane->SetFrameDelay(5);
    CControlUI* below = Child(*root, 0, 30);
    host.Manager().AttachDialog(root);
    root->SetPos(Rc(0, 0, 100, 130), false);
    ASSERT_EQ(100, pane->GetHeight());

    pane->SetPaneVisible(false);
    EXPECT_FALSE(pane->IsPaneVisible());
    EXPECT_TRUE(pane->IsAnimationRunning(UIANIMID_PANE_HIDE));
    EXPECT_TRUE(Host::PumpUntil([&] { return !pane->IsAnimationRunning(UIANIMID_PANE_HIDE); }));
    EXPECT_FALSE(pane->IsVisible());
    root->SetPos(root->GetPos(), false);
    EXPECT_EQ(0, below->GetPos().top);

    pane->SetPaneVisible(true);
    EXPECT_TRUE(Host::PumpUntil([&] { return !pane->IsAnimationRunning(UIANIMID_PANE_SHOW); }));
    EXPECT_TRUE(pane->IsVisible());
    root->SetPos(root->GetPos(), false);
    EXPECT_EQ(100, pane->GetHeight());
    EXPECT_EQ(100, below->GetPos().top);
}

TEST(ControlAnimation, PaneVisibilityWithoutAWindowChangesAtOnce)
{
    CControlUI c;
    c.SetAttribute(L"animation", L"scalesize");
    c.SetPaneVisible(false);
    EXPECT_FALSE(c.IsPaneVisible());
    EXPECT_FALSE(c.IsVisible());
    c.SetPaneVisible(true);
    EXPECT_TRUE(c.IsPaneVisible());
    EXPECT_TRUE(c.IsVisible());
    EXPECT_FALSE(c.IsAnimationRunning(UIANIMID_PANE_SHOW));
}

TEST(ControlAnimation, PaneVisibilityIgnoredForNonScaleKinds)
{
    CControlUI c;
    c.SetAttribute(L"animation", L"alpha");
    c.SetPaneVisible(false);
    EXPECT_TRUE(c.IsPaneVisible());
    EXPECT_TRUE(c.IsVisible());
}
