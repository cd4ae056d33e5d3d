// Running the package: success only for a run that ends in time with exit code 0 (or a restart code), in its own
// folder; output can never stall it; a run that outlives its limit is ended with everything it started; a
// cancelled wait leaves the package to finish.
#include "ServiceFixture.h"

#include "installer/install/ProcessRunner.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <cwchar>
#include <string>
#include <thread>

namespace {

int CountRunningPackages()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, L"CORVEX_Online.exe") == 0)
            ++count;
    CloseHandle(snapshot);
    return count;
}

void EndRunningPackages()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, L"CORVEX_Online.exe") != 0)
            continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (process != nullptr) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

class PackageRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = standin::TempPath(L"pavonel-run-test\\Lumbra\\");
        m_params = {};
        swprintf(m_params.szProgram, 260, L"\"%ls\"", standin::SamplePackagePath().c_str());
        swprintf(m_params.szParameters, 2048, L"/VERYSILENT /SP- /NORESTART /DIR=\"%ls\"", m_dir.c_str());
        m_params.dwTimeoutMs = 60000;
        DeleteFileW(standin::TempPath(L"Pavonel-SamplePackage.txt").c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableW(L"PAVONEL_SAMPLE_PACKAGE_MODE", nullptr);
        EndRunningPackages();
    }
    void Mode(const wchar_t* mode) { SetEnvironmentVariableW(L"PAVONEL_SAMPLE_PACKAGE_MODE", mode); }

    std::wstring m_dir;
    ProcessRunParams m_params;
};

} // namespace

TEST_F(PackageRun, CleanRunSucceedsAndGetsTheFolderWithItsTrailingBackslash)
{
    Mode(L"nokey");
    EXPECT_EQ(1, RunProcessAndWait(&m_params));
    EXPECT_TRUE(standin::FileExists(m_dir + L"AppRun.exe"));
    const std::wstring record = standin::ReadUtf8File(standin::TempPath(L"Pavonel-SamplePackage.txt"));
    EXPECT_NE(std::wstring::npos, record.find(L"dir=" + m_dir + L"\r\n")) << record.c_str();
    EXPECT_NE(std::wstring::npos, record.find(L"/VERYSILENT /SP- /NORESTART /DIR=\"" + m_dir + L"\""));
    const std::wstring package = standin::SamplePackagePath();
    EXPECT_NE(std::wstring::npos, record.find(L"cwd=" + package.substr(0, package.rfind(L'\\')) + L"\r\n"))
        << record.c_str();
}

TEST_F(PackageRun, NonZeroExitCodeIsAFailedRun)
{
    Mode(L"fail");
    EXPECT_EQ(0, RunProcessAndWait(&m_params));
    EXPECT_TRUE(standin::FileExists(standin::TempPath(L"Pavonel-SamplePackage.txt"))); // it did run
}

TEST_F(PackageRun, TalkativePackageIsNeverHeldUpByItsOutput)
{
    Mode(L"talk");
    const DWORD start = GetTickCount();
    EXPECT_EQ(1, RunProcessAndWait(&m_params));
    EXPECT_LT(GetTickCount() - start, 30000u);
}

TEST_F(PackageRun, PackageStillRunningAtTheLimitIsEndedWithItsChildAndFails)
{
    Mode(L"spawn");
    m_params.dwTimeoutMs = 3000;
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, RunProcessAndWait(&m_params));
    EXPECT_LT(GetTickCount() - start, 10000u);
    const std::wstring record = standin::ReadUtf8File(standin::TempPath(L"Pavonel-SamplePackage.txt"));
    EXPECT_NE(std::wstring::npos, record.find(L"child started")) << "the package started no child";
    EXPECT_EQ(0, CountRunningPackages());
}

TEST_F(PackageRun, CancelEndsTheWaitAndLeavesThePackageRunning)
{
    Mode(L"hang");
    HANDLE cancel = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_params.hCancelEvent = cancel;
    std::thread leaver([cancel]() {
        Sleep(800);
        SetEvent(cancel);
    });
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, RunProcessAndWait(&m_params));
    leaver.join();
    EXPECT_LT(GetTickCount() - start, 5000u);
    // Half-way through copying files, killing the package could leave a broken product.
    EXPECT_EQ(1, CountRunningPackages());
    CloseHandle(cancel);
}

TEST_F(PackageRun, WithoutWaitingAStartedProgramCountsAsSuccess)
{
    Mode(L"hang");
    m_params.dwTimeoutMs = 0;
    const DWORD start = GetTickCount();
    EXPECT_EQ(1, RunProcessAndWait(&m_params));
    EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST_F(PackageRun, NothingToRunIsAFailure)
{
    EXPECT_EQ(0, RunProcessAndWait(nullptr));
    swprintf(m_params.szProgram, 260, L"\"C:\\no-such-folder\\CORVEX_Online.exe\"");
    EXPECT_EQ(0, RunProcessAndWait(&m_params));
}
