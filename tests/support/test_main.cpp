// Entry of every test program. The verdict is final once the tests have run, so the program reports it and
// ends at once: nothing left in the window system's or the network libraries' tear-down (a thread of a
// finished test still inside a DLL, a window's last messages) can hold up a run that has already passed.
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
