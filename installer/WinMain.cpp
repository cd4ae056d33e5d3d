// Process entry of the installer.
#include "installer/App.h"
#include "installer/ui/MainFrame.h"
#include "ui/core/UILangManager.h"

#include <windows.h>

using namespace Veneer;

namespace {

const LANGID kChineseSimplified = 2052;

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

} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int)
{
    RestrictDllSearch();
    g_App.SetSingleApplication(true, L"tarvix Lumbra");
    g_App.SetResType_ZipResource(L"skin", L"", 130, L"ZIPRES");
    if (!g_App.InitInstance(hInstance))
        return 0;
    ApplySystemLanguage();
    g_App.Run();
    g_App.ExitInstance();
    return 0;
}
