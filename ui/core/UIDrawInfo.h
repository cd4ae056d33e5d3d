#pragma once
// Parsed image descriptors and decoded images: the records the paint manager caches
// and the render engine draws from.

#include <windows.h>

#include <memory>

#include "ui/support/UIString.h"

namespace Veneer {

class CPaintManagerUI;
class CScaledImageCache;

// Alignment bits of tagTDrawInfo::uAlign.
enum : UINT {
    DRAWINFO_ALIGN_LEFT = 0x0,
    DRAWINFO_ALIGN_CENTER = 0x1,
    DRAWINFO_ALIGN_RIGHT = 0x2,
    DRAWINFO_ALIGN_HMASK = 0x3,
    DRAWINFO_ALIGN_TOP = 0x0,
    DRAWINFO_ALIGN_VCENTER = 0x4,
    DRAWINFO_ALIGN_BOTTOM = 0x8,
    DRAWINFO_ALIGN_VMASK = 0xC,
};

// One decoded image. The record owns its bitmap and its kept source pixels; it is
// released with CRenderEngine::FreeImage (or simply deleted: the destructor frees
// what is still held).
typedef struct tagTImageInfo {
    tagTImageInfo();
    ~tagTImageInfo();
    tagTImageInfo(const tagTImageInfo&) = delete;
    tagTImageInfo& operator=(const tagTImageInfo&) = delete;

    // Deletes the bitmap and the kept pixels; the record stays usable (empty).
    void Release();

    HBITMAP hBitmap;   // 32-bit top-down DIB section, BGRA bytes, colour premultiplied by alpha
    LPBYTE pBits;      // the bitmap's own pixels (points into the DIB section, not a separate allocation)
    LPBYTE pSrcBits;   // unadjusted copy of the pixels kept for hue/saturation/lightness changes
                       // (new[]-allocated, owned; made by CRenderEngine::KeepSourcePixels or on the
                       // first AdjustImage)
    int nX;            // width in pixels
    int nY;            // height in pixels
    bool bAlpha;       // some pixel is not fully opaque (or was masked out)
    bool bUseHSL;      // set by the paint manager's AddImage
    CUIString sResType;
    DWORD dwMask;
    int delay;         // animation frame delay in milliseconds, 0 for still images
    // Pictures of this image stretched to the sizes it is drawn at (made by the render engine while
    // drawing, hence mutable; emptied with the pixels they were made from).
    mutable std::unique_ptr<CScaledImageCache> pScaled;
} TImageInfo;

// One parsed descriptor, e.g. "file='btn.png' source='0,0,160,40' corner='5,5,5,5'".
typedef struct tagTDrawInfo {
    tagTDrawInfo();

    // Parses the descriptor and then the modifier into this record (modifier keys win).
    // With a manager whose DPI scale is not 100 the "@<scale>." variant of the image
    // name is used when it exists, and then the source and corner are scaled too.
    void Parse(LPCTSTR pStrImage, LPCTSTR pStrModify, CPaintManagerUI* pManager);
    void Clear();

    CUIString sDrawString;
    CUIString sDrawModify;
    CUIString sImageName;
    CUIString sResType;
    RECT rcDest;
    RECT rcSource;
    RECT rcCorner;
    DWORD dwMask;
    BYTE uFade;
    bool bHole;
    bool bTiledX;
    bool bTiledY;
    bool bHSL;
    RECT rcPadding;
    UINT uAlign;       // DRAWINFO_ALIGN_* bits
    int width;         // requested render size (SVG), already DPI-scaled
    int height;
    DWORD fillcolor;   // fill colour for SVG shapes, 0 = keep the file's colours

private:
    void ParseString(LPCTSTR pStr, CPaintManagerUI* pManager);
    void ApplyPair(const CUIString& key, const CUIString& value, CPaintManagerUI* pManager);
    void ApplyScaledName(CPaintManagerUI* pManager);
    bool IsInSkin(const CUIString& name) const;
} TDrawInfo;

} // namespace Veneer
