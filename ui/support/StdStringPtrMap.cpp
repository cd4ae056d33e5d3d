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
            DeleteItem(pItem);
            pItem = pNext;
        }
        m_aT[i] = nullptr;
    }
    m_slots.clear();
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
    return BucketOf(HashKey(key));
}

CStdStringPtrMap::TITEM* CStdStringPtrMap::NewItem(LPCTSTR key, size_t nLength, UINT uHash, LPVOID pData)
{
    void* pMemory = ::operator new(sizeof(TITEM) + (nLength + 1) * sizeof(TCHAR), std::nothrow);
    if (pMemory == nullptr)
        return nullptr;
    TITEM* pItem = new (pMemory) TITEM{pData, nullptr, nullptr, uHash, nLength};
    wmemcpy(const_cast<LPTSTR>(pItem->Key()), key, nLength + 1);
    return pItem;
}

void CStdStringPtrMap::DeleteItem(TITEM* pItem)
{
    pItem->~TITEM();
    ::operator delete(pItem);
}

// The bucket hash leaves similar names with similar low bits; mixing every bit into the low ones spreads
// them over the index.
size_t CStdStringPtrMap::HomeSlot(UINT uHash) const
{
    uHash ^= uHash >> 16;
    uHash *= 0x85EBCA6Bu;
    uHash ^= uHash >> 13;
    uHash *= 0xC2B2AE35u;
    uHash ^= uHash >> 16;
    return static_cast<size_t>(uHash) & (m_slots.size() - 1);
}

CStdStringPtrMap::TITEM* CStdStringPtrMap::FindItem(LPCTSTR key, size_t nLength, UINT uHash) const
{
    if (m_slots.empty())
        return nullptr;
    const size_t nMask = m_slots.size() - 1;
    for (size_t i = HomeSlot(uHash);; i = (i + 1) & nMask)
    {
        TITEM* pItem = m_slots[i];
        if (pItem == nullptr)
            return nullptr;
        if (pItem->uHash == uHash && pItem->nLength == nLength && wmemcmp(pItem->Key(), key, nLength) == 0)
            return pItem;
    }
}

bool CStdStringPtrMap::ReserveIndex(size_t nCount)
{
    if (nCount * 2 <= m_slots.size())
        return true;
    size_t nSlots = m_slots.empty() ? 16 : m_slots.size() * 2;
    while (nCount * 2 > nSlots)
        nSlots *= 2;
    std::vector<TITEM*> old;
    old.swap(m_slots);
    try
    {
        m_slots.assign(nSlots, nullptr);
    }
    catch (const std::bad_alloc&)
    {
        m_slots.swap(old);
        return false;
    }
    for (TITEM* pItem : old)
    {
        if (pItem != nullptr)
            PlaceInIndex(pItem);
    }
    return true;
}

void CStdStringPtrMap::PlaceInIndex(TITEM* pItem)
{
    const size_t nMask = m_slots.size() - 1;
    size_t i = HomeSlot(pItem->uHash);
    while (m_slots[i] != nullptr)
        i = (i + 1) & nMask;
    m_slots[i] = pItem;
}

// Linear probing without tombstones: entries after the freed slot that could not sit in their home slot
// move back, so every probe still ends at the first free slot.
void CStdStringPtrMap::RemoveFromIndex(TITEM* pItem)
{
    const size_t nMask = m_slots.size() - 1;
    size_t iFree = HomeSlot(pItem->uHash);
    while (m_slots[iFree] != pItem)
        iFree = (iFree + 1) & nMask;
    m_slots[iFree] = nullptr;
    for (size_t i = (iFree + 1) & nMask; m_slots[i] != nullptr; i = (i + 1) & nMask)
    {
        const size_t iHome = HomeSlot(m_slots[i]->uHash);
        // The entry may move to the free slot unless its home lies cyclically in (iFree, i].
        const bool bHomeBetween = iFree < i ? (iHome > iFree && iHome <= i) : (iHome > iFree || iHome <= i);
        if (bHomeBetween)
            continue;
        m_slots[iFree] = m_slots[i];
        m_slots[i] = nullptr;
        iFree = i;
    }
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
    const UINT uHash = HashKey(key);
    TITEM* pItem = FindItem(key, wcslen(key), uHash);
    if (pItem == nullptr)
        return nullptr;
    if (bOptimize && pItem->pPrev != nullptr)
    {
        const int iBucket = BucketOf(uHash);
        Unlink(pItem, iBucket);
        LinkFront(pItem, iBucket);
    }
    return pItem->Data;
}

bool CStdStringPtrMap::Insert(LPCTSTR key, LPVOID pData)
{
    if (key == nullptr || m_nBuckets == 0)
        return false;
    const size_t nLength = wcslen(key);
    const UINT uHash = HashKey(key);
    return FindItem(key, nLength, uHash) == nullptr && InsertNew(key, nLength, uHash, pData);
}

bool CStdStringPtrMap::InsertNew(LPCTSTR key, size_t nLength, UINT uHash, LPVOID pData)
{
    if (!ReserveIndex(static_cast<size_t>(m_nCount) + 1))
        return false;
    TITEM* pItem = NewItem(key, nLength, uHash, pData);
    if (pItem == nullptr)
        return false;
    PlaceInIndex(pItem);
    LinkFront(pItem, BucketOf(uHash));
    ++m_nCount;
    return true;
}

LPVOID CStdStringPtrMap::Set(LPCTSTR key, LPVOID pData)
{
    if (key == nullptr || m_nBuckets == 0)
        return nullptr;
    const size_t nLength = wcslen(key);
    const UINT uHash = HashKey(key);
    TITEM* pItem = FindItem(key, nLength, uHash);
    if (pItem == nullptr)
    {
        InsertNew(key, nLength, uHash, pData);
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
    const UINT uHash = HashKey(key);
    TITEM* pItem = FindItem(key, wcslen(key), uHash);
    if (pItem == nullptr)
        return false;
    Unlink(pItem, BucketOf(uHash));
    RemoveFromIndex(pItem);
    DeleteItem(pItem);
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
                return pItem->Key();
        }
    }
    return nullptr;
}

} // namespace Veneer
