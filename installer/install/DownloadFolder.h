#pragma once
// The folder the package is downloaded into. The package runs elevated, so the folder must be one that only
// administrators and the system can change: it is created with a protected DACL, and a folder this process did
// not make that has another owner or another writer (prepared by another program beforehand, or left open to
// everybody) is not used: the download then goes to a new private folder under the machine's program data.
#include "installer/install/SafeFolder.h"

#include <string>

class CDownloadFolder
{
public:
    // True when `security` is owned by, and allows changes (write, append, delete, change of permissions or
    // owner, also for files and subfolders to come) only to, Administrators, SYSTEM or TrustedInstaller.
    // Otherwise false, with the first reason in `why`. Not this process's user: an elevated administrator shares
    // it with every program they run unelevated.
    static bool IsTrustedSecurity(PSECURITY_DESCRIPTOR security, std::wstring* why);

    CDownloadFolder() = default;
    // Lets go of the folder; a private one is removed with the package in it (unless the package still runs).
    ~CDownloadFolder();
    CDownloadFolder(const CDownloadFolder&) = delete;
    CDownloadFolder& operator=(const CDownloadFolder&) = delete;

    // Takes `preferred` ("D:\tarvix": made protected when missing, a link there replaced) when it was made now
    // or is trusted, else a new private folder under the program data's kPrivateFolder, made now with the same
    // security; the decision goes to the support log. The chosen folder and the levels above it are held open
    // so that nobody can rename, remove or replace them while this object lives. False when no such folder
    // could be had.
    bool Choose(const std::wstring& preferred);
    const std::wstring& GetPath() const { return m_folder.GetPath(); }
    bool IsPrivate() const { return m_bPrivate; }

private:
    bool ChoosePrivate();

    CSafeFolder m_folder;
    bool m_bPrivate = false;
};
