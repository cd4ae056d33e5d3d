#pragma once
// Usage events: one JSON POST per event naming the software type, the event and the public IP address.
#include <winsock2.h> // ahead of windows.h for code that also includes libcurl
#include <windows.h>

#include <functional>
#include <string>

class CUsageReporter
{
public:
    // Reads the install state at the moment the body is built (after the IP lookup).
    using StateReader = std::function<int()>;

    static const char* const kFallbackIp; // "192.168.2.1"
    // Longest time one report takes in all (address lookup and event), and the lookup's share of it.
    static constexpr DWORD kReportBudgetMs = 2500;
    static constexpr DWORD kIpLookupBudgetMs = 1000;

    // "INSTALL_START", "INSTALL_USERABORT", "INSTALL_DOWNLOADFAIL", "INSTALL_DOWNLOADSUC"; "INSTALL" for 4 and
    // for every other value.
    static const char* OperateTypeFor(int state);

    // Takes the "ip" member out of the IP service's JSON reply. False (and `ip` untouched) when the reply holds
    // no usable address text.
    static bool ExtractIpText(const std::string& reply, std::string& ip);

    // The UTF-8 JSON body, e.g. {"softType":"CORVEX","operateType":"INSTALL_START","ip":"192.168.2.1"}.
    static std::string BuildUsageBody(const std::string& softType, int state, const std::string& ip);

    // Asks the IP service, then posts the event; synchronous, within kReportBudgetMs.
    static void ReportUsage(const std::string& softType, const StateReader& readState);

    // Runs ReportUsage on a new thread. False when no thread could be started.
    static bool StartUsageReport(const std::string& softType, StateReader readState);
    // Waits up to `timeoutMs` in all for the report threads started so far. True when none runs any more
    // (only then may libcurl's process-wide state be cleaned up).
    static bool WaitForReports(DWORD timeoutMs);

    static std::string IpLookupUrl();
    static std::string EventUrl();
};
