#pragma once

#include <windows.h>
#include "ui/support/UIString.h"

#include <vector>

namespace Veneer {

// String-keyed hash table of pointers that it does not own. Keys compare
// exactly (case-sensitive). The bucket of a key is HashKey(key) modulo the
// bucket count; a successful Find moves the entry to the front of its bucket
// so that names looked up often are found first. Enumeration (GetAt) walks
// the buckets in order and each bucket from its front. Null keys are never
// stored or found.
//
// The buckets keep their order for enumeration and move-to-front, but a few
// dozen buckets hold chains of thousands of names in a large window: finding
// a key goes through a private open-addressing index beside them, so a
// look-up or an insertion costs the same at 100,000 names as at 100. Each
// entry is one allocation holding its key, so a window's names stay compact.
class CStdStringPtrMap
{
public:
    enum { DEFAULT_BUCKETS = 83 };

    explicit CStdStringPtrMap(int nSize = DEFAULT_BUCKETS);
    ~CStdStringPtrMap();
    CStdStringPtrMap(const CStdStringPtrMap&) = delete;
    CStdStringPtrMap& operator=(const CStdStringPtrMap&) = delete;

    // Drops every entry and switches to nSize buckets (at least 1).
    void Resize(int nSize = DEFAULT_BUCKETS);

    LPVOID Find(LPCTSTR key, bool bOptimize = true) const;
    // False (and no change) when the key is already present.
    bool Insert(LPCTSTR key, LPVOID pData);
    // Replaces the data of an existing key, or inserts it; returns the
    // previous data (null when the key was new).
    LPVOID Set(LPCTSTR key, LPVOID pData);
    bool Remove(LPCTSTR key);
    void RemoveAll();

    int GetSize() const { return m_nCount; }
    int GetBucketCount() const { return m_nBuckets; }
    // Key of the entry at position iIndex in enumeration order, or null. Each call walks the table up to
    // that position: to visit every entry use ForEach.
    LPCTSTR GetAt(int iIndex) const;
    LPCTSTR operator[](int iIndex) const { return GetAt(iIndex); }
    // fn(key, data) for every entry in enumeration order, in one walk. fn must not add or remove entries.
    template <class Fn>
    void ForEach(Fn fn) const
    {
        for (int i = 0; i < m_nBuckets; ++i)
            for (const TITEM* pItem = m_aT[i]; pItem != nullptr; pItem = pItem->pNext) fn(pItem->Key(), pItem->Data);
    }

    // h = h * 33 + c over the characters from last to first, 32-bit unsigned.
    static UINT HashKey(LPCTSTR key);
    int GetBucketIndex(LPCTSTR key) const;

private:
    // One allocation: the record, then its key's characters and terminator.
    struct TITEM
    {
        LPVOID Data;
        TITEM* pPrev;
        TITEM* pNext;
        UINT uHash;
        size_t nLength;
        LPCTSTR Key() const { return reinterpret_cast<LPCTSTR>(this + 1); }
    };

    static TITEM* NewItem(LPCTSTR key, size_t nLength, UINT uHash, LPVOID pData);
    static void DeleteItem(TITEM* pItem);
    int BucketOf(UINT uHash) const { return static_cast<int>(uHash % static_cast<UINT>(m_nBuckets)); }
    TITEM* FindItem(LPCTSTR key, size_t nLength, UINT uHash) const;
    bool InsertNew(LPCTSTR key, size_t nLength, UINT uHash, LPVOID pData);
    void Unlink(TITEM* pItem, int iBucket) const;
    void LinkFront(TITEM* pItem, int iBucket) const;

    // The index: a power-of-two table of entries, probed linearly from a slot picked by the hash, at most
    // half full. Null marks a free slot.
    size_t HomeSlot(UINT uHash) const;
    bool ReserveIndex(size_t nCount);
    void PlaceInIndex(TITEM* pItem);
    void RemoveFromIndex(TITEM* pItem);
    std::vector<TITEM*> m_slots;
    TITEM** m_aT;
    int m_nBuckets;
    int m_nCount;
};

} // namespace Veneer
