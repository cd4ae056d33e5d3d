// The resource table: image and markup paths by id, texts, the text query
// interface.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ui/core/UIResourceManager.h"

using namespace Veneer;

namespace {

class FakeQuery : public IQueryControlText
{
public:
    LPCWSTR QueryControlText(LPCWSTR lpstrId, LPCWSTR lpstrType) override
    {
        ++calls;
        lastType = lpstrType != nullptr ? lpstrType : L"(null)";
        auto it = answers.find(lpstrId);
        return it != answers.end() ? it->second.c_str() : nullptr;
    }
    std::map<std::wstring, std::wstring> answers;
    std::wstring lastType;
    int calls = 0;
};

// A fresh table for every test.
class ResourceTable : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CResourceManager::GetInstance()->Release();
        rm = CResourceManager::GetInstance();
    }
    void TearDown() override { CResourceManager::GetInstance()->Release(); }
    CResourceManager* rm = nullptr;
};

} // namespace

TEST_F(ResourceTable, IndexMapsImagesAndMarkupFirstEntryWins)
{
    ASSERT_TRUE(rm->LoadResource(L"<Res>"
                                 L"<Image id=\"logo\" path=\"img/logo.png\"/>"
                                 L"<image id=\"logo\" path=\"img/other.png\"/>"
                                 L"<XML id=\"main\" path=\"MainFrame.xml\"/>"
                                 L"<Image id=\"nopath\"/>"
                                 L"<Xml path=\"noid.xml\"/>"
                                 L"</Res>"));
    EXPECT_STREQ(rm->GetImagePath(L"logo"), L"img/logo.png");
    EXPECT_STREQ(rm->GetXmlPath(L"main"), L"MainFrame.xml");
    EXPECT_EQ(rm->GetImagePath(L"main"), nullptr);
    EXPECT_EQ(rm->GetImagePath(L"nopath"), nullptr);
    EXPECT_EQ(rm->GetXmlPath(L"noid.xml"), nullptr);
    rm->ResetResourceMap();
    EXPECT_EQ(rm->GetImagePath(L"logo"), nullptr);
}

TEST_F(ResourceTable, IndexNeedsAResElement)
{
    EXPECT_FALSE(rm->LoadResource(L"<res><Image id=\"a\" path=\"b\"/></res>"));   // name is case-sensitive
    EXPECT_EQ(rm->GetImagePath(L"a"), nullptr);
    EXPECT_FALSE(rm->LoadResource(L"<Data><Res><Image id=\"a\" path=\"b\"/></Res></Data>"));   // not the root
    EXPECT_FALSE(rm->LoadResource(L"<Res><Image"));   // broken markup
    EXPECT_FALSE(rm->LoadResource(L"no-such-res.xml"));
}

TEST_F(ResourceTable, TextsWithoutQueryInterface)
{
    EXPECT_STREQ(rm->GetText(L"btn_ok"), L"btn_ok");   // the id is its own text
    EXPECT_STREQ(rm->GetText(nullptr), L"");
    EXPECT_STREQ(rm->GetText(L""), L"");
    ASSERT_TRUE(rm->LoadLanguage(L"<Res><Text id=\"btn_ok\" value=\"OK\"/><Text id=\"x\"/></Res>"));
    EXPECT_STREQ(rm->GetText(L"btn_ok"), L"OK");
    EXPECT_STREQ(rm->GetText(L"x"), L"x");
    // A later language file replaces entries.
    ASSERT_TRUE(rm->LoadLanguage(L"<Res><Text id=\"btn_ok\" value=\"Okay\"/></Res>"));
    EXPECT_STREQ(rm->GetText(L"btn_ok"), L"Okay");
    rm->ResetTextMap();
    EXPECT_STREQ(rm->GetText(L"btn_ok"), L"btn_ok");
}

TEST_F(ResourceTable, QueryInterfaceAnswersAreRemembered)
{
    FakeQuery query;
    query.answers[L"title"] = L"Title One";
    rm->SetTextQueryInterface(&query);
    EXPECT_STREQ(rm->GetText(L"title", L"label"), L"Title One");
    EXPECT_EQ(query.lastType, L"label");
    EXPECT_STREQ(rm->GetText(L"unknown"), L"");   // no answer: remembered as empty
    int calls = query.calls;
    EXPECT_STREQ(rm->GetText(L"title"), L"Title One");
    EXPECT_STREQ(rm->GetText(L"unknown"), L"");
    EXPECT_EQ(query.calls, calls);

    query.answers[L"title"] = L"Title Two";
    query.answers[L"unknown"] = L"Now known";
    rm->ReloadText();
    EXPECT_STREQ(rm->GetText(L"title"), L"Title Two");
    EXPECT_STREQ(rm->GetText(L"unknown"), L"Now known");

    query.answers.erase(L"title");
    rm->ReloadText();   // no answer keeps the old text
    EXPECT_STREQ(rm->GetText(L"title"), L"Title Two");
    rm->SetTextQueryInterface(nullptr);
}

TEST(ResourceTableInstance, ReleaseGivesAFreshTable)
{
    CResourceManager* rm = CResourceManager::GetInstance();
    EXPECT_EQ(CResourceManager::GetInstance(), rm);
    ASSERT_TRUE(rm->LoadResource(L"<Res><Image id=\"a\" path=\"b\"/></Res>"));
    rm->SetLanguage(L"en");
    EXPECT_STREQ(rm->GetLanguage(), L"en");
    rm->Release();
    EXPECT_EQ(CResourceManager::GetInstance()->GetImagePath(L"a"), nullptr);
    CResourceManager::GetInstance()->Release();
}
