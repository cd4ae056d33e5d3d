#include "installer/net/WinHandle.h"

CWinHandle& CWinHandle::operator=(CWinHandle&& other) noexcept
{
    if (this != &other)
        Reset(other.Release());
    return *this;
}

void CWinHandle::Reset(HANDLE handle)
{
    handle = Normalise(handle);
    if (m_hHandle != nullptr && m_hHandle != handle)
        CloseHandle(m_hHandle);
    m_hHandle = handle;
}

HANDLE CWinHandle::Release()
{
    HANDLE handle = m_hHandle;
    m_hHandle = nullptr;
    return handle;
}
