#include "ui/support/StdStringPtrMap.h"

#include <new>
#include <wchar.h>

namespace Veneer {

CStdStringPtrMap::CStdStringPtrMap(int nSize) : m_aT(nullptr), m_nBuckets(0), m_nCount(0)
{
    Resize(nSize);
}

CStdStringPtrMap::~CStdStringPtrMap()
{
    RemoveAll();
    delete[] m_aT;
}

void CStdStringPtrMap::Resize(int nSize)
{
    RemoveAll();
    if (nSize < 1)
        nSize = 1;
    if (nSize == m_nBuckets)
        return;
    TITEM** aNew = new (std::nothrow) TITEM*[nSize]();
    if (aNew == nullptr)
        return;   // keep the old (now empty) buckets
    delete[] m_aT;
    m_aT = aNew;
    m_nBuckets = nSize;
}

void CStdStringPtrMap::RemoveAll()
{
    for (int i = 0; i < m_nBuckets; ++i)
    {
        TITEM* pItem = m_aT[i];
        while (pItem != nullptr)
        {
            TITEM* pNext = pItem->pNext;
            delete pItem;
            pItem = pNext;
        }
        m_aT[i] = nullptr;
    }
    m_index.clear();
    m_nCount = 0;
}

UINT CStdStringPtrMap::HashKey(LPCTSTR key)
{
    if (key == nullptr)
        return 0;
    UINT h = 0;
    for (size_t i = wcslen(key); i > 0; --i)
        h = h * 33u + static_cast<UINT>(key[i - 1]);
    return h;
}

int CStdStringPtrMap::GetBucketIndex(LPCTSTR key) const
{
    if (m_nBuckets == 0)
        return -1;
    return static_cast<int>(HashKey(key) % static_cast<UINT>(m_nBuckets));
}

CStdStringPtrMap::TITEM* CStdStringPtrMap::FindItem(LPCTSTR key, int) const
{
    auto it = m_index.find(std::wstring_view(key));
    return it == m_index.end() ? nullptr : it->second;
}

void CStdStringPtrMap::Unlink(TITEM* pItem, int iBucket) const
{
    if (pItem->pPrev != nullptr)
        pItem->pPrev->pNext = pItem->pNext;
    else
        m_aT[iBucket] = pItem->pNext;
    if (pItem->pNext != nullptr)
        pItem->pNext->pPrev = pItem->pPrev;
    pItem->pPrev = pItem->pNext = nullptr;
}

void CStdStringPtrMap::LinkFront(TITEM* pItem, int iBucket) const
{
    pItem->pPrev = nullptr;
    pItem->pNext = m_aT[iBucket];
    if (pItem->pNext != nullptr)
        pItem->pNext->pPrev = pItem;
    m_aT[iBucket] = pItem;
}

LPVOID CStdStringPtrMap::Find(LPCTSTR key, bool bOptimize) const
{
    if (key == nullptr || m_nCount == 0)
        return nullptr;
    int iBucket = GetBucketIndex(key);
    TITEM* pItem = FindItem(key, iBucket);
    if (pItem == nullptr)
        return nullptr;
    if (bOptimize && pItem->pPrev != nullptr)
    {
        Unlink(pItem, iBucket);
        LinkFront(pItem, iBucket);
    }
    return pItem->Data;
}

bool CStdStringPtrMap::Insert(LPCTSTR key, LPVOID pData)
{
    if (key == nullptr || m_nBuckets == 0)
        return false;
    int iBucket = GetBucketIndex(key);
    if (FindItem(key, iBucket) != nullptr)
        return false;
    TITEM* pItem = new (std::nothrow) TITEM{CUIString(key), pData, nullptr, nullptr};
    if (pItem == nullptr)
        return false;
    try
    {
        m_index.emplace(std::wstring_view(pItem->Key.GetData(), static_cast<size_t>(pItem->Key.GetLength())), pItem);
    }
    catch (const std::bad_alloc&)
    {
        delete pItem;
        return false;
    }
    LinkFront(pItem, iBucket);
    ++m_nCount;
    return true;
}

LPVOID CStdStringPtrMap::Set(LPCTSTR key, LPVOID pData)
{
    if (key == nullptr || m_nBuckets == 0)
        return nullptr;
    TITEM* pItem = FindItem(key, GetBucketIndex(key));
    if (pItem == nullptr)
    {
        Insert(key, pData);
        return nullptr;
    }
    LPVOID pOld = pItem->Data;
    pItem->Data = pData;
    return pOld;
}

bool CStdStringPtrMap::Remove(LPCTSTR key)
{
    if (key == nullptr || m_nCount == 0)
        return false;
    int iBucket = GetBucketIndex(key);
    TITEM* pItem = FindItem(key, iBucket);
    if (pItem == nullptr)
        return false;
    Unlink(pItem, iBucket);
    m_index.erase(std::wstring_view(pItem->Key.GetData(), static_cast<size_t>(pItem->Key.GetLength())));
    delete pItem;
    --m_nCount;
    return true;
}

LPCTSTR CStdStringPtrMap::GetAt(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_nCount)
        return nullptr;
    int iPos = 0;
    for (int i = 0; i < m_nBuckets; ++i)
    {
        for (TITEM* pItem = m_aT[i]; pItem != nullptr; pItem = pItem->pNext)
        {
            if (iPos++ == iIndex)
                return pItem->Key.GetData();
        }
    }
    return nullptr;
}

} // namespace Veneer
