// Fills, gradients, lines, frames and plain text.
#include <objidl.h>
#include <gdiplus.h>
#include <tchar.h>
#include <wchar.h>

#include <memory>

#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"
#include "ui/core/UIRenderPlatform.h"

namespace Veneer {

using namespace RenderDetail;
namespace Gp = Gdiplus::DllExports;

namespace {

struct GraphicsFree {
    void operator()(Gdiplus::GpGraphics* p) const { Gp::GdipDeleteGraphics(p); }
};
struct BrushFree {
    void operator()(Gdiplus::GpBrush* p) const { Gp::GdipDeleteBrush(p); }
};
struct PenFree {
    void operator()(Gdiplus::GpPen* p) const { Gp::GdipDeletePen(p); }
};
struct FontFree {
    void operator()(Gdiplus::GpFont* p) const { Gp::GdipDeleteFont(p); }
};
struct FormatFree {
    void operator()(Gdiplus::GpStringFormat* p) const { Gp::GdipDeleteStringFormat(p); }
};
typedef std::unique_ptr<Gdiplus::GpGraphics, GraphicsFree> GraphicsPtr;
typedef std::unique_ptr<Gdiplus::GpBrush, BrushFree> BrushPtr;
typedef std::unique_ptr<Gdiplus::GpPen, PenFree> PenPtr;
typedef std::unique_ptr<Gdiplus::GpFont, FontFree> FontPtr;
typedef std::unique_ptr<Gdiplus::GpStringFormat, FormatFree> FormatPtr;

GraphicsPtr MakeGraphics(HDC hDC)
{
    Gdiplus::GpGraphics* pGraphics = nullptr;
    if (Gp::GdipCreateFromHDC(hDC, &pGraphics) != Gdiplus::Ok) return GraphicsPtr();
    return GraphicsPtr(pGraphics);
}

BrushPtr MakeSolidBrush(DWORD argb)
{
    Gdiplus::GpSolidFill* pBrush = nullptr;
    if (Gp::GdipCreateSolidFill(argb, &pBrush) != Gdiplus::Ok) return BrushPtr();
    return BrushPtr(pBrush);
}

HFONT FontOf(CPaintManagerUI* pManager, int iFont)
{
    HFONT hFont = pManager->GetFont(iFont);
    if (hFont == nullptr) {
        TFontInfo* pInfo = pManager->GetDefaultFontInfo();
        if (pInfo != nullptr) hFont = pInfo->hFont;
    }
    return hFont != nullptr ? hFont : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

// One opaque pixel in a 1x1 32-bit DIB, kept per thread for opaque fills.
class CSolidPixel {
public:
    CSolidPixel()
        : m_dc(::CreateCompatibleDC(nullptr)),
          m_bitmap(CRenderEngine::CreateARGB32Bitmap(m_dc.Get(), 1, 1, reinterpret_cast<BYTE**>(&m_pPixel))),
          m_select(m_dc.Get(), m_bitmap.Get())
    {
    }
    CSolidPixel(const CSolidPixel&) = delete;
    CSolidPixel& operator=(const CSolidPixel&) = delete;

    HDC Get(DWORD argb)
    {
        if (!m_select.IsSelected() || m_pPixel == nullptr) return nullptr;
        ::GdiFlush();
        *m_pPixel = argb;
        return m_dc.Get();
    }

private:
    // Built in this order and torn down in the reverse: the bitmap is put out of the DC before either goes.
    DWORD* m_pPixel = nullptr;
    CMemoryDC m_dc;
    CBitmapHandle m_bitmap;
    CSelectObject m_select;
};

// Opaque fills on a 32-bit DIB (the paint manager's canvas) are a stretched copy of one
// opaque pixel: colour and alpha 255 land in the bitmap exactly as GDI+ would leave them,
// the device's mapping and clip apply, and no GDI+ set-up is paid for a plain rectangle.
bool FillOpaqueDib(HDC hDC, const RECT& rc, DWORD color)
{
    HGDIOBJ hBitmap = ::GetCurrentObject(hDC, OBJ_BITMAP);
    DIBSECTION ds = {};
    if (hBitmap == nullptr || ::GetObject(hBitmap, sizeof(ds), &ds) != sizeof(ds)) return false;
    if (ds.dsBm.bmBitsPixel != 32 || ds.dsBmih.biCompression != BI_RGB) return false;
    static thread_local CSolidPixel s_pixel;
    HDC hPixel = s_pixel.Get(0xFF000000 | (color & 0x00FFFFFF));
    if (hPixel == nullptr) return false;
    const int oldMode = ::SetStretchBltMode(hDC, COLORONCOLOR);
    const BOOL ok = ::StretchBlt(hDC, rc.left, rc.top, Width(rc), Height(rc), hPixel, 0, 0, 1, 1, SRCCOPY);
    if (oldMode != 0) ::SetStretchBltMode(hDC, oldMode);
    return ok != FALSE;
}

// One colour per band; bands are laid from the second colour's side.
void DrawGradientBands(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical, int nSteps)
{
    int nShift = 1;
    if (nSteps >= 64) nShift = 6;
    else if (nSteps >= 32) nShift = 5;
    else if (nSteps >= 16) nShift = 4;
    else if (nSteps >= 8) nShift = 3;
    else if (nSteps >= 4) nShift = 2;
    const int n = 1 << nShift;
    const int extent = bVertical ? Height(rc) : Width(rc);
    for (int k = 0; k < n; ++k) {
        auto channel = [&](int shift) {
            const int c1 = (dwFirst >> shift) & 0xFF;
            const int c2 = (dwSecond >> shift) & 0xFF;
            return static_cast<BYTE>((k * c1 + (n - k) * c2) / n);
        };
        CBrushHandle brush(::CreateSolidBrush(RGB(channel(16), channel(8), channel(0))));
        RECT band = rc;
        const int nearEdge = ::MulDiv(extent, k, n);
        const int farEdge = ::MulDiv(extent, k + 1, n);
        if (bVertical) {
            band.bottom = rc.bottom - nearEdge;
            band.top = rc.bottom - farEdge;
        } else {
            band.right = rc.right - nearEdge;
            band.left = rc.right - farEdge;
        }
        if (brush.Get() != nullptr && band.right > band.left && band.bottom > band.top) {
            ::FillRect(hDC, &band, static_cast<HBRUSH>(brush.Get()));
        }
    }
}

TRIVERTEX Vertex(LONG x, LONG y, DWORD argb)
{
    TRIVERTEX v;
    v.x = x;
    v.y = y;
    v.Red = static_cast<COLOR16>(((argb >> 16) & 0xFF) << 8);
    v.Green = static_cast<COLOR16>(((argb >> 8) & 0xFF) << 8);
    v.Blue = static_cast<COLOR16>((argb & 0xFF) << 8);
    v.Alpha = 0xFF00;
    return v;
}

void DrawGradientOpaque(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical, int nSteps)
{
    GradientFillFn pGradientFill = GetGradientFill();
    if (pGradientFill == nullptr) {
        DrawGradientBands(hDC, rc, dwFirst, dwSecond, bVertical, nSteps);
        return;
    }
    TRIVERTEX vert[2] = {Vertex(rc.left, rc.top, dwFirst), Vertex(rc.right, rc.bottom, dwSecond)};
    GRADIENT_RECT gradRect = {0, 1};
    if (!pGradientFill(hDC, vert, 2, &gradRect, 1, bVertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H)) {
        DrawGradientBands(hDC, rc, dwFirst, dwSecond, bVertical, nSteps);
    }
}

// The icon-font form: the text names one character by up to four hex digits after "&#x".
bool ReadCharacterReference(LPCTSTR pstrText, WCHAR& ch)
{
    LPCTSTR p = _tcsstr(pstrText, _T("&#x"));
    if (p == nullptr) return false;
    CUIString digits(p + 3);
    while (!digits.IsEmpty()) {
        TCHAR last = digits.GetAt(digits.GetLength() - 1);
        if (last != _T(' ') && last != _T(';')) break;
        digits = digits.Left(digits.GetLength() - 1);
    }
    digits = digits.Left(4);
    ch = static_cast<WCHAR>(_tcstoul(digits, nullptr, 16));
    return true;
}

void DrawTextGdiplus(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor, int iFont,
                     UINT uStyle)
{
    GraphicsPtr graphics = MakeGraphics(hDC);
    if (!graphics) return;
    Gdiplus::GpFont* pRawFont = nullptr;
    {
        CSelectObject select(hDC, FontOf(pManager, iFont));
        if (Gp::GdipCreateFontFromDC(hDC, &pRawFont) != Gdiplus::Ok) return;
    }
    FontPtr font(pRawFont);
    const int hint = pManager->GetGdiplusTextRenderingHint();
    Gp::GdipSetTextRenderingHint(graphics.get(),
                                 static_cast<Gdiplus::TextRenderingHint>(hint >= 1 && hint <= 5 ? hint : 0));
    Gp::GdipSetSmoothingMode(graphics.get(), Gdiplus::SmoothingModeAntiAlias);
    Gp::GdipSetInterpolationMode(graphics.get(), Gdiplus::InterpolationModeHighQualityBicubic);

    Gdiplus::GpStringFormat* pGeneric = nullptr;
    Gdiplus::GpStringFormat* pRawFormat = nullptr;
    if (Gp::GdipStringFormatGetGenericTypographic(&pGeneric) != Gdiplus::Ok ||
        Gp::GdipCloneStringFormat(pGeneric, &pRawFormat) != Gdiplus::Ok) {
        return;
    }
    FormatPtr format(pRawFormat);
    if (uStyle & DT_END_ELLIPSIS) Gp::GdipSetStringFormatTrimming(format.get(), Gdiplus::StringTrimmingEllipsisCharacter);
    INT flags = 0;
    if (uStyle & DT_NOCLIP) flags |= Gdiplus::StringFormatFlagsNoClip;
    if (uStyle & DT_SINGLELINE) flags |= Gdiplus::StringFormatFlagsNoWrap;
    Gp::GdipSetStringFormatFlags(format.get(), flags);
    Gdiplus::StringAlignment hAlign = Gdiplus::StringAlignmentNear;
    if (uStyle & DT_CENTER) hAlign = Gdiplus::StringAlignmentCenter;
    else if (uStyle & DT_RIGHT) hAlign = Gdiplus::StringAlignmentFar;
    Gdiplus::StringAlignment vAlign = Gdiplus::StringAlignmentNear;
    if (uStyle & DT_VCENTER) vAlign = Gdiplus::StringAlignmentCenter;
    else if (uStyle & DT_BOTTOM) vAlign = Gdiplus::StringAlignmentFar;
    Gp::GdipSetStringFormatAlign(format.get(), hAlign);
    Gp::GdipSetStringFormatLineAlign(format.get(), vAlign);

    Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rc.left), static_cast<Gdiplus::REAL>(rc.top),
                          static_cast<Gdiplus::REAL>(Width(rc)), static_cast<Gdiplus::REAL>(Height(rc)));
    const INT length = static_cast<INT>(wcslen(pstrText));
    if (uStyle & DT_CALCRECT) {
        Gdiplus::RectF bounds;
        if (Gp::GdipMeasureString(graphics.get(), pstrText, length, font.get(), &layout, format.get(), &bounds, nullptr,
                                  nullptr) == Gdiplus::Ok) {
            rc.right = rc.left + static_cast<LONG>(bounds.Width) + 1;
            rc.bottom = rc.top + static_cast<LONG>(bounds.Height) + 1;
        }
        return;
    }
    BrushPtr brush = MakeSolidBrush(0xFE000000 | (dwTextColor & 0x00FFFFFF));
    if (!brush) return;
    Gp::GdipDrawString(graphics.get(), pstrText, length, font.get(), &layout, format.get(), brush.get());
}

void DrawTextGdi(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor, int iFont,
                 UINT uStyle)
{
    const int oldMode = ::SetBkMode(hDC, TRANSPARENT);
    const COLORREF oldColor = ::SetTextColor(hDC, ToColorRef(dwTextColor));
    CSelectObject select(hDC, FontOf(pManager, iFont));
    WCHAR ch = 0;
    if (ReadCharacterReference(pstrText, ch)) {
        ::DrawTextW(hDC, &ch, 1, &rc, uStyle);
    } else {
        ::DrawTextW(hDC, pstrText, -1, &rc, uStyle);
    }
    ::SetTextColor(hDC, oldColor);
    ::SetBkMode(hDC, oldMode);
}

} // namespace

void CRenderEngine::DrawColor(HDC hDC, const RECT& rc, DWORD color)
{
    if (hDC == nullptr || color < 0x01000000 || Width(rc) <= 0 || Height(rc) <= 0) return;
    if ((color >> 24) == 0xFF && FillOpaqueDib(hDC, rc, color)) return;
    GraphicsPtr graphics = MakeGraphics(hDC);
    BrushPtr brush = MakeSolidBrush(color);
    if (!graphics || !brush) return;
    Gp::GdipFillRectangleI(graphics.get(), brush.get(), rc.left, rc.top, Width(rc), Height(rc));
}

void CRenderEngine::DrawGradient(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical, int nSteps)
{
    if (hDC == nullptr || Width(rc) <= 0 || Height(rc) <= 0) return;
    const UINT alpha = ((dwFirst >> 24) + (dwSecond >> 24)) / 2;
    if (alpha == 0) return;
    if (alpha >= 255) {
        DrawGradientOpaque(hDC, rc, dwFirst, dwSecond, bVertical, nSteps);
        return;
    }
    // Translucent: draw off-screen, then blend with the mean alpha.
    CMemoryDC memDC(::CreateCompatibleDC(hDC));
    CBitmapHandle bitmap(CreateARGB32Bitmap(hDC, Width(rc), Height(rc), nullptr));
    if (memDC.Get() == nullptr || bitmap.Get() == nullptr) return;
    CSelectObject select(memDC.Get(), bitmap.Get());
    const RECT rcLocal = {0, 0, Width(rc), Height(rc)};
    DrawGradientOpaque(memDC.Get(), rcLocal, dwFirst, dwSecond, bVertical, nSteps);
    Blend(hDC, rc, memDC.Get(), rcLocal, static_cast<BYTE>(alpha), false);
}

void CRenderEngine::DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle)
{
    if (hDC == nullptr) return;
    LOGPEN lg = {};
    lg.lopnColor = ToColorRef(dwPenColor);
    lg.lopnStyle = static_cast<UINT>(nStyle);
    lg.lopnWidth.x = nSize;
    CPenHandle pen(::CreatePenIndirect(&lg));
    if (pen.Get() == nullptr) return;
    CSelectObject select(hDC, pen.Get());
    POINT ptTemp = {0, 0};
    ::MoveToEx(hDC, rc.left, rc.top, &ptTemp);
    ::LineTo(hDC, rc.right, rc.bottom);
    ::MoveToEx(hDC, ptTemp.x, ptTemp.y, nullptr);
}

void CRenderEngine::DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle)
{
    if (hDC == nullptr || nSize <= 0) return;
    GraphicsPtr graphics = MakeGraphics(hDC);
    if (!graphics) return;
    Gdiplus::GpPen* pRawPen = nullptr;
    if (Gp::GdipCreatePen1(dwPenColor, static_cast<Gdiplus::REAL>(nSize), Gdiplus::UnitPixel, &pRawPen) != Gdiplus::Ok) {
        return;
    }
    PenPtr pen(pRawPen);
    Gp::GdipSetPenMode(pen.get(), Gdiplus::PenAlignmentInset);
    switch (nStyle & PS_STYLE_MASK) {
    case PS_DASH: Gp::GdipSetPenDashStyle(pen.get(), Gdiplus::DashStyleDash); break;
    case PS_DOT: Gp::GdipSetPenDashStyle(pen.get(), Gdiplus::DashStyleDot); break;
    case PS_DASHDOT: Gp::GdipSetPenDashStyle(pen.get(), Gdiplus::DashStyleDashDot); break;
    case PS_DASHDOTDOT: Gp::GdipSetPenDashStyle(pen.get(), Gdiplus::DashStyleDashDotDot); break;
    default: break;
    }
    Gp::GdipDrawRectangleI(graphics.get(), pen.get(), rc.left, rc.top, Width(rc) - 1, Height(rc) - 1);
}

void CRenderEngine::DrawRoundRect(HDC hDC, const RECT& rc, int nSize, int width, int height, DWORD dwPenColor,
                                  int nStyle)
{
    if (hDC == nullptr) return;
    CPenHandle pen(::CreatePen(nStyle, nSize, ToColorRef(dwPenColor)));
    if (pen.Get() == nullptr) return;
    CSelectObject selectPen(hDC, pen.Get());
    CSelectObject selectBrush(hDC, ::GetStockObject(HOLLOW_BRUSH));
    ::RoundRect(hDC, rc.left, rc.top, rc.right, rc.bottom, width, height);
}

DWORD CRenderEngine::HighContrastText(HDC hDC, const RECT& rc, DWORD dwTextColor, UINT uStyle)
{
    if ((uStyle & DT_CALCRECT) != 0 || !CPaintManagerUI::IsHighContrast()) return dwTextColor;
    auto argb = [](COLORREF cr) {
        return 0xFF000000 | (static_cast<DWORD>(GetRValue(cr)) << 16) | (static_cast<DWORD>(GetGValue(cr)) << 8) |
               GetBValue(cr);
    };
    DrawColor(hDC, rc, argb(::GetSysColor(COLOR_WINDOW)));
    return argb(::GetSysColor(COLOR_WINDOWTEXT));
}

void CRenderEngine::DrawText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor,
                             int iFont, UINT uStyle)
{
    if (hDC == nullptr || pManager == nullptr || pstrText == nullptr || *pstrText == 0) return;
    dwTextColor = HighContrastText(hDC, rc, dwTextColor, uStyle);
    if (pManager->IsLayered() || pManager->IsUseGdiplusText()) {
        DrawTextGdiplus(hDC, pManager, rc, pstrText, dwTextColor, iFont, uStyle);
    } else {
        DrawTextGdi(hDC, pManager, rc, pstrText, dwTextColor, iFont, uStyle);
    }
}

void CRenderEngine::DrawText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor,
                             int iFont, UINT uStyle, DWORD dwTextBKColor)
{
    if (hDC == nullptr || pManager == nullptr || pstrText == nullptr || *pstrText == 0) return;
    if ((uStyle & DT_CALCRECT) == 0) DrawColor(hDC, rc, dwTextBKColor);
    DrawText(hDC, pManager, rc, pstrText, dwTextColor, iFont, uStyle);
}

SIZE CRenderEngine::GetTextSize(HDC hDC, CPaintManagerUI* pManager, LPCTSTR pstrText, int iFont, UINT uStyle)
{
    (void)uStyle;
    SIZE size = {0, 0};
    if (hDC == nullptr || pManager == nullptr || pstrText == nullptr || *pstrText == 0) return size;
    CSelectObject select(hDC, FontOf(pManager, iFont));
    ::GetTextExtentPoint32W(hDC, pstrText, static_cast<int>(wcslen(pstrText)), &size);
    return size;
}

// By the image loader's rules (the skin, or a full path), never GDI+'s own reading of a
// relative name against the current directory.
Gdiplus::GpImage* CRenderEngine::GdiplusLoadImage(LPCTSTR pstrPath)
{
    if (pstrPath == nullptr || *pstrPath == 0) return nullptr;
    LPBYTE pData = nullptr;
    int size = LoadImage2Memory(STRINGorID(pstrPath), nullptr, pData);
    Gdiplus::GpImage* pImage = size > 0 ? GdiplusLoadImage(pData, static_cast<size_t>(size)) : nullptr;
    FreeMemory(pData);
    return pImage;
}

Gdiplus::GpImage* CRenderEngine::GdiplusLoadImage(const void* pBuf, size_t dwSize)
{
    if (pBuf == nullptr || dwSize == 0 || dwSize > 0x7FFFFFFF) return nullptr;
    HGLOBAL hMem = ::GlobalAlloc(GMEM_MOVEABLE, dwSize);
    if (hMem == nullptr) return nullptr;
    void* pDest = ::GlobalLock(hMem);
    if (pDest == nullptr) {
        ::GlobalFree(hMem);
        return nullptr;
    }
    memcpy(pDest, pBuf, dwSize);
    ::GlobalUnlock(hMem);
    IStream* pStream = nullptr;
    // The stream owns the memory from here on; GDI+ keeps its own reference to the stream.
    if (FAILED(::CreateStreamOnHGlobal(hMem, TRUE, &pStream)) || pStream == nullptr) {
        ::GlobalFree(hMem);
        return nullptr;
    }
    Gdiplus::GpImage* pImage = nullptr;
    if (Gp::GdipLoadImageFromStream(pStream, &pImage) != Gdiplus::Ok) pImage = nullptr;
    pStream->Release();
    return pImage;
}

} // namespace Veneer
