#include "installer/SilentInstall.h"

#include "installer/install/SettingsStore.h"
#include "installer/net/CurlGlobal.h"
#include "installer/net/InstallLog.h"

#include <curl/curl.h>

namespace {

const DWORD kPollMs = 100;

} // namespace

CSilentInstall::CSilentInstall(const CCommandLine& options) : m_options(options), m_engine(this)
{
}

CSilentInstall::~CSilentInstall()
{
    const bool workersEnded = m_engine.Shutdown();
    if (m_bCurlReady)
        CCurlGlobal::CleanupAtExit(workersEnded);
    if (m_hWnd != nullptr)
        ::DestroyWindow(m_hWnd);
    if (m_hMutex != nullptr)
        ::CloseHandle(m_hMutex);
}

LRESULT CALLBACK CSilentInstall::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CSilentInstall*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && (message == WM_CLOSE || (message == WM_ENDSESSION && wParam != 0))) {
        // An administrator's tool (or the end of the session) asks the install to stop.
        ::InterlockedExchange(&self->m_nCancelled, 1);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool CSilentInstall::CreateCancelWindow(HINSTANCE instance)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassW(&windowClass);
    // Never shown: it is there to be found and told to stop.
    m_hWnd = ::CreateWindowExW(0, kWindowClass, L"Pavonel", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (m_hWnd == nullptr)
        return false;
    ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

bool CSilentInstall::WaitForRun()
{
    while (!m_engine.WaitForInstall(0)) {
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT) == WAIT_OBJECT_0) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
        if (m_nCancelled != 0)
            return false;
    }
    return true;
}

int CSilentInstall::Finish(int exitCode)
{
    CInstallLog::Write(L"unattended install ends with exit code %d", exitCode);
    return exitCode;
}

int CSilentInstall::Cancel()
{
    m_engine.Shutdown(); // the download has ended, or the package is no longer waited for
    m_engine.ReportUsage();
    return Finish(ExitCancelled);
}

int CSilentInstall::Outcome()
{
    if (m_engine.GetInstallState() != Installed)
        return Finish(ExitFailed); // the log and the failure report say what failed
    return Finish(m_engine.IsRestartNeeded() ? ExitRestartNeeded : ExitInstalled);
}

int CSilentInstall::Run(HINSTANCE instance, const wchar_t* singleInstanceName)
{
    CInstallLog::Write(L"unattended install, folder %ls", m_options.GetFolder().empty() ? L"(default)"
                                                                                         : m_options.GetFolder().c_str());
    // The same guard as the window's: one installer at a time, whichever way it was started.
    m_hMutex = ::CreateMutexW(nullptr, FALSE, singleInstanceName);
    if (m_hMutex == nullptr || ::GetLastError() == ERROR_ALREADY_EXISTS)
        return Finish(ExitAlreadyRunning);
    CreateCancelWindow(instance);

    curl_global_init(CURL_GLOBAL_ALL);
    m_bCurlReady = true;
    m_engine.SetUnattended(m_options.GetPackageLogFile());
    CSettingsStore::WritePlatformSetting();
    m_engine.LookupDownloadUrl();
    m_engine.SetInstallState(Start);
    // In the window the start report leaves long before a click can start the install; here the two would race,
    // and a quick failure could reach the service first or be read into the start report itself. Sending it
    // first keeps the service's record as a click would leave it, at the cost of one bounded report.
    m_engine.ReportUsage();
    if (m_nCancelled != 0)
        return Finish(ExitCancelled);
    if (!m_engine.StartInstall())
        return Finish(ExitFailed);
    // A cancel that comes as the run has just installed the product is too late: the product is there.
    if (!WaitForRun() && m_engine.Abort())
        return Cancel();
    return Outcome();
}

void CSilentInstall::UpdateProgress(int percent)
{
    if (percent % 10 == 0)
        CInstallLog::Write(L"unattended install: %d%%", percent);
}

void CSilentInstall::SwitchPage(const wchar_t*, const wchar_t* showPage)
{
    CInstallLog::Write(L"unattended install: %ls", showPage);
}

void CSilentInstall::ShowFailureReason(FailureKind kind)
{
    CInstallLog::Write(L"unattended install: failure reason %d", static_cast<int>(kind));
}

bool CSilentInstall::GetInstallDirText(std::wstring& text)
{
    // As if the folder had been chosen in the picker; without /D= the default folder.
    text = m_options.GetFolder();
    return !text.empty();
}
