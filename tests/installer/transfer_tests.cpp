// The transfer profiles against the stand-in service: fetching, posting, and the package download with its
// progress, checks, clean-up, cancellation and the hold on the finished file.
#include "ServiceFixture.h"

#include "installer/install/DownloadUrlLookup.h"
#include "installer/net/CurlEasy.h"
#include "installer/net/HttpTransfer.h"
#include "installer/net/PackageDownload.h"
#include "installer/net/Sha256.h"
#include "installer/net/TextConvert.h"
#include "installer/net/UsageReporter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace {

std::string FileSha256(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    CSha256 hash;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        hash.Update(buffer, got);
    CloseHandle(file);
    return hash.FinishHex();
}

std::wstring PackageUrl()
{
    return Utf8ToWideString(standin::HttpsBase() + "/down/down?path=CORVEX_Online.exe");
}

// Whole-number options in the order handles were configured with them, read back through the handle owner's
// observer. A freed handle's address may come back for the next one, so the order tells handles apart.
struct OptionSet
{
    CURL* curl;
    CURLoption option;
    long value;
};
std::mutex g_optionLock;
std::vector<OptionSet> g_options;

void RecordOption(CURL* curl, CURLoption option, long value)
{
    std::lock_guard<std::mutex> guard(g_optionLock);
    g_options.push_back({curl, option, value});
}

class OptionRecording
{
public:
    OptionRecording()
    {
        std::lock_guard<std::mutex> guard(g_optionLock);
        g_options.clear();
        CCurlEasy::SetOptionObserver(RecordOption);
    }
    ~OptionRecording() { CCurlEasy::SetOptionObserver(nullptr); }
    std::vector<OptionSet> Options()
    {
        std::lock_guard<std::mutex> guard(g_optionLock);
        return g_options;
    }
};

// Every transfer applies its limits once (CURLOPT_NOSIGNAL among them); counts the transfers, and those whose
// handle was not given CURLOPT_QUICK_EXIT=1 since the previous transfer at the same address.
void CountTransfers(const std::vector<OptionSet>& options, int& transfers, int& withoutQuickExit)
{
    std::map<CURL*, bool> quick;
    transfers = withoutQuickExit = 0;
    for (const OptionSet& set : options) {
        if (set.option == CURLOPT_QUICK_EXIT) {
            quick[set.curl] = set.value == 1;
        } else if (set.option == CURLOPT_NOSIGNAL) {
            ++transfers;
            withoutQuickExit += quick[set.curl] ? 0 : 1;
            quick[set.curl] = false;
        }
    }
}

class Transfers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        standin::UseStandInHosts();
        ASSERT_TRUE(standin::Reset()) << "stand-in vendor service not reachable";
        m_target = standin::TempPath(L"pavonel-transfer-test.bin");
        DeleteFileW(m_target.c_str());
        m_cancel = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    void TearDown() override
    {
        DeleteFileW(m_target.c_str());
        CloseHandle(m_cancel);
    }

    CPackageDownload::PercentCallback Recorder()
    {
        return [this](int percent) {
            std::lock_guard<std::mutex> guard(m_lock);
            m_percents.push_back(percent);
        };
    }
    std::vector<int> Percents()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_percents;
    }

    std::wstring m_target;
    HANDLE m_cancel = nullptr;
    std::mutex m_lock;
    std::vector<int> m_percents;
};

} // namespace

// ---- fetch into memory and post ------------------------------------------------------------------------

TEST_F(Transfers, FetchFollowsRedirectsAcrossAddresses)
{
    std::string body;
    // Three hops, alternating between the HTTPS and the plain port.
    const TransferResult result = CHttpTransfer::FetchToString(
        standin::HttpsBase() + "/down/hop?n=3&path=CORVEX_Offline.exe", body, CHttpTransfer::LookupLimits());
    EXPECT_TRUE(result.Succeeded()) << WideToUtf8String(result.Describe());
    EXPECT_EQ(200, result.httpStatus);
    EXPECT_EQ("offline package stand-in", body);
}

TEST_F(Transfers, AddressWithoutSchemeIsTakenAsHttps)
{
    std::string body;
    // The HTTPS port speaks only TLS: an answer proves the scheme-less address went over HTTPS.
    const std::string address = standin::HttpsBase().substr(8) + "/tarvix/getDownUrl?softType=CORVEX";
    const TransferResult result = CHttpTransfer::FetchToString(address, body, CHttpTransfer::LookupLimits());
    EXPECT_TRUE(result.Succeeded()) << WideToUtf8String(result.Describe());
    EXPECT_NE(std::string::npos, body.find("onlineUrl"));
}

TEST_F(Transfers, FetchKeepsErrorPagesAsReplies)
{
    std::string body;
    const TransferResult result =
        CHttpTransfer::FetchToString(standin::HttpsBase() + "/no/such/page", body, CHttpTransfer::LookupLimits());
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ(404, result.httpStatus);
    EXPECT_NE(std::string::npos, body.find("404"));
}

TEST_F(Transfers, SilentServerEndsWithinTheLookupLimit)
{
    ASSERT_TRUE(standin::SetScenario(R"({"lookup":"silent"})"));
    std::string body;
    const DWORD start = GetTickCount();
    const TransferResult result = CHttpTransfer::FetchToString(
        standin::HttpsBase() + "/tarvix/getDownUrl?softType=CORVEX", body, CHttpTransfer::LookupLimits());
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_FALSE(result.Succeeded());
    EXPECT_EQ(28, result.code); // operation timed out
    EXPECT_LT(elapsed, 9000u);
    standin::Reset();
}

TEST_F(Transfers, PostDeliversTheBodyUnchanged)
{
    const std::string json = "{\"softType\":\"CORVEX\",\"operateType\":\"INSTALL\",\"ip\":\"\xe4\xb8\xad\"}";
    const TransferResult result =
        CHttpTransfer::PostJson(standin::HttpsBase() + "/client/userOperating", json, CHttpTransfer::LookupLimits());
    EXPECT_TRUE(result.Succeeded());
    const std::vector<std::string> events = standin::Events();
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(json, events[0]);
}

TEST_F(Transfers, UnreachableServiceFailsQuickly)
{
    std::string body;
    const DWORD start = GetTickCount();
    // Port 9 on loopback: nothing listens there.
    const TransferResult result =
        CHttpTransfer::FetchToString("http://127.0.0.1:9/ipJson.jsp?json=true", body, CHttpTransfer::LookupLimits());
    EXPECT_FALSE(result.Succeeded());
    EXPECT_FALSE(result.error.empty());
    EXPECT_LT(GetTickCount() - start, 7000u);
}

// ---- package download -----------------------------------------------------------------------------------

TEST_F(Transfers, DownloadWithLengthRunsProgressUpTo90)
{
    CPackageDownload download(Recorder(), m_cancel);
    ASSERT_TRUE(download.Run(PackageUrl(), m_target, std::string())) << WideToUtf8String(download.GetFailure());
    download.ReleaseFile();
    EXPECT_EQ(FileSha256(standin::SamplePackagePath()), FileSha256(m_target));
    const std::vector<int> percents = Percents();
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(90, percents.back()); // exactly dltotal bytes reports 90, never 100
    for (size_t i = 1; i < percents.size(); ++i)
        EXPECT_LT(percents[i - 1], percents[i]) << "only whole-percent changes are passed on";
    for (int percent : percents) {
        EXPECT_GE(percent, 1);
        EXPECT_LE(percent, 90);
    }
}

TEST_F(Transfers, DownloadWithoutLengthLeavesProgressAlone)
{
    ASSERT_TRUE(standin::SetScenario(R"({"package":"chunked"})"));
    CPackageDownload download(Recorder(), m_cancel);
    ASSERT_TRUE(download.Run(PackageUrl(), m_target, std::string()));
    download.ReleaseFile();
    EXPECT_TRUE(Percents().empty());
    EXPECT_EQ(FileSha256(standin::SamplePackagePath()), FileSha256(m_target));
}

TEST_F(Transfers, DownloadFollowsARedirectChain)
{
    ASSERT_TRUE(standin::SetScenario(R"({"package":"redirect"})"));
    CPackageDownload download(Recorder(), m_cancel);
    ASSERT_TRUE(download.Run(PackageUrl(), m_target, std::string())) << WideToUtf8String(download.GetResult().Describe());
    download.ReleaseFile();
    EXPECT_EQ(FileSha256(standin::SamplePackagePath()), FileSha256(m_target));
    EXPECT_EQ(3, standin::RequestCount("/down/hop"));
}

TEST_F(Transfers, PackageNeverComesOverPlainHttp)
{
    // A redirect from HTTPS to HTTP is refused: no file.
    ASSERT_TRUE(standin::SetScenario(R"({"package":"tohttp"})"));
    CPackageDownload refused(Recorder(), m_cancel);
    EXPECT_FALSE(refused.Run(PackageUrl(), m_target, std::string()));
    EXPECT_FALSE(standin::FileExists(m_target));
    EXPECT_EQ(0, standin::RequestCount("/down/hop"));

    // An http:// address is asked for over HTTPS (the port below speaks TLS only).
    ASSERT_TRUE(standin::SetScenario(R"({"package":"length"})"));
    std::wstring plain = PackageUrl();
    plain.replace(0, 5, L"HTTP");
    CPackageDownload upgraded(Recorder(), m_cancel);
    ASSERT_TRUE(upgraded.Run(plain, m_target, std::string())) << WideToUtf8String(upgraded.GetResult().Describe());
    upgraded.ReleaseFile();
    EXPECT_EQ(FileSha256(standin::SamplePackagePath()), FileSha256(m_target));
}

TEST_F(Transfers, DownloadVerifiesPeerAndHostAndEveryHandleQuitsAtOnce)
{
    OptionRecording recording;
    CPackageDownload download(Recorder(), m_cancel);
    ASSERT_TRUE(download.Run(PackageUrl(), m_target, std::string()));
    download.ReleaseFile();
    std::map<CURLoption, long> configured;
    for (const OptionSet& set : recording.Options())
        configured[set.option] = set.value;
    EXPECT_EQ(1L, configured[CURLOPT_SSL_VERIFYPEER]);
    EXPECT_EQ(2L, configured[CURLOPT_SSL_VERIFYHOST]);

    // The lookup, both requests of a report and the download: none may wait for a blocked name lookup.
    CDownloadUrlLookup::LookupDownloadUrl("CORVEX");
    CUsageReporter::ReportUsage("CORVEX", []() { return 0; });
    int transfers = 0, withoutQuickExit = 0;
    CountTransfers(recording.Options(), transfers, withoutQuickExit);
    EXPECT_EQ(4, transfers);
    EXPECT_EQ(0, withoutQuickExit);
}

TEST_F(Transfers, EndlessRedirectLoopFailsInsteadOfRunningForEver)
{
    ASSERT_TRUE(standin::SetScenario(R"({"package":"loop"})"));
    CPackageDownload download(Recorder(), m_cancel);
    EXPECT_FALSE(download.Run(PackageUrl(), m_target, std::string()));
    EXPECT_EQ(47, download.GetResult().code); // too many redirects
    EXPECT_FALSE(standin::FileExists(m_target));
    std::string body;
    EXPECT_EQ(47, CHttpTransfer::FetchToString(WideToUtf8String(PackageUrl()), body, CHttpTransfer::LookupLimits()).code);
}

TEST_F(Transfers, ErrorPageIsNeverKeptAsThePackage)
{
    for (const char* status : {"404", "500"}) {
        ASSERT_TRUE(standin::SetScenario(std::string("{\"package\":\"") + status + "\"}"));
        CPackageDownload download(Recorder(), m_cancel);
        EXPECT_FALSE(download.Run(PackageUrl(), m_target, std::string())) << status;
        EXPECT_EQ(std::atol(status), download.GetResult().httpStatus);
        EXPECT_FALSE(standin::FileExists(m_target)) << status;
    }
}

TEST_F(Transfers, TruncatedOrStalledTransferLeavesNoFile)
{
    ASSERT_TRUE(standin::SetScenario(R"({"package":"cut","cut_after":100000})"));
    {
        CPackageDownload download(Recorder(), m_cancel);
        EXPECT_FALSE(download.Run(PackageUrl(), m_target, std::string()));
        EXPECT_NE(0, download.GetResult().code);
        EXPECT_FALSE(standin::FileExists(m_target));
    }
    ASSERT_TRUE(standin::SetScenario(R"({"package":"stall","stall_after":100000})"));
    {
        CPackageDownload download(Recorder(), m_cancel);
        download.SetStallLimit(2);
        const DWORD start = GetTickCount();
        EXPECT_FALSE(download.Run(PackageUrl(), m_target, std::string()));
        EXPECT_EQ(28, download.GetResult().code); // given up as stalled
        EXPECT_LT(GetTickCount() - start, 15000u);
        EXPECT_FALSE(standin::FileExists(m_target));
    }
    standin::Reset();
}

TEST_F(Transfers, PublishedDigestMustMatch)
{
    const std::string digest = FileSha256(standin::SamplePackagePath());
    ASSERT_EQ(64u, digest.size());
    std::string upper = digest;
    for (char& c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    {
        CPackageDownload download(Recorder(), m_cancel);
        EXPECT_TRUE(download.Run(PackageUrl(), m_target, upper));
        EXPECT_EQ(digest, download.GetSha256());
    }
    {
        std::string wrong = digest;
        wrong[10] = wrong[10] == 'a' ? 'b' : 'a';
        CPackageDownload download(Recorder(), m_cancel);
        EXPECT_FALSE(download.Run(PackageUrl(), m_target, wrong));
        EXPECT_FALSE(standin::FileExists(m_target));
    }
}

TEST_F(Transfers, FinishedPackageCannotBeChangedUntilReleased)
{
    CPackageDownload download(Recorder(), m_cancel);
    ASSERT_TRUE(download.Run(PackageUrl(), m_target, std::string()));
    HANDLE writer = CreateFileW(m_target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
    EXPECT_FALSE(DeleteFileW(m_target.c_str()));
    const std::wstring moved = m_target + L".moved";
    EXPECT_FALSE(MoveFileW(m_target.c_str(), moved.c_str()));
    // Reading (and so running) stays possible.
    HANDLE reader = CreateFileW(m_target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, reader);
    if (reader != INVALID_HANDLE_VALUE)
        CloseHandle(reader);
    download.ReleaseFile();
    EXPECT_TRUE(DeleteFileW(m_target.c_str()));
}

TEST_F(Transfers, PartialFileCannotBeWrittenOrRemovedByOthers)
{
    ASSERT_TRUE(standin::SetScenario(R"({"package":"stall","stall_after":100000})"));
    CPackageDownload download(Recorder(), m_cancel);
    bool writable = true, removable = true, readable = false;
    std::thread intruder([&]() {
        Sleep(1000);
        HANDLE writer = CreateFileW(m_target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        writable = writer != INVALID_HANDLE_VALUE;
        if (writable)
            CloseHandle(writer);
        removable = DeleteFileW(m_target.c_str()) != FALSE;
        HANDLE reader = CreateFileW(m_target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        readable = reader != INVALID_HANDLE_VALUE;
        if (readable)
            CloseHandle(reader);
        SetEvent(m_cancel);
    });
    EXPECT_FALSE(download.Run(PackageUrl(), m_target, std::string()));
    intruder.join();
    EXPECT_FALSE(writable);
    EXPECT_FALSE(removable);
    EXPECT_TRUE(readable);
    standin::Reset();
}

TEST_F(Transfers, CancelEndsTheDownloadPromptlyAndRemovesThePartialFile)
{
    ASSERT_TRUE(standin::SetScenario(R"({"package":"stall","stall_after":100000})"));
    CPackageDownload download(Recorder(), m_cancel);
    std::atomic<DWORD> cancelledAt{0};
    std::thread leaver([&]() {
        Sleep(1000);
        cancelledAt = GetTickCount();
        SetEvent(m_cancel);
    });
    EXPECT_FALSE(download.Run(PackageUrl(), m_target, std::string()));
    const DWORD ended = GetTickCount();
    leaver.join();
    EXPECT_TRUE(download.WasCancelled());
    EXPECT_EQ(42, download.GetResult().code); // aborted by the progress callback
    EXPECT_LT(ended - cancelledAt.load(), 3000u);
    EXPECT_FALSE(standin::FileExists(m_target));
    standin::Reset();
}

TEST_F(Transfers, LinkPlantedUnderThePackageNameIsReplacedNotWrittenThrough)
{
    const std::wstring victim = standin::TempPath(L"pavonel-victim.txt");
    DeleteFileW(victim.c_str());
    HANDLE file = CreateFileW(victim.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD done = 0;
    WriteFile(file, "victim", 6, &done, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(CreateHardLinkW(m_target.c_str(), victim.c_str(), nullptr));

    CPackageDownload download(Recorder(), m_cancel);
    EXPECT_TRUE(download.Run(PackageUrl(), m_target, std::string()));
    download.ReleaseFile();
    EXPECT_EQ(L"victim", standin::ReadUtf8File(victim));
    EXPECT_EQ(FileSha256(standin::SamplePackagePath()), FileSha256(m_target));
    DeleteFileW(victim.c_str());
}

TEST_F(Transfers, UnwritableTargetFailsWithoutTransfer)
{
    CPackageDownload download(Recorder(), m_cancel);
    EXPECT_FALSE(download.Run(PackageUrl(), L"C:\\no-such-folder-pavonel\\x\\pkg.exe", std::string()));
    EXPECT_FALSE(download.GetFailure().empty());
}
