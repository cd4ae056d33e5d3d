#include "ui/core/UIRenderClip.h"

namespace Veneer {

CRenderClip::CRenderClip() : rcItem{0, 0, 0, 0}, hDC(nullptr) {}

CRenderClip::~CRenderClip()
{
    Reset();
}

void CRenderClip::Reset()
{
    if (hDC != nullptr && hOldRgn) ::SelectClipRgn(hDC, hOldRgn.Get());
    hOldRgn.Reset();
    hRgn.Reset();
    hDC = nullptr;
}

void CRenderClip::GenerateClip(HDC hDC, RECT rc, CRenderClip& clip)
{
    clip.Reset();
    RECT rcClip = {0, 0, 0, 0};
    ::GetClipBox(hDC, &rcClip);
    clip.hOldRgn.Reset(::CreateRectRgnIndirect(&rcClip));
    clip.hRgn.Reset(::CreateRectRgnIndirect(&rc));
    clip.rcItem = rc;
    clip.hDC = hDC;
    if (clip.hRgn) ::ExtSelectClipRgn(hDC, clip.hRgn.Get(), RGN_AND);
}

void CRenderClip::GenerateRoundClip(HDC hDC, RECT rc, RECT rcItem, int width, int height, CRenderClip& clip)
{
    clip.Reset();
    RECT rcClip = {0, 0, 0, 0};
    ::GetClipBox(hDC, &rcClip);
    clip.hOldRgn.Reset(::CreateRectRgnIndirect(&rcClip));
    clip.hRgn.Reset(::CreateRectRgnIndirect(&rc));
    CRgnHandle rgnItem(
        ::CreateRoundRectRgn(rcItem.left, rcItem.top, rcItem.right + 1, rcItem.bottom + 1, width, height));
    if (clip.hRgn && rgnItem) ::CombineRgn(clip.hRgn.Get(), clip.hRgn.Get(), rgnItem.Get(), RGN_AND);
    clip.rcItem = rc;
    clip.hDC = hDC;
    if (clip.hRgn) ::ExtSelectClipRgn(hDC, clip.hRgn.Get(), RGN_AND);
}

void CRenderClip::UseOldClipBegin(HDC hDC, CRenderClip& clip)
{
    ::SelectClipRgn(hDC, clip.hOldRgn.Get());
}

void CRenderClip::UseOldClipEnd(HDC hDC, CRenderClip& clip)
{
    // Back to the generated region, still bounded by the clip that was there before it.
    ::SelectClipRgn(hDC, clip.hOldRgn.Get());
    if (clip.hRgn) ::ExtSelectClipRgn(hDC, clip.hRgn.Get(), RGN_AND);
}

} // namespace Veneer
