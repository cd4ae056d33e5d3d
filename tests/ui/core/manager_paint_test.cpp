// Paint pass, layered windows, DPI scaling and the resource tables of the
// paint manager.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "manager_test_support.h"
#include "tests/support/ScratchFolder.h"
#include "ui/core/UIDPI.h"
#include "ui/core/UIDrawInfo.h"
#include "ui/core/UILangManager.h"
#include "ui/core/UIRender.h"

using namespace Veneer;
using namespace pm_test;

namespace {

// Logs notifications into the same list the controls log their paints into.
class OrderLog : public INotifyUI {
public:
    explicit OrderLog(std::vector<std::wstring>* pOrder) : m_pOrder(pOrder) {}
    void Notify(TNotifyUI& msg) override { m_pOrder->push_back(L"note:" + std::wstring(msg.sType.GetData())); }
    std::vector<std::wstring>* m_pOrder;
};

int IndexOf(const std::vector<std::wstring>& v, const std::wstring& s)
{
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] == s) return static_cast<int>(i);
    }
    return -1;
}

int CountOf(const std::vector<std::wstring>& v, const std::wstring& s)
{
    int n = 0;
    for (const std::wstring& x : v) n += (x == s) ? 1 : 0;
    return n;
}

// Reads the 32-bit pixels of a bitmap, top row first.
std::vector<DWORD> ReadPixels(HBITMAP hBitmap, int cx, int cy)
{
    std::vector<DWORD> pixels(static_cast<size_t>(cx) * cy, 0xDEADBEEF);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    HDC hDC = ::GetDC(nullptr);
    ::GetDIBits(hDC, hBitmap, 0, cy, pixels.data(), &bmi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, hDC);
    return pixels;
}

class PaintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wnd = new WindowHost({100, 100, 400, 300}, WS_POPUP);
        root = new CHorizontalLayoutUI;
        a = Add(L"a");
        b = Add(L"b");
        c = Add(L"c");
    }

    void TearDown() override { delete wnd; }

    RecordingControl* Add(LPCWSTR pstrName)
    {
        auto* p = new RecordingControl(pstrName, nullptr, 0);
        p->SetFixedWidth(100);
        p->m_pPaintOrder = &order;
        root->Add(p);
        return p;
    }

    void Repaint()
    {
        wnd->Manager().Invalidate();
        ::UpdateWindow(wnd->Handle());
        WindowHost::Pump();
    }

    WindowHost* wnd = nullptr;
    CHorizontalLayoutUI* root = nullptr;
    RecordingControl* a = nullptr;
    RecordingControl* b = nullptr;
    RecordingControl* c = nullptr;
    std::vector<std::wstring> order;
};

// ---------------------------------------------------------------------------
// the paint pass

TEST_F(PaintTest, FirstLayoutSendsWindowInitOnceBeforePaintingAndQueuesWindowSize)
{
    OrderLog log(&order);
    wnd->Manager().AddNotifier(&log);
    wnd->Attach(root);
    WindowHost::PumpUntil([&] { return IndexOf(order, L"note:windowsize") >= 0; });

    int iInit = IndexOf(order, L"note:windowinit");
    int iPaint = IndexOf(order, L"paint:a");
    int iSize = IndexOf(order, L"note:windowsize");
    ASSERT_GE(iInit, 0);
    ASSERT_GE(iPaint, 0);
    ASSERT_GE(iSize, 0);
    EXPECT_LT(iInit, iPaint);
    EXPECT_LT(iPaint, iSize) << "windowsize is queued, so it comes after the paint";
    EXPECT_EQ(1, CountOf(order, L"note:windowinit"));

    // Later paints without layout send nothing; a later layout sends only windowsize.
    int nSizes = CountOf(order, L"note:windowsize");
    Repaint();
    WindowHost::Pump();
    EXPECT_EQ(nSizes, CountOf(order, L"note:windowsize"));
    root->NeedUpdate();
    Repaint();
    WindowHost::PumpUntil([&] { return CountOf(order, L"note:windowsize") > nSizes; });
    EXPECT_EQ(nSizes + 1, CountOf(order, L"note:windowsize"));
    EXPECT_EQ(1, CountOf(order, L"note:windowinit"));
    EXPECT_EQ(100, a->GetPos().right - a->GetPos().left);
    EXPECT_EQ(200, a->GetPos().bottom - a->GetPos().top);
    wnd->Manager().RemoveNotifier(&log);
}

// "windowinit" comes first; the first tab stop would take the focus in that same paint, but a handler of
// "windowinit" chose one: the choice stands and is drawn by that paint, with no second paint of the window.
TEST_F(PaintTest, AFocusChosenAtWindowInitStandsAndIsDrawnByTheFirstPaint)
{
    auto* first = new RecordingControl(L"first", nullptr, UIFLAG_TABSTOP);
    auto* second = new RecordingControl(L"second", nullptr, UIFLAG_TABSTOP);
    int index = 0;
    for (RecordingControl* p : {first, second}) {
        p->SetFixedWidth(50);
        p->m_pPaintOrder = &order;
        root->AddAt(p, index++);
    }
    struct MoveFocusOnInit : OrderLog {
        using OrderLog::OrderLog;
        void Notify(TNotifyUI& msg) override
        {
            OrderLog::Notify(msg);
            CControlUI* pFocus = m_pManager->GetFocus();
            m_pOrder->push_back(L"focus:" + std::wstring(pFocus ? pFocus->GetName().GetData() : L""));
            if (msg.sType == L"windowinit") m_pTarget->SetFocus();
        }
        CPaintManagerUI* m_pManager = nullptr;
        CControlUI* m_pTarget = nullptr;
    } log(&order);
    log.m_pManager = &wnd->Manager();
    log.m_pTarget = second;
    wnd->Manager().AddNotifier(&log);
    wnd->Attach(root);
    WindowHost::PumpUntil([&] { return IndexOf(order, L"note:windowsize") >= 0; });

    const int iInit = IndexOf(order, L"note:windowinit");
    ASSERT_GE(iInit, 0);
    EXPECT_EQ(L"focus:", order[static_cast<size_t>(iInit) + 1]) << "nothing is focused before windowinit";
    EXPECT_EQ(second, wnd->Manager().GetFocus());
    EXPECT_LT(iInit, IndexOf(order, L"paint:second"));
    for (RecordingControl* p : {a, first, second}) EXPECT_EQ(1, p->m_nPaints) << p->GetName().GetData();
    RECT rcPending = {0, 0, 0, 0};
    EXPECT_FALSE(::GetUpdateRect(wnd->Handle(), &rcPending, FALSE)) << "nothing is left for a second paint";
    // A tab move waiting for a layout (one that takes more than one pass) gives way to a focus set outright.
    root->NeedUpdate();
    wnd->Manager().SetNextTabControl(true);
    first->SetFocus();
    Repaint();
    EXPECT_EQ(first, wnd->Manager().GetFocus());
    wnd->Manager().RemoveNotifier(&log);
}

TEST_F(PaintTest, APaintWhileUpdatesAreLockedPaintsWithoutLayout)
{
    wnd->Attach(root);
    WindowHost::Pump();
    int nSetPos = a->m_nSetPos;
    int nPaints = a->m_nPaints;
    wnd->Manager().LockUpdate(true);
    a->SetFixedWidth(50);
    Repaint();
    EXPECT_GT(a->m_nPaints, nPaints);
    EXPECT_EQ(nSetPos, a->m_nSetPos);
    EXPECT_EQ(100, a->GetPos().right - a->GetPos().left);
    EXPECT_TRUE(wnd->Manager().IsUpdateNeeded());

    wnd->Manager().LockUpdate(false);
    Repaint();
    EXPECT_EQ(50, a->GetPos().right - a->GetPos().left);
    EXPECT_FALSE(wnd->Manager().IsUpdateNeeded());
}

TEST_F(PaintTest, AnUncoveredWindowComesFromTheFrameAndAChangePaintsOnlyWhatChanged)
{
    a->m_crFill = RGB(200, 0, 0);
    b->m_crFill = RGB(0, 200, 0);
    c->m_crFill = RGB(0, 0, 200);
    wnd->Attach(root);
    WindowHost::Pump();
    const int paints[3] = {a->m_nPaints, b->m_nPaints, c->m_nPaints};
    ASSERT_GT(paints[0], 0);

    // The system asks for the whole window again (as when it is uncovered): nothing changed, nothing is painted.
    ::InvalidateRect(wnd->Handle(), nullptr, FALSE);
    ::UpdateWindow(wnd->Handle());
    WindowHost::Pump();
    EXPECT_EQ(paints[0], a->m_nPaints);
    EXPECT_EQ(paints[1], b->m_nPaints);
    EXPECT_EQ(paints[2], c->m_nPaints);
    RECT rcUpdate = {};
    EXPECT_FALSE(::GetUpdateRect(wnd->Handle(), &rcUpdate, FALSE)) << "the request is answered from the frame";

    // One control changes: it alone is painted, and the frame shows it beside the others as they were.
    b->m_crFill = RGB(200, 200, 0);
    b->Invalidate();
    ::UpdateWindow(wnd->Handle());
    WindowHost::Pump();
    EXPECT_EQ(paints[0], a->m_nPaints);
    EXPECT_EQ(paints[1] + 1, b->m_nPaints);
    EXPECT_EQ(paints[2], c->m_nPaints);
    const std::vector<DWORD> pixels = ReadPixels(wnd->Manager().GetPaintOffscreenBitmap(), 300, 200);
    EXPECT_EQ(0xC80000u, pixels[100 * 300 + 50] & 0xFFFFFFu);
    EXPECT_EQ(0xC8C800u, pixels[100 * 300 + 150] & 0xFFFFFFu);
    EXPECT_EQ(0x0000C8u, pixels[100 * 300 + 250] & 0xFFFFFFu);

    // A layout change paints the whole window again; so does a language reload (new texts, new widths),
    // even when the system alone is then asked to repaint.
    root->NeedUpdate();
    ::UpdateWindow(wnd->Handle());
    WindowHost::Pump();
    EXPECT_EQ(paints[0] + 1, a->m_nPaints);
    EXPECT_EQ(paints[2] + 1, c->m_nPaints);
    wnd->Manager().GetLangManager()->ReloadLanguage();
    ::InvalidateRect(wnd->Handle(), nullptr, TRUE);
    ::UpdateWindow(wnd->Handle());
    EXPECT_EQ(paints[2] + 2, c->m_nPaints);
}

TEST_F(PaintTest, InvalidationRectanglesAreClampedToTheClientOrigin)
{
    wnd->Attach(root);
    WindowHost::Pump();
    ::ValidateRect(wnd->Handle(), nullptr);
    RECT rc = {-10, -20, 30, 40};
    wnd->Manager().Invalidate(rc);
    RECT rcUpdate = {};
    ASSERT_TRUE(::GetUpdateRect(wnd->Handle(), &rcUpdate, FALSE));
    EXPECT_EQ(0, rcUpdate.left);
    EXPECT_EQ(0, rcUpdate.top);
    EXPECT_EQ(30, rcUpdate.right);
    EXPECT_EQ(40, rcUpdate.bottom);

    ::ValidateRect(wnd->Handle(), nullptr);
    RECT rcInverted = {50, 50, 10, 10};
    wnd->Manager().Invalidate(rcInverted);
    EXPECT_FALSE(::GetUpdateRect(wnd->Handle(), &rcUpdate, FALSE)) << "an inverted rectangle becomes empty";
}

TEST_F(PaintTest, WithoutARootThePaintFillsBlackAndIsConsumed)
{
    ::ShowWindow(wnd->Handle(), SW_SHOWNORMAL);
    ::InvalidateRect(wnd->Handle(), nullptr, FALSE);
    LRESULT lRes = 1;
    EXPECT_TRUE(wnd->Manager().MessageHandler(WM_PAINT, 0, 0, lRes));
    RECT rcUpdate = {};
    EXPECT_FALSE(::GetUpdateRect(wnd->Handle(), &rcUpdate, FALSE)) << "the paint validated the window";
}

TEST_F(PaintTest, PrintClientPaintsTheTreeIntoTheGivenDeviceAndIsNotConsumed)
{
    b->m_crFill = RGB(0, 128, 0);
    wnd->Attach(root);
    HDC hScreen = ::GetDC(nullptr);
    HDC hMem = ::CreateCompatibleDC(hScreen);
    HBITMAP hBmp = ::CreateCompatibleBitmap(hScreen, 300, 200);
    ::ReleaseDC(nullptr, hScreen);
    HGDIOBJ hOld = ::SelectObject(hMem, hBmp);
    RECT rcAll = {0, 0, 300, 200};
    ::FillRect(hMem, &rcAll, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    LRESULT lRes = 0;
    EXPECT_FALSE(wnd->Manager().MessageHandler(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(hMem), PRF_CLIENT, lRes));
    EXPECT_EQ(RGB(0, 128, 0), ::GetPixel(hMem, 150, 100));
    EXPECT_EQ(RGB(255, 255, 255), ::GetPixel(hMem, 50, 100));
    ::SelectObject(hMem, hOld);
    ::DeleteObject(hBmp);
    ::DeleteDC(hMem);
}

// ---------------------------------------------------------------------------
// layered windows

TEST_F(PaintTest, LayeredWindowMakesGdiContentOpaqueAndLeavesTheRestTransparent)
{
    a->m_crFill = RGB(255, 0, 0);
    b->m_crFill = RGB(0, 0, 0);  // black drawn by GDI cannot be told from "nothing"
    wnd->Manager().AttachDialog(root);
    wnd->Manager().SetLayered(true);
    ASSERT_TRUE(wnd->Manager().IsLayered());
    ::ShowWindow(wnd->Handle(), SW_SHOWNORMAL);
    Repaint();
    Repaint();
    EXPECT_NE(0, ::GetWindowLongPtrW(wnd->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    HBITMAP hOff = wnd->Manager().GetPaintOffscreenBitmap();
    ASSERT_NE(nullptr, hOff);
    std::vector<DWORD> px = ReadPixels(hOff, 300, 200);
    EXPECT_EQ(0xFFFF0000u, px[50 * 300 + 50]);
    EXPECT_EQ(0x00000000u, px[50 * 300 + 150]);
    EXPECT_EQ(0x00000000u, px[50 * 300 + 250]);
}

TEST_F(PaintTest, LayeredWindowGrownWithoutALayoutPaintsIntoAnImageOfTheNewSize)
{
    a->m_crFill = RGB(255, 0, 0);
    wnd->Manager().AttachDialog(root);
    wnd->Manager().SetLayered(true);
    ::ShowWindow(wnd->Handle(), SW_SHOWNORMAL);
    Repaint();
    Repaint();
    // Updates locked: the paint runs without a layout after the client grew a lot.
    wnd->Manager().LockUpdate(true);
    ::SetWindowPos(wnd->Handle(), nullptr, 0, 0, 1200, 900, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Repaint();
    RECT rc;
    ::GetClientRect(wnd->Handle(), &rc);
    BITMAP bm = {};
    ASSERT_EQ(static_cast<int>(sizeof(bm)), ::GetObjectW(wnd->Manager().GetPaintOffscreenBitmap(), sizeof(bm), &bm));
    EXPECT_EQ(rc.right, bm.bmWidth);
    EXPECT_EQ(rc.bottom, std::abs(bm.bmHeight));
    std::vector<DWORD> px = ReadPixels(wnd->Manager().GetPaintOffscreenBitmap(), rc.right, rc.bottom);
    EXPECT_EQ(0xFFFF0000u, px[50 * rc.right + 50]) << "the tree is still painted at its old place";
    EXPECT_EQ(0u, px[static_cast<size_t>(rc.bottom - 1) * rc.right + rc.right - 1]);
    wnd->Manager().LockUpdate(false);
}

TEST_F(PaintTest, AnOrdinaryWindowCopiesGdiContentWithoutAlphaFixUp)
{
    a->m_crFill = RGB(0, 0, 255);
    wnd->Attach(root);
    Repaint();
    HBITMAP hOff = wnd->Manager().GetPaintOffscreenBitmap();
    ASSERT_NE(nullptr, hOff);
    std::vector<DWORD> px = ReadPixels(hOff, 300, 200);
    EXPECT_EQ(0x000000FFu, px[10 * 300 + 10]);
}

TEST_F(PaintTest, LayeredImageIsTheAlphaMaskOfTheWindow)
{
    a->m_crFill = RGB(200, 100, 50);
    b->m_crFill = RGB(200, 100, 50);
    c->m_crFill = RGB(200, 100, 50);
    // Mask: left third opaque, middle third half transparent, right third transparent.
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = 300;
    bmi.bmiHeader.biHeight = -200;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    HBITMAP hMask = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    ASSERT_NE(nullptr, hMask);
    auto* pPixels = static_cast<DWORD*>(pBits);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x) {
            pPixels[y * 300 + x] = x < 100 ? 0xFFFFFFFF : (x < 200 ? 0x80808080 : 0);
        }
    }
    ASSERT_NE(nullptr, wnd->Manager().AddImage(L"layer-mask", hMask, 300, 200, true));
    wnd->Manager().AttachDialog(root);
    wnd->Manager().SetLayered(true);
    wnd->Manager().SetLayeredImage(L"layer-mask");
    EXPECT_STREQ(L"layer-mask", wnd->Manager().GetLayeredImage());
    ::ShowWindow(wnd->Handle(), SW_SHOWNORMAL);
    Repaint();
    Repaint();
    std::vector<DWORD> px = ReadPixels(wnd->Manager().GetPaintOffscreenBitmap(), 300, 200);
    EXPECT_EQ(0xFFC86432u, px[50 * 300 + 50]);
    DWORD half = px[50 * 300 + 150];
    EXPECT_EQ(0x80u, half >> 24);
    EXPECT_EQ(200u * 0x80 / 255, (half >> 16) & 0xFF);
    EXPECT_EQ(0u, px[50 * 300 + 250]);
    // The manager's off-screen image and DC go with it.
    HGDIOBJ hFrame = wnd->Manager().GetPaintOffscreenBitmap();
    HGDIOBJ hFrameDC = wnd->Manager().GetPaintOffscreenDC();
    delete wnd;
    wnd = nullptr;
    EXPECT_EQ(0u, ::GetObjectType(hFrame));
    EXPECT_EQ(0u, ::GetObjectType(hFrameDC));
}

TEST_F(PaintTest, NativeChildWindowsArePrintedOpaqueIntoTheLayeredImage)
{
    wnd->Manager().AttachDialog(root);
    wnd->Manager().SetLayered(true);
    HWND hChild = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_WHITERECT, 120, 20, 40, 30,
                                    wnd->Handle(), nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hChild);
    EXPECT_TRUE(wnd->Manager().AddNativeWindow(b, hChild));
    EXPECT_FALSE(wnd->Manager().AddNativeWindow(b, hChild)) << "listed once";
    EXPECT_FALSE(wnd->Manager().AddNativeWindow(nullptr, hChild));
    RECT rcChild = wnd->Manager().GetNativeWindowRect(hChild);
    EXPECT_EQ(120, rcChild.left);
    EXPECT_EQ(20, rcChild.top);
    ::ShowWindow(wnd->Handle(), SW_SHOWNORMAL);
    Repaint();
    Repaint();
    std::vector<DWORD> px = ReadPixels(wnd->Manager().GetPaintOffscreenBitmap(), 300, 200);
    EXPECT_EQ(0xFF000000u, px[35 * 300 + 140] & 0xFF000000u) << "printed child content is opaque";
    EXPECT_NE(0u, px[35 * 300 + 140] & 0x00FFFFFFu);
    EXPECT_EQ(0u, px[100 * 300 + 140]) << "outside the child nothing was drawn";

    ::DestroyWindow(hChild);
    Repaint();
    EXPECT_EQ(0, wnd->Manager().GetNativeWindowCount()) << "a destroyed child leaves the list at the next paint";
}

TEST(LayeredSettings, ChildWindowsAndWindowlessManagersNeverBecomeLayered)
{
    CPaintManagerUI pm;
    pm.SetLayered(true);
    EXPECT_FALSE(pm.IsLayered());

    WindowHost parent({100, 100, 400, 300}, WS_POPUP);
    HWND hChild = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, parent.Handle(), nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hChild);
    CPaintManagerUI childPm;
    childPm.Init(hChild);
    childPm.SetLayered(true);
    EXPECT_FALSE(childPm.IsLayered());
    ::DestroyWindow(hChild);
}

// ---------------------------------------------------------------------------
// DPI

TEST(DpiScale, ScalesSizesAt100And115And150Percent)
{
    CDPI dpi;
    EXPECT_EQ(100, dpi.GetScale());
    EXPECT_EQ(14, dpi.Scale(14));
    dpi.SetScale(110);
    EXPECT_EQ(115, dpi.GetScale());
    EXPECT_EQ(16, dpi.Scale(14));
    EXPECT_EQ(110, dpi.GetDPI());
    dpi.SetScale(144);
    EXPECT_EQ(150, dpi.GetScale());
    EXPECT_EQ(21, dpi.Scale(14));
    EXPECT_EQ(14, dpi.ScaleBack(21));
    EXPECT_EQ(144, dpi.GetDPI());
}

TEST(DpiScale, RectanglesScaleTheirOriginAndTheirSize)
{
    CDPI dpi;
    dpi.SetScale(144);
    RECT rc = {3, 5, 10, 16};  // width 7, height 11
    dpi.Scale(&rc);
    EXPECT_EQ(5, rc.left);   // 4.5 rounds up
    EXPECT_EQ(8, rc.top);    // 7.5 rounds up
    EXPECT_EQ(5 + 11, rc.right);   // scaled width 10.5 -> 11
    EXPECT_EQ(8 + 17, rc.bottom);  // scaled height 16.5 -> 17
    SIZE sz = dpi.Scale(SIZE{10, 20});
    EXPECT_EQ(15, sz.cx);
    EXPECT_EQ(30, sz.cy);
}

TEST(DpiScale, SystemAwareKeepsTheFirstFactorAndUnawareNeverScales)
{
    CDPI dpi;
    dpi.SetScale(144);
    ASSERT_EQ(150, dpi.GetScale());
    // Awareness is stored only when the platform accepts it; compare what is in force.
    if (dpi.SetDPIAwareness(UI_PROCESS_SYSTEM_DPI_AWARE)) {
        EXPECT_EQ(100, dpi.GetScale());
    }
    if (dpi.SetDPIAwareness(UI_PROCESS_DPI_UNAWARE)) {
        EXPECT_EQ(100, dpi.GetScale());
        EXPECT_EQ(14, dpi.Scale(14));
        EXPECT_EQ(96, dpi.GetDPI());
    }
    EXPECT_GT(CDPI::GetMainMonitorDPI(), 0);
}

TEST_F(PaintTest, SetDpiResizesTheWindowInProportionAndRescalesFontsAndControls)
{
    wnd->Attach(root);
    WindowHost::Pump();
    ASSERT_NE(nullptr, wnd->Manager().AddFont(1, L"Arial", 14, false, false, false));
    wnd->Manager().SetDPI(144);
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, wnd->Handle(), WM_USER + 3, WM_USER + 3, PM_NOREMOVE));
    RECT rcWnd = {};
    ::GetWindowRect(wnd->Handle(), &rcWnd);
    EXPECT_EQ(450, rcWnd.right - rcWnd.left);
    EXPECT_EQ(300, rcWnd.bottom - rcWnd.top);
    EXPECT_EQ(100, rcWnd.left) << "the top-left corner stays";
    LOGFONTW lf = {};
    ::GetObjectW(wnd->Manager().GetFont(1), sizeof(lf), &lf);
    EXPECT_EQ(-21, lf.lfHeight);
    Repaint();
    EXPECT_EQ(150, a->GetPos().right - a->GetPos().left);

    wnd->Manager().SetDPI(110);  // 115 %
    ::GetWindowRect(wnd->Handle(), &rcWnd);
    EXPECT_EQ(345, rcWnd.right - rcWnd.left);
    ::GetObjectW(wnd->Manager().GetFont(1), sizeof(lf), &lf);
    EXPECT_EQ(-16, lf.lfHeight);
    WindowHost::Pump();
}

// ---------------------------------------------------------------------------
// fonts

class TablesTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        pm.RemoveAllFonts(true);
        pm.RemoveAllStyle(true);
        pm.RemoveAllDefaultAttributeList(true);
    }
    CPaintManagerUI pm;
};

TEST_F(TablesTest, AddingAFontWithAnExistingIdReplacesIt)
{
    HFONT h1 = pm.AddFont(3, L"Arial", 12, false, false, false);
    ASSERT_NE(nullptr, h1);
    HFONT h2 = pm.AddFont(3, L"Arial", 20, true, false, true);
    ASSERT_NE(nullptr, h2);
    EXPECT_EQ(h2, pm.GetFont(3));
    EXPECT_EQ(1u, pm.GetCustomFontCount());
    TFontInfo* pInfo = pm.GetFontInfo(3);
    ASSERT_NE(nullptr, pInfo);
    EXPECT_EQ(20, pInfo->iSize);
    EXPECT_TRUE(pInfo->bBold);
    EXPECT_TRUE(pInfo->bItalic);
    EXPECT_GT(pInfo->tm.tmHeight, 0);
    EXPECT_EQ(3, pm.GetFontIndex(h2));
    EXPECT_EQ(3, pm.GetFontIndex(L"Arial", 20, true, false, true));
    EXPECT_EQ(-1, pm.GetFontIndex(L"Arial", 12, false, false, false));
    EXPECT_EQ(h2, pm.GetFont(L"arial", 20, true, false, true));
    EXPECT_EQ(nullptr, pm.GetFont(L"Arial", 21, true, false, true));
}

TEST_F(TablesTest, LongFaceNamesFindTheFontTheyWereAddedUnder)
{
    // Longer than a LOGFONT face holds: stored cut to 31 characters.
    const wchar_t* face = L"A Face Name Far Longer Than Thirty-One Characters";
    HFONT h = pm.AddFont(40, face, 12, false, false, false);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(31, pm.GetFontInfo(40)->sFontName.GetLength());
    EXPECT_EQ(h, pm.GetFont(face, 12, false, false, false));
    EXPECT_EQ(40, pm.GetFontIndex(face, 12, false, false, false));

    // Markup text naming that face reuses the font however often it is drawn.
    HDC hDC = ::CreateCompatibleDC(nullptr);
    const DWORD before = pm.GetCustomFontCount();
    for (int i = 0; i < 3; ++i) {
        RECT rc = {0, 0, 200, 40};
        int nLinks = 0;
        CRenderEngine::DrawHtmlText(hDC, &pm, rc, L"<f AnotherFaceNameFarLongerThanThirtyOneCharacters 13>x</f>",
                                    0xFF000000, nullptr, nullptr, nLinks, -1, DT_SINGLELINE);
    }
    EXPECT_EQ(before + 1, pm.GetCustomFontCount());
    ::DeleteDC(hDC);
}

TEST_F(TablesTest, UnknownFontIdsGiveTheDefaultFont)
{
    TFontInfo* pDefault = pm.GetDefaultFontInfo();
    ASSERT_NE(nullptr, pDefault);
    ASSERT_NE(nullptr, pDefault->hFont);
    EXPECT_EQ(pDefault->hFont, pm.GetFont(99));
    EXPECT_EQ(pDefault->hFont, pm.GetFont(-1));
    pm.SetDefaultFont(L"Courier New", 17, true, false, false);
    EXPECT_STREQ(L"Courier New", pm.GetDefaultFontInfo()->sFontName.GetData());
    EXPECT_EQ(17, pm.GetDefaultFontInfo()->iSize);
    EXPECT_EQ(-1, pm.GetDefaultFontInfo()->id);
    CPaintManagerUI other;
    EXPECT_STRNE(L"Courier New", other.GetDefaultFontInfo()->sFontName.GetData()) << "not shared";
}

TEST_F(TablesTest, SharedFontsAreSeenByEveryManagerButOwnFontsWin)
{
    CPaintManagerUI other;
    HFONT hShared = pm.AddFont(7, L"Arial", 11, false, false, false, true);
    ASSERT_NE(nullptr, hShared);
    EXPECT_EQ(hShared, other.GetFont(7));
    HFONT hOwn = other.AddFont(7, L"Arial", 30, false, false, false);
    EXPECT_EQ(hOwn, other.GetFont(7));
    EXPECT_EQ(hShared, pm.GetFont(7));
    EXPECT_EQ(nullptr, pm.GetFontInfo(7, false));
    EXPECT_NE(nullptr, pm.GetFontInfo(7, true));
    pm.RemoveFont(7, true);
    EXPECT_EQ(pm.GetDefaultFontInfo()->hFont, pm.GetFont(7));
}

// ---------------------------------------------------------------------------
// images

// A grey bitmap file in the program's scratch folder; written again under the same name, it replaces the first.
std::wstring WriteBitmapFile(LPCWSTR pstrName, int cx, int cy)
{
    static test_support::ScratchFolder s_folder;
    s_folder.Solid(pstrName, cx, cy, 0x404040);
    return s_folder.Path() + pstrName;
}

TEST_F(TablesTest, ImagesWithASizeOrFillColourAreCachedUnderTheirOwnKey)
{
    std::wstring path = WriteBitmapFile(L"pm_cache_test.bmp", 8, 6);
    ASSERT_FALSE(path.empty());
    const TImageInfo* plain = pm.GetImageEx(path.c_str());
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(8, plain->nX);
    EXPECT_EQ(6, plain->nY);
    const TImageInfo* sized = pm.GetImageEx(path.c_str(), nullptr, 0, 16, 12, 0);
    ASSERT_NE(nullptr, sized);
    EXPECT_NE(plain, sized);
    EXPECT_EQ(plain, pm.GetImage(path.c_str()));
    wchar_t szKey[MAX_PATH + 32];
    swprintf(szKey, MAX_PATH + 32, L"%ls-16-12-00000000", path.c_str());
    EXPECT_EQ(sized, pm.GetImage(szKey));
    EXPECT_EQ(plain, pm.GetImageEx(path.c_str())) << "a second request is served from the cache";

    EXPECT_TRUE(pm.RemoveImage(path.c_str()));
    EXPECT_EQ(nullptr, pm.GetImage(path.c_str()));
    EXPECT_EQ(sized, pm.GetImage(szKey));
    EXPECT_FALSE(pm.RemoveImage(path.c_str()));
    ::DeleteFileW(path.c_str());
}

TEST_F(TablesTest, FailedImageLoadsCacheNothing)
{
    EXPECT_EQ(nullptr, pm.AddImage(L"no-such-image-anywhere.png"));
    EXPECT_EQ(nullptr, pm.GetImage(L"no-such-image-anywhere.png"));
    EXPECT_EQ(nullptr, pm.AddImage(L"name", L"PNG")) << "a resource type needs a numeric id";
    EXPECT_EQ(nullptr, pm.AddImage(L""));
}

TEST_F(TablesTest, DrawInfosAreParsedOnceAndCachedPerDescriptorAndModifier)
{
    TDrawInfo* p1 = pm.GetDrawInfo(L"file='x.png' source='0,0,10,10'", L"dest='1,2,3,4'");
    ASSERT_NE(nullptr, p1);
    EXPECT_STREQ(L"x.png", p1->sImageName.GetData());
    EXPECT_EQ(3, p1->rcDest.right);
    EXPECT_EQ(p1, pm.GetDrawInfo(L"file='x.png' source='0,0,10,10'", L"dest='1,2,3,4'"));
    EXPECT_NE(p1, pm.GetDrawInfo(L"file='x.png' source='0,0,10,10'", L""));
    EXPECT_EQ(nullptr, pm.GetDrawInfo(L"", L""));
}


TEST_F(TablesTest, ReloadingImagesReplacesThePixelsInPlace)
{
    std::wstring path = WriteBitmapFile(L"pm_reload_test.bmp", 8, 6);
    ASSERT_FALSE(path.empty());
    const TImageInfo* before = pm.GetImageEx(path.c_str());
    ASSERT_NE(nullptr, before);
    ASSERT_EQ(path, WriteBitmapFile(L"pm_reload_test.bmp", 12, 4));
    pm.ReloadImages();
    const TImageInfo* after = pm.GetImage(path.c_str());
    EXPECT_EQ(before, after) << "the record stays where it was";
    ASSERT_NE(nullptr, after);
    EXPECT_EQ(12, after->nX);
    EXPECT_EQ(4, after->nY);
    ::DeleteFileW(path.c_str());
    pm.ReloadImages();
    EXPECT_EQ(nullptr, pm.GetImage(path.c_str())) << "an image that no longer loads leaves the cache";
}

TEST_F(TablesTest, ImageStringsNameTheImageByFileOrRes)
{
    std::wstring path = WriteBitmapFile(L"pm_string_test.bmp", 5, 5);
    ASSERT_FALSE(path.empty());
    std::wstring descriptor = L"file='" + path + L"' source='0,0,2,2'";
    const TImageInfo* p = pm.GetImageString(descriptor.c_str());
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(p, pm.GetImage(path.c_str()));
    std::wstring modifier = L"res='" + path + L"'";
    EXPECT_EQ(p, pm.GetImageString(L"file='unknown.png'", modifier.c_str())) << "the modifier wins";
    EXPECT_EQ(p, pm.GetImageString(path.c_str())) << "a bare descriptor is the name";
    ::DeleteFileW(path.c_str());
}

TEST(InitSize, ResizesTheWindowOnlyWhileNoTreeIsAttached)
{
    WindowHost wnd({50, 60, 350, 260}, WS_POPUP);
    wnd.Manager().SetInitSize(222, 111);
    RECT rc = {};
    ::GetWindowRect(wnd.Handle(), &rc);
    EXPECT_EQ(222, rc.right - rc.left);
    EXPECT_EQ(111, rc.bottom - rc.top);
    EXPECT_EQ(50, rc.left);
    wnd.Manager().AttachDialog(new CHorizontalLayoutUI);
    wnd.Manager().SetInitSize(333, 100);
    ::GetWindowRect(wnd.Handle(), &rc);
    EXPECT_EQ(222, rc.right - rc.left);
    EXPECT_EQ(333, wnd.Manager().GetInitSize().cx);
}

// ---------------------------------------------------------------------------
// HSL, colours, styles, defaults, custom attributes, option groups

TEST(GlobalHsl, ValuesAreClampedToTheirRanges)
{
    CPaintManagerUI::SetHSL(true, 400, -5, 300);
    short h = 0, s = 0, l = 0;
    CPaintManagerUI::GetHSL(&h, &s, &l);
    EXPECT_EQ(360, h);
    EXPECT_EQ(0, s);
    EXPECT_EQ(200, l);
    CPaintManagerUI::SetHSL(false, 180, 100, 100);
    CPaintManagerUI::GetHSL(&h, &s, &l);
    EXPECT_EQ(180, h);
    EXPECT_FALSE(CPaintManagerUI::IsUseHSL());
    CPaintManagerUI::SetHSL(false, 10, 10, 10);  // off and staying off: ignored
    CPaintManagerUI::GetHSL(&h, &s, &l);
    EXPECT_EQ(180, h);
}

TEST(DefaultColours, SharedChangesReachManagersStillOnTheSharedValue)
{
    CPaintManagerUI mine;
    CPaintManagerUI customised;
    const DWORD dwOld = mine.GetDefaultFontColor();
    customised.SetDefaultFontColor(0xFF112233);
    mine.SetDefaultFontColor(0xFF445566, true);
    EXPECT_EQ(0xFF445566u, mine.GetDefaultFontColor());
    EXPECT_EQ(0xFF112233u, customised.GetDefaultFontColor());
    CPaintManagerUI later;
    EXPECT_EQ(0xFF445566u, later.GetDefaultFontColor());
    later.SetDefaultFontColor(0xFF000001);
    EXPECT_EQ(0xFF445566u, mine.GetDefaultFontColor()) << "a plain set changes one manager";
    mine.SetDefaultFontColor(dwOld, true);
    CPaintManagerUI fresh;
    EXPECT_EQ(0xFFA7A6AAu, fresh.GetDefaultDisabledColor());
    EXPECT_EQ(0xFF0000FFu, fresh.GetDefaultLinkFontColor());
    EXPECT_EQ(0xFFD3215Fu, fresh.GetDefaultLinkHoverFontColor());
    EXPECT_EQ(0xFFBAE4FFu, fresh.GetDefaultSelectedBkColor());
}

TEST_F(TablesTest, StylesAndDefaultListsPreferTheWindowsOwnEntries)
{
    pm.AddStyle(L"s", L"width=\"1\"", true);
    EXPECT_STREQ(L"width=\"1\"", pm.GetStyle(L"s"));
    pm.AddStyle(L"s", L"width=\"2\"");
    EXPECT_STREQ(L"width=\"2\"", pm.GetStyle(L"s"));
    pm.AddStyle(L"s", L"width=\"3\"");  // replaces
    EXPECT_STREQ(L"width=\"3\"", pm.GetStyle(L"s"));
    EXPECT_TRUE(pm.RemoveStyle(L"s"));
    EXPECT_STREQ(L"width=\"1\"", pm.GetStyle(L"s"));
    EXPECT_EQ(nullptr, pm.GetStyle(L"missing"));
    EXPECT_EQ(1, pm.GetStyles(true).GetSize());

    pm.AddDefaultAttributeList(L"Button", L"height=\"30\"");
    EXPECT_STREQ(L"height=\"30\"", pm.GetDefaultAttributeList(L"Button"));
    EXPECT_EQ(nullptr, pm.GetDefaultAttributeList(L"button")) << "class names compare exactly";
    pm.SetForceUseSharedRes(true);
    pm.AddDefaultAttributeList(L"Label", L"x=\"1\"");
    pm.SetForceUseSharedRes(false);
    CPaintManagerUI other;
    EXPECT_STREQ(L"x=\"1\"", other.GetDefaultAttributeList(L"Label")) << "forced into the shared table";
}

TEST_F(TablesTest, WindowCustomAttributesKeepTheFirstValueAndIgnoreEmptyOnes)
{
    pm.AddWindowCustomAttribute(L"k", L"a");
    pm.AddWindowCustomAttribute(L"k", L"b");
    pm.AddWindowCustomAttribute(L"", L"c");
    pm.AddWindowCustomAttribute(L"e", L"");
    EXPECT_STREQ(L"a", pm.GetWindowCustomAttribute(L"k"));
    EXPECT_EQ(nullptr, pm.GetWindowCustomAttribute(L"e"));
    EXPECT_TRUE(pm.RemoveWindowCustomAttribute(L"k"));
    EXPECT_FALSE(pm.RemoveWindowCustomAttribute(L"k"));
}

TEST_F(TablesTest, OptionGroupsRefuseDuplicatesAndDisappearWhenEmpty)
{
    CControlUI one, two;
    EXPECT_TRUE(pm.AddOptionGroup(L"g", &one));
    EXPECT_FALSE(pm.AddOptionGroup(L"g", &one));
    EXPECT_TRUE(pm.AddOptionGroup(L"g", &two));
    ASSERT_NE(nullptr, pm.GetOptionGroup(L"g"));
    EXPECT_EQ(2, pm.GetOptionGroup(L"g")->GetSize());
    EXPECT_EQ(&one, pm.GetOptionGroup(L"g")->GetAt(0));
    pm.RemoveOptionGroup(L"g", &one);
    pm.RemoveOptionGroup(L"g", &two);
    EXPECT_EQ(nullptr, pm.GetOptionGroup(L"g"));
}

}  // namespace
