// Buttons, labels and tab bindings driven through a real window.
#include <gtest/gtest.h>

#include "tests/ui/controls/controls_test_host.h"
#include "ui/controls/UIButton.h"
#include "ui/controls/UILabel.h"
#include "ui/controls/UIHorizontalLayout.h"
#include "ui/controls/UITabLayout.h"
#include "ui/controls/UIVerticalLayout.h"
#include "ui/core/UIRender.h"

using namespace Veneer;
using controls_test::Canvas;
using controls_test::Host;
using controls_test::ImageFolder;

namespace {

// A root container with one floating button at (10,10)-(110,40).
struct ButtonWindow
{
    Host host;
    CContainerUI* root = new CContainerUI();
    CButtonUI* button = new CButtonUI();

    ButtonWindow()
    {
        button->SetAttribute(L"name", L"btn");
        button->SetAttribute(L"float", L"true");
        button->SetAttribute(L"pos", L"10,10,110,40");
        root->Add(button);
        host.Attach(root);
    }
};

} // namespace

TEST(ButtonClick, ReleaseInsideSendsOneClick)
{
    ButtonWindow w;
    w.host.Click(50, 20);
    ASSERT_EQ(1, w.host.Count(L"click"));
    EXPECT_EQ(w.button, w.host.notes.back().sender);
}

TEST(ButtonClick, ReleaseOutsideSendsNothingButDraggingBackInDoes)
{
    ButtonWindow w;
    w.host.Down(50, 20);
    w.host.Move(200, 200, MK_LBUTTON);
    EXPECT_EQ(0u, w.button->GetButtonState() & UISTATE_PUSHED) << "pushed look must follow the pointer out";
    w.host.Up(200, 200);
    EXPECT_EQ(0, w.host.Count(L"click"));

    w.host.Down(50, 20);
    w.host.Move(200, 200, MK_LBUTTON);
    w.host.Move(60, 25, MK_LBUTTON);
    EXPECT_NE(0u, w.button->GetButtonState() & UISTATE_PUSHED);
    w.host.Up(60, 25);
    EXPECT_EQ(1, w.host.Count(L"click"));
}

TEST(ButtonClick, DisabledOrHiddenButtonNeverClicks)
{
    ButtonWindow w;
    w.button->SetEnabled(false);
    w.host.Click(50, 20);
    EXPECT_EQ(0, w.host.Count(L"click"));
    EXPECT_FALSE(w.button->Activate());

    w.button->SetEnabled(true);
    w.button->SetVisible(false);
    EXPECT_FALSE(w.button->Activate());
    EXPECT_EQ(0, w.host.Count(L"click"));
}

TEST(ButtonClick, DisablingClearsEveryStateBit)
{
    ButtonWindow w;
    w.host.Move(50, 20);
    w.host.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 20));
    ASSERT_NE(0u, w.button->GetButtonState() & (UISTATE_HOT | UISTATE_PUSHED));
    w.button->SetEnabled(false);
    EXPECT_EQ(0u, w.button->GetButtonState());
    w.host.Up(50, 20);
    EXPECT_EQ(0, w.host.Count(L"click"));
}

TEST(ButtonClick, LostCaptureEndsThePressWithoutAClick)
{
    ButtonWindow w;
    w.host.Down(50, 20);
    ASSERT_NE(0u, w.button->GetButtonState() & UISTATE_PUSHED);
    // Another window takes the mouse (Alt+Tab while held): the button-up goes there.
    ::ReleaseCapture();
    EXPECT_EQ(0u, w.button->GetButtonState() & (UISTATE_PUSHED | UISTATE_CAPTURED));
    EXPECT_FALSE(w.host.Manager().IsCaptured());
    w.host.Move(60, 25, MK_LBUTTON);
    EXPECT_EQ(0u, w.button->GetButtonState() & UISTATE_PUSHED) << "moves no longer press it";
    w.host.Up(60, 25);
    EXPECT_EQ(0, w.host.Count(L"click"));
    w.host.Click(50, 20);
    EXPECT_EQ(1, w.host.Count(L"click")) << "the next press works as ever";

    // Losing the keyboard focus while held ends the press the same way.
    w.host.Down(50, 20);
    w.host.Send(WM_KILLFOCUS);
    EXPECT_EQ(0u, w.button->GetButtonState() & (UISTATE_PUSHED | UISTATE_CAPTURED));
    w.host.Up(50, 20);
    EXPECT_EQ(1, w.host.Count(L"click"));
}

TEST(ButtonKeyboard, SpaceAndReturnClickAFocusedButton)
{
    ButtonWindow w;
    w.button->SetFocus();
    w.host.Key(VK_SPACE);
    w.host.Key(VK_RETURN);
    w.host.Key('A');
    EXPECT_EQ(2, w.host.Count(L"click"));
}


// Tab reaches the framework only through the loop's pre-translation, as in the installer's window.
TEST(ButtonKeyboard, TabFromTheQueueMovesTheFocusToTheNextButton)
{
    ButtonWindow w;
    CButtonUI* next = new CButtonUI();
    next->SetAttribute(L"float", L"true");
    next->SetAttribute(L"pos", L"10,50,110,80");
    w.root->Add(next);
    w.button->SetFocus();
    ::PostMessageW(w.host.Handle(), WM_KEYDOWN, VK_TAB, 1);
    w.host.Pump();
    EXPECT_EQ(next, w.host.Manager().GetFocus());
}
TEST(ButtonKeyboard, KeyboardDisabledButtonIgnoresKeys)
{
    ButtonWindow w;
    w.button->SetKeyboardEnabled(false);
    EXPECT_EQ(0u, w.button->GetControlFlags() & UIFLAG_TABSTOP);
    w.button->SetFocus();
    w.host.Key(VK_SPACE);
    w.host.Key(VK_RETURN);
    EXPECT_EQ(0, w.host.Count(L"click"));
}

TEST(ButtonLook, HotAndPushedImagesFollowTheMouse)
{
    ImageFolder images;
    images.Solid(L"n.bmp", 4, 4, 0x0000FF);
    images.Solid(L"h.bmp", 4, 4, 0x00FF00);
    images.Solid(L"p.bmp", 4, 4, 0xFF0000);
    ButtonWindow w;
    w.button->SetAttribute(L"normalimage", L"n.bmp");
    w.button->SetAttribute(L"hotimage", L"h.bmp");
    w.button->SetAttribute(L"pushedimage", L"p.bmp");
    Canvas canvas(200, 100);

    canvas.Paint(w.button);
    EXPECT_EQ(0x0000FFu, canvas.Rgb(60, 25));
    w.host.Move(60, 25);
    canvas.Paint(w.button);
    EXPECT_EQ(0x00FF00u, canvas.Rgb(60, 25));
    w.host.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 25));
    canvas.Paint(w.button);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(60, 25));
    w.host.Move(300, 200, MK_LBUTTON);
    canvas.Paint(w.button);
    EXPECT_NE(0xFF0000u, canvas.Rgb(60, 25)) << "dragged out, the pushed image must go";
    w.host.Up(300, 200);
    w.host.Move(300, 200);
    canvas.Paint(w.button);
    EXPECT_EQ(0x0000FFu, canvas.Rgb(60, 25));
}

TEST(ButtonLook, FourSliceStateImageGivesOneSlicePerState)
{
    ImageFolder images;
    images.Stripes(L"state.bmp", 100, 30, {0x0000FF, 0x00FF00, 0xFF0000, 0x808080});
    ButtonWindow w;
    w.button->SetAttribute(L"stateimage", L"state.bmp");
    w.button->SetAttribute(L"statecount", L"4");
    Canvas canvas(200, 100);
    canvas.Paint(w.button);
    EXPECT_EQ(0x0000FFu, canvas.Rgb(15, 15));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(105, 35)) << "slice 0 stretched over the whole button";
    EXPECT_NE(CUIString(w.button->GetNormalImage()).Find(L"source='0,0,100,30'"), -1) << w.button->GetNormalImage();
    EXPECT_NE(CUIString(w.button->GetHotImage()).Find(L"source='100,0,200,30'"), -1);
    EXPECT_NE(CUIString(w.button->GetPushedImage()).Find(L"source='200,0,300,30'"), -1);
    EXPECT_NE(CUIString(w.button->GetDisabledImage()).Find(L"source='300,0,400,30'"), -1);

    w.host.Move(60, 25);
    canvas.Paint(w.button);
    EXPECT_EQ(0x00FF00u, canvas.Rgb(60, 25));
    w.button->SetEnabled(false);
    canvas.Paint(w.button);
    EXPECT_EQ(0x808080u, canvas.Rgb(60, 25));
}

TEST(ButtonLook, StateBackgroundColoursFollowTheState)
{
    ButtonWindow w;
    w.button->SetAttribute(L"bkcolor", L"#FF0000FF");
    w.button->SetAttribute(L"hotbkcolor", L"#FF00FF00");
    w.button->SetAttribute(L"pushedbkcolor", L"#FFFF0000");
    w.button->SetAttribute(L"disabledbkcolor", L"#FF808080");
    w.button->SetAttribute(L"pushedbordercolor", L"#FF000000");
    w.button->SetAttribute(L"bordersize", L"2");
    Canvas canvas(200, 100);

    canvas.Paint(w.button);
    EXPECT_EQ(0x0000FFu, canvas.Rgb(60, 25));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(10, 10)) << "no border outside the pushed state";
    w.host.Move(60, 25);
    canvas.Paint(w.button);
    EXPECT_EQ(0x00FF00u, canvas.Rgb(60, 25));
    w.host.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 25));
    canvas.Paint(w.button);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(60, 25));
    EXPECT_EQ(0x000000u, canvas.Rgb(10, 25)) << "the pushed border colour";
    w.host.Up(60, 25);
    w.button->SetEnabled(false);
    canvas.Paint(w.button);
    EXPECT_EQ(0x808080u, canvas.Rgb(60, 25));
}

TEST(ButtonAttributes, NegativeBoundIndexAndNullNameAreIgnored)
{
    CButtonUI button;
    button.SetAttribute(L"bindtabindex", L"-2");
    EXPECT_EQ(-1, button.GetBindTabLayoutIndex()) << "negative bound indices are ignored";
    button.BindTabLayoutName(nullptr);
    EXPECT_STREQ(L"", button.GetBindTabLayoutName());
}

// ---- tab binding --------------------------------------------------------------------

namespace {

struct TabWindow
{
    Host host;
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    CTabLayoutUI* tabs = new CTabLayoutUI();
    CButtonUI* button = new CButtonUI();
    CControlUI* pages[5] = {};

    explicit TabWindow(int nPages)
    {
        button->SetAttribute(L"height", L"30");
        root->Add(button);
        tabs->SetAttribute(L"name", L"maintab");
        for (int i = 0; i < nPages; ++i) {
            pages[i] = new CControlUI();
            wchar_t name[16];
            wsprintfW(name, L"page%d", i);
            pages[i]->SetAttribute(L"name", name);
            tabs->Add(pages[i]);
        }
        root->Add(tabs);
        host.Attach(root);
        host.Clear();
    }
};

} // namespace

TEST(ButtonTabBinding, ClickSelectsTheBoundPageAfterClick)
{
    TabWindow w(5);
    w.button->SetAttribute(L"bindtablayoutname", L"maintab");
    w.button->SetAttribute(L"bindtabindex", L"4");
    w.host.Click(20, 10);
    EXPECT_EQ(4, w.tabs->GetCurSel());
    EXPECT_TRUE(w.pages[4]->IsVisible());
    EXPECT_FALSE(w.pages[0]->IsVisible());
    const std::vector<std::wstring> types = w.host.Types();
    ASSERT_GE(types.size(), 2u);
    EXPECT_EQ(L"click", types[0]);
    EXPECT_EQ(L"tabselect", types[1]);
}

TEST(ButtonTabBinding, PageNameBindingSelectsThatPage)
{
    TabWindow w(3);
    w.button->BindTabLayoutName(L"maintab");
    w.button->BindTabIndexName(L"page2");
    w.host.Click(20, 10);
    EXPECT_EQ(2, w.tabs->GetCurSel());
}

TEST(ButtonTabBinding, MissingLayoutOrPageSelectsNothing)
{
    TabWindow w(3);
    w.button->SetAttribute(L"bindtablayoutname", L"nosuchtab");
    w.button->SetAttribute(L"bindtabindex", L"2");
    w.host.Click(20, 10);
    EXPECT_EQ(1, w.host.Count(L"click"));
    EXPECT_EQ(0, w.tabs->GetCurSel());

    w.button->SetAttribute(L"bindtablayoutname", L"maintab");
    w.button->SetAttribute(L"bindtabindex", L"4");
    w.host.Click(20, 10);
    EXPECT_EQ(0, w.tabs->GetCurSel()) << "page 4 of three pages does not exist";
    EXPECT_EQ(0, w.host.Count(L"tabselect"));

    w.button->RemoveBindTabIndex();
    w.host.Click(20, 10);
    EXPECT_EQ(0, w.tabs->GetCurSel());
}

// ---- labels -----------------------------------------------------------------------------

TEST(LabelAttributes, AlignmentWordsChangeTheTextStyle)
{
    CLabelUI label;
    EXPECT_EQ(static_cast<UINT>(DT_VCENTER | DT_SINGLELINE), label.GetTextStyle());
    label.SetAttribute(L"valign", L"center");
    EXPECT_EQ(static_cast<UINT>(DT_VCENTER | DT_SINGLELINE), label.GetTextStyle()) << "\"center\" is not a vertical word";
    label.SetAttribute(L"wordbreak", L"true");
    EXPECT_EQ(0u, label.GetTextStyle() & DT_SINGLELINE);
    label.SetAttribute(L"valign", L"bottom");
    EXPECT_EQ(static_cast<UINT>(DT_BOTTOM | DT_SINGLELINE), label.GetTextStyle() & (DT_BOTTOM | DT_VCENTER | DT_SINGLELINE | DT_WORDBREAK));
    label.SetAttribute(L"align", L"right");
    EXPECT_EQ(static_cast<UINT>(DT_RIGHT), label.GetTextStyle() & (DT_CENTER | DT_RIGHT));
    label.SetAttribute(L"align", L"center");
    EXPECT_EQ(static_cast<UINT>(DT_CENTER), label.GetTextStyle() & (DT_CENTER | DT_RIGHT));
    label.SetAttribute(L"align", L"left");
    EXPECT_EQ(0u, label.GetTextStyle() & (DT_CENTER | DT_RIGHT));
}

TEST(LabelAutoSize, WidthFollowsTheTextPlusPadding)
{
    Host host;
    CHorizontalLayoutUI* root = new CHorizontalLayoutUI();
    CLabelUI* label = new CLabelUI();
    CControlUI* after = new CControlUI();
    label->SetAttribute(L"autocalcwidth", L"true");
    label->SetAttribute(L"textpadding", L"18,0,0,0");
    label->SetText(L"ab");
    root->Add(label);
    root->Add(after);
    host.Attach(root);

    RECT rcText = {0, 0, 9999, 100};
    CRenderEngine::DrawText(host.Manager().GetPaintDC(), &host.Manager(), rcText, L"ab", 0xFF000000, -1,
                            DT_VCENTER | DT_SINGLELINE | DT_CALCRECT);
    const int shortWidth = rcText.right - rcText.left + 18;
    EXPECT_EQ(shortWidth, label->GetWidth());
    EXPECT_EQ(shortWidth, after->GetX());

    label->SetText(L"a much longer label text");
    host.Layout();
    EXPECT_GT(label->GetWidth(), shortWidth + 20);
    EXPECT_EQ(label->GetWidth(), after->GetX()) << "the row must be laid out again for the new width";
}
