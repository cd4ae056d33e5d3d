#pragma once
// Pictures of one decoded image already drawn at the sizes it is shown at. Stretching a skin image
// (halftone at a DPI above 100 %, a nine-grid to a window's size) costs far more than copying it, and
// the same background is drawn at the same size on every paint: it is stretched once and then copied.

#include <windows.h>

#include <memory>
#include <vector>

namespace Veneer {

class CScaledImageCache {
public:
    CScaledImageCache();
    ~CScaledImageCache();
    CScaledImageCache(const CScaledImageCache&) = delete;
    CScaledImageCache& operator=(const CScaledImageCache&) = delete;

    // The part of hSource laid out at size (corners kept, middle stretched or tiled), with premultiplied
    // alpha when bAlpha. A size is only made the second time it is asked for, so a destination that
    // changes on every paint (a growing progress bar) never fills the cache; nullptr then, or when the
    // picture cannot be made: the caller draws from the source.
    HBITMAP Get(HDC hRef, HBITMAP hSource, SIZE size, const RECT& rcPart, const RECT& rcCorners, bool bAlpha,
                bool xtiled, bool ytiled);
    // The source's pixels changed (a new hue, say): every picture made from them is stale.
    void Clear();

private:
    struct Entry;
    Entry* Find(SIZE size, const RECT& rcPart, const RECT& rcCorners, bool bAlpha, bool xtiled, bool ytiled);
    void Remember(std::unique_ptr<Entry> entry);

    std::vector<std::unique_ptr<Entry>> m_entries; // most recently used first
};

} // namespace Veneer
