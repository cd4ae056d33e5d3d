// The dialog builder: element vocabulary, window settings, includes, the
// creation chain, attribute precedence and unknown elements.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ScratchFolder.h"
#include "tests/support/ZipWriter.h"
#include "ui/controls/UIButton.h"
#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/controls/UIHorizontalLayout.h"
#include "ui/controls/UILabel.h"
#include "ui/controls/UIVerticalLayout.h"
#include "ui/core/UIControlFactory.h"
#include "ui/core/UIDlgBuilder.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIResourceManager.h"
#include "ui/core/UIShadow.h"

using namespace Veneer;

namespace {

std::vector<std::wstring> g_reports;

void CollectReport(LPCTSTR text, LPCTSTR caption)
{
    g_reports.push_back(std::wstring(caption) + L"|" + text);
}

// Destroys the window after the paint manager that paints it.
struct WindowHolder
{
    HWND hwnd = nullptr;
    ~WindowHolder()
    {
        if (hwnd != nullptr) DestroyWindow(hwnd);
    }
};

// A plain native window with a paint manager, and a resource folder.
class Builder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VeneerBuilderTest";
        RegisterClassW(&wc);
        window.hwnd = CreateWindowW(L"VeneerBuilderTest", L"t", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                             wc.hInstance, nullptr);
        pm->Init(window.hwnd);
        CPaintManagerUI::SetResourceZip(L"", true);
        CPaintManagerUI::SetResourcePath(dir.Path().c_str());
        g_reports.clear();
        previous = CDialogBuilder::SetErrorReporter(&CollectReport);
    }
    void TearDown() override
    {
        CDialogBuilder::SetErrorReporter(previous);
        CPaintManagerUI::SetResourcePath(L"");
    }
    CControlUI* Build(const wchar_t* markup, CControlUI* parent = nullptr, IDialogBuilderCallback* cb = nullptr)
    {
        CDialogBuilder builder;
        return builder.Create(markup, nullptr, cb, pm, parent);
    }

    test_support::ScratchFolder dir;
    WindowHolder window;
    CPaintManagerUI manager;
    CPaintManagerUI* pm = &manager;
    PFN_DIALOGBUILDER_ERROR previous = nullptr;
};

class RecordingCallback : public IDialogBuilderCallback
{
public:
    CControlUI* CreateControl(LPCWSTR pstrClass) override
    {
        asked.push_back(pstrClass);
        if (wcscmp(pstrClass, L"Fancy") == 0 || wcscmp(pstrClass, L"Plugged") == 0) {
            CControlUI* c = new CControlUI();
            c->SetUserData(L"from callback");
            return c;
        }
        return nullptr;
    }
    std::vector<std::wstring> asked;
};

// Makes the element "Counted" as a container that counts how many of its kind are alive.
class CountingCallback : public IDialogBuilderCallback
{
public:
    class Counted : public CContainerUI
    {
    public:
        explicit Counted(int& live) : m_live(live) { ++m_live; }
        ~Counted() override { --m_live; }

    private:
        int& m_live;
    };

    CControlUI* CreateControl(LPCWSTR pstrClass) override
    {
        return wcscmp(pstrClass, L"Counted") == 0 ? new Counted(live) : nullptr;
    }
    int live = 0;
};

CControlUI* __cdecl PluginCreate(LPCTSTR pstrType)
{
    if (wcscmp(pstrType, L"Plugged") != 0) return nullptr;
    CControlUI* c = new CControlUI();
    c->SetUserData(L"from plugin");
    return c;
}

} // namespace

TEST_F(Builder, ElementNamesMatchInAnyCase)
{
    CControlUI* root = Build(L"<Window><verticallayout name=\"v\"><BUTTON name=\"b\"/><label name=\"l\"/>"
                             L"</verticallayout></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_NE(dynamic_cast<CVerticalLayoutUI*>(root), nullptr);
    auto* box = static_cast<IContainerUI*>(root->GetInterface(L"IContainer"));
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->GetCount(), 2);
    EXPECT_NE(dynamic_cast<CButtonUI*>(box->GetItemAt(0)), nullptr);
    EXPECT_NE(dynamic_cast<CLabelUI*>(box->GetItemAt(1)), nullptr);
    EXPECT_EQ(box->GetItemAt(0)->GetName(), L"b");
    EXPECT_EQ(box->GetItemAt(0)->GetManager(), nullptr);   // attached for real later
    delete root;
}

TEST_F(Builder, FontsNeedAnId)
{
    CUIString before = pm->GetDefaultFontInfo()->sFontName;
    CControlUI* root = Build(L"<Window><Font name=\"Courier New\" size=\"30\" default=\"true\"/>"
                             L"<Font id=\"-2\" name=\"Courier New\" size=\"31\" default=\"true\"/>"
                             L"<Control/></Window>");
    EXPECT_EQ(pm->GetCustomFontCount(), 0u);
    EXPECT_EQ(pm->GetDefaultFontInfo()->sFontName, before);
    delete root;

    root = Build(L"<Window><Font id=\"3\" name=\"Arial\" size=\"17\" bold=\"true\"/>"
                 L"<Font id=\"4\" name=\"Tahoma\" size=\"15\" default=\"true\"/><Control/></Window>");
    ASSERT_NE(pm->GetFontInfo(3, false), nullptr);
    EXPECT_EQ(pm->GetFontInfo(3, false)->sFontName, L"Arial");
    EXPECT_EQ(pm->GetFontInfo(3, false)->iSize, 17);
    EXPECT_TRUE(pm->GetFontInfo(3, false)->bBold);
    EXPECT_EQ(pm->GetDefaultFontInfo()->sFontName, L"Tahoma");
    EXPECT_EQ(pm->GetDefaultFontInfo()->iSize, 15);
    delete root;
}

TEST_F(Builder, SharedResourcesAreRegistered)
{
    CControlUI* root = Build(L"<Window><Default name=\"Label\" value=\"width=&quot;33&quot;\"/>"
                             L"<Style name=\"opt\" value=\"height=&quot;14&quot;\"/>"
                             L"<Style value=\"nameless\"/><Image name=\"\"/><Control/></Window>");
    ASSERT_NE(pm->GetDefaultAttributeList(L"Label"), nullptr);
    EXPECT_STREQ(pm->GetDefaultAttributeList(L"Label"), L"width=\"33\"");
    ASSERT_NE(pm->GetStyle(L"opt"), nullptr);
    EXPECT_STREQ(pm->GetStyle(L"opt"), L"height=\"14\"");
    delete root;
}

TEST_F(Builder, WindowSettingsApplyOncePerManager)
{
    CControlUI* first = Build(L"<Window size=\"300,200\" caption=\"0,0,0,40\" sizebox=\"4,4,6,6\" "
                              L"roundcorner=\"5,6\" mininfo=\"100,80\" CAPTION=\"0,0,0,41\"><Control/></Window>");
    SIZE size = pm->GetInitSize();
    EXPECT_EQ(size.cx, 300);
    EXPECT_EQ(size.cy, 200);
    EXPECT_EQ(pm->GetCaptionRect().bottom, 41);   // names without case, later wins
    EXPECT_EQ(pm->GetSizeBox().right, 6);
    EXPECT_EQ(pm->GetRoundCorner().cy, 6);
    EXPECT_EQ(pm->GetMinInfo().cx, 100);
    EXPECT_TRUE(pm->IsInitWindowParameter());
    CControlUI* second = Build(L"<Window size=\"500,500\" caption=\"0,0,0,10\"><Control/></Window>");
    EXPECT_EQ(pm->GetInitSize().cx, 300);
    EXPECT_EQ(pm->GetCaptionRect().bottom, 41);
    delete first;
    delete second;
}

TEST_F(Builder, LayeredNamesMustBeLowerCase)
{
    CControlUI* root = Build(L"<Window showshadow=\"true\" ShadowSize=\"5\" Layered=\"true\" NoActivate=\"true\" "
                             L"OPACITY=\"200\" tooltiphovertime=\"800\" unknownattr=\"1\"><Control/></Window>");
    EXPECT_TRUE(pm->GetShadow()->IsShowShadow());
    EXPECT_FALSE(pm->IsLayered());
    EXPECT_FALSE(pm->IsNoActivate());
    EXPECT_EQ(pm->GetOpacity(), 200);
    EXPECT_EQ(pm->GetHoverTime(), 800);
    delete root;
}

TEST_F(Builder, LowerCaseLayeredNamesApply)
{
    CControlUI* root = Build(L"<Window layered=\"true\" noactivate=\"true\"><Control/></Window>");
    EXPECT_TRUE(pm->IsLayered());
    EXPECT_TRUE(pm->IsNoActivate());
    delete root;
}

TEST_F(Builder, OtherRootsChangeNoWindowSetting)
{
    CControlUI* root = Build(L"<Dialog size=\"321,123\"><Font id=\"1\" name=\"Arial\" size=\"9\"/>"
                             L"<Style name=\"s\" value=\"x=&quot;1&quot;\"/><Label name=\"l\"/></Dialog>");
    ASSERT_NE(root, nullptr);
    EXPECT_NE(pm->GetInitSize().cx, 321);
    EXPECT_FALSE(pm->IsInitWindowParameter());
    EXPECT_NE(pm->GetFontInfo(1, false), nullptr);
    EXPECT_NE(pm->GetStyle(L"s"), nullptr);
    delete root;
}

TEST_F(Builder, WindowSettingsWaitForANativeWindow)
{
    CPaintManagerUI windowless;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"<Window size=\"300,200\"><Control/></Window>", nullptr, nullptr, &windowless);
    ASSERT_NE(root, nullptr);
    EXPECT_FALSE(windowless.IsInitWindowParameter());
    delete root;
}

TEST_F(Builder, StyleAppliesBeforeOwnAttributesAndAfterDefaults)
{
    CControlUI* root = Build(
        L"<Window><Default name=\"Label\" value=\"width=&quot;10&quot; height=&quot;5&quot; userdata=&quot;d&quot;\"/>"
        L"<Style name=\"st\" value=\"width=&quot;20&quot; text=&quot;from style&quot; tooltip=&quot;styletip&quot;\"/>"
        L"<HorizontalLayout><Label text=\"own\" style=\"st\"/><Label style=\"st\" userdata=\"mine\"/>"
        L"<label/></HorizontalLayout></Window>");
    ASSERT_NE(root, nullptr);
    auto* box = static_cast<IContainerUI*>(root->GetInterface(L"IContainer"));
    ASSERT_EQ(box->GetCount(), 3);
    CControlUI* a = box->GetItemAt(0);
    EXPECT_EQ(a->GetText(), L"own");
    EXPECT_EQ(a->GetToolTip(), L"styletip");
    EXPECT_EQ(a->GetFixedWidth(), 20);
    EXPECT_EQ(a->GetFixedHeight(), 5);
    EXPECT_EQ(a->GetUserData(), L"d");
    CControlUI* b = box->GetItemAt(1);
    EXPECT_EQ(b->GetText(), L"from style");
    EXPECT_EQ(b->GetUserData(), L"mine");
    // Default lists are looked up by the element name as written.
    EXPECT_EQ(box->GetItemAt(2)->GetFixedWidth(), 0);
    delete root;
}

TEST_F(Builder, IncludeBuildsItsSourceCountTimes)
{
    dir.Write(L"part.xml", "<Window size=\"999,999\"><Style name=\"fromPart\" value=\"\"/>"
                           "<Label name=\"inc\"/></Window>");
    CControlUI* root = Build(L"<Window><HorizontalLayout><Include source=\"part.xml\" count=\"3\"/>"
                             L"<Include source=\"part.xml\" count=\"0\"/><Include count=\"2\"/>"
                             L"<Button name=\"after\"/></HorizontalLayout></Window>");
    ASSERT_NE(root, nullptr);
    auto* box = static_cast<IContainerUI*>(root->GetInterface(L"IContainer"));
    ASSERT_EQ(box->GetCount(), 4);
    EXPECT_EQ(box->GetItemAt(0)->GetName(), L"inc");
    EXPECT_EQ(box->GetItemAt(2)->GetName(), L"inc");
    EXPECT_EQ(box->GetItemAt(3)->GetName(), L"after");
    EXPECT_NE(pm->GetStyle(L"fromPart"), nullptr);
    delete root;
}

TEST_F(Builder, IncludedControlsAreNotTheLevelsResult)
{
    dir.Write(L"part.xml", "<Window><Label name=\"inc\"/></Window>");
    CHorizontalLayoutUI parent;
    CControlUI* first = Build(L"<Window><Include source=\"part.xml\"/><Button name=\"own\"/></Window>", &parent);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetName(), L"own");
    EXPECT_EQ(parent.GetCount(), 2);
}

TEST_F(Builder, WithoutParentNothingButTheFirstControlOutlivesTheBuild)
{
    dir.Write(L"part.xml", "<Window><Counted name=\"inc\"/><Counted/></Window>");
    CountingCallback cb;
    CControlUI* root = Build(L"<Window><Include source=\"part.xml\" count=\"2\"/>"
                             L"<Counted name=\"first\"><Counted/></Counted>"
                             L"<Counted name=\"second\"><Counted/><Include source=\"part.xml\"/></Counted>"
                             L"<Counted/><Include source=\"part.xml\"/></Window>",
                             nullptr, &cb);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), L"first");
    // The caller gets the first control with its child; everything else built at that level had no owner.
    EXPECT_EQ(cb.live, 2);
    delete root;
    EXPECT_EQ(cb.live, 0);
}

TEST_F(Builder, IncludeCyclesEnd)
{
    dir.Write(L"self.xml", "<Window><Label name=\"s\"/><Include source=\"SELF.xml\" count=\"3\"/></Window>");
    dir.Write(L"a.xml", "<Window><Label name=\"a\"/><Include source=\"b.xml\" count=\"2\"/></Window>");
    dir.Write(L"b.xml", "<Window><Label name=\"b\"/><Include source=\"a.xml\" count=\"2\"/></Window>");
    CHorizontalLayoutUI parent;
    Build(L"<Window><Include source=\"self.xml\" count=\"2\"/><Include source=\"a.xml\"/></Window>", &parent);
    // self: 2 labels; a: 1 + 2 x b (1 each).
    EXPECT_EQ(parent.GetCount(), 5);
}

TEST_F(Builder, OneBuildMakesAtMostTheControlLimit)
{
    dir.Write(L"leaf.xml", "<Window><Label/><Label/></Window>");
    dir.Write(L"many.xml", "<Window><Label/><Include source=\"leaf.xml\" count=\"100000000\"/></Window>");
    CControlUI* root = Build(L"<Window><HorizontalLayout><Include source=\"many.xml\" count=\"100000000\"/>"
                             L"</HorizontalLayout></Window>");
    EXPECT_EQ(root, nullptr);
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_NE(g_reports[0].find(L"10000 controls"), std::wstring::npos) << g_reports[0];

    // The limit is per build: the next one starts afresh.
    g_reports.clear();
    root = Build(L"<Window><HorizontalLayout><Include source=\"leaf.xml\" count=\"3\"/></HorizontalLayout></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(static_cast<IContainerUI*>(root->GetInterface(L"IContainer"))->GetCount(), 6);
    EXPECT_TRUE(g_reports.empty());
    delete root;
}

TEST_F(Builder, CreationOrderFactoryPluginsCallback)
{
    CPaintManagerUI::GetPlugins()->Add(reinterpret_cast<LPVOID>(&PluginCreate));
    RecordingCallback cb;
    CHorizontalLayoutUI parent;
    Build(L"<Window><Label/><Plugged/><Fancy/><Unknown/></Window>", &parent, &cb);
    CPaintManagerUI::GetPlugins()->Remove(CPaintManagerUI::GetPlugins()->Find(reinterpret_cast<LPVOID>(&PluginCreate)));
    ASSERT_EQ(parent.GetCount(), 3);
    EXPECT_EQ(parent.GetItemAt(1)->GetUserData(), L"from plugin");
    EXPECT_EQ(parent.GetItemAt(2)->GetUserData(), L"from callback");
    // The callback hears only of the names nobody before it knew.
    ASSERT_EQ(cb.asked.size(), 2u);
    EXPECT_EQ(cb.asked[0], L"Fancy");
    EXPECT_EQ(cb.asked[1], L"Unknown");
}

TEST_F(Builder, UnknownElementIsReportedAndSkippedWithItsSubtree)
{
    dir.Write(L"skinfile.xml", "<Window><Bogus><Label name=\"inner\"/></Bogus><Label name=\"next\"/></Window>");
    CHorizontalLayoutUI parent;
    CControlUI* first = Build(L"skinfile.xml", &parent);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetName(), L"next");
    EXPECT_EQ(parent.GetCount(), 1);
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0], L"Create Control Failed|CDialogBuilder::_Parse Error\r\nFile: skinfile.xml\r\nControl: Bogus");
    // Without a package the file is empty.
    g_reports.clear();
    Build(L"<Window><Bogus/></Window>", &parent);
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0], L"Create Control Failed|CDialogBuilder::_Parse Error\r\nFile: \r\nControl: Bogus");
}

TEST_F(Builder, ParentWithoutContainerStopsTheLevel)
{
    CLabelUI notAContainer;
    EXPECT_EQ(Build(L"<Window><Label/><Label/></Window>", &notAContainer), nullptr);
}

TEST_F(Builder, FailedLoadsYieldNothing)
{
    CDialogBuilder builder;
    EXPECT_EQ(builder.Create(L"missing.xml", nullptr, nullptr, pm), nullptr);
    EXPECT_STREQ(builder.GetLastErrorMessage(), L"Error opening file");
    EXPECT_EQ(builder.Create(L"<Window><Label></Window>", nullptr, nullptr, pm), nullptr);
    EXPECT_STRNE(builder.GetLastErrorMessage(), L"");
    EXPECT_EQ(builder.Create(L"<!-- only a comment -->", nullptr, nullptr, pm), nullptr);
    EXPECT_EQ(builder.Create(static_cast<UINT>(999), L"XML", nullptr, pm), nullptr);
}

TEST_F(Builder, MarkupIdsAreMappedThroughTheResourceTable)
{
    dir.Write(L"real\\main.xml", "<Window><Label name=\"mapped\"/></Window>");
    CResourceManager::GetInstance()->LoadResource(L"<Res><Xml id=\"main\" path=\"real\\main.xml\"/></Res>");
    CControlUI* root = Build(L"main");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), L"mapped");
    delete root;
    CResourceManager::GetInstance()->Release();
}

TEST_F(Builder, ModuleResourcesAndTheirIncludes)
{
    CHorizontalLayoutUI parent;
    CDialogBuilder builder;
    CControlUI* first = builder.Create(static_cast<UINT>(201), L"XML", nullptr, pm, &parent);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetName(), L"fromres");
    // 201 holds a label and includes resource 202 twice.
    ASSERT_EQ(parent.GetCount(), 3);
    EXPECT_EQ(parent.GetItemAt(1)->GetName(), L"included");
    EXPECT_TRUE(parent.GetItemAt(1)->GetSkinFile().IsEmpty());   // no language package for resources
}

TEST_F(Builder, FactoryIsExtensibleAndCaseBlind)
{
    CControlFactory* factory = CControlFactory::GetInstance();
    CControlUI* c = factory->CreateControl(L"cbuttonui");
    EXPECT_NE(dynamic_cast<CButtonUI*>(c), nullptr);
    delete c;
    EXPECT_EQ(factory->CreateControl(L"CNoSuchUI"), nullptr);
    factory->RegistControl(L"CNoSuchUI", []() -> CControlUI* { return new CLabelUI(); });
    c = factory->CreateControl(L"CNOSUCHUI");
    EXPECT_NE(dynamic_cast<CLabelUI*>(c), nullptr);
    delete c;
    factory->Release();
    EXPECT_EQ(CControlFactory::GetInstance()->CreateControl(L"CNoSuchUI"), nullptr);
    const wchar_t* known[] = {L"CControlUI",  L"CContainerUI", L"CVerticalLayoutUI", L"CHorizontalLayoutUI",
                              L"CLabelUI",    L"CTextUI",      L"CButtonUI",         L"COptionUI",
                              L"CCheckBoxUI", L"CProgressUI",  L"CRichEditUI",       L"CTabLayoutUI",
                              L"CScrollBarUI"};
    for (const wchar_t* name : known) {
        c = CControlFactory::GetInstance()->CreateControl(name);
        EXPECT_NE(c, nullptr) << name;
        delete c;
    }
}

namespace {

std::wstring g_boxText;
std::wstring g_boxCaption;

BOOL CALLBACK CloseDialogOfThread(HWND hwnd, LPARAM)
{
    wchar_t cls[64] = {0};
    GetClassNameW(hwnd, cls, 64);
    if (wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t buf[512] = {0};
    GetWindowTextW(hwnd, buf, 512);
    g_boxCaption = buf;
    // The message text is the box's only static control with text.
    for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        GetClassNameW(child, cls, 64);
        buf[0] = 0;
        GetWindowTextW(child, buf, 512);
        if (_wcsicmp(cls, L"Static") == 0 && buf[0] != 0) g_boxText = buf;
    }
    PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK CloseMessageBox(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), &CloseDialogOfThread, 0);
}

} // namespace

TEST_F(Builder, DefaultReportIsAMessageBox)
{
    CDialogBuilder::SetErrorReporter(nullptr);
    UINT_PTR timer = SetTimer(nullptr, 0, 100, &CloseMessageBox);
    CHorizontalLayoutUI parent;
    Build(L"<Window><Mystery/><Label/></Window>", &parent);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_boxCaption, L"Create Control Failed");
    EXPECT_NE(g_boxText.find(L"Control: Mystery"), std::wstring::npos) << g_boxText;
    EXPECT_EQ(parent.GetCount(), 1);
}
