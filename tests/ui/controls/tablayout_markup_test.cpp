// Controls built from markup by their tag names, and a tab layout filled from markup.
#include <gtest/gtest.h>

#include "tests/ui/controls/controls_test_host.h"
#include "ui/controls/UIOption.h"
#include "ui/controls/UIRichEdit.h"
#include "ui/controls/UITabLayout.h"
#include "ui/core/UIDlgBuilder.h"

using namespace Veneer;
using controls_test::Host;

namespace {

CControlUI* Build(Host& host, LPCTSTR markup)
{
    CDialogBuilder builder;
    return builder.Create(markup, nullptr, nullptr, &host.Manager());
}

} // namespace

TEST(ControlMarkup, EveryTagBuildsItsControl)
{
    Host host;
    CControlUI* root = Build(host,
        L"<Window><VerticalLayout>"
        L"<Label name=\"l\"/><Text name=\"t\"/><Button name=\"b\"/><Option name=\"o\"/><CheckBox name=\"c\"/>"
        L"<Progress name=\"p\"/><RichEdit name=\"r\"/><TabLayout name=\"tl\"/><ScrollBar name=\"s\"/>"
        L"</VerticalLayout></Window>");
    ASSERT_NE(nullptr, root);
    host.Attach(root);
    const struct { LPCTSTR name; LPCTSTR cls; } expected[] = {
        {L"l", L"LabelUI"}, {L"t", L"Text"}, {L"b", L"ButtonUI"}, {L"o", L"OptionUI"}, {L"c", L"CheckBoxUI"},
        {L"p", L"ProgressUI"}, {L"r", L"RichEditUI"}, {L"tl", L"TabLayoutUI"}, {L"s", L"ScrollBarUI"},
    };
    for (const auto& e : expected) {
        CControlUI* control = host.Manager().FindControl(e.name);
        ASSERT_NE(nullptr, control) << e.name;
        EXPECT_STREQ(e.cls, control->GetClass()) << e.name;
    }
    auto* edit = static_cast<CRichEditUI*>(host.Manager().FindControl(L"r")->GetInterface(L"RichEdit"));
    ASSERT_NE(nullptr, edit);
    EXPECT_TRUE(edit->HasTextServices()) << "initialisation by the manager creates the engine";
}

TEST(TabLayoutMarkup, ShowsTheFirstPageThenTheSelectedId)
{
    Host host;
    CControlUI* root = Build(host,
        L"<Window><TabLayout name=\"tabs\">"
        L"<VerticalLayout name=\"A\"/><VerticalLayout name=\"B\"/><VerticalLayout name=\"C\"/>"
        L"</TabLayout></Window>");
    ASSERT_NE(nullptr, root);
    host.Attach(root);
    auto* tabs = static_cast<CTabLayoutUI*>(root->GetInterface(L"TabLayout"));
    ASSERT_NE(nullptr, tabs);
    EXPECT_EQ(0, tabs->GetCurSel());
    EXPECT_TRUE(host.Manager().FindControl(L"A")->IsVisible());
    EXPECT_FALSE(host.Manager().FindControl(L"B")->IsVisible());
    EXPECT_FALSE(host.Manager().FindControl(L"C")->IsVisible());

    Host other;
    CControlUI* chosen = Build(other,
        L"<Window><TabLayout selectedid=\"2\">"
        L"<VerticalLayout name=\"A\"/><VerticalLayout name=\"B\"/><VerticalLayout name=\"C\"/>"
        L"</TabLayout></Window>");
    ASSERT_NE(nullptr, chosen);
    other.Attach(chosen);
    EXPECT_EQ(2, static_cast<CTabLayoutUI*>(chosen->GetInterface(L"TabLayout"))->GetCurSel());
    EXPECT_TRUE(other.Manager().FindControl(L"C")->IsVisible());
    EXPECT_FALSE(other.Manager().FindControl(L"A")->IsVisible());
}

TEST(TabLayoutMarkup, SelectingWhileBuiltLeavesTheManagerAloneUntilAttached)
{
    // A tree built but never attached may be deleted: the manager must hold nothing of it.
    Host host;
    CControlUI* orphan = Build(host,
        L"<Window><TabLayout selectedid=\"1\"><Label name=\"A\"/><Label name=\"B\"/></TabLayout></Window>");
    ASSERT_NE(nullptr, orphan);
    EXPECT_EQ(nullptr, host.Manager().GetFocus());
    EXPECT_EQ(0, host.Count(L"tabselect"));
    delete orphan;

    CControlUI* root = Build(host,
        L"<Window><TabLayout name=\"tabs\"><VerticalLayout name=\"P\"/><VerticalLayout name=\"Q\"/>"
        L"</TabLayout></Window>");
    ASSERT_NE(nullptr, root);
    host.Attach(root);
    auto* tabs = static_cast<CTabLayoutUI*>(root->GetInterface(L"TabLayout"));
    ASSERT_NE(nullptr, tabs);
    tabs->SelectItem(1);
    EXPECT_TRUE(host.Manager().FindControl(L"Q")->IsVisible());
    EXPECT_EQ(1, host.Count(L"tabselect")) << "once attached, a selection is announced";
}

TEST(TabLayoutMarkup, ASlidingLayoutBuiltButNeverAttachedLeavesNoTimer)
{
    Host host;
    CControlUI* orphan = Build(host,
        L"<Window><TabLayout animation=\"horizontal\" framecount=\"4\" framedelay=\"10\" selectedid=\"1\">"
        L"<Label name=\"A\"/><Label name=\"B\"/></TabLayout></Window>");
    ASSERT_NE(nullptr, orphan);
    auto* tabs = static_cast<CTabLayoutUI*>(orphan->GetInterface(L"TabLayout"));
    ASSERT_NE(nullptr, tabs);
    // Shown at once rather than slid in: no frame timer runs for a tree outside the window.
    EXPECT_EQ(1, tabs->GetCurSel());
    EXPECT_TRUE(tabs->GetItemAt(1)->IsVisible());
    EXPECT_FALSE(tabs->GetItemAt(0)->IsVisible());
    EXPECT_FALSE(tabs->IsAnimationRunning(9992));
    delete orphan;
    Host::PumpFor(200);
    EXPECT_EQ(0, host.Count(L"tabselect"));
}

TEST(OptionMarkup, GroupAndSelectionComeFromTheMarkup)
{
    Host host;
    CControlUI* root = Build(host,
        L"<Window><VerticalLayout>"
        L"<Option name=\"o1\" group=\"g\" selected=\"true\"/><Option name=\"o2\" group=\"g\"/>"
        L"</VerticalLayout></Window>");
    ASSERT_NE(nullptr, root);
    host.Attach(root);
    auto* o1 = static_cast<COptionUI*>(host.Manager().FindControl(L"o1")->GetInterface(L"Option"));
    auto* o2 = static_cast<COptionUI*>(host.Manager().FindControl(L"o2")->GetInterface(L"Option"));
    EXPECT_TRUE(o1->IsSelected());
    ASSERT_NE(nullptr, host.Manager().GetOptionGroup(L"g"));
    EXPECT_EQ(2, host.Manager().GetOptionGroup(L"g")->GetSize());
    o2->Selected(true);
    EXPECT_FALSE(o1->IsSelected());
}
