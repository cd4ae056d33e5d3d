// Process entry of the installer.
#include "installer/App.h"
#include "installer/SilentInstall.h"
#include "installer/install/CommandLine.h"
#include "installer/net/InstallLog.h"
#include "installer/ui/MainFrame.h"
#include "ui/core/UILangManager.h"

#include <windows.h>

using namespace Veneer;

namespace {

const LANGID kChineseSimplified = 2052;
const wchar_t kSingleInstanceName[] = L"tarvix Lumbra";

// The installer runs elevated from the user's download folder, where anyone may drop a DLL named like a
// system one: load DLLs from the system folder only, before anything else can load one.
void RestrictDllSearch()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto setDirectories = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDirectories)
        setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryW(L"");
}

void ApplySystemLanguage()
{
    if (::GetSystemDefaultLangID() == kChineseSimplified)
        CLangManagerUI::SetLanguage(L"Lang\\ChineseSimplified", L"chs");
    else
        CLangManagerUI::SetLanguage(L"Lang\\English", L"en");
    CUIFrameWnd* frame = g_App.GetMainWnd();
    frame->GetManager()->GetLangManager()->ReloadLanguage();
    ::InvalidateRect(frame->GetHWND(), nullptr, TRUE);
}

void ShowUsage()
{
    const bool chinese = ::GetSystemDefaultLangID() == kChineseSimplified;
    ::MessageBoxW(nullptr, CCommandLine::UsageText(chinese), L"Pavonel", MB_OK | MB_ICONINFORMATION);
}

} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int)
{
    RestrictDllSearch();
    const CCommandLine options = CCommandLine::Parse(lpCmdLine);
    if (!options.GetLogFile().empty())
        CInstallLog::SetCopyPath(options.GetLogFile());
    if (!options.IsValid()) {
        CInstallLog::Write(L"command line refused: %ls", options.GetError().c_str());
        if (!options.IsSilent()) // an unattended caller reads the exit code; nobody would close a box
            ShowUsage();
        return ExitBadArguments;
    }
    if (options.WantsUsage()) {
        ShowUsage();
        return 0;
    }
    if (options.IsSilent()) {
        CSilentInstall silent(options);
        return silent.Run(hInstance, kSingleInstanceName);
    }
    g_App.SetSingleApplication(true, kSingleInstanceName);
    g_App.SetResType_ZipResource(L"skin", L"", 130, L"ZIPRES");
    if (!g_App.InitInstance(hInstance))
        return 0;
    ApplySystemLanguage();
    g_App.Run();
    g_App.ExitInstance();
    return 0;
}
