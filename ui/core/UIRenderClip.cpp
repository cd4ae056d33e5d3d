#include "ui/core/UIRenderClip.h"

namespace Veneer {

CRenderClip::CRenderClip() : rcItem{0, 0, 0, 0}, hDC(nullptr), hRgn(nullptr), hOldRgn(nullptr) {}

CRenderClip::~CRenderClip()
{
    Reset();
}

void CRenderClip::Reset()
{
    if (hDC != nullptr && hOldRgn != nullptr) ::SelectClipRgn(hDC, hOldRgn);
    if (hOldRgn != nullptr) ::DeleteObject(hOldRgn);
    if (hRgn != nullptr) ::DeleteObject(hRgn);
    hOldRgn = nullptr;
    hRgn = nullptr;
    hDC = nullptr;
}

void CRenderClip::GenerateClip(HDC hDC, RECT rc, CRenderClip& clip)
{
    clip.Reset();
    RECT rcClip = {0, 0, 0, 0};
    ::GetClipBox(hDC, &rcClip);
    clip.hOldRgn = ::CreateRectRgnIndirect(&rcClip);
    clip.hRgn = ::CreateRectRgnIndirect(&rc);
    clip.rcItem = rc;
    clip.hDC = hDC;
    if (clip.hRgn != nullptr) ::ExtSelectClipRgn(hDC, clip.hRgn, RGN_AND);
}

void CRenderClip::GenerateRoundClip(HDC hDC, RECT rc, RECT rcItem, int width, int height, CRenderClip& clip)
{
    clip.Reset();
    RECT rcClip = {0, 0, 0, 0};
    ::GetClipBox(hDC, &rcClip);
    clip.hOldRgn = ::CreateRectRgnIndirect(&rcClip);
    clip.hRgn = ::CreateRectRgnIndirect(&rc);
    HRGN hRgnItem = ::CreateRoundRectRgn(rcItem.left, rcItem.top, rcItem.right + 1, rcItem.bottom + 1, width, height);
    if (clip.hRgn != nullptr && hRgnItem != nullptr) ::CombineRgn(clip.hRgn, clip.hRgn, hRgnItem, RGN_AND);
    if (hRgnItem != nullptr) ::DeleteObject(hRgnItem);
    clip.rcItem = rc;
    clip.hDC = hDC;
    if (clip.hRgn != nullptr) ::ExtSelectClipRgn(hDC, clip.hRgn, RGN_AND);
}

void CRenderClip::UseOldClipBegin(HDC hDC, CRenderClip& clip)
{
    ::SelectClipRgn(hDC, clip.hOldRgn);
}

void CRenderClip::UseOldClipEnd(HDC hDC, CRenderClip& clip)
{
    // Back to the generated region, still bounded by the clip that was there before it.
    ::SelectClipRgn(hDC, clip.hOldRgn);
    if (clip.hRgn != nullptr) ::ExtSelectClipRgn(hDC, clip.hRgn, RGN_AND);
}

} // namespace Veneer
