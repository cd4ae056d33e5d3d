// Vertical layout: sharing of the height between fixed and stretchable
// children, padding, insets, alignment, limits, hidden and float children.
#include <gtest/gtest.h>

#include "controls_test_host.h"
#include "ui/core/UIDPI.h"
#include "ui/core/UIManager.h"

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

TEST(VerticalLayoutSharing, FixedChildrenFirstThenEqualShares)
{
    CVerticalLayoutUI layout;
    layout.SetChildPadding(10);
    CControlUI* a = Child(layout, 0, 50);
    CControlUI* b = Child(layout, 0, 70);
    CControlUI* c = Child(layout, 0, 0);
    CControlUI* d = Child(layout, 0, 0);
    layout.SetPos(Rc(0, 0, 200, 300), false);

    // (300 - 120 - 3 x 10) / 2 = 75 for each stretchable child.
    ExpectRect(a, 0, 0, 200, 50);
    ExpectRect(b, 0, 60, 200, 130);
    ExpectRect(c, 0, 140, 200, 215);
    ExpectRect(d, 0, 225, 200, 300);
}

TEST(VerticalLayoutSharing, LastStretchableChildTakesTheRemainder)
{
    CVerticalLayoutUI layout;
    CControlUI* a = Child(layout, 0, 0);
    CControlUI* b = Child(layout, 0, 0);
    CControlUI* c = Child(layout, 0, 0);
    layout.SetPos(Rc(0, 0, 50, 100), false);
    EXPECT_EQ(33, a->GetHeight());
    EXPECT_EQ(33, b->GetHeight());
    EXPECT_EQ(34, c->GetHeight());
    EXPECT_EQ(100, c->GetPos().bottom);
}

TEST(VerticalLayoutSharing, MaxHeightOfEarlierStretchableLeavesMoreForTheLast)
{
    CVerticalLayoutUI layout;
    CControlUI* a = Child(layout, 0, 0);
    a->SetMaxHeight(40);
    CControlUI* b = Child(layout, 0, 0);
    layout.SetPos(Rc(0, 0, 50, 300), false);
    EXPECT_EQ(40, a->GetHeight());
    EXPECT_EQ(260, b->GetHeight());
}

TEST(VerticalLayoutSharing, MaxHeightOfTheLastStretchableLeavesSpaceEmpty)
{
    CVerticalLayoutUI layout;
    CControlUI* a = Child(layout, 0, 0);
    CControlUI* b = Child(layout, 0, 0);
    b->SetMaxHeight(40);
    layout.SetPos(Rc(0, 0, 50, 300), false);
    EXPECT_EQ(150, a->GetHeight());
    EXPECT_EQ(40, b->GetHeight());
    EXPECT_EQ(190, b->GetPos().bottom);
}

TEST(VerticalLayoutSharing, MinHeightWinsOverTooLittleSpace)
{
    CVerticalLayoutUI layout;
    Child(layout, 0, 80);
    CControlUI* b = Child(layout, 0, 0);
    b->SetMinHeight(30);
    layout.SetPos(Rc(0, 0, 50, 100), false);
    EXPECT_EQ(30, b->GetHeight());
    EXPECT_EQ(80, b->GetPos().top);
}

TEST(VerticalLayoutSharing, OverfullLayoutNeverGivesNegativeHeights)
{
    CVerticalLayoutUI layout;
    Child(layout, 0, 150);
    CControlUI* b = Child(layout, 0, 0);
    CControlUI* c = Child(layout, 0, 0);
    layout.SetPos(Rc(0, 0, 50, 100), false);
    EXPECT_EQ(0, b->GetHeight());
    EXPECT_EQ(0, c->GetHeight());
}

TEST(VerticalLayoutSharing, HeightPercentIsTakenFromTheAvailableHeight)
{
    CVerticalLayoutUI layout;
    CControlUI* a = Child(layout, 0, 0);
    a->SetFixedHeightPercent(25);
    CControlUI* b = Child(layout, 0, 0);
    layout.SetPos(Rc(0, 0, 50, 200), false);
    EXPECT_EQ(50, a->GetHeight());
    EXPECT_EQ(150, b->GetHeight());
}

TEST(VerticalLayoutSkipping, InvisibleChildTakesNoSpaceAndNoPadding)
{
    CVerticalLayoutUI layout;
    layout.SetChildPadding(10);
    CControlUI* a = Child(layout, 0, 20);
    CControlUI* hidden = Child(layout, 0, 40);
    hidden->SetVisible(false);
    CControlUI* c = Child(layout, 0, 0);
    layout.SetPos(Rc(0, 0, 50, 100), false);
    ExpectRect(a, 0, 0, 50, 20);
    ExpectRect(c, 0, 30, 50, 100);
}

TEST(VerticalLayoutSkipping, FloatChildTakesNoSpaceAndIsPlacedByItsOwnRules)
{
    CVerticalLayoutUI layout;
    CControlUI* a = Child(layout, 0, 20);
    CControlUI* f = Child(layout, 30, 10);
    f->SetFloat(true);
    f->SetFixedXY(SIZE{5, 7});
    CControlUI* c = Child(layout, 0, 0);
    layout.SetPos(Rc(100, 100, 150, 200), false);
    ExpectRect(a, 100, 100, 150, 120);
    ExpectRect(c, 100, 120, 150, 200);
    ExpectRect(f, 105, 107, 135, 117);
}

TEST(VerticalLayoutGeometry, InsetAndChildPaddingShrinkTheClientArea)
{
    CVerticalLayoutUI layout;
    layout.SetInset(Rc(5, 6, 7, 8));
    CControlUI* a = Child(layout, 0, 0);
    a->SetPadding(Rc(1, 2, 3, 4));
    layout.SetPos(Rc(0, 0, 100, 100), false);
    // Client (5,6)-(93,92); the child keeps its margins inside it.
    ExpectRect(a, 6, 8, 90, 88);
}

TEST(VerticalLayoutGeometry, FixedWidthIsKeptAndLimitedToTheAvailableWidth)
{
    CVerticalLayoutUI layout;
    CControlUI* a = Child(layout, 40, 10);
    CControlUI* b = Child(layout, 500, 10);
    CControlUI* c = Child(layout, 0, 10);
    c->SetMaxWidth(60);
    layout.SetPos(Rc(0, 0, 100, 100), false);
    EXPECT_EQ(40, a->GetWidth());
    EXPECT_EQ(100, b->GetWidth());
    EXPECT_EQ(60, c->GetWidth());
}

TEST(VerticalLayoutGeometry, WidthPercentAndMinWidth)
{
    CVerticalLayoutUI layout;
    CControlUI* a = Child(layout, 0, 10);
    a->SetFixedWidthPercent(50);
    CControlUI* b = Child(layout, 0, 10);
    b->SetMaxWidth(20);
    b->SetMinWidth(30);
    layout.SetPos(Rc(0, 0, 200, 100), false);
    EXPECT_EQ(100, a->GetWidth());
    EXPECT_EQ(30, b->GetWidth());
}

TEST(VerticalLayoutAlignment, ChildAlignCenterAndRight)
{
    CVerticalLayoutUI layout;
    layout.SetAttribute(L"childalign", L"center");
    CControlUI* a = Child(layout, 41, 10);
    layout.SetPos(Rc(0, 0, 100, 100), false);
    // Centre 50: left = 50 - 20, right = 50 + 41 - 20.
    ExpectRect(a, 30, 0, 71, 10);

    layout.SetAttribute(L"childalign", L"right");
    a->SetPadding(Rc(0, 0, 5, 0));
    layout.SetPos(Rc(0, 0, 100, 100), false);
    ExpectRect(a, 54, 0, 95, 10);
}

TEST(VerticalLayoutAlignment, CapitalisedAlignWordsAreIgnored)
{
    CVerticalLayoutUI layout;
    layout.SetAttribute(L"childalign", L"Center");
    layout.SetAttribute(L"childvalign", L"Bottom");
    EXPECT_EQ(0u, layout.GetChildAlign());
    EXPECT_EQ(0u, layout.GetChildVAlign());
    // The attribute name is case-sensitive too: this one becomes a custom attribute.
    layout.SetAttribute(L"ChildAlign", L"center");
    EXPECT_EQ(0u, layout.GetChildAlign());
    EXPECT_STREQ(L"center", layout.GetCustomAttribute(L"ChildAlign"));
}

TEST(VerticalLayoutAlignment, VAlignMovesTheBlockOnlyWithoutStretchableChildren)
{
    CVerticalLayoutUI layout;
    layout.SetAttribute(L"childvalign", L"vcenter");
    CControlUI* a = Child(layout, 0, 20);
    CControlUI* b = Child(layout, 0, 30);
    layout.SetPos(Rc(0, 0, 50, 100), false);
    EXPECT_EQ(25, a->GetPos().top);
    EXPECT_EQ(75, b->GetPos().bottom);

    layout.SetAttribute(L"childvalign", L"bottom");
    layout.SetPos(Rc(0, 0, 50, 100), false);
    EXPECT_EQ(50, a->GetPos().top);
    EXPECT_EQ(100, b->GetPos().bottom);

    CControlUI* s = Child(layout, 0, 0);
    layout.SetPos(Rc(0, 0, 50, 100), false);
    EXPECT_EQ(0, a->GetPos().top);
    EXPECT_EQ(50, s->GetHeight());
}

TEST(VerticalLayoutCalcPos, ReportsTheTargetRectangleWithoutMovingAnything)
{
    CVerticalLayoutUI layout;
    CControlUI* a = Child(layout, 0, 20);
    CControlUI* b = Child(layout, 0, 0);
    layout.SetPos(Rc(0, 0, 50, 100), false);
    b->SetVisible(false);  // pane-visible children still count for CalcPos
    RECT rc;
    ASSERT_TRUE(layout.CalcPos(b, rc));
    EXPECT_TRUE(controls_test::SameRect(rc, Rc(0, 20, 50, 100))) << RectText(rc);
    EXPECT_EQ(80, b->GetHeight());  // untouched

    CControlUI stranger;
    EXPECT_FALSE(layout.CalcPos(&stranger, rc));
    a->SetFloat(true);
    EXPECT_FALSE(layout.CalcPos(a, rc));
}

TEST(VerticalLayoutEstimate, AutoCalcHeightAddsChildrenInsetAndPadding)
{
    CVerticalLayoutUI layout;
    layout.SetAutoCalcHeight(true);
    layout.SetInset(Rc(0, 3, 0, 4));
    layout.SetChildPadding(5);
    CControlUI* a = Child(layout, 10, 20);
    a->SetPadding(Rc(0, 1, 0, 2));
    Child(layout, 10, 30);
    CControlUI* hidden = Child(layout, 10, 99);
    hidden->SetVisible(false);
    SIZE sz = layout.EstimateSize(SIZE{100, 100});
    // 20+1+2 + 30 + inset 7 + two gaps (all three children count) = 70; width not auto.
    EXPECT_EQ(70, sz.cy);
    EXPECT_EQ(0, sz.cx);
}

TEST(VerticalLayoutEstimate, AtAScaledDpiInsetAndGapsAreScaledLikeTheChildren)
{
    CPaintManagerUI pm;
    pm.GetDPIObj()->SetScale(110);
    const int scale = pm.GetDPIObj()->GetScale();
    ASSERT_EQ(115, scale);
    auto scaled = [scale](int n) { return ::MulDiv(n, scale, 100); };
    CVerticalLayoutUI layout;
    layout.SetAutoCalcHeight(true);
    layout.SetInset(Rc(4, 8, 4, 12));
    layout.SetChildPadding(20);
    Child(layout, 40, 20);
    Child(layout, 40, 30);
    layout.SetManager(&pm, nullptr, false);
    SIZE sz = layout.EstimateSize(SIZE{500, 500});
    EXPECT_EQ(scaled(20) + scaled(30) + scaled(8) + scaled(12) + scaled(20), sz.cy);
    layout.SetManager(nullptr, nullptr, false);
}

TEST(VerticalLayoutEstimate, WithoutAutoCalcTheFixedSizeIsReported)
{
    CVerticalLayoutUI layout;
    layout.SetFixedWidth(33);
    layout.SetFixedHeight(44);
    Child(layout, 10, 20);
    SIZE sz = layout.EstimateSize(SIZE{100, 100});
    EXPECT_EQ(33, sz.cx);
    EXPECT_EQ(44, sz.cy);
}

TEST(VerticalLayoutNesting, NestedLayoutsAreLaidOutRecursively)
{
    CVerticalLayoutUI outer;
    CHorizontalLayoutUI* row = new CHorizontalLayoutUI();
    row->SetFixedHeight(40);
    outer.Add(row);
    CControlUI* left = Child(*row, 30, 0);
    CControlUI* right = Child(*row, 0, 0);
    CControlUI* below = Child(outer, 0, 0);
    outer.SetPos(Rc(0, 0, 100, 100), false);
    ExpectRect(left, 0, 0, 30, 40);
    ExpectRect(right, 30, 0, 100, 40);
    ExpectRect(below, 0, 40, 100, 100);
}
