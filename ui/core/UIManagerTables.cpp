// Resource tables of the paint manager: fonts, images, parsed image
// descriptors, default attribute lists, styles, option groups, custom window
// attributes, default colours and the global hue/saturation/lightness.
#include "ui/core/UIManager.h"

#include <cwchar>
#include <cwctype>
#include <vector>

#include "ui/controls/UIControl.h"
#include "ui/controls/UIOption.h"
#include "ui/core/UIDrawInfo.h"
#include "ui/core/UIRender.h"
#include "ui/support/SelectObject.h"

namespace Veneer {

TResInfo CPaintManagerUI::m_SharedResInfo;
short CPaintManagerUI::m_H = 180;
short CPaintManagerUI::m_S = 100;
short CPaintManagerUI::m_L = 100;
bool CPaintManagerUI::m_bUseHSL = false;

namespace {

CUIString FontKey(int id)
{
    CUIString key;
    key.SmallFormat(L"%d", id);
    return key;
}

CUIString ImageKey(LPCTSTR bitmap, int width, int height, DWORD fillcolor)
{
    CUIString key;
    if (width != 0 || height != 0 || fillcolor != 0) {
        key.Format(L"%s-%d-%d-%08X", bitmap, width, height, fillcolor);
    } else {
        key = bitmap;
    }
    return key;
}

template <class T, class Fn>
void ForEachValue(const CStdStringPtrMap& map, Fn fn)
{
    map.ForEach([&fn](LPCTSTR key, LPVOID data) { fn(key, static_cast<T*>(data)); });
}

void DeleteStringTable(CStdStringPtrMap& map)
{
    ForEachValue<CUIString>(map, [](LPCTSTR, CUIString* p) { delete p; });
    map.RemoveAll();
}

// Reads "key='value'" pairs separated by blanks; calls fn(key, value) for each.
template <class Fn>
void ReadPairs(LPCTSTR pstr, Fn fn)
{
    if (pstr == nullptr) return;
    while (*pstr != 0) {
        while (*pstr != 0 && *pstr <= L' ') ++pstr;
        CUIString key;
        while (*pstr != 0 && *pstr != L'=' && *pstr > L' ') key += *pstr++;
        while (*pstr != 0 && *pstr <= L' ') ++pstr;
        if (*pstr++ != L'=') return;
        while (*pstr != 0 && *pstr <= L' ') ++pstr;
        if (*pstr++ != L'\'') return;
        CUIString value;
        while (*pstr != 0 && *pstr != L'\'') value += *pstr++;
        if (*pstr++ != L'\'') return;
        fn(key, value);
        if (*pstr != L' ') return;
    }
}

DWORD ParseHexColor(LPCTSTR pstr)
{
    if (*pstr == L'#') ++pstr;
    return static_cast<DWORD>(std::wcstoul(pstr, nullptr, 16));
}

}  // namespace

TResInfo& CPaintManagerUI::TargetRes(bool bShared)
{
    return (bShared || m_bForceUseSharedRes) ? m_SharedResInfo : m_ResInfo;
}

void CPaintManagerUI::FreeFontInfo(TFontInfo* pInfo)
{
    if (pInfo == nullptr) return;
    if (pInfo->hFont != nullptr) ::DeleteObject(pInfo->hFont);
    delete pInfo;
}

void CPaintManagerUI::FreeResInfo(TResInfo& info, bool bFonts)
{
    if (bFonts) {
        ForEachValue<TFontInfo>(info.m_CustomFonts, [](LPCTSTR, TFontInfo* p) { FreeFontInfo(p); });
        info.m_CustomFonts.RemoveAll();
        if (info.m_DefaultFontInfo.hFont != nullptr) ::DeleteObject(info.m_DefaultFontInfo.hFont);
        info.m_DefaultFontInfo.hFont = nullptr;
        info.m_DefaultFontInfo.sFontName.Empty();
    }
    ForEachValue<TImageInfo>(info.m_ImageHash, [](LPCTSTR, TImageInfo* p) { CRenderEngine::FreeImage(p); });
    info.m_ImageHash.RemoveAll();
    DeleteStringTable(info.m_AttrHash);
    DeleteStringTable(info.m_StyleHash);
    ForEachValue<TDrawInfo>(info.m_DrawInfoHash, [](LPCTSTR, TDrawInfo* p) { delete p; });
    info.m_DrawInfoHash.RemoveAll();
}

// ---------------------------------------------------------------------------
// default colours

void CPaintManagerUI::SetDefaultColorImpl(DWORD TResInfo::*field, TResInfo& mine, DWORD dwColor, bool bShared)
{
    if (bShared) {
        if (mine.*field == m_SharedResInfo.*field) mine.*field = dwColor;
        m_SharedResInfo.*field = dwColor;
    } else {
        mine.*field = dwColor;
    }
}

DWORD CPaintManagerUI::GetDefaultDisabledColor() const { return m_ResInfo.m_dwDefaultDisabledColor; }
DWORD CPaintManagerUI::GetDefaultFontColor() const { return m_ResInfo.m_dwDefaultFontColor; }
DWORD CPaintManagerUI::GetDefaultLinkFontColor() const { return m_ResInfo.m_dwDefaultLinkFontColor; }
DWORD CPaintManagerUI::GetDefaultLinkHoverFontColor() const { return m_ResInfo.m_dwDefaultLinkHoverFontColor; }
DWORD CPaintManagerUI::GetDefaultSelectedBkColor() const { return m_ResInfo.m_dwDefaultSelectedBkColor; }

void CPaintManagerUI::SetDefaultDisabledColor(DWORD dwColor, bool bShared)
{
    SetDefaultColorImpl(&TResInfo::m_dwDefaultDisabledColor, m_ResInfo, dwColor, bShared);
}

void CPaintManagerUI::SetDefaultFontColor(DWORD dwColor, bool bShared)
{
    SetDefaultColorImpl(&TResInfo::m_dwDefaultFontColor, m_ResInfo, dwColor, bShared);
}

void CPaintManagerUI::SetDefaultLinkFontColor(DWORD dwColor, bool bShared)
{
    SetDefaultColorImpl(&TResInfo::m_dwDefaultLinkFontColor, m_ResInfo, dwColor, bShared);
}

void CPaintManagerUI::SetDefaultLinkHoverFontColor(DWORD dwColor, bool bShared)
{
    SetDefaultColorImpl(&TResInfo::m_dwDefaultLinkHoverFontColor, m_ResInfo, dwColor, bShared);
}

void CPaintManagerUI::SetDefaultSelectedBkColor(DWORD dwColor, bool bShared)
{
    SetDefaultColorImpl(&TResInfo::m_dwDefaultSelectedBkColor, m_ResInfo, dwColor, bShared);
}

// ---------------------------------------------------------------------------
// fonts

HFONT CPaintManagerUI::MakeFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                                BYTE quality)
{
    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &lf);
    if (pStrFontName != nullptr && *pStrFontName != 0) ::lstrcpynW(lf.lfFaceName, pStrFontName, LF_FACESIZE);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -GetDPIObj()->Scale(nSize);
    if (bBold) lf.lfWeight = FW_BOLD;
    lf.lfUnderline = bUnderline ? TRUE : FALSE;
    lf.lfItalic = bItalic ? TRUE : FALSE;
    // Once a DPI is chosen, a new font looks as the ones rebuilt for it do, whether it came before or after.
    if (quality == 0 && m_bDPIChosen) quality = CLEARTYPE_QUALITY;
    if (quality != 0) lf.lfQuality = quality;
    return ::CreateFontIndirectW(&lf);
}

void CPaintManagerUI::FillMetrics(TFontInfo* pInfo)
{
    if (pInfo == nullptr || pInfo->hFont == nullptr) return;
    CMemoryDC tempDC;
    HDC hDC = m_hDcPaint.Get();
    if (hDC == nullptr) {
        tempDC.Reset(::CreateCompatibleDC(nullptr));
        hDC = tempDC.Get();
    }
    if (hDC == nullptr) return;
    CSelectObject select(hDC, pInfo->hFont);
    pInfo->bMetricsValid = ::GetTextMetricsW(hDC, &pInfo->tm) != FALSE;
}

HFONT CPaintManagerUI::AddFont(int id, LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                               bool bShared)
{
    HFONT hFont = MakeFont(pStrFontName, nSize, bBold, bUnderline, bItalic, 0);
    if (hFont == nullptr) return nullptr;
    auto* pFontInfo = new TFontInfo;
    pFontInfo->id = id;
    pFontInfo->hFont = hFont;
    LOGFONTW lf = {};
    ::GetObjectW(hFont, sizeof(LOGFONTW), &lf);
    pFontInfo->sFontName = lf.lfFaceName;
    pFontInfo->iSize = nSize;
    pFontInfo->bBold = bBold;
    pFontInfo->bUnderline = bUnderline;
    pFontInfo->bItalic = bItalic;
    if (m_hDcPaint.Get() != nullptr) FillMetrics(pFontInfo);

    CUIString key = FontKey(id);
    CStdStringPtrMap& fonts = TargetRes(bShared).m_CustomFonts;
    auto* pOld = static_cast<TFontInfo*>(fonts.Find(key, false));
    if (pOld != nullptr) {
        fonts.Remove(key);
        FreeFontInfo(pOld);
    }
    if (!fonts.Insert(key, pFontInfo)) {
        FreeFontInfo(pFontInfo);
        return nullptr;
    }
    return hFont;
}

void CPaintManagerUI::AddFontArray(LPCTSTR pstrPath)
{
    if (pstrPath == nullptr || *pstrPath == 0) return;
    LPBYTE pData = nullptr;
    int nSize = CRenderEngine::LoadImage2Memory(STRINGorID(pstrPath), nullptr, pData);
    if (nSize <= 0 || pData == nullptr) return;
    DWORD nFonts = 0;
    HANDLE hFont = ::AddFontMemResourceEx(pData, static_cast<DWORD>(nSize), nullptr, &nFonts);
    CRenderEngine::FreeMemory(pData);
    if (hFont != nullptr) m_aFonts.Add(hFont);
}

TFontInfo* CPaintManagerUI::GetDefaultFontInfo()
{
    TFontInfo* pInfo = !m_ResInfo.m_DefaultFontInfo.sFontName.IsEmpty() ? &m_ResInfo.m_DefaultFontInfo
                                                                         : &m_SharedResInfo.m_DefaultFontInfo;
    if (!pInfo->bMetricsValid) FillMetrics(pInfo);
    return pInfo;
}

void CPaintManagerUI::SetDefaultFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                                     bool bShared)
{
    HFONT hFont = MakeFont(pStrFontName, nSize, bBold, bUnderline, bItalic, 0);
    if (hFont == nullptr) return;
    TFontInfo& def = bShared ? m_SharedResInfo.m_DefaultFontInfo : m_ResInfo.m_DefaultFontInfo;
    if (def.hFont != nullptr) ::DeleteObject(def.hFont);
    LOGFONTW lf = {};
    ::GetObjectW(hFont, sizeof(LOGFONTW), &lf);
    def.id = -1;
    def.hFont = hFont;
    def.sFontName = lf.lfFaceName;
    def.iSize = nSize;
    def.bBold = bBold;
    def.bUnderline = bUnderline;
    def.bItalic = bItalic;
    def.bMetricsValid = false;
    FillMetrics(&def);
}

DWORD CPaintManagerUI::GetCustomFontCount(bool bShared) const
{
    return static_cast<DWORD>(bShared ? m_SharedResInfo.m_CustomFonts.GetSize() : m_ResInfo.m_CustomFonts.GetSize());
}

TFontInfo* CPaintManagerUI::GetFontInfo(int id)
{
    if (id < 0) return GetDefaultFontInfo();
    CUIString key = FontKey(id);
    auto* pInfo = static_cast<TFontInfo*>(m_ResInfo.m_CustomFonts.Find(key));
    if (pInfo == nullptr) pInfo = static_cast<TFontInfo*>(m_SharedResInfo.m_CustomFonts.Find(key));
    if (pInfo == nullptr) return GetDefaultFontInfo();
    if (!pInfo->bMetricsValid) FillMetrics(pInfo);
    return pInfo;
}

TFontInfo* CPaintManagerUI::GetFontInfo(int id, bool bShared)
{
    const CStdStringPtrMap& fonts = bShared ? m_SharedResInfo.m_CustomFonts : m_ResInfo.m_CustomFonts;
    auto* pInfo = static_cast<TFontInfo*>(fonts.Find(FontKey(id)));
    if (pInfo != nullptr && !pInfo->bMetricsValid) FillMetrics(pInfo);
    return pInfo;
}

TFontInfo* CPaintManagerUI::GetFontInfo(HFONT hFont)
{
    if (hFont == nullptr) return nullptr;
    TFontInfo* pFound = nullptr;
    for (const CStdStringPtrMap* pFonts : {&m_ResInfo.m_CustomFonts, &m_SharedResInfo.m_CustomFonts}) {
        ForEachValue<TFontInfo>(*pFonts, [&](LPCTSTR, TFontInfo* p) {
            if (pFound == nullptr && p->hFont == hFont) pFound = p;
        });
        if (pFound != nullptr) break;
    }
    if (pFound == nullptr) {
        if (m_ResInfo.m_DefaultFontInfo.hFont == hFont) pFound = &m_ResInfo.m_DefaultFontInfo;
        else if (m_SharedResInfo.m_DefaultFontInfo.hFont == hFont) pFound = &m_SharedResInfo.m_DefaultFontInfo;
    }
    if (pFound != nullptr && !pFound->bMetricsValid) FillMetrics(pFound);
    return pFound;
}

HFONT CPaintManagerUI::GetFont(int id)
{
    TFontInfo* pInfo = GetFontInfo(id);
    return pInfo != nullptr ? pInfo->hFont : nullptr;
}

// A face name as a font stores it: cut to what a LOGFONT holds, so a long name finds the
// font it was added under instead of making a new one on every look-up.
static CUIString StoredFaceName(LPCTSTR pStrFontName)
{
    CUIString face(pStrFontName);
    return face.GetLength() < LF_FACESIZE ? face : face.Left(LF_FACESIZE - 1);
}

HFONT CPaintManagerUI::GetFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    if (pStrFontName == nullptr) return nullptr;
    const CUIString face = StoredFaceName(pStrFontName);
    HFONT hFound = nullptr;
    for (const CStdStringPtrMap* pFonts : {&m_ResInfo.m_CustomFonts, &m_SharedResInfo.m_CustomFonts}) {
        ForEachValue<TFontInfo>(*pFonts, [&](LPCTSTR, TFontInfo* p) {
            if (hFound == nullptr && p->sFontName.CompareNoCase(face) == 0 && p->iSize == nSize &&
                p->bBold == bBold && p->bUnderline == bUnderline && p->bItalic == bItalic) {
                hFound = p->hFont;
            }
        });
        if (hFound != nullptr) break;
    }
    return hFound;
}

int CPaintManagerUI::GetFontIndex(HFONT hFont, bool bShared)
{
    int id = -1;
    ForEachValue<TFontInfo>(bShared ? m_SharedResInfo.m_CustomFonts : m_ResInfo.m_CustomFonts,
                            [&](LPCTSTR, TFontInfo* p) {
                                if (id < 0 && p->hFont == hFont) id = p->id;
                            });
    return id;
}

int CPaintManagerUI::GetFontIndex(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                                  bool bShared)
{
    if (pStrFontName == nullptr) return -1;
    const CUIString face = StoredFaceName(pStrFontName);
    int id = -1;
    ForEachValue<TFontInfo>(bShared ? m_SharedResInfo.m_CustomFonts : m_ResInfo.m_CustomFonts,
                            [&](LPCTSTR, TFontInfo* p) {
                                if (id < 0 && p->sFontName.CompareNoCase(face) == 0 && p->iSize == nSize &&
                                    p->bBold == bBold && p->bUnderline == bUnderline && p->bItalic == bItalic) {
                                    id = p->id;
                                }
                            });
    return id;
}

void CPaintManagerUI::RemoveFont(HFONT hFont, bool bShared)
{
    CStdStringPtrMap& fonts = TargetRes(bShared).m_CustomFonts;
    CUIString sKey;
    TFontInfo* pFound = nullptr;
    ForEachValue<TFontInfo>(fonts, [&](LPCTSTR key, TFontInfo* p) {
        if (pFound == nullptr && p->hFont == hFont) {
            pFound = p;
            sKey = key;
        }
    });
    if (pFound == nullptr) return;
    fonts.Remove(sKey);
    FreeFontInfo(pFound);
}

void CPaintManagerUI::RemoveFont(int id, bool bShared)
{
    CStdStringPtrMap& fonts = TargetRes(bShared).m_CustomFonts;
    CUIString key = FontKey(id);
    auto* p = static_cast<TFontInfo*>(fonts.Find(key, false));
    if (p == nullptr) return;
    fonts.Remove(key);
    FreeFontInfo(p);
}

HFONT CPaintManagerUI::AddMarkupFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    // Ids far above any a skin uses. A text needing more variants at once than are kept would only draw some
    // of its runs in a fallback font.
    static int s_nextId = 0x00F00000;
    const size_t kKept = 32;
    const int id = s_nextId++;
    HFONT hFont = AddFont(id, pStrFontName, nSize, bBold, bUnderline, bItalic);
    if (hFont == nullptr) return nullptr;
    m_aMarkupFontIds.push_back(id);
    if (m_aMarkupFontIds.size() > kKept) {
        RemoveFont(m_aMarkupFontIds.front());
        m_aMarkupFontIds.erase(m_aMarkupFontIds.begin());
    }
    return hFont;
}

void CPaintManagerUI::RemoveAllFonts(bool bShared)
{
    CStdStringPtrMap& fonts = bShared ? m_SharedResInfo.m_CustomFonts : m_ResInfo.m_CustomFonts;
    ForEachValue<TFontInfo>(fonts, [](LPCTSTR, TFontInfo* p) { FreeFontInfo(p); });
    fonts.RemoveAll();
}

void CPaintManagerUI::RebuildFont(TFontInfo* pFontInfo)
{
    if (pFontInfo == nullptr) return;
    HFONT hFont = MakeFont(pFontInfo->sFontName, pFontInfo->iSize, pFontInfo->bBold, pFontInfo->bUnderline,
                           pFontInfo->bItalic, CLEARTYPE_QUALITY);
    if (hFont == nullptr) return;  // keep the old, still usable font
    if (pFontInfo->hFont != nullptr) ::DeleteObject(pFontInfo->hFont);
    pFontInfo->hFont = hFont;
    pFontInfo->bMetricsValid = false;
    FillMetrics(pFontInfo);
}

// ---------------------------------------------------------------------------
// images

const TImageInfo* CPaintManagerUI::GetImage(LPCTSTR bitmap)
{
    if (bitmap == nullptr) return nullptr;
    auto* data = static_cast<TImageInfo*>(m_ResInfo.m_ImageHash.Find(bitmap));
    if (data == nullptr) data = static_cast<TImageInfo*>(m_SharedResInfo.m_ImageHash.Find(bitmap));
    return data;
}

const TImageInfo* CPaintManagerUI::GetImageEx(LPCTSTR bitmap, LPCTSTR type, DWORD mask, int width, int height,
                                              DWORD fillcolor, bool bUseHSL, HINSTANCE instance)
{
    if (bitmap == nullptr || *bitmap == 0) return nullptr;
    CUIString key = ImageKey(bitmap, width, height, fillcolor);
    const TImageInfo* data = GetImage(key);
    if (data == nullptr) data = AddImage(bitmap, type, mask, width, height, fillcolor, bUseHSL, false, instance);
    return data;
}

const TImageInfo* CPaintManagerUI::AddImage(LPCTSTR bitmap, LPCTSTR type, DWORD mask, int width, int height,
                                            DWORD fillcolor, bool bUseHSL, bool bShared, HINSTANCE instance)
{
    if (bitmap == nullptr || *bitmap == 0) return nullptr;
    TImageInfo* data = nullptr;
    if (type != nullptr && *type != 0) {
        if (!std::iswdigit(bitmap[0])) return nullptr;
        UINT id = static_cast<UINT>(std::wcstoul(bitmap, nullptr, 10));
        data = CRenderEngine::LoadImage(STRINGorID(id), type, mask, width, height, fillcolor, this, instance);
    } else {
        data = CRenderEngine::LoadImage(STRINGorID(bitmap), nullptr, mask, width, height, fillcolor, this, instance);
    }
    if (data == nullptr) return nullptr;
    data->bUseHSL = bUseHSL;
    data->sResType = (type != nullptr) ? type : L"";
    data->dwMask = mask;
    if (bUseHSL) {
        CRenderEngine::KeepSourcePixels(data);
        if (m_bUseHSL) CRenderEngine::AdjustImage(true, data, m_H, m_S, m_L);
    }
    CStdStringPtrMap& images = TargetRes(bShared).m_ImageHash;
    CUIString key = ImageKey(bitmap, width, height, fillcolor);
    auto* pOld = static_cast<TImageInfo*>(images.Find(key, false));
    if (pOld != nullptr) {
        images.Remove(key);
        CRenderEngine::FreeImage(pOld);
    }
    if (!images.Insert(key, data)) {
        CRenderEngine::FreeImage(data);
        return nullptr;
    }
    return data;
}

const TImageInfo* CPaintManagerUI::AddImage(LPCTSTR bitmap, HBITMAP hBitmap, int iWidth, int iHeight, bool bAlpha,
                                            bool bShared)
{
    if (bitmap == nullptr || *bitmap == 0 || hBitmap == nullptr || iWidth <= 0 || iHeight <= 0) return nullptr;
    auto* data = new TImageInfo;
    data->hBitmap = hBitmap;
    data->nX = iWidth;
    data->nY = iHeight;
    data->bAlpha = bAlpha;
    CStdStringPtrMap& images = TargetRes(bShared).m_ImageHash;
    auto* pOld = static_cast<TImageInfo*>(images.Find(bitmap, false));
    if (pOld != nullptr) {
        images.Remove(bitmap);
        CRenderEngine::FreeImage(pOld);
    }
    if (!images.Insert(bitmap, data)) {
        data->hBitmap = nullptr;  // the caller keeps its bitmap on failure
        delete data;
        return nullptr;
    }
    return data;
}

bool CPaintManagerUI::RemoveImage(LPCTSTR bitmap, bool bShared)
{
    if (bitmap == nullptr) return false;
    CStdStringPtrMap& images = bShared ? m_SharedResInfo.m_ImageHash : m_ResInfo.m_ImageHash;
    auto* data = static_cast<TImageInfo*>(images.Find(bitmap, false));
    if (data == nullptr) return false;
    images.Remove(bitmap);
    CRenderEngine::FreeImage(data);
    return true;
}

void CPaintManagerUI::RemoveAllImages(bool bShared)
{
    CStdStringPtrMap& images = bShared ? m_SharedResInfo.m_ImageHash : m_ResInfo.m_ImageHash;
    ForEachValue<TImageInfo>(images, [](LPCTSTR, TImageInfo* p) { CRenderEngine::FreeImage(p); });
    images.RemoveAll();
}

void CPaintManagerUI::ReloadImageTable(CStdStringPtrMap& table)
{
    // Collect first: entries that no longer load are removed while walking.
    std::vector<CUIString> keys;
    table.ForEach([&keys](LPCTSTR key, LPVOID) { keys.emplace_back(key); });
    for (const CUIString& key : keys) {
        auto* data = static_cast<TImageInfo*>(table.Find(key, false));
        if (data == nullptr) continue;
        TImageInfo* pNew = nullptr;
        if (!data->sResType.IsEmpty() && std::iswdigit(key.GetAt(0))) {
            UINT id = static_cast<UINT>(std::wcstoul(key, nullptr, 10));
            pNew = CRenderEngine::LoadImage(STRINGorID(id), data->sResType, data->dwMask, 0, 0, 0, this);
        } else {
            pNew = CRenderEngine::LoadImage(STRINGorID(key.GetData()), nullptr, data->dwMask, 0, 0, 0, this);
        }
        if (pNew == nullptr) {
            table.Remove(key);
            CRenderEngine::FreeImage(data);
            continue;
        }
        // Replace the pixels in place so that pointers to the record stay valid.
        data->Release();
        data->hBitmap = pNew->hBitmap;
        data->pBits = pNew->pBits;
        data->pSrcBits = pNew->pSrcBits;
        data->nX = pNew->nX;
        data->nY = pNew->nY;
        data->bAlpha = pNew->bAlpha;
        data->delay = pNew->delay;
        pNew->hBitmap = nullptr;
        pNew->pBits = nullptr;
        pNew->pSrcBits = nullptr;
        delete pNew;
        if (data->bUseHSL) {
            CRenderEngine::KeepSourcePixels(data);
            if (m_bUseHSL) CRenderEngine::AdjustImage(true, data, m_H, m_S, m_L);
        }
    }
}

void CPaintManagerUI::ReloadImages()
{
    RemoveAllDrawInfos();
    ReloadImageTable(m_ResInfo.m_ImageHash);
    if (m_pRoot != nullptr) m_pRoot->Invalidate();
}

void CPaintManagerUI::ReloadSharedImages()
{
    if (m_aPreMessages.GetSize() == 0) return;
    // Any manager can do the loading; the table is the shared one.
    auto* pManager = static_cast<CPaintManagerUI*>(m_aPreMessages.GetAt(0));
    pManager->ReloadImageTable(m_SharedResInfo.m_ImageHash);
}

void CPaintManagerUI::ReloadSkin()
{
    ReloadSharedImages();
    for (int i = 0; i < m_aPreMessages.GetSize(); ++i) {
        static_cast<CPaintManagerUI*>(m_aPreMessages.GetAt(i))->ReloadImages();
    }
}

const TImageInfo* CPaintManagerUI::GetImageString(LPCTSTR pStrImage, LPCTSTR pStrModify)
{
    if (pStrImage == nullptr) return nullptr;
    CUIString sImageName = pStrImage;
    CUIString sImageResType;
    DWORD dwMask = 0;
    auto apply = [&](const CUIString& key, const CUIString& value) {
        if (key == L"file" || key == L"res") {
            sImageName = value;
        } else if (key == L"restype") {
            sImageResType = value;
        } else if (key == L"mask") {
            dwMask = ParseHexColor(value);
        }
    };
    ReadPairs(pStrImage, apply);
    ReadPairs(pStrModify, apply);
    return GetImageEx(sImageName, sImageResType.IsEmpty() ? nullptr : sImageResType.GetData(), dwMask);
}

// ---------------------------------------------------------------------------
// parsed image descriptors

TDrawInfo* CPaintManagerUI::GetDrawInfo(LPCTSTR pStrImage, LPCTSTR pStrModify)
{
    CUIString sKey;
    if (pStrImage != nullptr) sKey = pStrImage;
    if (pStrModify != nullptr) sKey += pStrModify;
    if (sKey.IsEmpty()) return nullptr;
    auto* pInfo = static_cast<TDrawInfo*>(m_ResInfo.m_DrawInfoHash.Find(sKey));
    if (pInfo != nullptr) return pInfo;
    pInfo = new TDrawInfo;
    pInfo->Parse(pStrImage != nullptr ? pStrImage : L"", pStrModify != nullptr ? pStrModify : L"", this);
    if (!m_ResInfo.m_DrawInfoHash.Insert(sKey, pInfo)) {
        delete pInfo;
        return nullptr;
    }
    return pInfo;
}

void CPaintManagerUI::RemoveDrawInfo(LPCTSTR pStrImage, LPCTSTR pStrModify)
{
    CUIString sKey;
    if (pStrImage != nullptr) sKey = pStrImage;
    if (pStrModify != nullptr) sKey += pStrModify;
    auto* pInfo = static_cast<TDrawInfo*>(m_ResInfo.m_DrawInfoHash.Find(sKey, false));
    if (pInfo == nullptr) return;
    m_ResInfo.m_DrawInfoHash.Remove(sKey);
    delete pInfo;
}

void CPaintManagerUI::RemoveAllDrawInfos()
{
    ForEachValue<TDrawInfo>(m_ResInfo.m_DrawInfoHash, [](LPCTSTR, TDrawInfo* p) { delete p; });
    m_ResInfo.m_DrawInfoHash.RemoveAll();
}

// ---------------------------------------------------------------------------
// default attribute lists and styles

namespace {

void SetString(CStdStringPtrMap& map, LPCTSTR key, LPCTSTR value)
{
    auto* pValue = new CUIString(value != nullptr ? value : L"");
    delete static_cast<CUIString*>(map.Set(key, pValue));
}

LPCTSTR GetString(const CStdStringPtrMap& mine, const CStdStringPtrMap& shared, LPCTSTR key)
{
    if (key == nullptr) return nullptr;
    auto* pValue = static_cast<CUIString*>(mine.Find(key));
    if (pValue == nullptr) pValue = static_cast<CUIString*>(shared.Find(key));
    return pValue != nullptr ? pValue->GetData() : nullptr;
}

bool RemoveString(CStdStringPtrMap& map, LPCTSTR key)
{
    if (key == nullptr) return false;
    auto* pValue = static_cast<CUIString*>(map.Find(key, false));
    if (pValue == nullptr) return false;
    map.Remove(key);
    delete pValue;
    return true;
}

}  // namespace

void CPaintManagerUI::AddDefaultAttributeList(LPCTSTR pStrControlName, LPCTSTR pStrControlAttrList, bool bShared)
{
    if (pStrControlName == nullptr || *pStrControlName == 0) return;
    SetString(TargetRes(bShared).m_AttrHash, pStrControlName, pStrControlAttrList);
}

LPCTSTR CPaintManagerUI::GetDefaultAttributeList(LPCTSTR pStrControlName) const
{
    return GetString(m_ResInfo.m_AttrHash, m_SharedResInfo.m_AttrHash, pStrControlName);
}

bool CPaintManagerUI::RemoveDefaultAttributeList(LPCTSTR pStrControlName, bool bShared)
{
    return RemoveString(bShared ? m_SharedResInfo.m_AttrHash : m_ResInfo.m_AttrHash, pStrControlName);
}

void CPaintManagerUI::RemoveAllDefaultAttributeList(bool bShared)
{
    DeleteStringTable(bShared ? m_SharedResInfo.m_AttrHash : m_ResInfo.m_AttrHash);
}

void CPaintManagerUI::AddStyle(LPCTSTR pName, LPCTSTR pStyle, bool bShared)
{
    if (pName == nullptr || *pName == 0) return;
    SetString(TargetRes(bShared).m_StyleHash, pName, pStyle);
}

LPCTSTR CPaintManagerUI::GetStyle(LPCTSTR pName) const
{
    return GetString(m_ResInfo.m_StyleHash, m_SharedResInfo.m_StyleHash, pName);
}

bool CPaintManagerUI::RemoveStyle(LPCTSTR pName, bool bShared)
{
    return RemoveString(bShared ? m_SharedResInfo.m_StyleHash : m_ResInfo.m_StyleHash, pName);
}

const CStdStringPtrMap& CPaintManagerUI::GetStyles(bool bShared) const
{
    return bShared ? m_SharedResInfo.m_StyleHash : m_ResInfo.m_StyleHash;
}

void CPaintManagerUI::RemoveAllStyle(bool bShared)
{
    DeleteStringTable(bShared ? m_SharedResInfo.m_StyleHash : m_ResInfo.m_StyleHash);
}

// ---------------------------------------------------------------------------
// custom window attributes

void CPaintManagerUI::AddWindowCustomAttribute(LPCTSTR pstrName, LPCTSTR pstrAttr)
{
    if (pstrName == nullptr || *pstrName == 0 || pstrAttr == nullptr || *pstrAttr == 0) return;
    if (m_mWindowCustomAttrHash.Find(pstrName, false) != nullptr) return;
    auto* pValue = new CUIString(pstrAttr);
    if (!m_mWindowCustomAttrHash.Insert(pstrName, pValue)) delete pValue;
}

LPCTSTR CPaintManagerUI::GetWindowCustomAttribute(LPCTSTR pstrName) const
{
    if (pstrName == nullptr || *pstrName == 0) return nullptr;
    auto* pValue = static_cast<CUIString*>(m_mWindowCustomAttrHash.Find(pstrName));
    return pValue != nullptr ? pValue->GetData() : nullptr;
}

bool CPaintManagerUI::RemoveWindowCustomAttribute(LPCTSTR pstrName)
{
    return RemoveString(m_mWindowCustomAttrHash, pstrName);
}

void CPaintManagerUI::RemoveAllWindowCustomAttribute()
{
    DeleteStringTable(m_mWindowCustomAttrHash);
}

// ---------------------------------------------------------------------------
// option groups

bool CPaintManagerUI::AddOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl)
{
    if (pStrGroupName == nullptr || pControl == nullptr) return false;
    auto* aOptionGroup = static_cast<CStdPtrArray*>(m_mOptionGroup.Find(pStrGroupName));
    if (aOptionGroup != nullptr) {
        if (aOptionGroup->Find(pControl) >= 0) return false;
        return aOptionGroup->Add(pControl);
    }
    aOptionGroup = new CStdPtrArray(6);
    aOptionGroup->Add(pControl);
    if (!m_mOptionGroup.Insert(pStrGroupName, aOptionGroup)) {
        delete aOptionGroup;
        return false;
    }
    return true;
}

CStdPtrArray* CPaintManagerUI::GetOptionGroup(LPCTSTR pStrGroupName)
{
    if (pStrGroupName == nullptr) return nullptr;
    return static_cast<CStdPtrArray*>(m_mOptionGroup.Find(pStrGroupName));
}

void CPaintManagerUI::RemoveOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl)
{
    auto* aOptionGroup = GetOptionGroup(pStrGroupName);
    if (aOptionGroup == nullptr) return;
    int i = aOptionGroup->Find(pControl);
    if (i >= 0) aOptionGroup->Remove(i);
    if (aOptionGroup->IsEmpty()) {
        m_mOptionGroup.Remove(pStrGroupName);
        delete aOptionGroup;
    }
}

void CPaintManagerUI::LeaveOptionGroups(CControlUI* pControl)
{
    if (m_mOptionGroup.GetSize() == 0) return;
    std::vector<CUIString> groups;
    ForEachValue<CStdPtrArray>(m_mOptionGroup, [&](LPCTSTR pstrName, CStdPtrArray* p) {
        if (p->Find(pControl) >= 0) groups.emplace_back(pstrName);
    });
    for (const CUIString& sGroup : groups) RemoveOptionGroup(sGroup, pControl);
    // The option would otherwise leave its group again later, through a manager that may be gone by then.
    auto* pOption = groups.empty() ? nullptr : static_cast<COptionUI*>(pControl->GetInterface(L"Option"));
    if (pOption != nullptr) pOption->ForgetGroupManager(this);
}

void CPaintManagerUI::RemoveAllOptionGroups()
{
    ForEachValue<CStdPtrArray>(m_mOptionGroup, [this](LPCTSTR, CStdPtrArray* p) {
        for (int i = 0; i < p->GetSize(); ++i) {
            auto* pOption = static_cast<COptionUI*>(static_cast<CControlUI*>(p->GetAt(i))->GetInterface(L"Option"));
            if (pOption != nullptr) pOption->ForgetGroupManager(this);
        }
        delete p;
    });
    m_mOptionGroup.RemoveAll();
}

// ---------------------------------------------------------------------------
// hue, saturation, lightness

void CPaintManagerUI::GetHSL(short* H, short* S, short* L)
{
    if (H != nullptr) *H = m_H;
    if (S != nullptr) *S = m_S;
    if (L != nullptr) *L = m_L;
}

bool CPaintManagerUI::IsUseHSL()
{
    return m_bUseHSL;
}

void CPaintManagerUI::ApplyHSLToTable(CStdStringPtrMap& table)
{
    ForEachValue<TImageInfo>(table, [](LPCTSTR, TImageInfo* p) {
        if (p->bUseHSL) CRenderEngine::AdjustImage(m_bUseHSL, p, m_H, m_S, m_L);
    });
}

void CPaintManagerUI::SetHSL(bool bUseHSL, short H, short S, short L)
{
    // Turning the change off with the same values must still give the images their own colours back.
    if (bUseHSL == m_bUseHSL && (!bUseHSL || (H == m_H && S == m_S && L == m_L))) return;
    m_bUseHSL = bUseHSL;
    m_H = static_cast<short>(H < 0 ? 0 : (H > 360 ? 360 : H));
    m_S = static_cast<short>(S < 0 ? 0 : (S > 200 ? 200 : S));
    m_L = static_cast<short>(L < 0 ? 0 : (L > 200 ? 200 : L));
    ApplyHSLToTable(m_SharedResInfo.m_ImageHash);
    for (int i = 0; i < m_aPreMessages.GetSize(); ++i) {
        auto* pManager = static_cast<CPaintManagerUI*>(m_aPreMessages.GetAt(i));
        ApplyHSLToTable(pManager->m_ResInfo.m_ImageHash);
        if (pManager->GetRoot() != nullptr) pManager->GetRoot()->Invalidate();
    }
}

}  // namespace Veneer
