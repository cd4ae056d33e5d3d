// State of the control base: DPI-scaled getters, visibility and focus,
// positioning, update flags, texts from language packages, reference counting.
#include <gtest/gtest.h>

#include "controls_test_host.h"
#include "ui/core/UILangManager.h"
#include "ui/core/UILangPackage.h"
#include "ui/core/UIResourceManager.h"

using namespace Veneer;
using controls_test::Child;
using controls_test::Host;
using controls_test::ProbeControl;
using controls_test::Rc;

namespace {

CControlUI* MakeSized()
{
    CControlUI* c = new CControlUI();
    c->ApplyAttributeList(L"width=\"14\" height=\"20\" minwidth=\"10\" maxheight=\"100\" padding=\"2,4,6,8\" "
                          L"pos=\"14,0,28,20\" bordersize=\"2\" borderround=\"6,6\" tooltipwidth=\"1\"");
    return c;
}

} // namespace

class ControlDpi : public ::testing::TestWithParam<int>
{
};

TEST_P(ControlDpi, SizeGettersAreScaledAndStorageIsNot)
{
    const int dpi = GetParam();
    CPaintManagerUI pm;
    pm.GetDPIObj()->SetScale(dpi);
    const int scale = pm.GetDPIObj()->GetScale();
    auto scaled = [scale](int n) { return ::MulDiv(n, scale, 100); };

    CControlUI* c = MakeSized();
    c->SetManager(&pm, nullptr, false);
    EXPECT_EQ(scaled(14), c->GetFixedWidth());
    EXPECT_EQ(scaled(20), c->GetFixedHeight());
    EXPECT_EQ(scaled(10), c->GetMinWidth());
    EXPECT_EQ(scaled(100), c->GetMaxHeight());
    EXPECT_EQ(scaled(9999), c->GetMaxWidth());
    EXPECT_EQ(scaled(14), c->GetFixedXY().cx);
    RECT rcPad = c->GetPadding();
    EXPECT_EQ(scaled(2), rcPad.left);
    EXPECT_EQ(scaled(4), rcPad.top);
    EXPECT_EQ(scaled(6), rcPad.right);
    EXPECT_EQ(scaled(8), rcPad.bottom);
    EXPECT_EQ(scaled(2), c->GetBorderSize());
    EXPECT_EQ(scaled(6), c->GetBorderRound().cx);

    // Without a manager the stored (unscaled) values come back.
    c->SetManager(nullptr, nullptr, false);
    EXPECT_EQ(14, c->GetFixedWidth());
    EXPECT_EQ(2, c->GetPadding().left);
    delete c;
}

TEST_P(ControlDpi, LayoutUsesScaledSizesPaddingAndInset)
{
    const int dpi = GetParam();
    CPaintManagerUI pm;
    pm.GetDPIObj()->SetScale(dpi);
    const int scale = pm.GetDPIObj()->GetScale();
    auto scaled = [scale](int n) { return ::MulDiv(n, scale, 100); };

    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    root->SetInset(Rc(10, 10, 10, 10));
    root->SetChildPadding(10);
    CControlUI* a = Child(*root, 0, 40);
    CControlUI* b = Child(*root, 0, 0);
    pm.InitControls(root);
    root->SetPos(Rc(0, 0, 300, 300), false);
    EXPECT_EQ(scaled(10), a->GetPos().top);
    EXPECT_EQ(scaled(40), a->GetHeight());
    EXPECT_EQ(scaled(10) + scaled(40) + scaled(10), b->GetPos().top);
    // The last stretchable child ends exactly at the scaled inset.
    EXPECT_EQ(300 - scaled(10), b->GetPos().bottom);
    delete root;
}

INSTANTIATE_TEST_SUITE_P(Dpi100_115_150, ControlDpi, ::testing::Values(96, 110, 144));

TEST(ControlDpiValues, ScaleOf115PercentRoundsToNearest)
{
    CPaintManagerUI pm;
    pm.GetDPIObj()->SetScale(110);
    ASSERT_EQ(115, pm.GetDPIObj()->GetScale());
    CControlUI c;
    c.SetFixedHeight(14);
    c.SetManager(&pm, nullptr, false);
    EXPECT_EQ(16, c.GetFixedHeight());
}

TEST(ControlVisibility, HidingTheFocusedControlLeavesNoFocus)
{
    Host host;
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    CControlUI* a = Child(*root, 0, 20);
    host.Manager().AttachDialog(root);
    a->SetFocus();
    ASSERT_EQ(a, host.Manager().GetFocus());
    EXPECT_TRUE(a->IsFocused());
    a->SetVisible(false);
    EXPECT_EQ(nullptr, host.Manager().GetFocus());
    EXPECT_FALSE(a->IsFocused());
}

TEST(ControlVisibility, InternVisibilityHidesWithoutTouchingTheOwnFlag)
{
    CControlUI c;
    c.SetInternVisible(false);
    EXPECT_FALSE(c.IsVisible());
    c.SetVisible(true);  // already set: no change
    EXPECT_FALSE(c.IsVisible());
    c.SetInternVisible(true);
    EXPECT_TRUE(c.IsVisible());
    c.SetVisible(false);
    c.SetInternVisible(true);
    EXPECT_FALSE(c.IsVisible());
}

TEST(ControlVisibility, ActivateNeedsVisibleAndEnabled)
{
    CControlUI c;
    EXPECT_TRUE(c.Activate());
    c.SetEnabled(false);
    EXPECT_FALSE(c.Activate());
    c.SetEnabled(true);
    c.SetVisible(false);
    EXPECT_FALSE(c.Activate());
}

TEST(ControlGeometry, SetPosNormalisesAndRelativePosUsesTheParent)
{
    CVerticalLayoutUI parent;
    CControlUI* c = Child(parent, 0, 0);
    parent.SetPos(Rc(10, 20, 110, 220), false);
    c->SetPos(Rc(50, 60, 40, 30), false);
    EXPECT_EQ(Rc(50, 60, 50, 60), c->GetPos());
    c->SetPos(Rc(15, 30, 35, 70), false);
    EXPECT_EQ(Rc(5, 10, 25, 50), c->GetRelativePos());
    EXPECT_EQ(20, c->GetWidth());
    EXPECT_EQ(40, c->GetHeight());
    EXPECT_EQ(15, c->GetX());
    EXPECT_EQ(30, c->GetY());
    CControlUI orphan;
    orphan.SetPos(Rc(1, 2, 3, 4), false);
    EXPECT_EQ(Rc(0, 0, 0, 0), orphan.GetRelativePos());
}

TEST(ControlGeometry, MoveShiftsTheFixedOffset)
{
    CControlUI c;
    c.SetFixedXY(SIZE{3, 4});
    c.Move(SIZE{10, -2});
    EXPECT_EQ(13, c.GetFixedXY().cx);
    EXPECT_EQ(2, c.GetFixedXY().cy);
}

TEST(ControlGeometry, EstimateIsTheFixedSize)
{
    CControlUI c;
    c.SetFixedWidth(12);
    SIZE sz = c.EstimateSize(SIZE{500, 500});
    EXPECT_EQ(12, sz.cx);
    EXPECT_EQ(0, sz.cy);
}

TEST(ControlUpdate, SizeSettersAskTheParentForALayout)
{
    Host host;
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    CControlUI* a = Child(*root, 0, 20);
    host.Manager().AttachDialog(root);
    root->SetPos(Rc(0, 0, 100, 100), false);
    a->SetPos(a->GetPos(), false);
    ASSERT_FALSE(root->IsUpdateNeeded());
    ASSERT_FALSE(a->IsUpdateNeeded());

    a->SetFixedHeight(30);
    EXPECT_TRUE(root->IsUpdateNeeded());
    EXPECT_TRUE(host.Manager().IsUpdateNeeded());
    root->SetPos(root->GetPos(), false);
    EXPECT_EQ(30, a->GetHeight());

    // Looks-only setters do not ask for a layout.
    a->SetBkColor(0xFF00FF00);
    EXPECT_FALSE(root->IsUpdateNeeded());
}

TEST(ControlUpdate, HiddenControlsNeverMarkThemselves)
{
    Host host;
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    CControlUI* a = Child(*root, 0, 20);
    host.Manager().AttachDialog(root);
    root->SetPos(Rc(0, 0, 100, 100), false);
    ASSERT_FALSE(a->IsUpdateNeeded());
    a->SetVisible(false);
    a->NeedUpdate();
    EXPECT_FALSE(a->IsUpdateNeeded());
}

TEST(ControlInvalidate, RepaintAreaIsClippedByTheAncestors)
{
    Host host({0, 0, 200, 200});
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    CContainerUI* clip = new CContainerUI();
    clip->SetFixedHeight(50);
    root->Add(clip);
    CControlUI* inside = new CControlUI();
    clip->Add(inside);
    host.Manager().AttachDialog(root);
    root->SetPos(Rc(0, 0, 200, 200), false);

    // Half inside its parent: only the visible half is invalidated.
    inside->SetPos(Rc(10, 30, 60, 80), false);
    ::ValidateRect(host.Handle(), nullptr);
    inside->Invalidate();
    RECT rcUpdate;
    ASSERT_TRUE(::GetUpdateRect(host.Handle(), &rcUpdate, FALSE));
    EXPECT_EQ(Rc(10, 30, 60, 50), rcUpdate);

    // Scrolled completely outside its parent: nothing at all.
    inside->SetPos(Rc(10, 120, 60, 170), false);
    ::ValidateRect(host.Handle(), nullptr);
    inside->Invalidate();
    EXPECT_FALSE(::GetUpdateRect(host.Handle(), &rcUpdate, FALSE));

    // Hidden controls never invalidate.
    inside->SetPos(Rc(10, 10, 60, 40), false);
    inside->SetVisible(false);
    ::ValidateRect(host.Handle(), nullptr);
    inside->Invalidate();
    EXPECT_FALSE(::GetUpdateRect(host.Handle(), &rcUpdate, FALSE));
}

TEST(ControlTexts, LanguagePackageTextWinsWhenNotEmpty)
{
    CPaintManagerUI pm;
    CLangPackageUI* pkg = pm.GetLangManager()->AddPackage(L"CtlTestSkin.xml");
    ASSERT_NE(nullptr, pkg);
    pkg->AddText(5, L"Install Now");
    pkg->AddToolTip(5, L"tip from package");
    pkg->AddText(6, L"");

    CControlUI c;
    c.SetText(L"markup text");
    c.SetToolTip(L"markup tip");
    c.SetResourceID(5);
    EXPECT_STREQ(L"markup text", c.GetText());  // no manager, no skin file
    c.SetManager(&pm, nullptr, false);
    EXPECT_STREQ(L"markup text", c.GetText());  // still no skin file
    c.SetSkinFile(L"CtlTestSkin.xml");
    EXPECT_STREQ(L"Install Now", c.GetText());
    EXPECT_STREQ(L"tip from package", c.GetToolTip());

    c.SetResourceID(6);  // an empty package text is not used
    EXPECT_STREQ(L"markup text", c.GetText());
    c.SetResourceID(0);
    EXPECT_STREQ(L"markup text", c.GetText());
    c.SetResourceID(-5);
    EXPECT_STREQ(L"markup text", c.GetText());
    c.SetManager(nullptr, nullptr, false);
}

TEST(ControlTexts, ResourceTextLooksTheTextUpAsKey)
{
    ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage(
        L"<Res><Text id=\"ctl_key\" value=\"Resolved text\"/></Res>"));
    CControlUI c;
    c.SetAttribute(L"resourcetext", L"true");
    c.SetText(L"ctl_key");
    EXPECT_STREQ(L"Resolved text", c.GetText());
    c.SetResourceText(false);
    EXPECT_STREQ(L"ctl_key", c.GetText());
}

TEST(ControlLifetime, ReleasingTheLastReferenceDeletesTheControl)
{
    bool bDeleted = false;
    ProbeControl* p = new ProbeControl(0, 0, &bDeleted);
    p->__AddRef();
    p->__ReleaseRef();
    EXPECT_FALSE(bDeleted);
    p->__ReleaseRef();
    EXPECT_TRUE(bDeleted);
}

TEST(ControlLifetime, DestroyedControlIsForgottenByTheManager)
{
    Host host;
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    CControlUI* a = Child(*root, 0, 20);
    a->SetName(L"victim");
    host.Manager().AttachDialog(root);
    a->SetFocus();
    ASSERT_EQ(a, host.Manager().FindControl(L"victim"));
    root->SetDelayedDestroy(false);
    root->Remove(a);
    EXPECT_EQ(nullptr, host.Manager().GetFocus());
    EXPECT_EQ(nullptr, host.Manager().FindControl(L"victim"));
}
