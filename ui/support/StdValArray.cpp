#include "ui/support/StdValArray.h"

#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace Veneer {

CStdValArray::CStdValArray(int iElementSize, int iPreallocSize)
    : m_pVoid(nullptr), m_iElementSize(iElementSize > 0 ? iElementSize : 1), m_nCount(0), m_nAllocated(0)
{
    if (iPreallocSize > 0)
        Allocate(iPreallocSize);
}

CStdValArray::CStdValArray(const CStdValArray& src) : CStdValArray(src.m_iElementSize)
{
    *this = src;
}

CStdValArray& CStdValArray::operator=(const CStdValArray& src)
{
    if (this == &src)
        return *this;
    if (m_iElementSize != src.m_iElementSize)
    {
        Empty();
        m_iElementSize = src.m_iElementSize;
    }
    m_nCount = 0;
    if (src.m_nCount > 0 && Grow(src.m_nCount))
    {
        memcpy(m_pVoid, src.m_pVoid, static_cast<size_t>(src.m_nCount) * static_cast<size_t>(m_iElementSize));
        m_nCount = src.m_nCount;
    }
    return *this;
}

CStdValArray::~CStdValArray()
{
    free(m_pVoid);
}

void CStdValArray::Empty()
{
    free(m_pVoid);
    m_pVoid = nullptr;
    m_nCount = 0;
    m_nAllocated = 0;
}

bool CStdValArray::Grow(int nNeeded)
{
    if (nNeeded <= m_nAllocated)
        return true;
    int nAllocated = m_nAllocated == 0 ? FIRST_CAPACITY : m_nAllocated;
    while (nAllocated < nNeeded)
    {
        if (nAllocated > INT_MAX / 2)
        {
            nAllocated = nNeeded;
            break;
        }
        nAllocated *= 2;
    }
    return Allocate(nAllocated);
}

bool CStdValArray::Allocate(int nAllocated)
{
    if (static_cast<size_t>(nAllocated) > SIZE_MAX / static_cast<size_t>(m_iElementSize))
        return false;
    LPBYTE pNew = static_cast<LPBYTE>(realloc(m_pVoid, static_cast<size_t>(nAllocated) * static_cast<size_t>(m_iElementSize)));
    if (pNew == nullptr)
        return false;
    m_pVoid = pNew;
    m_nAllocated = nAllocated;
    return true;
}

bool CStdValArray::Add(LPCVOID pData)
{
    return InsertAt(m_nCount, pData);
}

bool CStdValArray::InsertAt(int iIndex, LPCVOID pData)
{
    if (pData == nullptr || iIndex < 0 || iIndex > m_nCount || m_nCount == INT_MAX)
        return false;
    // pData may point into this array: take a copy before storage moves.
    size_t cb = static_cast<size_t>(m_iElementSize);
    BYTE smallCopy[64];
    LPBYTE pCopy = cb <= sizeof(smallCopy) ? smallCopy : static_cast<LPBYTE>(malloc(cb));
    if (pCopy == nullptr)
        return false;
    memcpy(pCopy, pData, cb);
    bool bOk = Grow(m_nCount + 1);
    if (bOk)
    {
        LPBYTE pSlot = m_pVoid + static_cast<size_t>(iIndex) * cb;
        memmove(pSlot + cb, pSlot, static_cast<size_t>(m_nCount - iIndex) * cb);
        memcpy(pSlot, pCopy, cb);
        ++m_nCount;
    }
    if (pCopy != smallCopy)
        free(pCopy);
    return bOk;
}

bool CStdValArray::SetAt(int iIndex, LPCVOID pData)
{
    if (pData == nullptr || iIndex < 0 || iIndex >= m_nCount)
        return false;
    memmove(m_pVoid + static_cast<size_t>(iIndex) * static_cast<size_t>(m_iElementSize), pData,
            static_cast<size_t>(m_iElementSize));
    return true;
}

bool CStdValArray::Remove(int iIndex)
{
    if (iIndex < 0 || iIndex >= m_nCount)
        return false;
    size_t cb = static_cast<size_t>(m_iElementSize);
    LPBYTE pSlot = m_pVoid + static_cast<size_t>(iIndex) * cb;
    memmove(pSlot, pSlot + cb, static_cast<size_t>(m_nCount - iIndex - 1) * cb);
    --m_nCount;
    return true;
}

LPVOID CStdValArray::GetAt(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_nCount)
        return nullptr;
    return m_pVoid + static_cast<size_t>(iIndex) * static_cast<size_t>(m_iElementSize);
}

} // namespace Veneer
