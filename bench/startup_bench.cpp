// Start-up to first paint: starts each given program in turn, waits until its message loop is first idle
// (WaitForInputIdle: the first paint has been handled and the queue is empty), then ends it. The programs
// alternate, so a warming cache or a busy moment does not favour one of them. Prints the median per program.
//   bench_startup.exe <runs> <program.exe>...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double NowMs()
{
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Milliseconds from CreateProcess to the first idle message loop, or a negative value on failure.
double StartOnce(const std::wstring& program)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const double start = NowMs();
    if (!::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return -1;
    const DWORD wait = ::WaitForInputIdle(process.hProcess, 30000);
    const double elapsed = NowMs() - start;
    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, 10000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return wait == 0 ? elapsed : -1;
}

double Median(std::vector<double> values)
{
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::printf("usage: bench_startup <runs> <program.exe>...\n");
        return 2;
    }
    const int runs = std::max(1, _wtoi(argv[1]));
    std::vector<std::vector<double>> times(static_cast<size_t>(argc - 2));
    // One unmeasured start each: the first start of a program maps its file for the first time.
    for (int p = 2; p < argc; ++p) StartOnce(argv[p]);
    for (int run = 0; run < runs; ++run) {
        for (int p = 2; p < argc; ++p) {
            const double ms = StartOnce(argv[p]);
            if (ms >= 0) times[static_cast<size_t>(p - 2)].push_back(ms);
        }
    }
    for (int p = 2; p < argc; ++p) {
        const std::vector<double>& t = times[static_cast<size_t>(p - 2)];
        std::printf("startup %ls: median %.1f ms over %u runs\n", argv[p], Median(t), static_cast<unsigned>(t.size()));
    }
    return 0;
}
