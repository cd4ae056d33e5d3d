// Options and check boxes: groups, notifications and the selected look.
#include <gtest/gtest.h>

#include "tests/ui/controls/controls_test_host.h"
#include "ui/controls/UICheckBox.h"
#include "ui/controls/UIOption.h"
#include "ui/core/UIDlgBuilder.h"

using namespace Veneer;
using controls_test::Canvas;
using controls_test::Host;
using controls_test::ImageFolder;

namespace {

COptionUI* AddOption(CContainerUI* root, COptionUI* option, LPCTSTR pos, LPCTSTR group)
{
    option->SetAttribute(L"float", L"true");
    option->SetAttribute(L"pos", pos);
    if (group != nullptr) option->SetAttribute(L"group", group);
    root->Add(option);
    return option;
}

struct GroupWindow
{
    Host host;
    CContainerUI* root = new CContainerUI();
    COptionUI* first = AddOption(root, new COptionUI(), L"10,10,110,40", L"g");
    COptionUI* second = AddOption(root, new COptionUI(), L"10,50,110,80", L"g");

    GroupWindow()
    {
        first->Selected(true, false);
        host.Attach(root);
        host.Clear();
    }
};

} // namespace

TEST(OptionGroup, SelectingOneDeselectsTheOtherWithOneNotification)
{
    GroupWindow w;
    ASSERT_TRUE(w.first->IsSelected());
    w.host.Click(50, 60);
    EXPECT_TRUE(w.second->IsSelected());
    EXPECT_FALSE(w.first->IsSelected());
    const std::vector<std::wstring> types = w.host.Types();
    ASSERT_EQ(2u, types.size());
    EXPECT_EQ(L"selectchanged", types[0]);
    EXPECT_EQ(L"click", types[1]);
    for (const test_support::Note& note : w.host.notes) {
        if (note.type != L"killfocus") {
            EXPECT_NE(w.first, note.sender) << "the deselected option reports nothing";
        }
    }
}

TEST(OptionGroup, ClickingTheSelectedOptionOnlyClicks)
{
    GroupWindow w;
    w.host.Click(50, 20);
    EXPECT_TRUE(w.first->IsSelected());
    const std::vector<std::wstring> types = w.host.Types();
    ASSERT_EQ(1u, types.size());
    EXPECT_EQ(L"click", types[0]);
}

TEST(OptionGroup, LeavingTheGroupEndsTheCoupling)
{
    GroupWindow w;
    ASSERT_NE(nullptr, w.host.Manager().GetOptionGroup(L"g"));
    EXPECT_EQ(2, w.host.Manager().GetOptionGroup(L"g")->GetSize());
    w.second->SetGroup(L"other");
    EXPECT_EQ(1, w.host.Manager().GetOptionGroup(L"g")->GetSize());
    w.host.Click(50, 60);
    EXPECT_TRUE(w.first->IsSelected()) << "an option of another group must not deselect it";
    EXPECT_TRUE(w.second->IsSelected());
}

TEST(OptionGroup, OptionsLeaveTheGroupOfTheManagerTheyWereBuiltWith)
{
    const wchar_t* markup = L"<Window><VerticalLayout><Option group=\"built\"/><Option group=\"built\"/>"
                            L"</VerticalLayout></Window>";
    Host host;
    {
        // Built for the window, then deleted before it was ever attached.
        CDialogBuilder builder;
        CControlUI* tree = builder.Create(markup, nullptr, nullptr, &host.Manager());
        ASSERT_NE(nullptr, tree);
        ASSERT_NE(nullptr, host.Manager().GetOptionGroup(L"built"));
        delete tree;
        EXPECT_EQ(nullptr, host.Manager().GetOptionGroup(L"built"));
    }
    {
        // Attached later to another window: it moves to that window's group.
        Host other;
        CDialogBuilder builder;
        CControlUI* tree = builder.Create(markup, nullptr, nullptr, &host.Manager());
        ASSERT_NE(nullptr, tree);
        other.Attach(tree);
        EXPECT_EQ(nullptr, host.Manager().GetOptionGroup(L"built"));
        ASSERT_NE(nullptr, other.Manager().GetOptionGroup(L"built"));
        EXPECT_EQ(2, other.Manager().GetOptionGroup(L"built")->GetSize());
    }
    // A built tree that outlives its manager deletes cleanly.
    COptionUI* orphan = nullptr;
    {
        CPaintManagerUI windowless;
        CDialogBuilder builder;
        orphan = static_cast<COptionUI*>(builder.Create(L"<Window><Option group=\"g\"/></Window>", nullptr, nullptr,
                                                        &windowless));
        ASSERT_NE(nullptr, orphan);
    }
    delete orphan;
}

TEST(OptionUngrouped, EachClickTogglesAndReportsBeforeClick)
{
    Host host;
    CContainerUI* root = new CContainerUI();
    COptionUI* option = AddOption(root, new COptionUI(), L"10,10,110,40", nullptr);
    host.Attach(root);
    host.Clear();
    host.Click(50, 20);
    EXPECT_TRUE(option->IsSelected());
    host.Click(50, 20);
    EXPECT_FALSE(option->IsSelected());
    const std::vector<std::wstring> types = host.Types();
    ASSERT_EQ(4u, types.size());
    EXPECT_EQ(L"selectchanged", types[0]);
    EXPECT_EQ(L"click", types[1]);
    EXPECT_EQ(L"selectchanged", types[2]);
    EXPECT_EQ(L"click", types[3]);
    for (const test_support::Note& note : host.notes) {
        if (note.type == L"selectchanged") {
            EXPECT_EQ(0u, note.wParam);
        }
    }
}

TEST(OptionUngrouped, SilentSelectionAndRepeatedSelectionSendNothing)
{
    Host host;
    CContainerUI* root = new CContainerUI();
    COptionUI* option = AddOption(root, new COptionUI(), L"10,10,110,40", nullptr);
    host.Attach(root);
    host.Clear();
    option->Selected(true, false);
    EXPECT_TRUE(option->IsSelected());
    EXPECT_NE(0u, option->GetButtonState() & UISTATE_SELECTED);
    option->Selected(true, true);
    EXPECT_EQ(0, host.Count(L"selectchanged"));
    option->Selected(false, true);
    EXPECT_EQ(1, host.Count(L"selectchanged"));
}

TEST(CheckBox, UntickAndRetickCarryTheNewState)
{
    Host host;
    CContainerUI* root = new CContainerUI();
    auto* box = static_cast<CCheckBoxUI*>(AddOption(root, new CCheckBoxUI(), L"10,10,110,40", nullptr));
    host.Attach(root);
    box->SetCheck(true);
    host.Clear();

    host.Click(50, 20);
    EXPECT_FALSE(box->GetCheck());
    host.Click(50, 20);
    EXPECT_TRUE(box->GetCheck());
    std::vector<WPARAM> states;
    for (const test_support::Note& note : host.notes) {
        if (note.type == L"selectchanged") states.push_back(note.wParam);
    }
    ASSERT_EQ(2u, states.size());
    EXPECT_EQ(0u, states[0]);
    EXPECT_EQ(1u, states[1]);
    EXPECT_EQ(2, host.Count(L"click"));
}

TEST(CheckBox, AutoCheckTogglesOnButtonDown)
{
    Host host;
    CContainerUI* root = new CContainerUI();
    auto* box = static_cast<CCheckBoxUI*>(AddOption(root, new CCheckBoxUI(), L"10,10,110,40", nullptr));
    box->SetAttribute(L"EnableAutoCheck", L"true");
    host.Attach(root);
    host.Clear();
    EXPECT_TRUE(box->IsAutoCheck());
    EXPECT_STREQ(L"true", box->GetCustomAttribute(L"EnableAutoCheck"));

    host.Move(50, 20);
    host.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 20));
    EXPECT_TRUE(box->GetCheck()) << "auto-check toggles at once on button-down";
    EXPECT_EQ(1, host.Count(L"checkclick"));
    EXPECT_EQ(1, host.Count(L"selectchanged"));
    host.Up(50, 20);
    EXPECT_TRUE(box->GetCheck());
}

TEST(OptionLook, SelectedImageStaysWhenDisabledAndNormalImageIsNotUsed)
{
    ImageFolder images;
    images.Solid(L"normal.bmp", 4, 4, 0x0000FF);
    images.Solid(L"selected.bmp", 4, 4, 0x00FF00);
    Host host;
    CContainerUI* root = new CContainerUI();
    COptionUI* option = AddOption(root, new COptionUI(), L"10,10,110,40", nullptr);
    option->SetAttribute(L"normalimage", L"normal.bmp");
    host.Attach(root);
    Canvas canvas(200, 100);

    canvas.Paint(option);
    EXPECT_EQ(0x0000FFu, canvas.Rgb(50, 20));
    option->Selected(true, false);
    canvas.Paint(option);
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(50, 20)) << "a selected option without selected image draws no status image";

    option->SetAttribute(L"selectedimage", L"selected.bmp");
    option->SetEnabled(false);
    EXPECT_EQ(static_cast<UINT>(UISTATE_SELECTED), option->GetButtonState());
    canvas.Paint(option);
    EXPECT_EQ(0x00FF00u, canvas.Rgb(50, 20));
}
