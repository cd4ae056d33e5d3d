// Controls removed, kept or destroyed while their window still routes input, names and notifications.
// Each test control lives in pages of its own that become inaccessible when it is deleted: a later use
// faults at once (a freed heap block would still read as valid) and the crash guard fails the test.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "tests/ui/controls/controls_test_host.h"
#include "ui/controls/UIButton.h"
#include "ui/controls/UIOption.h"
#include "ui/controls/UIRichEdit.h"
#include "ui/controls/UIScrollBar.h"
#include "ui/controls/UITabLayout.h"
#include "ui/core/UIDlgBuilder.h"

using namespace Veneer;

namespace {

std::set<const void*> g_dead;
bool NoteDeath(void* p) { return g_dead.insert(p), true; }
bool Dead(const void* p) { return g_dead.count(p) != 0; }

void RemoveFromParent(CControlUI* p) { static_cast<CContainerUI*>(p->GetParent())->Remove(p); }

struct Mortal { int dieOn = 0; };  // the event that makes the control remove itself; -1: its "setfocus" note

bool DieOnSetFocusNote(void* p)
{
    auto* msg = static_cast<TNotifyUI*>(p);
    auto* mortal = dynamic_cast<Mortal*>(msg->pSender);
    if (msg->sType != L"setfocus" || mortal == nullptr || mortal->dieOn != -1) return true;
    RemoveFromParent(msg->pSender);
    return false;  // the event source is gone with its control
}

template <class T>
class Guarded : public T, public Mortal {
public:
    Guarded() { this->OnDestroy += &NoteDeath; this->OnNotify += &DieOnSetFocusNote; }
    static void* operator new(size_t n) { return ::VirtualAlloc(nullptr, n, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE); }
    static void operator delete(void* p, size_t n) { DWORD old; ::VirtualProtect(p, n, PAGE_NOACCESS, &old); }
    void DoEvent(TEventUI& event) override
    {
        if (event.Type == dieOn) RemoveFromParent(this);
        else T::DoEvent(event);
    }
};

const wchar_t kSkin[] = LR"(<Window><VerticalLayout>
  <HorizontalLayout name="bar" height="40"><GButton name="a" width="80"/><GButton name="b" width="80"/>
    <GOption name="o1" group="g" width="40"/><GRichEdit name="edit" width="100"/></HorizontalLayout>
  <HorizontalLayout name="row" height="30"><GButton width="60" tooltip="t"/><GButton width="60"/><GButton width="60"/>
    <GButton width="60"/><GButton width="60"/><GButton width="60"/><GButton width="40"/></HorizontalLayout>
  <VerticalLayout name="list" vscrollbar="true" height="60"><Control height="300"/></VerticalLayout>
  <TabLayout name="tab" animation="horizontal" framecount="4" framedelay="10"><VerticalLayout name="p0"/>
    <VerticalLayout name="p1"><GRichEdit name="edit2" height="30"/><GOption name="o2" group="g"/></VerticalLayout>
    <VerticalLayout name="p2"/><VerticalLayout name="p3"/></TabLayout>
</VerticalLayout></Window>)";

class World : public controls_test::Host, public IDialogBuilderCallback {
public:
    World() : controls_test::Host()
    {
        CDialogBuilder builder;
        Attach(builder.Create(kSkin, nullptr, this, &Manager()));
    }
    CControlUI* CreateControl(LPCWSTR pstrClass) override
    {
        if (_wcsicmp(pstrClass, L"GButton") == 0) return new Guarded<CButtonUI>;
        if (_wcsicmp(pstrClass, L"GOption") == 0) return new Guarded<COptionUI>;
        return _wcsicmp(pstrClass, L"GRichEdit") == 0 ? new Guarded<CRichEditUI> : nullptr;
    }
    void Notify(TNotifyUI& msg) override
    {
        controls_test::Host::Notify(msg);
        if (onNote) onNote(msg);
    }
    CControlUI* operator[](LPCWSTR name) { return Manager().FindControl(name); }
    CContainerUI* Box(LPCWSTR name) { return static_cast<CContainerUI*>((*this)[name]->GetInterface(L"Container")); }
    CTabLayoutUI* Tab() { return static_cast<CTabLayoutUI*>((*this)[L"tab"]); }
    std::function<void(TNotifyUI&)> onNote;
};

struct Row { const char* name; void (*run)(World&); };
void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

const Row kRows[] = {
    {"builder_into_live_tree", [](World& w) {
         CDialogBuilder builder;
         CControlUI* built = builder.Create(L"<Window><HorizontalLayout name=\"built\"><Button name=\"inner\"/>"
                                            L"</HorizontalLayout></Window>", nullptr, &w, &w.Manager(), w.Box(L"list"));
         EXPECT_EQ(w[L"built"], built);
         EXPECT_EQ(built->GetParent(), w[L"list"]);
         EXPECT_EQ(w[L"inner"]->GetManager(), &w.Manager());
         w.Box(L"list")->SetDelayedDestroy(false);
         w.Box(L"list")->Remove(built);
         EXPECT_EQ(w[L"inner"], nullptr);
     }},
    {"removed_in_its_handler_then_modal", [](World& w) {
         // A click, then an async notification, whose handler removes the sender and runs a nested loop.
         for (LPCWSTR name : {L"a", L"b"}) {
             CControlUI* p = w[name];
             w.onNote = [&](TNotifyUI& m) {
                 if (m.pSender != p || (m.sType != L"click" && m.sType != L"later")) return;
                 w.Box(L"bar")->Remove(p);
                 EXPECT_EQ(w[name], nullptr);  // out of the tree at once, deleted later
                 World::PumpFor(50);
                 EXPECT_FALSE(Dead(p)) << m.sType.GetData();
             };
             if (name[0] == L'a') w.Click(40, 20);
             else w.Manager().SendNotify(p, L"later", 0, 0, true);
             World::PumpFor(50);
             EXPECT_TRUE(Dead(p));
         }
     }},
    {"scroll_bar_turned_off_in_its_scroll", [](World& w) {
         CContainerUI* list = w.Box(L"list");
         CControlUI* bar = list->GetVerticalScrollBar();
         ASSERT_TRUE(bar != nullptr && bar->IsVisible());
         bar->OnDestroy += &NoteDeath;
         w.onNote = [&](TNotifyUI& m) {
             if (m.sType != L"scroll") return;
             list->EnableScrollBar(false, false);
             EXPECT_FALSE(Dead(bar));
         };
         w.Click(bar->GetPos().left + 8, bar->GetPos().top + 4);
         World::Pump();
         EXPECT_TRUE(Dead(bar));
     }},
    {"kept_tab_page_with_rich_edit_and_option", [](World& w) {
         CControlUI* page = w[L"p1"];
         CControlUI* edit = w[L"edit2"];
         CControlUI* option = w[L"o2"];
         w.Tab()->Remove(page, true);
         EXPECT_LT(w.Manager().GetOptionGroup(L"g")->Find(option), 0);
         w.Tab()->Add(page);  // listens again where it lives
         w.Tab()->SetAnimation(UIANIM_NONE);
         w.Tab()->SelectItem(page);
         w.Layout();
         edit->SetFocus();
         w.Char(L'x');
         w.Tab()->Remove(page);
         w.Char(L'y');  // not heard by an edit waiting to be deleted
         EXPECT_STREQ(edit->GetText().GetData(), L"x");
     }},
    {"kept_children_of_plain_container", [](World& w) {
         CControlUI* b = w[L"b"];
         CControlUI* edit = w[L"edit"];
         b->SetFocus();
         w.Move(120, 20);
         b->SetTimer(7, 10);
         w.Box(L"bar")->Remove(b, true);
         w.Box(L"bar")->Remove(edit, true);
         EXPECT_EQ(w.Manager().GetFocus(), nullptr);
         EXPECT_EQ(w[L"b"], nullptr);
         World::PumpFor(60);
         EXPECT_EQ(w.Count(L"timer"), 0);
         delete b;
         delete edit;
         w.Move(300, 250);
         w.Char(L'y');
     }},
    {"control_removed_by_its_own_event", [](World& w) {  // and with it the press it may have started
         w.Box(L"row")->SetDelayedDestroy(false);
         const struct { int dieOn; UINT msg; WPARAM keys; } cases[] = {
             {UIEVENT_MOUSEENTER, 0, 0}, {UIEVENT_MOUSEHOVER, WM_MOUSEHOVER, 0},
             {UIEVENT_SETFOCUS, WM_LBUTTONDOWN, MK_LBUTTON}, {UIEVENT_RBUTTONDOWN, WM_RBUTTONDOWN, MK_RBUTTON},
             {UIEVENT_DBLCLICK, WM_LBUTTONDBLCLK, MK_LBUTTON}, {UIEVENT_KILLFOCUS, WM_SETFOCUS, 0},
             {-1, WM_SETFOCUS, 0}};
         for (const auto& c : cases) {
             CControlUI* p = w.Box(L"row")->GetItemAt(0);
             dynamic_cast<Mortal*>(p)->dieOn = c.dieOn;
             w.Move(30, 55);
             if (c.msg == WM_SETFOCUS) p->SetFocus(), w.Manager().SetFocus(nullptr);
             else if (c.msg != 0) w.Send(c.msg, c.keys, MAKELPARAM(30, 55));
             w.Up(30, 55);
             w.Send(WM_CONTEXTMENU, 0, MAKELPARAM(30, 55));
             EXPECT_TRUE(Dead(p)) << c.dieOn;
             EXPECT_FALSE(w.Manager().IsCaptured()) << c.dieOn;
             w.Layout();
         }
     }},
    {"tab_page_removed_during_a_slide", [](World& w) {
         CTabLayoutUI* tab = w.Tab();
         auto slide = [&](int to, const std::function<void()>& during) {
             w.Clear();
             ASSERT_TRUE(tab->SelectItem(to));
             during();
             World::PumpFor(200);
         };
         slide(1, [&] { tab->SetAnimation(UIANIM_NONE); tab->SelectItem(2); tab->SetAnimation(UIANIM_HORIZONTAL); });
         EXPECT_EQ(w.Count(L"tabselect"), 1);
         EXPECT_TRUE(w[L"p2"]->IsVisible() && !w[L"p1"]->IsVisible());
         slide(1, [&] { tab->Remove(w[L"p1"]); });  // the page it brings
         EXPECT_EQ(w.Count(L"tabselect"), 0);
         EXPECT_TRUE(w[L"p0"]->IsVisible() && !w[L"p2"]->IsVisible());
         slide(2, [&] { tab->Remove(w[L"p0"]); });  // the page it leaves
         ASSERT_EQ(w.Count(L"tabselect"), 1);
         EXPECT_EQ(w.Count(L"tabnoactiveform"), 0);
         slide(0, [&] { tab->RemoveAll(); });
         EXPECT_EQ(w.Count(L"tabselect"), 0);
     }},
    {"rich_edit_loses_the_mouse_in_a_drag", [](World& w) {
         w.Down(250, 20);
         HWND hOther = ::CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
         ::SetCapture(hOther);
         ::DestroyWindow(hOther);
         w.Clear();
         w.Up(40, 20);
         EXPECT_EQ(w.Count(L"click"), 0);
     }},
};

class Lifetime : public ::testing::TestWithParam<Row> {};

TEST_P(Lifetime, Row)
{
    World world;
    world.Clear();
    GetParam().run(world);
}

INSTANTIATE_TEST_SUITE_P(Rows, Lifetime, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

}  // namespace
