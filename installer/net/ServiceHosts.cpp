#include "installer/net/ServiceHosts.h"

#include <mutex>

#ifndef PAVONEL_SITE_HOST
#define PAVONEL_SITE_HOST L"www.tarvix.com"
#endif
#ifndef PAVONEL_WEB_HOST
#define PAVONEL_WEB_HOST L"web.tarvix.com"
#endif
#ifndef PAVONEL_DOWNLOAD_HOST
#define PAVONEL_DOWNLOAD_HOST L"download.tarvix.com"
#endif
#ifndef PAVONEL_IPLOOKUP_HOST
#define PAVONEL_IPLOOKUP_HOST L"ip.tarvix.com"
#endif

namespace {

struct HostTable
{
    std::mutex lock;
    std::wstring site = PAVONEL_SITE_HOST;
    std::wstring web = PAVONEL_WEB_HOST;
    std::wstring download = PAVONEL_DOWNLOAD_HOST;
    std::wstring ipLookup = PAVONEL_IPLOOKUP_HOST;
};

HostTable& Table()
{
    static HostTable table;
    return table;
}

std::wstring Read(std::wstring HostTable::*member)
{
    HostTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    return table.*member;
}

void Replace(std::wstring& slot, const std::wstring& value)
{
    if (!value.empty())
        slot = value;
}

} // namespace

std::wstring CServiceHosts::GetSiteHost() { return Read(&HostTable::site); }
std::wstring CServiceHosts::GetWebHost() { return Read(&HostTable::web); }
std::wstring CServiceHosts::GetDownloadHost() { return Read(&HostTable::download); }
std::wstring CServiceHosts::GetIpLookupHost() { return Read(&HostTable::ipLookup); }

void CServiceHosts::OverrideForTesting(const std::wstring& site, const std::wstring& web,
                                       const std::wstring& download, const std::wstring& ipLookup)
{
    HostTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    Replace(table.site, site);
    Replace(table.web, web);
    Replace(table.download, download);
    Replace(table.ipLookup, ipLookup);
}
