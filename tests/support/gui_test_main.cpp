// Entry of the test programs that open windows. The verdict is final once the tests have run: under
// Wine on a display without a window manager, tearing down the display connection at process exit has
// been seen to stall for minutes, so the program reports and ends without that tear-down.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
