#pragma once
// Owner of one kernel handle (file, process, thread, event, pipe end); closes it exactly once.
#include <winsock2.h> // libcurl's headers need it before windows.h
#include <windows.h>

class CWinHandle
{
public:
    CWinHandle() = default;
    explicit CWinHandle(HANDLE handle) : m_hHandle(Normalise(handle)) {}
    ~CWinHandle() { Close(); }
    CWinHandle(const CWinHandle&) = delete;
    CWinHandle& operator=(const CWinHandle&) = delete;
    CWinHandle(CWinHandle&& other) noexcept : m_hHandle(other.Release()) {}
    CWinHandle& operator=(CWinHandle&& other) noexcept;

    HANDLE Get() const { return m_hHandle; }
    bool IsValid() const { return m_hHandle != nullptr; }
    void Reset(HANDLE handle = nullptr);
    HANDLE Release();
    void Close() { Reset(); }

private:
    // Both null and INVALID_HANDLE_VALUE mean "no handle" depending on the API that produced it.
    static HANDLE Normalise(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }

    HANDLE m_hHandle = nullptr;
};
