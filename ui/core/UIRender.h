#pragma once
// CRenderEngine: the static drawing services controls paint with - colour fills,
// gradients, lines, frames, plain and markup text, image loading and nine-grid blits.

#include <windows.h>

#include <vector>

#include "ui/core/UIDrawInfo.h"
#include "ui/core/UIRenderClip.h"
#include "ui/support/StdPtrArray.h"
#include "ui/support/StringOrId.h"
#include "ui/support/UIString.h"

namespace Gdiplus {
class GpImage;
}

namespace Veneer {

class CPaintManagerUI;
class CControlUI;

class CRenderEngine {
public:
    CRenderEngine() = delete;

    // ---- colours ----------------------------------------------------------------
    // Hue shift (180 = none), saturation and lightness in percent (100 = none).
    static DWORD AdjustColor(DWORD dwColor, short H, short S, short L);
    // A colour whose red, green and blue are all 0 gets 1 added, so it is never pure black
    // (pure black marks "unpainted" in layered windows).
    static void CheckAlphaColor(DWORD& dwColor);

    // ---- bitmaps and images -----------------------------------------------------
    // 32-bit top-down DIB section; *pBits receives its pixels (may be null when not wanted).
    static HBITMAP CreateARGB32Bitmap(HDC hDC, int cx, int cy, BYTE** pBits);
    // Largest image the loaders produce: a bigger size (decoded, rasterised or asked for)
    // is a failed load, never an attempt to allocate it.
    static const int kMaxImageSide = 16384;
    static const LONGLONG kMaxImagePixels = 16LL * 1024 * 1024;
    static bool IsImageSizeAllowed(double cx, double cy);
    // Re-colours every pixel from the image's unadjusted copy (taken on first use).
    // bUseHSL false (or an image not marked for HSL) restores the unadjusted pixels.
    static void AdjustImage(bool bUseHSL, TImageInfo* imageInfo, short H, short S, short L);
    // Keeps an unadjusted copy of the image's pixels in pSrcBits (once).
    static bool KeepSourcePixels(TImageInfo* imageInfo);

    // Loads by name (folder, archive, plain path; the name is first mapped through the
    // resource manager when type is empty) or by module resource (type given).
    static TImageInfo* LoadImage(STRINGorID bitmap, LPCTSTR type = nullptr, DWORD mask = 0, int width = 0,
                                 int height = 0, DWORD fillcolor = 0, CPaintManagerUI* pManager = nullptr,
                                 HINSTANCE instance = nullptr);
    static TImageInfo* LoadImageFromMemory(const BYTE* pData, DWORD dwSize, DWORD mask, int width, int height,
                                           DWORD fillcolor, CPaintManagerUI* pManager);
    // Appends one new TImageInfo* per GIF frame (with its delay) to frames.
    static bool LoadGifImageFromMemory(const BYTE* pData, DWORD dwSize, CStdPtrArray& frames);
    static void FreeImage(TImageInfo* bitmap, bool bDelete = true);

    // Whole-resource readers (defined with the resource access code). The buffer is
    // allocated for the caller and released with FreeMemory.
    static int LoadImage2Memory(const STRINGorID& bitmap, LPCTSTR type, LPBYTE& pData, HINSTANCE instance = nullptr);
    static void FreeMemory(LPBYTE pData);

    // GDI+ image from a file or a memory block; release with GdipDisposeImage. Null on failure.
    static Gdiplus::GpImage* GdiplusLoadImage(LPCTSTR pstrPath);
    static Gdiplus::GpImage* GdiplusLoadImage(const void* pBuf, size_t dwSize);

    // Low-level nine-grid blit of rcBmpPart of hBitmap into rc (cells outside rcPaint skipped).
    static void DrawImage(HDC hDC, HBITMAP hBitmap, const RECT& rc, const RECT& rcPaint, const RECT& rcBmpPart,
                          const RECT& rcCorners, bool bAlpha, BYTE uFade = 255, bool hole = false,
                          bool xtiled = false, bool ytiled = false);
    static bool DrawImageInfo(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                              const TDrawInfo* pDrawInfo, HINSTANCE instance = nullptr);
    static bool DrawImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                                LPCTSTR pStrImage, LPCTSTR pStrModify = nullptr, HINSTANCE instance = nullptr);
    // Descriptor with the extra keys iconsize='w,h' and iconalign='left|center|vcenter|hcenter'.
    static bool DrawIconImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                                    LPCTSTR pStrImage, LPCTSTR pStrModify = nullptr);
    static bool MakeFitIconDest(const RECT& rcControl, const SIZE& szIcon, LPCTSTR pstrAlign, RECT& rcDest);

    // Renders the manager's tree (or one control's subtree) over rc into a new 32-bit bitmap,
    // first filled with dwFilterColor. The caller deletes the bitmap.
    static HBITMAP GenerateBitmap(CPaintManagerUI* pManager, RECT rc, CControlUI* pStopControl = nullptr,
                                  DWORD dwFilterColor = 0);
    static HBITMAP GenerateBitmap(CPaintManagerUI* pManager, CControlUI* pControl, RECT rc, DWORD dwFilterColor = 0);

    // ---- fills, lines, frames --------------------------------------------------
    static void DrawColor(HDC hDC, const RECT& rc, DWORD color);
    // In the system's high-contrast mode text is drawn in the user's colours whatever the skin says: the
    // text colour becomes the system's window text colour over a fill of the window colour (so that the
    // text stays readable on any skin image). Returns the colour to draw with.
    static DWORD HighContrastText(HDC hDC, const RECT& rc, DWORD dwTextColor, UINT uStyle);
    static void DrawGradient(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical, int nSteps);
    static void DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle = PS_SOLID);
    static void DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle = PS_SOLID);
    static void DrawRoundRect(HDC hDC, const RECT& rc, int nSize, int width, int height, DWORD dwPenColor,
                              int nStyle = PS_SOLID);

    // ---- text --------------------------------------------------------------------
    // uStyle: DT_* flags. With DT_CALCRECT nothing is drawn and rc receives the measured size.
    static void DrawText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor,
                         int iFont, UINT uStyle);
    // Fills rc with dwTextBKColor (DrawColor) first.
    static void DrawText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor,
                         int iFont, UINT uStyle, DWORD dwTextBKColor);
    static SIZE GetTextSize(HDC hDC, CPaintManagerUI* pManager, LPCTSTR pstrText, int iFont, UINT uStyle);
    // Inline markup text. pLinks/sLinks: caller's arrays of capacity nLinkRects (in), number
    // of link rectangles recorded (out). They may be null with nLinkRects 0. pLinkOrdinals, when
    // given, receives for each rectangle which link of the text (0 = the first opened) it covers.
    static void DrawHtmlText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor,
                             RECT* pLinks, CUIString* sLinks, int& nLinkRects, int iFont, UINT uStyle,
                             int* pLinkOrdinals = nullptr);
    // The characters markup text shows (line breaks as one blank), and the shown text of each link.
    static CUIString GetHtmlPlainText(LPCTSTR pstrText, std::vector<CUIString>* pLinkTexts = nullptr);

    // ---- diagnostics -------------------------------------------------------------
    // Behave as on systems without AlphaBlend/GradientFill (software blend, banded gradients).
    static void ForceSoftwareBlend(bool bForce);
    // Number of images decoded (LoadImageFromMemory calls that produced an image) and
    // descriptors parsed in this process; lets callers prove a repaint did neither.
    static LONG GetDecodeCount();
    static LONG GetParseCount();

private:
    friend struct tagTDrawInfo;
    static void CountParse();
};

} // namespace Veneer
