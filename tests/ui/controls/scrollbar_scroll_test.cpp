// Scroll bars: part layout, auto-repeat, fallback look, and a scrolling list.
#include <gtest/gtest.h>

#include "tests/ui/controls/controls_test_host.h"
#include "ui/controls/UIScrollBar.h"
#include "ui/controls/UIVerticalLayout.h"

using namespace Veneer;
using controls_test::Canvas;
using controls_test::Host;
using controls_test::Rc;

namespace {

std::string Text(const RECT& rc)
{
    char buf[64];
    wsprintfA(buf, "(%ld,%ld,%ld,%ld)", rc.left, rc.top, rc.right, rc.bottom);
    return buf;
}

TEventUI Event(int type, int x = 0, int y = 0, WPARAM wParam = 0)
{
    TEventUI event;
    event.Type = type;
    event.ptMouse.x = x;
    event.ptMouse.y = y;
    event.wParam = wParam;
    return event;
}

} // namespace

TEST(ScrollBarLayout, ThumbLengthAndPositionFollowRangeAndPosition)
{
    CScrollBarUI bar;
    bar.SetScrollRange(100);
    bar.SetPos(Rc(0, 0, 16, 116));
    EXPECT_EQ("(0,0,16,16)", Text(bar.GetButton1Rect()));
    EXPECT_EQ("(0,100,16,116)", Text(bar.GetButton2Rect()));
    EXPECT_EQ("(0,16,16,61)", Text(bar.GetThumbRect()));

    bar.SetScrollPos(100);
    EXPECT_EQ("(0,55,16,100)", Text(bar.GetThumbRect()));
}

TEST(ScrollBarLayout, ClampsRangeAndPosition)
{
    CScrollBarUI bar;
    bar.SetPos(Rc(0, 0, 16, 116));
    bar.SetScrollPos(500);
    EXPECT_EQ(100, bar.GetScrollPos());
    bar.SetScrollPos(-5);
    EXPECT_EQ(0, bar.GetScrollPos());
    bar.SetScrollPos(80);
    bar.SetScrollRange(50);
    EXPECT_EQ(50, bar.GetScrollPos()) << "the position is cut to a smaller range";
    bar.SetScrollRange(-3);
    EXPECT_EQ(0, bar.GetScrollRange());
    EXPECT_EQ("(0,16,16,100)", Text(bar.GetThumbRect())) << "a zero range gives a full-length thumb";
}

TEST(ScrollBarLayout, ShortBarShowsOnlyShrunkenButtons)
{
    CScrollBarUI bar;
    bar.SetPos(Rc(0, 0, 16, 20));
    EXPECT_EQ("(0,0,16,10)", Text(bar.GetButton1Rect()));
    EXPECT_EQ("(0,10,16,20)", Text(bar.GetButton2Rect()));
    const RECT rcThumb = bar.GetThumbRect();
    EXPECT_TRUE(::IsRectEmpty(&rcThumb));
}

TEST(ScrollBarLayout, HorizontalBarSwapsTheAxes)
{
    CScrollBarUI bar;
    bar.SetHorizontal(true);
    EXPECT_EQ(16, bar.GetFixedHeight());
    EXPECT_EQ(0, bar.GetFixedWidth());
    bar.SetPos(Rc(0, 0, 116, 16));
    EXPECT_EQ("(0,0,16,16)", Text(bar.GetButton1Rect()));
    EXPECT_EQ("(100,0,116,16)", Text(bar.GetButton2Rect()));
    EXPECT_EQ("(16,0,61,16)", Text(bar.GetThumbRect()));
}

TEST(ScrollBarInput, HeldButtonRepeatsAfterAPause)
{
    CScrollBarUI bar;
    bar.SetLineSize(8);
    bar.SetScrollRange(1000);
    bar.SetPos(Rc(0, 0, 16, 116));
    TEventUI down = Event(UIEVENT_BUTTONDOWN, 8, 108);
    bar.DoEvent(down);
    EXPECT_EQ(8, bar.GetScrollPos()) << "one line at the press";
    for (int i = 0; i < 5; ++i) {
        TEventUI tick = Event(UIEVENT_TIMER, 0, 0, 10);
        bar.DoEvent(tick);
    }
    EXPECT_EQ(8, bar.GetScrollPos()) << "nothing for the next five ticks";
    for (int i = 0; i < 3; ++i) {
        TEventUI tick = Event(UIEVENT_TIMER, 0, 0, 10);
        bar.DoEvent(tick);
    }
    EXPECT_EQ(32, bar.GetScrollPos()) << "then one line per tick";
    TEventUI up = Event(UIEVENT_BUTTONUP, 8, 108);
    bar.DoEvent(up);
    TEventUI late = Event(UIEVENT_TIMER, 0, 0, 10);
    bar.DoEvent(late);
    EXPECT_EQ(32, bar.GetScrollPos()) << "release ends the repeat";
}

TEST(ScrollBarInput, TrackClickPagesTowardsThePoint)
{
    CScrollBarUI bar;
    bar.SetScrollRange(1000);
    bar.SetPos(Rc(0, 0, 16, 116));
    TEventUI down = Event(UIEVENT_BUTTONDOWN, 8, 90);
    bar.DoEvent(down);
    EXPECT_EQ(116, bar.GetScrollPos()) << "one page is the bar's length";
    TEventUI up = Event(UIEVENT_BUTTONUP, 8, 90);
    bar.DoEvent(up);
    TEventUI back = Event(UIEVENT_BUTTONDOWN, 8, 17);
    bar.DoEvent(back);
    EXPECT_EQ(0, bar.GetScrollPos());
}

TEST(ScrollBarLook, PartsWithoutImagesShowFrames)
{
    Host host({0, 0, 100, 200});
    CContainerUI* root = new CContainerUI();
    CScrollBarUI* bar = new CScrollBarUI();
    bar->SetAttribute(L"float", L"true");
    bar->SetAttribute(L"pos", L"0,0,16,116");
    root->Add(bar);
    host.Attach(root);
    Canvas canvas(40, 140);
    canvas.Paint(bar);
    const DWORD kFrame = 0x85E4FF;
    EXPECT_GT(canvas.CountRgb(Rc(0, 0, 16, 16), kFrame), 20);
    EXPECT_GT(canvas.CountRgb(Rc(0, 100, 16, 116), kFrame), 20);
    EXPECT_GT(canvas.CountRgb(bar->GetThumbRect(), kFrame), 20);
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(8, 8)) << "only a frame, not a fill";
}

// ---- a container whose content is taller than its view ---------------------------------

namespace {

struct ListWindow
{
    Host host;
    CVerticalLayoutUI* list = new CVerticalLayoutUI();
    CControlUI* first = nullptr;

    ListWindow()
    {
        list->SetAttribute(L"vscrollbar", L"true");
        for (int i = 0; i < 20; ++i) {
            CControlUI* item = new CControlUI();
            item->SetAttribute(L"height", L"50");
            list->Add(item);
            if (first == nullptr) first = item;
        }
        host.Attach(list);
    }

    int Pos() const { return list->GetScrollPos().cy; }
};

} // namespace

TEST(ScrollingList, BarAppearsWithTheExcessAsRange)
{
    ListWindow w;
    CScrollBarUI* bar = w.list->GetVerticalScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(1000 - 300, bar->GetScrollRange());
    EXPECT_EQ(0, w.Pos());
    EXPECT_EQ(384, bar->GetX());
}

TEST(ScrollingList, WheelScrollsTheContent)
{
    ListWindow w;
    w.host.Wheel(100, 100, -WHEEL_DELTA);
    w.host.Layout();
    const int afterDown = w.Pos();
    EXPECT_GT(afterDown, 0);
    EXPECT_EQ(-afterDown, w.first->GetY());
    w.host.Wheel(100, 100, WHEEL_DELTA);
    w.host.Layout();
    EXPECT_EQ(0, w.Pos());
}

TEST(ScrollingList, ArrowButtonsStepByLines)
{
    ListWindow w;
    CScrollBarUI* bar = w.list->GetVerticalScrollBar();
    const RECT rcDown = bar->GetButton2Rect();
    const int x = (rcDown.left + rcDown.right) / 2;
    const int y = (rcDown.top + rcDown.bottom) / 2;
    w.host.Click(x, y);
    const int oneStep = w.Pos();
    EXPECT_GT(oneStep, 0);
    w.host.Click(x, y);
    EXPECT_EQ(2 * oneStep, w.Pos());
    const RECT rcUp = bar->GetButton1Rect();
    w.host.Click((rcUp.left + rcUp.right) / 2, (rcUp.top + rcUp.bottom) / 2);
    EXPECT_EQ(oneStep, w.Pos());
    w.host.Manager().SetDPI(144);  // 150 %: a line scales with the window
    EXPECT_EQ(oneStep * 3 / 2, bar->GetLineSize());
}

TEST(ScrollingList, DraggingTheThumbScrollsProportionally)
{
    ListWindow w;
    CScrollBarUI* bar = w.list->GetVerticalScrollBar();
    const RECT rcThumb = bar->GetThumbRect();
    const int x = (rcThumb.left + rcThumb.right) / 2;
    const int y = (rcThumb.top + rcThumb.bottom) / 2;
    w.host.Down(x, y);
    w.host.Move(x, y + 60, MK_LBUTTON);
    Host::PumpFor(200);
    w.host.Up(x, y + 60);
    const int travel = (bar->GetButton2Rect().top - bar->GetButton1Rect().bottom) -
                       (rcThumb.bottom - rcThumb.top);
    const int expected = 60 * 700 / travel;
    EXPECT_NEAR(expected, w.Pos(), 2);
    w.host.Layout();
    EXPECT_EQ(-w.Pos(), w.first->GetY());
}

TEST(ScrollingList, AutoRepeatEndsWhenCaptureIsLostOrTheBarIsDisabled)
{
    ListWindow w;
    CScrollBarUI* bar = w.list->GetVerticalScrollBar();
    const RECT rcDown = bar->GetButton2Rect();
    const int x = (rcDown.left + rcDown.right) / 2;
    const int y = (rcDown.top + rcDown.bottom) / 2;
    w.host.Down(x, y);
    const int oneStep = w.Pos();
    Host::PumpFor(700);
    EXPECT_GT(w.Pos(), oneStep) << "held, the arrow repeats";

    // Another window takes the mouse while the arrow is held.
    ::ReleaseCapture();
    int stopped = w.Pos();
    Host::PumpFor(500);
    EXPECT_EQ(stopped, w.Pos());

    // Held on the track, then the bar is disabled.
    const RECT rcThumb = bar->GetThumbRect();
    w.host.Down(x, rcThumb.bottom + 5);
    bar->SetEnabled(false);
    stopped = w.Pos();
    Host::PumpFor(500);
    EXPECT_EQ(stopped, w.Pos());
    w.host.Up(x, rcThumb.bottom + 5);
}
