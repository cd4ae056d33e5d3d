#include "ui/core/UIDrawInfo.h"

#include <stdlib.h>
#include <tchar.h>

#include <vector>

#include "ui/core/UIAttributeValue.h"
#include "ui/core/UIDPI.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"
#include "ui/core/UIResourceManager.h"
#include "ui/core/UIScaledImageCache.h"

namespace Veneer {

namespace {

// "l,t,r,b": decimal integers with exactly one separator between them. Anything short of
// four numbers yields an empty rectangle rather than a half-read one.
RECT ParseFourNumbers(LPCTSTR pstr)
{
    RECT rc = {0, 0, 0, 0};
    LONG values[4] = {0, 0, 0, 0};
    LPTSTR pEnd = nullptr;
    for (int i = 0; i < 4; ++i) {
        values[i] = _tcstol(pstr, &pEnd, 10);
        if (pEnd == pstr) return rc;
        pstr = pEnd;
        if (i < 3) {
            if (*pstr == 0) return rc;
            ++pstr;
        }
    }
    rc.left = values[0];
    rc.top = values[1];
    rc.right = values[2];
    rc.bottom = values[3];
    return rc;
}

DWORD ParseHexColor(LPCTSTR pstr)
{
    if (*pstr == _T('#')) ++pstr;
    return _tcstoul(pstr, nullptr, 16);
}

bool IsTrue(const CUIString& value)
{
    return value.CompareNoCase(_T("true")) == 0;
}

} // namespace

tagTImageInfo::tagTImageInfo()
    : hBitmap(nullptr), pBits(nullptr), pSrcBits(nullptr), nX(0), nY(0), bAlpha(false), bUseHSL(false),
      dwMask(0), delay(0)
{
}

tagTImageInfo::~tagTImageInfo()
{
    Release();
}

void tagTImageInfo::Release()
{
    pScaled.reset();
    if (hBitmap != nullptr) ::DeleteObject(hBitmap);
    hBitmap = nullptr;
    pBits = nullptr;
    delete[] pSrcBits;
    pSrcBits = nullptr;
}

tagTDrawInfo::tagTDrawInfo()
{
    Clear();
}

void tagTDrawInfo::Clear()
{
    sDrawString.Empty();
    sDrawModify.Empty();
    sImageName.Empty();
    sResType.Empty();
    ::SetRectEmpty(&rcDest);
    ::SetRectEmpty(&rcSource);
    ::SetRectEmpty(&rcCorner);
    dwMask = 0;
    uFade = 255;
    bHole = false;
    bTiledX = false;
    bTiledY = false;
    bHSL = false;
    ::SetRectEmpty(&rcPadding);
    uAlign = 0;
    width = 0;
    height = 0;
    fillcolor = 0;
}

void tagTDrawInfo::Parse(LPCTSTR pStrImage, LPCTSTR pStrModify, CPaintManagerUI* pManager)
{
    Clear();
    CRenderEngine::CountParse();
    sDrawString = pStrImage;
    sDrawModify = pStrModify;
    sImageName = pStrImage;
    if (pStrImage != nullptr) ParseString(pStrImage, pManager);
    if (pStrModify != nullptr) ParseString(pStrModify, pManager);
    ApplyScaledName(pManager);
}

// key='value' pairs; a bare name has no "=" and leaves the whole text as the image name.
void tagTDrawInfo::ParseString(LPCTSTR pStr, CPaintManagerUI* pManager)
{
    // Names it does not know are passed over; an empty value leaves the field as it was.
    CAttributeValue::ReadDescriptorPairs(pStr, [this, pManager](const CUIString& key, const CUIString& value) {
        if (!value.IsEmpty()) ApplyPair(key, value, pManager);
        return true;
    });
}

void tagTDrawInfo::ApplyPair(const CUIString& key, const CUIString& value, CPaintManagerUI* pManager)
{
    CDPI* pDPI = pManager != nullptr ? pManager->GetDPIObj() : nullptr;
    if (key == _T("file") || key == _T("res")) {
        sImageName = value;
    } else if (key == _T("restype")) {
        sResType = value;
    } else if (key == _T("dest")) {
        rcDest = ParseFourNumbers(value);
        if (pDPI != nullptr) pDPI->Scale(&rcDest);
    } else if (key == _T("source")) {
        rcSource = ParseFourNumbers(value);
    } else if (key == _T("corner")) {
        rcCorner = ParseFourNumbers(value);
    } else if (key == _T("mask")) {
        dwMask = ParseHexColor(value);
    } else if (key == _T("fade")) {
        long fade = _tcstol(value, nullptr, 10);
        uFade = static_cast<BYTE>(fade < 0 ? 0 : (fade > 255 ? 255 : fade));
    } else if (key == _T("hole")) {
        bHole = IsTrue(value);
    } else if (key == _T("xtiled")) {
        bTiledX = IsTrue(value);
    } else if (key == _T("ytiled")) {
        bTiledY = IsTrue(value);
    } else if (key == _T("hsl")) {
        bHSL = IsTrue(value);
    } else if (key == _T("padding")) {
        rcPadding = ParseFourNumbers(value);
        if (pDPI != nullptr) pDPI->Scale(&rcPadding);
    } else if (key == _T("align")) {
        UINT h = DRAWINFO_ALIGN_HMASK + 1;
        if (value.CompareNoCase(_T("left")) == 0) h = DRAWINFO_ALIGN_LEFT;
        else if (value.CompareNoCase(_T("center")) == 0) h = DRAWINFO_ALIGN_CENTER;
        else if (value.CompareNoCase(_T("right")) == 0) h = DRAWINFO_ALIGN_RIGHT;
        if (h <= DRAWINFO_ALIGN_HMASK) uAlign = (uAlign & ~DRAWINFO_ALIGN_HMASK) | h;
    } else if (key == _T("valign")) {
        UINT v = DRAWINFO_ALIGN_VMASK + 1;
        if (value.CompareNoCase(_T("top")) == 0) v = DRAWINFO_ALIGN_TOP;
        else if (value.CompareNoCase(_T("vcenter")) == 0) v = DRAWINFO_ALIGN_VCENTER;
        else if (value.CompareNoCase(_T("bottom")) == 0) v = DRAWINFO_ALIGN_BOTTOM;
        if (v <= DRAWINFO_ALIGN_VMASK) uAlign = (uAlign & ~DRAWINFO_ALIGN_VMASK) | v;
    } else if (key == _T("width")) {
        width = _tcstol(value, nullptr, 10);
        if (pDPI != nullptr) width = pDPI->Scale(width);
    } else if (key == _T("height")) {
        height = _tcstol(value, nullptr, 10);
        if (pDPI != nullptr) height = pDPI->Scale(height);
    } else if (key == _T("fillcolor")) {
        fillcolor = ParseHexColor(value);
    }
}

// Whether the skin itself (module resources of the type, or the skin folder or archive)
// holds `name`. The pre-scaled probe asks only the skin: a name it made up must not be
// found beside the program or in the current directory.
bool tagTDrawInfo::IsInSkin(const CUIString& name) const
{
    if (!sResType.IsEmpty()) {
        const BYTE* bytes = nullptr;
        DWORD size = 0;
        return CResourceManager::FindModuleResource(STRINGorID(name.GetData()), sResType.GetData(), nullptr,
                                                    &bytes, &size);
    }
    std::vector<BYTE> data;
    return CResourceManager::ReadResourceFile(name.GetData(), 0, data) == CResourceManager::ReadOk;
}

// At other scales a skin may carry a pre-scaled picture "name@150.png"; its pixels are
// already at the target size, so source and corner are scaled along with it.
void tagTDrawInfo::ApplyScaledName(CPaintManagerUI* pManager)
{
    if (pManager == nullptr || sImageName.IsEmpty()) return;
    CDPI* pDPI = pManager->GetDPIObj();
    if (pDPI == nullptr) return;
    int scale = pDPI->GetScale();
    if (scale == 100) return;

    CUIString suffix;
    suffix.SmallFormat(_T("@%d."), scale);
    CUIString scaled = sImageName;
    if (scaled.Replace(_T("."), suffix) == 0) return;

    if (!IsInSkin(scaled)) return;
    sImageName = scaled;
    pDPI->Scale(&rcSource);
    pDPI->Scale(&rcCorner);
}

} // namespace Veneer
