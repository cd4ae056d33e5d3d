#include "installer/net/SystemProxy.h"

#include "installer/net/TextConvert.h"
#include "installer/net/WinHandle.h"

#include <windows.h>
#include <shlwapi.h>
#include <winhttp.h>

#include <atomic>
#include <cwctype>
#include <future>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Automatic detection that found no script is not tried again by this process: each try may wait on the
// network, and the answer will not change while the installer runs.
std::atomic<bool> g_detectionFailed{false};

// The one prefetched answer, for the address it was asked for; taken by the first ProxyFor of that address
// (a configuration script may answer differently per path, so nothing less than the address matches).
struct PrefetchedProxy
{
    std::mutex lock;
    std::string url;
    std::shared_future<std::string> answer;
};

PrefetchedProxy& Prefetched()
{
    static PrefetchedProxy prefetched;
    return prefetched;
}

// WinHTTP's configuration strings are the caller's to free.
class CGlobalText
{
public:
    explicit CGlobalText(LPWSTR text) : m_pText(text) {}
    ~CGlobalText()
    {
        if (m_pText != nullptr)
            GlobalFree(m_pText);
    }
    CGlobalText(const CGlobalText&) = delete;
    CGlobalText& operator=(const CGlobalText&) = delete;
    std::wstring Text() const { return m_pText != nullptr ? m_pText : L""; }

private:
    LPWSTR m_pText;
};

class CWinHttpSession
{
public:
    CWinHttpSession()
        : m_hSession(WinHttpOpen(L"Pavonel", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                 WINHTTP_NO_PROXY_BYPASS, 0))
    {
    }
    ~CWinHttpSession()
    {
        if (m_hSession != nullptr)
            WinHttpCloseHandle(m_hSession);
    }
    CWinHttpSession(const CWinHttpSession&) = delete;
    CWinHttpSession& operator=(const CWinHttpSession&) = delete;
    HINTERNET Get() const { return m_hSession; }

private:
    HINTERNET m_hSession;
};

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
        parts.scheme = url.substr(0, marker);
        hostStart = marker + 3;
    } else {
        parts.scheme = L"https"; // the transfers' default scheme
    }
    const size_t hostEnd = url.find_first_of(L":/?#", hostStart);
    parts.host = url.substr(hostStart, hostEnd == std::wstring::npos ? std::wstring::npos : hostEnd - hostStart);
    for (wchar_t& c : parts.scheme)
        c = static_cast<wchar_t>(towlower(c));
    return parts;
}

std::string AsCurlProxy(const std::wstring& proxy)
{
    if (proxy.empty())
        return std::string();
    const std::string text = WideToUtf8String(proxy);
    return text.find("://") == std::string::npos ? "http://" + text : text;
}

// Automatic detection or a configuration script, resolved by WinHTTP for this address. False when WinHTTP
// could not tell (no script found): the caller then uses the fixed settings.
bool ResolveAutomatically(const std::wstring& url, const WINHTTP_CURRENT_USER_IE_PROXY_CONFIG& config,
                          std::wstring& proxy, std::wstring& bypass)
{
    CWinHttpSession session;
    if (session.Get() == nullptr)
        return false;
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    if (config.lpszAutoConfigUrl != nullptr) {
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = config.lpszAutoConfigUrl;
    } else {
        options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info = {};
    if (!WinHttpGetProxyForUrl(session.Get(), url.c_str(), &options, &info))
        return false;
    CGlobalText proxyText(info.lpszProxy);
    CGlobalText bypassText(info.lpszProxyBypass);
    proxy = info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY ? proxyText.Text() : std::wstring();
    bypass = bypassText.Text();
    return true;
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

std::wstring CSystemProxy::PickProxy(const std::wstring& proxyList, const std::wstring& scheme)
{
    std::wstring fallback;
    for (std::wstring entry : Split(proxyList, L";")) {
        if (_wcsicmp(entry.c_str(), L"DIRECT") == 0)
            return fallback;
        if (_wcsnicmp(entry.c_str(), L"PROXY ", 6) == 0)
            entry = Split(entry.substr(6), L" ")[0];
        const size_t equals = entry.find(L'=');
        if (equals == std::wstring::npos) {
            if (fallback.empty())
                fallback = entry; // one proxy for every scheme
            continue;
        }
        if (_wcsicmp(entry.substr(0, equals).c_str(), scheme.c_str()) == 0)
            return entry.substr(equals + 1);
    }
    return fallback;
}

void CSystemProxy::Prefetch(const std::string& url)
{
    auto promise = std::make_shared<std::promise<std::string>>();
    PrefetchedProxy& prefetched = Prefetched();
    std::lock_guard<std::mutex> guard(prefetched.lock);
    try {
        std::thread([promise, url] {
            try {
                promise->set_value(Discover(url));
            } catch (...) {
                promise->set_exception(std::current_exception());
            }
        }).detach();
    } catch (const std::system_error&) {
        return;
    }
    prefetched.url = url;
    prefetched.answer = promise->get_future().share();
}

std::string CSystemProxy::ProxyFor(const std::string& url)
{
    std::shared_future<std::string> answer;
    {
        PrefetchedProxy& prefetched = Prefetched();
        std::lock_guard<std::mutex> guard(prefetched.lock);
        if (prefetched.answer.valid() && prefetched.url == url) {
            answer = prefetched.answer;
            prefetched.answer = std::shared_future<std::string>();
            prefetched.url.clear();
        }
    }
    if (answer.valid()) {
        try {
            return answer.get();
        } catch (...) {
            // The worker could not tell: ask again here.
        }
    }
    return Discover(url);
}

std::string CSystemProxy::Discover(const std::string& url)
{
    const std::wstring wideUrl = Utf8ToWideString(url);
    const UrlParts parts = PartsOf(wideUrl);
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config = {};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&config))
        return std::string();
    CGlobalText autoConfig(config.lpszAutoConfigUrl);
    CGlobalText fixedProxy(config.lpszProxy);
    CGlobalText fixedBypass(config.lpszProxyBypass);

    std::wstring proxy = fixedProxy.Text();
    std::wstring bypass = fixedBypass.Text();
    const bool script = config.lpszAutoConfigUrl != nullptr;
    if (script || (config.fAutoDetect && !g_detectionFailed.load())) {
        // The script sees the scheme and host only, never the path and query of the address.
        std::wstring resolvedProxy, resolvedBypass;
        if (ResolveAutomatically(parts.scheme + L"://" + parts.host + L"/", config, resolvedProxy, resolvedBypass)) {
            proxy = resolvedProxy;
            bypass = resolvedBypass;
        } else if (!script) {
            g_detectionFailed = true;
        }
    }
    if (proxy.empty() || Bypassed(parts.host, bypass))
        return std::string();
    return AsCurlProxy(PickProxy(proxy, parts.scheme));
}
