// Vertical and horizontal layouts: one suite run along both axes (sharing of the main dimension between fixed
// and stretchable children, padding, insets, limits, hidden and float children), then the points where the
// mirror differs (alignment of each child across the axis, rounding, DPI).
#include <gtest/gtest.h>

#include <memory>

#include "controls_test_host.h"
#include "ui/core/UIDPI.h"
#include "ui/core/UIManager.h"

using namespace Veneer;
using controls_test::Child;
using controls_test::Rc;

namespace {

// Sizes and rectangles are written along the axis: "main" is the direction children are stacked in.
class LinearLayout : public ::testing::TestWithParam<bool>
{
protected:
    bool Vertical() const { return GetParam(); }
    CContainerUI& Layout()
    {
        if (!m_pLayout) {
            m_pLayout.reset(Vertical() ? static_cast<CContainerUI*>(new CVerticalLayoutUI)
                                       : static_cast<CContainerUI*>(new CHorizontalLayoutUI));
        }
        return *m_pLayout;
    }
    // 0 means "stretch" in that dimension.
    CControlUI* Add(int main, int cross)
    {
        return Vertical() ? Child(Layout(), cross, main) : Child(Layout(), main, cross);
    }
    RECT R(int main0, int cross0, int main1, int cross1) const
    {
        return Vertical() ? Rc(cross0, main0, cross1, main1) : Rc(main0, cross0, main1, cross1);
    }
    void Place(int main, int cross) { Layout().SetPos(R(0, 0, main, cross), false); }
    int Main(CControlUI* p) const { return Vertical() ? p->GetHeight() : p->GetWidth(); }
    int Cross(CControlUI* p) const { return Vertical() ? p->GetWidth() : p->GetHeight(); }
    int MainStart(CControlUI* p) const { return Vertical() ? p->GetPos().top : p->GetPos().left; }
    int MainEnd(CControlUI* p) const { return Vertical() ? p->GetPos().bottom : p->GetPos().right; }
    void MaxMain(CControlUI* p, int n) { Vertical() ? p->SetMaxHeight(n) : p->SetMaxWidth(n); }
    void MinMain(CControlUI* p, int n) { Vertical() ? p->SetMinHeight(n) : p->SetMinWidth(n); }
    void MaxCross(CControlUI* p, int n) { Vertical() ? p->SetMaxWidth(n) : p->SetMaxHeight(n); }
    void MinCross(CControlUI* p, int n) { Vertical() ? p->SetMinWidth(n) : p->SetMinHeight(n); }
    void MainPercent(CControlUI* p, int n) { Vertical() ? p->SetFixedHeightPercent(n) : p->SetFixedWidthPercent(n); }
    void CrossPercent(CControlUI* p, int n) { Vertical() ? p->SetFixedWidthPercent(n) : p->SetFixedHeightPercent(n); }
    void AutoCalcMain() { Vertical() ? Layout().SetAutoCalcHeight(true) : Layout().SetAutoCalcWidth(true); }
    // The alignment along the axis, in the words of that axis.
    void AlignMain(bool bEnd)
    {
        if (Vertical())
            Layout().SetAttribute(L"childvalign", bEnd ? L"bottom" : L"vcenter");
        else
            Layout().SetAttribute(L"childalign", bEnd ? L"right" : L"center");
    }

private:
    std::unique_ptr<CContainerUI> m_pLayout;
};

INSTANTIATE_TEST_SUITE_P(Axes, LinearLayout, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Vertical" : "Horizontal";
                         });

} // namespace

TEST_P(LinearLayout, FixedChildrenFirstThenEqualSharesWithTheRemainderToTheLast)
{
    Layout().SetChildPadding(10);
    CControlUI* a = Add(50, 0);
    CControlUI* b = Add(70, 0);
    CControlUI* c = Add(0, 0);
    CControlUI* d = Add(0, 0);
    Place(301, 40);
    // (301 - 120 - 3 x 10) / 2 = 75 for each stretchable child, the odd pixel to the last.
    EXPECT_EQ(R(0, 0, 50, 40), a->GetPos());
    EXPECT_EQ(R(60, 0, 130, 40), b->GetPos());
    EXPECT_EQ(R(140, 0, 215, 40), c->GetPos());
    EXPECT_EQ(R(225, 0, 301, 40), d->GetPos());
}

TEST_P(LinearLayout, LimitsOfStretchableChildrenMoveTheSpaceOnOrLeaveItEmpty)
{
    CControlUI* a = Add(0, 0);
    MaxMain(a, 40);
    CControlUI* b = Add(0, 0);
    Place(300, 50);
    EXPECT_EQ(40, Main(a));
    EXPECT_EQ(260, Main(b));

    MaxMain(a, 9999);
    MaxMain(b, 40);
    Place(300, 50);
    EXPECT_EQ(150, Main(a));
    EXPECT_EQ(40, Main(b));
    EXPECT_EQ(190, MainEnd(b));
}

TEST_P(LinearLayout, MinimumWinsOverTooLittleSpaceAndOverfullNeverGoesNegative)
{
    Add(80, 0);
    CControlUI* b = Add(0, 0);
    MinMain(b, 30);
    Place(100, 50);
    EXPECT_EQ(30, Main(b));
    EXPECT_EQ(80, MainStart(b));

    MinMain(b, 0);
    CControlUI* c = Add(0, 0);
    Add(150, 0);
    Place(100, 50);
    EXPECT_EQ(0, Main(b));
    EXPECT_EQ(0, Main(c));
}

TEST_P(LinearLayout, PercentIsTakenFromTheAvailableSpace)
{
    CControlUI* a = Add(0, 0);
    MainPercent(a, 25);
    CControlUI* b = Add(0, 0);
    Place(200, 50);
    EXPECT_EQ(50, Main(a));
    EXPECT_EQ(150, Main(b));
}

TEST_P(LinearLayout, InvisibleAndFloatChildrenTakeNoSpaceAndNoPadding)
{
    Layout().SetChildPadding(10);
    CControlUI* a = Add(20, 0);
    CControlUI* hidden = Add(40, 0);
    hidden->SetVisible(false);
    CControlUI* f = Child(Layout(), 30, 10);
    f->SetFloat(true);
    f->SetFixedXY(SIZE{5, 7});
    CControlUI* c = Add(0, 0);
    Layout().SetPos(Rc(100, 100, 150, 200), false);
    EXPECT_EQ(120, MainEnd(a));
    EXPECT_EQ(130, MainStart(c));
    // A float child is placed by its own position, the same along both axes.
    EXPECT_EQ(Rc(105, 107, 135, 117), f->GetPos());
}

TEST_P(LinearLayout, InsetAndChildPaddingShrinkTheClientArea)
{
    Layout().SetInset(Rc(5, 6, 7, 8));
    CControlUI* a = Add(0, 0);
    a->SetPadding(Rc(1, 2, 3, 4));
    Place(100, 100);
    // Client (5,6)-(93,92); the child keeps its margins inside it.
    EXPECT_EQ(Rc(6, 8, 90, 88), a->GetPos());
}

TEST_P(LinearLayout, CrossDimensionFillsAndHonoursFixedPercentAndLimits)
{
    Layout().SetInset(R(2, 4, 2, 6));
    CControlUI* fill = Add(10, 0);
    CControlUI* pct = Add(10, 0);
    CrossPercent(pct, 50);
    CControlUI* capped = Add(10, 0);
    MaxCross(capped, 15);
    CControlUI* tall = Add(10, 0);
    MaxCross(tall, 5);
    MinCross(tall, 12);
    CControlUI* fixed = Add(10, 40);
    CControlUI* wide = Add(10, 500);
    Place(110, 110);
    EXPECT_EQ(100, Cross(fill));
    EXPECT_EQ(50, Cross(pct));
    EXPECT_EQ(15, Cross(capped));
    EXPECT_EQ(12, Cross(tall));
    EXPECT_EQ(40, Cross(fixed));
    EXPECT_EQ(100, Cross(wide));
    EXPECT_EQ(R(2, 4, 12, 104), fill->GetPos());
}

TEST_P(LinearLayout, AlignmentAlongTheAxisMovesTheBlockOnlyWithoutStretchableChildren)
{
    AlignMain(false);
    CControlUI* a = Add(20, 0);
    CControlUI* b = Add(30, 0);
    Place(100, 50);
    EXPECT_EQ(25, MainStart(a));
    EXPECT_EQ(75, MainEnd(b));

    AlignMain(true);
    Place(100, 50);
    EXPECT_EQ(50, MainStart(a));
    EXPECT_EQ(100, MainEnd(b));

    CControlUI* s = Add(0, 0);
    Place(100, 50);
    EXPECT_EQ(0, MainStart(a));
    EXPECT_EQ(50, Main(s));
}

TEST_P(LinearLayout, CalcPosReportsTheTargetRectangleWithoutMovingAnything)
{
    CControlUI* a = Add(20, 0);
    CControlUI* b = Add(0, 0);
    Place(100, 50);
    b->SetVisible(false); // pane-visible children still count for CalcPos
    RECT rc;
    ASSERT_TRUE(Layout().CalcPos(b, rc));
    EXPECT_EQ(R(20, 0, 100, 50), rc);
    EXPECT_EQ(80, Main(b)); // untouched

    CControlUI stranger;
    EXPECT_FALSE(Layout().CalcPos(&stranger, rc));
    a->SetFloat(true);
    EXPECT_FALSE(Layout().CalcPos(a, rc));
}

TEST_P(LinearLayout, AutoCalcSumsChildrenInsetAndPaddingAlongTheAxisOnly)
{
    AutoCalcMain();
    Layout().SetInset(R(3, 0, 4, 0));
    Layout().SetChildPadding(5);
    CControlUI* a = Add(20, 10);
    a->SetPadding(R(1, 0, 2, 0));
    Add(30, 10);
    const SIZE sz = Layout().EstimateSize(SIZE{100, 100});
    // 20+1+2 + 30 + inset 7 + one gap of 5 = 65; the other dimension is not calculated.
    EXPECT_EQ(65, Vertical() ? sz.cy : sz.cx);
    EXPECT_EQ(0, Vertical() ? sz.cx : sz.cy);
}

TEST(VerticalLayoutEstimate, HiddenChildrenStillCountForTheGapsAndTheFixedSizeIsReportedWithoutAutoCalc)
{
    CVerticalLayoutUI layout;
    layout.SetAutoCalcHeight(true);
    layout.SetChildPadding(5);
    Child(layout, 10, 20);
    Child(layout, 10, 30);
    Child(layout, 10, 99)->SetVisible(false);
    EXPECT_EQ(60, layout.EstimateSize(SIZE{100, 100}).cy);

    layout.SetAutoCalcHeight(false);
    layout.SetFixedWidth(33);
    layout.SetFixedHeight(44);
    const SIZE sz = layout.EstimateSize(SIZE{100, 100});
    EXPECT_EQ(33, sz.cx);
    EXPECT_EQ(44, sz.cy);
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

TEST(VerticalLayoutAlignment, ChildAlignCentresAndRightAlignsEachChild)
{
    CVerticalLayoutUI layout;
    layout.SetAttribute(L"childalign", L"center");
    CControlUI* a = Child(layout, 41, 10);
    layout.SetPos(Rc(0, 0, 100, 100), false);
    // Centre 50: left = 50 - 20, right = 50 + 41 - 20.
    EXPECT_EQ(Rc(30, 0, 71, 10), a->GetPos());

    layout.SetAttribute(L"childalign", L"right");
    a->SetPadding(Rc(0, 0, 5, 0));
    layout.SetPos(Rc(0, 0, 100, 100), false);
    EXPECT_EQ(Rc(54, 0, 95, 10), a->GetPos());
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

TEST(HorizontalLayoutAlignment, ChildVAlignPlacesEachChildInTheRowInsideItsPadding)
{
    CHorizontalLayoutUI layout;
    CControlUI* a = Child(layout, 10, 21);
    a->SetPadding(Rc(0, 2, 0, 3));
    layout.SetPos(Rc(0, 0, 100, 100), false);
    EXPECT_EQ(Rc(0, 2, 10, 23), a->GetPos());

    layout.SetAttribute(L"childvalign", L"vcenter");
    layout.SetPos(Rc(0, 0, 100, 100), false);
    EXPECT_EQ(Rc(0, 40, 10, 61), a->GetPos());

    layout.SetAttribute(L"childvalign", L"bottom");
    layout.SetPos(Rc(0, 0, 100, 100), false);
    EXPECT_EQ(Rc(0, 76, 10, 97), a->GetPos());
}

TEST(LinearLayoutNesting, NestedLayoutsAreLaidOutRecursively)
{
    CVerticalLayoutUI outer;
    CHorizontalLayoutUI* row = new CHorizontalLayoutUI();
    row->SetFixedHeight(40);
    outer.Add(row);
    CControlUI* left = Child(*row, 30, 0);
    CControlUI* right = Child(*row, 0, 0);
    CControlUI* below = Child(outer, 0, 0);
    outer.SetPos(Rc(0, 0, 100, 100), false);
    EXPECT_EQ(Rc(0, 0, 30, 40), left->GetPos());
    EXPECT_EQ(Rc(30, 0, 100, 40), right->GetPos());
    EXPECT_EQ(Rc(0, 40, 100, 100), below->GetPos());
}
