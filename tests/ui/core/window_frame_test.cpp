// Skinned windows: caption and border hit testing, maximise/restore buttons,
// window region, tracking limits, the Return/Escape hook, forms, menu
// commands and custom messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/core/window_test_support.h"
#include "ui/controls/UIContainer.h"
#include "ui/controls/UIRichEdit.h"
#include "ui/core/UIForm.h"
#include "ui/core/WindowImplBase.h"

using namespace Veneer;
using window_test::HitTestAt;
using window_test::MarkupFrame;
using window_test::Pump;

namespace {

const wchar_t kCaptionSkin[] =
    L"<Window size=\"300,200\" caption=\"10,0,10,40\" sizebox=\"4,4,4,4\">"
    L"<VerticalLayout>"
    L"<HorizontalLayout height=\"40\">"
    L"<Label name=\"title\" width=\"100\" />"
    L"<Button name=\"btn\" width=\"60\" />"
    L"<Control name=\"filler\" />"
    L"</HorizontalLayout>"
    L"<Label name=\"body\" />"
    L"</VerticalLayout>"
    L"</Window>";

class CaptionHitTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hWnd = m_frame.CreateAt(100, 100, 300, 200);
        ASSERT_NE(m_hWnd, nullptr);
        ASSERT_NE(m_frame.Find(L"title"), nullptr);
    }
    void TearDown() override { m_frame.DestroyIfAlive(); }

    MarkupFrame m_frame{kCaptionSkin};
    HWND m_hWnd = nullptr;
};

} // namespace

TEST_F(CaptionHitTest, StaticControlsInTheBandDragTheWindow)
{
    EXPECT_EQ(HitTestAt(m_hWnd, 50, 20), HTCAPTION);     // label
    EXPECT_EQ(HitTestAt(m_hWnd, 200, 20), HTCAPTION);    // bare control inside a layout
}

TEST_F(CaptionHitTest, ButtonInTheBandStaysClickable)
{
    EXPECT_EQ(HitTestAt(m_hWnd, 130, 20), HTCLIENT);
}

TEST_F(CaptionHitTest, ExcludedMarginsAndBelowTheBandAreClientArea)
{
    EXPECT_EQ(HitTestAt(m_hWnd, 6, 20), HTCLIENT);       // left margin, outside the size box
    EXPECT_EQ(HitTestAt(m_hWnd, 290, 20), HTCLIENT);     // first pixel of the right margin
    EXPECT_EQ(HitTestAt(m_hWnd, 289, 20), HTCAPTION);    // last pixel of the band
    EXPECT_EQ(HitTestAt(m_hWnd, 10, 20), HTCAPTION);     // first pixel of the band
    EXPECT_EQ(HitTestAt(m_hWnd, 50, 40), HTCLIENT);      // first row below the band
    EXPECT_EQ(HitTestAt(m_hWnd, 50, 39), HTCAPTION);
}

TEST_F(CaptionHitTest, SizeBoxGivesEdgesAndCorners)
{
    EXPECT_EQ(HitTestAt(m_hWnd, 2, 2), HTTOPLEFT);
    EXPECT_EQ(HitTestAt(m_hWnd, 150, 2), HTTOP);
    EXPECT_EQ(HitTestAt(m_hWnd, 298, 2), HTTOPRIGHT);
    EXPECT_EQ(HitTestAt(m_hWnd, 2, 100), HTLEFT);
    EXPECT_EQ(HitTestAt(m_hWnd, 298, 100), HTRIGHT);
    EXPECT_EQ(HitTestAt(m_hWnd, 2, 198), HTBOTTOMLEFT);
    EXPECT_EQ(HitTestAt(m_hWnd, 150, 198), HTBOTTOM);
    EXPECT_EQ(HitTestAt(m_hWnd, 298, 198), HTBOTTOMRIGHT);
    EXPECT_EQ(HitTestAt(m_hWnd, 150, 100), HTCLIENT);
}

TEST_F(CaptionHitTest, MaximisedWindowHasNoSizeBox)
{
    ::ShowWindow(m_hWnd, SW_MAXIMIZE);
    Pump();
    ASSERT_TRUE(::IsZoomed(m_hWnd));
    EXPECT_EQ(HitTestAt(m_hWnd, 2, 2), HTCLIENT);
    EXPECT_EQ(HitTestAt(m_hWnd, 50, 20), HTCAPTION);
}

TEST_F(CaptionHitTest, CaptionBandScalesWithTheWindowDpi)
{
    CDPI* pDPI = m_frame.Manager().GetDPIObj();
    ASSERT_NE(pDPI, nullptr);
    pDPI->SetDPIAwareness(UI_PROCESS_PER_MONITOR_DPI_AWARE);
    if (pDPI->GetDPIAwareness() == UI_PROCESS_DPI_UNAWARE) GTEST_SKIP() << "platform refused DPI awareness";
    // At 100 % the body label at y = 50 is below the 40-pixel band and
    // x = 12 is inside it; at 150 % the band is 60 pixels high with
    // 15-pixel margins (the controls keep their places until the next layout).
    pDPI->SetScale(96);
    EXPECT_EQ(HitTestAt(m_hWnd, 50, 50), HTCLIENT);
    EXPECT_EQ(HitTestAt(m_hWnd, 12, 20), HTCAPTION);
    pDPI->SetScale(144);
    EXPECT_EQ(HitTestAt(m_hWnd, 50, 50), HTCAPTION);
    EXPECT_EQ(HitTestAt(m_hWnd, 12, 20), HTCLIENT);
    pDPI->SetScale(96);
}

namespace {

const wchar_t kCaptionToBottomSkin[] =
    L"<Window size=\"200,150\" caption=\"0,0,0,-1\">"
    L"<VerticalLayout><Label name=\"all\" /></VerticalLayout>"
    L"</Window>";

} // namespace

TEST(CaptionBand, BottomOfMinusOneReachesTheClientBottom)
{
    MarkupFrame frame(kCaptionToBottomSkin);
    HWND hWnd = frame.CreateAt(50, 50, 200, 150);
    ASSERT_NE(hWnd, nullptr);
    EXPECT_EQ(HitTestAt(hWnd, 100, 149), HTCAPTION);
    EXPECT_EQ(HitTestAt(hWnd, 100, 0), HTCAPTION);
    frame.DestroyIfAlive();
}

namespace {

// A container of the program's own: not one of the framework's static classes.
class CustomPanelUI : public CContainerUI
{
public:
    LPCTSTR GetClass() const override { return L"CustomPanelUI"; }
};

class CustomPanelFrame : public MarkupFrame
{
public:
    CustomPanelFrame()
        : MarkupFrame(L"<Window size=\"300,200\" caption=\"0,0,0,60\">"
                      L"<VerticalLayout>"
                      L"<HorizontalLayout height=\"60\">"
                      L"<Label name=\"free\" width=\"100\" />"
                      L"<CustomPanel width=\"100\"><Label name=\"inside\" /></CustomPanel>"
                      L"</HorizontalLayout>"
                      L"</VerticalLayout>"
                      L"</Window>")
    {
    }
    CControlUI* CreateControl(LPCWSTR pstrClass) override
    {
        if (lstrcmpiW(pstrClass, L"CustomPanel") == 0) return new CustomPanelUI();
        return MarkupFrame::CreateControl(pstrClass);
    }
};

} // namespace

TEST(CaptionBand, LabelInsideANonStaticContainerDoesNotDrag)
{
    CustomPanelFrame frame;
    HWND hWnd = frame.CreateAt(70, 70, 300, 200);
    ASSERT_NE(hWnd, nullptr);
    ASSERT_NE(frame.Find(L"inside"), nullptr);
    EXPECT_EQ(HitTestAt(hWnd, 50, 30), HTCAPTION);
    EXPECT_EQ(HitTestAt(hWnd, 150, 30), HTCLIENT);
    frame.DestroyIfAlive();
}

namespace {

const wchar_t kButtonsSkin[] =
    L"<Window size=\"300,200\">"
    L"<HorizontalLayout>"
    L"<Button name=\"windowmaxbtn\" width=\"30\" />"
    L"<Button name=\"windowrestorebtn\" width=\"30\" />"
    L"<Button name=\"windowminbtn\" width=\"30\" />"
    L"<Button name=\"windowclosebtn\" width=\"30\" />"
    L"<Button name=\"maxbtn\" width=\"30\" />"
    L"<Button name=\"restorebtn\" width=\"30\" />"
    L"</HorizontalLayout>"
    L"</Window>";

class CaptionButtons : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hWnd = m_frame.CreateAt(120, 120, 300, 200);
        ASSERT_NE(m_hWnd, nullptr);
        m_pMax = m_frame.Find(L"windowmaxbtn");
        m_pRestore = m_frame.Find(L"windowrestorebtn");
        ASSERT_NE(m_pMax, nullptr);
        ASSERT_NE(m_pRestore, nullptr);
    }
    void TearDown() override { m_frame.DestroyIfAlive(); }

    void Click(LPCWSTR pstrName)
    {
        CControlUI* pControl = m_frame.Find(pstrName);
        ASSERT_NE(pControl, nullptr);
        m_frame.Manager().SendNotify(pControl, L"click");
        Pump();
    }

    MarkupFrame m_frame{kButtonsSkin};
    HWND m_hWnd = nullptr;
    CControlUI* m_pMax = nullptr;
    CControlUI* m_pRestore = nullptr;
};

} // namespace

TEST_F(CaptionButtons, WindowInitShowsTheButtonForTheCurrentState)
{
    EXPECT_TRUE(m_pMax->IsVisible());
    EXPECT_FALSE(m_pRestore->IsVisible());
}

TEST_F(CaptionButtons, MaximiseAndRestoreSwapTheButtons)
{
    ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(::IsZoomed(m_hWnd));
    EXPECT_FALSE(m_pMax->IsVisible());
    EXPECT_TRUE(m_pRestore->IsVisible());

    ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_FALSE(::IsZoomed(m_hWnd));
    EXPECT_TRUE(m_pMax->IsVisible());
    EXPECT_FALSE(m_pRestore->IsVisible());
}

TEST_F(CaptionButtons, FrameLeavesThePlainWindowNamesAlone)
{
    CControlUI* pPlainMax = m_frame.Find(L"maxbtn");
    ASSERT_NE(pPlainMax, nullptr);
    ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(pPlainMax->IsVisible());
}

TEST_F(CaptionButtons, ClicksOnTheNamedButtonsDriveTheWindow)
{
    Click(L"windowmaxbtn");
    EXPECT_TRUE(::IsZoomed(m_hWnd));
    EXPECT_TRUE(m_pRestore->IsVisible());
    Click(L"windowrestorebtn");
    EXPECT_FALSE(::IsZoomed(m_hWnd));
    Click(L"windowminbtn");
    EXPECT_TRUE(::IsIconic(m_hWnd));
    ::ShowWindow(m_hWnd, SW_RESTORE);
    Click(L"windowclosebtn");
    EXPECT_TRUE(window_test::PumpUntil([&] { return !::IsWindow(m_hWnd); }));
}

TEST_F(CaptionButtons, SystemCloseBecomesWmClose)
{
    ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(::IsWindow(m_hWnd));
}

namespace {

// A plain skinned window (not a frame) uses the short button names.
class PlainSkinWindow : public WindowImplBase
{
public:
    LPCWSTR GetWindowClassName() const override { return L"VeneerWindowTestPlainSkin"; }
    CUIString GetSkinFile() override { return kButtonsSkin; }
    CControlUI* Find(LPCWSTR pstrName) { return m_pm.FindControl(pstrName); }
    CControlUI* Root() { return m_pm.GetRoot(); }
    std::vector<WPARAM> keys;
    LRESULT keyAnswer = 1;
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override
    {
        keys.push_back(wParam);
        return wParam == VK_ESCAPE ? keyAnswer : 1;
    }
};

} // namespace

TEST(PlainSkinWindow, MaximiseSwapsTheShortNames)
{
    PlainSkinWindow wnd;
    HWND hWnd = wnd.Create(nullptr, L"plain", WS_POPUP | WS_VISIBLE, 0, 80, 80, 300, 200);
    ASSERT_NE(hWnd, nullptr);
    ::UpdateWindow(hWnd);
    Pump();
    CControlUI* pMax = wnd.Find(L"maxbtn");
    CControlUI* pRestore = wnd.Find(L"restorebtn");
    ASSERT_NE(pMax, nullptr);
    ASSERT_NE(pRestore, nullptr);
    ::SendMessageW(hWnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_FALSE(pMax->IsVisible());
    EXPECT_TRUE(pRestore->IsVisible());
    EXPECT_TRUE(wnd.Find(L"windowmaxbtn")->IsVisible());
    ::SendMessageW(hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(pMax->IsVisible());
    EXPECT_FALSE(pRestore->IsVisible());
    ::DestroyWindow(hWnd);
}

TEST(PlainSkinWindow, ReturnAndEscapeHookConsumesOnlyWhenAskedTo)
{
    PlainSkinWindow wnd;
    wnd.keyAnswer = 0;
    HWND hWnd = wnd.Create(nullptr, L"plain", WS_POPUP | WS_VISIBLE, 0, 80, 80, 300, 200);
    ASSERT_NE(hWnd, nullptr);
    Pump();

    MSG msg = {};
    msg.hwnd = hWnd;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_ESCAPE;
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&msg));
    msg.wParam = VK_RETURN;
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&msg));
    msg.wParam = 'A';
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&msg));
    msg.message = WM_KEYUP;
    msg.wParam = VK_ESCAPE;
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&msg));
    EXPECT_EQ(wnd.keys, (std::vector<WPARAM>{VK_ESCAPE, VK_RETURN}));

    // A focused edit that takes Return itself keeps it from the window's hook; Escape still reaches it.
    auto* edit = new CRichEditUI();
    edit->SetWantReturn(true);
    static_cast<CContainerUI*>(wnd.Root())->Add(edit);
    edit->SetFocus();
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_RETURN;
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&msg));
    msg.wParam = VK_ESCAPE;
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&msg));
    EXPECT_EQ(wnd.keys, (std::vector<WPARAM>{VK_ESCAPE, VK_RETURN, VK_ESCAPE}));
    ::DestroyWindow(hWnd);
}

namespace {

const wchar_t kRoundSkin[] =
    L"<Window size=\"240,160\" roundcorner=\"20,20\"><VerticalLayout /></Window>";
const wchar_t kSquareSkin[] =
    L"<Window size=\"240,160\" mininfo=\"120,80\" maxinfo=\"500,400\"><VerticalLayout /></Window>";
const wchar_t kNoLimitsSkin[] = L"<Window size=\"240,160\"><VerticalLayout /></Window>";

RECT RegionBox(HWND hWnd, int* pKind)
{
    RECT rc = {};
    HRGN hRgn = ::CreateRectRgn(0, 0, 0, 0);
    *pKind = ::GetWindowRgn(hWnd, hRgn);
    ::GetRgnBox(hRgn, &rc);
    ::DeleteObject(hRgn);
    return rc;
}

bool RegionContains(HWND hWnd, int x, int y)
{
    HRGN hRgn = ::CreateRectRgn(0, 0, 0, 0);
    ::GetWindowRgn(hWnd, hRgn);
    bool bIn = ::PtInRegion(hRgn, x, y) != FALSE;
    ::DeleteObject(hRgn);
    return bIn;
}

} // namespace

TEST(WindowRegion, SquareCornersStillGetARegionOnePixelLarger)
{
    MarkupFrame frame(kSquareSkin);
    HWND hWnd = frame.CreateAt(60, 60, 240, 160);
    ASSERT_NE(hWnd, nullptr);
    ::SetWindowPos(hWnd, nullptr, 0, 0, 250, 170, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    int kind = ERROR;
    RECT rc = RegionBox(hWnd, &kind);
    ASSERT_NE(kind, ERROR);
    ASSERT_NE(kind, NULLREGION);
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 0);
    EXPECT_GE(rc.right, 250);
    EXPECT_GE(rc.bottom, 170);
    EXPECT_LE(rc.right, 251);
    EXPECT_LE(rc.bottom, 171);
    EXPECT_TRUE(RegionContains(hWnd, 0, 0));
    EXPECT_TRUE(RegionContains(hWnd, 249, 169));
    frame.DestroyIfAlive();
}

TEST(WindowRegion, RoundCornersCutTheCornerPixels)
{
    MarkupFrame frame(kRoundSkin);
    HWND hWnd = frame.CreateAt(60, 60, 240, 160);
    ASSERT_NE(hWnd, nullptr);
    ::SetWindowPos(hWnd, nullptr, 0, 0, 240, 160, SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    Pump();
    EXPECT_FALSE(RegionContains(hWnd, 0, 0));
    EXPECT_FALSE(RegionContains(hWnd, 239, 159));
    EXPECT_TRUE(RegionContains(hWnd, 120, 80));
    EXPECT_TRUE(RegionContains(hWnd, 0, 80));
    frame.DestroyIfAlive();
}

TEST(TrackingLimits, ManagerSizesBoundTheTrackingSize)
{
    MarkupFrame frame(kSquareSkin);
    HWND hWnd = frame.CreateAt(60, 60, 240, 160);
    ASSERT_NE(hWnd, nullptr);
    MINMAXINFO mmi = {};
    ::SendMessageW(hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(mmi.ptMinTrackSize.x, 120);
    EXPECT_EQ(mmi.ptMinTrackSize.y, 80);
    EXPECT_EQ(mmi.ptMaxTrackSize.x, 500);
    EXPECT_EQ(mmi.ptMaxTrackSize.y, 400);
    frame.DestroyIfAlive();
}

TEST(TrackingLimits, WithoutLimitsTheWorkAreaIsTheMaximum)
{
    MarkupFrame frame(kNoLimitsSkin);
    HWND hWnd = frame.CreateAt(60, 60, 240, 160);
    ASSERT_NE(hWnd, nullptr);
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTOPRIMARY), &mi));
    const LONG cx = mi.rcWork.right - mi.rcWork.left;
    const LONG cy = mi.rcWork.bottom - mi.rcWork.top;
    MINMAXINFO mmi = {};
    ::SendMessageW(hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(mmi.ptMaxSize.x, cx);
    EXPECT_EQ(mmi.ptMaxSize.y, cy);
    EXPECT_EQ(mmi.ptMaxTrackSize.x, cx);
    EXPECT_EQ(mmi.ptMaxTrackSize.y, cy);
    EXPECT_EQ(mmi.ptMaxPosition.x, mi.rcWork.left);
    EXPECT_EQ(mmi.ptMaxPosition.y, mi.rcWork.top);
    frame.DestroyIfAlive();
}

namespace {

std::vector<std::string>* g_pLog = nullptr;

void Log(const std::string& s)
{
    if (g_pLog != nullptr) g_pLog->push_back(s);
}

class LoggingForm : public CUIForm
{
public:
    LoggingForm(const char* tag, bool* pDeleted) : m_tag(tag), m_pDeleted(pDeleted) {}
    ~LoggingForm() override
    {
        if (m_pDeleted != nullptr) *m_pDeleted = true;
    }
    CUIString GetFormName() override
    {
        std::wstring w(m_tag.begin(), m_tag.end());
        return CUIString(w.c_str());
    }
    void InitWindow() override { Log(m_tag + ":init"); }
    void OnActiveForm() override { Log(m_tag + ":active"); }
    void OnHideForm() override { Log(m_tag + ":hide"); }
    void Notify(TNotifyUI& msg) override
    {
        std::wstring w(msg.sType.GetData());
        Log(m_tag + ":notify:" + std::string(w.begin(), w.end()));
    }
    bool OnMenuCommand(const MenuCmd* cmd) override
    {
        std::wstring w(cmd->sName.GetData());
        Log(m_tag + ":menu:" + std::string(w.begin(), w.end()));
        return acceptMenu;
    }
    bool OnCustomMessage(UINT uMsg, WPARAM, LPARAM) override
    {
        if (uMsg != WM_APP + 20) return false;
        Log(m_tag + ":custom");
        return true;
    }
    bool acceptMenu = true;

private:
    std::string m_tag;
    bool* m_pDeleted;
};

class LoggingFrame : public MarkupFrame
{
public:
    LoggingFrame() : MarkupFrame(L"<Window size=\"200,100\"><VerticalLayout name=\"root\" /></Window>") {}
    void InitWindow() override { Log("frame:init"); }
    void OnNotifyClick(TNotifyUI&) override { Log("frame:click"); }
    bool OnMenuCommand(const MenuCmd*) override
    {
        Log("frame:menu");
        return false;
    }
};

class FrameForms : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_pLog = &m_log;
        m_pForm1 = new LoggingForm("one", &m_bDeleted1);
        m_pForm2 = new LoggingForm("two", &m_bDeleted2);
        m_frame.AttachVirtualForm(m_pForm1);
        m_frame.AttachVirtualForm(m_pForm2);
        m_frame.AttachVirtualForm(m_pForm1);
        m_hWnd = m_frame.CreateAt(40, 40, 200, 100);
        ASSERT_NE(m_hWnd, nullptr);
        m_pRoot = m_frame.Find(L"root");
        ASSERT_NE(m_pRoot, nullptr);
    }
    void TearDown() override
    {
        m_frame.DestroyIfAlive();
        g_pLog = nullptr;
    }

    std::vector<std::string> m_log;
    LoggingFrame m_frame;
    LoggingForm* m_pForm1 = nullptr;
    LoggingForm* m_pForm2 = nullptr;
    bool m_bDeleted1 = false;
    bool m_bDeleted2 = false;
    HWND m_hWnd = nullptr;
    CControlUI* m_pRoot = nullptr;
};

} // namespace

TEST_F(FrameForms, FormsAreAttachedOnceAndInitialisedBeforeTheFrame)
{
    EXPECT_EQ(m_frame.GetFormCount(), 2);
    EXPECT_EQ(m_pForm1->GetFrameWnd(), &m_frame);
    EXPECT_EQ(m_pForm1->GetManager(), m_frame.GetManager());
    std::vector<std::string> inits;
    for (const std::string& s : m_log) {
        if (s.find(":init") != std::string::npos) inits.push_back(s);
    }
    EXPECT_EQ(inits, (std::vector<std::string>{"one:init", "two:init", "frame:init"}));
}

TEST_F(FrameForms, NotificationsReachFormsInOrderThenTheFrameMap)
{
    m_log.clear();
    TNotifyUI msg;
    msg.sType = L"click";
    msg.pSender = m_pRoot;
    m_frame.Notify(msg);
    EXPECT_EQ(m_log, (std::vector<std::string>{"one:notify:click", "two:notify:click", "frame:click"}));
}

TEST_F(FrameForms, TabFormNotificationsGoOnlyToTheNamedForm)
{
    m_log.clear();
    m_pRoot->SetName(L"two");
    TNotifyUI msg;
    msg.sType = L"tabactiveform";
    msg.pSender = m_pRoot;
    m_frame.Notify(msg);
    EXPECT_EQ(m_log, (std::vector<std::string>{"two:active"}));
    m_log.clear();
    msg.sType = L"tabnoactiveform";
    m_frame.Notify(msg);
    EXPECT_EQ(m_log, (std::vector<std::string>{"two:hide"}));
    m_pRoot->SetName(L"root");
}

TEST_F(FrameForms, MenuCommandsAreOfferedUntilTakenAndThenFreed)
{
    m_log.clear();
    MenuCmd* pCmd = AllocMenuCmd();
    ASSERT_NE(pCmd, nullptr);
    pCmd->sName = L"open";
    ::SendMessageW(m_hWnd, WM_USER + 4, reinterpret_cast<WPARAM>(pCmd), 0);
    EXPECT_EQ(m_log, (std::vector<std::string>{"frame:menu", "one:menu:open"}));
    EXPECT_FALSE(IsLiveMenuCmd(pCmd));
}

TEST_F(FrameForms, ForeignMenuRecordIsIgnored)
{
    m_log.clear();
    MenuCmd foreign;
    foreign.sName = L"forged";
    ::SendMessageW(m_hWnd, WM_USER + 4, reinterpret_cast<WPARAM>(&foreign), 0);
    EXPECT_TRUE(m_log.empty());
}

TEST_F(FrameForms, CustomMessageTakenByAFormIsHandled)
{
    m_log.clear();
    EXPECT_EQ(::SendMessageW(m_hWnd, WM_APP + 20, 1, 2), 0);
    EXPECT_EQ(m_log, (std::vector<std::string>{"one:custom"}));
}

TEST_F(FrameForms, DetachedFormIsNotDeletedWithTheWindow)
{
    m_frame.DetachVirtualForm(m_pForm2);
    EXPECT_EQ(m_frame.GetFormCount(), 1);
    EXPECT_EQ(m_pForm2->GetFrameWnd(), nullptr);
    ::DestroyWindow(m_hWnd);
    EXPECT_TRUE(m_bDeleted1);
    EXPECT_FALSE(m_bDeleted2);
    EXPECT_EQ(m_frame.GetFormCount(), 0);
    delete m_pForm2;
}
