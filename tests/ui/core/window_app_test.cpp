// The application object: single-instance guard and activation, resource
// choice bookkeeping, shutdown, and the profile store in both modes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/ui/core/window_test_support.h"
#include "ui/core/UIAppRegistryKey.h"
#include "ui/core/UIApplication.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIResourceManager.h"

using namespace Veneer;
using window_test::MarkupFrame;
using window_test::Pump;
using window_test::PumpUntil;

namespace {

std::wstring UniqueName(const wchar_t* prefix)
{
    wchar_t sz[96];
    wsprintfW(sz, L"%s-%lu-%lu", prefix, ::GetCurrentProcessId(), ::GetTickCount());
    return sz;
}

std::wstring TempIniPath()
{
    wchar_t szDir[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, szDir);
    return std::wstring(szDir) + UniqueName(L"veneer-profile") + L".ini";
}

class TestApp : public CUIApplication
{
};

// Deletes the test's registry tree when it goes.
class RegistryCleanup
{
public:
    explicit RegistryCleanup(std::wstring company) : m_company(std::move(company)) {}
    ~RegistryCleanup()
    {
        HKEY hSoftware = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"software", 0, KEY_ALL_ACCESS, &hSoftware) == ERROR_SUCCESS) {
            ::RegDeleteTreeW(hSoftware, m_company.c_str());
            ::RegDeleteKeyW(hSoftware, m_company.c_str());
            ::RegCloseKey(hSoftware);
        }
    }

private:
    std::wstring m_company;
};

bool RegistryKeyExists(const std::wstring& path)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) return false;
    ::RegCloseKey(hKey);
    return true;
}

} // namespace

namespace {

// Writes the bytes and reads them back through the store.
void ExpectBinaryRoundTrip(CUIAppRegistryKey& key, const BYTE* pData, UINT nBytes)
{
    ASSERT_TRUE(key.WriteBinary(L"Bin", L"blob", pData, nBytes));
    BYTE* pRead = nullptr;
    UINT nRead = 0;
    ASSERT_TRUE(key.ReadBinary(L"Bin", L"blob", &pRead, &nRead));
    std::unique_ptr<BYTE[]> owned(pRead);
    ASSERT_EQ(nRead, nBytes);
    EXPECT_EQ(memcmp(pRead, pData, nBytes), 0);
}

class ProfileRegistry : public ::testing::Test
{
protected:
    void SetUp() override { m_key.SetRegistryKey(m_company.c_str(), L"App"); }
    std::wstring SectionPath(const wchar_t* section) const { return L"software\\" + m_company + L"\\App\\" + section; }

    const std::wstring m_company = UniqueName(L"VeneerTestCo");
    RegistryCleanup m_cleanup{m_company};
    CUIAppRegistryKey m_key;
};

class ProfileIni : public ::testing::Test
{
protected:
    void SetUp() override { m_key.SetRegistryKey(nullptr, m_path.c_str()); }
    void TearDown() override { ::DeleteFileW(m_path.c_str()); }

    const std::wstring m_path = TempIniPath();
    CUIAppRegistryKey m_key;
};

} // namespace

TEST_F(ProfileRegistry, ValuesRoundTripAndMissingOnesGiveTheDefault)
{
    ASSERT_TRUE(m_key.IsRegistryMode());
    EXPECT_EQ(m_key.ReadInt(L"Main", L"count", 17), 17u);
    EXPECT_TRUE(m_key.WriteInt(L"Main", L"count", -5));
    EXPECT_EQ(static_cast<int>(m_key.ReadInt(L"Main", L"count", 17)), -5);

    EXPECT_EQ(m_key.ReadString(L"Main", L"name", L"dflt"), CUIString(L"dflt"));
    EXPECT_TRUE(m_key.WriteString(L"Main", L"name", L"Lumbra"));
    EXPECT_EQ(m_key.ReadString(L"Main", L"name", L"dflt"), CUIString(L"Lumbra"));
    EXPECT_TRUE(m_key.WriteString(L"Main", L"empty", L""));
    EXPECT_EQ(m_key.ReadString(L"Main", L"empty", L"dflt"), CUIString(L""));

    // A value of the other kind is not an integer.
    EXPECT_EQ(m_key.ReadInt(L"Main", L"name", 9), 9u);
    EXPECT_TRUE(RegistryKeyExists(SectionPath(L"Main")));
}

TEST_F(ProfileRegistry, NullValueDeletesTheEntryAndNullEntryTheSection)
{
    ASSERT_TRUE(m_key.WriteString(L"Sec", L"a", L"1"));
    ASSERT_TRUE(m_key.WriteString(L"Sec", L"b", L"2"));

    EXPECT_TRUE(m_key.WriteString(L"Sec", L"a", nullptr));
    EXPECT_EQ(m_key.ReadString(L"Sec", L"a", L"gone"), CUIString(L"gone"));
    EXPECT_EQ(m_key.ReadString(L"Sec", L"b", L"gone"), CUIString(L"2"));

    EXPECT_TRUE(m_key.WriteString(L"Sec", nullptr, nullptr));
    EXPECT_FALSE(RegistryKeyExists(SectionPath(L"Sec")));
    EXPECT_EQ(m_key.ReadString(L"Sec", L"b", L"gone"), CUIString(L"gone"));
}

TEST_F(ProfileRegistry, BinaryValuesRoundTrip)
{
    const BYTE data[] = {0x00, 0xFF, 0x10, 0x7F, 0x80};
    ExpectBinaryRoundTrip(m_key, data, sizeof(data));
    BYTE* pRead = nullptr;
    UINT nRead = 0;
    EXPECT_FALSE(m_key.ReadBinary(L"Bin", L"missing", &pRead, &nRead));
    EXPECT_EQ(pRead, nullptr);
    EXPECT_EQ(nRead, 0u);
}

TEST_F(ProfileIni, ValuesLiveInTheNamedFile)
{
    ASSERT_FALSE(m_key.IsRegistryMode());
    EXPECT_EQ(m_key.ReadInt(L"Language", L"id", 1033), 1033u);
    EXPECT_TRUE(m_key.WriteInt(L"Language", L"id", 2052));
    EXPECT_EQ(m_key.ReadInt(L"Language", L"id", 1033), 2052u);

    wchar_t szRaw[32] = {};
    ::GetPrivateProfileStringW(L"Language", L"id", L"", szRaw, 32, m_path.c_str());
    EXPECT_STREQ(szRaw, L"2052");

    EXPECT_EQ(m_key.ReadString(L"Platform", L"name", L"none"), CUIString(L"none"));
    EXPECT_TRUE(m_key.WriteString(L"Platform", L"name", L"win32"));
    EXPECT_EQ(m_key.ReadString(L"Platform", L"name", L"none"), CUIString(L"win32"));
    EXPECT_EQ(m_key.ReadString(L"Platform", L"absent", nullptr), CUIString(L""));

    EXPECT_TRUE(m_key.WriteString(L"Platform", nullptr, nullptr));
    EXPECT_EQ(m_key.ReadString(L"Platform", L"name", L"none"), CUIString(L"none"));
    EXPECT_EQ(m_key.ReadInt(L"Language", L"id", 1033), 2052u);
}

TEST_F(ProfileIni, BinaryValuesRoundTripAndGarbageIsRefused)
{
    const BYTE data[] = {0x01, 0xAB, 0x00, 0xFE};
    ExpectBinaryRoundTrip(m_key, data, sizeof(data));
    ::WritePrivateProfileStringW(L"Bin", L"bad", L"xyz", m_path.c_str());
    BYTE* pRead = nullptr;
    UINT nRead = 0;
    EXPECT_FALSE(m_key.ReadBinary(L"Bin", L"bad", &pRead, &nRead));
    EXPECT_EQ(pRead, nullptr);
}

TEST(ProfileStore, ApplicationForwardsToItsStore)
{
    const std::wstring path = TempIniPath();
    TestApp app;
    app.SetRegistryKey(nullptr, path.c_str());
    EXPECT_TRUE(app.WriteProfileInt(L"S", L"n", 12));
    EXPECT_EQ(app.GetProfileIntW(L"S", L"n", 0), 12u);
    EXPECT_TRUE(app.WriteProfileStringW(L"S", L"t", L"text"));
    EXPECT_EQ(app.GetProfileStringW(L"S", L"t", L""), CUIString(L"text"));
    ::DeleteFileW(path.c_str());
}

TEST(ApplicationConfig, SingleInstanceNameMustNotBeEmpty)
{
    TestApp app;
    EXPECT_FALSE(app.SetSingleApplication(true, L""));
    EXPECT_FALSE(app.SetSingleApplication(true, nullptr));
    EXPECT_FALSE(app.IsSingleApplication());
    EXPECT_TRUE(app.SetSingleApplication(true, L"name"));
    EXPECT_TRUE(app.IsSingleApplication());
    EXPECT_STREQ(app.GetSingleName(), L"name");
}

// The remaining tests initialise and terminate the framework, so they run
// last within this executable (gtest keeps declaration order).
TEST(ApplicationLifecycle, ActivationMessageRestoresTheMainWindowAndExitDestroysIt)
{
    const std::wstring name = UniqueName(L"VeneerSingle");
    TestApp app;
    ASSERT_TRUE(app.SetSingleApplication(true, name.c_str()));
    ASSERT_TRUE(app.InitInstance(::GetModuleHandleW(nullptr)));
    ASSERT_NE(app.GetSingleMutex(), nullptr);
    const UINT uActivate = app.GetActivateMessage();
    ASSERT_NE(uActivate, 0u);
    EXPECT_EQ(uActivate, ::RegisterWindowMessageW(name.c_str()));

    MarkupFrame* pFrame = new MarkupFrame(L"<Window size=\"200,100\"><VerticalLayout /></Window>");
    app.SetMainWnd(pFrame);
    HWND hWnd = pFrame->CreateAt(100, 100, 200, 100);
    ASSERT_NE(hWnd, nullptr);

    // Before Run the frame does not know the application yet.
    ::ShowWindow(hWnd, SW_MINIMIZE);
    EXPECT_EQ(::SendMessageW(hWnd, uActivate, 0, 0), 0);
    EXPECT_TRUE(::IsIconic(hWnd));

    ::PostQuitMessage(0);
    app.Run();   // ends at once on the quit message; binds the frame
    EXPECT_EQ(pFrame->GetApplication(), &app);
    EXPECT_EQ(::SendMessageW(hWnd, uActivate, 0, 0), 1);
    EXPECT_FALSE(::IsIconic(hWnd));
    EXPECT_TRUE(::IsWindowVisible(hWnd));

    EXPECT_EQ(app.ExitInstance(), 0);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(app.GetMainWnd(), nullptr);
    EXPECT_EQ(app.GetSingleMutex(), nullptr);
    HANDLE hMutex = ::OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    EXPECT_EQ(hMutex, nullptr);
    if (hMutex != nullptr) ::CloseHandle(hMutex);
}

// Runs before the archive test: the first in-memory archive of a process stays.
TEST(ApplicationLifecycle, MissingSkinResourceLeavesNoArchive)
{
    TestApp app;
    app.SetResType_ZipResource(L"skin", L"", 4242, L"ZIPRES");
    ASSERT_TRUE(app.InitInstance(::GetModuleHandleW(nullptr)));
    EXPECT_TRUE(CPaintManagerUI::GetResourceZip().IsEmpty());
    EXPECT_EQ(app.ExitInstance(), 0);
}

TEST(ApplicationLifecycle, SkinArchiveFromTheProgramsResourcesFeedsItsWindows)
{
    TestApp app;
    app.SetResType_ZipResource(L"skin", L"", 130, L"ZIPRES");
    ASSERT_TRUE(app.InitInstance(::GetModuleHandleW(nullptr)));
    EXPECT_EQ(CPaintManagerUI::GetResourceType(), CUIApplication::RES_ZIPRESOURCE);
    EXPECT_EQ(CPaintManagerUI::GetResourcePath(), CUIString(app.GetAppPath()) + L"skin\\");
    EXPECT_EQ(CPaintManagerUI::GetResourceZip(), CUIString(L"membuffer"));

    // "main" is mapped to Main.xml by the archive's res.xml.
    MarkupFrame* pFrame = new MarkupFrame(L"main");
    app.SetMainWnd(pFrame);
    HWND hWnd = pFrame->CreateAt(90, 90, 220, 140);
    ASSERT_NE(hWnd, nullptr);
    EXPECT_NE(pFrame->Find(L"from_zip"), nullptr);
    EXPECT_EQ(window_test::HitTestAt(hWnd, 100, 10), HTCAPTION);
    EXPECT_EQ(app.ExitInstance(), 0);
}

TEST(ApplicationLifecycle, SkinArchiveFileIsLookedForInTheApplicationFolder)
{
    // The same archive as the resource one, written next to the program.
    HMODULE hModule = ::GetModuleHandleW(nullptr);
    HRSRC hResource = ::FindResourceW(hModule, MAKEINTRESOURCEW(130), L"ZIPRES");
    ASSERT_NE(hResource, nullptr);
    const void* pData = ::LockResource(::LoadResource(hModule, hResource));
    const DWORD dwSize = ::SizeofResource(hModule, hResource);
    const std::wstring name = UniqueName(L"veneer-skin") + L".zip";
    const std::wstring path = std::wstring(CPaintManagerUI::GetInstancePath().GetData()) + name;
    HANDLE hFile = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(hFile, INVALID_HANDLE_VALUE);
    DWORD dwWritten = 0;
    ::WriteFile(hFile, pData, dwSize, &dwWritten, nullptr);
    ::CloseHandle(hFile);
    {
        TestApp app;
        app.SetResType_ZIP(L"skin", name.c_str(), true, L"");
        ASSERT_TRUE(app.InitInstance(hModule));
        EXPECT_EQ(CPaintManagerUI::GetResourcePath(), CUIString(app.GetAppPath()) + L"skin\\");
        EXPECT_EQ(CResourceManager::GetArchivePath(), CUIString(path.c_str()));
        EXPECT_NE(CPaintManagerUI::GetResourceZipHandle(), nullptr);
        CResourceManager::GetInstance()->LoadResource(L"res.xml", nullptr);
        MarkupFrame* pFrame = new MarkupFrame(L"main");
        app.SetMainWnd(pFrame);
        ASSERT_NE(pFrame->CreateAt(90, 90, 220, 140), nullptr);
        EXPECT_NE(pFrame->Find(L"from_zip"), nullptr);
        EXPECT_EQ(app.ExitInstance(), 0);
    }
    CPaintManagerUI::SetResourceZip(L"", false);
    EXPECT_TRUE(::DeleteFileW(path.c_str()));
}

TEST(ApplicationLifecycle, WithoutSingleInstanceNoGuardIsCreated)
{
    TestApp app;
    ASSERT_TRUE(app.InitInstance(::GetModuleHandleW(nullptr)));
    EXPECT_EQ(app.GetSingleMutex(), nullptr);
    EXPECT_EQ(app.GetActivateMessage(), 0u);
    EXPECT_NE(app.GetAppPath()[0], L'\0');
    EXPECT_EQ(app.ExitInstance(), 0);
}

namespace {

std::wstring HelperPath()
{
    wchar_t szPath[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring path(szPath);
    path.erase(path.find_last_of(L"\\/") + 1);
    return path + L"window_single_helper.exe";
}

// A started helper process; terminated if the test leaves it running.
class Helper
{
public:
    Helper(const wchar_t* mode, const std::wstring& name)
    {
        std::wstring cmd = L"\"" + HelperPath() + L"\" " + mode + L" \"" + name + L"\"";
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        m_bStarted = ::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi) != FALSE;
        if (m_bStarted) ::CloseHandle(m_pi.hThread);
    }
    ~Helper()
    {
        if (!m_bStarted) return;
        if (::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(m_pi.hProcess, 99);
        ::CloseHandle(m_pi.hProcess);
    }
    bool Started() const { return m_bStarted; }
    DWORD ProcessId() const { return m_pi.dwProcessId; }
    // Exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitExit(DWORD dwMs)
    {
        DWORD dwCode = STILL_ACTIVE;
        if (PumpUntil([&] { return ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_OBJECT_0; }, dwMs))
            ::GetExitCodeProcess(m_pi.hProcess, &dwCode);
        return dwCode;
    }
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;

private:
    PROCESS_INFORMATION m_pi = {};
    bool m_bStarted = false;
};

// The first instance's main window once it is up and minimised, or null.
HWND WaitForMinimisedFirst(const Helper& first, const std::wstring& name)
{
    if (!first.Started()) return nullptr;
    HWND hFirst = nullptr;
    PumpUntil([&] {
        hFirst = ::FindWindowW(L"VeneerSingleHelperFrame", name.c_str());
        return hFirst != nullptr && ::IsIconic(hFirst);
    }, 20000);
    return hFirst != nullptr && ::IsIconic(hFirst) ? hFirst : nullptr;
}

} // namespace

TEST(SingleInstance, SecondStartExitsAndRestoresTheMinimisedFirst)
{
    const std::wstring name = UniqueName(L"VeneerSingleCross");
    Helper first(L"first", name);
    const HWND hFirst = WaitForMinimisedFirst(first, name);
    ASSERT_NE(hFirst, nullptr);

    Helper second(L"second", name);
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.WaitExit(20000), 3u);

    EXPECT_TRUE(PumpUntil([&] { return !::IsIconic(hFirst) && ::IsWindowVisible(hFirst); }, 10000));

    ::PostMessageW(hFirst, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitExit(20000), 0u);
}

TEST(SingleInstance, DifferentNamesDoNotInterfere)
{
    const std::wstring name = UniqueName(L"VeneerSingleA");
    Helper first(L"first", name);
    const HWND hFirst = WaitForMinimisedFirst(first, name);
    ASSERT_NE(hFirst, nullptr);

    Helper other(L"second", name + L"-other");
    ASSERT_TRUE(other.Started());
    EXPECT_EQ(other.WaitExit(20000), 0u);
    EXPECT_TRUE(::IsIconic(hFirst));

    ::PostMessageW(hFirst, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitExit(20000), 0u);
}

namespace {

struct ProcessWindowSearch
{
    DWORD dwProcessId;
    HWND hFound;
};

BOOL CALLBACK FindVeneerBox(HWND hWnd, LPARAM lParam)
{
    ProcessWindowSearch* pSearch = reinterpret_cast<ProcessWindowSearch*>(lParam);
    DWORD dwPid = 0;
    ::GetWindowThreadProcessId(hWnd, &dwPid);
    wchar_t szTitle[32] = {};
    ::GetWindowTextW(hWnd, szTitle, 32);
    if (dwPid == pSearch->dwProcessId && lstrcmpW(szTitle, L"Veneer") == 0) {
        pSearch->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

TEST(SkinFailure, ErrorBoxNamesTheSkinAndTheProcessEndsWithOne)
{
    Helper helper(L"badskin", UniqueName(L"VeneerBadSkin"));
    ASSERT_TRUE(helper.Started());
    ProcessWindowSearch search = {helper.ProcessId(), nullptr};
    ASSERT_TRUE(PumpUntil([&] {
        ::EnumWindows(FindVeneerBox, reinterpret_cast<LPARAM>(&search));
        return search.hFound != nullptr;
    }, 20000));
    wchar_t szText[128] = {};
    ::GetDlgItemTextW(search.hFound, 0xFFFF, szText, 128);
    EXPECT_STREQ(szText, L"Loading resource failed :missing_skin.xml");
    ::PostMessageW(search.hFound, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(helper.WaitExit(20000), 1u);
}
