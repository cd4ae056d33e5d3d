// The one clock of the Veneer benchmarks: the performance counter, read as milliseconds.
#pragma once

#include <windows.h>

namespace bench {

inline double NowMs()
{
    static const double s_ticksPerMs = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / s_ticksPerMs;
}

// Seconds on the same clock.
inline double Now()
{
    return NowMs() / 1000.0;
}

} // namespace bench
