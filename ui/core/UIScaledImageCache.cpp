#include "ui/core/UIScaledImageCache.h"

#include "ui/core/UIRender.h"
#include "ui/core/UIRenderPlatform.h"

namespace Veneer {

namespace {

// Stretching leaves no alpha worth the name; an opaque picture is opaque everywhere, so a faded draw
// of it blends like its source does.
void MakeOpaque(BYTE* pBits, SIZE size)
{
    ::GdiFlush();
    DWORD* pixel = reinterpret_cast<DWORD*>(pBits);
    const size_t count = static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy);
    for (size_t i = 0; i < count; ++i) pixel[i] |= 0xFF000000;
}

} // namespace

HBITMAP CScaledImageCache::Get(HDC hRef, HBITMAP hSource, SIZE size, const RECT& rcPart, const RECT& rcCorners,
                               bool bAlpha, bool xtiled, bool ytiled)
{
    // A picture beyond what one image may keep is not made: such a size is drawn from the source.
    if (hSource == nullptr || !CRenderEngine::IsImageSizeAllowed(size.cx, size.cy)) return nullptr;
    const size_t bytes = static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy) * 4;
    if (bytes > kMaxBytes) return nullptr;
    Entry* entry = Find(size, rcPart, rcCorners, bAlpha, xtiled, ytiled);
    if (entry == nullptr) {
        Entry& slot = SlotForNewSize();
        slot.picture.Reset();
        slot.size = size;
        slot.part = rcPart;
        slot.corners = rcCorners;
        slot.alpha = bAlpha;
        slot.xtiled = xtiled;
        slot.ytiled = ytiled;
        slot.lastUse = ++m_uses;
        return nullptr;
    }
    entry->lastUse = ++m_uses;
    if (!entry->picture) {
        MakeRoom(bytes, *entry);
        if (!Paint(*entry, hRef, hSource)) return nullptr;
    }
    return entry->picture.Get();
}

void CScaledImageCache::MakeRoom(size_t bytes, const Entry& keep)
{
    while (GetBytes() + bytes > kMaxBytes) {
        Entry* oldest = nullptr;
        for (Entry& e : m_entries) {
            if (e.picture && &e != &keep && (oldest == nullptr || e.lastUse < oldest->lastUse)) oldest = &e;
        }
        if (oldest == nullptr) return;
        oldest->picture.Reset();  // the size stays known: asked for again, it is made again
    }
}

size_t CScaledImageCache::GetBytes() const
{
    size_t total = 0;
    for (const Entry& e : m_entries) {
        if (e.picture) total += static_cast<size_t>(e.size.cx) * static_cast<size_t>(e.size.cy) * 4;
    }
    return total;
}

void CScaledImageCache::Clear()
{
    for (Entry& entry : m_entries) {
        entry.picture.Reset();
        entry.size = SIZE{0, 0};
    }
}

CScaledImageCache::Entry* CScaledImageCache::Find(SIZE size, const RECT& rcPart, const RECT& rcCorners, bool bAlpha,
                                                  bool xtiled, bool ytiled)
{
    for (Entry& e : m_entries) {
        if (e.size.cx == size.cx && e.size.cy == size.cy && e.alpha == bAlpha && e.xtiled == xtiled &&
            e.ytiled == ytiled && ::EqualRect(&e.part, &rcPart) && ::EqualRect(&e.corners, &rcCorners)) {
            return &e;
        }
    }
    return nullptr;
}

// A free slot, else the size asked for once longest ago, else the picture used longest ago: a passing
// size never pushes out a picture in use.
CScaledImageCache::Entry& CScaledImageCache::SlotForNewSize()
{
    Entry* pending = nullptr;
    Entry* made = nullptr;
    for (Entry& e : m_entries) {
        if (e.size.cx == 0) return e;
        Entry*& oldest = e.picture ? made : pending;
        if (oldest == nullptr || e.lastUse < oldest->lastUse) oldest = &e;
    }
    return pending != nullptr ? *pending : *made;
}

bool CScaledImageCache::Paint(Entry& entry, HDC hRef, HBITMAP hSource)
{
    BYTE* pBits = nullptr;
    CBitmapHandle picture(CRenderEngine::CreateARGB32Bitmap(hRef, entry.size.cx, entry.size.cy, &pBits));
    CMemoryDC dc(::CreateCompatibleDC(hRef));
    if (picture.Get() == nullptr || dc.Get() == nullptr) return false;
    {
        // A fresh DIB section is transparent black, so blending the cells onto it copies them exactly.
        CSelectObject select(dc.Get(), picture.Get());
        const RECT rc = {0, 0, entry.size.cx, entry.size.cy};
        CRenderEngine::DrawImage(dc.Get(), hSource, rc, rc, entry.part, entry.corners, entry.alpha, 255, false,
                                 entry.xtiled, entry.ytiled);
    }
    if (!entry.alpha) MakeOpaque(pBits, entry.size);
    entry.picture = std::move(picture);
    return true;
}

} // namespace Veneer
