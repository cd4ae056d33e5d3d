#pragma once
// Plain-text support log: each line is timestamped and appended to a file in the user's temporary folder, or,
// when a level of that folder is a link, in the installer's own folder under the program data. The file is
// opened level by level without following links (CSafeFolder). Lines carry outcomes, addresses, transfer
// results and exit codes; never credentials.
#include <string>

class CInstallLog
{
public:
    // Full path of the log file ("Pavonel-install.log" in the folder chosen as above).
    static std::wstring GetLogPath();

    // Appends one line; printf-style wide format. Safe from any thread.
    static void Write(const wchar_t* format, ...);
    static void WriteLine(const std::wstring& text);

    // Every later line also goes to `path` (an administrator's choice, "" ends it, written with the same care);
    // no rotation there. The file is opened (made when missing) at once: false, with the reason in `why`, and no
    // copy, when it cannot be, as for a folder or a place that cannot be written.
    static bool SetCopyPath(const std::wstring& path, std::wstring* why);
};
