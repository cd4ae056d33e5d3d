#include "installer/install/ProcessRunner.h"

#include "installer/net/InstallLog.h"
#include "installer/net/WinHandle.h"

#include <string>
#include <vector>

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
    if (waited == WAIT_OBJECT_0 + 1) {
        // The user is leaving: a package half-way through copying files must finish, or the product is broken.
        CInstallLog::WriteLine(L"package run cancelled: no longer waited for, left running");
        return 0;
    }
    if (waited != WAIT_OBJECT_0) {
        // Still running at the limit: end it, and the run has failed.
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        CInstallLog::Write(L"package still running after %lu ms: ended", params.dwTimeoutMs);
        return 0;
    }
    DWORD exitCode = 1;
    if (!GetExitCodeProcess(process, &exitCode))
        return 0;
    CInstallLog::Write(L"package exit code %lu", exitCode);
    return exitCode == 0 ? 1 : 0;
}

// Attribute list that lets the child inherit `handle` and nothing else of this process.
class CInheritOnly
{
public:
    explicit CInheritOnly(HANDLE handle) : m_handle(handle)
    {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        m_storage.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_storage.data());
        if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size))
            return;
        m_list = list;
        if (!UpdateProcThreadAttribute(m_list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &m_handle, sizeof(m_handle),
                                       nullptr, nullptr)) {
            DeleteProcThreadAttributeList(m_list);
            m_list = nullptr;
        }
    }
    ~CInheritOnly()
    {
        if (m_list != nullptr)
            DeleteProcThreadAttributeList(m_list);
    }
    CInheritOnly(const CInheritOnly&) = delete;
    CInheritOnly& operator=(const CInheritOnly&) = delete;

    LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return m_list; }

private:
    HANDLE m_handle;
    std::vector<unsigned char> m_storage;
    LPPROC_THREAD_ATTRIBUTE_LIST m_list = nullptr;
};

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
    // The package runs elevated: it gets the null device and no other handle of this process.
    CInheritOnly inherit(nullDevice.Get());
    if (inherit.Get() == nullptr)
        return 0;
    STARTUPINFOEXW startup = {};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdInput = nullDevice.Get();
    startup.StartupInfo.hStdOutput = nullDevice.Get();
    startup.StartupInfo.hStdError = nullDevice.Get();
    startup.lpAttributeList = inherit.Get();
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, TRUE, CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT,
                        nullptr, nullptr, &startup.StartupInfo, &info)) {
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
