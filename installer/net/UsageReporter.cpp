#include "installer/net/UsageReporter.h"

#include "installer/net/HttpTransfer.h"
#include "installer/net/InstallLog.h"
#include "installer/net/JsonReply.h"
#include "installer/net/ServiceHosts.h"
#include "installer/net/TextConvert.h"

#include <json/json.h>

#include <windows.h>
#include <process.h>

#include <memory>
#include <mutex>
#include <vector>

const char* const CUsageReporter::kFallbackIp = "192.168.2.1";

namespace {

struct ReportJob
{
    std::string softType;
    CUsageReporter::StateReader readState;
};

unsigned __stdcall UsageReportThreadProc(void* param)
{
    std::unique_ptr<ReportJob> job(static_cast<ReportJob*>(param));
    if (job)
        CUsageReporter::ReportUsage(job->softType, job->readState);
    return 0;
}

// Report threads still known to the process, so that leaving can wait for them (bounded) before libcurl's
// process-wide state goes away. Never destroyed: a thread may still be registered when the runtime ends.
struct ReportThreads
{
    std::mutex lock;
    std::vector<HANDLE> handles;
};

ReportThreads& RunningReports()
{
    static ReportThreads* threads = new ReportThreads();
    return *threads;
}

TransferLimits Within(DWORD budgetMs, DWORD connectMs)
{
    TransferLimits limits;
    limits.totalTimeoutMs = static_cast<long>(budgetMs);
    limits.connectTimeoutMs = static_cast<long>(connectMs < budgetMs ? connectMs : budgetMs);
    return limits;
}

// An address is digits, hex digits, dots and colons (IPv4 or IPv6); anything else is not sent.
bool LooksLikeAddress(const std::string& text)
{
    if (text.empty() || text.size() > 45)
        return false;
    for (char c : text) {
        const bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == '.' ||
                        c == ':';
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

const char* CUsageReporter::OperateTypeFor(int state)
{
    switch (state) {
    case 0: return "INSTALL_START";
    case 1: return "INSTALL_USERABORT";
    case 2: return "INSTALL_DOWNLOADFAIL";
    case 3: return "INSTALL_DOWNLOADSUC";
    default: return "INSTALL";
    }
}

bool CUsageReporter::ExtractIpText(const std::string& reply, std::string& ip)
{
    Json::Value root;
    if (!CJsonReply::ParseObject(reply, root)) {
        // Some services wrap the object (a callback name, a trailing comment): try the outermost braces.
        const size_t open = reply.find('{');
        const size_t close = reply.rfind('}');
        if (open == std::string::npos || close == std::string::npos || close < open ||
            !CJsonReply::ParseObject(reply.substr(open, close - open + 1), root))
            return false;
    }
    const Json::Value& member = root["ip"];
    if (!member.isString() || !LooksLikeAddress(member.asString()))
        return false;
    ip = member.asString();
    return true;
}

std::string CUsageReporter::BuildUsageBody(const std::string& softType, int state, const std::string& ip)
{
    // Written member by member (the vendor's service expects this order), each value escaped as JSON.
    std::string body = "{\"softType\":";
    body += Json::valueToQuotedString(softType.c_str());
    body += ",\"operateType\":";
    body += Json::valueToQuotedString(OperateTypeFor(state));
    body += ",\"ip\":";
    body += Json::valueToQuotedString(ip.c_str());
    body += "}";
    return body;
}

std::string CUsageReporter::IpLookupUrl()
{
    return "http://" + WideToUtf8String(CServiceHosts::GetIpLookupHost()) + "/ipJson.jsp?json=true";
}

std::string CUsageReporter::EventUrl()
{
    return "https://" + WideToUtf8String(CServiceHosts::GetWebHost()) + "/client/userOperating";
}

void CUsageReporter::ReportUsage(const std::string& softType, const StateReader& readState)
{
    // The whole report keeps within its budget, so that leaving (which waits for it) stays short: the address
    // is only a detail of the event, the event gets the larger and guaranteed part.
    const DWORD started = GetTickCount();
    std::string reply;
    const TransferResult lookup =
        CHttpTransfer::FetchToString(IpLookupUrl(), reply, Within(kIpLookupBudgetMs, kIpLookupBudgetMs));
    std::string ip = kFallbackIp;
    if (!lookup.Succeeded() || !ExtractIpText(reply, ip)) {
        ip = kFallbackIp;
        CInstallLog::Write(L"IP lookup gave no address (%ls); using the fallback", lookup.Describe().c_str());
    }
    const int state = readState ? readState() : 0;
    const std::string body = BuildUsageBody(softType, state, ip);
    const DWORD spent = GetTickCount() - started;
    DWORD left = spent < kReportBudgetMs ? kReportBudgetMs - spent : 0;
    if (left < kReportBudgetMs - kIpLookupBudgetMs)
        left = kReportBudgetMs - kIpLookupBudgetMs;
    const TransferResult post = CHttpTransfer::PostJson(EventUrl(), body, Within(left, left));
    CInstallLog::Write(L"usage report %ls sent: %ls", Utf8ToWideString(OperateTypeFor(state)).c_str(),
                       post.Describe().c_str());
}

bool CUsageReporter::StartUsageReport(const std::string& softType, StateReader readState)
{
    ReportJob* job = new ReportJob{softType, std::move(readState)};
    ReportThreads& running = RunningReports();
    std::lock_guard<std::mutex> guard(running.lock);
    const uintptr_t thread = _beginthreadex(nullptr, 0, UsageReportThreadProc, job, 0, nullptr);
    if (thread == 0) {
        delete job;
        return false;
    }
    running.handles.push_back(reinterpret_cast<HANDLE>(thread));
    return true;
}

bool CUsageReporter::WaitForReports(DWORD timeoutMs)
{
    const DWORD started = GetTickCount();
    ReportThreads& running = RunningReports();
    std::lock_guard<std::mutex> guard(running.lock);
    std::vector<HANDLE> still;
    for (HANDLE thread : running.handles) {
        const DWORD spent = GetTickCount() - started;
        const DWORD wait = spent < timeoutMs ? timeoutMs - spent : 0;
        if (WaitForSingleObject(thread, wait) == WAIT_OBJECT_0)
            CloseHandle(thread);
        else
            still.push_back(thread);
    }
    running.handles.swap(still);
    return running.handles.empty();
}
