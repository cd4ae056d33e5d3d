#pragma once
// Internal to the render engine: run-time msimg32 entry points and the software blend that stands
// in for AlphaBlend.

#include <windows.h>

#include "ui/support/SelectObject.h"
#include "ui/support/UniqueHandle.h"

namespace Veneer {
namespace RenderDetail {

typedef BOOL(WINAPI* AlphaBlendFn)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
typedef BOOL(WINAPI* GradientFillFn)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// Null when the system lacks them or when the software paths are forced.
AlphaBlendFn GetAlphaBlend();
GradientFillFn GetGradientFill();
void SetSoftwareOnly(bool bSoftware);

// Blends src (stretched to dst) onto hDC: per-pixel premultiplied alpha when bPerPixel,
// times the constant alpha uFade. Uses AlphaBlend when present, else the software blend.
void Blend(HDC hDC, const RECT& rcDst, HDC hSrcDC, const RECT& rcSrc, BYTE uFade, bool bPerPixel);

// The software blend alone.
void SoftwareBlend(HDC hDC, const RECT& rcDst, HDC hSrcDC, const RECT& rcSrc, BYTE uFade, bool bPerPixel);

inline COLORREF ToColorRef(DWORD argb)
{
    return RGB(GetBValue(argb), GetGValue(argb), GetRValue(argb));
}

inline int Width(const RECT& rc) { return rc.right - rc.left; }
inline int Height(const RECT& rc) { return rc.bottom - rc.top; }

} // namespace RenderDetail
} // namespace Veneer
