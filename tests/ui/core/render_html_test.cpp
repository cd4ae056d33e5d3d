// The inline markup text: tags in both bracket forms, escapes, links, images, breaking and
// measuring, compared pixel for pixel with plain text drawn by the platform.
#include "render_test_support.h"

#include <algorithm>

using namespace RenderTest;

namespace {

const DWORD kBlack = 0xFF000000;

class RenderHtml : public ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        ASSERT_NE(nullptr, m_pm.AddFont(1, L"Arial", 16, false, false, false));
        ASSERT_NE(nullptr, m_pm.AddFont(2, L"Arial", 16, true, false, false));
        Canvas probe(1, 1);
        HGDIOBJ old = ::SelectObject(probe.DC(), m_pm.GetFont(1));
        ::GetTextMetricsW(probe.DC(), &m_tm);
        ::SelectObject(probe.DC(), old);
    }

    int Html(Canvas& canvas, LPCWSTR text, RECT rc, UINT style = DT_SINGLELINE, DWORD colour = kBlack)
    {
        m_count = 8;
        CRenderEngine::DrawHtmlText(canvas.DC(), &m_pm, rc, text, colour, m_links, m_texts, m_count, 1, style);
        return m_count;
    }
    RECT Measure(LPCWSTR text, RECT rc, UINT style)
    {
        Canvas canvas(1, 1);
        int none = 0;
        CRenderEngine::DrawHtmlText(canvas.DC(), &m_pm, rc, text, kBlack, nullptr, nullptr, none, 1, style | DT_CALCRECT);
        return rc;
    }
    void Plain(Canvas& canvas, LPCWSTR text, RECT rc, int font = 1)
    {
        CRenderEngine::DrawText(canvas.DC(), &m_pm, rc, text, kBlack, font, DT_SINGLELINE | DT_NOPREFIX);
    }
    int Width(LPCWSTR text, int font = 1)
    {
        Canvas canvas(1, 1);
        return CRenderEngine::GetTextSize(canvas.DC(), &m_pm, text, font, 0).cx;
    }
    int LineHeight() const { return m_tm.tmHeight + m_tm.tmExternalLeading; }

    static bool Same(const Canvas& a, const Canvas& b)
    {
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.Rgb(x, y) != b.Rgb(x, y)) return false;
        return true;
    }
    static bool HasPixel(const Canvas& c, RECT area, bool (*pred)(DWORD))
    {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (pred(c.At(x, y))) return true;
        return false;
    }

    void WriteImage(const std::wstring& name, int w, int h, DWORD argb) { m_folder.Write(name, SolidPng(w, h, argb)); }

    TEXTMETRICW m_tm = {};
    RECT m_links[8] = {};
    CUIString m_texts[8];
    int m_count = 0;
};

bool IsRed(DWORD p) { return Channel(p, 16) > 180 && Channel(p, 8) < 90 && Channel(p, 0) < 90; }
bool IsBlue(DWORD p) { return Channel(p, 0) > 180 && Channel(p, 16) < 90 && Channel(p, 8) < 90; }
bool IsDark(DWORD p) { return Channel(p, 16) < 100 && Channel(p, 8) < 100 && Channel(p, 0) < 100; }
bool IsHoverColour(DWORD p) { return Channel(p, 16) > 150 && Channel(p, 8) < 90 && Channel(p, 0) > 40; }

} // namespace

// Markup that must draw exactly as the platform draws the plain text, in the font given.
TEST_F(RenderHtml, MarkupDrawsAsItsPlainText)
{
    const struct {
        const wchar_t* markup;
        const wchar_t* plain;
        int font;
    } rows[] = {
        {L"a<{>b", L"a{b", 1},  // escapes draw their bracket characters
        {L"x{<}y{>}z<}>", L"x<y>z}", 1},
        {L"1 < 2, <ab> and {Z}", L"1 < 2, <ab> and {Z}", 1},  // openers that are not tags are text
        {L"<b>Bold</b>", L"Bold", 2},  // bold in both bracket forms
        {L"{b}Bold{/b}", L"Bold", 2},
        {L"<f 2>Bold</f>", L"Bold", 2},  // a font by id, or by face with size and style
        {L"<f Arial 16 BOLD>Bold</f>", L"Bold", 2},
        {L"<r><b>x</b></r>", L"<b>x</b>", 1},  // raw text is not interpreted
        {L"a<i nothing.png>b", L"ab", 1},  // a missing image is skipped
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(row.markup)));
        Canvas html(300, 30), plain(300, 30);
        Html(html, row.markup, RECT{0, 0, 300, 30});
        Plain(plain, row.plain, RECT{0, 0, 300, 30}, row.font);
        EXPECT_GT(plain.CountNot(0xFFFFFF), 0);
        EXPECT_TRUE(Same(html, plain));
    }
    // The bold rows say something only while bold and regular differ.
    Canvas bold(300, 30), regular(300, 30);
    Plain(bold, L"Bold", RECT{0, 0, 300, 30}, 2);
    Plain(regular, L"Bold", RECT{0, 0, 300, 30}, 1);
    EXPECT_FALSE(Same(bold, regular));
}

TEST_F(RenderHtml, SelectedTextIsDrawnOnTheSelectionColour)
{
    Canvas canvas(200, 30);
    Html(canvas, L"<s>WW</s>WW", RECT{0, 0, 200, 30});
    const int split = Width(L"WW");
    auto isSelection = [](DWORD p) { return (p & 0xFFFFFF) == 0xBAE4FF; };
    int inside = 0, outside = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 200; ++x) (x < split ? inside : outside) += isSelection(canvas.At(x, y)) ? 1 : 0;
    EXPECT_GT(inside, split * 4);
    EXPECT_EQ(0, outside);
}

TEST_F(RenderHtml, ClosingTagRestoresTheFont)
{
    Canvas html(300, 30), plain(300, 30);
    Html(html, L"<b>x</b>Word", RECT{0, 0, 300, 30});
    const int x = Width(L"x", 2);
    Plain(plain, L"Word", RECT{x, 0, 300, 30}, 1);
    // Right of the bold "x" the regular font is back.
    for (int yy = 0; yy < 30; ++yy)
        for (int xx = x + 1; xx < 300; ++xx) ASSERT_EQ(plain.Rgb(xx, yy), html.Rgb(xx, yy)) << xx << "," << yy;
}

TEST_F(RenderHtml, MisnestedClosersGiveBackOnlyTheirOwnKind)
{
    // The colour closes inside the bold: the last "W" is bold in the default colour.
    Canvas html(300, 30), plain(300, 30);
    Html(html, L"<c #FF0000>W<b>W</c>W</b>W", RECT{0, 0, 300, 30});
    const int x = Width(L"W", 1) + Width(L"W", 2);
    EXPECT_TRUE(HasPixel(html, RECT{0, 0, x, 30}, IsRed));
    EXPECT_FALSE(HasPixel(html, RECT{x + 1, 0, 300, 30}, IsRed));
    Plain(plain, L"W", RECT{x, 0, 300, 30}, 2);
    Plain(plain, L"W", RECT{x + Width(L"W", 2), 0, 300, 30}, 1);
    for (int yy = 0; yy < 30; ++yy)
        for (int xx = x + 1; xx < 300; ++xx) ASSERT_EQ(plain.Rgb(xx, yy), html.Rgb(xx, yy)) << xx << "," << yy;
}

TEST_F(RenderHtml, ColourTagColoursItsTextAndItsCloserRestores)
{
    Canvas canvas(200, 30);
    Html(canvas, L"<c #FF0000>WW</c>WW", RECT{0, 0, 200, 30});
    const int split = Width(L"WW");
    EXPECT_TRUE(HasPixel(canvas, RECT{0, 0, split, 30}, IsRed));
    EXPECT_FALSE(HasPixel(canvas, RECT{split + 1, 0, 200, 30}, IsRed));
    EXPECT_TRUE(HasPixel(canvas, RECT{split + 1, 0, 200, 30}, IsDark));

    Canvas braces(200, 30);
    Html(braces, L"{c FF0000}WW{/c}WW", RECT{0, 0, 200, 30});
    EXPECT_TRUE(Same(canvas, braces));
}

TEST_F(RenderHtml, LinkIsRecordedWithItsTextAndRectangle)
{
    Canvas canvas(300, 30);
    int n = Html(canvas, L"go <a cmd1>here</a> now", RECT{0, 0, 300, 30});
    ASSERT_EQ(1, n);
    EXPECT_STREQ(L"cmd1", m_texts[0].GetData());
    EXPECT_EQ(Width(L"go "), m_links[0].left);
    EXPECT_NEAR(Width(L"go here"), m_links[0].right, 1);
    EXPECT_GE(m_links[0].top, 0);
    EXPECT_LE(m_links[0].bottom, 30);
    EXPECT_GT(m_links[0].bottom, m_links[0].top);

    const RECT angle = m_links[0];
    Canvas braces(300, 30);
    ASSERT_EQ(1, Html(braces, L"go {a cmd1}here{/a} now", RECT{0, 0, 300, 30}));
    EXPECT_STREQ(L"cmd1", m_texts[0].GetData());
    EXPECT_TRUE(::EqualRect(&angle, &m_links[0]));
    EXPECT_TRUE(Same(canvas, braces));
}

TEST_F(RenderHtml, LinkOverTwoLinesHasOneRectanglePerLine)
{
    Canvas canvas(300, 80);
    const int width = Width(L"one ") + 3;
    int n = Html(canvas, L"<a both>one two</a>", RECT{0, 0, width, 80}, DT_WORDBREAK);
    ASSERT_EQ(2, n);
    EXPECT_STREQ(L"both", m_texts[0].GetData());
    EXPECT_STREQ(L"both", m_texts[1].GetData());
    EXPECT_GE(m_links[1].top, m_links[0].bottom - 1);
    EXPECT_EQ(0, m_links[1].left);
}

TEST_F(RenderHtml, LinksBeyondCapacityAreNotRecorded)
{
    Canvas canvas(300, 30);
    RECT rc = {0, 0, 300, 30};
    RECT links[2];
    CUIString texts[2];
    int n = 2;
    CRenderEngine::DrawHtmlText(canvas.DC(), &m_pm, rc, L"<a 1>a</a> <a 2>b</a> <a 3>c</a>", kBlack, links, texts, n, 1,
                                DT_SINGLELINE);
    EXPECT_EQ(2, n);
    EXPECT_STREQ(L"2", texts[1].GetData());
}

TEST_F(RenderHtml, LinkWithoutTextColourUsesTheDefaultLinkColour)
{
    Canvas canvas(200, 30);
    Html(canvas, L"<a x>WWW</a>", RECT{0, 0, 200, 30}, DT_SINGLELINE, 0);
    EXPECT_TRUE(HasPixel(canvas, RECT{0, 0, 200, 30}, IsBlue));
}

TEST_F(RenderHtml, HoveredLinkTakesTheHoverColour)
{
    Canvas first(200, 30);
    ASSERT_EQ(1, Html(first, L"<a x>WWW</a>", RECT{0, 0, 200, 30}, DT_SINGLELINE, 0));
    LRESULT lres = 0;
    const POINT inside = {(m_links[0].left + m_links[0].right) / 2, (m_links[0].top + m_links[0].bottom) / 2};
    m_pm.MessageHandler(WM_MOUSEMOVE, 0, MAKELPARAM(inside.x, inside.y), lres);
    Canvas hovered(200, 30);
    Html(hovered, L"<a x>WWW</a>", RECT{0, 0, 200, 30}, DT_SINGLELINE, 0);
    EXPECT_TRUE(HasPixel(hovered, RECT{0, 0, 200, 30}, IsHoverColour));
    EXPECT_FALSE(HasPixel(hovered, RECT{0, 0, 200, 30}, IsBlue));
}

TEST_F(RenderHtml, MeasuringOneLineReturnsItsWidth)
{
    RECT rc = Measure(L"Hello world", RECT{0, 0, 9999, 100}, DT_SINGLELINE);
    EXPECT_EQ(Width(L"Hello world"), rc.right);
    EXPECT_EQ(LineHeight(), rc.bottom);
    rc = Measure(L"Hello <b>world</b>", RECT{0, 0, 9999, 100}, DT_SINGLELINE);
    EXPECT_EQ(Width(L"Hello ") + Width(L"world", 2), rc.right);
}

TEST_F(RenderHtml, MeasuringDrawsNothing)
{
    Canvas canvas(200, 30);
    RECT rc = {0, 0, 200, 30};
    int n = 4;
    CRenderEngine::DrawHtmlText(canvas.DC(), &m_pm, rc, L"<b>abc</b>", kBlack, m_links, m_texts, n, 1,
                                DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(0, canvas.CountNot(0xFFFFFF));
}

TEST_F(RenderHtml, SingleLineEllipsisStaysInsideTheRectangle)
{
    const wchar_t* text = L"This text is far too long to fit";
    Canvas ellipsis(200, 30), cut(200, 30);
    Html(ellipsis, text, RECT{0, 0, 80, 30}, DT_SINGLELINE | DT_END_ELLIPSIS);
    Html(cut, text, RECT{0, 0, 80, 30}, DT_SINGLELINE);
    RECT ink = ellipsis.InkBox(0xFFFFFF);
    EXPECT_LE(ink.right, 80);
    EXPECT_GT(ink.right, 60);
    EXPECT_FALSE(Same(ellipsis, cut));
    RECT measured = Measure(text, RECT{0, 0, 80, 30}, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_LE(measured.right, 80);
    EXPECT_GT(measured.right, 60);
    // The line ends in the dots: the start of the text drawn by hand followed by "..." is the same.
    CUIString start(text);
    int keep = 0;
    while (keep < start.GetLength() && Width((start.Left(keep + 1) + L"...").GetData()) <= 80) ++keep;
    Canvas expected(200, 30);
    Plain(expected, (start.Left(keep) + L"...").GetData(), RECT{0, 0, 200, 30});
    EXPECT_TRUE(Same(ellipsis, expected));
}

TEST_F(RenderHtml, WordBreakCutsAfterTheLastBlank)
{
    const int width = Width(L"aaaa bb") + 1;
    RECT words = Measure(L"aaaa bbbb", RECT{0, 0, width, 200}, DT_WORDBREAK);
    EXPECT_EQ(2 * LineHeight(), words.bottom);
    EXPECT_EQ(Width(L"aaaa "), words.right);
    RECT chars = Measure(L"aaaa bbbb", RECT{0, 0, width, 200}, 0);
    EXPECT_EQ(2 * LineHeight(), chars.bottom);
    EXPECT_EQ(Width(L"aaaa bb"), chars.right);
}

TEST_F(RenderHtml, LayoutStopsBelowTheRectangle)
{
    RECT rc = Measure(L"one<n>two<n>three<n>four", RECT{0, 0, 500, LineHeight() * 2}, 0);
    EXPECT_EQ(2 * LineHeight(), rc.bottom);
}

TEST_F(RenderHtml, SingleLineIgnoresBreakTagsAndStopsAtLineFeed)
{
    RECT rc = Measure(L"one<n>two", RECT{0, 0, 9999, 100}, DT_SINGLELINE);
    EXPECT_EQ(LineHeight(), rc.bottom);
    EXPECT_EQ(Width(L"onetwo"), rc.right);
    rc = Measure(L"one\ntwo", RECT{0, 0, 9999, 100}, DT_SINGLELINE);
    EXPECT_EQ(Width(L"one"), rc.right);
    EXPECT_EQ(LineHeight(), rc.bottom);
    rc = Measure(L"one<n>two", RECT{0, 0, 9999, 100}, 0);
    EXPECT_EQ(2 * LineHeight(), rc.bottom);
    EXPECT_EQ(std::max(Width(L"one"), Width(L"two")), rc.right);
}

TEST_F(RenderHtml, CentredSingleLineIsShiftedToTheMiddle)
{
    Canvas canvas(300, 30);
    Html(canvas, L"<b>Middle</b>", RECT{0, 0, 300, 30}, DT_SINGLELINE | DT_CENTER);
    RECT ink = canvas.InkBox(0xFFFFFF);
    EXPECT_NEAR(ink.left, 300 - ink.right, 4);

    Canvas right(300, 30);
    Html(right, L"Right", RECT{0, 0, 300, 30}, DT_SINGLELINE | DT_RIGHT);
    EXPECT_GT(right.InkBox(0xFFFFFF).left, 240);
}

TEST_F(RenderHtml, VerticalCentringUsesTheMeasuredHeight)
{
    Canvas canvas(300, 100);
    Html(canvas, L"Mid", RECT{0, 0, 300, 100}, DT_SINGLELINE | DT_VCENTER);
    RECT ink = canvas.InkBox(0xFFFFFF);
    EXPECT_GT(ink.top, 30);
    EXPECT_LT(ink.bottom, 70);
}

TEST_F(RenderHtml, PenMoveShiftsTheFollowingText)
{
    Canvas moved(200, 30), plain(200, 30);
    Html(moved, L"<x 20>A", RECT{0, 0, 200, 30});
    Html(plain, L"A", RECT{0, 0, 200, 30});
    EXPECT_EQ(plain.InkBox(0xFFFFFF).left + 20, moved.InkBox(0xFFFFFF).left);
}

TEST_F(RenderHtml, ParagraphSpacingAndLineHeightTags)
{
    RECT para = Measure(L"<p 10>para</p>", RECT{0, 0, 9999, 200}, 0);
    EXPECT_EQ(LineHeight() + 10, para.bottom);
    RECT tall = Measure(L"<y 40>line", RECT{0, 0, 9999, 200}, 0);
    EXPECT_EQ(40, tall.bottom);
}

TEST_F(RenderHtml, InlineImageIsDrawnAtThePen)
{
    WriteImage(L"dot.png", 10, 10, 0xFFFF0000);
    Canvas canvas(200, 30);
    Html(canvas, L"<x 5><i dot.png>", RECT{0, 0, 200, 30});
    RECT ink = canvas.InkBox(0xFFFFFF);
    EXPECT_EQ(5, ink.left);
    EXPECT_EQ(15, ink.right);
    EXPECT_EQ(10, ink.bottom - ink.top);
    EXPECT_TRUE(IsRed(canvas.At(10, ink.top + 5)));
}

TEST_F(RenderHtml, ImageStripDrawsTheChosenFrame)
{
    std::vector<DWORD> strip(20 * 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) strip[static_cast<size_t>(y * 20 + x)] = x < 10 ? 0xFFFF0000 : 0xFF0000FF;
    m_folder.Write(L"strip.png", MakePng(20, 10, strip));
    Canvas canvas(200, 30);
    Html(canvas, L"<i strip.png 2 1>", RECT{0, 0, 200, 30});
    RECT ink = canvas.InkBox(0xFFFFFF);
    EXPECT_EQ(0, ink.left);
    EXPECT_EQ(10, ink.right);
    EXPECT_TRUE(IsBlue(canvas.At(5, ink.top + 5)));
    Canvas invalid(200, 30);
    Html(invalid, L"<i strip.png 2 7>", RECT{0, 0, 200, 30});
    EXPECT_TRUE(IsRed(invalid.At(5, invalid.InkBox(0xFFFFFF).top + 5)));
}

TEST_F(RenderHtml, TallImageRaisesTheLine)
{
    WriteImage(L"tall.png", 5, 40, 0xFF00FF00);
    RECT rc = Measure(L"a<i tall.png>b", RECT{0, 0, 9999, 200}, DT_SINGLELINE);
    EXPECT_EQ(40, rc.bottom);
    EXPECT_EQ(Width(L"ab") + 5, rc.right);
}

TEST_F(RenderHtml, NothingHappensForEmptyInput)
{
    Canvas canvas(50, 30);
    EXPECT_EQ(0, Html(canvas, L"", RECT{0, 0, 50, 30}));
    EXPECT_EQ(0, Html(canvas, L"<a x>y</a>", RECT{0, 0, 0, 30}));
    EXPECT_EQ(0, canvas.CountNot(0xFFFFFF));
}

TEST_F(RenderHtml, FontVariantsOfChangingTextKeepABoundedNumberOfFonts)
{
    Canvas canvas(300, 60);
    const DWORD before = m_pm.GetCustomFontCount();
    for (int size = 8; size < 108; ++size) {
        CUIString text;
        text.Format(L"<f Arial %d>x<b>y</b></f>", size);
        Html(canvas, text, RECT{0, 0, 300, 60});
    }
    EXPECT_LE(m_pm.GetCustomFontCount(), before + 32);
}
