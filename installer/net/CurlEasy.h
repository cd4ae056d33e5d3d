#pragma once
// Owner of one libcurl easy handle and of the header list attached to it.
#include <curl/curl.h>

#include <string>
#include <vector>

class CCurlEasy
{
public:
    // Sees every whole-number option set through SetLong on any handle, on the thread that sets it. Lets a test
    // read back what a transfer was configured with (libcurl has no way to read an option back).
    using OptionObserver = void (*)(CURL* curl, CURLoption option, long value);

    // Every handle ends a lookup or a transfer at once when it is given up (CURLOPT_QUICK_EXIT): without it the
    // threaded resolver waits for a blocked name lookup on time-out and on abort, past every limit.
    // Every handle verifies the peer's certificate and host name, and checks revocation as far as it can: a
    // revocation server that cannot be reached (or a TLS-inspecting proxy whose certificates name none) does
    // not stop the transfer, a certificate known to be revoked does.
    CCurlEasy();
    ~CCurlEasy();
    CCurlEasy(const CCurlEasy&) = delete;
    CCurlEasy& operator=(const CCurlEasy&) = delete;

    CURL* Get() const { return m_pCurl; }
    bool IsValid() const { return m_pCurl != nullptr; }
    void SetLong(CURLoption option, long value);
    // Adds one header line; the list lives as long as the handle.
    void AddHeader(const char* line);
    // Follows up to `maxRedirects` redirects; an address without a scheme is taken as https. A transfer that
    // starts on https never leaves it: a redirect to plain http ends it (CURLE_UNSUPPORTED_PROTOCOL).
    void FollowRedirects(const std::string& url, long maxRedirects);
    // Sends the transfer of `url` through the first of the proxies the system settings give for it (none:
    // direct, whatever the environment says), authenticating to it as the signed-in user; the log says which.
    void UseSystemProxy(const std::string& url);
    // The transfer could not reach its proxy: the next entry of the list takes over, and the one that failed
    // is remembered as unreachable for the run. False when no entry is left.
    bool UseNextProxy();
    // The proxy the transfer goes through now ("" for a direct connection).
    const std::string& CurrentProxy() const { return m_proxies[m_nProxy]; }
    // HTTP status of the last response (0 when none was received).
    long GetResponseCode() const;

    // Null removes the observer.
    static void SetOptionObserver(OptionObserver observer);

private:
    void ApplyProxy();

    CURL* m_pCurl;
    curl_slist* m_pHeaders = nullptr;
    std::vector<std::string> m_proxies{std::string()};
    size_t m_nProxy = 0;
};
