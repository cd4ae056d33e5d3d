#pragma once

#include <windows.h>

namespace Veneer {

class CPtrIndexMap;

// Growable array of pointers that it does not own. Storage starts at
// FIRST_CAPACITY elements on the first addition (unless preallocated) and
// doubles whenever it is full. An optional pointer-to-index map makes Find
// constant-time for long arrays; it is rebuilt lazily after edits that shift
// indices. Failures (bad index, no memory) return false and change nothing.
class CStdPtrArray
{
public:
    enum { FIRST_CAPACITY = 11 };

    explicit CStdPtrArray(int iPreallocSize = 0, bool bIndexMap = false);
    CStdPtrArray(const CStdPtrArray& src);
    CStdPtrArray& operator=(const CStdPtrArray& src);
    ~CStdPtrArray();

    void Empty();                 // removes all and frees the storage
    bool Resize(int iSize);       // exactly iSize slots, all null
    bool IsEmpty() const { return m_nCount == 0; }
    int GetSize() const { return m_nCount; }
    int GetCapacity() const { return m_nAllocated; }

    // Index of the first slot holding pData, or -1.
    int Find(LPVOID pData) const;
    bool Add(LPVOID pData);
    bool SetAt(int iIndex, LPVOID pData);
    bool InsertAt(int iIndex, LPVOID pData);   // 0 <= iIndex <= GetSize()
    bool Remove(int iIndex);
    bool Remove(int iIndex, int iCount);

    LPVOID* GetData() { return m_ppVoid; }
    LPVOID GetAt(int iIndex) const;            // null when out of range
    LPVOID operator[](int iIndex) const { return GetAt(iIndex); }

    void EnableIndexMap(bool bEnable);
    bool IsIndexMapEnabled() const { return m_bIndexMap; }

private:
    bool Grow(int nNeeded);
    bool Allocate(int nAllocated);   // exactly nAllocated slots, keeps the content
    void IndexChanged();              // indices shifted: map must be rebuilt

    LPVOID* m_ppVoid;
    int m_nCount;
    int m_nAllocated;
    bool m_bIndexMap;
    mutable CPtrIndexMap* m_pIndex;   // null until the first Find with the map on
    mutable bool m_bIndexValid;
};

} // namespace Veneer
