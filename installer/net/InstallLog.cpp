#include "installer/net/InstallLog.h"

#include "installer/install/InstallPaths.h"
#include "installer/install/SafeFolder.h"
#include "installer/net/TextConvert.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>
#include <mutex>

namespace {

const wchar_t kLogName[] = L"Pavonel-install.log";
const wchar_t kOlderName[] = L"Pavonel-install.log.old";
const ULONGLONG kRotateSize = 1024 * 1024;

std::mutex& LogLock()
{
    static std::mutex lock;
    return lock;
}

std::wstring Timestamp()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[64];
    swprintf(text, 64, L"%04u-%02u-%02u %02u:%02u:%02u.%03u [%lu] ", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond, now.wMilliseconds, GetCurrentThreadId());
    return text;
}

// Control characters from outside (server texts) must not break the one-event-per-line layout.
std::wstring OneLine(const std::wstring& text)
{
    std::wstring line;
    line.reserve(text.size());
    for (wchar_t c : text)
        line += (c < L' ') ? L' ' : c;
    return line;
}

std::wstring TempFolder()
{
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    return (length > 0 && length <= MAX_PATH) ? std::wstring(folder, length) : std::wstring();
}

// The temporary folder belongs to the user's own programs, which may have made any level of it a link to a
// folder only administrators may write. The log goes there only when every level is a plain folder; else to
// the installer's own folder under the program data, with the reason in `note`.
bool OpenLogFolder(CSafeFolder& folder, std::wstring* note)
{
    std::wstring why = L"the system names none";
    const std::wstring temp = TempFolder();
    if (!temp.empty() && folder.Open(temp, L"", &why))
        return true;
    *note = L"support log: temporary folder " + temp + L" not used (" + why + L"), the log is kept in ";
    if (!folder.Open(CInstallPaths::GetProgramDataDir(), CInstallPaths::kPrivateFolder, nullptr))
        return false;
    *note += folder.GetPath();
    return true;
}

// Each decision is told once, not before every line.
bool IsNewNote(const std::wstring& note)
{
    static std::wstring last;
    if (note == last)
        return false;
    last = note;
    return true;
}

// Support needs the recent runs, not years of them: past 1 MiB the log starts over, keeping one older file.
void RotateIfLarge(CSafeFolder& folder, CWinHandle& file)
{
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.Get(), &size) || static_cast<ULONGLONG>(size.QuadPart) < kRotateSize)
        return;
    file.Close();
    CWinHandle moving = folder.OpenFile(kLogName, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        false, nullptr);
    if (moving.IsValid())
        folder.RenameFile(moving.Get(), kOlderName);
    moving.Close();
    file = folder.OpenFile(kLogName, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, true, nullptr);
}

void AppendTo(CSafeFolder& folder, const std::wstring& name, const std::string& line, bool rotate)
{
    CWinHandle file = folder.OpenFile(name, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, true, nullptr);
    if (file.IsValid() && rotate)
        RotateIfLarge(folder, file);
    if (!file.IsValid())
        return; // the log is a help for support, never a reason to fail
    DWORD done = 0;
    WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &done, nullptr);
}

std::string Stamped(const std::wstring& text)
{
    return WideToUtf8String(Timestamp() + OneLine(text) + L"\r\n");
}

// The administrator's own file (/LOG=): the same care, in the folder named.
CWinHandle OpenCopy(const std::wstring& path, std::wstring* why)
{
    const size_t cut = path.find_last_of(L"\\/");
    CSafeFolder folder;
    if (cut == std::wstring::npos || !folder.Open(path.substr(0, cut + 1), L"", why)) {
        if (why != nullptr && why->empty())
            *why = path + L" is not in a folder";
        return CWinHandle();
    }
    return folder.OpenFile(path.substr(cut + 1), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, true, why);
}

void AppendToCopy(const std::wstring& path, const std::string& line)
{
    CWinHandle file = OpenCopy(path, nullptr);
    DWORD done = 0;
    if (file.IsValid())
        WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &done, nullptr);
}

std::wstring& CopyPath()
{
    static std::wstring path;
    return path;
}

} // namespace

bool CInstallLog::SetCopyPath(const std::wstring& path, std::wstring* why)
{
    std::lock_guard<std::mutex> guard(LogLock());
    CopyPath().clear();
    if (!path.empty() && !OpenCopy(path, why).IsValid())
        return false;
    CopyPath() = path;
    return true;
}

std::wstring CInstallLog::GetLogPath()
{
    std::lock_guard<std::mutex> guard(LogLock());
    CSafeFolder folder;
    std::wstring note;
    return OpenLogFolder(folder, &note) ? folder.PathOf(kLogName) : TempFolder() + kLogName;
}

void CInstallLog::Write(const wchar_t* format, ...)
{
    if (format == nullptr)
        return;
    wchar_t text[2048];
    va_list args;
    va_start(args, format);
    const int written = vswprintf(text, 2048, format, args);
    va_end(args);
    WriteLine(written >= 0 ? text : format); // too long to format: at least say what happened
}

void CInstallLog::WriteLine(const std::wstring& text)
{
    const std::string line = Stamped(text);
    std::lock_guard<std::mutex> guard(LogLock());
    CSafeFolder folder;
    std::wstring note;
    const bool opened = OpenLogFolder(folder, &note);
    const bool tell = IsNewNote(note) && !note.empty();
    if (opened) {
        AppendTo(folder, kLogName, (tell ? Stamped(note) : std::string()) + line, true);
        std::string replaced; // links taken away on the way there
        for (const std::wstring& done : folder.GetNotes())
            replaced += Stamped(L"support log: " + done);
        if (!replaced.empty())
            AppendTo(folder, kLogName, replaced, false);
    }
    if (!CopyPath().empty())
        AppendToCopy(CopyPath(), line);
}
