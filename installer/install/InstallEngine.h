#pragma once
// The installer's work behind the main window: the download-address lookup, the install worker (download,
// silent package run, settings) and the usage reports. The main window owns one engine and implements
// IInstallView for it; the engine never touches a control itself.
#include "installer/install/InstallState.h"
#include "installer/net/FailureKind.h"
#include "installer/net/WinHandle.h"

#include <winsock2.h> // ahead of windows.h for code that also includes libcurl
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

class IInstallView;
struct InstallContext;

class CInstallEngine
{
public:
    static constexpr DWORD kPackageTimeoutMs = 180000;
    static constexpr DWORD kShutdownWaitMs = 10000;
    static constexpr DWORD kRestartWaitMs = 2000;

    // `view` must stay valid until Shutdown (or the destructor) has returned.
    explicit CInstallEngine(IInstallView* view);
    // Calls Shutdown: a window owning the engine should call Shutdown itself at the start of its own
    // destruction, while its view methods still work.
    ~CInstallEngine();
    CInstallEngine(const CInstallEngine&) = delete;
    CInstallEngine& operator=(const CInstallEngine&) = delete;

    static const char* GetSoftType(); // "CORVEX"

    // Fills the online and offline addresses (synchronous; a few seconds at most with a dead network).
    void LookupDownloadUrl();
    // Starts what the lookup needs first (the system's proxy settings; a proxy script is fetched and run on a
    // worker of its own) and returns. Fit to run on any thread, before a lookup.
    static void PrepareLookup();
    // The same lookup on a worker thread, after `before` (run on that thread first: what the lookup needs
    // and the caller's own start-up does not, such as libcurl's start). Without a thread to spare, both run
    // here. EndLookup waits for it; true when it has ended (or never began).
    void BeginLookup(std::function<void()> before);
    bool EndLookup(DWORD timeoutMs = INFINITE);
    std::wstring GetOnlineUrl() const;
    std::wstring GetOfflineUrl() const;

    // On the UI thread: progress to 0, reads the install-folder text through the view and starts the install
    // thread. A previous run's thread is waited for up to kRestartWaitMs (it ends right after showing its
    // outcome). False when an install still runs, the user is leaving or no thread could be started.
    bool StartInstall();
    // The worker body: runs one install on the calling thread with the text read by the last StartInstall
    // (or, when there was none, reads it now through the view).
    void DoInstall();
    // True when no install thread runs (any more) after waiting up to `timeoutMs`.
    bool WaitForInstall(DWORD timeoutMs);

    // Ends a running download or stops waiting for a running package (which is left to finish: killing it
    // half-way could leave a broken product), waits for the install thread and detaches the view. A cancelled
    // run leaves no partial download behind, writes no settings and sends no outcome report (the caller
    // reports the abort). False when the install thread or the lookup outlived `waitMs`: it may still be
    // inside libcurl.
    bool Shutdown(DWORD waitMs = kShutdownWaitMs);

    int GetInstallState() const;
    // What a confirmed exit does (SetInstallState(UserAbort)), unless the run has installed the product already:
    // false then, and the state stays Installed, for that is what happened.
    bool Abort();
    // Setting UserAbort also ends a running install (as Shutdown does, without waiting); a run never
    // replaces UserAbort with its own outcome.
    void SetInstallState(int state);
    // Install folder handed to the package by the last run (ends with a backslash); "" before any run.
    std::wstring GetInstallDir() const;
    // The last run's package installed and asked for a restart (exit code 3010 or 1641).
    bool IsRestartNeeded() const;

    // Nobody is there to answer a message box: the package is told to show none, and to write its own log to
    // `packageLogFile` when that is not "".
    void SetUnattended(const std::wstring& packageLogFile);

    // Usage report of the current state: on a new detached thread, or synchronously (bounded time-outs).
    bool StartUsageReport();
    void ReportUsage();

    // Seconds without data after which a download is given up (default 30).
    void SetDownloadStallLimit(long seconds);
    // Pause before a download's first retry (default 1000 ms; the next ones double it).
    void SetDownloadRetryPause(DWORD firstPauseMs);
    // Why the last run failed (FailureNone while running, after a success or a cancel).
    FailureKind GetFailureKind() const;

private:
    std::shared_ptr<InstallContext> m_context;
    CWinHandle m_hWorker;
    CWinHandle m_hLookup;
};
