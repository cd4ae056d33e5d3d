// Prints timings of the support types' hot paths: short-string handling
// (which must never touch the heap), name lookups and pointer searches.
#include <windows.h>

#include <stdio.h>
#include <string>
#include <vector>

#include "bench/BenchClock.h"
#include "ui/support/StdPtrArray.h"
#include "ui/support/StdStringPtrMap.h"
#include "ui/support/UIString.h"

using namespace Veneer;

namespace {

using bench::NowMs;

template <typename F>
void Measure(const char* name, int iterations, F body)
{
    double start = NowMs();
    for (int i = 0; i < iterations; ++i)
        body(i);
    double ms = NowMs() - start;
    printf("%-44s %10d ops %9.2f ms %8.1f ns/op\n", name, iterations, ms, ms * 1e6 / iterations);
}

volatile int g_sink;

} // namespace

int main()
{
    Measure("CUIString short copy + append + compare", 1000000, [](int i) {
        CUIString s(L"btn_Install");
        s += L"_hot";
        g_sink = g_sink + (s == L"btn_Install_hot") + i;
    });
    Measure("CUIString 1000-char build by appends", 2000, [](int) {
        CUIString s;
        for (int k = 0; k < 100; ++k)
            s.Append(L"0123456789");
        g_sink = g_sink + s.GetLength();
    });
    Measure("CUIString SmallFormat of a rectangle", 200000, [](int i) {
        CUIString s;
        s.SmallFormat(L"%ld,%ld,%ld,%ld", static_cast<long>(i), 2L, 3L, 4L);
        g_sink = g_sink + s.GetLength();
    });

    CStdStringPtrMap map;
    std::wstring names[1000];
    for (int i = 0; i < 1000; ++i)
    {
        names[i] = L"control_" + std::to_wstring(i);
        map.Insert(names[i].c_str(), &names[i]);
    }
    Measure("CStdStringPtrMap Find, 1000 keys, 83 buckets", 1000000, [&](int i) {
        g_sink = g_sink + (map.Find(names[(i * 7) % 1000].c_str()) != nullptr);
    });
    Measure("CStdStringPtrMap Find, one hot key", 1000000, [&](int) {
        g_sink = g_sink + (map.Find(names[500].c_str()) != nullptr);
    });

    // A window's clean-up visits every entry of its tables: once over, each costs no more than a look-up.
    std::vector<std::wstring> keys(20000);
    CStdStringPtrMap table;
    for (size_t i = 0; i < keys.size(); ++i)
        table.Insert((keys[i] = L"image_" + std::to_wstring(i) + L".png").c_str(), &keys[i]);
    const int n = static_cast<int>(keys.size());
    table.ForEach([](LPCTSTR, LPVOID data) { g_sink = g_sink + (data != nullptr); });  // warm
    Measure("CStdStringPtrMap visit of every entry, 20000", 50 * n, [&](int i) {
        if (i % n == 0) table.ForEach([](LPCTSTR, LPVOID data) { g_sink = g_sink + (data != nullptr); });
    });
    Measure("CStdStringPtrMap Find of every entry, 20000", 50 * n, [&](int i) {
        g_sink = g_sink + (table.Find(keys[static_cast<size_t>(i % n)].c_str(), false) != nullptr);
    });

    for (bool bMap : {false, true})
    {
        CStdPtrArray a(0, bMap);
        for (int i = 0; i < 5000; ++i)
            a.Add(reinterpret_cast<void*>(static_cast<INT_PTR>(16 * (i + 1))));
        Measure(bMap ? "CStdPtrArray Find, 5000 items, index map" : "CStdPtrArray Find, 5000 items, linear", 20000,
                [&](int i) { g_sink = g_sink + a.Find(reinterpret_cast<void*>(static_cast<INT_PTR>(16 * ((i * 13) % 5000 + 1)))); });
    }
    return 0;
}
