#include "installer/install/DownloadUrlLookup.h"

#include "installer/net/HttpTransfer.h"
#include "installer/net/InstallLog.h"
#include "installer/net/JsonReply.h"
#include "installer/net/RetryPolicy.h"
#include "installer/net/ServiceHosts.h"
#include "installer/net/SystemProxy.h"
#include "installer/net/TextConvert.h"

#include <json/json.h>

#include <cwctype>
#include <memory>

namespace {

const DWORD kLookupRetryPauseMs = 300;

std::wstring LowerAscii(std::wstring text)
{
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

bool IsSchemeChar(wchar_t c, bool first)
{
    const bool letter = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
    if (first)
        return letter;
    return letter || (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.';
}

// The text before the first ':' when it has the form of a URI scheme, else "".
std::wstring SchemeOf(const std::wstring& url)
{
    const size_t colon = url.find(L':');
    if (colon == std::wstring::npos || colon == 0)
        return std::wstring();
    for (size_t i = 0; i < colon; ++i)
        if (!IsSchemeChar(url[i], i == 0))
            return std::wstring();
    return url.substr(0, colon);
}

std::wstring Limit(std::wstring text)
{
    if (text.size() > 519)
        text.resize(519);
    return text;
}

// One address member of "data": the service's when acceptable, else the built-in one.
std::wstring AddressFrom(const Json::Value& data, const char* name, const std::wstring& fallback)
{
    const Json::Value& member = data[name];
    if (!member.isString()) {
        CInstallLog::Write(L"address reply: \"%ls\" missing or not a string, built-in address used",
                           Utf8ToWideString(name).c_str());
        return fallback;
    }
    wchar_t converted[520];
    Utf8ToWide(converted, member.asString().c_str(), 520);
    const std::wstring url = CDownloadUrlLookup::NormaliseServiceUrl(converted);
    if (url.empty()) {
        CInstallLog::Write(L"address reply: \"%ls\" is not an http(s) address, built-in address used",
                           Utf8ToWideString(name).c_str());
        return fallback;
    }
    return url;
}

} // namespace

std::string CDownloadUrlLookup::LookupUrl(const std::string& softType)
{
    return "https://" + WideToUtf8String(CServiceHosts::GetSiteHost()) + "/tarvix/getDownUrl?softType=" + softType;
}

std::wstring CDownloadUrlLookup::FallbackOnlineUrl()
{
    return L"https://" + CServiceHosts::GetDownloadHost() + L"/down/down?path=CORVEX_Online.exe";
}

std::wstring CDownloadUrlLookup::FallbackOfflineUrl()
{
    return L"https://" + CServiceHosts::GetDownloadHost() + L"/down/down?path=CORVEX_Offline.exe";
}

std::wstring CDownloadUrlLookup::NormaliseServiceUrl(const std::wstring& url)
{
    if (url.empty())
        return std::wstring();
    for (wchar_t c : url)
        if (c < 0x21 || c == 0x7F)
            return std::wstring(); // spaces and control characters: never a usable address
    if (url[0] == L'\\' || url[0] == L'/')
        return std::wstring(); // a local or network path
    const std::wstring scheme = LowerAscii(SchemeOf(url));
    const size_t colon = scheme.size();
    if (url.compare(colon, 3, L"://") == 0 && !scheme.empty()) {
        if ((scheme != L"http" && scheme != L"https") || url.size() == colon + 3)
            return std::wstring();
        return Limit(url);
    }
    // "host:port/..." has no scheme; "C:\\...", "file:..." or "mailto:..." name something else.
    if (!scheme.empty()) {
        const bool portFollows = colon + 1 < url.size() && url[colon + 1] >= L'0' && url[colon + 1] <= L'9';
        if (!portFollows || scheme.size() == 1)
            return std::wstring();
    }
    return Limit(L"https://" + url);
}

bool CDownloadUrlLookup::ParseReply(const std::string& body, DownloadAddresses& out)
{
    out.onlineUrl = FallbackOnlineUrl();
    out.offlineUrl = FallbackOfflineUrl();
    out.sha256.clear();
    try {
        Json::Value reply;
        if (!CJsonReply::Parse(body, reply) || !reply.isObject() || reply["state"].asInt() != 0)
            return false;
        const Json::Value& data = reply["data"];
        if (data.isNull())
            return false;
        std::string text;
        if (data.isString()) {
            text = data.asString();
        } else {
            Json::StreamWriterBuilder writer;
            writer["indentation"] = "";
            text = Json::writeString(writer, data);
        }
        Json::Value addresses;
        if (text.empty() || !CJsonReply::Parse(text, addresses) || !addresses.isObject())
            return false;
        out.onlineUrl = AddressFrom(addresses, "onlineUrl", FallbackOnlineUrl());
        out.offlineUrl = AddressFrom(addresses, "offlineUrl", FallbackOfflineUrl());
        if (addresses.isMember("sha256"))
            // A digest that is present but unusable must not silently turn the check off: it then matches nothing.
            out.sha256 = addresses["sha256"].isString() ? addresses["sha256"].asString() : std::string("-");
        return true;
    } catch (const std::exception&) {
        out.onlineUrl = FallbackOnlineUrl();
        out.offlineUrl = FallbackOfflineUrl();
        out.sha256.clear();
        return false;
    }
}

void CDownloadUrlLookup::PrepareLookup(const std::string& softType)
{
    CSystemProxy::Prefetch(LookupUrl(softType));
}

DownloadAddresses CDownloadUrlLookup::LookupDownloadUrl(const std::string& softType)
{
    const std::string url = LookupUrl(softType);
    std::string body;
    TransferResult transfer = CHttpTransfer::FetchToString(url, body, CHttpTransfer::LookupLimits());
    // One quick second try for a blip (reset, refused, a 5xx): the window waits for the lookup, so a time-out,
    // which has used up the lookup's whole limit already, is not tried again.
    const bool blip = transfer.Succeeded() ? transfer.httpStatus >= 500
                                           : transfer.code != 28 && CRetryPolicy::IsTransient(transfer.code, 0);
    if (blip) {
        CInstallLog::Write(L"address lookup: %ls, trying once more", transfer.Describe().c_str());
        Sleep(kLookupRetryPauseMs);
        transfer = CHttpTransfer::FetchToString(url, body, CHttpTransfer::LookupLimits());
    }
    DownloadAddresses addresses;
    const bool fromService = transfer.Succeeded() && ParseReply(body, addresses);
    if (!fromService) {
        ParseReply(std::string(), addresses); // the built-in addresses
        addresses.sha256.clear();
    }
    CInstallLog::Write(L"address lookup %ls: %ls; %ls", Utf8ToWideString(url).c_str(), transfer.Describe().c_str(),
                       fromService ? L"reply used" : L"built-in addresses used");
    CInstallLog::Write(L"online installer: %ls", addresses.onlineUrl.c_str());
    CInstallLog::Write(L"offline package: %ls", addresses.offlineUrl.c_str());
    if (!addresses.sha256.empty())
        CInstallLog::Write(L"published SHA-256: %ls", Utf8ToWideString(addresses.sha256).c_str());
    return addresses;
}
