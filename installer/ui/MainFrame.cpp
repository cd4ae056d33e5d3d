#include "installer/ui/MainFrame.h"

#include "installer/install/InstallPaths.h"
#include "installer/install/SettingsStore.h"
#include "installer/net/CurlGlobal.h"
#include "installer/net/InstallLog.h"
#include "installer/net/ServiceHosts.h"
#include "installer/ui/MsgWnd.h"
#include "ui/controls/UIOption.h"
#include "ui/controls/UIProgress.h"
#include "ui/controls/UIRichEdit.h"
#include "ui/core/UILangManager.h"

#include <curl/curl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

using namespace Veneer;

CMainFrame* g_pMainFrame = nullptr;

namespace {

// Worker-to-window messages; the framework keeps WM_APP + 1 for itself.
const UINT kMsgProgress = WM_APP + 0x40;
const UINT kMsgSwitchPage = WM_APP + 0x41;
const UINT kMsgFailureReason = WM_APP + 0x42;

// The failure page's reason line: string-table text 1 + kind; the log line: text 8 followed by the path.
const int kFailureTextBase = 1;
const int kLogLabelText = 8;
const wchar_t* const kFailureFallbacks[] = {
    L"", L"No connection to the download server.", L"The download server refused the request.",
    L"The download was damaged: its checksum does not match.", L"The disk is full or cannot be written.",
    L"The package reported an error.", L"The download could not be verified as coming from Tarvix."};

// The folder picker's refusal of a folder too long for the package.
const int kFolderTooLongText = 9;
const wchar_t kFolderTooLongFallback[] = L"This folder's path is too long. Please choose a folder with a shorter path.";
const DWORD kLongestShellPath = 32768;

const wchar_t* const kPages[] = {L"page_home", L"page_install", L"page_finished", L"page_fail"};
const int kPageCount = sizeof(kPages) / sizeof(kPages[0]);

int PageIndex(const wchar_t* name)
{
    for (int i = 0; i < kPageCount; ++i)
        if (name && ::lstrcmpW(kPages[i], name) == 0)
            return i;
    return -1;
}

const UINT kProgramIcon = 131;
const int kPerMonitorDpiAware = 2;
const int kInstallerDpi = 110;

} // namespace

CMainFrame::CMainFrame() : m_engine(this)
{
    g_pMainFrame = this;
    m_engine.SetInstallState(Start);
    // Everything the lookup needs runs on a worker while the window builds itself: the system's proxy settings
    // (a proxy script is then found on a worker of its own while libcurl starts), libcurl's start, the platform
    // setting and the lookup, in that order. The window still appears only once the addresses are known
    // (InitWindow waits; the lookup's time-outs bound the wait). The same worker first loads the engine of the
    // home page's folder box, a rich edit, which the window would otherwise wait for while it attaches.
    m_engine.BeginLookup([]() {
        CRichEditUI::PreloadEngine();
        CInstallEngine::PrepareLookup();
        curl_global_init(CURL_GLOBAL_ALL);
        CSettingsStore::WritePlatformSetting();
    });
}

CMainFrame::~CMainFrame()
{
    // The worker may still be downloading: end it while the view it reports to is whole.
    CCurlGlobal::CleanupAtExit(m_engine.Shutdown());
    if (g_pMainFrame == this)
        g_pMainFrame = nullptr;
}

void CMainFrame::OnSkinBuilt()
{
    if (auto* agree = static_cast<COptionUI*>(m_pm.FindControl(L"opt_User")))
        agree->Selected(true, true);
}

void CMainFrame::OnSkinFailed()
{
    ::MessageBoxW(nullptr, L"加载资源文件失败", L"Veneer", MB_ICONERROR);
    ::ExitProcess(1);
}

void CMainFrame::OnBeforeBuild()
{
    m_pm.GetDPIObj()->SetDPIAwareness(kPerMonitorDpiAware);
    m_pm.SetDPI(kInstallerDpi);
}

void CMainFrame::InitWindow()
{
    SetIcon(kProgramIcon);
    static_cast<CProgressUI*>(m_pm.FindControl(L"pro_Percent"))->SetValue(0);
    SetInstallState(Start);
    // The report needs libcurl started, and the window is not to be shown before the addresses are known.
    m_engine.EndLookup();
    StartUsageReport();
    // The window is created visible, and shown right after this creation message, at the place it was created
    // at (0,0). Its final size is known now: it is first shown where it stays. Moved once shown, it could stay
    // drawn at (0,0) where no window manager answers the move (X without one), and miss the clicks meant for it.
    CenterWindow();
}

LRESULT CMainFrame::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_NCLBUTTONDBLCLK:
        return 0; // the whole window is caption: a double-click must not maximise it
    case kMsgProgress:
        ShowProgress(static_cast<int>(wParam));
        return 0;
    case kMsgSwitchPage:
        ShowPage(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    case kMsgFailureReason:
        ShowReasonLine(static_cast<int>(wParam));
        return 0;
    default:
        // Through the frame: it answers a second start's activation and routes menus and right clicks.
        return CUIFrameWnd::HandleMessage(uMsg, wParam, lParam);
    }
}

void CMainFrame::OnFinalMessage(HWND hWnd)
{
    CUIFrameWnd::OnFinalMessage(hWnd);
    ::PostQuitMessage(0);
}

bool CMainFrame::ConfirmLeave()
{
    return ShowConfirmDialog(m_hWnd, L"", L"") == 1;
}

LRESULT CMainFrame::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if ((wParam & 0xFFF0) != SC_CLOSE)
        return CUIFrameWnd::OnSysCommand(uMsg, wParam, lParam, bHandled);
    bHandled = TRUE;
    if (GetInstallState() == Installed)
    {
        ::PostQuitMessage(0);
        return 0;
    }
    // The install may finish while the dialog is open: a finished install is no abort.
    if (ConfirmLeave() && GetInstallState() != Installed)
    {
        LeaveConfirmed();
        ::PostQuitMessage(0);
    }
    return 0;
}

void CMainFrame::LeaveConfirmed()
{
    CInstallLog::WriteLine(L"leaving confirmed");
    SetInstallState(UserAbort);
    // The abort report runs on its own thread, and the process waits for it (bounded) on its way out; the
    // window goes at once instead of hanging on screen while the report runs.
    if (!StartUsageReport())
        ReportUsage();
    ::ShowWindow(m_hWnd, SW_HIDE);
}

bool CMainFrame::StartInstall()
{
    return m_engine.StartInstall();
}

void CMainFrame::UpdateProgress(int percent)
{
    ::PostMessageW(m_hWnd, kMsgProgress, static_cast<WPARAM>(percent), 0);
}

void CMainFrame::SwitchPage(const wchar_t* hidePage, const wchar_t* showPage)
{
    ::PostMessageW(m_hWnd, kMsgSwitchPage, static_cast<WPARAM>(PageIndex(hidePage)),
                   static_cast<LPARAM>(PageIndex(showPage)));
}

void CMainFrame::ShowFailureReason(FailureKind kind)
{
    ::PostMessageW(m_hWnd, kMsgFailureReason, static_cast<WPARAM>(kind), 0);
}

void CMainFrame::ShowReasonLine(int kind)
{
    const int count = static_cast<int>(sizeof(kFailureFallbacks) / sizeof(kFailureFallbacks[0]));
    if (kind <= FailureNone || kind >= count)
        return;
    if (CControlUI* reason = m_pm.FindControl(L"lb_FailReason"))
        reason->SetText(CLangManagerUI::GetString(kFailureTextBase + kind, kFailureFallbacks[kind]));
    if (CControlUI* log = m_pm.FindControl(L"lb_FailLog"))
    {
        CUIString text = CLangManagerUI::GetString(kLogLabelText, L"Log: ");
        text += CInstallLog::GetLogPath().c_str();
        log->SetText(text);
    }
    CInstallLog::Write(L"failure reason shown: %d", kind);
}

bool CMainFrame::GetInstallDirText(std::wstring& text)
{
    CControlUI* edit = m_pm.FindControl(L"edit_Installdir");
    if (!edit)
        return false;
    text = edit->GetText().GetData();
    return true;
}

void CMainFrame::ShowProgress(int percent)
{
    if (auto* progress = static_cast<CProgressUI*>(m_pm.FindControl(L"pro_Percent")))
    {
        progress->SetStretchForeImage(false);
        progress->SetValue(percent);
    }
    if (CControlUI* label = m_pm.FindControl(L"lb_Percent"))
    {
        CUIString text;
        text.Format(L"%d", percent);
        label->SetText(text + L"%");
    }
}

void CMainFrame::SetControlVisible(LPCWSTR name, bool visible)
{
    CControlUI* control = m_pm.FindControl(name);
    if (!control)
        return;
    control->SetVisible(visible);
    if (visible)
        CInstallLog::Write(L"page shown: %ls", name); // lets support (and tests) follow the page flow
}

void CMainFrame::ShowPage(int hidePage, int showPage)
{
    if (hidePage >= 0 && hidePage < kPageCount)
        SetControlVisible(kPages[hidePage], false);
    if (showPage >= 0 && showPage < kPageCount)
        SetControlVisible(kPages[showPage], true);
    FocusNewPage();
}

void CMainFrame::FocusDefaultButton()
{
    // As in a standard dialog the default button starts with the focus, so that Enter installs and the
    // first Tab moves on from there. It runs inside the first paint, after the framework's own first focus
    // (the first control in tab order): that paint then draws the focus where it ends.
    if (CControlUI* install = m_pm.FindControl(L"btn_Install"))
        install->SetFocus();
}

void CMainFrame::FocusNewPage()
{
    // The keyboard focus went with the hidden page: the new page's first control takes it, which also
    // tells a screen reader where the user now is.
    if (!m_pm.GetFocus())
        m_pm.SetNextTabControl(true);
}

LRESULT CMainFrame::ResponseDefaultKeyEvent(WPARAM wParam)
{
    if (wParam != VK_RETURN)
        return 1;
    // A focused button answers Enter itself; on the agreement box Enter is the page's default action.
    CControlUI* focus = m_pm.GetFocus();
    if (focus && focus->GetInterface(L"Button") && !focus->GetInterface(L"Option"))
        return 1;
    CControlUI* home = m_pm.FindControl(L"page_home");
    CControlUI* install = m_pm.FindControl(L"btn_Install");
    if (!home || !home->IsVisible() || !install)
        return 1;
    install->Activate();  // does nothing while the agreement is not ticked (the button is disabled)
    return 0;
}

void CMainFrame::BeginInstallPage(LPCWSTR hiddenPage)
{
    if (!m_pm.FindControl(L"page_install"))
    {
        SetControlVisible(hiddenPage, false);
        return;
    }
    // The install page only ever shows with a run behind it: a refused start leaves the current page.
    if (!StartInstall())
    {
        CInstallLog::WriteLine(L"install not started: a run is still ending or the installer is closing");
        return;
    }
    SetControlVisible(hiddenPage, false);
    SetControlVisible(L"page_install", true);
    if (auto* progress = static_cast<CProgressUI*>(m_pm.FindControl(L"pro_Percent")))
        progress->SetValue(0);
    FocusNewPage();
}

void CMainFrame::OnAgreementToggled()
{
    auto* agree = static_cast<COptionUI*>(m_pm.FindControl(L"opt_User"));
    const bool agreed = agree ? agree->IsSelected() : true;
    for (LPCWSTR name : {L"btn_Install", L"btn_Alter"})
        if (CControlUI* button = m_pm.FindControl(name))
            button->SetEnabled(agreed);
}

bool CMainFrame::PickInstallFolder()
{
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.pszDisplayName = displayName;
    info.lpszTitle = CLangManagerUI::GetString(1, L"从下面选文件夹目录:");
    info.ulFlags = BIF_RETURNFSANCESTORS;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (!chosen)
        return false;
    // Asked for at full length: a folder too long for the package is refused below, not cut to a wrong one.
    std::vector<wchar_t> path(kLongestShellPath, L'\0');
    const bool named = ::SHGetPathFromIDListEx(chosen, path.data(), kLongestShellPath, GPFIDL_DEFAULT) != FALSE;
    ::CoTaskMemFree(chosen);
    if (!named)
        return true;
    if (!CInstallPaths::FitsInstallDir(path.data()))
    {
        CInstallLog::Write(L"chosen folder refused, too long: %ls", path.data());
        ::MessageBoxW(m_hWnd, CLangManagerUI::GetString(kFolderTooLongText, kFolderTooLongFallback), L"Lumbra",
                      MB_OK | MB_ICONWARNING);
        return false;
    }
    if (CControlUI* edit = m_pm.FindControl(L"edit_Installdir"))
        edit->SetText(path.data());
    return true;
}

void CMainFrame::OpenAddress(const std::wstring& address)
{
    if (!address.empty())
        ::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOW);
}

void CMainFrame::RunProduct()
{
    wchar_t program[MAX_PATH * 2] = {};
    const std::wstring folder = m_engine.GetInstallDir();
    ::_snwprintf(program, MAX_PATH * 2 - 1, L"\"%s\\AppRun.exe\"", folder.c_str());
    ::ShellExecuteW(nullptr, L"runas", program, L"", folder.c_str(), SW_SHOW);
    Close(1);
}

void CMainFrame::Notify(TNotifyUI& msg)
{
    if (msg.sType == L"windowinit")
        FocusDefaultButton();
    if (msg.sType != L"click")
    {
        WindowImplBase::Notify(msg);
        return;
    }
    const CUIString name = msg.pSender->GetName();
    if (name == L"btn_Close")
    {
        if (ConfirmLeave())
        {
            LeaveConfirmed();
            ::DestroyWindow(m_hWnd);
        }
    }
    else if (name == L"btn_Install")
        BeginInstallPage(L"page_home");
    else if (name == L"opt_User")
        OnAgreementToggled();
    else if (name == L"btn_User")
        OpenAddress(L"https://" + CServiceHosts::GetWebHost() + L"/cn/license-agreement.html");
    else if (name == L"btn_Alter")
    {
        if (PickInstallFolder())
            WindowImplBase::Notify(msg);
    }
    else if (name == L"btn_Reinstall")
        BeginInstallPage(L"page_fail");
    else if (name == L"btn_OfflinePatch" || name == L"btn_Offline")
        OpenAddress(m_engine.GetOfflineUrl());
    else if (name == L"btn_Run")
        RunProduct();
    else
        WindowImplBase::Notify(msg);
}
