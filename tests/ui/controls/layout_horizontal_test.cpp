// Horizontal layout: the mirror image of the vertical one, plus the points
// where the mirror differs (row start alignment, per-child vertical alignment).
#include <gtest/gtest.h>

#include "controls_test_host.h"

using namespace Veneer;
using controls_test::Child;
using controls_test::Rc;
using controls_test::RectText;

namespace {

void ExpectRect(CControlUI* p, int l, int t, int r, int b)
{
    RECT want = Rc(l, t, r, b);
    EXPECT_TRUE(controls_test::SameRect(p->GetPos(), want)) << "got " << RectText(p->GetPos()) << " want "
                                                       << RectText(want);
}

} // namespace

TEST(HorizontalLayoutSharing, FixedChildrenFirstThenEqualShares)
{
    CHorizontalLayoutUI layout;
    layout.SetChildPadding(10);
    CControlUI* a = Child(layout, 50, 0);
    CControlUI* b = Child(layout, 70, 0);
    CControlUI* c = Child(layout, 0, 0);
    CControlUI* d = Child(layout, 0, 0);
    layout.SetPos(Rc(0, 0, 300, 40), false);
    ExpectRect(a, 0, 0, 50, 40);
    ExpectRect(b, 60, 0, 130, 40);
    ExpectRect(c, 140, 0, 215, 40);
    ExpectRect(d, 225, 0, 300, 40);
}

TEST(HorizontalLayoutSharing, RemainderAndLimitsFollowTheChildOrder)
{
    CHorizontalLayoutUI layout;
    CControlUI* a = Child(layout, 0, 0);
    CControlUI* b = Child(layout, 0, 0);
    CControlUI* c = Child(layout, 0, 0);
    layout.SetPos(Rc(0, 0, 100, 10), false);
    EXPECT_EQ(33, a->GetWidth());
    EXPECT_EQ(33, b->GetWidth());
    EXPECT_EQ(34, c->GetWidth());

    CHorizontalLayoutUI capped;
    CControlUI* first = Child(capped, 0, 0);
    first->SetMaxWidth(40);
    CControlUI* last = Child(capped, 0, 0);
    capped.SetPos(Rc(0, 0, 300, 10), false);
    EXPECT_EQ(40, first->GetWidth());
    EXPECT_EQ(260, last->GetWidth());
}

TEST(HorizontalLayoutSharing, InvisibleAndFloatChildrenTakeNoSpace)
{
    CHorizontalLayoutUI layout;
    layout.SetChildPadding(4);
    CControlUI* a = Child(layout, 20, 0);
    CControlUI* hidden = Child(layout, 50, 0);
    hidden->SetVisible(false);
    CControlUI* f = Child(layout, 10, 10);
    f->SetFloat(true);
    CControlUI* c = Child(layout, 0, 0);
    layout.SetPos(Rc(0, 0, 100, 30), false);
    ExpectRect(a, 0, 0, 20, 30);
    ExpectRect(c, 24, 0, 100, 30);
    ExpectRect(f, 0, 0, 10, 10);
}

TEST(HorizontalLayoutAlignment, ChildAlignMovesTheRowStartWithoutStretchableChildren)
{
    CHorizontalLayoutUI layout;
    layout.SetAttribute(L"childalign", L"center");
    CControlUI* a = Child(layout, 20, 0);
    CControlUI* b = Child(layout, 30, 0);
    layout.SetPos(Rc(0, 0, 100, 10), false);
    EXPECT_EQ(25, a->GetPos().left);
    EXPECT_EQ(75, b->GetPos().right);

    layout.SetAttribute(L"childalign", L"right");
    layout.SetPos(Rc(0, 0, 100, 10), false);
    EXPECT_EQ(50, a->GetPos().left);

    Child(layout, 0, 0);
    layout.SetPos(Rc(0, 0, 100, 10), false);
    EXPECT_EQ(0, a->GetPos().left);
}

TEST(HorizontalLayoutAlignment, ChildVAlignPlacesEachChildInTheRow)
{
    CHorizontalLayoutUI layout;
    CControlUI* a = Child(layout, 10, 21);
    a->SetPadding(Rc(0, 2, 0, 3));
    layout.SetPos(Rc(0, 0, 100, 100), false);
    ExpectRect(a, 0, 2, 10, 23);

    layout.SetAttribute(L"childvalign", L"vcenter");
    layout.SetPos(Rc(0, 0, 100, 100), false);
    ExpectRect(a, 0, 40, 10, 61);

    layout.SetAttribute(L"childvalign", L"bottom");
    layout.SetPos(Rc(0, 0, 100, 100), false);
    ExpectRect(a, 0, 76, 10, 97);
}

TEST(HorizontalLayoutGeometry, CrossDimensionFillsAndHonoursPercentAndLimits)
{
    CHorizontalLayoutUI layout;
    layout.SetInset(Rc(2, 4, 2, 6));
    CControlUI* fill = Child(layout, 10, 0);
    CControlUI* pct = Child(layout, 10, 0);
    pct->SetFixedHeightPercent(50);
    CControlUI* capped = Child(layout, 10, 0);
    capped->SetMaxHeight(15);
    CControlUI* tall = Child(layout, 10, 0);
    tall->SetMaxHeight(5);
    tall->SetMinHeight(12);
    layout.SetPos(Rc(0, 0, 100, 110), false);
    EXPECT_EQ(100, fill->GetHeight());
    EXPECT_EQ(50, pct->GetHeight());
    EXPECT_EQ(15, capped->GetHeight());
    EXPECT_EQ(12, tall->GetHeight());
    EXPECT_EQ(4, fill->GetPos().top);
    EXPECT_EQ(2, fill->GetPos().left);
}

TEST(HorizontalLayoutCalcPos, ReportsTheRectangleOfAHiddenPaneVisibleChild)
{
    CHorizontalLayoutUI layout;
    Child(layout, 30, 0);
    CControlUI* b = Child(layout, 0, 0);
    b->SetVisible(false);
    layout.SetPos(Rc(0, 0, 100, 20), false);
    RECT rc;
    ASSERT_TRUE(layout.CalcPos(b, rc));
    EXPECT_TRUE(controls_test::SameRect(rc, Rc(30, 0, 100, 20))) << RectText(rc);
    EXPECT_EQ(0, b->GetWidth());
}

TEST(HorizontalLayoutEstimate, AutoCalcWidthSumsVisibleChildren)
{
    CHorizontalLayoutUI layout;
    layout.SetAutoCalcWidth(true);
    layout.SetChildPadding(2);
    CControlUI* a = Child(layout, 10, 5);
    a->SetPadding(Rc(1, 0, 1, 0));
    Child(layout, 20, 5);
    SIZE sz = layout.EstimateSize(SIZE{500, 500});
    EXPECT_EQ(34, sz.cx);
    EXPECT_EQ(0, sz.cy);
}
