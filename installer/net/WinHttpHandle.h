#pragma once
// Owner of one WinHTTP handle (session, connection, request, proxy resolver); closes it exactly once.
#include <windows.h>
#include <winhttp.h>

class CWinHttpHandle
{
public:
    explicit CWinHttpHandle(HINTERNET handle = nullptr) : m_hHandle(handle) {}
    ~CWinHttpHandle()
    {
        if (m_hHandle != nullptr)
            WinHttpCloseHandle(m_hHandle);
    }
    CWinHttpHandle(const CWinHttpHandle&) = delete;
    CWinHttpHandle& operator=(const CWinHttpHandle&) = delete;
    HINTERNET Get() const { return m_hHandle; }
    bool IsValid() const { return m_hHandle != nullptr; }

private:
    HINTERNET m_hHandle;
};
