// Progress bars: the value range and the filled part as it is painted.
#include <gtest/gtest.h>

#include "tests/ui/controls/controls_test_host.h"
#include "ui/controls/UIProgress.h"

using namespace Veneer;
using controls_test::Canvas;
using controls_test::Host;
using controls_test::ImageFolder;
using controls_test::Rc;

namespace {

const DWORD kLeft = 0xFF0000;
const DWORD kRight = 0x0000FF;

// A 200x10 bar at (0,0) whose fore image is red on its left half and blue on its right half.
struct BarWindow
{
    ImageFolder images;
    Host host;
    CContainerUI* root = new CContainerUI();
    CProgressUI* bar = new CProgressUI();

    BarWindow()
    {
        images.Stripes(L"fore.bmp", 100, 10, {kLeft, kRight});
        bar->SetAttribute(L"float", L"true");
        bar->SetAttribute(L"pos", L"0,0,200,10");
        bar->SetAttribute(L"foreimage", L"fore.bmp");
        root->Add(bar);
        host.Attach(root);
    }
};

} // namespace

TEST(ProgressValue, OutOfRangeValuesAreIgnored)
{
    CProgressUI bar;
    bar.SetValue(40);
    bar.SetValue(150);
    EXPECT_EQ(40, bar.GetValue());
    bar.SetValue(-1);
    EXPECT_EQ(40, bar.GetValue());
    bar.SetValue(100);
    EXPECT_EQ(100, bar.GetValue());
}

TEST(ProgressValue, EmptyRangeIsRepairedAtPaint)
{
    BarWindow w;
    w.bar->SetMinValue(50);
    w.bar->SetMaxValue(50);
    EXPECT_EQ(50, w.bar->GetMaxValue()) << "setters store without checks";
    Canvas canvas(220, 20);
    canvas.Paint(w.bar);
    EXPECT_EQ(51, w.bar->GetMaxValue());
    EXPECT_EQ(50, w.bar->GetValue()) << "a value below the range is lifted to the minimum";
}

TEST(ProgressValue, ShowTextWritesThePercentage)
{
    CProgressUI bar;
    bar.SetShowText(true);
    EXPECT_STREQ(L"", bar.GetText().GetData()) << "the text appears with the next value";
    bar.SetValue(50);
    EXPECT_STREQ(L"50%", bar.GetText().GetData());
    bar.SetMinValue(20);
    bar.SetValue(60);
    EXPECT_STREQ(L"50%", bar.GetText().GetData());
    bar.SetShowText(false);
    EXPECT_STREQ(L"", bar.GetText().GetData());
}

TEST(ProgressForeImage, StretchedImageIsSqueezedIntoTheFilledPart)
{
    BarWindow w;
    Canvas canvas(220, 20);

    w.bar->SetValue(0);
    canvas.Paint(w.bar);
    EXPECT_STREQ(L"dest='0,0,0,10'", w.bar->GetForeImageModify());
    EXPECT_EQ(0, canvas.CountRgb(Rc(0, 0, 200, 10), kLeft) + canvas.CountRgb(Rc(0, 0, 200, 10), kRight));

    w.bar->SetValue(45);
    canvas.Paint(w.bar);
    EXPECT_STREQ(L"dest='0,0,90,10'", w.bar->GetForeImageModify());
    EXPECT_EQ(kLeft, canvas.Rgb(5, 5));
    EXPECT_EQ(kRight, canvas.Rgb(85, 5)) << "both halves of the image appear within the filled part";
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(95, 5));

    w.bar->SetValue(90);
    canvas.Paint(w.bar);
    EXPECT_STREQ(L"dest='0,0,180,10'", w.bar->GetForeImageModify());
    EXPECT_EQ(kRight, canvas.Rgb(175, 5));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(185, 5));
}

TEST(ProgressForeImage, UnstretchedImageIsCutAtTheLevel)
{
    BarWindow w;
    w.bar->SetStretchForeImage(false);
    Canvas canvas(220, 20);

    w.bar->SetValue(0);
    canvas.Paint(w.bar);
    EXPECT_STREQ(L"dest='0,0,0,10' source='0,0,0,10'", w.bar->GetForeImageModify());
    EXPECT_EQ(0, canvas.CountRgb(Rc(0, 0, 200, 10), kLeft) + canvas.CountRgb(Rc(0, 0, 200, 10), kRight));

    w.bar->SetValue(45);
    canvas.Paint(w.bar);
    EXPECT_STREQ(L"dest='0,0,90,10' source='0,0,90,10'", w.bar->GetForeImageModify());
    EXPECT_EQ(kLeft, canvas.Rgb(85, 5)) << "the cut image shows only its left part";
    EXPECT_EQ(0, canvas.CountRgb(Rc(0, 0, 200, 10), kRight));

    w.bar->SetValue(90);
    canvas.Paint(w.bar);
    EXPECT_STREQ(L"dest='0,0,180,10' source='0,0,180,10'", w.bar->GetForeImageModify());
    EXPECT_EQ(kLeft, canvas.Rgb(95, 5));
    EXPECT_EQ(kRight, canvas.Rgb(175, 5));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(185, 5));
}

TEST(ProgressForeColor, VerticalBarFillsFromTheBottom)
{
    Host host;
    CContainerUI* root = new CContainerUI();
    CProgressUI* bar = new CProgressUI();
    bar->SetAttribute(L"float", L"true");
    bar->SetAttribute(L"pos", L"0,0,20,100");
    bar->SetAttribute(L"hor", L"false");
    bar->SetAttribute(L"forecolor", L"#FF00FF00");
    bar->SetAttribute(L"value", L"25");
    root->Add(bar);
    host.Attach(root);
    Canvas canvas(40, 120);
    canvas.Paint(bar);
    EXPECT_EQ(20 * 25, canvas.CountRgb(Rc(0, 0, 20, 100), 0x00FF00));
    EXPECT_EQ(0x00FF00u, canvas.Rgb(10, 80));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(10, 70));
}

TEST(ProgressForeColor, FullValueFillsTheWholeWidth)
{
    Host host;
    CContainerUI* root = new CContainerUI();
    CProgressUI* bar = new CProgressUI();
    bar->SetAttribute(L"float", L"true");
    bar->SetAttribute(L"pos", L"0,0,300,10");
    bar->SetAttribute(L"forecolor", L"#FF00FF00");
    root->Add(bar);
    host.Attach(root);
    Canvas canvas(320, 20);
    bar->SetValue(33);
    canvas.Paint(bar);
    EXPECT_EQ(99 * 10, canvas.CountRgb(Rc(0, 0, 300, 10), 0x00FF00));
    bar->SetValue(100);
    canvas.Paint(bar);
    EXPECT_EQ(300 * 10, canvas.CountRgb(Rc(0, 0, 300, 10), 0x00FF00));
}

TEST(ProgressForeImage, ModifierIsWrittenInUnscaledUnits)
{
    BarWindow w;
    CDPI* pDPI = w.host.Manager().GetDPIObj();
    pDPI->SetDPIAwareness(UI_PROCESS_PER_MONITOR_DPI_AWARE);
    w.host.Manager().SetDPI(144);
    if (pDPI->GetScale() != 150) GTEST_SKIP() << "this system cannot run a window at 150 %";
    w.host.Layout();
    ASSERT_EQ(300, w.bar->GetWidth());
    ASSERT_EQ(15, w.bar->GetHeight());
    w.bar->SetValue(45);
    Canvas canvas(320, 20);
    canvas.Paint(w.bar);
    EXPECT_STREQ(L"dest='0,0,90,10'", w.bar->GetForeImageModify());
    EXPECT_EQ(kRight, canvas.Rgb(130, 5)) << "the image fills 135 device pixels";
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(140, 5));
}
