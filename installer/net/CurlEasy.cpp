#include "installer/net/CurlEasy.h"

#include "installer/net/InstallLog.h"
#include "installer/net/SystemProxy.h"
#include "installer/net/TextConvert.h"

#include <atomic>
#include <cstring>

namespace {

std::atomic<CCurlEasy::OptionObserver> g_observer{nullptr};

} // namespace

CCurlEasy::CCurlEasy() : m_pCurl(curl_easy_init())
{
    SetLong(CURLOPT_QUICK_EXIT, 1L);
    SetLong(CURLOPT_SSL_VERIFYPEER, 1L);
    SetLong(CURLOPT_SSL_VERIFYHOST, 2L);
    SetLong(CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT));
    SetLong(CURLOPT_PROXY_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT));
}

CCurlEasy::~CCurlEasy()
{
    if (m_pCurl != nullptr)
        curl_easy_cleanup(m_pCurl);
    if (m_pHeaders != nullptr)
        curl_slist_free_all(m_pHeaders);
}

void CCurlEasy::SetLong(CURLoption option, long value)
{
    if (m_pCurl == nullptr)
        return;
    curl_easy_setopt(m_pCurl, option, value);
    if (OptionObserver observer = g_observer.load())
        observer(m_pCurl, option, value);
}

void CCurlEasy::SetOptionObserver(OptionObserver observer)
{
    g_observer = observer;
}

void CCurlEasy::AddHeader(const char* line)
{
    curl_slist* grown = curl_slist_append(m_pHeaders, line);
    if (grown != nullptr)
        m_pHeaders = grown;
    if (m_pCurl != nullptr)
        curl_easy_setopt(m_pCurl, CURLOPT_HTTPHEADER, m_pHeaders);
}

void CCurlEasy::FollowRedirects(const std::string& url, long maxRedirects)
{
    if (m_pCurl == nullptr)
        return;
    SetLong(CURLOPT_FOLLOWLOCATION, 1L);
    SetLong(CURLOPT_MAXREDIRS, maxRedirects);
    curl_easy_setopt(m_pCurl, CURLOPT_DEFAULT_PROTOCOL, "https");
    const bool startsPlain = url.size() >= 7 && _strnicmp(url.c_str(), "http://", 7) == 0;
    const char* allowed = startsPlain ? "http,https" : "https";
    curl_easy_setopt(m_pCurl, CURLOPT_PROTOCOLS_STR, allowed);
    curl_easy_setopt(m_pCurl, CURLOPT_REDIR_PROTOCOLS_STR, allowed);
}

long CCurlEasy::GetResponseCode() const
{
    long code = 0;
    if (m_pCurl != nullptr)
        curl_easy_getinfo(m_pCurl, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

namespace {

std::wstring Describe(const std::string& proxy)
{
    return proxy.empty() ? L"none" : Utf8ToWideString(proxy);
}

} // namespace

void CCurlEasy::UseSystemProxy(const std::string& url)
{
    if (m_pCurl == nullptr)
        return;
    m_proxies = CSystemProxy::ProxiesFor(url);
    m_nProxy = 0;
    ApplyProxy();
    std::wstring list;
    for (const std::string& proxy : m_proxies)
        list += (list.empty() ? L"" : L", then ") + Describe(proxy);
    const size_t query = url.find('?');
    CInstallLog::Write(L"proxy for %ls: %ls", Utf8ToWideString(url.substr(0, query)).c_str(), list.c_str());
}

bool CCurlEasy::UseNextProxy()
{
    if (m_pCurl == nullptr || m_nProxy + 1 >= m_proxies.size())
        return false;
    CSystemProxy::MarkUnreachable(CurrentProxy());
    ++m_nProxy;
    CInstallLog::Write(L"proxy %ls cannot be reached, trying %ls", Describe(m_proxies[m_nProxy - 1]).c_str(),
                       Describe(CurrentProxy()).c_str());
    ApplyProxy();
    return true;
}

void CCurlEasy::ApplyProxy()
{
    const std::string& proxy = CurrentProxy();
    curl_easy_setopt(m_pCurl, CURLOPT_PROXY, proxy.c_str()); // "" is a direct connection
    if (proxy.empty())
        return;
    // Negotiate or NTLM through SSPI with the user's own logon: no password is asked, kept or logged. A SOCKS
    // proxy is given no user name (an empty one would be offered as a password login).
    const bool httpProxy = proxy.compare(0, 7, "http://") == 0 || proxy.compare(0, 8, "https://") == 0;
    SetLong(CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_NEGOTIATE | CURLAUTH_NTLM));
    curl_easy_setopt(m_pCurl, CURLOPT_PROXYUSERPWD, httpProxy ? ":" : nullptr);
}
