// The transfer profiles against the stand-in service: fetching, posting, and the package download with its
// progress, checks, clean-up, cancellation and the hold on the finished file.
#include "ServiceFixture.h"

#include "installer/install/DownloadUrlLookup.h"
#include "installer/net/CurlEasy.h"
#include "installer/net/HttpTransfer.h"
#include "installer/net/PackageDownload.h"
#include "installer/net/ProxyScript.h"
#include "installer/net/InstallLog.h"
#include "installer/net/Sha256.h"
#include "installer/net/SystemProxy.h"
#include "installer/net/TextConvert.h"
#include "installer/net/UsageReporter.h"

#include <gtest/gtest.h>
#include <winhttp.h>

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
// handle was not given every option of `wanted` with at least its bits since the previous transfer at the same
// address.
void CountTransfers(const std::vector<OptionSet>& options, const std::map<CURLoption, long>& wanted, int& transfers,
                    int& lacking)
{
    std::map<CURL*, std::map<CURLoption, long>> given;
    transfers = lacking = 0;
    for (const OptionSet& set : options) {
        if (set.option != CURLOPT_NOSIGNAL) {
            given[set.curl][set.option] = set.value;
            continue;
        }
        ++transfers;
        std::map<CURLoption, long>& handle = given[set.curl];
        for (const auto& option : wanted)
            if (handle.count(option.first) == 0 || (handle[option.first] & option.second) != option.second) {
                ++lacking;
                break;
            }
        handle.clear();
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

TEST_F(Transfers, FetchFollowsRedirectsAcrossAddressesButNeverFromHttpsToPlainHttp)
{
    std::string body;
    // Three hops on the plain port, then the HTTPS one.
    const TransferResult result = CHttpTransfer::FetchToString(
        standin::HttpBase() + "/down/hop?n=3&path=CORVEX_Offline.exe", body, CHttpTransfer::LookupLimits());
    EXPECT_TRUE(result.Succeeded()) << WideToUtf8String(result.Describe());
    EXPECT_EQ(200, result.httpStatus);
    EXPECT_EQ("offline package stand-in", body);

    // From HTTPS the first hop leads to the plain port: refused, and the log line says where it led.
    ASSERT_TRUE(standin::Reset());
    const TransferResult downgraded = CHttpTransfer::FetchToString(
        standin::HttpsBase() + "/down/hop?n=3&path=CORVEX_Offline.exe", body, CHttpTransfer::LookupLimits());
    EXPECT_EQ(1, downgraded.code); // unsupported protocol
    EXPECT_EQ(302, downgraded.httpStatus);
    EXPECT_EQ(standin::HttpBase() + "/down/hop?n=2&path=CORVEX_Offline.exe", downgraded.refusedRedirect);
    EXPECT_EQ(1, standin::RequestCount("/down/hop"));
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

TEST_F(Transfers, DownloadFollowsARedirectChainAndCountsOnlyTheFinalReply)
{
    // Every redirect carries a page as redirectors send one: its bytes must not move the bar.
    ASSERT_TRUE(standin::SetScenario(R"({"package":"redirect","redirect_then":"slow","slow_rate":1000000,"redirect_body":4000})"));
    CPackageDownload download(Recorder(), m_cancel);
    ASSERT_TRUE(download.Run(PackageUrl(), m_target, std::string())) << WideToUtf8String(download.GetResult().Describe());
    download.ReleaseFile();
    EXPECT_EQ(FileSha256(standin::SamplePackagePath()), FileSha256(m_target));
    EXPECT_EQ(3, standin::RequestCount("/down/hop"));
    const std::vector<int> percents = Percents();
    ASSERT_GE(percents.size(), 5u) << "the bar jumped instead of moving: " << ::testing::PrintToString(percents);
    EXPECT_LT(percents.front(), 20);
    EXPECT_EQ(90, percents.back());
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

TEST_F(Transfers, EveryTransferVerifiesPeerAndHostChecksRevocationAsFarAsItCanAndQuitsAtOnce)
{
    OptionRecording recording;
    CPackageDownload download(Recorder(), m_cancel);
    ASSERT_TRUE(download.Run(PackageUrl(), m_target, std::string()));
    download.ReleaseFile();
    // The download, the lookup and both requests of a report: none may wait for a blocked name lookup, none may
    // trust an unverified peer, and none may fail for a revocation server it cannot reach.
    CDownloadUrlLookup::LookupDownloadUrl("CORVEX");
    CUsageReporter::ReportUsage("CORVEX", []() { return 0; });
    const long bestEffort = CURLSSLOPT_REVOKE_BEST_EFFORT;
    const std::map<CURLoption, long> wanted = {{CURLOPT_QUICK_EXIT, 1L},      {CURLOPT_SSL_VERIFYPEER, 1L},
                                               {CURLOPT_SSL_VERIFYHOST, 2L},  {CURLOPT_SSL_OPTIONS, bestEffort},
                                               {CURLOPT_PROXY_SSL_OPTIONS, bestEffort}};
    int transfers = 0, lacking = 0;
    CountTransfers(recording.Options(), wanted, transfers, lacking);
    EXPECT_EQ(4, transfers);
    EXPECT_EQ(0, lacking);
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
        download.SetRetryPause(50);
        EXPECT_FALSE(download.Run(PackageUrl(), m_target, std::string())) << status;
        EXPECT_EQ(std::atol(status), download.GetResult().httpStatus);
        EXPECT_FALSE(standin::FileExists(m_target)) << status;
    }
}

TEST_F(Transfers, TruncatedOrStalledTransferLeavesNoFileOnceTheRetriesAreUsedUp)
{
    // Every reply breaks off after 100000 bytes; each retry resumes, so four attempts bring 400000 bytes.
    ASSERT_TRUE(standin::SetScenario(R"({"package":"cut","cut_after":100000})"));
    {
        CPackageDownload download(Recorder(), m_cancel);
        download.SetRetryPause(50);
        EXPECT_FALSE(download.Run(PackageUrl(), m_target, std::string()));
        EXPECT_TRUE(download.GetResult().code == 18 || download.GetResult().code == 56); // cut short
        EXPECT_EQ(4, download.GetAttempts());
        EXPECT_EQ(FailureConnection, download.GetFailureKind());
        EXPECT_FALSE(standin::FileExists(m_target));
        const auto transfers = standin::PackageTransfers();
        ASSERT_EQ(4u, transfers.size());
        EXPECT_EQ("bytes=300000-", transfers[3].range);
    }
    ASSERT_TRUE(standin::Reset());
    ASSERT_TRUE(standin::SetScenario(R"({"package":"stall","stall_after":100000})"));
    {
        // A stall is given up and tried again from where it stopped; the user leaving ends the second one.
        CPackageDownload download(Recorder(), m_cancel);
        download.SetStallLimit(2);
        download.SetRetryPause(50);
        std::thread leaver([this]() {
            for (int i = 0; i < 300 && standin::PackageTransfers().size() < 2; ++i)
                Sleep(100);
            SetEvent(m_cancel);
        });
        const DWORD start = GetTickCount();
        EXPECT_FALSE(download.Run(PackageUrl(), m_target, std::string()));
        leaver.join();
        EXPECT_LT(GetTickCount() - start, 20000u);
        EXPECT_EQ(2, download.GetAttempts());
        EXPECT_FALSE(standin::FileExists(m_target));
        const auto transfers = standin::PackageTransfers();
        ASSERT_EQ(2u, transfers.size());
        EXPECT_EQ("bytes=100000-", transfers[1].range);
    }
    standin::Reset();
}

TEST_F(Transfers, DroppedConnectionsResumeWithoutFetchingAnyByteTwice)
{
    const std::string digest = FileSha256(standin::SamplePackagePath());
    ASSERT_TRUE(standin::SetScenario(R"({"drop_after":300000,"drop_times":2})"));
    CPackageDownload download(Recorder(), m_cancel);
    download.SetRetryPause(50);
    ASSERT_TRUE(download.Run(PackageUrl(), m_target, digest)) << WideToUtf8String(download.GetFailure());
    download.ReleaseFile();
    EXPECT_EQ(digest, FileSha256(m_target));
    EXPECT_EQ(3, download.GetAttempts());

    const auto transfers = standin::PackageTransfers();
    ASSERT_EQ(3u, transfers.size());
    EXPECT_EQ("", transfers[0].range);
    EXPECT_EQ(300000, transfers[0].sent);
    EXPECT_EQ("bytes=300000-", transfers[1].range);
    EXPECT_EQ("\"pkg-1\"", transfers[1].ifRange);
    EXPECT_EQ(206, transfers[1].status);
    EXPECT_EQ(300000, transfers[1].sent);
    EXPECT_EQ("bytes=600000-", transfers[2].range);
    EXPECT_EQ(600000, transfers[2].start);
    EXPECT_EQ(download.GetBytes(), transfers[0].sent + transfers[1].sent + transfers[2].sent);

    const std::vector<int> percents = Percents();
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(90, percents.back());
    for (size_t i = 1; i < percents.size(); ++i)
        EXPECT_LT(percents[i - 1], percents[i]) << "the bar never runs backwards on a resume";
}

TEST_F(Transfers, ReplyThatCannotContinueTheFileStartsOverFromZero)
{
    const std::string digest = FileSha256(standin::SamplePackagePath());
    struct Case
    {
        const char* scenario;
        const char* why;
        size_t transfers;       // requests the download needs
        bool secondAsksRange;   // whether the retry may ask for the rest
        int secondStatus;       // what the service answers it
    };
    const Case cases[] = {
        {R"({"ranges":"ignore"})", "range ignored: the 200 reply is taken from byte 0", 2, true, 200},
        {R"({"ranges":"none"})", "ranges not announced: no range asked", 2, false, 200},
        {R"({"etag":"change"})", "new version: If-Range gets the whole file", 2, true, 200},
        {R"({"etag":"change","ranges":"blind"})", "206 of another version is refused", 3, true, 206},
        {R"({"ranges":"wrongstart"})", "206 at the wrong byte is refused", 3, true, 206},
        {R"({"stale_first":1})", "206 of a file of another size under the same validator is refused", 3, true, 206},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_TRUE(standin::Reset());
        ASSERT_TRUE(standin::SetScenario(c.scenario));
        ASSERT_TRUE(standin::SetScenario(R"({"drop_after":300000})"));
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_percents.clear();
        }
        CPackageDownload download(Recorder(), m_cancel);
        download.SetRetryPause(50);
        ASSERT_TRUE(download.Run(PackageUrl(), m_target, digest)) << WideToUtf8String(download.GetFailure());
        download.ReleaseFile();
        EXPECT_EQ(digest, FileSha256(m_target));
        const auto transfers = standin::PackageTransfers();
        ASSERT_EQ(c.transfers, transfers.size());
        EXPECT_EQ(c.secondAsksRange, !transfers[1].range.empty());
        EXPECT_EQ(c.secondStatus, transfers[1].status);
        EXPECT_TRUE(transfers.back().start == 0) << "the file that was kept came whole from byte 0";
        const std::vector<int> percents = Percents();
        for (size_t i = 1; i < percents.size(); ++i)
            EXPECT_LT(percents[i - 1], percents[i]);
    }
    standin::Reset();
}

TEST_F(Transfers, PartThatEndsShortOfTheFileIsContinuedNotTakenForTheWhole)
{
    ASSERT_TRUE(standin::SetScenario(R"({"ranges":"short","drop_after":300000})"));
    CPackageDownload download(Recorder(), m_cancel);
    download.SetRetryPause(50);
    ASSERT_TRUE(download.Run(PackageUrl(), m_target, std::string())) << WideToUtf8String(download.GetFailure());
    download.ReleaseFile();
    EXPECT_EQ(FileSha256(standin::SamplePackagePath()), FileSha256(m_target));
    const auto transfers = standin::PackageTransfers();
    ASSERT_EQ(3u, transfers.size());
    EXPECT_EQ(transfers[1].start + transfers[1].sent, transfers[2].start);
}

TEST_F(Transfers, ServerErrorsAreRetriedClientErrorsAreNot)
{
    {
        ASSERT_TRUE(standin::SetScenario(R"({"fail_status":503,"fail_times":1})"));
        CPackageDownload download(Recorder(), m_cancel);
        download.SetRetryPause(50);
        ASSERT_TRUE(download.Run(PackageUrl(), m_target, std::string()));
        download.ReleaseFile();
        EXPECT_EQ(2, download.GetAttempts());
        EXPECT_EQ(FileSha256(standin::SamplePackagePath()), FileSha256(m_target));
    }
    for (int status : {404, 403}) {
        ASSERT_TRUE(standin::Reset());
        ASSERT_TRUE(standin::SetScenario("{\"fail_status\":" + std::to_string(status) + ",\"fail_times\":1}"));
        CPackageDownload download(Recorder(), m_cancel);
        download.SetRetryPause(50);
        EXPECT_FALSE(download.Run(PackageUrl(), m_target, std::string())) << status;
        EXPECT_EQ(1, download.GetAttempts()) << status;
        EXPECT_EQ(1u, standin::PackageTransfers().size()) << status;
        EXPECT_EQ(FailureServerRefused, download.GetFailureKind());
    }
    {
        // A service that keeps failing: the first try and three more, with growing pauses, then the end.
        ASSERT_TRUE(standin::Reset());
        ASSERT_TRUE(standin::SetScenario(R"({"fail_status":503,"fail_times":10})"));
        CPackageDownload download(Recorder(), m_cancel);
        download.SetRetryPause(200);
        const DWORD start = GetTickCount();
        EXPECT_FALSE(download.Run(PackageUrl(), m_target, std::string()));
        EXPECT_GE(GetTickCount() - start, 200u + 400u + 800u);
        EXPECT_EQ(4u, standin::PackageTransfers().size());
        EXPECT_EQ(503, download.GetResult().httpStatus);
        EXPECT_EQ(FailureServerRefused, download.GetFailureKind());
        EXPECT_FALSE(standin::FileExists(m_target));
    }
    {
        // Leaving during a pause ends it at once.
        ASSERT_TRUE(standin::Reset());
        ASSERT_TRUE(standin::SetScenario(R"({"fail_status":503,"fail_times":10})"));
        CPackageDownload download(Recorder(), m_cancel);
        download.SetRetryPause(20000);
        std::thread leaver([this]() {
            Sleep(700);
            SetEvent(m_cancel);
        });
        const DWORD start = GetTickCount();
        EXPECT_FALSE(download.Run(PackageUrl(), m_target, std::string()));
        leaver.join();
        EXPECT_LT(GetTickCount() - start, 3000u);
        EXPECT_TRUE(download.WasCancelled());
        EXPECT_EQ(FailureNone, download.GetFailureKind());
        EXPECT_EQ(1u, standin::PackageTransfers().size());
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
    ASSERT_TRUE(standin::PlantHardLink(m_target, victim));

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

// ---- the system's proxy ----------------------------------------------------------------------------------

namespace {

const wchar_t kConnections[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

// A registry value, put back as it was when the test ends.
class SavedValue
{
public:
    SavedValue(HKEY root, const wchar_t* name) : m_root(root), m_name(name)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(m_root, kConnections, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return;
        DWORD size = 0;
        if (RegQueryValueExW(key, m_name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
            m_saved.resize(size);
            m_hadValue = RegQueryValueExW(key, m_name, nullptr, nullptr, m_saved.data(), &size) == ERROR_SUCCESS;
        }
        RegCloseKey(key);
    }
    ~SavedValue()
    {
        if (m_hadValue)
            Write(m_saved);
        else
            RegDeleteKeyValueW(m_root, kConnections, m_name);
    }
    bool Write(const std::vector<BYTE>& data) const
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(m_root, kConnections, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        const bool written = RegSetValueExW(key, m_name, 0, REG_BINARY, data.data(),
                                            static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
        RegCloseKey(key);
        return written;
    }

private:
    HKEY m_root;
    const wchar_t* m_name;
    std::vector<BYTE> m_saved;
    bool m_hadValue = false;
};

// The current user's Internet settings as the control panel stores them: a header (magic 0x46, counter,
// flags: 1 direct, 2 fixed proxy, 4 script, 8 detect), then proxy, bypass list and script address.
class InternetSettings
{
public:
    bool Set(DWORD flags, const std::string& proxy, const std::string& bypass, const std::string& script = "")
    {
        std::vector<BYTE> data;
        auto addDword = [&data](DWORD value) {
            for (int i = 0; i < 4; ++i)
                data.push_back(static_cast<BYTE>(value >> (8 * i)));
        };
        auto addText = [&](const std::string& text) {
            addDword(static_cast<DWORD>(text.size()));
            data.insert(data.end(), text.begin(), text.end());
        };
        addDword(0x46);
        addDword(++m_counter);
        addDword(flags);
        addText(proxy);
        addText(bypass);
        addText(script);
        data.resize(data.size() + 32, 0);
        return m_value.Write(data);
    }

private:
    SavedValue m_value{HKEY_CURRENT_USER, L"DefaultConnectionSettings"};
    DWORD m_counter = 100;
};

bool Carried(const std::vector<std::string>& carried, const std::string& prefix)
{
    for (const std::string& item : carried)
        if (item.compare(0, prefix.size(), prefix) == 0)
            return true;
    return false;
}

} // namespace

TEST(ProxyRules, BypassListAndProxyListsAreReadAsWindowsAndScriptsWriteThem)
{
    EXPECT_TRUE(CSystemProxy::Bypassed(L"intranet", L"<local>"));
    EXPECT_FALSE(CSystemProxy::Bypassed(L"dl.tarvix.com", L"<local>"));
    EXPECT_TRUE(CSystemProxy::Bypassed(L"DL.Tarvix.com", L"*.tarvix.com;10.*"));
    EXPECT_TRUE(CSystemProxy::Bypassed(L"10.1.2.3", L"*.tarvix.com; 10.*"));
    EXPECT_FALSE(CSystemProxy::Bypassed(L"tarvix.com.evil.net", L"*.tarvix.com"));
    using List = std::vector<std::string>;
    const struct
    {
        const wchar_t* list;
        const wchar_t* scheme;
        List proxies;
    } rows[] = {
        {L"p:8080", L"https", {"http://p:8080"}},
        {L"http=h:80;https=s:3128", L"https", {"http://s:3128"}},
        {L"http=h:80;https=s:3128", L"HTTP", {"http://h:80"}},
        {L"ftp=f:21;socks=k:1080", L"https", {"socks4://k:1080"}},
        {L"https=https://s:443", L"https", {"https://s:443"}},
        {L"PROXY a:1; DIRECT", L"https", {"http://a:1", ""}},
        {L"PROXY 127.0.0.1:9;HTTPS h:443; SOCKS s:1080; SOCKS5 t:1081; DIRECT", L"https",
         {"http://127.0.0.1:9", "https://h:443", "socks4://s:1080", "socks5://t:1081", ""}},
        {L"direct;  proxy  a:1 ;SOCKS4 [::1]:2", L"http", {"", "http://a:1", "socks4://[::1]:2"}},
        {L"DIRECT", L"https", {""}},
        {L"PROXY a:1/x; PROXY u@b:2; PROXY; QUIC q:3", L"https", {}},
        {L"ftp://f:21", L"https", {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.proxies, CSystemProxy::ParseProxyList(row.list, row.scheme)) << WideToUtf8String(row.list);
}

TEST_F(Transfers, EveryTransferTakesTheSystemProxyUnlessBypassedOrNoneIsSet)
{
    InternetSettings settings;
    const std::string proxy = standin::ProxyAddress();
    auto allFour = [this]() {
        CDownloadUrlLookup::LookupDownloadUrl("CORVEX");
        CUsageReporter::ReportUsage("CORVEX", []() { return 0; });
        CPackageDownload download(Recorder(), m_cancel);
        const bool ok = download.Run(PackageUrl(), m_target, std::string());
        download.ReleaseFile();
        return ok;
    };
    const std::string https = "CONNECT " + standin::HttpsBase().substr(8);
    const std::string ipLookup = "GET " + standin::HttpBase() + "/ipJson.jsp";

    ASSERT_TRUE(settings.Set(3, proxy, "<local>"));
    ASSERT_TRUE(standin::Reset());
    EXPECT_EQ(std::vector<std::string>{"http://" + proxy}, CSystemProxy::ProxiesFor(WideToUtf8String(PackageUrl())));
    ASSERT_TRUE(allFour());
    std::vector<std::string> carried = standin::Proxied();
    // Lookup, report post and download tunnel to the HTTPS port; the IP lookup is asked of the proxy.
    int tunnels = 0;
    for (const std::string& item : carried)
        tunnels += item == https ? 1 : 0;
    EXPECT_GE(tunnels, 3);
    EXPECT_TRUE(Carried(carried, ipLookup));
    EXPECT_EQ(1u, standin::Events().size());
    EXPECT_NE(std::wstring::npos,
              standin::ReadUtf8File(CInstallLog::GetLogPath()).find(L": http://" + Utf8ToWideString(proxy)));

    ASSERT_TRUE(settings.Set(3, proxy, "127.0.0.*"));
    ASSERT_TRUE(standin::Reset());
    ASSERT_TRUE(allFour());
    carried = standin::Proxied();
    EXPECT_FALSE(Carried(carried, https)) << "the bypass entry must skip the proxy";
    EXPECT_FALSE(Carried(carried, ipLookup));

    ASSERT_TRUE(settings.Set(1, std::string(), std::string()));
    ASSERT_TRUE(standin::Reset());
    EXPECT_EQ(std::vector<std::string>{""}, CSystemProxy::ProxiesFor(WideToUtf8String(PackageUrl())));
    ASSERT_TRUE(allFour());
    EXPECT_TRUE(standin::Proxied().empty()) << "no proxy set: none is used";
}

TEST_F(Transfers, ProxyScriptEntriesAreTriedInOrderAndTheMachineProxyStandsInForNone)
{
    InternetSettings settings;
    SavedValue machine(HKEY_LOCAL_MACHINE, L"WinHttpSettings");
    const std::string script = standin::HttpBase() + "/proxy.pac?case=";
    const std::string socks = standin::SocksAddress();
    const std::string http = standin::ProxyAddress();
    const std::string tunnel = "CONNECT " + standin::HttpsBase().substr(8);
    const std::string lookupUrl = CDownloadUrlLookup::LookupUrl("CORVEX");
    std::string body;
    auto lookup = [&]() { return CHttpTransfer::FetchToString(lookupUrl, body, CHttpTransfer::LookupLimits()); };

    // A proxy that is down comes first, as in corporate scripts: the next entry that answers carries the transfer.
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"PROXY 127.0.0.1:9; SOCKS5 " + socks + "; DIRECT", "SOCKS5 " + tunnel},
        {"SOCKS 127.0.0.1:9; SOCKS " + socks, "SOCKS4 " + tunnel},
        {"HTTPS 127.0.0.1:9; PROXY " + http, tunnel},
    };
    for (size_t i = 0; i < rows.size(); ++i) {
        ASSERT_TRUE(standin::Reset());
        ASSERT_TRUE(standin::SetScenario(R"({"pac":")" + rows[i].first + R"("})"));
        ASSERT_TRUE(settings.Set(4, "", "", script + std::to_string(i)));
        const TransferResult result = lookup();
        EXPECT_TRUE(result.Succeeded()) << rows[i].first << ": " << WideToUtf8String(result.Describe());
        EXPECT_TRUE(Carried(standin::Proxied(), rows[i].second)) << rows[i].first;
    }

    // A script that cannot be downloaded is asked for once in the run; meanwhile the transfers go direct.
    ASSERT_TRUE(standin::Reset());
    ASSERT_TRUE(standin::SetScenario(R"({"pac_serve":"404"})"));
    ASSERT_TRUE(settings.Set(4, "", "", script + "gone"));
    EXPECT_TRUE(lookup().Succeeded());
    EXPECT_TRUE(CHttpTransfer::FetchToString(CUsageReporter::IpLookupUrl(), body, CHttpTransfer::LookupLimits())
                    .Succeeded());
    EXPECT_EQ(1, standin::RequestCount("/proxy.pac"));
    EXPECT_FALSE(Carried(standin::Proxied(), tunnel));

    // No proxy in the user's settings: the machine-wide one (netsh winhttp set proxy) is used.
    ASSERT_TRUE(settings.Set(1, "", ""));
    ASSERT_TRUE(standin::Reset());
    std::wstring machineProxy = Utf8ToWideString(http);
    WINHTTP_PROXY_INFO info = {WINHTTP_ACCESS_TYPE_NAMED_PROXY, &machineProxy[0], nullptr};
    ASSERT_TRUE(WinHttpSetDefaultProxyConfiguration(&info));
    EXPECT_EQ(std::vector<std::string>{"http://" + http}, CSystemProxy::ProxiesFor(lookupUrl));
    EXPECT_TRUE(lookup().Succeeded());
    EXPECT_TRUE(Carried(standin::Proxied(), tunnel));

    // A script address that never answers holds up the first transfer for a bounded time, the next not at all.
    ASSERT_TRUE(standin::SetScenario(R"({"pac_serve":"silent"})"));
    ASSERT_TRUE(settings.Set(4, "", "", script + "silent"));
    DWORD start = GetTickCount();
    EXPECT_EQ(std::vector<std::string>{"http://" + http}, CSystemProxy::ProxiesFor(lookupUrl));
    EXPECT_LT(GetTickCount() - start, CProxyScript::kWaitMs + 1000);
    start = GetTickCount();
    CSystemProxy::ProxiesFor("https://another.example/");
    EXPECT_LT(GetTickCount() - start, 500u);
    standin::Reset();
}
