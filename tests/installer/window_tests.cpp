// The real main window, built from the real skin on this program's UI thread and driven through its controls: it
// is first shown where it stays, a second start of the installer brings it back from the taskbar, and an install
// shows its percentage beside the bar and recovers through Reinstall clicked the moment the failure page appears,
// and the failure page shows a long log path whole.
#include "ServiceFixture.h"

#include "installer/App.h"
#include "installer/net/TextConvert.h"
#include "installer/ui/MainFrame.h"
#include "ui/controls/UIProgress.h"
#include "ui/core/UIManager.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

using namespace Veneer;

namespace {

// Runs the window's messages, as the installer's loop does, until `done` holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!CPaintManagerUI::TranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (done())
                return true;
        }
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

// Where the main window was when it was first shown, and once started; the address lookups made by then.
RECT g_firstShown = {};
RECT g_started = {};
int g_lookupsAtFirstShow = -1;

LRESULT CALLBACK RecordFirstShow(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    wchar_t name[16] = {};
    if (code == HC_ACTION && call->message == WM_SHOWWINDOW && call->wParam && IsRectEmpty(&g_firstShown) &&
        GetClassNameW(call->hwnd, name, 16) && lstrcmpW(name, L"MainFrame") == 0) {
        GetWindowRect(call->hwnd, &g_firstShown);
        g_lookupsAtFirstShow = standin::RequestCount("/tarvix/getDownUrl");
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Pixels of `area` (client coordinates) drawn in a text colour, darker than the light page.
int InkIn(HWND window, RECT area)
{
    HDC screen = GetDC(window);
    int ink = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; x += 2) {
            const COLORREF pixel = GetPixel(screen, x, y);
            ink += pixel != CLR_INVALID && GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel) < 3 * 170;
        }
    ReleaseDC(window, screen);
    return ink;
}

class MainWindow : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        standin::UseStandInHosts();
        ASSERT_TRUE(standin::Reset()) << "stand-in vendor service not reachable";
        // The lookup runs beside the window's own start-up: a first answer of 503 makes it the longer of the two.
        ASSERT_TRUE(standin::SetScenario(R"({"lookup_fail": 1})"));
        g_App.SetSingleApplication(true, L"tarvix Lumbra");
        g_App.SetResType_ZipResource(L"skin", L"", 130, L"ZIPRES");
        HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordFirstShow, nullptr, GetCurrentThreadId());
        const bool started = g_App.InitInstance(GetModuleHandleW(nullptr));
        UnhookWindowsHookEx(hook);
        ASSERT_TRUE(started);
        g_App.GetMainWnd()->SetApplication(&g_App); // what the message loop's start does
        PumpUntil([]() { return false; }, 500);
        GetWindowRect(g_pMainFrame->GetHWND(), &g_started);
    }

    void SetUp() override
    {
        ASSERT_NE(nullptr, g_pMainFrame);
        ASSERT_TRUE(standin::Reset());
    }

    static CControlUI* Control(const wchar_t* name) { return g_pMainFrame->GetManager()->FindControl(name); }
    static bool Shows(const wchar_t* page) { return Control(page) != nullptr && Control(page)->IsVisible(); }
    static void Click(const wchar_t* name)
    {
        CControlUI* control = Control(name);
        ASSERT_NE(nullptr, control) << name;
        g_pMainFrame->GetManager()->SendNotify(control, L"click");
    }
    static int PackageSize()
    {
        WIN32_FILE_ATTRIBUTE_DATA info = {};
        GetFileAttributesExW(standin::SamplePackagePath().c_str(), GetFileExInfoStandard, &info);
        return static_cast<int>(info.nFileSizeLow);
    }
};

} // namespace

TEST_F(MainWindow, IsFirstShownWhereItStaysOnceTheAddressLookupHasEnded)
{
    EXPECT_EQ(2, g_lookupsAtFirstShow) << "shown before the lookup's second try";
    EXPECT_FALSE(IsRectEmpty(&g_started));
    EXPECT_TRUE(EqualRect(&g_firstShown, &g_started))
        << "first shown at " << g_firstShown.left << "," << g_firstShown.top << ", then moved to " << g_started.left
        << "," << g_started.top;
}

TEST_F(MainWindow, SecondStartRestoresTheMinimisedWindow)
{
    HWND window = g_pMainFrame->GetHWND();
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(PumpUntil([window]() { return IsIconic(window) != FALSE; }, 5000));

    // Built on the Linux side; Wine shows the root file system as drive Z:.
    std::wstring program = L"\"Z:" + Utf8ToWideString(PAVONEL_INSTALLER_PATH) + L"\"";
    for (wchar_t& c : program)
        if (c == L'/')
            c = L'\\';
    std::vector<wchar_t> commandLine(program.begin(), program.end());
    commandLine.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION second = {};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &second));
    CloseHandle(second.hThread);
    const bool ended = PumpUntil([&second]() { return WaitForSingleObject(second.hProcess, 0) == WAIT_OBJECT_0; },
                                 60000);
    if (!ended)
        TerminateProcess(second.hProcess, 1);
    CloseHandle(second.hProcess);
    ASSERT_TRUE(ended) << "the second start kept running";

    EXPECT_TRUE(PumpUntil([window]() { return !IsIconic(window) && IsWindowVisible(window); }, 10000))
        << "the first window stayed minimised";
}

TEST_F(MainWindow, DownloadShowsItsPercentBesideTheBarAndReinstallRunsAtOnce)
{
    // The package stalls half-way: 45 of the download's 90.
    const int half = (PackageSize() + 1) / 2;
    ASSERT_TRUE(standin::SetScenario("{\"package\":\"stall\",\"stall_after\":" + std::to_string(half) + "}"));
    Click(L"btn_Install");
    ASSERT_TRUE(Shows(L"page_install"));
    auto* bar = static_cast<CProgressUI*>(Control(L"pro_Percent"));
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(PumpUntil([]() { return Control(L"lb_Percent")->GetText() == L"45%"; }, 30000))
        << "label shows " << WideToUtf8String(Control(L"lb_Percent")->GetText().GetData());
    EXPECT_EQ(45, bar->GetValue());

    // The service gives up on the stalled reply, and refuses the retry: the run fails. Reinstall is clicked
    // as the page appears.
    ASSERT_TRUE(standin::Reset());
    ASSERT_TRUE(standin::SetScenario(R"({"fail_status":404,"fail_times":10})"));
    ASSERT_TRUE(PumpUntil([]() { return Shows(L"page_fail"); }, 60000));
    ASSERT_TRUE(standin::SetScenario(R"({"fail_status":0})"));
    Click(L"btn_Reinstall");
    EXPECT_TRUE(Shows(L"page_install"));
    EXPECT_FALSE(Shows(L"page_fail"));
    EXPECT_TRUE(PumpUntil([]() { return Shows(L"page_finished"); }, 90000)) << "the install page had no run behind it";
}

TEST_F(MainWindow, LongLogPathOnTheFailurePageWrapsOntoItsSecondRow)
{
    // A profile with a long name: the log lives in its temporary folder.
    const std::wstring temp = L"C:\\pavonel-test\\" + std::wstring(60, L'p') + L"\\AppData\\Local\\Temp\\";
    const int made = SHCreateDirectoryExW(nullptr, temp.c_str(), nullptr);
    ASSERT_TRUE(made == ERROR_SUCCESS || made == ERROR_ALREADY_EXISTS) << made;
    wchar_t previous[MAX_PATH + 1] = {};
    GetEnvironmentVariableW(L"TMP", previous, MAX_PATH + 1);
    SetEnvironmentVariableW(L"TMP", temp.c_str());
    ASSERT_TRUE(standin::SetScenario(R"({"package":"404"})"));
    Control(L"page_finished")->SetVisible(false); // where an earlier test's install ended
    Click(L"btn_Install");
    const bool failed = PumpUntil([]() { return Shows(L"page_fail"); }, 60000); // the log line comes first
    SetEnvironmentVariableW(L"TMP", previous[0] != L'\0' ? previous : nullptr);
    ASSERT_TRUE(failed);
    PumpUntil([]() { return false; }, 1000); // laid out and painted
    CControlUI* log = Control(L"lb_FailLog");
    EXPECT_NE(std::wstring::npos, std::wstring(log->GetText().GetData()).find(temp + L"Pavonel-install.log"));
    // Its rows are as high as the reason line's one.
    const RECT line = log->GetPos();
    const LONG row = Control(L"lb_FailReason")->GetPos().bottom - Control(L"lb_FailReason")->GetPos().top;
    EXPECT_GT(InkIn(g_pMainFrame->GetHWND(), {line.left, line.top + row, line.right, line.bottom}), 0)
        << "the path is cut off at the end of its first row";
}
