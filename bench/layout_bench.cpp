// Benchmark: layout and full paint of generated control trees of about 1,000,
// 10,000 and 100,000 controls (vertical groups of horizontal rows of labels),
// plus 10,000 name look-ups. Prints the time per control and the number of heap
// allocations made during re-layouts and look-ups.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <vector>

#include "bench/BenchClock.h"
#include "tests/support/Canvas.h"
#include "tests/support/WindowHost.h"
#include "ui/controls/UILabel.h"
#include "ui/controls/UIVerticalLayout.h"
#include "ui/controls/UIHorizontalLayout.h"

using namespace Veneer;

namespace {

std::atomic<long> g_allocations(0);

using bench::Now;

const int kLabelWidth = 12;
const int kLabelHeight = 6;
const int kLabelsPerRow = 100;
const int kRowsPerGroup = 10;

struct GeneratedTree
{
    CVerticalLayoutUI* root = nullptr;
    int nControls = 0;
    int nLabels = 0;
    SIZE size = {0, 0};
};

// Builds root -> groups (vertical, fixed height) -> rows (horizontal) -> labels.
// Undecorated trees hold plain controls without colour or text: painting them
// measures the walk itself, without the cost of the drawing primitives.
GeneratedTree BuildTree(int nLabels, bool bDecorated)
{
    GeneratedTree t;
    t.root = new CVerticalLayoutUI();
    t.root->SetName(L"root");
    t.nControls = 1;
    int nRows = (nLabels + kLabelsPerRow - 1) / kLabelsPerRow;
    int nGroups = (nRows + kRowsPerGroup - 1) / kRowsPerGroup;
    int iLabel = 0;
    wchar_t name[32];
    for (int g = 0; g < nGroups; ++g) {
        CVerticalLayoutUI* group = new CVerticalLayoutUI();
        group->SetFixedHeight(kRowsPerGroup * kLabelHeight);
        t.root->Add(group);
        ++t.nControls;
        for (int r = 0; r < kRowsPerGroup && iLabel < nLabels; ++r) {
            CHorizontalLayoutUI* row = new CHorizontalLayoutUI();
            group->Add(row);
            ++t.nControls;
            for (int l = 0; l < kLabelsPerRow && iLabel < nLabels; ++l, ++iLabel) {
                CControlUI* label = bDecorated ? new CLabelUI() : new CControlUI();
                label->SetFixedWidth(kLabelWidth);
                wsprintfW(name, L"lbl%d", iLabel);
                label->SetName(name);
                if (bDecorated) {
                    label->SetText(L"Lb");
                    label->SetBkColor((iLabel & 1) ? 0xFFE0E0F0 : 0xFFF0E0E0);
                }
                row->Add(label);
                ++t.nControls;
            }
        }
    }
    t.nLabels = nLabels;
    t.size.cx = kLabelsPerRow * kLabelWidth;
    t.size.cy = nGroups * kRowsPerGroup * kLabelHeight;
    return t;
}

struct Figures
{
    int nControls;
    double layoutPerControlUs;
    double paintPerControlUs;
    long layoutAllocations;
};

Figures Measure(int nLabels, bool bLookups, bool bDecorated)
{
    test_support::WindowHost host({0, 0, 640, 480});
    GeneratedTree t = BuildTree(nLabels, bDecorated);
    double t0 = Now();
    host.Manager().AttachDialog(t.root);
    double tAttach = Now() - t0;

    RECT rc = {0, 0, t.size.cx, t.size.cy};
    test_support::Canvas canvas(t.size.cx, t.size.cy);

    // First layout and paint separately (caches warm up), then the best of a few rounds.
    t.root->SetPos(rc, true);
    t.root->Paint(canvas.DC(), rc);

    const int kRounds = 2;
    double bestLayout = 1e30;
    double bestPaint = 1e30;
    long allocs = 0;
    for (int i = 0; i < kRounds; ++i) {
        long a0 = g_allocations.load();
        double s = Now();
        t.root->SetPos(rc, true);
        double e = Now();
        allocs = g_allocations.load() - a0;
        bestLayout = std::min(bestLayout, e - s);

        s = Now();
        t.root->Paint(canvas.DC(), rc);
        ::GdiFlush();
        e = Now();
        bestPaint = std::min(bestPaint, e - s);
    }

    Figures f;
    f.nControls = t.nControls;
    f.layoutPerControlUs = bestLayout * 1e6 / t.nControls;
    f.paintPerControlUs = bestPaint * 1e6 / t.nControls;
    f.layoutAllocations = allocs;
    printf("%s %7d controls: attach %8.2f ms, layout %8.2f ms (%.3f us/control), full paint %8.2f ms "
           "(%.3f us/control), heap allocations per re-layout %ld\n",
           bDecorated ? "labels" : "plain ", t.nControls, tAttach * 1e3, bestLayout * 1e3, f.layoutPerControlUs, bestPaint * 1e3,
           f.paintPerControlUs, allocs);

    if (bLookups) {
        const int kLookups = 10000;
        std::vector<std::wstring> names;
        names.reserve(kLookups);
        unsigned seed = 12345;
        for (int i = 0; i < kLookups; ++i) {
            seed = seed * 1103515245u + 12345u;
            wchar_t name[32];
            wsprintfW(name, L"lbl%d", static_cast<int>((seed >> 8) % static_cast<unsigned>(t.nLabels)));
            names.push_back(name);
        }
        int found = 0;
        long a0 = g_allocations.load();
        double s = Now();
        for (const std::wstring& n : names) found += host.Manager().FindControl(n.c_str()) != nullptr ? 1 : 0;
        double e = Now();
        long lookupAllocs = g_allocations.load() - a0;
        printf("%7d name look-ups in a tree of %d controls: %.2f ms (%.3f us/look-up), %d found, "
               "heap allocations %ld\n",
               kLookups, t.nControls, (e - s) * 1e3, (e - s) * 1e6 / kLookups, found, lookupAllocs);

        // Mouse moves routed through the manager: hit test, hot-control changes, events.
        const int kMoves = 10000;
        LRESULT lRes = 0;
        a0 = g_allocations.load();
        s = Now();
        for (int i = 0; i < kMoves; ++i) {
            int x = (i * 37) % 640;
            int y = (i * 53) % 480;
            host.Manager().MessageHandler(WM_MOUSEMOVE, 0, MAKELPARAM(x, y), lRes);
        }
        e = Now();
        printf("%7d mouse moves routed: %.2f ms (%.3f us/message), heap allocations %ld\n", kMoves,
               (e - s) * 1e3, (e - s) * 1e6 / kMoves, g_allocations.load() - a0);

        // Every move event carries the key state: the message's own flags plus one read of Alt, which under
        // Wine is a round trip to its server. Its cost is printed apart from the routing's own.
        s = Now();
        for (int i = 0; i < kMoves; ++i) ::GetKeyState(VK_MENU);
        e = Now();
        printf("%7d key-state queries: %.2f ms (%.3f us/query)\n", kMoves, (e - s) * 1e3, (e - s) * 1e6 / kMoves);

        // The same names found by walking the tree (no name table), on a smaller sample.
        const int kWalks = 20;
        s = Now();
        int walked = 0;
        for (int i = 0; i < kWalks; ++i) {
            walked += host.Manager().FindSubControlByName(t.root, names[i].c_str()) != nullptr ? 1 : 0;
        }
        e = Now();
        printf("%7d look-ups by tree walk: %.2f ms (%.3f ms/look-up), %d found\n", kWalks, (e - s) * 1e3,
               (e - s) * 1e3 / kWalks, walked);
    }
    return f;
}

} // namespace

// Counts every heap allocation of the process (the figures above report them).
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(size_t n)
{
    ++g_allocations;
    void* p = malloc(n ? n : 1);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

void operator delete(void* p) noexcept
{
    free(p);
}

void operator delete(void* p, size_t) noexcept
{
    free(p);
}

// Optional argument: a divisor of the tree sizes (bench/run.sh --quick runs small trees).
int main(int argc, char** argv)
{
    const int divisor = argc > 1 ? std::max(1, atoi(argv[1])) : 1;
    printf("Layout and full paint of generated trees (groups of rows of %d x %d px labels)\n", kLabelWidth,
           kLabelHeight);
    for (int pass = 0; pass < 2; ++pass) {
        bool bDecorated = pass == 0;
        Figures small = Measure(990 / divisor, false, bDecorated);
        Measure(9900 / divisor, false, bDecorated);
        Figures large = Measure(99000 / divisor, !bDecorated, bDecorated);
        printf("%s: time per control at %d vs %d controls: layout x%.2f, paint x%.2f (goal: within x1.5)\n",
               bDecorated ? "labels" : "plain", large.nControls, small.nControls,
               large.layoutPerControlUs / small.layoutPerControlUs, large.paintPerControlUs / small.paintPerControlUs);
    }
    return 0;
}
