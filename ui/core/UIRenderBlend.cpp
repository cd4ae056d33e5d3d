#include <atomic>

#include "ui/core/UIRender.h"
#include "ui/core/UIRenderPlatform.h"

namespace Veneer {
namespace RenderDetail {

namespace {

struct Msimg32Entries {
    AlphaBlendFn pAlphaBlend = nullptr;
    GradientFillFn pGradientFill = nullptr;
};

// Looked up once per process; the function-local static makes the first use thread-safe.
const Msimg32Entries& Entries()
{
    static const Msimg32Entries entries = [] {
        Msimg32Entries e;
        HMODULE hModule = ::LoadLibraryExW(L"msimg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (hModule != nullptr) {
            e.pAlphaBlend = reinterpret_cast<AlphaBlendFn>(
                reinterpret_cast<void*>(::GetProcAddress(hModule, "AlphaBlend")));
            e.pGradientFill = reinterpret_cast<GradientFillFn>(
                reinterpret_cast<void*>(::GetProcAddress(hModule, "GradientFill")));
        }
        return e;
    }();
    return entries;
}

std::atomic<bool> g_bSoftwareOnly(false);

HBITMAP CreateBuffer(HDC hRef, int cx, int cy, DWORD** ppBits)
{
    BYTE* pBits = nullptr;
    HBITMAP hBitmap = CRenderEngine::CreateARGB32Bitmap(hRef, cx, cy, &pBits);
    *ppBits = reinterpret_cast<DWORD*>(pBits);
    return hBitmap;
}

inline DWORD Mix(DWORD src, DWORD dst, UINT fade, UINT inverse)
{
    DWORD out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        UINT s = (src >> shift) & 0xFF;
        UINT d = (dst >> shift) & 0xFF;
        UINT v = (s * fade + d * inverse) / 255;
        out |= static_cast<DWORD>(v > 255 ? 255 : v) << shift;
    }
    return out;
}

} // namespace

AlphaBlendFn GetAlphaBlend()
{
    return g_bSoftwareOnly ? nullptr : Entries().pAlphaBlend;
}

GradientFillFn GetGradientFill()
{
    return g_bSoftwareOnly ? nullptr : Entries().pGradientFill;
}

void SetSoftwareOnly(bool bSoftware)
{
    g_bSoftwareOnly = bSoftware;
}

void Blend(HDC hDC, const RECT& rcDst, HDC hSrcDC, const RECT& rcSrc, BYTE uFade, bool bPerPixel)
{
    if (Width(rcDst) <= 0 || Height(rcDst) <= 0 || Width(rcSrc) <= 0 || Height(rcSrc) <= 0) return;
    AlphaBlendFn pAlphaBlend = GetAlphaBlend();
    if (pAlphaBlend == nullptr) {
        SoftwareBlend(hDC, rcDst, hSrcDC, rcSrc, uFade, bPerPixel);
        return;
    }
    // A refused blend (a source outside the bitmap, say) draws nothing, as on any system.
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, uFade, static_cast<BYTE>(bPerPixel ? AC_SRC_ALPHA : 0)};
    pAlphaBlend(hDC, rcDst.left, rcDst.top, Width(rcDst), Height(rcDst), hSrcDC, rcSrc.left, rcSrc.top, Width(rcSrc),
                Height(rcSrc), bf);
}

// Source-over with premultiplied colour, as AlphaBlend computes it:
// dst = src * fade + dst * (1 - fade * srcAlpha).
void SoftwareBlend(HDC hDC, const RECT& rcDst, HDC hSrcDC, const RECT& rcSrc, BYTE uFade, bool bPerPixel)
{
    const int cx = Width(rcDst);
    const int cy = Height(rcDst);
    if (cx <= 0 || cy <= 0 || Width(rcSrc) <= 0 || Height(rcSrc) <= 0) return;

    DWORD* pSrc = nullptr;
    DWORD* pDst = nullptr;
    CBitmapHandle bmpSrc(CreateBuffer(hDC, cx, cy, &pSrc));
    CBitmapHandle bmpDst(CreateBuffer(hDC, cx, cy, &pDst));
    if (bmpSrc.Get() == nullptr || bmpDst.Get() == nullptr) return;
    CMemoryDC dcSrc(::CreateCompatibleDC(hDC));
    CMemoryDC dcDst(::CreateCompatibleDC(hDC));
    if (dcSrc.Get() == nullptr || dcDst.Get() == nullptr) return;
    CSelectObject selSrc(dcSrc.Get(), bmpSrc.Get());
    CSelectObject selDst(dcDst.Get(), bmpDst.Get());

    if (cx == Width(rcSrc) && cy == Height(rcSrc)) {
        ::BitBlt(dcSrc.Get(), 0, 0, cx, cy, hSrcDC, rcSrc.left, rcSrc.top, SRCCOPY);
    } else {
        ::SetStretchBltMode(dcSrc.Get(), COLORONCOLOR);
        ::StretchBlt(dcSrc.Get(), 0, 0, cx, cy, hSrcDC, rcSrc.left, rcSrc.top, Width(rcSrc), Height(rcSrc),
                     SRCCOPY);
    }
    ::BitBlt(dcDst.Get(), 0, 0, cx, cy, hDC, rcDst.left, rcDst.top, SRCCOPY);
    ::GdiFlush();

    const UINT fade = uFade;
    const size_t count = static_cast<size_t>(cx) * static_cast<size_t>(cy);
    for (size_t i = 0; i < count; ++i) {
        const DWORD src = pSrc[i];
        const UINT srcAlpha = bPerPixel ? (src >> 24) : 255;
        const UINT coverage = fade * srcAlpha / 255;
        pDst[i] = Mix(src, pDst[i], fade, 255 - coverage);
    }
    ::BitBlt(hDC, rcDst.left, rcDst.top, cx, cy, dcDst.Get(), 0, 0, SRCCOPY);
}

} // namespace RenderDetail

void CRenderEngine::ForceSoftwareBlend(bool bForce)
{
    RenderDetail::SetSoftwareOnly(bForce);
}

} // namespace Veneer
