#pragma once

#include <windows.h>

namespace Veneer {

// Open-addressed table from a pointer to the first index at which it occurs
// in an array; the lookup aid behind CStdPtrArray's optional fast Find.
class CPtrIndexMap
{
public:
    CPtrIndexMap();
    ~CPtrIndexMap();
    CPtrIndexMap(const CPtrIndexMap&) = delete;
    CPtrIndexMap& operator=(const CPtrIndexMap&) = delete;

    // Indexes ppData[0..nCount); false when memory is short (table left empty).
    bool Build(const LPVOID* ppData, int nCount);
    // Records pData at iIndex unless it is already known (the first stays).
    bool Add(LPVOID pData, int iIndex);
    int Find(LPVOID pData) const;   // -1 when absent
    void Clear();

private:
    struct TSlot
    {
        LPVOID pKey;
        int iIndex;   // -1: free slot
    };

    bool Rehash(int nSlots);
    int SlotOf(LPVOID pData) const;

    TSlot* m_aSlots;
    int m_nSlots;   // power of two, or 0
    int m_nUsed;
};

} // namespace Veneer
