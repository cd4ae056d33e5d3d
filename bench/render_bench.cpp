// Repaint cost of a 690x460 skinned window: a nine-grid background, a dozen state images
// and a few hundred characters of plain and markup text, against one BitBlt of the finished
// picture (the floor). Also proves that repaints neither decode images nor parse descriptors.
//
// Part 1 paints straight through the render engine into an off-screen bitmap; part 2 builds
// the same window from markup and times the paint manager's whole WM_PAINT pass.
#include <windows.h>

#include <stdio.h>

#include <objidl.h>
#include <gdiplus.h>

#include <string>
#include <vector>

#include "bench/BenchClock.h"
#include "ui/controls/UIControl.h"
#include "ui/controls/UIProgress.h"
#include "ui/core/UIDlgBuilder.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"

#include "tests/support/Canvas.h"
#include "tests/support/PngWriter.h"
#include "tests/support/ScratchFolder.h"

using namespace Veneer;

namespace {

const int kWidth = 690;
const int kHeight = 460;
const int kRounds = 200;

std::vector<BYTE> Png(int w, int h, DWORD (*pixel)(int, int))
{
    std::vector<DWORD> argb;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) argb.push_back(pixel(x, y));
    return test_support::MakePng(w, h, argb);
}

using bench::NowMs;

const wchar_t* kText =
    L"Lumbra is installed into the folder below. The installer downloads the current package, runs it "
    L"silently and records the folder for the product. Leaving before the install has finished asks "
    L"for confirmation first; the offline package can be downloaded by hand at any time.";
const wchar_t* kHtml =
    L"I have read and agree to the <a licence><b>licence agreement</b></a> of {c #0066CC}Tarvix{/c}. "
    L"<n>Space needed: <b>350 MB</b>, available: <c #008000>12.4 GB</c>. <u>Change the folder</u> if needed.";

class Scene {
public:
    explicit Scene(const test_support::ScratchFolder& folder) : m_folder(folder) {}

    void WriteImages()
    {
        m_folder.Write(L"bg.png", Png(100, 100, [](int x, int y) -> DWORD {
                      const bool border = x < 10 || y < 10 || x >= 90 || y >= 90;
                      return border ? 0xFF3C6E9Bu : 0xFFF4F6F8u - static_cast<DWORD>((y / 10) * 0x010101);
                  }));
        m_folder.Write(L"btn.png", Png(192, 48, [](int x, int y) -> DWORD {
                      const DWORD a = (x % 48 < 4 || y < 4) ? 0x80u : 0xFFu;
                      return (a << 24) | ((x < 96 ? 0x2080C0u : 0x40A0E0u) + static_cast<DWORD>(y));
                  }));
    }

    // One full repaint of the scene straight through the render engine.
    void Paint(HDC hDC, CPaintManagerUI* pm) const
    {
        PaintBackground(hDC, pm);
        PaintStates(hDC, pm);
        PaintText(hDC, pm);
    }
    void PaintBackground(HDC hDC, CPaintManagerUI* pm) const
    {
        const RECT rcAll = {0, 0, kWidth, kHeight};
        CRenderEngine::DrawImageString(hDC, pm, rcAll, rcAll, L"file='bg.png' corner='10,10,10,10'");
    }
    void PaintStates(HDC hDC, CPaintManagerUI* pm) const
    {
        const RECT rcAll = {0, 0, kWidth, kHeight};
        static const wchar_t* states[] = {L"dest='0,0,48,48'", L"dest='0,0,48,48'"};
        for (int i = 0; i < 12; ++i) {
            const RECT rcItem = {20 + (i % 6) * 100, 20 + (i / 6) * 70, 68 + (i % 6) * 100, 68 + (i / 6) * 70};
            const wchar_t* image = (i % 3 == 0) ? L"file='btn.png' source='48,0,96,48'"
                                                : L"file='btn.png' source='0,0,48,48'";
            CRenderEngine::DrawImageString(hDC, pm, rcItem, rcAll, image, states[i % 2]);
        }
    }
    void PaintText(HDC hDC, CPaintManagerUI* pm) const
    {
        RECT rcText = {20, 180, 670, 300};
        CRenderEngine::DrawText(hDC, pm, rcText, kText, 0xFF333333, -1, DT_WORDBREAK | DT_NOPREFIX);
        RECT rcHtml = {20, 320, 670, 440};
        RECT links[4];
        CUIString texts[4];
        int n = 4;
        CRenderEngine::DrawHtmlText(hDC, pm, rcHtml, kHtml, 0xFF333333, links, texts, n, -1, DT_WORDBREAK);
    }

private:
    const test_support::ScratchFolder& m_folder;
};

void PrintLine(const char* what, double ms)
{
    printf("  %-44s %9.3f ms\n", what, ms);
}

void DirectPaint(const test_support::ScratchFolder& folder)
{
    HWND hWnd = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    CPaintManagerUI pm;
    pm.Init(hWnd);
    Scene scene(folder);
    test_support::Canvas offscreen(kWidth, kHeight), target(kWidth, kHeight);

    const LONG decode0 = CRenderEngine::GetDecodeCount();
    const LONG parse0 = CRenderEngine::GetParseCount();
    double t = NowMs();
    scene.Paint(offscreen.DC(), &pm);
    const double first = NowMs() - t;
    const LONG decode1 = CRenderEngine::GetDecodeCount();
    const LONG parse1 = CRenderEngine::GetParseCount();

    t = NowMs();
    for (int i = 0; i < kRounds; ++i) scene.Paint(offscreen.DC(), &pm);
    ::GdiFlush();
    const double repaint = (NowMs() - t) / kRounds;
    const LONG decode2 = CRenderEngine::GetDecodeCount();
    const LONG parse2 = CRenderEngine::GetParseCount();

    double parts[3] = {0, 0, 0};
    for (int i = 0; i < kRounds / 4; ++i) {
        t = NowMs();
        scene.PaintBackground(offscreen.DC(), &pm);
        ::GdiFlush();
        parts[0] += NowMs() - t;
        t = NowMs();
        scene.PaintStates(offscreen.DC(), &pm);
        ::GdiFlush();
        parts[1] += NowMs() - t;
        t = NowMs();
        scene.PaintText(offscreen.DC(), &pm);
        ::GdiFlush();
        parts[2] += NowMs() - t;
    }

    t = NowMs();
    for (int i = 0; i < kRounds; ++i) ::BitBlt(target.DC(), 0, 0, kWidth, kHeight, offscreen.DC(), 0, 0, SRCCOPY);
    ::GdiFlush();
    const double blit = (NowMs() - t) / kRounds;

    printf("Direct paint through the render engine (%dx%d, %d rounds)\n", kWidth, kHeight, kRounds);
    PrintLine("first paint (decodes and parses)", first);
    PrintLine("repaint, average", repaint);
    PrintLine("  of which nine-grid background", parts[0] / (kRounds / 4));
    PrintLine("  of which 12 state images", parts[1] / (kRounds / 4));
    PrintLine("  of which plain and markup text", parts[2] / (kRounds / 4));
    PrintLine("BitBlt of the finished picture, average", blit);
    printf("  %-44s %9.1f x\n", "repaint / BitBlt", blit > 0 ? repaint / blit : 0.0);
    printf("  %-44s %9ld decodes, %ld parses\n", "cache misses in the first paint", decode1 - decode0, parse1 - parse0);
    printf("  %-44s %9ld decodes, %ld parses\n", "cache misses in all repaints", decode2 - decode1, parse2 - parse1);

    // Small fills, as a label's background: the opaque ones skip GDI+.
    const int fills = 2000;
    t = NowMs();
    for (int i = 0; i < fills; ++i) CRenderEngine::DrawColor(offscreen.DC(), RECT{i % 600, 5, i % 600 + 12, 11}, 0xFF336699);
    ::GdiFlush();
    PrintLine("opaque 12x6 fill, average", (NowMs() - t) / fills);
    t = NowMs();
    for (int i = 0; i < fills; ++i) CRenderEngine::DrawColor(offscreen.DC(), RECT{i % 600, 5, i % 600 + 12, 11}, 0x80336699);
    ::GdiFlush();
    PrintLine("translucent 12x6 fill (GDI+), average", (NowMs() - t) / fills);
    ::DestroyWindow(hWnd);
}

// ---- the same window built from markup and painted by the paint manager ----

CPaintManagerUI* g_pm = nullptr;

// While set, the window paints as the barest program would: one BitBlt of a finished frame per WM_PAINT.
HDC g_bareFrame = nullptr;

LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT lRes = 0;
    if (g_bareFrame != nullptr && uMsg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hDC = ::BeginPaint(hWnd, &ps);
        ::BitBlt(hDC, 0, 0, kWidth, kHeight, g_bareFrame, 0, 0, SRCCOPY);
        ::EndPaint(hWnd, &ps);
        return 0;
    }
    if (g_pm != nullptr && g_pm->MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

// Average time of invalidating the area (the whole window when null) and letting the window paint it.
double AverageRepaint(HWND hWnd, const RECT* area)
{
    const double t = NowMs();
    for (int i = 0; i < kRounds; ++i) {
        ::InvalidateRect(hWnd, area, FALSE);
        ::UpdateWindow(hWnd);
    }
    ::GdiFlush();
    return (NowMs() - t) / kRounds;
}

// The same, with a window procedure that only blits the finished frame.
double AverageBareRepaint(HWND hWnd, const RECT* area, HDC frame)
{
    g_bareFrame = frame;
    const double time = AverageRepaint(hWnd, area);
    g_bareFrame = nullptr;
    return time;
}

std::wstring Markup()
{
    std::wstring xml = L"<Window size=\"690,460\"><VerticalLayout bkimage=\"file='bg.png' corner='10,10,10,10'\">";
    for (int row = 0; row < 2; ++row) {
        xml += L"<HorizontalLayout height=\"70\" padding=\"20,20,0,0\">";
        for (int i = 0; i < 6; ++i) {
            xml += L"<Button width=\"48\" height=\"48\" padding=\"0,0,52,0\" "
                   L"normalimage=\"file='btn.png' source='0,0,48,48'\" "
                   L"hotimage=\"file='btn.png' source='48,0,96,48'\" "
                   L"pushedimage=\"file='btn.png' source='96,0,144,48'\" />";
        }
        xml += L"</HorizontalLayout>";
    }
    xml += L"<Label height=\"120\" padding=\"20,20,20,0\" textcolor=\"#FF333333\" wordbreak=\"true\" text=\"";
    xml += kText;
    xml += L"\" /><Label height=\"120\" padding=\"20,20,20,0\" showhtml=\"true\" text=\"";
    std::wstring html = kHtml;
    std::wstring escaped;
    for (wchar_t ch : html) {
        if (ch == L'<') escaped += L"&lt;";
        else if (ch == L'>') escaped += L"&gt;";
        else if (ch == L'"') escaped += L"&quot;";
        else escaped += ch;
    }
    xml += escaped;
    // A download's progress bar and its percentage label, as on the installing page.
    xml += L"\" /><HorizontalLayout height=\"20\" padding=\"20,0,20,0\">"
           L"<Progress name=\"progress\" width=\"560\" min=\"0\" max=\"100\" value=\"0\" bkcolor=\"#FFE0E0E0\" "
           L"foreimage=\"file='btn.png' source='0,0,48,48' corner='4,4,4,4'\" />"
           L"<Label name=\"percent\" width=\"60\" textcolor=\"#FF333333\" text=\"0%\" /></HorizontalLayout>";
    xml += L"</VerticalLayout></Window>";
    return xml;
}

void ManagerPaint()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BenchRenderWindow";
    ::RegisterClassW(&wc);
    HWND hWnd = ::CreateWindowExW(0, L"BenchRenderWindow", L"", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    CPaintManagerUI pm;
    g_pm = &pm;
    pm.Init(hWnd);
    CDialogBuilder builder;
    const std::wstring xml = Markup();
    CControlUI* pRoot = builder.Create(STRINGorID(xml.c_str()), nullptr, nullptr, &pm);
    printf("Full window repaint by the paint manager (%dx%d, %d rounds)\n", kWidth, kHeight, kRounds);
    if (pRoot == nullptr || !pm.AttachDialog(pRoot)) {
        printf("  markup could not be built; skipped\n");
        g_pm = nullptr;
        ::DestroyWindow(hWnd);
        return;
    }
    ::ShowWindow(hWnd, SW_SHOWNOACTIVATE);
    double t = NowMs();
    ::InvalidateRect(hWnd, nullptr, FALSE);
    ::UpdateWindow(hWnd);
    const double first = NowMs() - t;
    const LONG decode1 = CRenderEngine::GetDecodeCount();
    const LONG parse1 = CRenderEngine::GetParseCount();

    const double repaint = AverageRepaint(hWnd, nullptr);
    const LONG decode2 = CRenderEngine::GetDecodeCount();
    const LONG parse2 = CRenderEngine::GetParseCount();

    test_support::Canvas finished(kWidth, kHeight);
    HDC hWindowDC = ::GetDC(hWnd);
    t = NowMs();
    for (int i = 0; i < kRounds; ++i) ::BitBlt(hWindowDC, 0, 0, kWidth, kHeight, finished.DC(), 0, 0, SRCCOPY);
    ::GdiFlush();
    const double blit = (NowMs() - t) / kRounds;
    ::ReleaseDC(hWnd, hWindowDC);
    // The same full repaint when the window procedure does nothing but that BitBlt: what the window system's
    // own round of invalidation, BeginPaint, EndPaint and presentation costs.
    const double barePaint = AverageBareRepaint(hWnd, nullptr, finished.DC());

    // A progress step during a download: the bar's value and its label's text change, then the window paints.
    auto* progress = static_cast<CProgressUI*>(pm.FindControl(L"progress"));
    CControlUI* percent = pm.FindControl(L"percent");
    double step = 0;
    double areaBlit = 0;
    double areaBarePaint = 0;
    if (progress != nullptr && percent != nullptr) {
        ::UpdateWindow(hWnd);
        t = NowMs();
        for (int i = 0; i < kRounds; ++i) {
            progress->SetValue(i % 100);
            wchar_t text[8];
            wsprintfW(text, L"%d%%", i % 100);
            percent->SetText(text);
            ::UpdateWindow(hWnd);
        }
        ::GdiFlush();
        step = (NowMs() - t) / kRounds;
        RECT area;
        ::UnionRect(&area, &progress->GetPos(), &percent->GetPos());
        hWindowDC = ::GetDC(hWnd);
        t = NowMs();
        for (int i = 0; i < kRounds; ++i)
            ::BitBlt(hWindowDC, area.left, area.top, area.right - area.left, area.bottom - area.top, finished.DC(),
                     area.left, area.top, SRCCOPY);
        ::GdiFlush();
        areaBlit = (NowMs() - t) / kRounds;
        ::ReleaseDC(hWnd, hWindowDC);
        areaBarePaint = AverageBareRepaint(hWnd, &area, finished.DC());
    }

    PrintLine("first paint (layout, decodes, parses)", first);
    PrintLine("repaint (WM_PAINT), average", repaint);
    PrintLine("BitBlt of 690x460 to the window, average", blit);
    PrintLine("bare WM_PAINT of one BitBlt, average", barePaint);
    printf("  %-44s %9.1f x\n", "repaint / BitBlt", blit > 0 ? repaint / blit : 0.0);
    printf("  %-44s %9ld decodes, %ld parses\n", "cache misses in all repaints", decode2 - decode1, parse2 - parse1);
    if (step > 0) {
        PrintLine("progress step repaint, average", step);
        PrintLine("BitBlt of the progress area, average", areaBlit);
        PrintLine("bare WM_PAINT of the progress area, average", areaBarePaint);
        printf("  %-44s %9.1f x\n", "progress step / BitBlt of its area", areaBlit > 0 ? step / areaBlit : 0.0);
    }
    g_pm = nullptr;
    ::DestroyWindow(hWnd);
}

} // namespace

int main()
{
    const test_support::ScratchFolder folder;
    Scene(folder).WriteImages();
    CPaintManagerUI::SetResourcePath(folder.Path().c_str());

    DirectPaint(folder);
    printf("\n");
    ManagerPaint();
    CPaintManagerUI::SetResourcePath(L"");
    return 0;
}
