// Rich edits hosting the platform's windowless text engine in a real window.
#include <gtest/gtest.h>


#include "tests/ui/controls/controls_test_host.h"
#include "ui/controls/UIRichEdit.h"
#include "ui/controls/UIScrollBar.h"
#include "ui/controls/UITxtWinHost.h"

#include <imm.h>
#include <oleauto.h>

using namespace Veneer;
using controls_test::Canvas;
using controls_test::Host;
using controls_test::Rc;

namespace {

// One rich edit at (10,10)-(310,40) with the given markup attributes.
struct EditWindow
{
    Host host;
    CContainerUI* root = new CContainerUI();
    CRichEditUI* edit = new CRichEditUI();

    explicit EditWindow(std::initializer_list<std::pair<LPCTSTR, LPCTSTR>> attributes = {})
    {
        edit->SetAttribute(L"float", L"true");
        edit->SetAttribute(L"pos", L"10,10,310,40");
        for (const auto& attribute : attributes) edit->SetAttribute(attribute.first, attribute.second);
        root->Add(edit);
        host.Attach(root);
        // The first layout focuses the first tab stop; start unfocused.
        host.Manager().SetFocus(nullptr);
        host.Clear();
    }

    void Type(const wchar_t* text)
    {
        for (const wchar_t* p = text; *p != 0; ++p) host.Send(WM_CHAR, *p, 1);
    }
};

// Holds Ctrl down for this thread's key state while it lives.
class CtrlHeld
{
public:
    CtrlHeld()
    {
        ::GetKeyboardState(m_saved);
        BYTE state[256];
        ::GetKeyboardState(state);
        state[VK_CONTROL] = 0x80;
        state[VK_LCONTROL] = 0x80;
        ::SetKeyboardState(state);
    }
    ~CtrlHeld() { ::SetKeyboardState(m_saved); }

private:
    BYTE m_saved[256];
};

bool IsReddish(DWORD rgb)
{
    return ((rgb >> 16) & 0xFF) > 160 && ((rgb >> 8) & 0xFF) < 120 && (rgb & 0xFF) < 120;
}

int CountReddish(const Canvas& canvas, const RECT& rc)
{
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x) n += IsReddish(canvas.Rgb(x, y)) ? 1 : 0;
    return n;
}

} // namespace

TEST(RichEditEngine, HostAndEngineTalkThroughMatchingVtables)
{
    EditWindow w;
    ASSERT_TRUE(w.edit->HasTextServices()) << "the platform's text services must load";
    w.edit->SetText(L"hello");
    EXPECT_STREQ(L"hello", w.edit->GetText().GetData());

    // Straight through the engine's own interface, as the platform declares it.
    BSTR bstr = nullptr;
    ASSERT_EQ(S_OK, w.edit->GetTxtWinHost()->GetTextServices()->TxGetText(&bstr));
    EXPECT_STREQ(L"hello", bstr);
    ::SysFreeString(bstr);

    // The engine asked the host for the client rectangle it lays out in.
    w.edit->SetSel(0, -1);
    EXPECT_STREQ(L"hello", w.edit->GetSelText().GetData());
    const CUIPoint pt = w.edit->GetCharPos(0);
    EXPECT_GE(pt.x, 10);
    EXPECT_LT(pt.x, 40);
}

TEST(RichEditReturn, ReturnWithoutWantReturnSendsReturnAndInsertsNothing)
{
    EditWindow w({{L"multiline", L"true"}});
    w.edit->SetFocus();
    w.edit->SetText(L"ab");
    w.host.Clear();
    w.host.Send(WM_KEYDOWN, VK_RETURN, 1);
    w.host.Send(WM_CHAR, L'\r', 1);
    EXPECT_EQ(1, w.host.Count(L"return"));
    EXPECT_STREQ(L"ab", w.edit->GetText().GetData());
    EXPECT_EQ(0, w.host.Count(L"textchanged"));
}

TEST(RichEditReturn, WantReturnInsertsALineBreak)
{
    EditWindow w({{L"multiline", L"true"}, {L"wantreturn", L"true"}});
    w.edit->SetFocus();
    w.edit->SetText(L"ab");
    w.edit->SetSel(1, 1);
    w.host.Clear();
    w.host.Send(WM_KEYDOWN, VK_RETURN, 1);
    w.host.Send(WM_CHAR, L'\r', 1);
    EXPECT_EQ(0, w.host.Count(L"return"));
    EXPECT_EQ(2, w.edit->GetLineCount());
    const CUIString text = w.edit->GetText();
    EXPECT_EQ(L'a', text.GetAt(0));
    EXPECT_TRUE(text.GetAt(1) == L'\r' || text.GetAt(1) == L'\n') << text.GetData();
}

TEST(RichEditReturn, CtrlReturnNeedsWantCtrlReturn)
{
    EditWindow w({{L"multiline", L"true"}, {L"wantreturn", L"true"}});
    w.edit->SetFocus();
    w.edit->SetText(L"ab");
    w.host.Clear();
    {
        CtrlHeld ctrl;
        w.host.Send(WM_KEYDOWN, VK_RETURN, 1);
        w.host.Send(WM_CHAR, L'\n', 1);
    }
    EXPECT_EQ(1, w.host.Count(L"return"));
    EXPECT_EQ(1, w.edit->GetLineCount());

    w.edit->SetWantCtrlReturn(true);
    w.host.Clear();
    {
        CtrlHeld ctrl;
        w.host.Send(WM_KEYDOWN, VK_RETURN, 1);
    }
    EXPECT_EQ(0, w.host.Count(L"return"));
    EXPECT_EQ(2, w.edit->GetLineCount());
}

TEST(RichEditReturn, WantingReturnKeepsTheWindowsDefaultKeyAway)
{
    CRichEditUI plain;
    EXPECT_TRUE(plain.OnEnableResponseDefaultKeyEvent(VK_RETURN));
    EditWindow w({{L"wantreturn", L"true"}});
    EXPECT_TRUE(w.edit->OnEnableResponseDefaultKeyEvent(VK_RETURN)) << "only while focused";
    w.edit->SetFocus();
    EXPECT_FALSE(w.edit->OnEnableResponseDefaultKeyEvent(VK_RETURN));
    EXPECT_TRUE(w.edit->OnEnableResponseDefaultKeyEvent(VK_ESCAPE));
}

TEST(RichEditTyping, EachCharacterSendsOneTextChanged)
{
    EditWindow w;
    w.edit->SetFocus();
    w.host.Clear();
    w.Type(L"abc");
    EXPECT_EQ(3, w.host.Count(L"textchanged"));
    EXPECT_STREQ(L"abc", w.edit->GetText().GetData());
}

TEST(RichEditTyping, KeysGoOnlyToTheFocusedEdit)
{
    EditWindow w;
    w.Type(L"x");
    EXPECT_STREQ(L"", w.edit->GetText().GetData());
    EXPECT_EQ(0, w.host.Count(L"textchanged"));
}

TEST(RichEditReadOnly, OnlyExactlyTrueMakesItReadOnly)
{
    EditWindow exact({{L"readonly", L"true"}});
    exact.edit->SetFocus();
    exact.Type(L"x");
    EXPECT_STREQ(L"", exact.edit->GetText().GetData());
    EXPECT_TRUE(exact.edit->IsReadOnly());

    EditWindow upper({{L"readonly", L"TRUE"}});
    upper.edit->SetFocus();
    upper.Type(L"x");
    EXPECT_STREQ(L"x", upper.edit->GetText().GetData());
    EXPECT_FALSE(upper.edit->IsReadOnly());
}

TEST(RichEditReadOnly, ClickInAReadOnlyEditSendsClick)
{
    EditWindow w({{L"readonly", L"true"}});
    w.edit->SetText(L"C:\\Program Files\\Lumbra");
    w.host.Clear();
    w.host.Click(100, 25);
    EXPECT_EQ(1, w.host.Count(L"click"));
    EXPECT_TRUE(w.edit->IsFocused());
}

TEST(RichEditReadOnly, SetTextReplacesTheTextOfAnInitialisedReadOnlyEdit)
{
    // As the installer sets the chosen folder into its read-only folder field.
    EditWindow w({{L"readonly", L"true"}, {L"text", L"C:\\Program Files\\Lumbra"}});
    ASSERT_TRUE(w.edit->IsReadOnly());
    ASSERT_STREQ(L"C:\\Program Files\\Lumbra", w.edit->GetText().GetData());
    w.edit->SetText(L"D:\\Games\\Lumbra");
    EXPECT_STREQ(L"D:\\Games\\Lumbra", w.edit->GetText().GetData());
    EXPECT_TRUE(w.edit->IsReadOnly());
    EXPECT_FALSE(w.edit->CanUndo());
    w.edit->SetText(L"");
    EXPECT_STREQ(L"", w.edit->GetText().GetData());
    // Still closed to typing.
    w.edit->SetFocus();
    w.Type(L"x");
    EXPECT_STREQ(L"", w.edit->GetText().GetData());
}

TEST(RichEditText, SetTextBeforeAndAfterInitialisationLeavesNothingToUndo)
{
    Host host;
    CContainerUI* root = new CContainerUI();
    CRichEditUI* edit = new CRichEditUI();
    edit->SetText(L"initial");
    EXPECT_STREQ(L"initial", edit->GetText().GetData());
    root->Add(edit);
    host.Attach(root);
    EXPECT_STREQ(L"initial", edit->GetText().GetData());
    EXPECT_FALSE(edit->CanUndo());

    edit->SetFocus();
    host.Send(WM_CHAR, L'z', 1);
    EXPECT_TRUE(edit->CanUndo());
    edit->SetText(L"replaced");
    EXPECT_STREQ(L"replaced", edit->GetText().GetData());
    EXPECT_FALSE(edit->CanUndo());
}

TEST(RichEditTip, TipValueShowsOnlyWhileEmptyAndUnfocused)
{
    EditWindow w({{L"tipvalue", L"Choose a folder"}, {L"tipvaluecolor", L"#FFFF0000"}});
    Canvas canvas(400, 60);
    const RECT rcEdit = Rc(10, 10, 310, 40);

    canvas.Paint(w.root);
    EXPECT_GT(CountReddish(canvas, rcEdit), 20) << "the placeholder is drawn in its colour";

    w.edit->SetFocus();
    canvas.Paint(w.root);
    EXPECT_EQ(0, CountReddish(canvas, rcEdit)) << "focus hides the placeholder";

    w.host.Send(WM_KILLFOCUS, 0, 0);
    w.host.Manager().SetFocus(nullptr);
    w.edit->SetText(L"D:\\Games");
    canvas.Paint(w.root);
    EXPECT_EQ(0, CountReddish(canvas, rcEdit)) << "text hides the placeholder";
}

TEST(RichEditAttributes, StyleBitsFollowTheMarkup)
{
    CRichEditUI edit;
    EXPECT_EQ(0x00400000, edit.GetWinStyle());
    edit.SetAttribute(L"vscrollbar", L"true");
    edit.SetAttribute(L"autovscroll", L"true");
    edit.SetAttribute(L"password", L"true");
    edit.SetAttribute(L"align", L"right");
    EXPECT_EQ(0x00400000 | WS_VSCROLL | ES_DISABLENOSCROLL | ES_AUTOVSCROLL | ES_PASSWORD | ES_RIGHT,
              edit.GetWinStyle());
    EXPECT_NE(nullptr, edit.GetVerticalScrollBar());
    EXPECT_STREQ(L"true", edit.GetCustomAttribute(L"autovscroll"));
    edit.SetAttribute(L"wantreturnmsg", L"true");
    EXPECT_STREQ(L"true", edit.GetCustomAttribute(L"wantreturnmsg"));
    edit.SetAttribute(L"WantTab", L"false");
    EXPECT_TRUE(edit.IsWantTab()) << "this name is compared exactly";
    edit.SetAttribute(L"tipvaluealign", L"center");
    EXPECT_EQ(static_cast<UINT>(DT_SINGLELINE | DT_CENTER), edit.GetTipValueAlign());
}

TEST(RichEditEngineless, WithoutAnEngineEverythingIsNeutral)
{
    CRichEditUI edit;
    LRESULT lResult = 1234;
    EXPECT_EQ(1, edit.TxSendMessage(EM_GETLINECOUNT, 0, 0, &lResult));
    EXPECT_EQ(1234, lResult);
    EXPECT_FALSE(edit.CanUndo());
    EXPECT_EQ(0, edit.GetLineCount());
}

// Also run by a second CTest entry, on a system without the text services (their libraries disabled).
TEST(RichEditEngineless, WithoutTextServicesTheTextIsKept)
{
    EditWindow w({{L"text", L"C:\\Tools"}});
    if (w.edit->HasTextServices()) GTEST_SKIP() << "the text services are there";
    EXPECT_EQ(L"C:\\Tools", w.edit->GetText());
}

TEST(RichEditWindow, OnlyTheFocusedEditPlacesTheImeWindowAndAnimationsRun)
{
    EditWindow w({{L"animation", L"scalevertical"}, {L"framecount", L"3"}});
    auto* other = new CRichEditUI();
    other->ApplyAttributeList(L"float=\"true\" pos=\"10,60,310,90\"");
    w.root->Add(other);
    w.host.Layout();
    other->SetFocus();  // its caret stays where it was left, below the first edit
    other->SetText(L"text");
    w.edit->SetFocus();
    w.host.Send(WM_IME_COMPOSITION, 0, GCS_COMPSTR);
    HIMC hImc = ::ImmGetContext(w.host.Handle());
    COMPOSITIONFORM cf = {};
    ::ImmGetCompositionWindow(hImc, &cf);
    ::ImmReleaseContext(w.host.Handle(), hImc);
    EXPECT_LT(cf.ptCurrentPos.y, 40) << "placed at the focused edit's caret";
    w.edit->SetPaneVisible(false);  // a shrinking hide, on the edit's own timer
    EXPECT_TRUE(Host::PumpUntil([&] { return !w.edit->IsVisible(); }, 2000));
}

TEST(RichEditMenu, MenuCommandsActOnlyWhileFocused)
{
    EditWindow w;
    w.edit->SetText(L"some text");
    w.host.Send(WM_COMMAND, 105, 0);
    EXPECT_STREQ(L"some text", w.edit->GetText().GetData()) << "not focused: the command is not ours";
    w.edit->SetFocus();
    w.host.Send(WM_COMMAND, 106, 0);
    EXPECT_STREQ(L"some text", w.edit->GetSelText().GetData());
    w.host.Send(WM_COMMAND, 105, 0);
    EXPECT_STREQ(L"", w.edit->GetText().GetData());
    w.host.Send(WM_COMMAND, 101, 0);
    EXPECT_STREQ(L"some text", w.edit->GetText().GetData()) << "clearing can be undone";
}

TEST(RichEditTab, TabIsTypedOnlyWhenWanted)
{
    EditWindow wants;
    wants.edit->SetFocus();
    wants.host.Send(WM_KEYDOWN, VK_TAB, 1);
    wants.host.Send(WM_CHAR, L'\t', 1);
    EXPECT_STREQ(L"\t", wants.edit->GetText().GetData());

    EditWindow refuses({{L"wanttab", L"false"}});
    refuses.edit->SetFocus();
    refuses.host.Send(WM_KEYDOWN, VK_TAB, 1);
    refuses.host.Send(WM_CHAR, L'\t', 1);
    EXPECT_STREQ(L"", refuses.edit->GetText().GetData());
}

TEST(RichEditLayered, CaretIsDrawnByTheControlAndBlinksOnItsTimer)
{
    Host host({0, 0, 400, 300}, WS_POPUP | WS_VISIBLE, WS_EX_LAYERED);
    host.Manager().SetLayered(true);
    ASSERT_TRUE(host.Manager().IsLayered());
    CContainerUI* root = new CContainerUI();
    CRichEditUI* edit = new CRichEditUI();
    edit->SetAttribute(L"float", L"true");
    edit->SetAttribute(L"pos", L"10,10,310,40");
    edit->SetAttribute(L"textcolor", L"#FFFF0000");
    root->Add(edit);
    host.Attach(root);
    edit->SetFocus();
    edit->SetText(L"abc");
    edit->SetSel(3, 3);
    Host::Pump();
    ASSERT_TRUE(edit->IsFocused());
    ASSERT_EQ(host.Handle(), ::GetFocus());

    Canvas canvas(400, 60);
    const RECT rcEdit = Rc(10, 10, 310, 40);
    canvas.Paint(root);
    const int visible = canvas.CountRgb(rcEdit, 0x000000);
    const RECT rcCaret = edit->GetTxtWinHost()->GetCaretRect();
    EXPECT_GT(visible, 4) << "a black caret line in the edit; caret shown " << edit->GetTxtWinHost()->IsCaretShown()
                          << " at " << rcCaret.left << "," << rcCaret.top << "," << rcCaret.right << "," << rcCaret.bottom;

    TEventUI blink;
    blink.Type = UIEVENT_TIMER;
    blink.wParam = 20;
    edit->DoEvent(blink);
    canvas.Paint(root);
    EXPECT_EQ(0, canvas.CountRgb(rcEdit, 0x000000)) << "the off phase hides it";
    edit->DoEvent(blink);
    canvas.Paint(root);
    EXPECT_EQ(visible, canvas.CountRgb(rcEdit, 0x000000));
}

TEST(RichEditScroll, LongTextShowsTheBarAndScrollsThroughTheEngine)
{
    EditWindow w({{L"multiline", L"true"}, {L"vscrollbar", L"true"}, {L"autovscroll", L"true"}});
    CUIString text;
    for (int i = 0; i < 40; ++i) {
        CUIString line;
        line.Format(L"line %d\r", i);
        text += line;
    }
    w.edit->SetText(text);
    w.host.Layout();
    CScrollBarUI* bar = w.edit->GetVerticalScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_GT(bar->GetScrollRange(), 100);
    EXPECT_GT(bar->GetScrollPos(), 0) << "replacing the text leaves the caret, and the view, at its end";
    w.edit->HomeUp();
    EXPECT_EQ(0, bar->GetScrollPos());
    const int firstVisible = w.edit->CharFromPos(CUIPoint(20, 15));

    w.edit->LineDown();
    w.edit->LineDown();
    w.host.Layout();
    EXPECT_GT(bar->GetScrollPos(), 0) << "the engine moves the bar";
    EXPECT_GT(w.edit->CharFromPos(CUIPoint(20, 15)), firstVisible) << "and the content";

    w.host.Wheel(100, 25, -WHEEL_DELTA);
    const int afterWheel = bar->GetScrollPos();
    EXPECT_GT(afterWheel, 0);
    w.edit->HomeUp();
    EXPECT_EQ(0, bar->GetScrollPos());
}

TEST(RichEditLayout, SingleLineTextIsCentredVerticallyInsideThePadding)
{
    Host host;
    CContainerUI* root = new CContainerUI();
    CRichEditUI* edit = new CRichEditUI();
    edit->SetAttribute(L"float", L"true");
    edit->SetAttribute(L"pos", L"0,0,414,60");
    edit->SetAttribute(L"valign", L"center");
    edit->SetAttribute(L"textpadding", L"9,0,9,0");
    edit->SetAttribute(L"readonly", L"true");
    edit->SetAttribute(L"text", L"C:\\Program Files (x86)\\tarvix\\Lumbra");
    root->Add(edit);
    host.Attach(root);
    EXPECT_STREQ(L"C:\\Program Files (x86)\\tarvix\\Lumbra", edit->GetText().GetData());

    const RECT rcText = edit->GetTxtWinHost()->GetClientRect();
    EXPECT_EQ(9, rcText.left);
    EXPECT_EQ(414 - 9, rcText.right);
    EXPECT_GT(rcText.top, 10) << "a single line sits in the middle of a 60 px field";
    EXPECT_LT(rcText.top, 30);
    const CUIPoint pt = edit->GetCharPos(0);
    EXPECT_EQ(rcText.top, pt.y);
}
