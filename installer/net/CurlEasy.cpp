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

void CCurlEasy::UseSystemProxy(const std::string& url)
{
    if (m_pCurl == nullptr)
        return;
    const std::string proxy = CSystemProxy::ProxyFor(url);
    curl_easy_setopt(m_pCurl, CURLOPT_PROXY, proxy.c_str()); // "" is a direct connection
    if (!proxy.empty()) {
        // Negotiate or NTLM through SSPI with the user's own logon: no password is asked, kept or logged.
        SetLong(CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_NEGOTIATE | CURLAUTH_NTLM));
        curl_easy_setopt(m_pCurl, CURLOPT_PROXYUSERPWD, ":");
    }
    const size_t query = url.find('?');
    CInstallLog::Write(L"proxy for %ls: %ls", Utf8ToWideString(url.substr(0, query)).c_str(),
                       proxy.empty() ? L"none" : Utf8ToWideString(proxy).c_str());
}
