#pragma once
// Owner of a text that WinHTTP (or the proxy script engine) allocated for the caller to free with GlobalFree.
#include <windows.h>

#include <string>

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
