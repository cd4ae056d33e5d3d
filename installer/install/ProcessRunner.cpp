#include "installer/install/ProcessRunner.h"

#include "installer/net/InstallLog.h"
#include "installer/net/WinHandle.h"

#include <string>

namespace {

// The null device, inheritable: the child's output goes nowhere instead of into a pipe nobody empties.
CWinHandle OpenInheritableNullDevice()
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return CWinHandle(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

int WaitForExit(HANDLE process, const ProcessRunParams& params)
{
    HANDLE waits[2] = {process, params.hCancelEvent};
    const DWORD count = params.hCancelEvent != nullptr ? 2 : 1;
    const DWORD waited = WaitForMultipleObjects(count, waits, FALSE, params.dwTimeoutMs);
    if (waited != WAIT_OBJECT_0) {
        // Still running at the limit, or the user is leaving: end it, and the run has failed.
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        CInstallLog::Write(waited == WAIT_TIMEOUT ? L"package still running after %lu ms: ended"
                                                  : L"package run cancelled after up to %lu ms: ended",
                           params.dwTimeoutMs);
        return 0;
    }
    DWORD exitCode = 1;
    if (!GetExitCodeProcess(process, &exitCode))
        return 0;
    CInstallLog::Write(L"package exit code %lu", exitCode);
    return exitCode == 0 ? 1 : 0;
}

int Run(const ProcessRunParams& params)
{
    std::wstring text = std::wstring(params.szProgram) + L" " + params.szParameters;
    if (text.size() > 2047)
        text.resize(2047);
    wchar_t commandLine[2048]; // CreateProcessW may write into it
    text.copy(commandLine, text.size());
    commandLine[text.size()] = L'\0';

    CWinHandle nullDevice = OpenInheritableNullDevice();
    if (!nullDevice.IsValid())
        return 0;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = nullDevice.Get();
    startup.hStdOutput = nullDevice.Get();
    startup.hStdError = nullDevice.Get();
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &info)) {
        CInstallLog::Write(L"package could not be started (error %lu)", GetLastError());
        return 0;
    }
    CWinHandle process(info.hProcess);
    CWinHandle thread(info.hThread);
    nullDevice.Close();
    if (params.dwTimeoutMs == 0)
        return 1;
    return WaitForExit(process.Get(), params);
}

} // namespace

int RunProcessAndWait(const ProcessRunParams* params)
{
    if (params == nullptr)
        return 0;
    try {
        return Run(*params);
    } catch (...) {
        return 0;
    }
}
