// Tab layouts: one page at a time, selection by index, control and name.
#include <gtest/gtest.h>

#include "tests/ui/controls/controls_test_host.h"
#include "ui/controls/UITabLayout.h"
#include "ui/controls/UIVerticalLayout.h"

using namespace Veneer;
using controls_test::Host;

namespace {

struct TabWindow
{
    Host host;
    CTabLayoutUI* tabs = new CTabLayoutUI();
    CControlUI* pages[3] = {};

    TabWindow()
    {
        tabs->SetAttribute(L"name", L"tabs");
        const wchar_t* names[3] = {L"A", L"B", L"C"};
        for (int i = 0; i < 3; ++i) {
            pages[i] = new CVerticalLayoutUI();
            pages[i]->SetAttribute(L"name", names[i]);
            tabs->Add(pages[i]);
        }
        host.Attach(tabs);
        host.Clear();
    }
};

} // namespace

TEST(TabLayoutPages, FirstVisiblePageIsShownAndLaidOut)
{
    TabWindow w;
    EXPECT_EQ(0, w.tabs->GetCurSel());
    EXPECT_TRUE(w.pages[0]->IsVisible());
    EXPECT_FALSE(w.pages[1]->IsVisible());
    EXPECT_FALSE(w.pages[2]->IsVisible());
    EXPECT_EQ(400, w.pages[0]->GetWidth());
    EXPECT_EQ(300, w.pages[0]->GetHeight());
    EXPECT_STREQ(L"A", w.tabs->GetCurForm().GetData());
}

TEST(TabLayoutPages, SelectingByIndexSwitchesPagesAndNotifies)
{
    TabWindow w;
    EXPECT_TRUE(w.tabs->SelectItem(2));
    EXPECT_TRUE(w.pages[2]->IsVisible());
    EXPECT_FALSE(w.pages[0]->IsVisible());
    EXPECT_FALSE(w.pages[1]->IsVisible());
    ASSERT_EQ(1, w.host.Count(L"tabselect"));
    for (const test_support::Note& note : w.host.notes) {
        if (note.type == L"tabselect") {
            EXPECT_EQ(w.tabs, note.sender);
            EXPECT_EQ(2u, note.wParam);
            EXPECT_EQ(0, note.lParam);
        }
    }
    EXPECT_EQ(1, w.host.Count(L"tabactiveform"));
    EXPECT_EQ(1, w.host.Count(L"tabnoactiveform"));
    w.host.Layout();
    EXPECT_EQ(300, w.pages[2]->GetHeight());
}

TEST(TabLayoutPages, SelectingTheCurrentPageChangesNothing)
{
    TabWindow w;
    EXPECT_TRUE(w.tabs->SelectItem(0));
    EXPECT_TRUE(w.tabs->SelectItem(w.pages[0]));
    EXPECT_EQ(0, w.host.Count(L"tabselect"));
}

TEST(TabLayoutPages, BadSelectionsFailWithoutChange)
{
    TabWindow w;
    EXPECT_FALSE(w.tabs->SelectItem(3));
    EXPECT_FALSE(w.tabs->SelectItem(-1));
    CControlUI stranger;
    EXPECT_FALSE(w.tabs->SelectItem(&stranger));
    EXPECT_EQ(0, w.tabs->GetCurSel());
    EXPECT_EQ(0, w.host.Count(L"tabselect"));
}

TEST(TabLayoutPages, SelectFormFindsDirectPagesOnly)
{
    TabWindow w;
    CControlUI* nested = new CControlUI();
    nested->SetAttribute(L"name", L"nested");
    static_cast<CContainerUI*>(w.pages[1])->Add(nested);
    EXPECT_FALSE(w.tabs->SelectForm(L"nested"));
    EXPECT_FALSE(w.tabs->SelectForm(L"missing"));
    EXPECT_EQ(0, w.tabs->GetCurSel());
    EXPECT_TRUE(w.tabs->SelectForm(L"B"));
    EXPECT_EQ(1, w.tabs->GetCurSel());
    w.host.Clear();
    EXPECT_TRUE(w.tabs->SelectForm(L"B"));
    EXPECT_EQ(1, w.host.Count(L"tabactiveform")) << "the current page announces itself again";
    EXPECT_EQ(0, w.host.Count(L"tabselect"));
}

TEST(TabLayoutRemove, RemovingTheCurrentPageShowsPageZero)
{
    TabWindow w;
    w.tabs->SelectItem(1);
    EXPECT_TRUE(w.tabs->Remove(w.pages[1]));
    EXPECT_EQ(0, w.tabs->GetCurSel());
    EXPECT_TRUE(w.pages[0]->IsVisible());
    EXPECT_EQ(2, w.tabs->GetCount());
}

TEST(TabLayoutRemove, RemovingAnEarlierPageKeepsTheCurrentPage)
{
    TabWindow w;
    w.tabs->SelectItem(2);
    EXPECT_TRUE(w.tabs->Remove(w.pages[0]));
    EXPECT_EQ(1, w.tabs->GetCurSel());
    EXPECT_EQ(w.pages[2], w.tabs->GetItemAt(w.tabs->GetCurSel()));
}

TEST(TabLayoutRemove, RemovingAPageTheCallerKeepsLeavesItAlive)
{
    TabWindow w;
    CControlUI* page = w.pages[2];
    EXPECT_TRUE(w.tabs->Remove(page, true));
    EXPECT_EQ(2, w.tabs->GetCount());
    page->SetText(L"still here");
    EXPECT_STREQ(L"still here", page->GetText().GetData());
    delete page;
}

TEST(TabLayoutRemove, AKeptPageBelongsToNoWindowAnyMore)
{
    TabWindow w;
    w.tabs->SelectItem(2);
    CControlUI* page = w.pages[2];
    auto* child = new CControlUI();
    child->SetAttribute(L"name", L"inner");
    static_cast<CContainerUI*>(page->GetInterface(L"Container"))->Add(child);
    w.host.Layout();
    w.host.Manager().SetFocus(child);
    ASSERT_EQ(child, w.host.Manager().GetFocus());

    EXPECT_TRUE(w.tabs->Remove(page, true));
    EXPECT_EQ(nullptr, page->GetParent());
    EXPECT_EQ(nullptr, page->GetManager());
    EXPECT_EQ(nullptr, child->GetManager());
    EXPECT_EQ(nullptr, w.host.Manager().FindControl(L"C"));
    EXPECT_EQ(nullptr, w.host.Manager().FindControl(L"inner"));
    EXPECT_EQ(nullptr, w.host.Manager().GetFocus());
    delete page;
    // The window goes on without the page.
    w.host.Click(100, 100);
    w.host.Layout();
    EXPECT_EQ(0, w.tabs->GetCurSel());
}

TEST(TabLayoutRemove, RemoveAllLeavesNoCurrentPage)
{
    TabWindow w;
    w.tabs->RemoveAll();
    EXPECT_EQ(-1, w.tabs->GetCurSel());
    EXPECT_STREQ(L"", w.tabs->GetCurForm().GetData());
    EXPECT_FALSE(w.tabs->SelectItem(0));
}

TEST(TabLayoutAdd, InsertingBeforeTheCurrentPageKeepsItCurrentAndAlone)
{
    TabWindow w;
    w.tabs->SelectItem(1);
    CControlUI* inserted = new CControlUI();
    EXPECT_TRUE(w.tabs->AddAt(inserted, 0));
    EXPECT_EQ(2, w.tabs->GetCurSel());
    EXPECT_EQ(w.pages[1], w.tabs->GetItemAt(2));
    EXPECT_FALSE(inserted->IsVisible());
}

TEST(TabLayoutSlide, SlideEndsOnTheNewPageAtRest)
{
    TabWindow w;
    w.tabs->SetAttribute(L"animation", L"horizontal");
    w.tabs->SetFrameCount(4);
    w.tabs->SetFrameDelay(10);
    EXPECT_TRUE(w.tabs->SelectItem(1));
    EXPECT_EQ(0, w.host.Count(L"tabselect")) << "the slide reports when it has finished";
    Host::PumpFor(400);
    w.host.Layout();
    EXPECT_EQ(1, w.host.Count(L"tabselect"));
    EXPECT_TRUE(w.pages[1]->IsVisible());
    EXPECT_FALSE(w.pages[0]->IsVisible());
    EXPECT_EQ(0, w.pages[1]->GetX());
    EXPECT_EQ(400, w.pages[1]->GetWidth());
}

namespace {

// Selects another page from the notification that ends a slide.
struct ReselectOnce : INotifyUI
{
    CTabLayoutUI* tabs = nullptr;
    int target = -1;
    void Notify(TNotifyUI& msg) override
    {
        if (msg.sType != L"tabselect" || target < 0) return;
        const int index = target;
        target = -1;
        tabs->SelectItem(index);
    }
};

} // namespace

TEST(TabLayoutSlide, SelectingFromTheEndOfASlideRunsTheNewSlide)
{
    TabWindow w;
    w.tabs->SetAttribute(L"animation", L"horizontal");
    w.tabs->SetFrameCount(4);
    w.tabs->SetFrameDelay(10);
    ReselectOnce reselect;
    reselect.tabs = w.tabs;
    reselect.target = 2;
    w.host.Manager().AddNotifier(&reselect);
    EXPECT_TRUE(w.tabs->SelectItem(1));
    Host::PumpFor(600);
    w.host.Layout();
    w.host.Manager().RemoveNotifier(&reselect);
    EXPECT_EQ(2, w.host.Count(L"tabselect"));
    EXPECT_EQ(2, w.tabs->GetCurSel());
    EXPECT_TRUE(w.pages[2]->IsVisible());
    EXPECT_FALSE(w.pages[1]->IsVisible());
    EXPECT_EQ(0, w.pages[2]->GetX());
    EXPECT_EQ(400, w.pages[2]->GetWidth());
}
