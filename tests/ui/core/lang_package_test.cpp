// Language packages and the string table, read from a resource folder.
#include <gtest/gtest.h>

#include "tests/support/ScratchFolder.h"
#include "tests/support/ZipWriter.h"
#include "ui/core/UILangManager.h"
#include "ui/core/UILangPackage.h"
#include "ui/core/UIManager.h"

using namespace Veneer;
using test_support::ScratchFolder;

namespace {

// Two language folders with a package for MainFrame.xml and a string table.
class LanguageFolders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir.Write(L"Lang\\English\\MainFrame.lng",
                  "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Language>\n"
                  "  <Text id=\"1\" text=\"Lumbra\"/>\n"
                  "  <Text id=\"2\" text=\"Install Now\" tooltip=\"Starts\" tipvalue=\"tip\"/>\n"
                  "  <TEXT id=\"3\" text=\"Any case\"/>\n"
                  "  <Text id=\"12\" text=\"\"/>\n"
                  "  <Text text=\"no id\"/>\n"
                  "  <Other id=\"4\" text=\"ignored\"/>\n"
                  "  <Text id=\"2\" text=\"second wins not\"/>\n"
                  "</Language>\n");
        dir.Write(L"Lang\\English\\StringTable.lng",
                  "<Language><String id=\"1\" text1=\"Select the folder directory from below:\" text2=\"0002\" "
                  "text3=\"0003\"/><String id=\"1\" text1=\"dup\"/><String id=\"7\" text1=\"seven\"/></Language>");
        std::wstring zh = L"<Language><Text id=\"2\" text=\"\x7ACB\x5373\x5B89\x88C5\"/></Language>";
        dir.Write(L"Lang\\ChineseSimplified\\MainFrame.lng", test_support::Utf8(zh));
        dir.Write(L"Lang\\ChineseSimplified\\StringTable.lng",
                  test_support::Utf8(L"<Language><String id=\"1\" text1=\"\x4ECE\"/></Language>"));
        CPaintManagerUI::SetResourceZip(L"", true);
        CPaintManagerUI::SetResourcePath(dir.Path().c_str());
        CLangManagerUI::SetLanguage(L"Lang\\English", L"en");
    }
    void TearDown() override
    {
        CLangManagerUI::SetLanguage(L"", L"");
        CPaintManagerUI::SetResourcePath(L"");
    }
    ScratchFolder dir;
};

} // namespace

TEST(LangPackageTexts, FirstEntryWinsAndUnknownIdsAreEmpty)
{
    CLangPackageUI package;
    EXPECT_EQ(package.AddText(5, L"five"), 1);
    EXPECT_EQ(package.AddText(5, L"FIVE"), 0);
    EXPECT_STREQ(package.GetText(5), L"five");
    EXPECT_EQ(package.AddToolTip(5, L"tip"), 1);
    EXPECT_EQ(package.AddTipValue(5, L""), 1);
    EXPECT_EQ(package.AddTipValue(5, L"later"), 0);
    EXPECT_STREQ(package.GetTipValue(5), L"");
    EXPECT_STREQ(package.GetToolTip(5), L"tip");
    EXPECT_STREQ(package.GetText(6), L"");
    EXPECT_STREQ(package.GetToolTip(6), L"");
    package.ResetResource();
    EXPECT_STREQ(package.GetText(5), L"");
    EXPECT_EQ(package.AddText(5, L"again"), 1);
}

TEST(LangPackageTexts, MarkupTextNeedsALanguageRoot)
{
    CLangPackageUI package;
    EXPECT_TRUE(package.LoadResource(L"<Language><Text id=\"-3\" text=\"neg\"/></Language>"));
    EXPECT_STREQ(package.GetText(-3), L"neg");
    CLangPackageUI other;
    EXPECT_FALSE(other.LoadResource(L"<language><Text id=\"1\" text=\"x\"/></language>"));
    EXPECT_STREQ(other.GetText(1), L"");
    EXPECT_FALSE(other.LoadResource(L"<Language><Text id=\"1\""));
}

TEST_F(LanguageFolders, PackageIsReadFromTheLanguageFolder)
{
    CLangManagerUI manager;
    CLangPackageUI* package = manager.AddPackage(L"MainFrame.xml");
    ASSERT_NE(package, nullptr);
    EXPECT_STREQ(package->GetSkinFile(), L"MainFrame.xml");
    EXPECT_EQ(manager.GetPackage(L"MainFrame.xml"), package);
    EXPECT_STREQ(package->GetText(1), L"Lumbra");
    EXPECT_STREQ(package->GetText(2), L"Install Now");
    EXPECT_STREQ(package->GetToolTip(2), L"Starts");
    EXPECT_STREQ(package->GetTipValue(2), L"tip");
    EXPECT_STREQ(package->GetText(3), L"Any case");
    EXPECT_STREQ(package->GetText(4), L"");
    EXPECT_STREQ(package->GetText(12), L"");
    EXPECT_STREQ(package->GetToolTip(1), L"");
}

TEST_F(LanguageFolders, SecondAddOfTheSameNameGivesNoPackage)
{
    CLangManagerUI manager;
    ASSERT_NE(manager.AddPackage(L"MainFrame.xml"), nullptr);
    EXPECT_EQ(manager.AddPackage(L"MainFrame.xml"), nullptr);
    EXPECT_NE(manager.GetPackage(L"MainFrame.xml"), nullptr);
    // Another manager (another window) gets its own.
    CLangManagerUI second;
    EXPECT_NE(second.AddPackage(L"MainFrame.xml"), nullptr);
}

TEST_F(LanguageFolders, MissingPackageFileStaysRegisteredAndEmpty)
{
    CLangManagerUI manager;
    CLangPackageUI* package = manager.AddPackage(L"Nothing.xml");
    ASSERT_NE(package, nullptr);
    EXPECT_STREQ(package->GetText(1), L"");
    EXPECT_EQ(manager.GetPackage(L"Nothing.xml"), package);
    EXPECT_EQ(manager.GetPackage(L"Other.xml"), nullptr);
}

TEST_F(LanguageFolders, PackageFileNameReplacesTheLastExtension)
{
    dir.Write(L"Lang\\English\\sub.view.lng", "<Language><Text id=\"1\" text=\"dotted\"/></Language>");
    dir.Write(L"Lang\\English\\Plain", "<Language><Text id=\"1\" text=\"plain\"/></Language>");
    CLangManagerUI manager;
    EXPECT_STREQ(manager.AddPackage(L"sub.view.xml")->GetText(1), L"dotted");
    EXPECT_STREQ(manager.AddPackage(L"Plain")->GetText(1), L"plain");
    CLangManagerUI::SetLanguage(L"Lang\\English\\", L"en");   // a trailing separator is not doubled
    CLangManagerUI other;
    EXPECT_STREQ(other.AddPackage(L"MainFrame.xml")->GetText(1), L"Lumbra");
}

TEST_F(LanguageFolders, ReloadSwitchesEveryPackageToTheNewLanguage)
{
    CLangManagerUI manager;
    manager.AddPackage(L"MainFrame.xml");
    EXPECT_STREQ(manager.GetPackage(L"MainFrame.xml")->GetText(2), L"Install Now");
    CLangManagerUI::SetLanguage(L"Lang\\ChineseSimplified", L"chs");
    EXPECT_STREQ(CLangManagerUI::GetLangPath(), L"Lang\\ChineseSimplified");
    EXPECT_STREQ(CLangManagerUI::GetLangName(), L"chs");
    EXPECT_STREQ(manager.GetPackage(L"MainFrame.xml")->GetText(2), L"Install Now");   // until reloaded
    manager.ReloadLanguage();
    EXPECT_STREQ(manager.GetPackage(L"MainFrame.xml")->GetText(2), L"\x7ACB\x5373\x5B89\x88C5");
    EXPECT_STREQ(manager.GetPackage(L"MainFrame.xml")->GetText(1), L"");
    CLangManagerUI::SetLanguage(L"Lang\\English", L"en");
    manager.ReloadLanguage();
    EXPECT_STREQ(manager.GetPackage(L"MainFrame.xml")->GetText(2), L"Install Now");
    // Names stay registered across reloads.
    EXPECT_EQ(manager.AddPackage(L"MainFrame.xml"), nullptr);
}

TEST_F(LanguageFolders, StringTableFollowsTheLanguage)
{
    EXPECT_STREQ(CLangManagerUI::GetString(1, L"default"), L"Select the folder directory from below:");
    EXPECT_STREQ(CLangManagerUI::GetStringExtra(1), L"0002");
    EXPECT_STREQ(CLangManagerUI::GetString(7), L"seven");
    EXPECT_STREQ(CLangManagerUI::GetStringExtra(7), L"");
    EXPECT_STREQ(CLangManagerUI::GetString(99, L"default"), L"");
    CLangManagerUI::SetLanguage(L"Lang\\ChineseSimplified", L"chs");
    EXPECT_STREQ(CLangManagerUI::GetString(1), L"\x4ECE");
    EXPECT_STREQ(CLangManagerUI::GetString(7), L"");   // the old table is gone
    CLangManagerUI::SetLanguage(L"Lang\\Missing", L"xx");
    EXPECT_STREQ(CLangManagerUI::GetString(1), L"");
}
