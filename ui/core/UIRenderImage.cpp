// Image loading (raster through stb_image, SVG through nanosvg) and the nine-grid blit.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tchar.h>

#include <atomic>
#include <cmath>
#include <new>
#include <memory>
#include <vector>

#include "stb_image.h"
#include "nanosvg.h"
#include "nanosvgrast.h"

#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"
#include "ui/core/UIScaledImageCache.h"
#include "ui/core/UIRenderPlatform.h"
#include "ui/core/UIResourceManager.h"

namespace Veneer {

using namespace RenderDetail;

namespace {

std::atomic<LONG> g_nDecodeCount(0);
std::atomic<LONG> g_nParseCount(0);

struct StbFree {
    void operator()(unsigned char* p) const { stbi_image_free(p); }
};
struct SvgImageFree {
    void operator()(NSVGimage* p) const { nsvgDelete(p); }
};
struct SvgRasterizerFree {
    void operator()(NSVGrasterizer* p) const { nsvgDeleteRasterizer(p); }
};

// RGBA (straight alpha) -> premultiplied BGRA DIB; pixels equal to the mask become 0.
TImageInfo* BuildImage(const unsigned char* pRGBA, int width, int height, DWORD mask)
{
    if (pRGBA == nullptr || width <= 0 || height <= 0) return nullptr;
    BYTE* pDest = nullptr;
    CBitmapHandle bitmap(CRenderEngine::CreateARGB32Bitmap(nullptr, width, height, &pDest));
    if (!bitmap || pDest == nullptr) return nullptr;
    bool bAlpha = false;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    DWORD* pOut = reinterpret_cast<DWORD*>(pDest);
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* px = pRGBA + i * 4;
        UINT r = px[0], g = px[1], b = px[2], a = px[3];
        if (a != 255) {
            r = r * a / 255;
            g = g * a / 255;
            b = b * a / 255;
            bAlpha = true;
        }
        DWORD value = (static_cast<DWORD>(a) << 24) | (r << 16) | (g << 8) | b;
        if (value == mask) {
            value = 0;
            bAlpha = true;
        }
        pOut[i] = value;
    }
    TImageInfo* pInfo = new (std::nothrow) TImageInfo;
    if (pInfo == nullptr) return nullptr;
    pInfo->hBitmap = bitmap.Release();
    pInfo->pBits = pDest;
    pInfo->nX = width;
    pInfo->nY = height;
    pInfo->bAlpha = bAlpha;
    pInfo->dwMask = mask;
    g_nDecodeCount++;
    return pInfo;
}

// nanosvg keeps colours as 0xAABBGGRR.
unsigned int ToSvgColor(DWORD argb)
{
    return 0xFF000000u | ((argb & 0xFF) << 16) | (argb & 0xFF00) | ((argb >> 16) & 0xFF);
}

// The raster size and scale of an SVG: its own size, fitted to a requested width, or
// following the DPI. False when that is not a sane image size; sizes are checked in double
// before any conversion to int, so huge or non-finite values never overflow.
bool SvgRasterSize(float svgW, float svgH, int width, int height, CPaintManagerUI* pManager, int& w, int& h,
                   float& scale)
{
    if (!(svgW >= 1.0f && svgH >= 1.0f && std::isfinite(svgW) && std::isfinite(svgH))) return false;
    if (width > 0 && height > 0) {
        // Fit to the requested width; the height only enables the fit.
        scale = static_cast<float>(width) / svgW;
        const float exactH = scale * svgH;
        if (!CRenderEngine::IsImageSizeAllowed(width, exactH)) return false;
        w = width;
        h = static_cast<int>(exactH);
        if (exactH != static_cast<float>(h) && h > 0) {
            scale = static_cast<float>(h) / svgH;
            w = static_cast<int>(scale * svgW);
        }
    } else {
        if (pManager != nullptr && pManager->GetDPIObj() != nullptr) scale = pManager->GetDPIObj()->GetScale() / 100.0f;
        if (!CRenderEngine::IsImageSizeAllowed(static_cast<double>(svgW) * scale, static_cast<double>(svgH) * scale)) {
            return false;
        }
        w = static_cast<int>(svgW * scale);
        h = static_cast<int>(svgH * scale);
    }
    return w > 0 && h > 0 && CRenderEngine::IsImageSizeAllowed(w, h);
}

TImageInfo* LoadSvg(const BYTE* pData, DWORD dwSize, DWORD mask, int width, int height, DWORD fillcolor,
                    CPaintManagerUI* pManager)
{
    std::vector<char> text(pData, pData + dwSize);
    text.push_back('\0');
    std::unique_ptr<NSVGimage, SvgImageFree> svg(nsvgParse(text.data(), "px", 96.0f));
    if (!svg) return nullptr;
    if (fillcolor != 0) {
        for (NSVGshape* shape = svg->shapes; shape != nullptr; shape = shape->next) {
            if (shape->fill.type == NSVG_PAINT_COLOR && shape->fill.color != 0) shape->fill.color = ToSvgColor(fillcolor);
        }
    }
    int w = 0, h = 0;
    float scale = 1.0f;
    if (!SvgRasterSize(svg->width, svg->height, width, height, pManager, w, h, scale)) return nullptr;
    std::unique_ptr<NSVGrasterizer, SvgRasterizerFree> rast(nsvgCreateRasterizer());
    if (!rast) return nullptr;
    std::vector<unsigned char> rgba(static_cast<size_t>(w) * static_cast<size_t>(h) * 4, 0);
    nsvgRasterize(rast.get(), svg.get(), 0, 0, scale, rgba.data(), w, h, w * 4);
    return BuildImage(rgba.data(), w, h, mask);
}

bool IsAllZero(const RECT& rc)
{
    return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0;
}

bool Meets(const RECT& a, const RECT& b)
{
    RECT rcTemp;
    return ::IntersectRect(&rcTemp, &a, &b) != FALSE;
}

// One cell of the nine-grid: blended, or copied opaque.
class CCellPainter {
public:
    CCellPainter(HDC hDC, HDC hSrcDC, const RECT& rcPaint, bool bBlend, BYTE uFade)
        : m_hDC(hDC), m_hSrcDC(hSrcDC), m_rcPaint(rcPaint), m_bBlend(bBlend), m_uFade(uFade)
    {
    }

    void Draw(const RECT& rcDst, const RECT& rcSrc) const
    {
        if (Width(rcDst) <= 0 || Height(rcDst) <= 0 || Width(rcSrc) <= 0 || Height(rcSrc) <= 0) return;
        if (!Meets(rcDst, m_rcPaint)) return;
        if (m_bBlend) {
            Blend(m_hDC, rcDst, m_hSrcDC, rcSrc, m_uFade, true);
        } else if (Width(rcDst) == Width(rcSrc) && Height(rcDst) == Height(rcSrc)) {
            ::BitBlt(m_hDC, rcDst.left, rcDst.top, Width(rcDst), Height(rcDst), m_hSrcDC, rcSrc.left, rcSrc.top,
                     SRCCOPY);
        } else {
            ::StretchBlt(m_hDC, rcDst.left, rcDst.top, Width(rcDst), Height(rcDst), m_hSrcDC, rcSrc.left,
                         rcSrc.top, Width(rcSrc), Height(rcSrc), SRCCOPY);
        }
    }

    // The middle cell laid as tiles of the source's size; the last tile of a row or column
    // is cut (its source narrowed), never squeezed.
    void DrawTiled(const RECT& rcDst, const RECT& rcSrc, bool xtiled, bool ytiled) const
    {
        const int tileW = Width(rcSrc);
        const int tileH = Height(rcSrc);
        if (tileW <= 0 || tileH <= 0 || Width(rcDst) <= 0 || Height(rcDst) <= 0) return;
        const int stepW = xtiled ? tileW : Width(rcDst);
        const int stepH = ytiled ? tileH : Height(rcDst);
        for (int y = rcDst.top; y < rcDst.bottom; y += stepH) {
            for (int x = rcDst.left; x < rcDst.right; x += stepW) {
                RECT dst = {x, y, x + stepW, y + stepH};
                RECT src = rcSrc;
                if (dst.right > rcDst.right) {
                    dst.right = rcDst.right;
                    if (xtiled) src.right = src.left + Width(dst);
                }
                if (dst.bottom > rcDst.bottom) {
                    dst.bottom = rcDst.bottom;
                    if (ytiled) src.bottom = src.top + Height(dst);
                }
                Draw(dst, src);
            }
        }
    }

private:
    HDC m_hDC;
    HDC m_hSrcDC;
    RECT m_rcPaint;
    bool m_bBlend;
    BYTE m_uFade;
};

// One column or row of the grid: its span in the destination and in the source, and whether
// it is drawn at all (a border of width 0 is not).
struct GridBand {
    LONG dst0, dst1, src0, src1;
    bool present;
};

void DrawNineGrid(const CCellPainter& painter, const RECT& rc, const RECT& bmp, const RECT& c, bool hole,
                  bool xtiled, bool ytiled)
{
    const RECT dstMid = {rc.left + c.left, rc.top + c.top, rc.right - c.right, rc.bottom - c.bottom};
    const RECT srcMid = {bmp.left + c.left, bmp.top + c.top, bmp.right - c.right, bmp.bottom - c.bottom};
    if (!hole) {
        if (xtiled || ytiled) painter.DrawTiled(dstMid, srcMid, xtiled, ytiled);
        else painter.Draw(dstMid, srcMid);
    }
    const GridBand cols[3] = {{rc.left, dstMid.left, bmp.left, srcMid.left, c.left > 0},
                              {dstMid.left, dstMid.right, srcMid.left, srcMid.right, true},
                              {dstMid.right, rc.right, srcMid.right, bmp.right, c.right > 0}};
    const GridBand rows[3] = {{rc.top, dstMid.top, bmp.top, srcMid.top, c.top > 0},
                              {dstMid.top, dstMid.bottom, srcMid.top, srcMid.bottom, true},
                              {dstMid.bottom, rc.bottom, srcMid.bottom, bmp.bottom, c.bottom > 0}};
    // Corners need both of their widths, edges their one; the middle was drawn above.
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if ((row == 1 && col == 1) || !rows[row].present || !cols[col].present) continue;
            painter.Draw(RECT{cols[col].dst0, rows[row].dst0, cols[col].dst1, rows[row].dst1},
                         RECT{cols[col].src0, rows[row].src0, cols[col].src1, rows[row].src1});
        }
    }
}

// Places a span of the given size centred in, or at the far end of, the item's span.
void AlignSpan(LONG& lo, LONG& hi, LONG itemLo, LONG itemHi, int size, bool centre, bool atEnd)
{
    if (atEnd) {
        lo = itemHi - size;
        hi = itemHi;
    } else if (centre) {
        lo = itemLo + (itemHi - itemLo - size) / 2;
        hi = lo + size;
    }
}

// Destination of a descriptor inside the item: offsets, alignment, padding, clipping.
RECT ResolveDest(const RECT& rcItem, const TDrawInfo& info)
{
    RECT rcDest = rcItem;
    const RECT& d = info.rcDest;
    if (!IsAllZero(d)) {
        rcDest.left = rcItem.left + d.left;
        rcDest.top = rcItem.top + d.top;
        rcDest.right = rcItem.left + d.right;
        if (rcDest.right > rcItem.right) rcDest.right = rcItem.right;
        rcDest.bottom = rcItem.top + d.bottom;
        if (rcDest.bottom > rcItem.bottom) rcDest.bottom = rcItem.bottom;
    }
    // Alignment places a destination of the descriptor's size; without one there is no
    // size to place and the image keeps filling the item.
    const int w = d.right - d.left;
    const int height = d.bottom - d.top;
    const UINT uAlign = IsAllZero(d) ? 0 : info.uAlign;
    const UINT h = uAlign & DRAWINFO_ALIGN_HMASK;
    const UINT v = uAlign & DRAWINFO_ALIGN_VMASK;
    AlignSpan(rcDest.left, rcDest.right, rcItem.left, rcItem.right, w, h == DRAWINFO_ALIGN_CENTER, h == DRAWINFO_ALIGN_RIGHT);
    AlignSpan(rcDest.top, rcDest.bottom, rcItem.top, rcItem.bottom, height, v == DRAWINFO_ALIGN_VCENTER, v == DRAWINFO_ALIGN_BOTTOM);
    ::OffsetRect(&rcDest, info.rcPadding.left, info.rcPadding.top);
    ::OffsetRect(&rcDest, -info.rcPadding.right, -info.rcPadding.bottom);
    if (rcDest.right > rcItem.right) rcDest.right = rcItem.right;
    if (rcDest.bottom > rcItem.bottom) rcDest.bottom = rcItem.bottom;
    return rcDest;
}

// iconsize='w,h' and iconalign='...' are read straight from the descriptor texts.
void ReadIconKeys(LPCTSTR pStr, SIZE& size, CUIString& align)
{
    if (pStr == nullptr) return;
    CUIString text(pStr);
    int pos = text.Find(_T("iconsize='"));
    if (pos >= 0) {
        LPCTSTR p = text.GetData() + pos + 10;
        LPTSTR pEnd = nullptr;
        size.cx = _tcstol(p, &pEnd, 10);
        if (pEnd != p && *pEnd != 0 && *pEnd != _T('\'')) size.cy = _tcstol(pEnd + 1, nullptr, 10);
    }
    pos = text.Find(_T("iconalign='"));
    if (pos >= 0) {
        int start = pos + 11;
        int end = text.Find(_T('\''), start);
        if (end > start) align = text.Mid(start, end - start);
    }
}

// Draws a stretched or tiled image from its picture at the destination's size, made once and kept with
// the image: a copy (or one blend) instead of stretching on every paint. False when there is no such
// picture (the image is drawn 1:1 anyway, or the size is new): the caller draws from the source.
bool DrawScaledPicture(HDC hDC, const TImageInfo& image, const RECT& rcDest, const RECT& rcPaint,
                       const RECT& rcSource, const TDrawInfo& info, bool bAlpha)
{
    const SIZE size = {Width(rcDest), Height(rcDest)};
    const bool bStretched = size.cx != Width(rcSource) || size.cy != Height(rcSource);
    if (!bStretched && !info.bTiledX && !info.bTiledY) return false;
    if (!image.pScaled) image.pScaled.reset(new (std::nothrow) CScaledImageCache());
    if (!image.pScaled) return false;
    HBITMAP hPicture =
        image.pScaled->Get(hDC, image.hBitmap, size, rcSource, info.rcCorner, bAlpha, info.bTiledX, info.bTiledY);
    if (hPicture == nullptr) return false;
    // The picture is already at size: only a hole still needs the corners, to leave the middle out.
    const RECT rcPicture = {0, 0, size.cx, size.cy};
    CRenderEngine::DrawImage(hDC, hPicture, rcDest, rcPaint, rcPicture, info.bHole ? info.rcCorner : RECT{0, 0, 0, 0},
                             bAlpha, info.uFade, info.bHole, false, false);
    return true;
}

} // namespace

// ---- colours ---------------------------------------------------------------------------

namespace {

void RGBtoHSL(DWORD argb, float* H, float* S, float* L)
{
    const float r = ((argb >> 16) & 0xFF) / 255.0f;
    const float g = ((argb >> 8) & 0xFF) / 255.0f;
    const float b = (argb & 0xFF) / 255.0f;
    const float mx = r > g ? (r > b ? r : b) : (g > b ? g : b);
    const float mn = r < g ? (r < b ? r : b) : (g < b ? g : b);
    *L = (mx + mn) / 2.0f;
    if (mx == mn) {
        *H = 0.0f;
        *S = 0.0f;
        return;
    }
    const float delta = mx - mn;
    *S = *L < 0.5f ? delta / (mx + mn) : delta / (2.0f - mx - mn);
    float h;
    if (mx == r) h = (g - b) / delta + (g < b ? 6.0f : 0.0f);
    else if (mx == g) h = (b - r) / delta + 2.0f;
    else h = (r - g) / delta + 4.0f;
    *H = h * 60.0f;
}

float HueToChannel(float p, float q, float t)
{
    if (t < 0.0f) t += 1.0f;
    if (t > 1.0f) t -= 1.0f;
    if (t < 1.0f / 6.0f) return p + (q - p) * 6.0f * t;
    if (t < 0.5f) return q;
    if (t < 2.0f / 3.0f) return p + (q - p) * (2.0f / 3.0f - t) * 6.0f;
    return p;
}

DWORD HSLtoRGB(DWORD alpha, float H, float S, float L)
{
    float r, g, b;
    if (S <= 0.0f) {
        r = g = b = L;
    } else {
        const float q = L < 0.5f ? L * (1.0f + S) : L + S - L * S;
        const float p = 2.0f * L - q;
        const float h = H / 360.0f;
        r = HueToChannel(p, q, h + 1.0f / 3.0f);
        g = HueToChannel(p, q, h);
        b = HueToChannel(p, q, h - 1.0f / 3.0f);
    }
    auto toByte = [](float v) -> DWORD {
        int i = static_cast<int>(v * 255.0f + 0.5f);
        return static_cast<DWORD>(i < 0 ? 0 : (i > 255 ? 255 : i));
    };
    return alpha | (toByte(r) << 16) | (toByte(g) << 8) | toByte(b);
}

} // namespace

DWORD CRenderEngine::AdjustColor(DWORD dwColor, short H, short S, short L)
{
    if (H == 180 && S == 100 && L == 100) return dwColor;
    float fH, fS, fL;
    RGBtoHSL(dwColor, &fH, &fS, &fL);
    fH += static_cast<float>(H - 180);
    if (fH <= 0.0f) fH += 360.0f;
    if (fH > 360.0f) fH -= 360.0f;
    fS = fS * S / 100.0f;
    if (fS > 1.0f) fS = 1.0f;
    fL = fL * L / 100.0f;
    if (fL > 1.0f) fL = 1.0f;
    return HSLtoRGB(dwColor & 0xFF000000, fH, fS, fL);
}

void CRenderEngine::CheckAlphaColor(DWORD& dwColor)
{
    if ((dwColor & 0x00FFFFFF) == 0) dwColor += 1;
}

HBITMAP CRenderEngine::CreateARGB32Bitmap(HDC hDC, int cx, int cy, BYTE** pBits)
{
    if (pBits != nullptr) *pBits = nullptr;
    if (cx <= 0 || cy <= 0) return nullptr;
    // The byte count must fit the header's 32-bit field and the address space.
    const ULONGLONG bytes = static_cast<ULONGLONG>(cx) * static_cast<ULONGLONG>(cy) * 4;
    if (bytes > 0x7FFFFFFFull) return nullptr;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    bmi.bmiHeader.biSizeImage = static_cast<DWORD>(bytes);
    void* pvBits = nullptr;
    HBITMAP hBitmap = ::CreateDIBSection(hDC, &bmi, DIB_RGB_COLORS, &pvBits, nullptr, 0);
    if (hBitmap == nullptr) return nullptr;
    if (pBits != nullptr) *pBits = static_cast<BYTE*>(pvBits);
    return hBitmap;
}

bool CRenderEngine::IsImageSizeAllowed(double cx, double cy)
{
    // Written so NaN fails every comparison and is refused.
    if (!(cx >= 1.0 && cy >= 1.0 && cx <= kMaxImageSide && cy <= kMaxImageSide)) return false;
    return cx * cy <= static_cast<double>(kMaxImagePixels);
}

bool CRenderEngine::KeepSourcePixels(TImageInfo* imageInfo)
{
    if (imageInfo == nullptr || imageInfo->hBitmap == nullptr) return false;
    if (imageInfo->pSrcBits != nullptr) return true;
    if (imageInfo->pBits == nullptr) {
        DIBSECTION ds = {};
        if (::GetObject(imageInfo->hBitmap, sizeof(ds), &ds) != sizeof(ds) || ds.dsBm.bmBits == nullptr) return false;
        imageInfo->pBits = static_cast<LPBYTE>(ds.dsBm.bmBits);
    }
    const size_t bytes = static_cast<size_t>(imageInfo->nX) * static_cast<size_t>(imageInfo->nY) * 4;
    imageInfo->pSrcBits = new (std::nothrow) BYTE[bytes];
    if (imageInfo->pSrcBits == nullptr) return false;
    ::GdiFlush();
    memcpy(imageInfo->pSrcBits, imageInfo->pBits, bytes);
    return true;
}

void CRenderEngine::AdjustImage(bool bUseHSL, TImageInfo* imageInfo, short H, short S, short L)
{
    if (imageInfo == nullptr || !imageInfo->bUseHSL) return;
    if (!KeepSourcePixels(imageInfo)) return;
    const size_t count = static_cast<size_t>(imageInfo->nX) * static_cast<size_t>(imageInfo->nY);
    const DWORD* pSrc = reinterpret_cast<const DWORD*>(imageInfo->pSrcBits);
    DWORD* pDst = reinterpret_cast<DWORD*>(imageInfo->pBits);
    ::GdiFlush();
    if (imageInfo->pScaled) imageInfo->pScaled->Clear();
    if (!bUseHSL) {
        memcpy(pDst, pSrc, count * 4);
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        const DWORD px = pSrc[i];
        const DWORD a = px >> 24;
        if (a == 0) {
            pDst[i] = px;
            continue;
        }
        // Adjust the straight colour, then premultiply again.
        DWORD r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
        if (a != 255) {
            r = r * 255 / a;
            g = g * 255 / a;
            b = b * 255 / a;
        }
        const DWORD adjusted = AdjustColor(0xFF000000 | (r << 16) | (g << 8) | b, H, S, L);
        r = ((adjusted >> 16) & 0xFF) * a / 255;
        g = ((adjusted >> 8) & 0xFF) * a / 255;
        b = (adjusted & 0xFF) * a / 255;
        pDst[i] = (a << 24) | (r << 16) | (g << 8) | b;
    }
}

// ---- loading ---------------------------------------------------------------------------

TImageInfo* CRenderEngine::LoadImage(STRINGorID bitmap, LPCTSTR type, DWORD mask, int width, int height,
                                     DWORD fillcolor, CPaintManagerUI* pManager, HINSTANCE instance)
{
    CUIString sMapped;
    STRINGorID source = bitmap;
    if ((type == nullptr || *type == 0) && !bitmap.IsId() && bitmap.m_lpstr != nullptr) {
        LPCTSTR pMapped = CResourceManager::GetInstance()->GetImagePath(bitmap.m_lpstr);
        if (pMapped != nullptr && *pMapped != 0) {
            sMapped = pMapped;
            source = STRINGorID(sMapped.GetData());
        }
    }
    if (!source.IsId() && (source.m_lpstr == nullptr || *source.m_lpstr == 0)) return nullptr;
    LPBYTE pData = nullptr;
    int size = LoadImage2Memory(source, (type != nullptr && *type != 0) ? type : nullptr, pData, instance);
    if (pData == nullptr) return nullptr;
    TImageInfo* pInfo = size > 0
                            ? LoadImageFromMemory(pData, static_cast<DWORD>(size), mask, width, height, fillcolor, pManager)
                            : nullptr;
    FreeMemory(pData);
    return pInfo;
}

TImageInfo* CRenderEngine::LoadImageFromMemory(const BYTE* pData, DWORD dwSize, DWORD mask, int width, int height,
                                               DWORD fillcolor, CPaintManagerUI* pManager)
{
    if (pData == nullptr || dwSize == 0 || dwSize > 0x7FFFFFFF) return nullptr;
    int x = 0, y = 0, n = 0;
    // A raster header is believed only after its size passed: a tiny file may claim gigapixels.
    if (stbi_info_from_memory(pData, static_cast<int>(dwSize), &x, &y, &n)) {
        if (!IsImageSizeAllowed(x, y)) return nullptr;
        std::unique_ptr<unsigned char, StbFree> rgba(
            stbi_load_from_memory(pData, static_cast<int>(dwSize), &x, &y, &n, 4));
        if (rgba) return BuildImage(rgba.get(), x, y, mask);
    }
    // Loading runs inside painting: running out of memory is a failed load, never an exception.
    try {
        return LoadSvg(pData, dwSize, mask, width, height, fillcolor, pManager);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool CRenderEngine::LoadGifImageFromMemory(const BYTE* pData, DWORD dwSize, CStdPtrArray& frames)
{
    if (pData == nullptr || dwSize == 0 || dwSize > 0x7FFFFFFF) return false;
    int* pDelays = nullptr;
    int x = 0, y = 0, z = 0, comp = 0;
    int x0 = 0, y0 = 0, n0 = 0;
    if (!stbi_info_from_memory(pData, static_cast<int>(dwSize), &x0, &y0, &n0) || !IsImageSizeAllowed(x0, y0)) {
        return false;
    }
    std::unique_ptr<unsigned char, StbFree> pixels(
        stbi_load_gif_from_memory(pData, static_cast<int>(dwSize), &pDelays, &x, &y, &z, &comp, 4));
    std::unique_ptr<int, void (*)(int*)> delays(pDelays, [](int* p) { stbi_image_free(p); });
    if (!pixels || x <= 0 || y <= 0 || z <= 0 || !IsImageSizeAllowed(x, y)) return false;
    const size_t frameBytes = static_cast<size_t>(x) * static_cast<size_t>(y) * 4;
    for (int i = 0; i < z; ++i) {
        TImageInfo* pFrame = BuildImage(pixels.get() + frameBytes * i, x, y, 0);
        if (pFrame == nullptr) return false;
        pFrame->delay = pDelays != nullptr ? pDelays[i] : 0;
        if (!frames.Add(pFrame)) {
            delete pFrame;
            return false;
        }
    }
    return true;
}

void CRenderEngine::FreeImage(TImageInfo* bitmap, bool bDelete)
{
    if (bitmap == nullptr) return;
    bitmap->Release();
    if (bDelete) delete bitmap;
}

// ---- drawing ---------------------------------------------------------------------------

void CRenderEngine::DrawImage(HDC hDC, HBITMAP hBitmap, const RECT& rc, const RECT& rcPaint, const RECT& rcBmpPart,
                              const RECT& rcCorners, bool bAlpha, BYTE uFade, bool hole, bool xtiled, bool ytiled)
{
    if (hDC == nullptr || hBitmap == nullptr) return;
    CMemoryDC memDC(::CreateCompatibleDC(hDC));
    if (memDC.Get() == nullptr) return;
    CSelectObject select(memDC.Get(), hBitmap);
    const int oldMode = ::SetStretchBltMode(hDC, HALFTONE);
    POINT oldOrigin;
    ::SetBrushOrgEx(hDC, 0, 0, &oldOrigin);

    const bool bBlend = bAlpha || uFade < 255;
    // With no corners the middle cell is the whole picture, so a hole leaves nothing to copy.
    const bool bPlainCopy = !bBlend && !hole && Width(rc) == Width(rcBmpPart) && Height(rc) == Height(rcBmpPart) &&
                            IsAllZero(rcCorners);
    if (bPlainCopy) {
        RECT rcTemp;
        if (::IntersectRect(&rcTemp, &rcPaint, &rc)) {
            ::BitBlt(hDC, rcTemp.left, rcTemp.top, Width(rcTemp), Height(rcTemp), memDC.Get(),
                     rcBmpPart.left + rcTemp.left - rc.left, rcBmpPart.top + rcTemp.top - rc.top, SRCCOPY);
        }
    } else {
        CCellPainter painter(hDC, memDC.Get(), rcPaint, bBlend, uFade);
        DrawNineGrid(painter, rc, rcBmpPart, rcCorners, hole, xtiled, ytiled);
    }
    ::SetBrushOrgEx(hDC, oldOrigin.x, oldOrigin.y, nullptr);
    if (oldMode != 0) ::SetStretchBltMode(hDC, oldMode);
}

bool CRenderEngine::DrawImageInfo(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                                  const TDrawInfo* pDrawInfo, HINSTANCE instance)
{
    if (pManager == nullptr || hDC == nullptr || pDrawInfo == nullptr) return false;
    const RECT rcDest = ResolveDest(rcItem, *pDrawInfo);
    if (pDrawInfo->sImageName.IsEmpty()) return false;
    const TImageInfo* pImage = pManager->GetImageEx(
        pDrawInfo->sImageName, pDrawInfo->sResType.IsEmpty() ? nullptr : pDrawInfo->sResType.GetData(),
        pDrawInfo->dwMask, pDrawInfo->width, pDrawInfo->height, pDrawInfo->fillcolor, false, instance);
    if (pImage == nullptr || pImage->hBitmap == nullptr) return false;

    RECT rcSource = pDrawInfo->rcSource;
    if (IsAllZero(rcSource)) rcSource = RECT{0, 0, pImage->nX, pImage->nY};
    if (rcSource.right > pImage->nX) rcSource.right = pImage->nX;
    if (rcSource.bottom > pImage->nY) rcSource.bottom = pImage->nY;

    if (!Meets(rcDest, rcItem)) return true;
    if (Meets(rcDest, rcPaint)) {
        const bool bAlpha = pManager->IsLayered() || pImage->bAlpha;
        if (!DrawScaledPicture(hDC, *pImage, rcDest, rcPaint, rcSource, *pDrawInfo, bAlpha)) {
            DrawImage(hDC, pImage->hBitmap, rcDest, rcPaint, rcSource, pDrawInfo->rcCorner, bAlpha, pDrawInfo->uFade,
                      pDrawInfo->bHole, pDrawInfo->bTiledX, pDrawInfo->bTiledY);
        }
    }
    return true;
}

bool CRenderEngine::DrawImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                                    LPCTSTR pStrImage, LPCTSTR pStrModify, HINSTANCE instance)
{
    if (pManager == nullptr || hDC == nullptr || pStrImage == nullptr || *pStrImage == 0) return false;
    const TDrawInfo* pDrawInfo = pManager->GetDrawInfo(pStrImage, pStrModify);
    return DrawImageInfo(hDC, pManager, rcItem, rcPaint, pDrawInfo, instance);
}

bool CRenderEngine::MakeFitIconDest(const RECT& rcControl, const SIZE& szIcon, LPCTSTR pstrAlign, RECT& rcDest)
{
    if (szIcon.cx <= 0 || szIcon.cy <= 0) return false;
    CUIString align(pstrAlign);
    const int cw = Width(rcControl);
    const int ch = Height(rcControl);
    rcDest.left = rcControl.left;
    rcDest.top = rcControl.top;
    if (align.CompareNoCase(_T("center")) == 0) {
        rcDest.left = rcControl.left + (cw - szIcon.cx) / 2;
        rcDest.top = rcControl.top + (ch - szIcon.cy) / 2;
    } else if (align.CompareNoCase(_T("vcenter")) == 0) {
        rcDest.top = rcControl.top + (ch - szIcon.cy) / 2;
    } else if (align.CompareNoCase(_T("hcenter")) == 0) {
        rcDest.left = rcControl.left + (cw - szIcon.cx) / 2;
    }
    rcDest.right = rcDest.left + szIcon.cx;
    rcDest.bottom = rcDest.top + szIcon.cy;
    if (rcDest.right > rcControl.right) rcDest.right = rcControl.right;
    if (rcDest.bottom > rcControl.bottom) rcDest.bottom = rcControl.bottom;
    return rcDest.right > rcDest.left && rcDest.bottom > rcDest.top;
}

bool CRenderEngine::DrawIconImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                                        LPCTSTR pStrImage, LPCTSTR pStrModify)
{
    if (pManager == nullptr || hDC == nullptr || pStrImage == nullptr || *pStrImage == 0) return false;
    SIZE size = {0, 0};
    CUIString align;
    ReadIconKeys(pStrImage, size, align);
    ReadIconKeys(pStrModify, size, align);
    if (pManager->GetDPIObj() != nullptr) pManager->GetDPIObj()->Scale(&size);
    RECT rcDest = rcItem;
    if (size.cx > 0 && size.cy > 0 && !MakeFitIconDest(rcItem, size, align, rcDest)) return true;
    const TDrawInfo* pDrawInfo = pManager->GetDrawInfo(pStrImage, pStrModify);
    return DrawImageInfo(hDC, pManager, rcDest, rcPaint, pDrawInfo);
}

LONG CRenderEngine::GetDecodeCount()
{
    return g_nDecodeCount;
}

LONG CRenderEngine::GetParseCount()
{
    return g_nParseCount;
}

void CRenderEngine::CountParse()
{
    g_nParseCount++;
}

} // namespace Veneer
