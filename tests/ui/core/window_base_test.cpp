// The native window wrapper: binding of the object, final message,
// subclassing and superclassing, the modal loop and the geometry helpers.
#include <gtest/gtest.h>

#include <vector>

#include "tests/ui/core/window_test_support.h"
#include "ui/core/UIWindowWnd.h"

using namespace Veneer;
using window_test::Pump;

namespace {

const UINT WM_TEST_PROBE = WM_APP + 7;

class PlainWnd : public CWindowWnd
{
public:
    LPCWSTR GetWindowClassName() const override { return L"VeneerWindowTestPlain"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == WM_CREATE) hwndSeenOnCreate = m_hWnd;
        if (uMsg == WM_SETTEXT) ++setTextCount;
        if (uMsg == WM_TEST_PROBE) {
            HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER);
            ownerEnabledDuringModal = hOwner != nullptr && ::IsWindowEnabled(hOwner);
            focusDuringModal = ::GetFocus();
            Close(static_cast<UINT>(wParam));
            return 0;
        }
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
    void OnFinalMessage(HWND hWnd) override
    {
        ++finalCount;
        finalHwnd = hWnd;
        handleNullAtFinal = (m_hWnd == nullptr);
    }

    HWND hwndSeenOnCreate = nullptr;
    int setTextCount = 0;
    int finalCount = 0;
    HWND finalHwnd = nullptr;
    bool handleNullAtFinal = false;
    bool ownerEnabledDuringModal = true;
    HWND focusDuringModal = nullptr;
};

void CALLBACK DestroyOnTimer(HWND hWnd, UINT, UINT_PTR, DWORD)
{
    ::DestroyWindow(hWnd);
}

HWND CreatePopup(PlainWnd& wnd, HWND hOwner, int x, int y, int cx, int cy, DWORD dwStyle = WS_POPUP)
{
    return wnd.Create(hOwner, L"plain", dwStyle, 0, x, y, cx, cy);
}

RECT WindowRect(HWND hWnd)
{
    RECT rc = {};
    ::GetWindowRect(hWnd, &rc);
    return rc;
}

RECT WorkAreaNear(HWND hWnd)
{
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &mi);
    return mi.rcWork;
}

} // namespace

TEST(WindowBinding, CreateBindsTheObjectBeforeWmCreate)
{
    PlainWnd wnd;
    HWND hWnd = CreatePopup(wnd, nullptr, 10, 10, 100, 80);
    ASSERT_NE(hWnd, nullptr);
    EXPECT_EQ(wnd.GetHWND(), hWnd);
    EXPECT_EQ(wnd.hwndSeenOnCreate, hWnd);
    ::DestroyWindow(hWnd);
}

TEST(WindowBinding, FinalMessageComesOnceAfterTheHandleIsCleared)
{
    PlainWnd wnd;
    HWND hWnd = CreatePopup(wnd, nullptr, 10, 10, 100, 80);
    ASSERT_NE(hWnd, nullptr);
    ::DestroyWindow(hWnd);
    EXPECT_EQ(wnd.finalCount, 1);
    EXPECT_EQ(wnd.finalHwnd, hWnd);
    EXPECT_TRUE(wnd.handleNullAtFinal);
    EXPECT_EQ(wnd.GetHWND(), nullptr);
}

TEST(WindowBinding, WindowOutlivingItsObjectNoLongerReachesIt)
{
    HWND hWnd = nullptr;
    {
        PlainWnd wnd;
        hWnd = CreatePopup(wnd, nullptr, 10, 10, 100, 80);
        ASSERT_NE(hWnd, nullptr);
    }
    EXPECT_EQ(::GetWindowLongPtrW(hWnd, GWLP_USERDATA), 0);
    EXPECT_TRUE(::SetWindowTextW(hWnd, L"still alive"));
    EXPECT_TRUE(::DestroyWindow(hWnd));
}

TEST(WindowBinding, ShowAndCloseDoNothingWithoutAWindow)
{
    PlainWnd wnd;
    wnd.ShowWindow(true);
    wnd.Close(3);
    wnd.CenterWindow();
    wnd.ResizeClient(10, 10);
    EXPECT_EQ(wnd.ShowModal(), 0u);
    EXPECT_EQ(wnd.GetHWND(), nullptr);
}

namespace {

class StaticSubclass : public PlainWnd
{
};

} // namespace

TEST(WindowSubclass, SubclassedWindowKeepsItsOwnBehaviour)
{
    HWND hStatic = ::CreateWindowExW(0, L"STATIC", L"before", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(hStatic, nullptr);
    StaticSubclass wnd;
    ASSERT_EQ(wnd.Subclass(hStatic), hStatic);
    ::SetWindowTextW(hStatic, L"after");
    EXPECT_EQ(wnd.setTextCount, 1);
    wchar_t szText[32] = {};
    ::GetWindowTextW(hStatic, szText, 32);
    EXPECT_STREQ(szText, L"after");

    wnd.Unsubclass();
    ::SetWindowTextW(hStatic, L"again");
    EXPECT_EQ(wnd.setTextCount, 1);
    ::GetWindowTextW(hStatic, szText, 32);
    EXPECT_STREQ(szText, L"again");
    ::DestroyWindow(hStatic);
    EXPECT_EQ(wnd.finalCount, 0);
}

TEST(WindowSubclass, DestroyingASubclassedWindowEndsTheBinding)
{
    HWND hStatic = ::CreateWindowExW(0, L"STATIC", L"x", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(hStatic, nullptr);
    StaticSubclass wnd;
    ASSERT_EQ(wnd.Subclass(hStatic), hStatic);
    ::DestroyWindow(hStatic);
    EXPECT_EQ(wnd.finalCount, 1);
    EXPECT_EQ(wnd.GetHWND(), nullptr);
}

namespace {

class SuperButton : public PlainWnd
{
public:
    LPCWSTR GetWindowClassName() const override { return L"VeneerWindowTestSuperButton"; }
    LPCWSTR GetSuperClassName() const override { return L"BUTTON"; }
};

class MissingSuper : public PlainWnd
{
public:
    LPCWSTR GetWindowClassName() const override { return L"VeneerWindowTestMissingSuper"; }
    LPCWSTR GetSuperClassName() const override { return L"VeneerNoSuchClass"; }
};

} // namespace

TEST(WindowSuperclass, SuperclassBehavesLikeItsBaseAndSeesMessages)
{
    SuperButton wnd;
    HWND hWnd = wnd.Create(nullptr, L"check", WS_POPUP | BS_AUTOCHECKBOX, 0, 0, 0, 80, 20);
    ASSERT_NE(hWnd, nullptr);
    wchar_t szClass[64] = {};
    ::GetClassNameW(hWnd, szClass, 64);
    EXPECT_STREQ(szClass, L"VeneerWindowTestSuperButton");
    EXPECT_EQ(::GetPropW(hWnd, L"WndX"), static_cast<HANDLE>(static_cast<CWindowWnd*>(&wnd)));
    ::SendMessageW(hWnd, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(::SendMessageW(hWnd, BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SetWindowTextW(hWnd, L"text");
    EXPECT_EQ(wnd.setTextCount, 1);
    ::DestroyWindow(hWnd);
    EXPECT_EQ(wnd.finalCount, 1);
}

TEST(WindowSuperclass, UnknownBaseClassMakesCreateFail)
{
    MissingSuper wnd;
    EXPECT_EQ(wnd.Create(nullptr, L"x", WS_POPUP, 0, 0, 0, 10, 10), nullptr);
    EXPECT_EQ(wnd.GetHWND(), nullptr);
}

namespace {

// An owner window and an owned dialog for the modal loop.
class ModalLoop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hOwner = CreatePopup(m_owner, nullptr, 50, 50, 300, 200, WS_POPUP | WS_VISIBLE);
        ASSERT_NE(m_hOwner, nullptr);
        m_hDlg = CreatePopup(m_dlg, m_hOwner, 100, 100, 100, 60);
        ASSERT_NE(m_hDlg, nullptr);
    }
    void TearDown() override
    {
        if (::IsWindow(m_hDlg)) ::DestroyWindow(m_hDlg);
        if (::IsWindow(m_hOwner)) ::DestroyWindow(m_hOwner);
    }

    PlainWnd m_owner;
    PlainWnd m_dlg;
    HWND m_hOwner = nullptr;
    HWND m_hDlg = nullptr;
};

} // namespace

TEST_F(ModalLoop, ReturnsTheValueGivenToClose)
{
    ::PostMessageW(m_hDlg, WM_TEST_PROBE, 7, 0);
    EXPECT_EQ(m_dlg.ShowModal(), 7u);
    EXPECT_FALSE(m_dlg.ownerEnabledDuringModal);
    EXPECT_TRUE(::IsWindowEnabled(m_hOwner));
    EXPECT_FALSE(::IsWindow(m_hDlg));
    EXPECT_EQ(m_dlg.finalCount, 1);
}

// Even shown before without activation (showing it again then activates nothing, and disabling the focused
// owner leaves the keys with no window at all: an Esc would be lost), the modal window has the keyboard.
TEST_F(ModalLoop, TheModalWindowHasTheKeyboardFocus)
{
    ::SetFocus(m_hOwner);
    ::ShowWindow(m_hDlg, SW_SHOWNOACTIVATE);
    ::PostMessageW(m_hDlg, WM_TEST_PROBE, 1, 0);
    m_dlg.ShowModal();
    EXPECT_EQ(m_hDlg, m_dlg.focusDuringModal);
}

TEST_F(ModalLoop, QuitInsideTheLoopIsPostedAgainForTheOuterLoop)
{
    ::PostQuitMessage(42);
    EXPECT_EQ(m_dlg.ShowModal(), 0u);
    EXPECT_TRUE(::IsWindowEnabled(m_hOwner));
    EXPECT_TRUE(::IsWindow(m_hDlg));
    MSG msg = {};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 42u);
}

TEST(ModalLoopAlone, WindowDestroyedElsewhereEndsTheLoopWithZero)
{
    PlainWnd dlg;
    HWND hDlg = CreatePopup(dlg, nullptr, 100, 100, 100, 60);
    ASSERT_NE(hDlg, nullptr);
    // Posted, so it runs inside the loop; DestroyWindow is not WM_CLOSE.
    ::SetTimer(hDlg, 1, 10, DestroyOnTimer);
    EXPECT_EQ(dlg.ShowModal(), 0u);
    EXPECT_FALSE(::IsWindow(hDlg));
}

TEST(WindowGeometry, CenterWindowCentresOnTheOwner)
{
    PlainWnd owner;
    HWND hOwner = CreatePopup(owner, nullptr, 100, 100, 400, 300, WS_POPUP | WS_VISIBLE);
    ASSERT_NE(hOwner, nullptr);
    PlainWnd child;
    HWND hChild = CreatePopup(child, hOwner, 0, 0, 200, 100);
    ASSERT_NE(hChild, nullptr);
    child.CenterWindow();
    RECT rc = WindowRect(hChild);
    EXPECT_EQ(rc.left, 200);
    EXPECT_EQ(rc.top, 200);
    EXPECT_EQ(rc.right - rc.left, 200);
    EXPECT_EQ(rc.bottom - rc.top, 100);
    ::DestroyWindow(hChild);
    ::DestroyWindow(hOwner);
}

TEST(WindowGeometry, CenterWindowKeepsTheWindowInsideTheWorkArea)
{
    PlainWnd owner;
    HWND hOwner = CreatePopup(owner, nullptr, 0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
    ASSERT_NE(hOwner, nullptr);
    RECT rcWork = WorkAreaNear(hOwner);
    ::SetWindowPos(hOwner, nullptr, rcWork.left - 40, rcWork.bottom - 60, 100, 100, SWP_NOZORDER);
    PlainWnd child;
    HWND hChild = CreatePopup(child, hOwner, 0, 0, 300, 200);
    ASSERT_NE(hChild, nullptr);
    child.CenterWindow();
    RECT rc = WindowRect(hChild);
    EXPECT_EQ(rc.left, rcWork.left);
    EXPECT_EQ(rc.bottom, rcWork.bottom);
    ::DestroyWindow(hChild);
    ::DestroyWindow(hOwner);
}

TEST(WindowGeometry, CenterWindowWithoutOwnerUsesTheWorkArea)
{
    PlainWnd wnd;
    HWND hWnd = CreatePopup(wnd, nullptr, 5, 5, 200, 100);
    ASSERT_NE(hWnd, nullptr);
    RECT rcWork = WorkAreaNear(hWnd);
    wnd.CenterWindow();
    RECT rc = WindowRect(hWnd);
    EXPECT_EQ(rc.left, (rcWork.left + rcWork.right) / 2 - 100);
    EXPECT_EQ(rc.top, (rcWork.top + rcWork.bottom) / 2 - 50);
    ::DestroyWindow(hWnd);
}

TEST(WindowIcon, SetIconLoadsBothSizesFromTheResourceModule)
{
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    PlainWnd wnd;
    HWND hWnd = CreatePopup(wnd, nullptr, 10, 10, 100, 80, WS_OVERLAPPEDWINDOW);
    ASSERT_NE(hWnd, nullptr);
    wnd.SetIcon(999);   // no such icon: nothing is set
    EXPECT_EQ(::SendMessageW(hWnd, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_EQ(::SendMessageW(hWnd, WM_GETICON, ICON_SMALL, 0), 0);

    wnd.SetIcon(1);
    HICON hBig = reinterpret_cast<HICON>(::SendMessageW(hWnd, WM_GETICON, ICON_BIG, 0));
    HICON hSmall = reinterpret_cast<HICON>(::SendMessageW(hWnd, WM_GETICON, ICON_SMALL, 0));
    ASSERT_NE(hBig, nullptr);
    ASSERT_NE(hSmall, nullptr);
    ICONINFO ii = {};
    ASSERT_TRUE(::GetIconInfo(hBig, &ii));
    BITMAP bm = {};
    ::GetObjectW(ii.hbmColor != nullptr ? ii.hbmColor : ii.hbmMask, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth % 16, 0);
    EXPECT_GE(bm.bmWidth, ::GetSystemMetrics(SM_CXICON));
    if (ii.hbmColor != nullptr) ::DeleteObject(ii.hbmColor);
    if (ii.hbmMask != nullptr) ::DeleteObject(ii.hbmMask);
    ::DestroyWindow(hWnd);
}

TEST(WindowGeometry, ResizeClientAccountsForTheFrame)
{
    PlainWnd wnd;
    HWND hWnd = wnd.Create(nullptr, L"framed", WS_OVERLAPPEDWINDOW, 0, 30, 30, 400, 300);
    ASSERT_NE(hWnd, nullptr);
    RECT rcBefore = WindowRect(hWnd);
    wnd.ResizeClient(200, 120);
    RECT rcClient = {};
    ::GetClientRect(hWnd, &rcClient);
    EXPECT_EQ(rcClient.right, 200);
    EXPECT_EQ(rcClient.bottom, 120);
    RECT rcAfter = WindowRect(hWnd);
    EXPECT_EQ(rcAfter.left, rcBefore.left);
    EXPECT_EQ(rcAfter.top, rcBefore.top);

    wnd.ResizeClient(-1, 90);
    ::GetClientRect(hWnd, &rcClient);
    EXPECT_EQ(rcClient.right, 200);
    EXPECT_EQ(rcClient.bottom, 90);
    ::DestroyWindow(hWnd);
}
