#include "ui/support/PtrIndexMap.h"

#include <stdlib.h>

namespace Veneer {

namespace {

UINT HashPointer(LPVOID p)
{
    // Heap pointers share their low bits: mix before masking.
    UINT h = static_cast<UINT>(reinterpret_cast<UINT_PTR>(p));
    h ^= h >> 16;
    h *= 0x45D9F3Bu;
    h ^= h >> 16;
    return h;
}

} // namespace

CPtrIndexMap::CPtrIndexMap() : m_aSlots(nullptr), m_nSlots(0), m_nUsed(0)
{
}

CPtrIndexMap::~CPtrIndexMap()
{
    free(m_aSlots);
}

void CPtrIndexMap::Clear()
{
    for (int i = 0; i < m_nSlots; ++i)
        m_aSlots[i].iIndex = -1;
    m_nUsed = 0;
}

// Slot holding pData, or the free slot where it would go.
int CPtrIndexMap::SlotOf(LPVOID pData) const
{
    int iMask = m_nSlots - 1;
    int i = static_cast<int>(HashPointer(pData) & static_cast<UINT>(iMask));
    while (m_aSlots[i].iIndex >= 0 && m_aSlots[i].pKey != pData)
        i = (i + 1) & iMask;
    return i;
}

bool CPtrIndexMap::Rehash(int nSlots)
{
    TSlot* aNew = static_cast<TSlot*>(malloc(sizeof(TSlot) * static_cast<size_t>(nSlots)));
    if (aNew == nullptr)
        return false;
    for (int i = 0; i < nSlots; ++i)
        aNew[i].iIndex = -1;
    TSlot* aOld = m_aSlots;
    int nOld = m_nSlots;
    m_aSlots = aNew;
    m_nSlots = nSlots;
    for (int i = 0; i < nOld; ++i)
    {
        if (aOld[i].iIndex >= 0)
            m_aSlots[SlotOf(aOld[i].pKey)] = aOld[i];
    }
    free(aOld);
    return true;
}

bool CPtrIndexMap::Add(LPVOID pData, int iIndex)
{
    // Keep the table at most half full so that probes stay short.
    if ((m_nUsed + 1) * 2 > m_nSlots)
    {
        int nSlots = m_nSlots == 0 ? 16 : m_nSlots * 2;
        if (nSlots <= 0 || !Rehash(nSlots))
            return false;
    }
    int i = SlotOf(pData);
    if (m_aSlots[i].iIndex < 0)
    {
        m_aSlots[i].pKey = pData;
        m_aSlots[i].iIndex = iIndex;
        ++m_nUsed;
    }
    return true;
}

bool CPtrIndexMap::Build(const LPVOID* ppData, int nCount)
{
    Clear();
    for (int i = 0; i < nCount; ++i)
    {
        if (!Add(ppData[i], i))
        {
            Clear();
            return false;
        }
    }
    return true;
}

int CPtrIndexMap::Find(LPVOID pData) const
{
    if (m_nUsed == 0)
        return -1;
    return m_aSlots[SlotOf(pData)].iIndex;
}

} // namespace Veneer
