#include "installer/net/CurlEasy.h"

CCurlEasy::~CCurlEasy()
{
    if (m_pCurl != nullptr)
        curl_easy_cleanup(m_pCurl);
    if (m_pHeaders != nullptr)
        curl_slist_free_all(m_pHeaders);
}

void CCurlEasy::AddHeader(const char* line)
{
    curl_slist* grown = curl_slist_append(m_pHeaders, line);
    if (grown != nullptr)
        m_pHeaders = grown;
    if (m_pCurl != nullptr)
        curl_easy_setopt(m_pCurl, CURLOPT_HTTPHEADER, m_pHeaders);
}

long CCurlEasy::GetResponseCode() const
{
    long code = 0;
    if (m_pCurl != nullptr)
        curl_easy_getinfo(m_pCurl, CURLINFO_RESPONSE_CODE, &code);
    return code;
}
