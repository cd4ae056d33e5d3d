#include "installer/net/ResponseHeaders.h"

#include <cstdlib>
#include <cstring>

namespace {

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool SameNoCase(const std::string& a, const char* b)
{
    return a.size() == std::strlen(b) && _strnicmp(a.c_str(), b, a.size()) == 0;
}

// A decimal number at `text` (digits only, no sign); -1 when there is none. `end` receives where it stopped.
long long Number(const char* text, const char** end)
{
    if (end != nullptr)
        *end = text;
    if (*text < '0' || *text > '9')
        return -1;
    char* stop = nullptr;
    const long long value = std::strtoll(text, &stop, 10);
    if (end != nullptr)
        *end = stop;
    return value;
}

} // namespace

void CResponseHeaders::AddLine(const char* data, size_t length)
{
    const std::string line(data, length);
    if (line.compare(0, 5, "HTTP/") == 0) {
        *this = CResponseHeaders();
        const size_t space = line.find(' ');
        if (space != std::string::npos)
            m_nStatus = std::strtol(line.c_str() + space + 1, nullptr, 10);
        return;
    }
    const size_t colon = line.find(':');
    if (colon == std::string::npos)
        return;
    const std::string name = Trim(line.substr(0, colon));
    const std::string value = Trim(line.substr(colon + 1));
    if (SameNoCase(name, "Accept-Ranges"))
        m_bAcceptRanges = SameNoCase(value, "bytes");
    else if (SameNoCase(name, "ETag"))
        m_strETag = value;
    else if (SameNoCase(name, "Last-Modified"))
        m_strLastModified = value;
    else if (SameNoCase(name, "Content-Length"))
        m_nContentLength = Number(value.c_str(), nullptr);
    else if (SameNoCase(name, "Content-Range")) {
        m_nRangeStart = -1;
        m_nRangeTotal = -1;
        if (value.compare(0, 6, "bytes ") != 0)
            return;
        const char* end = nullptr;
        const long long start = Number(value.c_str() + 6, &end);
        if (start < 0 || *end != '-')
            return;
        m_nRangeStart = start;
        const size_t slash = value.find('/');
        if (slash != std::string::npos)
            m_nRangeTotal = Number(value.c_str() + slash + 1, nullptr); // "*": unknown
    }
}

std::string CResponseHeaders::Validator() const
{
    // A weak ETag ("W/...") may not be used for a range request.
    if (!m_strETag.empty() && m_strETag.compare(0, 2, "W/") != 0)
        return m_strETag;
    return m_strLastModified;
}
