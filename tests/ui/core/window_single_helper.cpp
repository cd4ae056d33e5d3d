// Second process for the single-instance tests.
//   window_single_helper first <name>  : runs a minimised main window until it is closed
//   window_single_helper second <name> : starts like the program would; exits 3 when refused
//   window_single_helper badskin <name> : creates a window whose skin cannot be built
// Exit codes: 0 normal end, 3 InitInstance refused, 2 bad arguments or window failure.
#include <windows.h>
#include <shellapi.h>

#include "ui/core/UIApplication.h"
#include "ui/core/UIFrameWnd.h"

using namespace Veneer;

namespace {

class HelperFrame : public CUIFrameWnd
{
public:
    LPCWSTR GetWindowClassName() const override { return L"VeneerSingleHelperFrame"; }
    CUIString GetSkinFile() override
    {
        return L"<Window size=\"200,120\"><VerticalLayout><Label name=\"l\" /></VerticalLayout></Window>";
    }
    void OnFinalMessage(HWND hWnd) override
    {
        CUIFrameWnd::OnFinalMessage(hWnd);
        ::PostQuitMessage(0);
    }
};

class BadSkinFrame : public CUIFrameWnd
{
public:
    LPCWSTR GetWindowClassName() const override { return L"VeneerBadSkinHelperFrame"; }
    CUIString GetSkinFile() override { return L"missing_skin.xml"; }
};

class HelperApp : public CUIApplication
{
};

HelperApp g_app;

} // namespace

int main()
{
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 3) return 2;
    if (lstrcmpW(argv[1], L"badskin") == 0) {
        BadSkinFrame frame;
        frame.Create(nullptr, argv[2], WS_POPUP | WS_VISIBLE, 0, 0, 0, 100, 100);
        return 4;   // not reached: a failed skin ends the process with 1
    }
    const bool bFirst = lstrcmpW(argv[1], L"first") == 0;
    g_app.SetSingleApplication(true, argv[2]);
    if (!g_app.InitInstance(::GetModuleHandleW(nullptr))) {
        ::LocalFree(argv);
        return 3;
    }
    if (!bFirst) {
        g_app.ExitInstance();
        ::LocalFree(argv);
        return 0;
    }
    HelperFrame* pFrame = new HelperFrame();
    g_app.SetMainWnd(pFrame);
    HWND hWnd = pFrame->Create(nullptr, argv[2], WS_POPUP | WS_VISIBLE, 0, 200, 200, 200, 120);
    ::LocalFree(argv);
    if (hWnd == nullptr) return 2;
    ::ShowWindow(hWnd, SW_MINIMIZE);
    g_app.Run();
    g_app.ExitInstance();
    return 0;
}
