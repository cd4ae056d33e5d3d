// The window shadow: settings, the computed shadow's pixels and the companion window's
// behaviour around its owner.
#include "render_test_support.h"
#include "tests/support/MessagePump.h"

#include "ui/core/UIShadow.h"


using namespace RenderTest;

namespace {

// Owner of 40x30 pixels; the shadow bitmap is (40 + 2S) x (30 + 2S).
const RECT kOwner = {100, 100, 140, 130};

struct ShadowBits {
    int cx;
    int cy;
    std::vector<UINT32> bits;
    UINT32 At(int x, int y) const { return bits[static_cast<size_t>(y * cx + x)]; }
    int Alpha(int x, int y) const { return static_cast<int>(At(x, y) >> 24); }
};

ShadowBits Render(CShadowUI& shadow, HWND owner = nullptr)
{
    ShadowBits out;
    out.cx = 40 + 2 * shadow.GetSize();
    out.cy = 30 + 2 * shadow.GetSize();
    out.bits.assign(static_cast<size_t>(out.cx * out.cy), 0);
    shadow.MakeShadow(out.bits.data(), owner, &kOwner);
    return out;
}

} // namespace

TEST(ShadowSettings, StartValues)
{
    CShadowUI shadow;
    EXPECT_EQ(0, shadow.GetSize());
    EXPECT_EQ(5u, shadow.GetSharpness());
    EXPECT_EQ(150u, shadow.GetDarkness());
    EXPECT_EQ(0u, shadow.GetColor());
    EXPECT_FALSE(shadow.IsShowShadow());
    EXPECT_FALSE(shadow.IsImageMode());
    EXPECT_FALSE(shadow.IsDisableShadow());
}

TEST(ShadowSettings, OutOfRangeValuesAreRefusedAndTheOldOnesStay)
{
    CShadowUI shadow;
    EXPECT_FALSE(shadow.SetSharpness(150));
    EXPECT_EQ(5u, shadow.GetSharpness());
    EXPECT_TRUE(shadow.SetSharpness(35));
    EXPECT_EQ(35u, shadow.GetSharpness());

    EXPECT_TRUE(shadow.SetSize(-35));
    EXPECT_FALSE(shadow.SetSize(36));
    EXPECT_FALSE(shadow.SetSize(-36));
    EXPECT_EQ(-35, shadow.GetSize());

    EXPECT_FALSE(shadow.SetDarkness(256));
    EXPECT_TRUE(shadow.SetDarkness(255));
    EXPECT_EQ(255u, shadow.GetDarkness());

    EXPECT_TRUE(shadow.SetPosition(3, -4));
    EXPECT_FALSE(shadow.SetPosition(36, 0));
    EXPECT_FALSE(shadow.SetPosition(0, -36));
    EXPECT_EQ(3, shadow.GetPosition().x);
    EXPECT_EQ(-4, shadow.GetPosition().y);

    EXPECT_TRUE(shadow.SetShadowCorner(RECT{1, 2, 3, 4}));
    EXPECT_FALSE(shadow.SetShadowCorner(RECT{1, -1, 3, 4}));
    EXPECT_EQ(2, shadow.GetShadowCorner().top);

    EXPECT_FALSE(shadow.SetImage(nullptr));
    EXPECT_FALSE(shadow.IsImageMode());
    EXPECT_TRUE(shadow.SetImage(L"shadow.png"));
    EXPECT_TRUE(shadow.IsImageMode());
    EXPECT_STREQ(L"shadow.png", shadow.GetImage());
}

TEST(ShadowSettings, CopyTakesTheComputedSettingsAndTheShowFlag)
{
    CShadowUI source, target;
    source.SetSize(7);
    source.SetSharpness(9);
    source.SetDarkness(99);
    source.SetColor(0x123456);
    source.SetPosition(2, 3);
    source.ShowShadow(true);
    EXPECT_TRUE(source.CopyShadow(&target));
    EXPECT_EQ(7, target.GetSize());
    EXPECT_EQ(9u, target.GetSharpness());
    EXPECT_EQ(99u, target.GetDarkness());
    EXPECT_EQ(0x123456u, target.GetColor());
    EXPECT_EQ(3, target.GetPosition().y);
    EXPECT_TRUE(target.IsShowShadow());
    EXPECT_FALSE(target.IsImageMode());

    CShadowUI image, copy;
    image.SetImage(L"s.png");
    image.SetShadowCorner(RECT{4, 4, 4, 4});
    image.SetSize(6);
    image.CopyShadow(&copy);
    EXPECT_TRUE(copy.IsImageMode());
    EXPECT_STREQ(L"s.png", copy.GetImage());
    EXPECT_EQ(4, copy.GetShadowCorner().right);
    EXPECT_EQ(6, copy.GetSize());
    EXPECT_FALSE(copy.IsShowShadow());
}

TEST(ShadowPixels, PreMultiplyScalesTheColourBytes)
{
    EXPECT_EQ(0x00666666u, CShadowUI::PreMultiply(0x00CCCCCC, 128));
    EXPECT_EQ(0x00102030u, CShadowUI::PreMultiply(0xFF102030, 255));
    EXPECT_EQ(0u, CShadowUI::PreMultiply(0xFFFFFFFF, 0));
    EXPECT_EQ(0x007F0000u, CShadowUI::PreMultiply(0x00FF0000, 127));
}

TEST(ShadowPixels, SizeFiveSharpnessFiveFallsOffOverSixPixels)
{
    CShadowUI shadow;
    shadow.SetSize(5);
    shadow.SetSharpness(5);
    const ShadowBits s = Render(shadow);
    const int mid = 5 + 15;
    // The owner's left edge is bitmap column 5; the kernel reaches 5 pixels out.
    // (1 - d/6) x 150 at distances 5, 4, 3, 2, 1.
    const int expected[5] = {25, 50, 75, 100, 125};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(expected[x], s.Alpha(x, mid)) << x;
    // Diagonal from the top-left corner pixel (5,5): d = 4.24.
    EXPECT_EQ(43, s.Alpha(2, 2));
    EXPECT_EQ(0, s.Alpha(0, 0));
    // Where the owner stands the shadow is fully transparent.
    EXPECT_EQ(0u, s.At(5, mid));
    EXPECT_EQ(0u, s.At(20, mid));
    EXPECT_EQ(0u, s.At(44, 34));
    // Right and bottom edges mirror the left one.
    EXPECT_EQ(125, s.Alpha(45, mid));
    EXPECT_EQ(25, s.Alpha(49, mid));
    EXPECT_EQ(100, s.Alpha(25, 36));
}

TEST(ShadowPixels, ColourIsPremultipliedByTheAlpha)
{
    CShadowUI shadow;
    shadow.SetSize(5);
    shadow.SetColor(0xFFCCCCCC);
    const ShadowBits s = Render(shadow);
    const UINT32 px = s.At(4, 20);
    const int a = static_cast<int>(px >> 24);
    EXPECT_EQ(125, a);
    EXPECT_EQ(static_cast<UINT32>(0xCC * a / 255), px & 0xFF);
    EXPECT_EQ(static_cast<UINT32>(0xCC * a / 255), (px >> 16) & 0xFF);
}

TEST(ShadowPixels, SharpnessAboveSizeErodesTheShape)
{
    CShadowUI shadow;
    shadow.SetSize(4);
    shadow.SetSharpness(10);
    const ShadowBits s = Render(shadow);
    ASSERT_EQ(48, s.cx);
    // Six passes move the left edge from column 4 to column 10; the kernel has radius 10 and
    // falls off as (1 - d/11) x 150. The owner itself covers columns 4 and beyond.
    const int mid = 19;
    EXPECT_EQ(13, s.Alpha(0, mid));   // d = 10
    EXPECT_EQ(40, s.Alpha(2, mid));   // d = 8
    EXPECT_EQ(54, s.Alpha(3, mid));   // d = 7
    EXPECT_EQ(0u, s.At(4, mid));
    EXPECT_EQ(13, s.Alpha(20, 0));    // top edge moved from row 4 to row 10
}

TEST(ShadowPixels, SizeAboveSharpnessHasASolidCore)
{
    CShadowUI shadow;
    shadow.SetSize(10);
    shadow.SetSharpness(4);
    const ShadowBits s = Render(shadow);
    // Kernel radius 10, solid radius 6: full darkness up to 6 pixels out, then the falloff.
    const int mid = 25;
    EXPECT_EQ(150, s.Alpha(10 - 5, mid));
    EXPECT_EQ(90, s.Alpha(10 - 8, mid));   // (1 - 2/5) x 150
    EXPECT_EQ(30, s.Alpha(0, mid));        // (1 - 4/5) x 150
}

TEST(ShadowPixels, OffsetUncoversTheSolidShadowBesideTheOwner)
{
    CShadowUI shadow;
    shadow.SetSize(5);
    shadow.SetPosition(3, 3);
    const ShadowBits s = Render(shadow);
    // The shadow's shape keeps its place in the bitmap; the owner's hole moves by (-3,-3).
    EXPECT_EQ(150, s.Alpha(43, 33));
    EXPECT_EQ(0u, s.At(3, 3));
    EXPECT_EQ(0u, s.At(20, 20));
}

TEST(ShadowPixels, WindowRegionShapesTheShadow)
{
    HWND owner = CreateHiddenWindow(40, 30);
    ::SetWindowRgn(owner, ::CreateRectRgn(10, 0, 40, 30), FALSE);
    CShadowUI shadow;
    shadow.SetSize(5);
    const ShadowBits s = Render(shadow, owner);
    const int mid = 20;
    EXPECT_EQ(25, s.Alpha(5 + 5, mid));
    EXPECT_EQ(125, s.Alpha(5 + 9, mid));
    EXPECT_EQ(0u, s.At(5 + 10, mid));
    EXPECT_EQ(0u, s.At(5, mid));
    ::DestroyWindow(owner);
}

namespace {

class ShadowWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_owner = CreateHiddenWindow(200, 120, WS_POPUP | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
        ::SetWindowPos(m_owner, nullptr, 100, 100, 200, 120, SWP_NOZORDER | SWP_NOACTIVATE);
        ::ShowWindow(m_owner, SW_SHOWNORMAL);
        m_pm.Init(m_owner);
        m_shadow = m_pm.GetShadow();
        m_shadow->ShowShadow(true);
        m_shadow->SetSize(5);
        m_shadow->SetColor(0xCCCCCC);
    }
    void TearDown() override
    {
        if (::IsWindow(m_owner)) ::DestroyWindow(m_owner);
    }
    static void Pump() { test_support::Pump(); }
    RECT ShadowRect() const
    {
        RECT rc = {0, 0, 0, 0};
        ::GetWindowRect(m_shadow->GetHWND(), &rc);
        return rc;
    }

    HWND m_owner = nullptr;
    CPaintManagerUI m_pm;
    CShadowUI* m_shadow = nullptr;
};

} // namespace

TEST_F(ShadowWindow, NothingIsCreatedUnlessShown)
{
    CShadowUI other;
    other.Create(&m_pm);
    EXPECT_EQ(nullptr, other.GetHWND());
}

TEST_F(ShadowWindow, CompanionIsALayeredClickThroughWindowAroundTheOwner)
{
    m_shadow->Create(&m_pm);
    HWND hShadow = m_shadow->GetHWND();
    ASSERT_NE(nullptr, hShadow);
    const LONG_PTR ex = ::GetWindowLongPtrW(hShadow, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TRANSPARENT);
    EXPECT_EQ(m_owner, ::GetWindow(hShadow, GW_OWNER));
    EXPECT_TRUE(::IsWindowVisible(hShadow));
    EXPECT_EQ(CShadowUI::SS_ENABLED | CShadowUI::SS_VISABLE | CShadowUI::SS_PARENTVISIBLE, m_shadow->GetStatus());
    RECT owner;
    ::GetWindowRect(m_owner, &owner);
    const RECT rc = ShadowRect();
    EXPECT_EQ(owner.left - 5, rc.left);
    EXPECT_EQ(owner.top - 5, rc.top);
    EXPECT_EQ(owner.right + 5, rc.right);
    EXPECT_EQ(owner.bottom + 5, rc.bottom);
    EXPECT_NE(hShadow, ::GetActiveWindow());
    EXPECT_NE(hShadow, ::GetForegroundWindow());
    wchar_t name[64] = {};
    ::GetClassNameW(hShadow, name, 64);
    EXPECT_STREQ(L"ZenthoShadowWnd", name);
}

TEST_F(ShadowWindow, ShadowIsNotHitByTheMouse)
{
    m_shadow->Create(&m_pm);
    RECT owner;
    ::GetWindowRect(m_owner, &owner);
    const POINT margin = {owner.left - 2, (owner.top + owner.bottom) / 2};
    EXPECT_NE(m_shadow->GetHWND(), ::WindowFromPoint(margin));
    EXPECT_NE(m_shadow->GetHWND(), ::WindowFromPoint(POINT{owner.left + 10, owner.top + 10}));
}

TEST_F(ShadowWindow, OffsetMovesTheShadow)
{
    m_shadow->SetPosition(3, 4);
    m_shadow->Create(&m_pm);
    RECT owner;
    ::GetWindowRect(m_owner, &owner);
    const RECT rc = ShadowRect();
    EXPECT_EQ(owner.left + 3 - 5, rc.left);
    EXPECT_EQ(owner.top + 4 - 5, rc.top);
}

TEST_F(ShadowWindow, SizeZeroDrawsNoShadow)
{
    m_shadow->SetSize(0);
    m_shadow->Create(&m_pm);
    ASSERT_NE(nullptr, m_shadow->GetHWND());
    const RECT rc = ShadowRect();
    EXPECT_EQ(0, rc.right - rc.left);
    EXPECT_EQ(0, rc.bottom - rc.top);
}

TEST_F(ShadowWindow, SettingsApplyAtOnceWhileVisible)
{
    m_shadow->Create(&m_pm);
    ASSERT_TRUE(m_shadow->SetSize(10));
    RECT owner;
    ::GetWindowRect(m_owner, &owner);
    EXPECT_EQ(owner.right - owner.left + 20, ShadowRect().right - ShadowRect().left);
}

TEST_F(ShadowWindow, FollowsTheOwnerWhenMoved)
{
    m_shadow->Create(&m_pm);
    ::SetWindowPos(m_owner, nullptr, 150, 160, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    RECT owner;
    ::GetWindowRect(m_owner, &owner);
    EXPECT_EQ(owner.left - 5, ShadowRect().left);
    EXPECT_EQ(owner.top - 5, ShadowRect().top);
}

TEST_F(ShadowWindow, HiddenWhileTheOwnerIsMaximisedOrMinimised)
{
    m_shadow->Create(&m_pm);
    HWND hShadow = m_shadow->GetHWND();
    ::ShowWindow(m_owner, SW_MAXIMIZE);
    Pump();
    EXPECT_FALSE(::IsWindowVisible(hShadow));
    ::ShowWindow(m_owner, SW_RESTORE);
    Pump();
    EXPECT_TRUE(::IsWindowVisible(hShadow));
    ::ShowWindow(m_owner, SW_MINIMIZE);
    Pump();
    EXPECT_FALSE(::IsWindowVisible(hShadow));
    ::ShowWindow(m_owner, SW_RESTORE);
    Pump();
    EXPECT_TRUE(::IsWindowVisible(hShadow));
}

TEST_F(ShadowWindow, HidesAndShowsWithTheOwner)
{
    m_shadow->Create(&m_pm);
    HWND hShadow = m_shadow->GetHWND();
    ::ShowWindow(m_owner, SW_HIDE);
    EXPECT_FALSE(::IsWindowVisible(hShadow));
    EXPECT_EQ(CShadowUI::SS_ENABLED, m_shadow->GetStatus());
    ::ShowWindow(m_owner, SW_SHOWNA);
    Pump();
    EXPECT_TRUE(::IsWindowVisible(hShadow));
}

TEST_F(ShadowWindow, OwnerHiddenAtCreationShowsTheShadowLater)
{
    ::ShowWindow(m_owner, SW_HIDE);
    m_shadow->Create(&m_pm);
    EXPECT_EQ(CShadowUI::SS_ENABLED, m_shadow->GetStatus());
    EXPECT_FALSE(::IsWindowVisible(m_shadow->GetHWND()));
    ::ShowWindow(m_owner, SW_SHOWNA);
    ::UpdateWindow(m_owner);
    Pump();
    EXPECT_TRUE(::IsWindowVisible(m_shadow->GetHWND()));
    RECT owner;
    ::GetWindowRect(m_owner, &owner);
    EXPECT_EQ(owner.left - 5, ShadowRect().left);
}

TEST_F(ShadowWindow, DisabledShadowIgnoresTheOwner)
{
    m_shadow->Create(&m_pm);
    m_shadow->DisableShadow(true);
    ::ShowWindow(m_owner, SW_MAXIMIZE);
    Pump();
    EXPECT_TRUE(::IsWindowVisible(m_shadow->GetHWND()));
}

TEST_F(ShadowWindow, DestroyedWithTheOwner)
{
    m_shadow->Create(&m_pm);
    HWND hShadow = m_shadow->GetHWND();
    ::DestroyWindow(m_owner);
    EXPECT_FALSE(::IsWindow(hShadow));
}

TEST_F(ShadowWindow, ImageModeCoversTheOwnerGrownBySize)
{
    ScratchFolder folder;
    folder.Write(L"shadow.png", SolidPng(20, 20, 0x40000000));
    CPaintManagerUI::SetResourcePath(folder.Path().c_str());
    m_shadow->SetImage(L"shadow.png");
    m_shadow->SetShadowCorner(RECT{6, 6, 6, 6});
    m_shadow->SetSize(6);
    m_shadow->Create(&m_pm);
    RECT owner;
    ::GetWindowRect(m_owner, &owner);
    EXPECT_EQ(owner.left - 6, ShadowRect().left);
    EXPECT_EQ(owner.right + 6, ShadowRect().right);
    CPaintManagerUI::SetResourcePath(L"");
}
