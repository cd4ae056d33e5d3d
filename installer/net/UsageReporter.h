#pragma once
// Usage events: one JSON POST per event naming the software type, the event and the public IP address.
#include <functional>
#include <string>

class CUsageReporter
{
public:
    // Reads the install state at the moment the body is built (after the IP lookup).
    using StateReader = std::function<int()>;

    static const char* const kFallbackIp; // "192.168.2.1"

    // "INSTALL_START", "INSTALL_USERABORT", "INSTALL_DOWNLOADFAIL", "INSTALL_DOWNLOADSUC"; "INSTALL" for 4 and
    // for every other value.
    static const char* OperateTypeFor(int state);

    // Takes the "ip" member out of the IP service's JSON reply. False (and `ip` untouched) when the reply holds
    // no usable address text.
    static bool ExtractIpText(const std::string& reply, std::string& ip);

    // The UTF-8 JSON body, e.g. {"softType":"CORVEX","operateType":"INSTALL_START","ip":"192.168.2.1"}.
    static std::string BuildUsageBody(const std::string& softType, int state, const std::string& ip);

    // Asks the IP service, then posts the event; synchronous, bounded by short time-outs.
    static void ReportUsage(const std::string& softType, const StateReader& readState);

    // Runs ReportUsage on a new detached thread. False when no thread could be started.
    static bool StartUsageReport(const std::string& softType, StateReader readState);

    static std::string IpLookupUrl();
    static std::string EventUrl();
};
