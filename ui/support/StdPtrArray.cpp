#include "ui/support/StdPtrArray.h"

#include <limits.h>
#include <new>
#include <stdlib.h>
#include <string.h>

#include "ui/support/PtrIndexMap.h"

namespace Veneer {

CStdPtrArray::CStdPtrArray(int iPreallocSize, bool bIndexMap)
    : m_ppVoid(nullptr), m_nCount(0), m_nAllocated(0), m_bIndexMap(bIndexMap),
      m_pIndex(nullptr), m_bIndexValid(false)
{
    if (iPreallocSize > 0)
        Allocate(iPreallocSize);
}

CStdPtrArray::CStdPtrArray(const CStdPtrArray& src) : CStdPtrArray(0, src.m_bIndexMap)
{
    *this = src;
}

CStdPtrArray& CStdPtrArray::operator=(const CStdPtrArray& src)
{
    if (this == &src)
        return *this;
    m_nCount = 0;
    IndexChanged();
    if (src.m_nCount > 0 && Grow(src.m_nCount))
    {
        memcpy(m_ppVoid, src.m_ppVoid, sizeof(LPVOID) * static_cast<size_t>(src.m_nCount));
        m_nCount = src.m_nCount;
    }
    return *this;
}

CStdPtrArray::~CStdPtrArray()
{
    free(m_ppVoid);
    delete m_pIndex;
}

void CStdPtrArray::Empty()
{
    free(m_ppVoid);
    m_ppVoid = nullptr;
    m_nCount = 0;
    m_nAllocated = 0;
    IndexChanged();
}

void CStdPtrArray::IndexChanged()
{
    m_bIndexValid = false;
}

// Makes room for nNeeded elements: the first block holds FIRST_CAPACITY,
// later ones double, so that adding stays amortised constant.
bool CStdPtrArray::Grow(int nNeeded)
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

bool CStdPtrArray::Allocate(int nAllocated)
{
    if (static_cast<size_t>(nAllocated) > SIZE_MAX / sizeof(LPVOID))
        return false;
    LPVOID* pNew = static_cast<LPVOID*>(realloc(m_ppVoid, static_cast<size_t>(nAllocated) * sizeof(LPVOID)));
    if (pNew == nullptr)
        return false;
    m_ppVoid = pNew;
    m_nAllocated = nAllocated;
    return true;
}

bool CStdPtrArray::Resize(int iSize)
{
    if (iSize < 0)
        return false;
    Empty();
    if (iSize == 0)
        return true;
    LPVOID* ppNew = static_cast<LPVOID*>(calloc(static_cast<size_t>(iSize), sizeof(LPVOID)));
    if (ppNew == nullptr)
        return false;
    m_ppVoid = ppNew;
    m_nAllocated = iSize;
    m_nCount = iSize;
    return true;
}

int CStdPtrArray::Find(LPVOID pData) const
{
    if (m_bIndexMap)
    {
        if (!m_bIndexValid)
        {
            if (m_pIndex == nullptr)
                m_pIndex = new (std::nothrow) CPtrIndexMap;
            m_bIndexValid = m_pIndex != nullptr && m_pIndex->Build(m_ppVoid, m_nCount);
        }
        if (m_bIndexValid)
            return m_pIndex->Find(pData);
    }
    for (int i = 0; i < m_nCount; ++i)
    {
        if (m_ppVoid[i] == pData)
            return i;
    }
    return -1;
}

bool CStdPtrArray::Add(LPVOID pData)
{
    if (m_nCount == INT_MAX || !Grow(m_nCount + 1))
        return false;
    m_ppVoid[m_nCount] = pData;
    if (m_bIndexValid && !m_pIndex->Add(pData, m_nCount))
        IndexChanged();
    ++m_nCount;
    return true;
}

bool CStdPtrArray::SetAt(int iIndex, LPVOID pData)
{
    if (iIndex < 0 || iIndex >= m_nCount)
        return false;
    m_ppVoid[iIndex] = pData;
    IndexChanged();
    return true;
}

bool CStdPtrArray::InsertAt(int iIndex, LPVOID pData)
{
    if (iIndex == m_nCount)
        return Add(pData);
    if (iIndex < 0 || iIndex > m_nCount || !Grow(m_nCount + 1))
        return false;
    memmove(&m_ppVoid[iIndex + 1], &m_ppVoid[iIndex], sizeof(LPVOID) * static_cast<size_t>(m_nCount - iIndex));
    m_ppVoid[iIndex] = pData;
    ++m_nCount;
    IndexChanged();
    return true;
}

bool CStdPtrArray::Remove(int iIndex)
{
    return Remove(iIndex, 1);
}

bool CStdPtrArray::Remove(int iIndex, int iCount)
{
    if (iIndex < 0 || iCount <= 0 || iIndex >= m_nCount || iCount > m_nCount - iIndex)
        return false;
    int nTail = m_nCount - iIndex - iCount;
    if (nTail > 0)
        memmove(&m_ppVoid[iIndex], &m_ppVoid[iIndex + iCount], sizeof(LPVOID) * static_cast<size_t>(nTail));
    m_nCount -= iCount;
    IndexChanged();
    return true;
}

LPVOID CStdPtrArray::GetAt(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_nCount)
        return nullptr;
    return m_ppVoid[iIndex];
}

void CStdPtrArray::EnableIndexMap(bool bEnable)
{
    m_bIndexMap = bEnable;
    IndexChanged();
    if (!bEnable)
    {
        delete m_pIndex;
        m_pIndex = nullptr;
    }
}

} // namespace Veneer
