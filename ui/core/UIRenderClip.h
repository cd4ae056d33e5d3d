#pragma once
// CRenderClip: a scoped clip region on a device. While it lives the device is clipped to
// the generated region (intersected with the clip that was there); its destructor puts
// the previous clip back and frees both regions.

#include <windows.h>

#include "ui/support/UniqueHandle.h"

namespace Veneer {

class CRenderClip {
public:
    CRenderClip();
    ~CRenderClip();
    CRenderClip(const CRenderClip&) = delete;
    CRenderClip& operator=(const CRenderClip&) = delete;

    RECT rcItem;
    HDC hDC;
    CRgnHandle hRgn;
    CRgnHandle hOldRgn;

    static void GenerateClip(HDC hDC, RECT rc, CRenderClip& clip);
    // rc intersected with a rounded rectangle (rcItem.left, rcItem.top, right + 1, bottom + 1),
    // corner ellipse width x height.
    static void GenerateRoundClip(HDC hDC, RECT rc, RECT rcItem, int width, int height, CRenderClip& clip);
    // Temporarily back to the previous clip, and again to the generated one.
    static void UseOldClipBegin(HDC hDC, CRenderClip& clip);
    static void UseOldClipEnd(HDC hDC, CRenderClip& clip);

private:
    void Reset();
};

} // namespace Veneer
