#include "installer/net/InstallLog.h"

#include "installer/net/TextConvert.h"
#include "installer/net/WinHandle.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>
#include <mutex>

namespace {

// Not a link of any kind: no reparse point, one name only (a hard link shares the data with another name).
bool IsPlainFile(const BY_HANDLE_FILE_INFORMATION& info)
{
    return (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0 &&
           info.nNumberOfLinks <= 1;
}

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

// The log sits in a folder the elevated installer shares with whatever ran there before it: a name there may
// be a link planted to make it write or rename somewhere else. Such a name is never written or moved.
bool IsPlainFile(const std::wstring& path)
{
    CWinHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    return file.IsValid() && GetFileInformationByHandle(file.Get(), &info) && IsPlainFile(info);
}

// Support needs the recent runs, not years of them: past 1 MiB the log starts over, keeping one older file.
void RotateIfLarge(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info))
        return;
    if (info.nFileSizeHigh == 0 && info.nFileSizeLow < 1024 * 1024)
        return;
    const std::wstring older = path + L".old";
    if (!IsPlainFile(path) || (GetFileAttributesW(older.c_str()) != INVALID_FILE_ATTRIBUTES && !IsPlainFile(older)))
        return;
    MoveFileExW(path.c_str(), older.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::wstring& CopyPath()
{
    static std::wstring path;
    return path;
}

void AppendTo(const std::wstring& path, const std::string& line)
{
    CWinHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.IsValid())
        return; // the log is a help for support, never a reason to fail
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.Get(), &info) || !IsPlainFile(info))
        return;
    DWORD done = 0;
    WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &done, nullptr);
}

} // namespace

void CInstallLog::SetCopyPath(const std::wstring& path)
{
    std::lock_guard<std::mutex> guard(LogLock());
    CopyPath() = path;
}

std::wstring CInstallLog::GetLogPath()
{
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    std::wstring path = (length > 0 && length <= MAX_PATH) ? std::wstring(folder, length) : std::wstring(L".\\");
    if (path.back() != L'\\')
        path += L'\\';
    return path + L"Pavonel-install.log";
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
    const std::string line = WideToUtf8String(Timestamp() + OneLine(text) + L"\r\n");
    std::lock_guard<std::mutex> guard(LogLock());
    const std::wstring path = GetLogPath();
    RotateIfLarge(path);
    AppendTo(path, line);
    if (!CopyPath().empty())
        AppendTo(CopyPath(), line);
}
