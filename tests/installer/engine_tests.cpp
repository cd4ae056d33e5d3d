// The install engine end to end: address lookup, download, silent package run, settings, page switches and
// progress through the view, the one outcome report per run, leaving while a download runs, and a download
// folder that other users may write to.
#include "ServiceFixture.h"

#include "installer/install/DownloadFolder.h"
#include "installer/install/IInstallView.h"
#include "installer/install/InstallEngine.h"
#include "installer/install/InstallPaths.h"
#include "installer/install/SettingsStore.h"
#include "installer/net/InstallLog.h"
#include "installer/net/TextConvert.h"
#include "installer/net/UsageReporter.h"

#include <gtest/gtest.h>
#include <aclapi.h>
#include <sddl.h>
#include <tlhelp32.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace {

// Records what the worker asks of the window, in order.
class CRecordingView : public IInstallView
{
public:
    void UpdateProgress(int percent) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_calls.push_back("progress " + std::to_string(percent));
    }
    void SwitchPage(const wchar_t* hidePage, const wchar_t* showPage) override
    {
        HANDLE shown = nullptr;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_calls.push_back("page " + WideToUtf8String(hidePage) + ">" + WideToUtf8String(showPage));
            shown = m_pageShown;
        }
        if (shown != nullptr) {
            // The window has the page now and the user may click at once, while the worker is still ending.
            SetEvent(shown);
            Sleep(m_lingerMs);
        }
    }
    // `event` is set each time a page is switched (the worker then lingers a little, as a busy machine would).
    void SignalPages(HANDLE event, DWORD lingerMs = 300)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_pageShown = event;
        m_lingerMs = lingerMs;
    }
    void ShowFailureReason(FailureKind kind) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_calls.push_back("reason " + std::to_string(static_cast<int>(kind)));
    }
    bool GetInstallDirText(std::wstring& text) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        text = m_dirText;
        return m_hasDirControl;
    }

    void SetDirText(const std::wstring& text, bool hasControl = true)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_dirText = text;
        m_hasDirControl = hasControl;
    }
    std::vector<std::string> Calls()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_calls;
    }
    std::vector<int> Progress()
    {
        std::vector<int> values;
        for (const std::string& call : Calls())
            if (call.compare(0, 9, "progress ") == 0)
                values.push_back(std::stoi(call.substr(9)));
        return values;
    }
    std::vector<std::string> Pages()
    {
        std::vector<std::string> pages;
        for (const std::string& call : Calls())
            if (call.compare(0, 5, "page ") == 0)
                pages.push_back(call.substr(5));
        return pages;
    }

private:
    std::mutex m_lock;
    std::vector<std::string> m_calls;
    std::wstring m_dirText;
    bool m_hasDirControl = true;
    HANDLE m_pageShown = nullptr;
    DWORD m_lingerMs = 300;
};

// The package process (the sample package runs under the package's file name).
std::vector<DWORD> StandInPackages()
{
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, L"CORVEX_Online.exe") == 0)
            found.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return found;
}

bool StandInPackageRuns()
{
    return !StandInPackages().empty();
}

void EndStandInPackages()
{
    for (DWORD id : StandInPackages()) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (process != nullptr) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
}

std::wstring ReadIni(const wchar_t* section, const wchar_t* key)
{
    wchar_t value[64] = {};
    GetPrivateProfileStringW(section, key, L"<absent>", value, 64, CSettingsStore::GetConfigIniPath().c_str());
    return value;
}

std::string Body(const char* operateType)
{
    return std::string("{\"softType\":\"CORVEX\",\"operateType\":\"") + operateType + "\",\"ip\":\"203.0.113.7\"}";
}

class Engine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        standin::UseStandInHosts();
        ASSERT_TRUE(standin::Reset()) << "stand-in vendor service not reachable";
        // Service replies are told apart from the built-in addresses by this mark.
        ASSERT_TRUE(standin::SetScenario(R"({"online":"/down/down?path=CORVEX_Online.exe&from=service"})"));
        standin::DeleteProductKey();
        DeleteFileW(CSettingsStore::GetConfigIniPath().c_str());
        m_package = CInstallPaths::DownloadFolderFor(CInstallPaths::GetDesktopDir()) + L"\\CORVEX_Online.exe";
        DeleteFileW(m_package.c_str());
        SetEnvironmentVariableW(L"PAVONEL_SAMPLE_PACKAGE_MODE", nullptr);
        DeleteFileW(standin::TempPath(L"Pavonel-SamplePackage.txt").c_str());
        m_view.SetDirText(L"C:\\pavonel-test\\Apps");
    }
    void TearDown() override
    {
        SetEnvironmentVariableW(L"PAVONEL_SAMPLE_PACKAGE_MODE", nullptr);
        EndStandInPackages();
        // Reports of this test still on their way must not land in the next test's record, nor be cut off
        // inside libcurl when the program ends.
        EXPECT_TRUE(CUsageReporter::WaitForReports(10000));
        standin::Reset();
    }

    // Runs one install on its thread, as the Install button does, and waits for it.
    void Install(CInstallEngine& engine)
    {
        ASSERT_TRUE(engine.StartInstall());
        ASSERT_TRUE(engine.WaitForInstall(120000));
    }

    // Exactly one outcome report per run: the expected one arrives, and no second one follows.
    void ExpectReports(const std::vector<std::string>& expected)
    {
        std::vector<std::string> events = standin::WaitForEvents(expected.size(), 15000);
        Sleep(1500);
        events = standin::Events();
        EXPECT_EQ(expected, events);
    }

    CRecordingView m_view;
    std::wstring m_package;
};

} // namespace

// ---- address lookup ------------------------------------------------------------------------------------

TEST_F(Engine, BothReplyShapesStoreTheServiceAddresses)
{
    for (const char* shape : {"object", "string"}) {
        ASSERT_TRUE(standin::SetScenario(std::string("{\"lookup\":\"") + shape + "\"}"));
        CInstallEngine engine(&m_view);
        engine.LookupDownloadUrl();
        EXPECT_EQ(Utf8ToWideString(standin::HttpsBase() + "/down/down?path=CORVEX_Online.exe&from=service"),
                  engine.GetOnlineUrl()) << shape;
        EXPECT_EQ(Utf8ToWideString(standin::HttpsBase() + "/down/down?path=CORVEX_Offline.exe"),
                  engine.GetOfflineUrl()) << shape;
    }
}

TEST_F(Engine, UnusableRepliesGiveTheBuiltInAddresses)
{
    const std::wstring fallbackOnline = Utf8ToWideString(standin::HttpsBase() + "/down/down?path=CORVEX_Online.exe");
    const std::wstring fallbackOffline = Utf8ToWideString(standin::HttpsBase() + "/down/down?path=CORVEX_Offline.exe");
    for (const char* reply : {"state1", "null", "notjson", "badscheme"}) {
        ASSERT_TRUE(standin::SetScenario(std::string("{\"lookup\":\"") + reply + "\"}"));
        CInstallEngine engine(&m_view);
        engine.LookupDownloadUrl();
        EXPECT_EQ(fallbackOnline, engine.GetOnlineUrl()) << reply;
        EXPECT_EQ(fallbackOffline, engine.GetOfflineUrl()) << reply;
    }
}

TEST_F(Engine, LookupTriesOnceMoreAfterABlipButNotTwice)
{
    const std::wstring fromService =
        Utf8ToWideString(standin::HttpsBase() + "/down/down?path=CORVEX_Online.exe&from=service");
    ASSERT_TRUE(standin::SetScenario(R"({"lookup_fail":1})"));
    {
        CInstallEngine engine(&m_view);
        engine.LookupDownloadUrl();
        EXPECT_EQ(fromService, engine.GetOnlineUrl());
        EXPECT_EQ(2, standin::RequestCount("/tarvix/getDownUrl"));
    }
    ASSERT_TRUE(standin::Reset());
    ASSERT_TRUE(standin::SetScenario(R"({"online":"/down/down?path=CORVEX_Online.exe&from=service","lookup_fail":5})"));
    {
        CInstallEngine engine(&m_view);
        engine.LookupDownloadUrl();
        EXPECT_EQ(Utf8ToWideString(standin::HttpsBase() + "/down/down?path=CORVEX_Online.exe"), engine.GetOnlineUrl());
        EXPECT_EQ(2, standin::RequestCount("/tarvix/getDownUrl"));
    }
}

TEST_F(Engine, LookupRedirectedToPlainHttpGivesTheBuiltInAddressesAndSaysSo)
{
    ASSERT_TRUE(standin::SetScenario(R"({"lookup":"tohttp"})"));
    DeleteFileW(CInstallLog::GetLogPath().c_str());
    CInstallEngine engine(&m_view);
    engine.LookupDownloadUrl();
    EXPECT_EQ(Utf8ToWideString(standin::HttpsBase() + "/down/down?path=CORVEX_Online.exe"), engine.GetOnlineUrl());
    EXPECT_EQ(1, standin::RequestCount("/tarvix/getDownUrl")) << "the plain-http answer was fetched";
    const std::wstring log = standin::ReadUtf8File(CInstallLog::GetLogPath());
    EXPECT_NE(std::wstring::npos,
              log.find(L", redirect to " + Utf8ToWideString(standin::HttpBase()) +
                       L"/tarvix/getDownUrl?softType=CORVEX refused; built-in addresses used"))
        << log.c_str();
}

TEST_F(Engine, SilentLookupServiceHoldsTheStartForOnlyAFewSeconds)
{
    ASSERT_TRUE(standin::SetScenario(R"({"lookup":"silent"})"));
    CInstallEngine engine(&m_view);
    const DWORD start = GetTickCount();
    engine.LookupDownloadUrl();
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_EQ(Utf8ToWideString(standin::HttpsBase() + "/down/down?path=CORVEX_Online.exe"), engine.GetOnlineUrl());
}

// ---- install runs --------------------------------------------------------------------------------------

TEST_F(Engine, SuccessfulRunInstallsRecordsSettingsAndReportsOnce)
{
    ASSERT_TRUE(standin::SetScenario(R"({"lookup":"noscheme"})")); // scheme-less address taken as https
    // Made by this run, so trusted (the test host's file system cannot show who made a folder found in place).
    const std::wstring folder = m_package.substr(0, m_package.rfind(L'\\'));
    RemoveDirectoryW((folder + L"\\Lumbra").c_str());
    RemoveDirectoryW(folder.c_str());
    CInstallEngine engine(&m_view);
    engine.LookupDownloadUrl();
    Install(engine);

    EXPECT_EQ(Installed, engine.GetInstallState());
    EXPECT_FALSE(engine.Abort()) << "a cancel that comes after the install is too late to be one";
    EXPECT_EQ(Installed, engine.GetInstallState());
    EXPECT_EQ(L"C:\\pavonel-test\\Apps\\Lumbra\\", engine.GetInstallDir());
    EXPECT_TRUE(standin::FileExists(L"C:\\pavonel-test\\Apps\\Lumbra\\AppRun.exe"));
    const std::wstring record = standin::ReadUtf8File(standin::TempPath(L"Pavonel-SamplePackage.txt"));
    EXPECT_NE(std::wstring::npos, record.find(L"dir=C:\\pavonel-test\\Apps\\Lumbra\\\r\n")) << record.c_str();
    EXPECT_EQ(std::wstring::npos, record.find(L"/SUPPRESSMSGBOXES")) << "someone is there to read a box";
    std::wstring path;
    EXPECT_TRUE(standin::ReadProductPath(path));
    EXPECT_EQ(L"C:\\pavonel-test\\Apps\\Lumbra\\", path);
    EXPECT_EQ(L"1", ReadIni(L"Language", L"LanguageType"));
    EXPECT_TRUE(standin::FileExists(m_package)) << "the trusted download folder keeps the package";

    const std::vector<int> progress = m_view.Progress();
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(0, progress.front());
    EXPECT_EQ(90, progress.back());
    for (size_t i = 1; i < progress.size(); ++i)
        EXPECT_LE(progress[i - 1], progress[i]);
    EXPECT_EQ(std::vector<std::string>{"page_install>page_finished"}, m_view.Pages());
    // The page switch comes after the last progress value.
    EXPECT_EQ("page page_install>page_finished", m_view.Calls().back());
    ExpectReports({Body("INSTALL")});
}

TEST_F(Engine, FolderThatNamesTheProductIsKept)
{
    m_view.SetDirText(L"C:\\pavonel-test\\Lumbra");
    CInstallEngine engine(&m_view);
    engine.LookupDownloadUrl();
    Install(engine);
    EXPECT_EQ(Installed, engine.GetInstallState());
    EXPECT_EQ(L"C:\\pavonel-test\\Lumbra\\", engine.GetInstallDir());
    EXPECT_TRUE(standin::FileExists(L"C:\\pavonel-test\\Lumbra\\AppRun.exe"));
}

TEST_F(Engine, WithoutTheFolderControlTheDefaultFolderIsUsed)
{
    m_view.SetDirText(L"", false);
    CInstallEngine engine(&m_view);
    engine.LookupDownloadUrl();
    Install(engine);
    EXPECT_EQ(Installed, engine.GetInstallState());
    EXPECT_EQ(CInstallPaths::DefaultInstallDirFor(CInstallPaths::GetDesktopDir()), engine.GetInstallDir());
}

TEST_F(Engine, MissingProductKeyMeansNoPathValueButStillInstalled)
{
    SetEnvironmentVariableW(L"PAVONEL_SAMPLE_PACKAGE_MODE", L"nokey");
    CInstallEngine engine(&m_view);
    engine.LookupDownloadUrl();
    Install(engine);
    EXPECT_EQ(Installed, engine.GetInstallState());
    std::wstring path;
    EXPECT_FALSE(standin::ReadProductPath(path));
    EXPECT_EQ(L"1", ReadIni(L"Language", L"LanguageType"));
}

TEST_F(Engine, FailingPackageEndsOnTheFailurePageWithoutSettings)
{
    SetEnvironmentVariableW(L"PAVONEL_SAMPLE_PACKAGE_MODE", L"fail");
    ASSERT_TRUE(standin::CreateProductKey()); // even an existing key receives nothing
    CInstallEngine engine(&m_view);
    engine.LookupDownloadUrl();
    Install(engine);
    EXPECT_EQ(DownloadSuc, engine.GetInstallState());
    EXPECT_EQ(std::vector<std::string>{"page_install>page_fail"}, m_view.Pages());
    EXPECT_EQ(FailurePackage, engine.GetFailureKind());
    std::wstring path;
    EXPECT_FALSE(standin::ReadProductPath(path));
    EXPECT_EQ(L"<absent>", ReadIni(L"Language", L"LanguageType"));
    ExpectReports({Body("INSTALL_DOWNLOADSUC")});
}

TEST_F(Engine, ErrorPageDownloadFailsAndLeavesNoPackage)
{
    ASSERT_TRUE(standin::SetScenario(R"({"package":"500"})"));
    CInstallEngine engine(&m_view);
    engine.SetDownloadRetryPause(50);
    engine.LookupDownloadUrl();
    Install(engine);
    EXPECT_EQ(DownloadFail, engine.GetInstallState());
    // The reason reaches the window before the failure page does.
    const std::vector<std::string> calls = m_view.Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ("reason 2", calls[calls.size() - 2]); // the server refused
    EXPECT_EQ("page page_install>page_fail", calls.back());
    EXPECT_EQ(4, standin::RequestCount("/down/down")); // a 5xx is tried again three times
    EXPECT_FALSE(standin::FileExists(m_package));
    EXPECT_FALSE(standin::FileExists(standin::TempPath(L"Pavonel-SamplePackage.txt"))); // nothing was run
    ExpectReports({Body("INSTALL_DOWNLOADFAIL")});
}

TEST_F(Engine, PublishedDigestDecidesWhetherThePackageRuns)
{
    ASSERT_TRUE(standin::SetScenario(R"({"lookup":"sha256"})"));
    {
        CInstallEngine engine(&m_view);
        engine.LookupDownloadUrl();
        Install(engine);
        EXPECT_EQ(Installed, engine.GetInstallState());
    }
    ASSERT_TRUE(standin::SetScenario(R"({"lookup":"badsha"})"));
    {
        CInstallEngine engine(&m_view);
        engine.LookupDownloadUrl();
        Install(engine);
        EXPECT_EQ(DownloadFail, engine.GetInstallState());
        EXPECT_EQ(FailureDamaged, engine.GetFailureKind());
        EXPECT_EQ(2, standin::RequestCount("/down/down")); // one per run: a damaged download is not fetched again
        EXPECT_FALSE(standin::FileExists(m_package));
    }
}

TEST_F(Engine, PackageRunsOnlyWhenTheVendorsSignatureOrThePublishedDigestVouchesForIt)
{
    struct Case
    {
        const char* package; // as served: signed by the vendor, unsigned, signed by another, changed after signing
        const char* lookup;  // "sha256": the reply publishes the digest of the package as served
        bool runs;
        const wchar_t* logged;
    };
    const Case cases[] = {
        {"length", "object", true, L"publisher check: signed by Tarvix; package may run"},
        {"unsigned", "sha256", true, L"publisher check: unsigned, vouched for by the published SHA-256; package may run"},
        {"unsigned", "object", false, L"publisher check: unsigned, and no published SHA-256 vouches for it; package refused"},
        {"other", "sha256", false, L"publisher check: signed by Someone Else Ltd, not by Tarvix; package refused"},
        {"tampered", "sha256", false, L"publisher check: signature not valid (WinVerifyTrust 0x80096010)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.package) + ", " + c.lookup);
        ASSERT_TRUE(standin::SetScenario(std::string("{\"package\":\"") + c.package + "\",\"lookup\":\"" + c.lookup + "\"}"));
        DeleteFileW(standin::TempPath(L"Pavonel-SamplePackage.txt").c_str());
        DeleteFileW(CInstallLog::GetLogPath().c_str());
        CInstallEngine engine(&m_view);
        engine.LookupDownloadUrl();
        Install(engine);
        EXPECT_EQ(c.runs ? Installed : DownloadFail, engine.GetInstallState());
        EXPECT_EQ(c.runs ? FailureNone : FailureUnverified, engine.GetFailureKind());
        EXPECT_EQ(c.runs, standin::FileExists(standin::TempPath(L"Pavonel-SamplePackage.txt")));
        if (!c.runs) {
            EXPECT_FALSE(standin::FileExists(m_package)) << "a refused package is left where it could be run";
        }
        const std::wstring log = standin::ReadUtf8File(CInstallLog::GetLogPath());
        EXPECT_NE(std::wstring::npos, log.find(c.logged)) << log.c_str();
    }
}

TEST_F(Engine, DownloadWithoutLengthLeavesTheBarAtZero)
{
    ASSERT_TRUE(standin::SetScenario(R"({"package":"chunked"})"));
    CInstallEngine engine(&m_view);
    engine.LookupDownloadUrl();
    Install(engine);
    EXPECT_EQ(Installed, engine.GetInstallState());
    EXPECT_EQ(std::vector<int>{0}, m_view.Progress());
}

TEST_F(Engine, ReinstallAfterAFailureRunsAgainWithTheSameAddresses)
{
    ASSERT_TRUE(standin::SetScenario(R"({"package":"404"})"));
    CInstallEngine engine(&m_view);
    engine.LookupDownloadUrl();
    Install(engine);
    EXPECT_EQ(DownloadFail, engine.GetInstallState());
    standin::WaitForEvents(1, 15000);
    ASSERT_TRUE(standin::SetScenario(R"({"package":"length"})"));
    Install(engine);
    EXPECT_EQ(Installed, engine.GetInstallState());
    EXPECT_EQ(1, standin::RequestCount("/tarvix/getDownUrl")); // the lookup is not repeated
    EXPECT_EQ((std::vector<std::string>{"page_install>page_fail", "page_install>page_finished"}), m_view.Pages());
    ExpectReports({Body("INSTALL_DOWNLOADFAIL"), Body("INSTALL")});
}

TEST_F(Engine, ReinstallClickedAsTheFailurePageAppearsStartsTheRun)
{
    ASSERT_TRUE(standin::SetScenario(R"({"package":"404"})"));
    CInstallEngine engine(&m_view);
    engine.LookupDownloadUrl();
    HANDLE shown = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_view.SignalPages(shown);
    ASSERT_TRUE(engine.StartInstall());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(shown, 60000));
    ASSERT_TRUE(standin::SetScenario(R"({"package":"length"})"));
    EXPECT_TRUE(engine.StartInstall()) << "the click on Reinstall was lost";
    EXPECT_TRUE(engine.WaitForInstall(120000));
    m_view.SignalPages(nullptr);
    CloseHandle(shown);
    EXPECT_EQ(Installed, engine.GetInstallState());
    EXPECT_EQ((std::vector<std::string>{"page_install>page_fail", "page_install>page_finished"}), m_view.Pages());
}

TEST_F(Engine, LeavingWhileThePackageRunsLeavesItToFinishAndWritesNothing)
{
    SetEnvironmentVariableW(L"PAVONEL_SAMPLE_PACKAGE_MODE", L"hang");
    ASSERT_TRUE(standin::CreateProductKey());
    CInstallEngine engine(&m_view);
    engine.LookupDownloadUrl();
    ASSERT_TRUE(engine.StartInstall());
    for (int i = 0; i < 300 && !StandInPackageRuns(); ++i)
        Sleep(100);
    ASSERT_TRUE(StandInPackageRuns()) << "the package never started";
    engine.SetInstallState(UserAbort);
    const DWORD start = GetTickCount();
    engine.Shutdown();
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_TRUE(StandInPackageRuns()) << "the package was killed half-way";
    EndStandInPackages();
    std::wstring path;
    EXPECT_FALSE(standin::ReadProductPath(path)) << "settings were written for a run the user left";
    EXPECT_EQ(L"<absent>", ReadIni(L"Language", L"LanguageType"));
    EXPECT_TRUE(m_view.Pages().empty());
    ExpectReports({}); // only the window's own abort report belongs to this exit
}

TEST_F(Engine, LeavingDuringTheDownloadEndsItPromptlyAndCleansUp)
{
    ASSERT_TRUE(standin::SetScenario(R"({"package":"stall","stall_after":200000})"));
    CInstallEngine engine(&m_view);
    engine.LookupDownloadUrl();
    ASSERT_TRUE(engine.StartInstall());
    for (int i = 0; i < 100 && standin::RequestCount("/down/down") == 0; ++i)
        Sleep(100);
    Sleep(500);
    engine.SetInstallState(UserAbort);
    const DWORD start = GetTickCount();
    engine.Shutdown();
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_TRUE(engine.WaitForInstall(0));
    EXPECT_FALSE(standin::FileExists(m_package));
    EXPECT_TRUE(m_view.Pages().empty());
    EXPECT_EQ(UserAbort, engine.GetInstallState());
    ExpectReports({}); // the window reports the abort itself; the cancelled run adds nothing
}

TEST_F(Engine, ConfirmedExitEndsTheRunAndStaysTheReportedState)
{
    ASSERT_TRUE(standin::SetScenario(R"({"package":"slow","slow_rate":100000})"));
    CInstallEngine engine(&m_view);
    engine.LookupDownloadUrl();
    ASSERT_TRUE(engine.StartInstall());
    for (int i = 0; i < 100 && m_view.Progress().size() < 3; ++i)
        Sleep(100);
    ASSERT_GE(m_view.Progress().size(), 3u) << "download should be under way";
    engine.SetInstallState(UserAbort);
    EXPECT_TRUE(engine.WaitForInstall(5000));
    EXPECT_EQ(UserAbort, engine.GetInstallState());
    EXPECT_TRUE(m_view.Pages().empty());
    EXPECT_FALSE(standin::FileExists(m_package));
    engine.ReportUsage(); // what the window does next
    ExpectReports({Body("INSTALL_USERABORT")});
}

TEST_F(Engine, ShutdownSaysWhenTheInstallThreadOutlivesItsWait)
{
    // The worker is held in its last step past the wait: it may still be inside libcurl, so the caller must know.
    ASSERT_TRUE(standin::SetScenario(R"({"package":"404"})"));
    CInstallEngine engine(&m_view);
    engine.LookupDownloadUrl();
    HANDLE shown = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_view.SignalPages(shown, 1500);
    ASSERT_TRUE(engine.StartInstall());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(shown, 60000));
    EXPECT_FALSE(engine.Shutdown(100));
    EXPECT_TRUE(engine.WaitForInstall(10000));
    EXPECT_TRUE(engine.Shutdown(100));
    m_view.SignalPages(nullptr);
    CloseHandle(shown);
}

TEST_F(Engine, SecondStartWhileRunningIsRefused)
{
    ASSERT_TRUE(standin::SetScenario(R"({"package":"stall","stall_after":200000})"));
    CInstallEngine engine(&m_view);
    engine.LookupDownloadUrl();
    ASSERT_TRUE(engine.StartInstall());
    EXPECT_FALSE(engine.StartInstall());
    engine.Shutdown();
}

// ---- download folder -----------------------------------------------------------------------------------

namespace {

// What a folder holds, by name ("<none>" when it is gone).
std::vector<std::wstring> Names(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return {L"<none>"};
    do {
        if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0)
            names.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

// Removes a plain folder and what is in it (what the installer and the tests leave in C:\tarvix).
void RemoveFolder(const std::wstring& folder)
{
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        standin::RemoveLink(folder); // never what it points to
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return;
    for (const std::wstring& name : Names(folder)) {
        RemoveFolder(folder + L"\\" + name);
        DeleteFileW((folder + L"\\" + name).c_str());
    }
    RemoveDirectoryW(folder.c_str());
}

void WriteText(const std::wstring& path, const char* text)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    WriteFile(file, text, static_cast<DWORD>(strlen(text)), &done, nullptr);
    CloseHandle(file);
}

DWORD SetFolderDacl(const std::wstring& folder, PACL dacl, SECURITY_INFORMATION extra)
{
    return SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION | extra, nullptr, nullptr, dacl, nullptr);
}

} // namespace

TEST_F(Engine, DownloadFolderOthersMayWriteToIsMovedAsideAndWhatTheyLeftIsNeverRun)
{
    // Another user got the folder open to everybody and left a program under the package's name.
    const std::wstring folder = m_package.substr(0, m_package.rfind(L'\\'));
    CreateDirectoryW(folder.c_str(), nullptr);
    PSECURITY_DESCRIPTOR raw = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;OICI;FA;;;WD)", SDDL_REVISION_1, &raw,
                                                                     nullptr));
    CSafeFolder::LocalPtr everyone(raw);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(raw, &present, &dacl, &defaulted));
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), SetFolderDacl(folder, dacl, 0));
    {
        HANDLE planted = CreateFileW(m_package.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, planted);
        DWORD done = 0;
        WriteFile(planted, "planted", 7, &done, nullptr);
        CloseHandle(planted);
    }
    DeleteFileW(CInstallLog::GetLogPath().c_str());

    CInstallEngine engine(&m_view);
    engine.LookupDownloadUrl();
    Install(engine);

    // The folder gets the installer's own protection back before anything else can fail.
    CSafeFolder::LocalPtr own = CSafeFolder::BuildSecurity();
    ASSERT_TRUE(GetSecurityDescriptorDacl(own.get(), &present, &dacl, &defaulted));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), SetFolderDacl(folder, dacl, PROTECTED_DACL_SECURITY_INFORMATION));
    const std::wstring planted = standin::ReadUtf8File(m_package);
    DeleteFileW(m_package.c_str());

    EXPECT_EQ(Installed, engine.GetInstallState());
    EXPECT_EQ(L"planted", planted) << "the other user's file was replaced or removed";
    const std::wstring record = standin::ReadUtf8File(standin::TempPath(L"Pavonel-SamplePackage.txt"));
    const std::wstring privateRoot = CInstallPaths::GetProgramDataDir() + L"\\" + CInstallPaths::kPrivateFolder;
    const size_t at = record.find(L"\"" + privateRoot + L"\\");
    ASSERT_NE(std::wstring::npos, at) << "the package did not run from a private folder: " << record.c_str();
    const size_t end = record.find(L"\\CORVEX_Online.exe\"", at);
    ASSERT_NE(std::wstring::npos, end) << record.c_str();
    const std::wstring privateFolder = record.substr(at + 1, end - at - 1);
    EXPECT_FALSE(standin::FileExists(privateFolder)) << "the private folder was left behind";
    const std::wstring log = standin::ReadUtf8File(CInstallLog::GetLogPath());
    EXPECT_NE(std::wstring::npos, log.find(L"download folder " + folder + L" not used: "))
        << log.c_str();
    EXPECT_NE(std::wstring::npos, log.find(L"moved aside to " + privateFolder)) << log.c_str();
}

// ---- links and prepared folders ------------------------------------------------------------------------

// Each place the elevated installer writes, with a link planted where the user's own programs could put one (or
// a folder they could have prepared): nothing may reach the victim folder, and the log says what was done.
TEST(Redirection, NoPlantedLinkOrPreparedFolderTakesAnInstallerWriteElsewhere)
{
    const std::wstring vendor = CInstallPaths::DownloadFolderFor(CInstallPaths::GetDesktopDir());
    const std::wstring settings = vendor + L"\\Lumbra";
    const std::wstring victim = L"C:\\pavonel-test\\victim";
    const std::wstring tempLink = L"C:\\pavonel-test\\temp-link";
    wchar_t temp[MAX_PATH] = {}, tmp[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
    GetEnvironmentVariableW(L"TMP", tmp, MAX_PATH);
    const auto download = [&vendor] {
        CDownloadFolder folder;
        ASSERT_TRUE(folder.Choose(vendor));
        WriteText(folder.GetPath() + L"\\" + CInstallPaths::kPackageFileName, "package");
    };
    struct Case
    {
        const char* what;
        std::wstring planted; // a link to the victim, or the prepared victim itself
        bool prepared;        // a plain folder with a library in it, as the user's programs could leave one
        std::function<void()> act;
        std::wstring logged;
    };
    const Case cases[] = {
        {"settings", settings, false,
         [] {
             CSettingsStore::WritePlatformSetting();
             CSettingsStore::WriteLanguageSetting();
         },
         settings + L" is a link"},
        {"support log", tempLink, false,
         [&tempLink] {
             SetEnvironmentVariableW(L"TMP", tempLink.c_str());
             SetEnvironmentVariableW(L"TEMP", tempLink.c_str());
             CInstallLog::WriteLine(L"to the temporary folder");
         },
         L"temporary folder " + tempLink + L"\\ not used (" + tempLink + L" is a link"},
        {"download folder", vendor, false, download, vendor + L" is a link"},
        {"prepared download folder", vendor, true, download, L"download folder " + vendor + L" not used: "},
    };
    CreateDirectoryW(L"C:\\pavonel-test", nullptr);
    for (const Case& test : cases) {
        RemoveFolder(vendor);
        RemoveFolder(victim);
        const std::wstring target = test.prepared ? test.planted : victim;
        ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr)) << test.what;
        if (test.prepared) {
            WriteText(target + L"\\version.dll", "planted");
        } else {
            CreateDirectoryW(test.planted.substr(0, test.planted.rfind(L'\\')).c_str(), nullptr);
            ASSERT_TRUE(standin::PlantLink(test.planted, victim)) << test.what;
        }

        test.act();
        const std::wstring log = standin::ReadUtf8File(CInstallLog::GetLogPath());
        SetEnvironmentVariableW(L"TEMP", temp);
        SetEnvironmentVariableW(L"TMP", tmp);
        if (!test.prepared)
            standin::RemoveLink(test.planted);
        EXPECT_EQ(test.prepared ? std::vector<std::wstring>{L"version.dll"} : std::vector<std::wstring>{}, Names(target))
            << test.what;
        EXPECT_NE(std::wstring::npos, log.find(test.logged)) << test.what << ": " << log.c_str();
    }
    RemoveFolder(vendor);
    RemoveFolder(victim);
}

// ---- settings file -------------------------------------------------------------------------------------

TEST_F(Engine, PlatformValueIsRewrittenAndLanguageKept)
{
    const std::wstring ini = CSettingsStore::GetConfigIniPath();
    EXPECT_TRUE(standin::FileExists(ini.substr(0, ini.rfind(L'\\')))); // the folder is made on demand
    CSettingsStore::WritePlatformSetting();
    EXPECT_EQ(L"", ReadIni(L"Platform", L"Platform"));
    WritePrivateProfileStringW(L"Language", L"LanguageType", L"7", ini.c_str());
    WritePrivateProfileStringW(L"Platform", L"Platform", L"stale", ini.c_str());
    CSettingsStore::WritePlatformSetting();
    EXPECT_EQ(L"", ReadIni(L"Platform", L"Platform"));
    EXPECT_EQ(L"7", ReadIni(L"Language", L"LanguageType"));
}

// ---- support log ---------------------------------------------------------------------------------------

TEST_F(Engine, RunIsTracedInTheSupportLog)
{
    DeleteFileW(CInstallLog::GetLogPath().c_str());
    SetEnvironmentVariableW(L"PAVONEL_SAMPLE_PACKAGE_MODE", L"fail");
    CInstallEngine engine(&m_view);
    engine.LookupDownloadUrl();
    Install(engine);
    standin::WaitForEvents(1, 15000);
    Sleep(300);
    const std::wstring log = standin::ReadUtf8File(CInstallLog::GetLogPath());
    EXPECT_NE(std::wstring::npos, log.find(L"address lookup")) << log.c_str();
    EXPECT_NE(std::wstring::npos, log.find(L"from=service"));
    EXPECT_NE(std::wstring::npos, log.find(L"HTTP 200"));
    EXPECT_NE(std::wstring::npos, log.find(L"package exit code 3"));
    EXPECT_NE(std::wstring::npos, log.find(L"INSTALL_DOWNLOADSUC"));
    EXPECT_NE(std::wstring::npos, log.find(L"usage report"));
}
