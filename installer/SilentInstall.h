#pragma once
// The unattended install ("/S"): the same lookup, download, package run, settings and reports as a click on
// Install Now, with no window shown. A hidden window (class "PavonelSilentRun") takes WM_CLOSE and the end of
// the session as a cancel. The outcome is the process's exit code, after Windows Installer's conventions, which
// deployment tools read.
#include "installer/install/CommandLine.h"
#include "installer/install/IInstallView.h"
#include "installer/install/InstallEngine.h"

#include <windows.h>

enum SilentExitCode
{
    ExitInstalled = ERROR_SUCCESS,
    ExitRestartNeeded = ERROR_SUCCESS_REBOOT_REQUIRED, // 3010: installed, the package asked for a restart
    ExitCancelled = ERROR_INSTALL_USEREXIT,            // 1602
    ExitFailed = ERROR_INSTALL_FAILURE,                // 1603: download, verification or package
    ExitAlreadyRunning = ERROR_INSTALL_ALREADY_RUNNING, // 1618
    ExitBadArguments = ERROR_INVALID_COMMAND_LINE,     // 1639
};

class CSilentInstall : public IInstallView
{
public:
    static constexpr const wchar_t* kWindowClass = L"PavonelSilentRun";

    explicit CSilentInstall(const CCommandLine& options);
    ~CSilentInstall() override;
    CSilentInstall(const CSilentInstall&) = delete;
    CSilentInstall& operator=(const CSilentInstall&) = delete;

    // Runs the whole install on the calling thread (pumping its messages) and returns the exit code.
    int Run(HINSTANCE instance, const wchar_t* singleInstanceName);

    // The view side of the engine: no window, the log tells.
    void UpdateProgress(int percent) override;
    void SwitchPage(const wchar_t* hidePage, const wchar_t* showPage) override;
    void ShowFailureReason(FailureKind kind) override;
    bool GetInstallDirText(std::wstring& text) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateCancelWindow(HINSTANCE instance);
    bool WaitForRun();
    int Cancel();
    int Outcome();
    int Finish(int exitCode);

    CCommandLine m_options;
    CInstallEngine m_engine;
    HWND m_hWnd = nullptr;
    HANDLE m_hMutex = nullptr;
    bool m_bCurlReady = false;
    volatile LONG m_nCancelled = 0;
};
