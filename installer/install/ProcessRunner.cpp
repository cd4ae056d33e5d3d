#include "installer/install/ProcessRunner.h"

#include "installer/install/JobObject.h"
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

bool IsSuccess(DWORD exitCode)
{
    return exitCode == 0 || AsksForRestart(exitCode);
}

int WaitForExit(HANDLE process, CJobObject& job, const ProcessRunParams& params, DWORD* exitCode)
{
    HANDLE waits[2] = {process, params.hCancelEvent};
    const DWORD count = params.hCancelEvent != nullptr ? 2 : 1;
    const DWORD waited = WaitForMultipleObjects(count, waits, FALSE, params.dwTimeoutMs);
    if (waited == WAIT_OBJECT_0 + 1) {
        // The user is leaving: a package half-way through copying files must finish, or the product is broken.
        job.LetRun();
        CInstallLog::WriteLine(L"package run cancelled: no longer waited for, left running");
        return 0;
    }
    if (waited != WAIT_OBJECT_0) {
        // Still running at the limit: end it and whatever it started, and the run has failed.
        job.EndAll(1);
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        CInstallLog::Write(L"package still running after %lu ms: ended", params.dwTimeoutMs);
        return 0;
    }
    job.LetRun(); // what a finished package left running was meant to run
    DWORD code = 1;
    if (!GetExitCodeProcess(process, &code))
        return 0;
    CInstallLog::Write(L"package exit code %lu", code);
    if (exitCode != nullptr)
        *exitCode = code;
    return IsSuccess(code) ? 1 : 0;
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

std::wstring CommandLineOf(const ProcessRunParams& params)
{
    std::wstring text = std::wstring(params.szProgram) + L" " + params.szParameters;
    if (text.size() > 2047)
        text.resize(2047);
    return text;
}

// The folder of the quoted program: the package must not inherit the installer's working folder, which may
// be anywhere the user started it from (a share, a folder others can write).
std::wstring FolderOf(const std::wstring& quotedProgram)
{
    std::wstring program;
    for (wchar_t c : quotedProgram)
        if (c != L'"')
            program += c;
    const size_t cut = program.find_last_of(L"\\/");
    if (cut == std::wstring::npos)
        return std::wstring();
    return program.substr(0, cut == 2 && program[1] == L':' ? cut + 1 : cut);
}

// Started suspended and put into `job` before its first instruction, so that nothing it starts escapes.
bool Start(const ProcessRunParams& params, HANDLE nullDevice, CJobObject& job, PROCESS_INFORMATION& info)
{
    const std::wstring text = CommandLineOf(params);
    wchar_t commandLine[2048]; // CreateProcessW may write into it
    text.copy(commandLine, text.size());
    commandLine[text.size()] = L'\0';
    const std::wstring folder = FolderOf(params.szProgram);

    // The package runs elevated: it gets the null device and no other handle of this process.
    CInheritOnly inherit(nullDevice);
    if (inherit.Get() == nullptr)
        return false;
    STARTUPINFOEXW startup = {};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdInput = nullDevice;
    startup.StartupInfo.hStdOutput = nullDevice;
    startup.StartupInfo.hStdError = nullDevice;
    startup.lpAttributeList = inherit.Get();
    const DWORD flags = CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT | CREATE_SUSPENDED;
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, TRUE, flags, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup.StartupInfo, &info)) {
        CInstallLog::Write(L"package could not be started (error %lu)", GetLastError());
        return false;
    }
    if (!job.Assign(info.hProcess)) // it still runs, and is still ended at the limit, only not with its children
        CInstallLog::Write(L"package runs outside a job (error %lu)", GetLastError());
    ResumeThread(info.hThread);
    return true;
}

int Run(const ProcessRunParams& params, DWORD* exitCode)
{
    CWinHandle nullDevice = OpenInheritableNullDevice();
    if (!nullDevice.IsValid())
        return 0;
    CJobObject job;
    PROCESS_INFORMATION info = {};
    if (!Start(params, nullDevice.Get(), job, info))
        return 0;
    CWinHandle process(info.hProcess);
    CWinHandle thread(info.hThread);
    nullDevice.Close();
    if (params.dwTimeoutMs == 0) {
        job.LetRun();
        return 1;
    }
    return WaitForExit(process.Get(), job, params, exitCode);
}

} // namespace

bool AsksForRestart(DWORD exitCode)
{
    return exitCode == ERROR_SUCCESS_REBOOT_REQUIRED || exitCode == ERROR_SUCCESS_REBOOT_INITIATED;
}

int RunProcessAndWait(const ProcessRunParams* params, DWORD* exitCode)
{
    if (params == nullptr)
        return 0;
    try {
        return Run(*params, exitCode);
    } catch (...) {
        return 0;
    }
}
