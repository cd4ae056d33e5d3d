// Plain text through GDI and GDI+, measuring, and the icon-font character form.
#include "render_test_support.h"

using namespace RenderTest;

namespace {

class RenderText : public ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        m_pm.AddFont(1, L"Arial", 16, false, false, false);
        m_hFont = m_pm.GetFont(1);
        ASSERT_NE(nullptr, m_hFont);
    }

    // What the platform draws for the same text, font and colour.
    void Reference(Canvas& canvas, LPCWSTR text, int length, RECT rc, UINT style, COLORREF colour = RGB(0, 0, 0))
    {
        HGDIOBJ old = ::SelectObject(canvas.DC(), m_hFont);
        ::SetBkMode(canvas.DC(), TRANSPARENT);
        ::SetTextColor(canvas.DC(), colour);
        ::DrawTextW(canvas.DC(), text, length, &rc, style);
        ::SelectObject(canvas.DC(), old);
    }

    static bool SamePixels(const Canvas& a, const Canvas& b)
    {
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.Rgb(x, y) != b.Rgb(x, y)) return false;
        return true;
    }

    HFONT m_hFont = nullptr;
};

} // namespace

TEST_F(RenderText, CharacterReferenceDrawsOneCharacter)
{
    Canvas drawn(60, 30), expected(60, 30);
    RECT rc = {0, 0, 60, 30};
    CRenderEngine::DrawText(drawn.DC(), &m_pm, rc, L"&#x0041;", 0xFF000000, 1, DT_SINGLELINE);
    Reference(expected, L"A", 1, RECT{0, 0, 60, 30}, DT_SINGLELINE);
    EXPECT_GT(drawn.CountNot(0xFFFFFF), 0);
    EXPECT_TRUE(SamePixels(drawn, expected));
}

TEST_F(RenderText, CharacterReferenceOfAnIconCodePoint)
{
    Canvas drawn(60, 30), expected(60, 30), literal(60, 30);
    RECT rc = {0, 0, 60, 30};
    CRenderEngine::DrawText(drawn.DC(), &m_pm, rc, L"&#xe6a1;", 0xFF000000, 1, DT_SINGLELINE);
    const wchar_t icon = 0xE6A1;
    Reference(expected, &icon, 1, RECT{0, 0, 60, 30}, DT_SINGLELINE);
    Reference(literal, L"&#xe6a1;", -1, RECT{0, 0, 60, 30}, DT_SINGLELINE);
    EXPECT_TRUE(SamePixels(drawn, expected));
    EXPECT_FALSE(SamePixels(drawn, literal));
}

TEST_F(RenderText, CharacterReferenceIgnoresTrailingBlankAndSemicolon)
{
    Canvas drawn(60, 30), expected(60, 30);
    RECT rc = {0, 0, 60, 30};
    CRenderEngine::DrawText(drawn.DC(), &m_pm, rc, L"&#x42 ;", 0xFF000000, 1, DT_SINGLELINE);
    Reference(expected, L"B", 1, RECT{0, 0, 60, 30}, DT_SINGLELINE);
    EXPECT_TRUE(SamePixels(drawn, expected));
}

TEST_F(RenderText, GdiTextMatchesPlatformDrawingWithTheManagersFont)
{
    Canvas drawn(200, 40), expected(200, 40);
    RECT rc = {5, 5, 195, 35};
    CRenderEngine::DrawText(drawn.DC(), &m_pm, rc, L"Hello, world", 0xFF000000, 1, DT_SINGLELINE | DT_VCENTER);
    Reference(expected, L"Hello, world", -1, RECT{5, 5, 195, 35}, DT_SINGLELINE | DT_VCENTER);
    EXPECT_GT(drawn.CountNot(0xFFFFFF), 20);
    EXPECT_TRUE(SamePixels(drawn, expected));
}

TEST_F(RenderText, TextColourWithoutAlphaIsFullyVisible)
{
    Canvas canvas(100, 30);
    RECT rc = {0, 0, 100, 30};
    CRenderEngine::DrawText(canvas.DC(), &m_pm, rc, L"WWW", 0x00FF0000, 1, DT_SINGLELINE);
    bool red = false;
    for (int y = 0; y < 30 && !red; ++y)
        for (int x = 0; x < 100 && !red; ++x)
            red = Channel(canvas.At(x, y), 16) > 200 && Channel(canvas.At(x, y), 8) < 60;
    EXPECT_TRUE(red);
}

TEST_F(RenderText, MeasuringDrawsNothingAndReturnsTheExtent)
{
    Canvas canvas(200, 40);
    RECT rc = {10, 10, 190, 40};
    CRenderEngine::DrawText(canvas.DC(), &m_pm, rc, L"Measure me", 0xFF000000, 1, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(0, canvas.CountNot(0xFFFFFF));
    SIZE size = CRenderEngine::GetTextSize(canvas.DC(), &m_pm, L"Measure me", 1, 0);
    EXPECT_EQ(10, rc.left);
    EXPECT_EQ(10 + size.cx, rc.right);
    EXPECT_EQ(10 + size.cy, rc.bottom);
}

TEST_F(RenderText, TextSizeUsesTheFontOfTheId)
{
    Canvas canvas(10, 10);
    m_pm.AddFont(2, L"Arial", 32, false, false, false);
    SIZE small = CRenderEngine::GetTextSize(canvas.DC(), &m_pm, L"Sizing", 1, 0);
    SIZE large = CRenderEngine::GetTextSize(canvas.DC(), &m_pm, L"Sizing", 2, 0);
    EXPECT_GT(small.cx, 0);
    EXPECT_GT(large.cx, small.cx * 3 / 2);
    EXPECT_GT(large.cy, small.cy * 3 / 2);
    SIZE none = CRenderEngine::GetTextSize(canvas.DC(), &m_pm, L"", 1, 0);
    EXPECT_EQ(0, none.cx);
    EXPECT_EQ(0, none.cy);
    none = CRenderEngine::GetTextSize(canvas.DC(), nullptr, L"x", 1, 0);
    EXPECT_EQ(0, none.cx);
}

TEST_F(RenderText, NothingIsDrawnWithoutTextOrManager)
{
    Canvas canvas(100, 30);
    RECT rc = {0, 0, 100, 30};
    CRenderEngine::DrawText(canvas.DC(), nullptr, rc, L"abc", 0xFF000000, 1, 0);
    CRenderEngine::DrawText(canvas.DC(), &m_pm, rc, L"", 0xFF000000, 1, 0, 0xFF0000FF);
    CRenderEngine::DrawText(canvas.DC(), &m_pm, rc, nullptr, 0xFF000000, 1, 0);
    EXPECT_EQ(0, canvas.CountNot(0xFFFFFF));
}

TEST_F(RenderText, BackgroundColourFillsTheRectangleFirst)
{
    Canvas canvas(100, 30);
    RECT rc = {10, 5, 90, 25};
    CRenderEngine::DrawText(canvas.DC(), &m_pm, rc, L"i", 0xFF000000, 1, DT_SINGLELINE | DT_RIGHT, 0xFF00FF00);
    EXPECT_EQ(0x00FF00u, canvas.Rgb(11, 6));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(9, 6));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(50, 26));
}

TEST_F(RenderText, GdiplusTextDrawsInTheTextColour)
{
    m_pm.SetUseGdiplusText(true);
    Canvas canvas(120, 40);
    RECT rc = {0, 0, 120, 40};
    CRenderEngine::DrawText(canvas.DC(), &m_pm, rc, L"WWW", 0x000000FF, 1, DT_SINGLELINE);
    bool blue = false;
    for (int y = 0; y < 40 && !blue; ++y)
        for (int x = 0; x < 120 && !blue; ++x)
            blue = Channel(canvas.At(x, y), 0) > 180 && Channel(canvas.At(x, y), 16) < 80;
    EXPECT_TRUE(blue);
}

TEST_F(RenderText, GdiplusAlignmentPlacesTheText)
{
    m_pm.SetUseGdiplusText(true);
    Canvas left(200, 40), right(200, 40);
    RECT rc = {0, 0, 200, 40};
    CRenderEngine::DrawText(left.DC(), &m_pm, rc, L"ab", 0xFF000000, 1, DT_SINGLELINE);
    rc = RECT{0, 0, 200, 40};
    CRenderEngine::DrawText(right.DC(), &m_pm, rc, L"ab", 0xFF000000, 1, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    RECT inkLeft = left.InkBox(0xFFFFFF);
    RECT inkRight = right.InkBox(0xFFFFFF);
    EXPECT_LT(inkLeft.right, 60);
    EXPECT_GT(inkRight.left, 140);
    EXPECT_GT(inkRight.top, inkLeft.top);
}

TEST_F(RenderText, LayeredWindowsUseGdiplusText)
{
    // GDI+ text is anti-aliased against the destination, GDI text is not; with a layered
    // manager the same call must give the GDI+ result.
    Canvas gdi(120, 40), layered(120, 40), gdiplus(120, 40);
    RECT rc = {0, 0, 120, 40};
    CRenderEngine::DrawText(gdi.DC(), &m_pm, rc, L"Text", 0xFF000000, 1, DT_SINGLELINE);
    m_pm.SetUseGdiplusText(true);
    rc = RECT{0, 0, 120, 40};
    CRenderEngine::DrawText(gdiplus.DC(), &m_pm, rc, L"Text", 0xFF000000, 1, DT_SINGLELINE);
    m_pm.SetUseGdiplusText(false);
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    m_pm.SetLayered(true);
    if (!m_pm.IsLayered()) GTEST_SKIP() << "layered windows unavailable";
    rc = RECT{0, 0, 120, 40};
    CRenderEngine::DrawText(layered.DC(), &m_pm, rc, L"Text", 0xFF000000, 1, DT_SINGLELINE);
    EXPECT_TRUE(SamePixels(layered, gdiplus));
    EXPECT_FALSE(SamePixels(layered, gdi));
}
