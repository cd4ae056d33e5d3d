// Entry of every test program. The verdict is final once the tests have run, so the program reports it and
// ends at once: nothing left in the window system's or the network libraries' tear-down (a thread of a
// finished test still inside a DLL, a window's last messages) can hold up a run that has already passed.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

LPTOP_LEVEL_EXCEPTION_FILTER g_pfnStartupFilter = nullptr;

// Ends the program as failed, after what the tests reported so far.
void FailNow(const char* pstrWhat, const ::testing::TestInfo* pTest)
{
    std::fflush(stdout);
    std::fprintf(stderr, "\nFATAL: %s in %s.%s\n", pstrWhat, pTest ? pTest->test_suite_name() : "(no test)",
                 pTest ? pTest->name() : "");
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), 3);
}

// Wine, like 64-bit Windows, swallows an access violation raised inside a window procedure or a timer
// callback, and the test would go on as if nothing happened: a vectored handler sees the fault first.
LONG CALLBACK FailOnCrash(EXCEPTION_POINTERS* pInfo)
{
    static const DWORD kFatal[] = {EXCEPTION_ACCESS_VIOLATION, EXCEPTION_IN_PAGE_ERROR, EXCEPTION_ILLEGAL_INSTRUCTION,
                                   EXCEPTION_PRIV_INSTRUCTION, EXCEPTION_INT_DIVIDE_BY_ZERO, EXCEPTION_STACK_OVERFLOW,
                                   EXCEPTION_ARRAY_BOUNDS_EXCEEDED, 0xC0000374 /* heap */, 0xC0000409 /* stack */};
    const EXCEPTION_RECORD* pRecord = pInfo->ExceptionRecord;
    if (std::find(std::begin(kFatal), std::end(kFatal), pRecord->ExceptionCode) == std::end(kFatal)) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    // A test that reports crashes itself (the fuzz driver counts them and goes on) keeps its own report.
    LPTOP_LEVEL_EXCEPTION_FILTER pfnNow = ::SetUnhandledExceptionFilter(nullptr);
    ::SetUnhandledExceptionFilter(pfnNow);
    if (pfnNow != g_pfnStartupFilter) return EXCEPTION_CONTINUE_SEARCH;
    // Module-relative addresses of the fault and its callers, for addr2line.
    void* frames[24] = {pRecord->ExceptionAddress};
    const USHORT nFrames = static_cast<USHORT>(1 + ::RtlCaptureStackBackTrace(0, 23, frames + 1, nullptr));
    std::fprintf(stderr, "\nexception 0x%08lX, stack:", pRecord->ExceptionCode);
    for (USHORT i = 0; i < nFrames; ++i) {
        HMODULE hModule = nullptr;
        char name[MAX_PATH] = "?";
        ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             static_cast<LPCSTR>(frames[i]), &hModule);
        ::GetModuleFileNameA(hModule, name, MAX_PATH);
        const char* pBase = std::strrchr(name, '\\');
        std::fprintf(stderr, " %s+0x%llx", pBase != nullptr ? pBase + 1 : name,
                     static_cast<unsigned long long>(static_cast<char*>(frames[i]) - reinterpret_cast<char*>(hModule)));
    }
    FailNow("crash", ::testing::UnitTest::GetInstance()->current_test_info());
    return EXCEPTION_CONTINUE_SEARCH;
}

// Wine notices a write into a freed heap block, or past the end of a live one, only when the heap is validated.
class HeapCheck : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo& test) override
    {
        HANDLE heaps[64];
        const DWORD n = std::min<DWORD>(::GetProcessHeaps(64, heaps), 64);
        for (DWORD i = 0; i < n; ++i) {
            if (!::HeapValidate(heaps[i], 0, nullptr)) FailNow("heap corrupted", &test);
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
