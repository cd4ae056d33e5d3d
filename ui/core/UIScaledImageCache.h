#pragma once
// Pictures of one decoded image already drawn at the sizes it is shown at. Stretching a skin image
// (halftone at a DPI above 100 %, a nine-grid to a window's size) costs far more than copying it, and
// the same background is drawn at the same size on every paint: it is stretched once and then copied.

#include <windows.h>

#include <cstddef>

#include "ui/support/UniqueHandle.h"

namespace Veneer {

class CScaledImageCache {
public:
    CScaledImageCache() = default;
    CScaledImageCache(const CScaledImageCache&) = delete;
    CScaledImageCache& operator=(const CScaledImageCache&) = delete;

    // The part of hSource laid out at size (corners kept, middle stretched or tiled), with premultiplied
    // alpha when bAlpha. A size is only made the second time it is asked for, so a destination that
    // changes on every paint (a growing progress bar) never fills the cache; nullptr then, or when the
    // picture cannot be made: the caller draws from the source. Never allocates beyond the picture itself.
    HBITMAP Get(HDC hRef, HBITMAP hSource, SIZE size, const RECT& rcPart, const RECT& rcCorners, bool bAlpha,
                bool xtiled, bool ytiled);
    // The source's pixels changed (a new hue, say): every picture made from them is stale.
    void Clear();
    // The memory the pictures made so far hold.
    size_t GetBytes() const;

private:
    struct Entry {
        SIZE size = {0, 0}; // 0 x 0: a free slot
        RECT part = {0, 0, 0, 0};
        RECT corners = {0, 0, 0, 0};
        bool alpha = false;
        bool xtiled = false;
        bool ytiled = false;
        unsigned long long lastUse = 0;
        CBitmapHandle picture; // empty until asked twice
    };
    // A window shows an image at a few sizes at most: its page, a resized frame, another DPI. Together they
    // hold no more than a full-screen picture or two.
    static const int kSlots = 6;
    static const size_t kMaxBytes = 32u << 20;

    Entry* Find(SIZE size, const RECT& rcPart, const RECT& rcCorners, bool bAlpha, bool xtiled, bool ytiled);
    Entry& SlotForNewSize();
    // Drops the pictures used longest ago (never keep's) until bytes more fit within kMaxBytes.
    void MakeRoom(size_t bytes, const Entry& keep);
    static bool Paint(Entry& entry, HDC hRef, HBITMAP hSource);

    Entry m_entries[kSlots];
    unsigned long long m_uses = 0;
};

} // namespace Veneer
