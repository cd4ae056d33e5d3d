// Usage reports read back from the stand-in service: one body per report, the event kind chosen by the state,
// the public address taken from the IP service or the fallback, and short limits when services are down.
#include "ServiceFixture.h"

#include "installer/install/InstallEngine.h"
#include "installer/net/UsageReporter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Body(const char* operateType, const char* ip)
{
    return std::string("{\"softType\":\"CORVEX\",\"operateType\":\"") + operateType + "\",\"ip\":\"" + ip + "\"}";
}

class Reports : public ::testing::Test
{
protected:
    void SetUp() override
    {
        standin::UseStandInHosts();
        ASSERT_TRUE(standin::Reset()) << "stand-in vendor service not reachable";
    }
    void TearDown() override { standin::Reset(); }

    static void Report(int state)
    {
        CUsageReporter::ReportUsage("CORVEX", [state]() { return state; });
    }
};

} // namespace

TEST_F(Reports, EveryStateSendsItsEventWithThePublicAddress)
{
    for (int state : {0, 1, 2, 3, 4, 9})
        Report(state);
    const std::vector<std::string> expected = {
        Body("INSTALL_START", "203.0.113.7"),       Body("INSTALL_USERABORT", "203.0.113.7"),
        Body("INSTALL_DOWNLOADFAIL", "203.0.113.7"), Body("INSTALL_DOWNLOADSUC", "203.0.113.7"),
        Body("INSTALL", "203.0.113.7"),              Body("INSTALL", "203.0.113.7"),
    };
    EXPECT_EQ(expected, standin::Events());
}

TEST_F(Reports, AddressAsLastMemberStillGivesOneObject)
{
    ASSERT_TRUE(standin::SetScenario(R"({"ip":"last"})"));
    Report(0);
    EXPECT_EQ(std::vector<std::string>{Body("INSTALL_START", "203.0.113.7")}, standin::Events());
}

TEST_F(Reports, WithoutAnAddressTheFallbackIsSent)
{
    for (const char* mode : {"down", "noip"}) {
        ASSERT_TRUE(standin::Reset());
        ASSERT_TRUE(standin::SetScenario(std::string("{\"ip\":\"") + mode + "\"}"));
        Report(2);
        EXPECT_EQ(std::vector<std::string>{Body("INSTALL_DOWNLOADFAIL", "192.168.2.1")}, standin::Events()) << mode;
    }
}

TEST_F(Reports, SilentServicesHoldAReportForNoLongerThanItsBudget)
{
    // Leaving waits for the abort report: both requests together stay within the report's budget.
    for (const char* scenario : {R"({"ip":"silent","events":"silent"})", R"({"ip":"ok","events":"silent"})"}) {
        ASSERT_TRUE(standin::SetScenario(scenario));
        const DWORD start = GetTickCount();
        Report(1);
        const DWORD took = GetTickCount() - start;
        printf("report with %s took %lu ms\n", scenario, took);
        EXPECT_LT(took, CUsageReporter::kReportBudgetMs + 400) << scenario;
        EXPECT_TRUE(standin::Events().empty());
    }
}

TEST_F(Reports, ExitWaitsForAReportInItsRequestButOnlyWithinItsBudget)
{
    ASSERT_TRUE(standin::SetScenario(R"({"events":"silent"})"));
    ASSERT_TRUE(CUsageReporter::StartUsageReport("CORVEX", []() { return 1; }));
    for (int i = 0; i < 50 && standin::RequestCount("/client/userOperating") == 0; ++i)
        Sleep(50);
    ASSERT_EQ(1, standin::RequestCount("/client/userOperating")) << "the report never reached its request";
    // Still inside libcurl: the process must not clean libcurl up yet.
    EXPECT_FALSE(CUsageReporter::WaitForReports(100));
    const DWORD start = GetTickCount();
    EXPECT_TRUE(CUsageReporter::WaitForReports(CUsageReporter::kReportBudgetMs + 1000));
    EXPECT_LT(GetTickCount() - start, CUsageReporter::kReportBudgetMs);
    EXPECT_TRUE(CUsageReporter::WaitForReports(0)); // nothing left to wait for
}

TEST_F(Reports, EngineReportsTheStateItHoldsWhenTheBodyIsBuilt)
{
    CInstallEngine engine(nullptr);
    engine.SetInstallState(UserAbort);
    engine.ReportUsage(); // synchronous, as at a confirmed exit
    EXPECT_EQ(std::vector<std::string>{Body("INSTALL_USERABORT", "203.0.113.7")}, standin::Events());

    engine.SetInstallState(Start);
    ASSERT_TRUE(engine.StartUsageReport()); // on its own thread, as at window start
    const std::vector<std::string> events = standin::WaitForEvents(2, 10000);
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(Body("INSTALL_START", "203.0.113.7"), events[1]);
}
