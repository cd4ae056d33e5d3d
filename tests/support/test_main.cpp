// Entry of every test program. The verdict is final once the tests have run, so the program reports it and
// ends at once: nothing left in the window system's or the network libraries' tear-down (a thread of a
// finished test still inside a DLL, a window's last messages) can hold up a run that has already passed.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// Wine, like 64-bit Windows, swallows an access violation raised inside a window procedure or a timer
// callback, and the test then goes on as if nothing happened. A vectored handler sees the fault first:
// it names the fault and the running test and ends the program as failed.
LPTOP_LEVEL_EXCEPTION_FILTER g_pfnStartupFilter = nullptr;
constexpr UINT kCrashExitCode = 3;

bool IsFatal(DWORD dwCode)
{
    switch (dwCode) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_NONCONTINUABLE_EXCEPTION:
    case 0xC0000374:  // heap corruption
    case 0xC0000409:  // stack buffer overrun
        return true;
    default:
        return false;
    }
}

// "module+offset", which addr2line turns into a source line.
void PrintAddress(const void* pAddress)
{
    HMODULE hModule = nullptr;
    char name[MAX_PATH] = "?";
    if (::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             static_cast<LPCSTR>(pAddress), &hModule) &&
        ::GetModuleFileNameA(hModule, name, MAX_PATH) != 0) {
        const char* pBase = std::strrchr(name, '\\');
        std::fprintf(stderr, "  %s+0x%llx\n", pBase != nullptr ? pBase + 1 : name,
                     static_cast<unsigned long long>(static_cast<const char*>(pAddress) -
                                                     reinterpret_cast<const char*>(hModule)));
        return;
    }
    std::fprintf(stderr, "  %p\n", pAddress);
}

LONG CALLBACK FailOnCrash(EXCEPTION_POINTERS* pInfo)
{
    const EXCEPTION_RECORD* pRecord = pInfo->ExceptionRecord;
    if (!IsFatal(pRecord->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
    // A test that reports crashes itself (the fuzz driver counts them and goes on) keeps its own report.
    LPTOP_LEVEL_EXCEPTION_FILTER pfnNow = ::SetUnhandledExceptionFilter(nullptr);
    ::SetUnhandledExceptionFilter(pfnNow);
    if (pfnNow != g_pfnStartupFilter) return EXCEPTION_CONTINUE_SEARCH;

    std::fflush(stdout);  // the failures the test reported so far
    const ::testing::TestInfo* pTest = ::testing::UnitTest::GetInstance()->current_test_info();
    std::fprintf(stderr, "\nFATAL: exception 0x%08lX in %s.%s", pRecord->ExceptionCode,
                 pTest != nullptr ? pTest->test_suite_name() : "(no test)", pTest != nullptr ? pTest->name() : "");
    if (pRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && pRecord->NumberParameters >= 2) {
        std::fprintf(stderr, " (%s %p)", pRecord->ExceptionInformation[0] == 0 ? "reading" : "writing",
                     reinterpret_cast<void*>(pRecord->ExceptionInformation[1]));
    }
    std::fprintf(stderr, "\n at\n");
    PrintAddress(pRecord->ExceptionAddress);
    void* frames[32];
    const USHORT nFrames = ::RtlCaptureStackBackTrace(0, 32, frames, nullptr);
    std::fprintf(stderr, " stack\n");
    for (USHORT i = 0; i < nFrames; ++i) PrintAddress(frames[i]);
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), kCrashExitCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

// Wine notices a write into a freed heap block, or past the end of a live one, only when the heap is validated.
class HeapCheck : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo& test) override
    {
        HANDLE heaps[64];
        const DWORD n = ::GetProcessHeaps(64, heaps);
        for (DWORD i = 0; i < n && i < 64; ++i) {
            if (::HeapValidate(heaps[i], 0, nullptr)) continue;
            std::fflush(stdout);
            std::fprintf(stderr, "\nFATAL: heap %p corrupted in %s.%s\n", heaps[i], test.test_suite_name(), test.name());
            std::fflush(stderr);
            ::TerminateProcess(::GetCurrentProcess(), kCrashExitCode);
        }
    }
};

}  // namespace

int main(int argc, char** argv)
{
    g_pfnStartupFilter = ::SetUnhandledExceptionFilter(nullptr);
    ::SetUnhandledExceptionFilter(g_pfnStartupFilter);
    ::AddVectoredExceptionHandler(1, &FailOnCrash);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new HeapCheck);
    const int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
