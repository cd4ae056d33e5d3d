#pragma once
// The folder the package is downloaded into. The package runs elevated, so the folder must be one that only
// administrators and the system can change: it is created with a protected DACL, and a folder that already
// exists with another owner or another writer (planted by another user beforehand, or left open to everybody)
// is not used: the download then goes to a new private folder under the machine's program data.
#include "installer/net/WinHandle.h"

#include <winsock2.h> // ahead of windows.h for code that also includes libcurl
#include <windows.h>

#include <memory>
#include <string>

class CDownloadFolder
{
public:
    struct LocalFreeDeleter
    {
        void operator()(void* memory) const { LocalFree(memory); }
    };
    // A security descriptor (or SID) allocated by advapi32, freed with LocalFree.
    using LocalPtr = std::unique_ptr<void, LocalFreeDeleter>;

    // Protected from inheritance, inherited by files and subfolders: full control for SYSTEM and
    // Administrators, read and execute for Users (the product, running as the user, reads its settings file
    // below the system drive's folder). No owner: the creator's default owner (Administrators when elevated).
    static const wchar_t* const kSddl;
    static LocalPtr BuildSecurity();

    // Creates one folder level with that security. True when it was created or a folder of that name exists
    // (whose security is then whatever it is: see IsTrustedFolder).
    static bool CreateProtected(const std::wstring& folder);

    // True when `security` is owned by, and allows changes (write, append, delete, change of permissions or
    // owner, also for files and subfolders to come) only to, Administrators, SYSTEM, TrustedInstaller or this
    // process's user. Otherwise false, with the first reason in `why`.
    static bool IsTrustedSecurity(PSECURITY_DESCRIPTOR security, std::wstring* why);
    // The same for an existing folder, which must be a plain folder (not a file, not a link).
    static bool IsTrustedFolder(const std::wstring& folder, std::wstring* why);

    // "%ProgramData%\Tarvix\Pavonel": where private download folders are made ("" when unknown).
    static std::wstring PrivateRoot();

    CDownloadFolder() = default;
    // Lets go of the folder; a private one is removed with the package in it (unless the package still runs).
    ~CDownloadFolder();
    CDownloadFolder(const CDownloadFolder&) = delete;
    CDownloadFolder& operator=(const CDownloadFolder&) = delete;

    // Takes `preferred` (created protected when missing) when it is trusted, else a new private folder under
    // PrivateRoot() made with the same security; the decision goes to the support log. The chosen folder is
    // held open so that nobody can rename or remove it while this object lives. False when no trusted folder
    // could be had.
    bool Choose(const std::wstring& preferred);
    const std::wstring& GetPath() const { return m_strPath; }
    bool IsPrivate() const { return m_bPrivate; }

private:
    static CWinHandle OpenTrusted(const std::wstring& folder, std::wstring* why);
    bool ChoosePrivate();

    CWinHandle m_hFolder;
    std::wstring m_strPath;
    bool m_bPrivate = false;
};
