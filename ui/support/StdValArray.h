#pragma once

#include <windows.h>

namespace Veneer {

// Growable array of fixed-size plain values (copied byte-wise); the element
// size is given at construction. Growth as CStdPtrArray: FIRST_CAPACITY
// elements on the first addition, then doubling when full. Failures return
// false and change nothing.
class CStdValArray
{
public:
    enum { FIRST_CAPACITY = 11 };

    explicit CStdValArray(int iElementSize, int iPreallocSize = 0);
    CStdValArray(const CStdValArray& src);
    CStdValArray& operator=(const CStdValArray& src);
    ~CStdValArray();

    void Empty();
    bool IsEmpty() const { return m_nCount == 0; }
    int GetSize() const { return m_nCount; }
    int GetCapacity() const { return m_nAllocated; }
    int GetElementSize() const { return m_iElementSize; }

    bool Add(LPCVOID pData);                    // copies GetElementSize() bytes
    bool InsertAt(int iIndex, LPCVOID pData);   // 0 <= iIndex <= GetSize()
    bool SetAt(int iIndex, LPCVOID pData);
    bool Remove(int iIndex);

    LPVOID GetData() { return m_pVoid; }
    LPVOID GetAt(int iIndex) const;            // null when out of range
    LPVOID operator[](int iIndex) const { return GetAt(iIndex); }

private:
    bool Grow(int nNeeded);
    bool Allocate(int nAllocated);   // exactly nAllocated slots, keeps the content

    LPBYTE m_pVoid;
    int m_iElementSize;
    int m_nCount;
    int m_nAllocated;
};

} // namespace Veneer
