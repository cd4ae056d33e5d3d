// Painting: the order of the layers, stop controls and paint hooks, pixels of
// background fills, gradients and borders, and the container's clipping.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls_test_host.h"

using namespace Veneer;
using controls_test::Canvas;
using controls_test::Child;
using controls_test::Rc;

namespace {

std::vector<std::string> g_layers;

class LayerRecorder : public CControlUI
{
public:
    explicit LayerRecorder(const char* name = "") : m_name(name) {}
    void PaintBkColor(HDC) override { g_layers.push_back(m_name + "bkcolor"); }
    void PaintBkImage(HDC) override { g_layers.push_back(m_name + "bkimage"); }
    void PaintStatusImage(HDC) override { g_layers.push_back(m_name + "status"); }
    void PaintForeColor(HDC) override { g_layers.push_back(m_name + "forecolor"); }
    void PaintForeImage(HDC) override { g_layers.push_back(m_name + "foreimage"); }
    void PaintText(HDC) override { g_layers.push_back(m_name + "text"); }
    void PaintBorder(HDC) override { g_layers.push_back(m_name + "border"); }
    std::string m_name;
};

bool RefusePaint(void*)
{
    return false;
}

// A manager starts the drawing back end the fills need; the canvas is independent of it.
class ControlPaint : public ::testing::Test
{
protected:
    CPaintManagerUI m_pm;
};

} // namespace

TEST_F(ControlPaint, LayersAreDrawnInTheirFixedOrder)
{
    g_layers.clear();
    Canvas canvas(50, 50);
    LayerRecorder c;
    c.SetPos(Rc(0, 0, 20, 20), false);
    EXPECT_TRUE(c.Paint(canvas.DC(), Rc(0, 0, 50, 50)));
    std::vector<std::string> want = {"bkcolor", "bkimage", "status", "forecolor", "foreimage", "text", "border"};
    EXPECT_EQ(want, g_layers);
}

TEST_F(ControlPaint, NothingIsDrawnOutsideThePaintRectangle)
{
    g_layers.clear();
    Canvas canvas(50, 50);
    LayerRecorder c;
    c.SetPos(Rc(0, 0, 20, 20), false);
    EXPECT_TRUE(c.Paint(canvas.DC(), Rc(30, 30, 50, 50)));
    EXPECT_TRUE(g_layers.empty());
}

TEST_F(ControlPaint, StopControlEndsThePassAndHooksCanRefuse)
{
    g_layers.clear();
    Canvas canvas(50, 50);
    CVerticalLayoutUI root;
    LayerRecorder* a = new LayerRecorder("a.");
    LayerRecorder* b = new LayerRecorder("b.");
    LayerRecorder* c = new LayerRecorder("c.");
    root.Add(a);
    root.Add(b);
    root.Add(c);
    root.SetPos(Rc(0, 0, 50, 50), false);
    EXPECT_FALSE(root.Paint(canvas.DC(), Rc(0, 0, 50, 50), b));
    ASSERT_EQ(7u, g_layers.size());
    EXPECT_EQ("a.bkcolor", g_layers.front());
    EXPECT_EQ("a.border", g_layers.back());

    g_layers.clear();
    b->OnPaint += &RefusePaint;
    EXPECT_TRUE(root.Paint(canvas.DC(), Rc(0, 0, 50, 50)));
    EXPECT_EQ(14u, g_layers.size());
    EXPECT_EQ("c.border", g_layers.back());
    for (const std::string& s : g_layers) EXPECT_NE('b', s[0]);
}

TEST_F(ControlPaint, OpaqueFillCoversOnlyThePaintRectangle)
{
    Canvas canvas(40, 40);
    CControlUI c;
    c.SetBkColor(0xFFFF0000);
    c.SetPos(Rc(0, 0, 40, 40), false);
    c.Paint(canvas.DC(), Rc(0, 0, 20, 40));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(5, 5));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(30, 5));
}

TEST_F(ControlPaint, TranslucentFillCoversTheWholeItem)
{
    Canvas canvas(40, 40);
    CControlUI c;
    c.SetAttribute(L"bkcolor", L"#80FF0000");
    c.SetPos(Rc(0, 0, 40, 40), false);
    c.Paint(canvas.DC(), Rc(0, 0, 20, 40));
    DWORD inside = canvas.Rgb(5, 5);
    DWORD outside = canvas.Rgb(30, 5);
    EXPECT_NE(0xFFFFFFu, inside);
    EXPECT_EQ(inside, outside);
    // Blended: still red, but lighter than pure red.
    EXPECT_EQ(0xFFu, (inside >> 16) & 0xFF);
    EXPECT_GT(inside & 0xFF, 0x40u);
}

TEST_F(ControlPaint, ThreeColourGradientSplitsAtTheMiddle)
{
    Canvas canvas(20, 100);
    CControlUI c;
    c.SetBkColor(0xFFFF0000);
    c.SetBkColor2(0xFF00FF00);
    c.SetBkColor3(0xFF0000FF);
    c.SetPos(Rc(0, 0, 20, 100), false);
    c.Paint(canvas.DC(), Rc(0, 0, 20, 100));
    DWORD top = canvas.Rgb(10, 0);
    DWORD middle = canvas.Rgb(10, 50);
    DWORD bottom = canvas.Rgb(10, 99);
    EXPECT_GT((top >> 16) & 0xFF, 0xC0u);      // red at the top
    EXPECT_GT((middle >> 8) & 0xFF, 0xC0u);    // green in the middle
    EXPECT_GT(bottom & 0xFF, 0xC0u);           // blue at the bottom
    EXPECT_LT((bottom >> 16) & 0xFF, 0x40u);
}

TEST_F(ControlPaint, HorizontalGradientRunsLeftToRight)
{
    Canvas canvas(100, 10);
    CControlUI c;
    c.SetAttribute(L"bkcolor", L"#FF000000");
    c.SetAttribute(L"bkcolor2", L"#FFFFFFFF");
    c.SetAttribute(L"gradient", L"HOR");
    c.SetPos(Rc(0, 0, 100, 10), false);
    c.Paint(canvas.DC(), Rc(0, 0, 100, 10));
    EXPECT_LT(canvas.Rgb(0, 5) & 0xFF, 0x30u);
    EXPECT_GT(canvas.Rgb(99, 5) & 0xFF, 0xD0u);
    EXPECT_EQ(canvas.Rgb(50, 0), canvas.Rgb(50, 9));
}

TEST_F(ControlPaint, PerSideBordersDrawOnlyTheirSides)
{
    Canvas canvas(40, 40);
    CControlUI c;
    c.SetAttribute(L"bordercolor", L"#FF0000FF");
    c.SetAttribute(L"bordersize", L"1,0,1,0");
    c.SetPos(Rc(10, 10, 30, 30), false);
    c.Paint(canvas.DC(), Rc(0, 0, 40, 40));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(10, 20));   // left
    EXPECT_EQ(0x0000FFu, canvas.Rgb(29, 20));   // right, one pixel inside
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(20, 10));   // no top
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(20, 29));   // no bottom
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(20, 20));
}

TEST_F(ControlPaint, HotAndFocusColoursReplaceTheUniformBorder)
{
    Canvas canvas(40, 40);
    CControlUI c;
    c.SetAttribute(L"bordersize", L"2");
    c.SetAttribute(L"bordercolor", L"#FF0000FF");
    c.SetAttribute(L"hotbordercolor", L"#FF00FF00");
    c.SetPos(Rc(0, 0, 40, 40), false);
    c.Paint(canvas.DC(), Rc(0, 0, 40, 40));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(0, 20));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(3, 20));
    c.SetHot(true);
    c.Paint(canvas.DC(), Rc(0, 0, 40, 40));
    EXPECT_EQ(0x00FF00u, canvas.Rgb(0, 20));
    EXPECT_EQ(0x00FF00u, canvas.Rgb(39, 20));
}

TEST_F(ControlPaint, RoundBorderClipsTheCorners)
{
    Canvas canvas(40, 40);
    CControlUI c;
    c.SetBkColor(0xFFFF0000);
    c.SetBorderRound(SIZE{20, 20});
    c.SetPos(Rc(0, 0, 40, 40), false);
    c.Paint(canvas.DC(), Rc(0, 0, 40, 40));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(0, 0));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(20, 20));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(20, 0));
}

TEST_F(ControlPaint, ContainerClipsChildrenToItsInsetButNotFloatChildren)
{
    Canvas canvas(60, 60);
    CContainerUI box;
    box.SetInset(Rc(10, 10, 10, 10));
    CControlUI* inner = Child(box, 0, 0);
    inner->SetBkColor(0xFFFF0000);
    inner->SetMinWidth(100);  // wider than the client area
    CControlUI* f = new CControlUI();
    f->ApplyAttributeList(L"float=\"true\" pos=\"0,0,10,10\" bkcolor=\"#FF00FF00\"");
    box.Add(f);
    box.SetPos(Rc(0, 0, 60, 60), false);
    box.Paint(canvas.DC(), Rc(0, 0, 60, 60));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(30, 30));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(55, 30));  // child overflow into the inset is clipped
    EXPECT_EQ(0x00FF00u, canvas.Rgb(5, 5));    // float child draws over the inset
}

TEST_F(ControlPaint, HiddenChildrenAreNotPainted)
{
    g_layers.clear();
    Canvas canvas(50, 50);
    CVerticalLayoutUI root;
    LayerRecorder* a = new LayerRecorder("a.");
    root.Add(a);
    root.SetPos(Rc(0, 0, 50, 50), false);
    a->SetVisible(false);
    EXPECT_TRUE(root.Paint(canvas.DC(), Rc(0, 0, 50, 50)));
    EXPECT_TRUE(g_layers.empty());
}
