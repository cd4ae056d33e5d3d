// Colour fills, gradients, lines, frames and clip regions, read back from a 32-bit canvas.
#include "render_test_support.h"

#include <set>

#include <objidl.h>
#include <gdiplus.h>

using namespace RenderTest;

namespace {

class GdiplusSession : public ::testing::Environment {
public:
    void SetUp() override
    {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};

const ::testing::Environment* const g_gdiplus = ::testing::AddGlobalTestEnvironment(new GdiplusSession);

void ExpectNear(DWORD actual, int r, int g, int b, int tolerance)
{
    EXPECT_NEAR(Channel(actual, 16), r, tolerance) << std::hex << actual;
    EXPECT_NEAR(Channel(actual, 8), g, tolerance) << std::hex << actual;
    EXPECT_NEAR(Channel(actual, 0), b, tolerance) << std::hex << actual;
}

class SoftwareBlendScope {
public:
    SoftwareBlendScope() { CRenderEngine::ForceSoftwareBlend(true); }
    ~SoftwareBlendScope() { CRenderEngine::ForceSoftwareBlend(false); }
};

} // namespace

TEST(RenderColorFill, ColourWithoutAlphaDrawsNothing)
{
    Canvas canvas(20, 20, 0xFF000000);
    CRenderEngine::DrawColor(canvas.DC(), RECT{0, 0, 20, 20}, 0x00FFFFFF);
    EXPECT_EQ(0, canvas.CountNot(0x000000));
}

TEST(RenderColorFill, OpaqueColourFillsExactlyTheRectangle)
{
    Canvas canvas(20, 20, 0xFFFFFFFF);
    CRenderEngine::DrawColor(canvas.DC(), RECT{5, 6, 15, 16}, 0xFF00FF00);
    EXPECT_EQ(0x00FF00u, canvas.Rgb(5, 6));
    EXPECT_EQ(0x00FF00u, canvas.Rgb(14, 15));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(4, 6));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(15, 15));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(5, 16));
    EXPECT_EQ(100, canvas.CountNot(0xFFFFFF) );
}

TEST(RenderColorFill, OpaqueFillIsOpaqueAndFollowsTheDeviceOrigin)
{
    Canvas canvas(20, 20, 0x00000000);
    POINT old;
    ::SetViewportOrgEx(canvas.DC(), 10, 10, &old);
    CRenderEngine::DrawColor(canvas.DC(), RECT{0, 0, 5, 5}, 0xFF123456);
    ::SetViewportOrgEx(canvas.DC(), old.x, old.y, nullptr);
    EXPECT_EQ(0xFF123456u, canvas.At(10, 10));
    EXPECT_EQ(0xFF123456u, canvas.At(14, 14));
    EXPECT_EQ(0u, canvas.At(9, 10));
    EXPECT_EQ(25, canvas.CountNot(0x000000));
}

TEST(RenderColorFill, OpaqueFillOnBottomUpAndDeviceBitmaps)
{
    HDC hDC = ::CreateCompatibleDC(nullptr);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = 8;
    bmi.bmiHeader.biHeight = 8;  // bottom-up
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* pvBits = nullptr;
    HBITMAP hDib = ::CreateDIBSection(hDC, &bmi, DIB_RGB_COLORS, &pvBits, nullptr, 0);
    HGDIOBJ hOld = ::SelectObject(hDC, hDib);
    CRenderEngine::DrawColor(hDC, RECT{0, 0, 8, 2}, 0xFF00FF00);
    ::GdiFlush();
    const DWORD* pBits = static_cast<const DWORD*>(pvBits);
    EXPECT_EQ(0xFF00FF00u, pBits[7 * 8]);  // top row is the last in memory
    EXPECT_EQ(0u, pBits[0]);
    ::SelectObject(hDC, hOld);

    HDC hScreen = ::GetDC(nullptr);
    HBITMAP hDdb = ::CreateCompatibleBitmap(hScreen, 8, 8);
    ::ReleaseDC(nullptr, hScreen);
    hOld = ::SelectObject(hDC, hDdb);
    ::PatBlt(hDC, 0, 0, 8, 8, WHITENESS);
    CRenderEngine::DrawColor(hDC, RECT{2, 2, 4, 4}, 0xFFFF0000);
    EXPECT_EQ(RGB(255, 0, 0), ::GetPixel(hDC, 2, 2));
    EXPECT_EQ(RGB(255, 255, 255), ::GetPixel(hDC, 4, 4));
    ::SelectObject(hDC, hOld);
    ::DeleteObject(hDdb);
    ::DeleteObject(hDib);
    ::DeleteDC(hDC);
}

TEST(RenderColorFill, HalfTransparentRedBlendsOverWhite)
{
    Canvas canvas(10, 10, 0xFFFFFFFF);
    CRenderEngine::DrawColor(canvas.DC(), RECT{0, 0, 10, 10}, 0x80FF0000);
    ExpectNear(canvas.At(5, 5), 255, 127, 127, 2);
}

TEST(RenderGradient, BothColoursTransparentDrawsNothing)
{
    Canvas canvas(16, 16, 0xFFFFFFFF);
    CRenderEngine::DrawGradient(canvas.DC(), RECT{0, 0, 16, 16}, 0x00FF0000, 0x000000FF, true, 64);
    EXPECT_EQ(0, canvas.CountNot(0xFFFFFF));
}

TEST(RenderGradient, OpaqueVerticalRunsFromFirstAtTopToSecondAtBottom)
{
    Canvas canvas(8, 256, 0xFFFFFFFF);
    CRenderEngine::DrawGradient(canvas.DC(), RECT{0, 0, 8, 256}, 0xFFFF0000, 0xFF0000FF, true, 64);
    ExpectNear(canvas.At(4, 0), 255, 0, 0, 4);
    ExpectNear(canvas.At(4, 255), 0, 0, 255, 4);
    ExpectNear(canvas.At(4, 128), 127, 0, 128, 8);
    // Rows are uniform in a vertical gradient.
    EXPECT_EQ(canvas.Rgb(0, 100), canvas.Rgb(7, 100));
}

TEST(RenderGradient, OpaqueHorizontalRunsFromLeftToRight)
{
    Canvas canvas(256, 4, 0xFFFFFFFF);
    CRenderEngine::DrawGradient(canvas.DC(), RECT{0, 0, 256, 4}, 0xFF000000, 0xFFFFFFFF, false, 64);
    EXPECT_LT(Channel(canvas.At(0, 2), 8), 8);
    EXPECT_GT(Channel(canvas.At(255, 2), 8), 247);
    EXPECT_EQ(canvas.Rgb(100, 0), canvas.Rgb(100, 3));
}

TEST(RenderGradient, MeanAlphaOf255And0BlendsAt127)
{
    Canvas canvas(8, 64, 0xFFFFFFFF);
    // Red fully opaque, blue fully transparent: the whole gradient is laid at alpha 127.
    CRenderEngine::DrawGradient(canvas.DC(), RECT{0, 0, 8, 64}, 0xFFFF0000, 0x000000FF, true, 64);
    // Top: red at 127/255 over white.
    ExpectNear(canvas.At(4, 0), 255, 128, 128, 4);
    // Bottom: blue at 127/255 over white.
    ExpectNear(canvas.At(4, 63), 128, 128, 255, 4);
}

TEST(RenderGradient, WithoutGradientFillTwoStepsGiveTwoBands)
{
    SoftwareBlendScope software;
    Canvas canvas(4, 40, 0xFFFFFFFF);
    CRenderEngine::DrawGradient(canvas.DC(), RECT{0, 0, 4, 40}, 0xFF000000, 0xFFC8C8C8, true, 2);
    // Band 0 (bottom half) is the second colour, band 1 (top half) the mean of both.
    EXPECT_EQ(0xC8C8C8u, canvas.Rgb(1, 39));
    EXPECT_EQ(0xC8C8C8u, canvas.Rgb(1, 20));
    EXPECT_EQ(0x646464u, canvas.Rgb(1, 19));
    EXPECT_EQ(0x646464u, canvas.Rgb(1, 0));
}

TEST(RenderGradient, WithoutGradientFillStepCountChoosesBandCount)
{
    SoftwareBlendScope software;
    struct Case {
        int steps;
        size_t bands;
    } cases[] = {{64, 64}, {100, 64}, {40, 32}, {16, 16}, {9, 8}, {4, 4}, {3, 2}};
    for (const Case& c : cases) {
        Canvas canvas(2, 128, 0xFFFFFFFF);
        CRenderEngine::DrawGradient(canvas.DC(), RECT{0, 0, 2, 128}, 0xFFFF0000, 0xFF0000FF, true, c.steps);
        std::set<DWORD> colours;
        for (int y = 0; y < 128; ++y) colours.insert(canvas.Rgb(0, y));
        EXPECT_EQ(c.bands, colours.size()) << "steps " << c.steps;
        EXPECT_EQ(0x0000FFu, canvas.Rgb(0, 127)) << "steps " << c.steps;
    }
}

TEST(RenderGradient, WithoutAlphaBlendTranslucentGradientMatchesBlendedResult)
{
    Canvas hardware(8, 32, 0xFFFFFFFF);
    CRenderEngine::DrawGradient(hardware.DC(), RECT{0, 0, 8, 32}, 0x80FF0000, 0x80FF0000, true, 64);
    SoftwareBlendScope software;
    Canvas soft(8, 32, 0xFFFFFFFF);
    CRenderEngine::DrawGradient(soft.DC(), RECT{0, 0, 8, 32}, 0x80FF0000, 0x80FF0000, true, 64);
    ExpectNear(soft.At(3, 16), Channel(hardware.At(3, 16), 16), Channel(hardware.At(3, 16), 8),
               Channel(hardware.At(3, 16), 0), 2);
    ExpectNear(soft.At(3, 16), 255, 127, 127, 2);
}

TEST(RenderLines, LineIgnoresAlphaAndRunsBetweenCorners)
{
    Canvas canvas(20, 10, 0xFFFFFFFF);
    CRenderEngine::DrawLine(canvas.DC(), RECT{2, 5, 18, 5}, 1, 0x00FF0000);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(2, 5));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(17, 5));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(10, 4));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(10, 6));
}

TEST(RenderLines, RectangleFrameIsInsetAndHonoursAlpha)
{
    Canvas canvas(20, 20, 0xFFFFFFFF);
    CRenderEngine::DrawRect(canvas.DC(), RECT{2, 2, 12, 12}, 1, 0xFF0000FF);
    EXPECT_EQ(0x0000FFu, canvas.Rgb(2, 2));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(11, 11));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(7, 2));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(7, 7));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(12, 7));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(7, 12));

    Canvas clear(20, 20, 0xFFFFFFFF);
    CRenderEngine::DrawRect(clear.DC(), RECT{2, 2, 12, 12}, 1, 0x000000FF);
    EXPECT_EQ(0, clear.CountNot(0xFFFFFF));
}

TEST(RenderLines, RoundRectangleLeavesInteriorAndCornersUntouched)
{
    Canvas canvas(40, 40, 0xFFFFFFFF);
    CRenderEngine::DrawRoundRect(canvas.DC(), RECT{0, 0, 40, 40}, 1, 16, 16, 0x00000000);
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(20, 20));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(0, 0));
    EXPECT_EQ(0x000000u, canvas.Rgb(20, 0));
    EXPECT_EQ(0x000000u, canvas.Rgb(0, 20));
}

TEST(RenderClip, GeneratedClipLimitsDrawingUntilDestroyed)
{
    Canvas canvas(20, 20, 0xFFFFFFFF);
    {
        CRenderClip clip;
        CRenderClip::GenerateClip(canvas.DC(), RECT{5, 5, 10, 10}, clip);
        CRenderEngine::DrawColor(canvas.DC(), RECT{0, 0, 20, 20}, 0xFF000000);
        EXPECT_EQ(25, canvas.CountNot(0xFFFFFF));
        EXPECT_EQ(0u, canvas.Rgb(5, 5));
        EXPECT_EQ(0xFFFFFFu, canvas.Rgb(10, 10));
    }
    CRenderEngine::DrawColor(canvas.DC(), RECT{0, 0, 20, 20}, 0xFF000000);
    EXPECT_EQ(0, canvas.CountNot(0x000000));
}

TEST(RenderClip, OldClipCanBeUsedTemporarily)
{
    Canvas canvas(20, 20, 0xFFFFFFFF);
    CRenderClip clip;
    CRenderClip::GenerateClip(canvas.DC(), RECT{0, 0, 5, 5}, clip);
    CRenderClip::UseOldClipBegin(canvas.DC(), clip);
    CRenderEngine::DrawColor(canvas.DC(), RECT{15, 15, 20, 20}, 0xFF000000);
    CRenderClip::UseOldClipEnd(canvas.DC(), clip);
    CRenderEngine::DrawColor(canvas.DC(), RECT{10, 0, 15, 5}, 0xFF000000);
    EXPECT_EQ(0u, canvas.Rgb(17, 17));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(12, 2));
}

TEST(RenderClip, NestedClipStaysInsideTheOuterOne)
{
    Canvas canvas(20, 20, 0xFFFFFFFF);
    CRenderClip outer;
    CRenderClip::GenerateClip(canvas.DC(), RECT{0, 0, 10, 10}, outer);
    {
        CRenderClip inner;
        CRenderClip::GenerateClip(canvas.DC(), RECT{5, 5, 20, 20}, inner);
        CRenderEngine::DrawColor(canvas.DC(), RECT{0, 0, 20, 20}, 0xFF000000);
    }
    EXPECT_EQ(25, canvas.CountNot(0xFFFFFF));
}

TEST(RenderClip, RoundClipCutsTheCorners)
{
    Canvas canvas(40, 40, 0xFFFFFFFF);
    CRenderClip clip;
    CRenderClip::GenerateRoundClip(canvas.DC(), RECT{0, 0, 40, 40}, RECT{0, 0, 39, 39}, 20, 20, clip);
    CRenderEngine::DrawColor(canvas.DC(), RECT{0, 0, 40, 40}, 0xFF000000);
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(0, 0));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(39, 39));
    EXPECT_EQ(0u, canvas.Rgb(20, 20));
    EXPECT_EQ(0u, canvas.Rgb(20, 0));
}
