#pragma once
// Owner of one libcurl easy handle and of the header list attached to it.
#include <curl/curl.h>

class CCurlEasy
{
public:
    CCurlEasy() : m_pCurl(curl_easy_init()) {}
    ~CCurlEasy();
    CCurlEasy(const CCurlEasy&) = delete;
    CCurlEasy& operator=(const CCurlEasy&) = delete;

    CURL* Get() const { return m_pCurl; }
    bool IsValid() const { return m_pCurl != nullptr; }
    // Adds one header line; the list lives as long as the handle.
    void AddHeader(const char* line);
    // HTTP status of the last response (0 when none was received).
    long GetResponseCode() const;

private:
    CURL* m_pCurl;
    curl_slist* m_pHeaders = nullptr;
};
