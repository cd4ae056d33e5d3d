#pragma once

#include <windows.h>
#include "ui/support/UIString.h"

#include <string_view>
#include <unordered_map>

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
// a key goes through a private index beside them, so a look-up costs the same
// at 100,000 names as at 100.
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
    // Key of the entry at position iIndex in enumeration order, or null.
    LPCTSTR GetAt(int iIndex) const;
    LPCTSTR operator[](int iIndex) const { return GetAt(iIndex); }

    // h = h * 33 + c over the characters from last to first, 32-bit unsigned.
    static UINT HashKey(LPCTSTR key);
    int GetBucketIndex(LPCTSTR key) const;

private:
    struct TITEM
    {
        CUIString Key;
        LPVOID Data;
        TITEM* pPrev;
        TITEM* pNext;
    };

    TITEM* FindItem(LPCTSTR key, int iBucket) const;
    void Unlink(TITEM* pItem, int iBucket) const;
    void LinkFront(TITEM* pItem, int iBucket) const;

    // Each entry's key, viewing the entry's own key storage (entries never move).
    std::unordered_map<std::wstring_view, TITEM*> m_index;
    TITEM** m_aT;
    int m_nBuckets;
    int m_nCount;
};

} // namespace Veneer
