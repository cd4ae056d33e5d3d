// Controls built from a skin archive take their texts from the language
// package of the markup file that created them.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/ScratchFolder.h"
#include "tests/support/ZipWriter.h"
#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/core/UIDlgBuilder.h"
#include "ui/core/UILangManager.h"
#include "ui/core/UILangPackage.h"
#include "ui/core/UIManager.h"

using namespace Veneer;
using test_support::Utf8;
using test_support::ZipWriter;

namespace {

// A cut-down copy of the installer's main window markup and its packages.
const wchar_t kMainFrame[] =
    L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    L"<Window size=\"600,400\" caption=\"0,0,0,400\" showshadow=\"true\" shadowsize=\"5\">\n"
    L"  <Font id=\"0\" name=\"\x5FAE\x8F6F\x96C5\x9ED1\" size=\"14\" default=\"true\"/>\n"
    L"  <Style name=\"option_outfile_ext_style\" value=\"normalimage=&quot;file='common_choose.png' "
    L"source='0,14,14,28'&quot; selectedimage=&quot;file='common_choose.png' source='0,28,14,42'&quot;\" "
    L"shared=\"true\"/>\n"
    L"  <VerticalLayout childalign=\"center\">\n"
    L"    <VerticalLayout name=\"page_home\" visible=\"true\">\n"
    L"      <Label name=\"lb_AppName\" font=\"2\" resourceid=\"1\" text=\"\x9732\x5E03\x62C9\"/>\n"
    L"      <Button name=\"btn_Install\" resourceid=\"2\" text=\"\x7ACB\x5373\x5B89\x88C5\" corser=\"hand\"/>\n"
    L"      <Option name=\"opt_User\" style=\"option_outfile_ext_style\" resourceid=\"3\" "
    L"text=\"\x6211\x5DF2\x9605\x8BFB\x5E76\x540C\x610F\"/>\n"
    L"      <Label name=\"lb_Tip1\" resourceid=\"7\" text=\"\"/>\n"
    L"      <Label name=\"lb_Percent\" resourceid=\"12\" text=\"0%\"/>\n"
    L"      <Label name=\"lb_Zero\" resourceid=\"0\" text=\"zero\"/>\n"
    L"      <Label name=\"lb_Negative\" resourceid=\"-1\" text=\"negative\"/>\n"
    L"      <Label name=\"lb_Plain\" text=\"plain\" tooltip=\"own tip\"/>\n"
    L"    </VerticalLayout>\n"
    L"  </VerticalLayout>\n"
    L"</Window>\n";

const wchar_t kEnglish[] =
    L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Language>\n"
    L"  <Text id=\"-1\" text=\"never negative\"/>\n"
    L"  <Text id=\"0\" text=\"never zero\"/>\n"
    L"  <Text id=\"1\" text=\"Lumbra\"/>\n"
    L"  <Text id=\"2\" text=\"Install Now\" tooltip=\"Start installing\"/>\n"
    L"  <Text id=\"3\" text=\"I have read and agree\"/>\n"
    L"  <Text id=\"7\" text=\"Super encryption software, lock different files\"/>\n"
    L"  <Text id=\"12\" text=\"\"/>\n"
    L"</Language>\n";

const wchar_t kChinese[] =
    L"<Language>\n"
    L"  <Text id=\"1\" text=\"\x9732\x5E03\x62C9\"/>\n"
    L"  <Text id=\"2\" text=\"\x7ACB\x5373\x5B89\x88C5\"/>\n"
    L"  <Text id=\"7\" text=\"\x8D85\x5F3A\"/>\n"
    L"  <Text id=\"12\" text=\"\"/>\n"
    L"</Language>\n";

struct WindowHolder
{
    HWND hwnd = nullptr;
    ~WindowHolder()
    {
        if (hwnd != nullptr) DestroyWindow(hwnd);
    }
};

class SkinArchive : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ZipWriter w;
        w.Add("Lang/", test_support::Bytes(), ZipWriter::Stored);
        w.Add("Lang/English/", test_support::Bytes(), ZipWriter::Stored);
        w.Add("Lang/ChineseSimplified/", test_support::Bytes(), ZipWriter::Stored);
        w.Add("MainFrame.xml", Utf8(kMainFrame));
        w.Add("Lang/English/MainFrame.lng", Utf8(kEnglish));
        w.Add("Lang/ChineseSimplified/MainFrame.lng", Utf8(kChinese), ZipWriter::Stored);
        w.Add("Lang/English/StringTable.lng",
              "<Language><String id=\"1\" text1=\"Select the folder directory from below:\" text2=\"0002\" "
              "text3=\"0003\"/></Language>");
        s_archive = new test_support::Bytes(w.Build());
        CPaintManagerUI::SetResourcePath(L"");
        CPaintManagerUI::SetResourceZip(s_archive->data(), static_cast<unsigned>(s_archive->size()));
    }

    void SetUp() override
    {
        CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
        CLangManagerUI::SetLanguage(L"Lang\\English", L"en");
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VeneerLangTest";
        RegisterClassW(&wc);
        window.hwnd = CreateWindowW(L"VeneerLangTest", L"t", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                                    wc.hInstance, nullptr);
        pm.Init(window.hwnd);
        CDialogBuilder builder;
        root = builder.Create(L"MainFrame.xml", nullptr, nullptr, &pm);
        ASSERT_NE(root, nullptr) << builder.GetLastErrorMessage();
        pm.AttachDialog(root);
    }

    CControlUI* Find(const wchar_t* name) { return pm.FindControl(name); }

    static test_support::Bytes* s_archive;
    WindowHolder window;
    CPaintManagerUI pm;
    CControlUI* root = nullptr;
};
test_support::Bytes* SkinArchive::s_archive = nullptr;

} // namespace

TEST_F(SkinArchive, ControlsShowThePackageTexts)
{
    ASSERT_NE(Find(L"btn_Install"), nullptr);
    EXPECT_EQ(Find(L"btn_Install")->GetText(), L"Install Now");
    EXPECT_EQ(Find(L"btn_Install")->GetToolTip(), L"Start installing");
    EXPECT_EQ(Find(L"btn_Install")->GetSkinFile(), L"MainFrame.xml");
    EXPECT_EQ(Find(L"lb_AppName")->GetText(), L"Lumbra");
    EXPECT_EQ(Find(L"opt_User")->GetText(), L"I have read and agree");
    EXPECT_EQ(Find(L"lb_Tip1")->GetText(), L"Super encryption software, lock different files");
    EXPECT_EQ(Find(L"lb_Plain")->GetToolTip(), L"own tip");
    // The window settings and the shared style came from the same file.
    EXPECT_EQ(pm.GetInitSize().cx, 600);
    EXPECT_NE(pm.GetStyle(L"option_outfile_ext_style"), nullptr);
    EXPECT_STREQ(CLangManagerUI::GetString(1), L"Select the folder directory from below:");
}

TEST_F(SkinArchive, EmptyPackageTextKeepsTheMarkupText)
{
    EXPECT_EQ(Find(L"lb_Percent")->GetText(), L"0%");
}

TEST_F(SkinArchive, ZeroAndNegativeIdsNeverLookIntoThePackage)
{
    EXPECT_EQ(Find(L"lb_Zero")->GetText(), L"zero");
    EXPECT_EQ(Find(L"lb_Negative")->GetText(), L"negative");
}

TEST_F(SkinArchive, LanguageSwitchChangesTextsBothWays)
{
    CLangManagerUI::SetLanguage(L"Lang\\ChineseSimplified", L"chs");
    pm.GetLangManager()->ReloadLanguage();
    EXPECT_EQ(Find(L"btn_Install")->GetText(), L"\x7ACB\x5373\x5B89\x88C5");
    EXPECT_EQ(Find(L"lb_Tip1")->GetText(), L"\x8D85\x5F3A");
    // Id 3 has no Chinese entry: the markup text shows.
    EXPECT_EQ(Find(L"opt_User")->GetText(), L"\x6211\x5DF2\x9605\x8BFB\x5E76\x540C\x610F");
    EXPECT_EQ(Find(L"btn_Install")->GetToolTip(), L"");
    EXPECT_STREQ(CLangManagerUI::GetString(1), L"");   // no Chinese string table in this archive

    CLangManagerUI::SetLanguage(L"Lang\\English", L"en");
    pm.GetLangManager()->ReloadLanguage();
    EXPECT_EQ(Find(L"btn_Install")->GetText(), L"Install Now");
    EXPECT_EQ(Find(L"opt_User")->GetText(), L"I have read and agree");
}

TEST_F(SkinArchive, SecondBuildInTheSameWindowGetsNoPackage)
{
    auto* page = static_cast<IContainerUI*>(Find(L"page_home")->GetInterface(L"IContainer"));
    ASSERT_NE(page, nullptr);
    int before = page->GetCount();
    CDialogBuilder again;
    CControlUI* second = again.Create(L"MainFrame.xml", nullptr, nullptr, &pm, Find(L"page_home"));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(page->GetCount(), before + 1);
    auto* secondRoot = static_cast<IContainerUI*>(second->GetInterface(L"IContainer"));
    auto* secondPage = static_cast<IContainerUI*>(secondRoot->GetItemAt(0)->GetInterface(L"IContainer"));
    CControlUI* copy = secondPage->GetItemAt(1);
    EXPECT_EQ(copy->GetName(), L"btn_Install");
    EXPECT_TRUE(copy->GetSkinFile().IsEmpty());
    EXPECT_EQ(copy->GetText(), L"\x7ACB\x5373\x5B89\x88C5");
    // A new window has its own language manager and gets the package again.
    WindowHolder other;
    other.hwnd = CreateWindowW(L"VeneerLangTest", L"u", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    CPaintManagerUI otherPm;
    otherPm.Init(other.hwnd);
    CDialogBuilder third;
    CControlUI* otherRoot = third.Create(L"MainFrame.xml", nullptr, nullptr, &otherPm);
    ASSERT_NE(otherRoot, nullptr);
    otherPm.AttachDialog(otherRoot);
    EXPECT_EQ(otherPm.FindControl(L"btn_Install")->GetText(), L"Install Now");
}
