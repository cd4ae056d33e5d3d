#include "installer/net/SystemProxy.h"

#include "installer/net/GlobalText.h"
#include "installer/net/ProxyScript.h"
#include "installer/net/TextConvert.h"

#include <windows.h>
#include <shlwapi.h>
#include <winhttp.h>

#include <cwctype>
#include <mutex>
#include <set>

namespace {

std::mutex g_unreachableLock;
std::set<std::string> g_unreachable;

std::vector<std::wstring> Split(const std::wstring& text, const wchar_t* separators)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find_first_of(separators, start);
        std::wstring part = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        const size_t first = part.find_first_not_of(L" \t");
        if (first != std::wstring::npos)
            parts.push_back(part.substr(first, part.find_last_not_of(L" \t") - first + 1));
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }
    return parts;
}

std::wstring LowerCase(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(towlower(c));
    return text;
}

struct UrlParts
{
    std::wstring scheme;
    std::wstring host;
};

UrlParts PartsOf(const std::wstring& url)
{
    UrlParts parts;
    size_t hostStart = 0;
    const size_t marker = url.find(L"://");
    if (marker != std::wstring::npos) {
        parts.scheme = LowerCase(url.substr(0, marker));
        hostStart = marker + 3;
    } else {
        parts.scheme = L"https"; // the transfers' default scheme
    }
    const size_t hostEnd = url.find_first_of(L":/?#", hostStart);
    parts.host = url.substr(hostStart, hostEnd == std::wstring::npos ? std::wstring::npos : hostEnd - hostStart);
    return parts;
}

// What a configuration script is asked about: the scheme and host, never the path and query of the address.
std::wstring ScriptAddress(const UrlParts& parts)
{
    return parts.scheme + L"://" + parts.host + L"/";
}

// A list entry names a host and port, nothing else: no scheme, no user, no path smuggled into libcurl's text.
bool IsHostAndPort(const std::wstring& text)
{
    return !text.empty() && text.find_first_not_of(L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                   L"0123456789.-_:[]") == std::wstring::npos;
}

std::string WithScheme(const char* scheme, const std::wstring& hostAndPort)
{
    return std::string(scheme) + WideToUtf8String(hostAndPort);
}

// "PROXY h:p; SOCKS5 h:p; DIRECT": every entry, in order.
std::vector<std::string> ParseScriptAnswer(const std::vector<std::wstring>& entries)
{
    std::vector<std::string> proxies;
    for (const std::wstring& entry : entries) {
        const std::vector<std::wstring> words = Split(entry, L" \t");
        const std::wstring keyword = LowerCase(words[0]);
        if (keyword == L"direct") {
            proxies.push_back(std::string());
            continue;
        }
        if (words.size() < 2 || !IsHostAndPort(words[1]))
            continue;
        if (keyword == L"proxy" || keyword == L"http")
            proxies.push_back(WithScheme("http://", words[1]));
        else if (keyword == L"https")
            proxies.push_back(WithScheme("https://", words[1]));
        else if (keyword == L"socks" || keyword == L"socks4")
            proxies.push_back(WithScheme("socks4://", words[1]));
        else if (keyword == L"socks5")
            proxies.push_back(WithScheme("socks5://", words[1]));
    }
    return proxies;
}

// "h:p" for every scheme, or "http=h:p;https=h2:p2;socks=h3:p3": the scheme's own entry, else the one for
// every scheme, else the SOCKS one.
std::vector<std::string> ParseFixedList(const std::vector<std::wstring>& entries, const std::wstring& scheme)
{
    std::wstring own, every, socks;
    for (const std::wstring& entry : entries) {
        const size_t equals = entry.find(L'=');
        if (equals == std::wstring::npos) {
            if (every.empty())
                every = entry;
            continue;
        }
        const std::wstring name = LowerCase(entry.substr(0, equals));
        if (name == scheme && own.empty())
            own = entry.substr(equals + 1);
        else if (name == L"socks" && socks.empty())
            socks = entry.substr(equals + 1);
    }
    std::wstring chosen = !own.empty() ? own : every;
    const char* prefix = "http://";
    const size_t marker = chosen.find(L"://");
    if (marker != std::wstring::npos) {
        // Written with a scheme ("http://h:p"): only the schemes a proxy can have are taken.
        const std::wstring given = LowerCase(chosen.substr(0, marker));
        prefix = given == L"http" ? "http://" : given == L"https" ? "https://" : nullptr;
        chosen = chosen.substr(marker + 3);
    }
    if (chosen.empty() && !socks.empty()) {
        chosen = socks;
        prefix = "socks4://";
    }
    if (prefix == nullptr || !IsHostAndPort(chosen))
        return std::vector<std::string>();
    return std::vector<std::string>(1, WithScheme(prefix, chosen));
}

} // namespace

bool CSystemProxy::Bypassed(const std::wstring& host, const std::wstring& bypassList)
{
    for (const std::wstring& entry : Split(bypassList, L"; ,")) {
        if (_wcsicmp(entry.c_str(), L"<local>") == 0) {
            if (host.find(L'.') == std::wstring::npos) // a plain machine name
                return true;
            continue;
        }
        std::wstring pattern = entry;
        const size_t scheme = pattern.find(L"://");
        if (scheme != std::wstring::npos)
            pattern = pattern.substr(scheme + 3);
        // Windows' own wildcard matching, case-insensitive ("*" and "?").
        if (PathMatchSpecW(host.c_str(), pattern.c_str()))
            return true;
    }
    return false;
}

std::vector<std::string> CSystemProxy::ParseProxyList(const std::wstring& proxyList, const std::wstring& scheme)
{
    const std::vector<std::wstring> entries = Split(proxyList, L";");
    // A script's entries are a keyword and an address; Windows' fixed entries never hold a space.
    for (const std::wstring& entry : entries)
        if (entry.find_first_of(L" \t") != std::wstring::npos || _wcsicmp(entry.c_str(), L"DIRECT") == 0)
            return ParseScriptAnswer(entries);
    return ParseFixedList(entries, LowerCase(scheme));
}

void CSystemProxy::MarkUnreachable(const std::string& proxy)
{
    if (proxy.empty())
        return;
    std::lock_guard<std::mutex> guard(g_unreachableLock);
    g_unreachable.insert(proxy);
}

void CSystemProxy::Prefetch(const std::string& url)
{
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config = {};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&config))
        return;
    CGlobalText script(config.lpszAutoConfigUrl);
    CGlobalText fixedProxy(config.lpszProxy);
    CGlobalText fixedBypass(config.lpszProxyBypass);
    if (config.lpszAutoConfigUrl != nullptr || config.fAutoDetect)
        CProxyScript::Start(script.Text(), ScriptAddress(PartsOf(Utf8ToWideString(url))));
}

std::vector<std::string> CSystemProxy::ProxiesFor(const std::string& url)
{
    const std::vector<std::string> proxies = Discover(url);
    std::vector<std::string> reachable;
    {
        std::lock_guard<std::mutex> guard(g_unreachableLock);
        for (const std::string& proxy : proxies)
            if (g_unreachable.count(proxy) == 0)
                reachable.push_back(proxy);
    }
    // With every entry found unreachable, they are all tried again rather than none.
    return reachable.empty() ? proxies : reachable;
}

std::vector<std::string> CSystemProxy::Discover(const std::string& url)
{
    const UrlParts parts = PartsOf(Utf8ToWideString(url));
    std::wstring list, bypass;
    bool named = false;
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config = {};
    if (WinHttpGetIEProxyConfigForCurrentUser(&config)) {
        CGlobalText script(config.lpszAutoConfigUrl);
        CGlobalText fixedProxy(config.lpszProxy);
        CGlobalText fixedBypass(config.lpszProxyBypass);
        if (config.lpszAutoConfigUrl != nullptr || config.fAutoDetect)
            named = CProxyScript::AnswerFor(script.Text(), ScriptAddress(parts), list);
        if (!named && !fixedProxy.Text().empty()) {
            list = fixedProxy.Text();
            bypass = fixedBypass.Text();
            named = true;
        }
    }
    WINHTTP_PROXY_INFO machine = {};
    if (!named && WinHttpGetDefaultProxyConfiguration(&machine)) {
        CGlobalText machineProxy(machine.lpszProxy);
        CGlobalText machineBypass(machine.lpszProxyBypass);
        if (machine.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) {
            list = machineProxy.Text();
            bypass = machineBypass.Text();
        }
    }
    std::vector<std::string> proxies;
    if (!list.empty() && !Bypassed(parts.host, bypass))
        proxies = ParseProxyList(list, parts.scheme);
    return proxies.empty() ? std::vector<std::string>(1, std::string()) : proxies;
}
