#include "installer/net/CurlGlobal.h"

#include "installer/net/InstallLog.h"
#include "installer/net/UsageReporter.h"

#include <curl/curl.h>

namespace {

// Report threads end within their own budget; leaving waits for them a little longer than that at most.
const DWORD kExitReportWaitMs = CUsageReporter::kReportBudgetMs + 500;

} // namespace

bool CCurlGlobal::CleanupAtExit(bool workersEnded)
{
    if (!workersEnded) {
        CInstallLog::WriteLine(L"the install thread still runs at exit: libcurl left as it is");
        return false;
    }
    if (!CUsageReporter::WaitForReports(kExitReportWaitMs)) {
        CInstallLog::WriteLine(L"a usage report still runs at exit: libcurl left as it is");
        return false;
    }
    curl_global_cleanup();
    return true;
}
