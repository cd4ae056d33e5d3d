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

// The administrator's log copy is opened before anything else happens, so that a folder or an unwritable place
// is known before the install starts. "" when it is usable (or none was asked for), else why not.
std::wstring StartLogCopy(const CCommandLine& options)
{
    std::wstring why;
    if (options.GetLogFile().empty() || CInstallLog::SetCopyPath(options.GetLogFile(), &why))
        return std::wstring();
    return why.empty() ? L"/LOG= cannot be written" : L"/LOG= cannot be written: " + why;
}

// Nobody is there to read a box: what cannot be done is said in the log and in the exit code only.
int RunUnattended(HINSTANCE instance, const CCommandLine& options, const std::wstring& logRefusal)
{
    std::wstring refusal = options.IsValid() ? logRefusal : options.GetError();
    if (refusal.empty() && options.WantsUsage())
        refusal = L"/? shows a box, which an unattended install cannot";
    if (!refusal.empty()) {
        CInstallLog::Write(L"command line refused: %ls", refusal.c_str());
        return ExitBadArguments;
    }
    CSilentInstall silent(options);
    return silent.Run(instance, kSingleInstanceName);
}

int RunWindow(HINSTANCE instance)
{
    g_App.SetSingleApplication(true, kSingleInstanceName);
    g_App.SetResType_ZipResource(L"skin", L"", 130, L"ZIPRES");
    if (!g_App.InitInstance(instance))
        return 0;
    ApplySystemLanguage();
    g_App.Run();
    g_App.ExitInstance();
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int)
{
    RestrictDllSearch();
    const CCommandLine options = CCommandLine::Parse(lpCmdLine);
    const std::wstring logRefusal = StartLogCopy(options);
    if (options.IsSilent())
        return RunUnattended(hInstance, options, logRefusal);
    if (options.WantsUsage()) {
        ShowUsage();
        return 0;
    }
    // Someone started the installer to install: a stray word on its command line does not stop that.
    const std::wstring ignored = options.IsValid() ? logRefusal : options.GetError();
    if (!ignored.empty())
        CInstallLog::Write(L"command line ignored: %ls", ignored.c_str());
    return RunWindow(hInstance);
}
