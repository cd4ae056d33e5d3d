#pragma once
// The hosts of the maker's services, fixed at build time ("host" or "host:port").
#include <string>

class CServiceHosts
{
public:
    static std::wstring GetSiteHost();      // download-address lookup
    static std::wstring GetWebHost();       // usage events, licence page
    static std::wstring GetDownloadHost();  // built-in package addresses
    static std::wstring GetIpLookupHost();  // public IP lookup (plain HTTP)

    // Points every service at other hosts for the rest of the process; an empty text keeps that host.
    // Only test programs call this: the installer itself always uses the built-in hosts.
    static void OverrideForTesting(const std::wstring& site, const std::wstring& web,
                                   const std::wstring& download, const std::wstring& ipLookup);
};
