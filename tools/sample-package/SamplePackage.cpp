// Stand-in for the Lumbra package, driven like an Inno Setup installer:
//   CORVEX_Online.exe /VERYSILENT /SP- /NORESTART /DIR="C:\Program Files (x86)\tarvix\Lumbra\"
// It creates the folder, copies itself there as AppRun.exe, creates HKLM\Software\tarvix\Lumbra (32-bit view)
// and exits 0. Run as AppRun.exe it only records that it ran and in which working folder.
//
// Behaviour variants for tests, from the environment variable PAVONEL_SAMPLE_PACKAGE_MODE:
//   ok (default) | fail (exit code 3, installs nothing) | hang (sleeps up to ten minutes) |
//   talk (writes 16 MiB to standard output and error first) | nokey (installs without the registry key) |
//   3010, 1641 (installs, then asks for a restart with that exit code, as Windows Installer packages do) |
//   spawn (starts a copy of itself that sleeps, then sleeps itself: a package that leaves a child behind)
// Records (in the temporary folder): Pavonel-SamplePackage.txt (command line, folder and working folder of the
// last run; "child started" once a spawned child runs), Pavonel-AppRun.txt (one line per AppRun start).
#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::wstring TempFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, folder);
    return std::wstring(folder) + name;
}

void WriteText(const std::wstring& path, const std::wstring& text, bool append)
{
    HANDLE file = CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], bytes, nullptr, nullptr);
    DWORD done = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &done, nullptr);
    CloseHandle(file);
}

std::wstring OwnPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring FileNameOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring Mode()
{
    wchar_t mode[32] = {};
    const DWORD length = GetEnvironmentVariableW(L"PAVONEL_SAMPLE_PACKAGE_MODE", mode, 32);
    return (length > 0 && length < 32) ? std::wstring(mode) : std::wstring(L"ok");
}

// Inno Setup reads its command line the Delphi way: a quoted value ends at the next quote, a backslash is
// just a character (so DIR="C:\x\" is the folder C:\x\).
std::wstring DirArgument(const std::wstring& commandLine)
{
    const size_t at = commandLine.find(L"/DIR=");
    if (at == std::wstring::npos)
        return std::wstring();
    size_t start = at + 5;
    if (start < commandLine.size() && commandLine[start] == L'"') {
        const size_t end = commandLine.find(L'"', start + 1);
        return commandLine.substr(start + 1, end == std::wstring::npos ? std::wstring::npos : end - start - 1);
    }
    const size_t end = commandLine.find(L' ', start);
    return commandLine.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

void Talk()
{
    std::vector<char> line(64 * 1024, 'x');
    line.back() = '\n';
    for (int i = 0; i < 128; ++i) {
        DWORD done = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &done, nullptr);
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()), &done, nullptr);
    }
}

const wchar_t kChildSwitch[] = L"/SAMPLECHILD";

std::wstring WorkingFolder()
{
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    return cwd;
}

bool SpawnChild()
{
    std::wstring commandLine = L"\"" + OwnPath() + L"\" " + kChildSwitch;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

int Install(const std::wstring& mode)
{
    const std::wstring commandLine = GetCommandLineW();
    std::wstring dir = DirArgument(commandLine);
    const std::wstring record = TempFile(L"Pavonel-SamplePackage.txt");
    WriteText(record, L"args=" + commandLine + L"\r\ndir=" + dir + L"\r\ncwd=" + WorkingFolder() + L"\r\n", false);
    if (mode == L"fail")
        return 3;
    if (mode == L"spawn" && SpawnChild())
        WriteText(record, L"child started\r\n", true);
    if (mode == L"hang" || mode == L"spawn") {
        Sleep(10 * 60 * 1000);
        return 0;
    }
    if (mode == L"talk")
        Talk();
    if (dir.empty())
        return 2;
    while (dir.size() > 3 && (dir.back() == L'\\' || dir.back() == L'/'))
        dir.pop_back();
    const int made = SHCreateDirectoryExW(nullptr, dir.c_str(), nullptr);
    if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS)
        return 4;
    if (!CopyFileW(OwnPath().c_str(), (dir + L"\\AppRun.exe").c_str(), FALSE))
        return 5;
    if (mode != L"nokey") {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\tarvix\\Lumbra", 0, nullptr, 0,
                            KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return 6;
        RegCloseKey(key);
    }
    if (mode == L"3010" || mode == L"1641")
        return _wtoi(mode.c_str());
    return 0;
}

int RunAsProduct()
{
    WriteText(TempFile(L"Pavonel-AppRun.txt"), L"ran " + OwnPath() + L" in " + WorkingFolder() + L"\r\n", true);
    return 0;
}

} // namespace

int main()
{
    if (CompareStringOrdinal(FileNameOf(OwnPath()).c_str(), -1, L"AppRun.exe", -1, TRUE) == CSTR_EQUAL)
        return RunAsProduct();
    if (wcsstr(GetCommandLineW(), kChildSwitch) != nullptr) {
        Sleep(10 * 60 * 1000);
        return 0;
    }
    return Install(Mode());
}
