#pragma once
// The few header fields of an HTTP reply that decide whether a download can be resumed, read line by line as
// libcurl hands them over. A status line starts a new reply (redirects and interim replies come first).
#include <string>

class CResponseHeaders
{
public:
    // One header line as received (with or without its line end).
    void AddLine(const char* data, size_t length);

    long Status() const { return m_nStatus; }
    bool AcceptsByteRanges() const { return m_bAcceptRanges; }
    const std::string& ETag() const { return m_strETag; }
    const std::string& LastModified() const { return m_strLastModified; }
    // First byte of a "Content-Range: bytes N-M/T" reply; -1 when there was none (or it was unreadable).
    long long RangeStart() const { return m_nRangeStart; }
    // Length of the whole file the reply belongs to: T of a 206 reply's Content-Range, the Content-Length of any
    // other; -1 when the reply does not say.
    long long WholeLength() const { return m_nStatus == 206 ? m_nRangeTotal : m_nContentLength; }
    // The validator a resume names in If-Range: the ETag when there is a strong one, else Last-Modified.
    std::string Validator() const;

private:
    long m_nStatus = 0;
    bool m_bAcceptRanges = false;
    std::string m_strETag;
    std::string m_strLastModified;
    long long m_nRangeStart = -1;
    long long m_nRangeTotal = -1;
    long long m_nContentLength = -1;
};
