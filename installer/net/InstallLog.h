#pragma once
// Plain-text support log: each line is timestamped and appended to a file in the user's temporary folder.
// Lines carry outcomes, addresses, transfer results and exit codes; never credentials.
#include <string>

class CInstallLog
{
public:
    // Full path of the log file ("Pavonel-install.log" in the temporary folder).
    static std::wstring GetLogPath();

    // Appends one line; printf-style wide format. Safe from any thread.
    static void Write(const wchar_t* format, ...);
    static void WriteLine(const std::wstring& text);

    // Every later line also goes to `path` (an administrator's choice, "" ends it); no rotation there.
    static void SetCopyPath(const std::wstring& path);
};
