// The installer's own skin markup and language packages, read from their
// source folder, build into the expected control trees and texts.
#include <gtest/gtest.h>

#include <string>

#include "ui/controls/UIControl.h"
#include "ui/core/UIDlgBuilder.h"
#include "ui/core/UILangManager.h"
#include "ui/core/UIManager.h"

using namespace Veneer;

namespace {

struct WindowHolder
{
    HWND hwnd = nullptr;
    ~WindowHolder()
    {
        if (hwnd != nullptr) DestroyWindow(hwnd);
    }
};

int g_unknown = 0;
void CountUnknown(LPCTSTR, LPCTSTR) { ++g_unknown; }

class InstallerSkin : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::wstring folder = L"Z:" SKIN_SOURCE_DIR;
        if (GetFileAttributesW((folder + L"/MainFrame.xml").c_str()) == INVALID_FILE_ATTRIBUTES) {
            GTEST_SKIP() << "skin sources not found";
        }
        CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
        CPaintManagerUI::SetResourceZip(L"", true);
        CPaintManagerUI::SetResourcePath(folder.c_str());
        CLangManagerUI::SetLanguage(L"Lang\\English", L"en");
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VeneerSkinTest";
        RegisterClassW(&wc);
        window.hwnd = CreateWindowW(L"VeneerSkinTest", L"s", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, wc.hInstance,
                                    nullptr);
        pm.Init(window.hwnd);
        g_unknown = 0;
        previous = CDialogBuilder::SetErrorReporter(&CountUnknown);
    }
    void TearDown() override
    {
        CDialogBuilder::SetErrorReporter(previous);
        CPaintManagerUI::SetResourcePath(L"");
    }
    void Build(const wchar_t* file)
    {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(file, nullptr, nullptr, &pm);
        ASSERT_NE(root, nullptr) << builder.GetLastErrorMessage();
        pm.AttachDialog(root);
    }
    CUIString Text(const wchar_t* name)
    {
        CControlUI* c = pm.FindControl(name);
        return c != nullptr ? c->GetText() : CUIString(L"<missing>");
    }

    WindowHolder window;
    CPaintManagerUI pm;
    PFN_DIALOGBUILDER_ERROR previous = nullptr;
};

} // namespace

TEST_F(InstallerSkin, MainWindowBuildsWithEnglishTexts)
{
    Build(L"MainFrame.xml");
    EXPECT_EQ(g_unknown, 0);
    EXPECT_EQ(pm.GetInitSize().cx, 600);
    EXPECT_EQ(pm.GetInitSize().cy, 400);
    EXPECT_EQ(pm.GetCaptionRect().bottom, 400);
    for (int id = 0; id <= 8; ++id) EXPECT_NE(pm.GetFontInfo(id, false), nullptr) << id;
    EXPECT_EQ(pm.GetFontInfo(8, false)->iSize, 12);
    EXPECT_TRUE(pm.GetFontInfo(8, false)->bUnderline);
    EXPECT_NE(pm.GetStyle(L"option_outfile_ext_style"), nullptr);
    for (const wchar_t* page : {L"page_home", L"page_install", L"page_finished", L"page_fail"}) {
        EXPECT_NE(pm.FindControl(page), nullptr) << page;
    }
    EXPECT_TRUE(pm.FindControl(L"page_home")->IsVisible());
    EXPECT_FALSE(pm.FindControl(L"page_install")->IsVisible());
    EXPECT_EQ(Text(L"btn_Install"), L"Install Now");
    EXPECT_EQ(Text(L"lb_AppName_3"), L"Lumbra");
    EXPECT_EQ(Text(L"btn_User"), L"<User License Agreement>");
    EXPECT_EQ(Text(L"lb_Tip3"), L"Safe and reliable, prevent information leakage");
    EXPECT_EQ(Text(L"lb_Percent"), L"0%");   // empty package text
    EXPECT_EQ(Text(L"btn_OfflinePatch"), L"Offline package");
    EXPECT_EQ(Text(L"edit_Installdir"), L"C:\\Program Files (x86)\\tarvix\\Lumbra");
    // Attribute names the framework does not know stay as custom attributes.
    EXPECT_STREQ(pm.FindControl(L"btn_Install")->GetCustomAttribute(L"corser"), L"hand");
    EXPECT_STREQ(CLangManagerUI::GetString(1), L"Select the folder directory from below:");
    // The failure page's reason line and log line take their texts at run time, from the string table.
    EXPECT_EQ(Text(L"lb_FailReason"), L"");
    EXPECT_EQ(Text(L"lb_FailLog"), L"");
    EXPECT_STREQ(CLangManagerUI::GetString(2), L"No connection to the download server.");
    EXPECT_STREQ(CLangManagerUI::GetString(6), L"The package reported an error.");
}

TEST_F(InstallerSkin, MainWindowSwitchesToChinese)
{
    Build(L"MainFrame.xml");
    CLangManagerUI::SetLanguage(L"Lang\\ChineseSimplified", L"chs");
    pm.GetLangManager()->ReloadLanguage();
    EXPECT_EQ(Text(L"btn_Install"), L"\x7ACB\x5373\x5B89\x88C5");
    EXPECT_EQ(Text(L"lb_Fail"), L"\x5B89\x88C5\x5931\x8D25");
    EXPECT_EQ(Text(L"lb_Percent"), L"0%");
    EXPECT_STREQ(CLangManagerUI::GetString(1), L"\x4ECE\x4E0B\x9762\x9009\x6587\x4EF6\x5939\x76EE\x5F55:");
    EXPECT_STREQ(CLangManagerUI::GetString(5), L"\x78C1\x76D8\x5DF2\x6EE1\x6216\x65E0\x6CD5\x5199\x5165\x3002");
    CLangManagerUI::SetLanguage(L"Lang\\English", L"en");
}

TEST_F(InstallerSkin, ConfirmationDialogBuilds)
{
    Build(L"MsgWnd.xml");
    EXPECT_EQ(g_unknown, 0);
    EXPECT_EQ(pm.GetInitSize().cx, 400);
    EXPECT_EQ(pm.GetInitSize().cy, 195);
    EXPECT_EQ(Text(L"lb_Text"), L"Are you sure to exit?");
    EXPECT_EQ(Text(L"btn_confirm"), L"YES");
    EXPECT_EQ(Text(L"btn_cancel"), L"NO");
}
