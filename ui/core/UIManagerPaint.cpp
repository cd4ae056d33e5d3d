// Painting side of the paint manager: life cycle, the layout and paint pass,
// layered windows, window geometry settings, DPI and process-wide set-up.
#include "ui/core/UIManager.h"

#include <gdiplus.h>
#include <shlwapi.h>

#include <cstring>
#include <vector>

#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/controls/UIRichEdit.h"
#include "ui/core/UIControlFactory.h"
#include "ui/core/UIDrawInfo.h"
#include "ui/core/UIDropTarget.h"
#include "ui/core/UILangManager.h"
#include "ui/core/UIRender.h"
#include "ui/core/UIResourceManager.h"
#include "ui/core/UIShadow.h"
#include "ui/core/UIZip.h"
#include "ui/support/SelectObject.h"

namespace Veneer {

namespace {

typedef BOOL(WINAPI* PFNUPDATELAYEREDWINDOW)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);
typedef BOOL(WINAPI* PFNSETLAYEREDWINDOWATTRIBUTES)(HWND, COLORREF, BYTE, DWORD);

// Process-wide resources made at the first manager's construction.
struct TProcessResources {
    bool bInitialized = false;
    HMODULE hMsimg32 = nullptr;
    CPenHandle hUpdateRectPen;
    std::vector<HMODULE> aPluginModules;
};

TProcessResources& ProcessResources()
{
    static TProcessResources res;
    return res;
}

FARPROC User32Proc(const char* pstrName)
{
    // user32 is always mapped in a GUI process; no search path is involved.
    HMODULE hUser32 = ::GetModuleHandleW(L"User32.dll");
    return hUser32 != nullptr ? ::GetProcAddress(hUser32, pstrName) : nullptr;
}

bool BitmapHasSize(HBITMAP hBitmap, int cx, int cy)
{
    BITMAP bm = {};
    if (::GetObjectW(hBitmap, sizeof(bm), &bm) != sizeof(bm)) return false;
    return bm.bmWidth == cx && (bm.bmHeight == cy || bm.bmHeight == -cy);
}

PFNUPDATELAYEREDWINDOW UpdateLayeredWindowProc()
{
    static PFNUPDATELAYEREDWINDOW pfn =
        reinterpret_cast<PFNUPDATELAYEREDWINDOW>(reinterpret_cast<void*>(User32Proc("UpdateLayeredWindow")));
    return pfn;
}

// 32-bit top-down ARGB section; row y of a cx-wide bitmap starts at bits + y * cx * 4.
HBITMAP CreateTopDownARGB(HDC hDC, int cx, int cy, BYTE** ppBits)
{
    return CRenderEngine::CreateARGB32Bitmap(hDC, cx, cy, ppBits);
}

// Intersection of rc with the bitmap area (0,0,cx,cy).
RECT ClipToBitmap(const RECT& rc, int cx, int cy)
{
    RECT r = rc;
    if (r.left < 0) r.left = 0;
    if (r.top < 0) r.top = 0;
    if (r.right > cx) r.right = cx;
    if (r.bottom > cy) r.bottom = cy;
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

RECT Deflate(const RECT& rc, const RECT& inset)
{
    RECT r = {rc.left + inset.left, rc.top + inset.top, rc.right - inset.right, rc.bottom - inset.bottom};
    return r;
}

}  // namespace

// ---------------------------------------------------------------------------
// life cycle

void CPaintManagerUI::InitProcessResources()
{
    TProcessResources& res = ProcessResources();
    if (res.bInitialized) return;
    res.bInitialized = true;
    res.hMsimg32 = ::LoadLibraryExW(L"msimg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    res.hUpdateRectPen.Reset(::CreatePen(PS_SOLID, 1, RGB(220, 0, 0)));

    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &lf);
    TFontInfo& def = m_SharedResInfo.m_DefaultFontInfo;
    if (def.hFont == nullptr) {
        def.id = -1;
        def.hFont = ::CreateFontIndirectW(&lf);
        def.sFontName = lf.lfFaceName;
        def.iSize = -lf.lfHeight;
        def.bBold = lf.lfWeight > 699;
        def.bUnderline = lf.lfUnderline == 1;
        def.bItalic = lf.lfItalic == 1;
        def.bMetricsValid = false;
    }
}

CPaintManagerUI::CPaintManagerUI()
{
    Gdiplus::GdiplusStartupInput gdiplusStartupInput;
    if (Gdiplus::GdiplusStartup(&m_gdiplusToken, &gdiplusStartupInput, nullptr) != Gdiplus::Ok) m_gdiplusToken = 0;
    ::InitializeCriticalSectionAndSpinCount(&m_lockAsync, 5000);
    m_pLangManager = new CLangManagerUI(this);
    CShadowUI::Initialize(m_hInstance);
    m_pShadow = new CShadowUI();
    InitProcessResources();
    m_ResInfo.m_dwDefaultDisabledColor = m_SharedResInfo.m_dwDefaultDisabledColor;
    m_ResInfo.m_dwDefaultFontColor = m_SharedResInfo.m_dwDefaultFontColor;
    m_ResInfo.m_dwDefaultLinkFontColor = m_SharedResInfo.m_dwDefaultLinkFontColor;
    m_ResInfo.m_dwDefaultLinkHoverFontColor = m_SharedResInfo.m_dwDefaultLinkHoverFontColor;
    m_ResInfo.m_dwDefaultSelectedBkColor = m_SharedResInfo.m_dwDefaultSelectedBkColor;
    m_ResInfo.m_DefaultFontInfo.sFontName.Empty();
}

CPaintManagerUI::~CPaintManagerUI()
{
    ReleaseAccessible();
    delete m_pLangManager;
    m_pLangManager = nullptr;

    if (m_aDelayedCleanup.GetSize() > 0) {
        CStdPtrArray aCleanup(m_aDelayedCleanup);
        m_aDelayedCleanup.Empty();
        for (int i = 0; i < aCleanup.GetSize(); ++i) delete static_cast<CControlUI*>(aCleanup.GetAt(i));
    }
    {
        ::EnterCriticalSection(&m_lockAsync);
        for (int i = 0; i < m_aAsyncNotify.GetSize(); ++i) delete static_cast<TNotifyUI*>(m_aAsyncNotify.GetAt(i));
        m_aAsyncNotify.Empty();
        ::LeaveCriticalSection(&m_lockAsync);
    }
    m_mNameHash.Resize(0);
    CControlUI* pRoot = m_pRoot;
    m_pRoot = nullptr;
    delete pRoot;

    FreeResInfo(m_ResInfo, true);
    RemoveAllWindowCustomAttribute();
    RemoveAllOptionGroups();
    RemoveAllTimers();
    delete m_pLayeredDrawInfo;
    m_pLayeredDrawInfo = nullptr;

    if (m_hwndTooltip != nullptr) {
        ::DestroyWindow(m_hwndTooltip);
        m_hwndTooltip = nullptr;
    }
    for (int i = 0; i < m_aFonts.GetSize(); ++i) ::RemoveFontMemResourceEx(static_cast<HANDLE>(m_aFonts.GetAt(i)));
    m_aFonts.Empty();

    FreeOffscreen();
    RevokeDropTarget();
    m_hDcPaint.Reset();
    int iSelf = m_aPreMessages.Find(this);
    if (iSelf >= 0) m_aPreMessages.Remove(iSelf);
    m_hDragBitmap.Reset();
    if (m_gdiplusToken != 0) Gdiplus::GdiplusShutdown(m_gdiplusToken);
    delete m_pDPI;
    m_pDPI = nullptr;
    delete m_pShadow;
    m_pShadow = nullptr;
    ::DeleteCriticalSection(&m_lockAsync);
}

void CPaintManagerUI::Init(HWND hWnd, LPCTSTR pstrName)
{
    m_mNameHash.Resize(CStdStringPtrMap::DEFAULT_BUCKETS);
    RemoveAllFonts();
    RemoveAllImages();
    RemoveAllStyle();
    RemoveAllDefaultAttributeList();
    RemoveAllWindowCustomAttribute();
    RemoveAllOptionGroups();
    RemoveAllTimers();

    m_sName = (pstrName != nullptr) ? pstrName : L"";
    if (m_hWndPaint != hWnd) {
        m_hDcPaint.Reset();
        FreeOffscreen();
        m_hWndPaint = hWnd;
        if (hWnd != nullptr) m_hDcPaint.Acquire(hWnd);
        if (m_aPreMessages.Find(this) < 0) m_aPreMessages.Add(this);
    }
    if (hWnd != nullptr && m_pDropTarget == nullptr) {
        m_pDropTarget = new CDropTargetUI(this);
        if (FAILED(::RegisterDragDrop(hWnd, m_pDropTarget))) {
            // OLE is not initialised on this thread (or the window already has a target).
            m_pDropTarget->Release();
            m_pDropTarget = nullptr;
        }
    }
}

void CPaintManagerUI::FreeOffscreen()
{
    m_hDcOffscreen.Reset();
    m_hDcBackground.Reset();
    m_hbmpOffscreen.Reset();
    m_hbmpBackground.Reset();
    m_pOffscreenBits = nullptr;
    m_pBackgroundBits = nullptr;
}

void CPaintManagerUI::Term()
{
    CResourceManager::GetInstance()->Release();
    CControlFactory::GetInstance()->Release();
    CLangManagerUI::ReleaseStringTable();

    // Shared tables: images, fonts, default font, default attribute lists and styles.
    CStdStringPtrMap& images = m_SharedResInfo.m_ImageHash;
    images.ForEach([](LPCTSTR, LPVOID data) { CRenderEngine::FreeImage(static_cast<TImageInfo*>(data)); });
    images.RemoveAll();
    CStdStringPtrMap& fonts = m_SharedResInfo.m_CustomFonts;
    fonts.ForEach([](LPCTSTR, LPVOID data) { FreeFontInfo(static_cast<TFontInfo*>(data)); });
    fonts.RemoveAll();
    if (m_SharedResInfo.m_DefaultFontInfo.hFont != nullptr) ::DeleteObject(m_SharedResInfo.m_DefaultFontInfo.hFont);
    m_SharedResInfo.m_DefaultFontInfo.hFont = nullptr;
    for (CStdStringPtrMap* pMap : {&m_SharedResInfo.m_AttrHash, &m_SharedResInfo.m_StyleHash}) {
        pMap->ForEach([](LPCTSTR, LPVOID data) { delete static_cast<CUIString*>(data); });
        pMap->RemoveAll();
    }

    if (m_bCachedResourceZip && m_hResourceZip != nullptr) {
        CUIZip::CloseZip(reinterpret_cast<HZIP>(m_hResourceZip));
        m_hResourceZip = nullptr;
    }

    TProcessResources& res = ProcessResources();
    res.hUpdateRectPen.Reset();
    for (HMODULE hModule : res.aPluginModules) ::FreeLibrary(hModule);
    res.aPluginModules.clear();
    m_aPlugins.Empty();
    if (res.hMsimg32 != nullptr) ::FreeLibrary(res.hMsimg32);
    res.hMsimg32 = nullptr;
    res.bInitialized = false;
}

// ---------------------------------------------------------------------------
// process-wide settings

HINSTANCE CPaintManagerUI::GetInstance()
{
    return m_hInstance;
}

void CPaintManagerUI::SetInstance(HINSTANCE hInst)
{
    m_hInstance = hInst;
    CShadowUI::Initialize(hInst);
}

CUIString CPaintManagerUI::GetCurrentPath()
{
    wchar_t szPath[MAX_PATH + 1] = {0};
    DWORD n = ::GetCurrentDirectoryW(MAX_PATH + 1, szPath);
    if (n == 0 || n > MAX_PATH) return CUIString();
    return CUIString(szPath);
}

void CPaintManagerUI::SetCurrentPath(LPCTSTR pStrPath)
{
    if (pStrPath != nullptr) ::SetCurrentDirectoryW(pStrPath);
}

bool CPaintManagerUI::LoadPlugin(LPCTSTR pstrModuleName)
{
    if (pstrModuleName == nullptr || *pstrModuleName == 0) return false;
    // Only full paths: a bare name would be searched for in the program's own folder.
    if (::PathIsRelativeW(pstrModuleName)) return false;
    HMODULE hModule = ::LoadLibraryExW(pstrModuleName, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (hModule == nullptr) return false;
    auto lpCreate = reinterpret_cast<LPCREATECONTROL>(
        reinterpret_cast<void*>(::GetProcAddress(hModule, "CreateControl")));
    if (lpCreate == nullptr) {
        ::FreeLibrary(hModule);
        return false;
    }
    TProcessResources& res = ProcessResources();
    if (m_aPlugins.Find(reinterpret_cast<LPVOID>(lpCreate)) >= 0) {
        ::FreeLibrary(hModule);
        return true;
    }
    m_aPlugins.Add(reinterpret_cast<LPVOID>(lpCreate));
    res.aPluginModules.push_back(hModule);
    return true;
}

CStdPtrArray* CPaintManagerUI::GetPlugins()
{
    return &m_aPlugins;
}

CLangManagerUI* CPaintManagerUI::GetLangManager() const
{
    return m_pLangManager;
}

// ---------------------------------------------------------------------------
// plain state

LPCTSTR CPaintManagerUI::GetName() const { return m_sName.GetData(); }
HDC CPaintManagerUI::GetPaintDC() const { return m_hDcPaint.Get(); }
HDC CPaintManagerUI::GetPaintOffscreenDC() const { return m_hDcOffscreen.Get(); }
HBITMAP CPaintManagerUI::GetPaintOffscreenBitmap() const { return m_hbmpOffscreen.Get(); }
HWND CPaintManagerUI::GetPaintWindow() const { return m_hWndPaint; }
HWND CPaintManagerUI::GetTooltipWindow() const { return m_hwndTooltip; }
int CPaintManagerUI::GetHoverTime() const { return m_iHoverTime; }
void CPaintManagerUI::SetHoverTime(int iTime) { m_iHoverTime = iTime; }
POINT CPaintManagerUI::GetMousePos() const { return m_ptLastMousePos; }
bool CPaintManagerUI::IsUpdateNeeded() const { return m_bUpdateNeeded; }
void CPaintManagerUI::NeedUpdate() { m_bUpdateNeeded = true; }
void CPaintManagerUI::LockUpdate(bool bLock) { m_bUpdateLocked = bLock; }
bool CPaintManagerUI::IsUpdateLocked() const { return m_bUpdateLocked; }
bool CPaintManagerUI::IsPainting() const { return m_bIsPainting; }
void CPaintManagerUI::SetPainting(bool bIsPainting) { m_bIsPainting = bIsPainting; }

SIZE CPaintManagerUI::GetClientSize() const
{
    RECT rcClient = {0, 0, 0, 0};
    if (m_hWndPaint != nullptr) ::GetClientRect(m_hWndPaint, &rcClient);
    SIZE sz = {rcClient.right - rcClient.left, rcClient.bottom - rcClient.top};
    return sz;
}

SIZE CPaintManagerUI::GetInitSize() { return m_szInitWindowSize; }

void CPaintManagerUI::SetInitSize(int cx, int cy)
{
    m_szInitWindowSize.cx = cx;
    m_szInitWindowSize.cy = cy;
    if (m_pRoot == nullptr && m_hWndPaint != nullptr) {
        ::SetWindowPos(m_hWndPaint, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
}

RECT& CPaintManagerUI::GetSizeBox() { return m_rcSizeBox; }
void CPaintManagerUI::SetSizeBox(RECT& rcSizeBox) { m_rcSizeBox = rcSizeBox; }
RECT& CPaintManagerUI::GetCaptionRect() { return m_rcCaption; }
void CPaintManagerUI::SetCaptionRect(RECT& rcCaption) { m_rcCaption = rcCaption; }
SIZE CPaintManagerUI::GetRoundCorner() const { return m_szRoundCorner; }

void CPaintManagerUI::SetRoundCorner(int cx, int cy)
{
    m_szRoundCorner.cx = cx;
    m_szRoundCorner.cy = cy;
}

SIZE CPaintManagerUI::GetMinInfo() const { return m_szMinWindow; }

void CPaintManagerUI::SetMinInfo(int cx, int cy)
{
    m_szMinWindow.cx = cx;
    m_szMinWindow.cy = cy;
}

SIZE CPaintManagerUI::GetMaxInfo() const { return m_szMaxWindow; }

void CPaintManagerUI::SetMaxInfo(int cx, int cy)
{
    m_szMaxWindow.cx = cx;
    m_szMaxWindow.cy = cy;
}

bool CPaintManagerUI::IsShowUpdateRect() const { return m_bShowUpdateRect; }
void CPaintManagerUI::SetShowUpdateRect(bool show) { m_bShowUpdateRect = show; }
bool CPaintManagerUI::IsNoActivate() const { return m_bNoActivate; }
void CPaintManagerUI::SetNoActivate(bool bNoActivate) { m_bNoActivate = bNoActivate; }
bool CPaintManagerUI::IsInitWindowParameter() const { return m_bInitWindowParameter; }
void CPaintManagerUI::SetInitWindowParameter(bool bInit) { m_bInitWindowParameter = bInit; }
BYTE CPaintManagerUI::GetOpacity() const { return m_nOpacity; }

void CPaintManagerUI::SetOpacity(BYTE nOpacity)
{
    m_nOpacity = nOpacity;
    if (m_hWndPaint == nullptr) return;
    auto pfn = reinterpret_cast<PFNSETLAYEREDWINDOWATTRIBUTES>(
        reinterpret_cast<void*>(User32Proc("SetLayeredWindowAttributes")));
    if (pfn == nullptr) return;
    LONG_PTR dwStyle = ::GetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE);
    if ((dwStyle & WS_EX_LAYERED) == 0) ::SetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE, dwStyle | WS_EX_LAYERED);
    pfn(m_hWndPaint, 0, nOpacity, LWA_ALPHA);
}

bool CPaintManagerUI::IsLayered() const { return m_bLayered; }

void CPaintManagerUI::SetLayered(bool bLayered)
{
    if (m_hWndPaint == nullptr || bLayered == m_bLayered) return;
    if ((::GetWindowLongPtrW(m_hWndPaint, GWL_STYLE) & WS_CHILD) != 0) return;
    if (bLayered && UpdateLayeredWindowProc() == nullptr) return;
    m_bLayered = bLayered;
    if (!bLayered) {
        // Back to ordinary painting: a layered style left behind would hide the window's content.
        LONG_PTR dwExStyle = ::GetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE);
        if ((dwExStyle & WS_EX_LAYERED) != 0 && m_nOpacity == 0xFF) {
            ::SetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE, dwExStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
        }
    }
    if (m_pRoot != nullptr) m_pRoot->NeedUpdate();
    Invalidate();
}

RECT& CPaintManagerUI::GetLayeredInset() { return m_rcLayeredInset; }

void CPaintManagerUI::SetLayeredInset(RECT& rcLayeredInset)
{
    m_rcLayeredInset = rcLayeredInset;
    m_bLayeredChanged = true;
    Invalidate();
}

BYTE CPaintManagerUI::GetLayeredOpacity() const { return m_nOpacity; }

void CPaintManagerUI::SetLayeredOpacity(BYTE nOpacity)
{
    m_nOpacity = nOpacity;
    m_bLayeredChanged = true;
    Invalidate();
}

LPCTSTR CPaintManagerUI::GetLayeredImage() const
{
    return m_pLayeredDrawInfo != nullptr ? m_pLayeredDrawInfo->sDrawString.GetData() : L"";
}

void CPaintManagerUI::SetLayeredImage(LPCTSTR pstrImage)
{
    if (m_pLayeredDrawInfo == nullptr) m_pLayeredDrawInfo = new TDrawInfo;
    m_pLayeredDrawInfo->Clear();
    m_pLayeredDrawInfo->Parse(pstrImage != nullptr ? pstrImage : L"", L"", this);
    // Load the image now so that the first layered paint has its mask.
    const TDrawInfo& di = *m_pLayeredDrawInfo;
    if (!di.sImageName.IsEmpty()) {
        GetImageEx(di.sImageName, di.sResType.IsEmpty() ? nullptr : di.sResType.GetData(), di.dwMask, di.width,
                   di.height, di.fillcolor, di.bHSL);
    }
    m_bLayeredChanged = true;
    Invalidate();
}

CShadowUI* CPaintManagerUI::GetShadow() { return m_pShadow; }
void CPaintManagerUI::SetUseGdiplusText(bool bUse) { m_bUseGdiplusText = bUse; }
bool CPaintManagerUI::IsUseGdiplusText() const { return m_bUseGdiplusText; }
void CPaintManagerUI::SetGdiplusTextRenderingHint(int trh) { m_trh = trh; }
int CPaintManagerUI::GetGdiplusTextRenderingHint() const { return m_trh; }
bool CPaintManagerUI::IsForceUseSharedRes() const { return m_bForceUseSharedRes; }
void CPaintManagerUI::SetForceUseSharedRes(bool bForce) { m_bForceUseSharedRes = bForce; }

// ---------------------------------------------------------------------------
// invalidation

void CPaintManagerUI::Invalidate()
{
    if (m_hWndPaint == nullptr) return;
    RECT rcClient = {0, 0, 0, 0};
    ::GetClientRect(m_hWndPaint, &rcClient);
    ::UnionRect(&m_rcLayeredUpdate, &m_rcLayeredUpdate, &rcClient);
    ::UnionRect(&m_rcFrameDirty, &m_rcFrameDirty, &rcClient);
    ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

void CPaintManagerUI::Invalidate(RECT& rcItem)
{
    // Without a window InvalidateRect would repaint every window on the desktop.
    if (m_hWndPaint == nullptr) return;
    RECT rc = rcItem;
    if (rc.left < 0) rc.left = 0;
    if (rc.top < 0) rc.top = 0;
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    ::UnionRect(&m_rcLayeredUpdate, &m_rcLayeredUpdate, &rc);
    ::UnionRect(&m_rcFrameDirty, &m_rcFrameDirty, &rc);
    ::InvalidateRect(m_hWndPaint, &rc, FALSE);
}

// ---------------------------------------------------------------------------
// the paint pass

bool CPaintManagerUI::RunLayout(const RECT& rcClient)
{
    if (m_pRoot->IsUpdateNeeded()) {
        FreeOffscreen();
        RECT rcRoot = m_bLayered ? Deflate(rcClient, m_rcLayeredInset) : rcClient;
        m_pRoot->SetPos(rcRoot, true);
        return true;
    }
    m_vUpdateScratch.clear();
    m_pRoot->FindControl(__FindControlsFromUpdate, &m_vUpdateScratch,
                         UIFIND_VISIBLE | UIFIND_ME_FIRST | UIFIND_UPDATETEST);
    for (size_t i = 0; i < m_vUpdateScratch.size(); ++i) {
        CControlUI* pControl = m_vUpdateScratch[i];
        // A container laid out earlier in this loop has already placed it.
        if (!pControl->IsUpdateNeeded()) continue;
        if (!pControl->IsFloat()) {
            pControl->SetPos(pControl->GetPos(), true);
            continue;
        }
        CControlUI* pParent = pControl->GetParent();
        auto* pContainer =
            pParent != nullptr ? static_cast<CContainerUI*>(pParent->GetInterface(L"Container")) : nullptr;
        int iIndex = pContainer != nullptr ? pContainer->GetItemIndex(pControl) : -1;
        if (iIndex >= 0) {
            pContainer->SetFloatPos(iIndex);
        } else {
            pControl->SetPos(pControl->GetPos(), true);
        }
    }
    return true;
}

void CPaintManagerUI::TakePendingFocus(RECT& rcPaint)
{
    SetNextTabControl(true);
    IncludeNewInvalidation(rcPaint);
}

void CPaintManagerUI::IncludeNewInvalidation(RECT& rcPaint)
{
    // Controls invalidated after the update rectangle was read (a focus change, a handler of "windowinit")
    // are painted by this paint too: BeginPaint validates them with the rest.
    RECT rcMore = {0, 0, 0, 0};
    if (::GetUpdateRect(m_hWndPaint, &rcMore, FALSE)) ::UnionRect(&rcPaint, &rcPaint, &rcMore);
}

void CPaintManagerUI::OnPaint()
{
    if (m_pRoot == nullptr) {
        PAINTSTRUCT ps = {};
        HDC hDC = ::BeginPaint(m_hWndPaint, &ps);
        if (hDC != nullptr) ::FillRect(hDC, &ps.rcPaint, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        ::EndPaint(m_hWndPaint, &ps);
        return;
    }

    RECT rcClient = {0, 0, 0, 0};
    ::GetClientRect(m_hWndPaint, &rcClient);
    RECT rcPaint = {0, 0, 0, 0};
    if (!::GetUpdateRect(m_hWndPaint, &rcPaint, FALSE)) return;
    // The client may have changed size without a layout (updates locked, hidden root): the
    // off-screen image is cleared and painted by the client size, so it must have that size.
    if (m_hbmpOffscreen &&
        !BitmapHasSize(m_hbmpOffscreen.Get(), rcClient.right - rcClient.left, rcClient.bottom - rcClient.top)) {
        FreeOffscreen();
    }

    if (m_bFocusNeeded) SetNextTabControl(true);
    SetPainting(true);

    bool bNeedSizeMsg = false;
    bool bUpdateConsumed = false;
    if (m_bUpdateNeeded && !m_bUpdateLocked) {
        m_bUpdateNeeded = false;
        bUpdateConsumed = true;
        if (!::IsRectEmpty(&rcClient) && !::IsIconic(m_hWndPaint)) {
            RunLayout(rcClient);
            if (m_bFirstLayout) {
                m_bFirstLayout = false;
                SendNotify(m_pRoot, L"windowinit", 0, 0, false);
                IncludeNewInvalidation(rcPaint);
                if (m_bLayered && m_bLayeredChanged) {
                    Invalidate();
                    SetPainting(false);
                    return;
                }
                if (m_pShadow != nullptr) m_pShadow->Update(m_hWndPaint);
            }
            // The focus move that waited for the layout is made inside the paint whose layout settled, after
            // "windowinit" (whose handlers may have chosen a focus of their own), rather than by a second
            // paint of the whole window.
            if (m_bFocusNeeded && !m_bUpdateNeeded) TakePendingFocus(rcPaint);
            bNeedSizeMsg = true;
        }
    } else if (m_bLayered && m_bLayeredChanged) {
        if (m_pOffscreenBits != nullptr) {
            SIZE sz = GetClientSize();
            std::memset(m_pOffscreenBits, 0, static_cast<size_t>(sz.cx) * static_cast<size_t>(sz.cy) * 4);
        }
        m_pRoot->SetPos(Deflate(rcClient, m_rcLayeredInset), true);
    }

    if (m_bLayered) {
        LONG_PTR dwExStyle = ::GetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE);
        if ((dwExStyle & WS_EX_LAYERED) == 0) {
            ::SetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE, dwExStyle | WS_EX_LAYERED);
        }
        m_bOffscreenPaint = true;
        ::UnionRect(&rcPaint, &rcPaint, &m_rcLayeredUpdate);
        if (rcPaint.right > rcClient.right) rcPaint.right = rcClient.right;
        if (rcPaint.bottom > rcClient.bottom) rcPaint.bottom = rcClient.bottom;
        ::SetRectEmpty(&m_rcLayeredUpdate);
    }

    PAINTSTRUCT ps = {};
    if (m_bOffscreenPaint) {
        const int cx = rcClient.right - rcClient.left;
        const int cy = rcClient.bottom - rcClient.top;
        if (!m_hDcOffscreen) m_hDcOffscreen.Reset(::CreateCompatibleDC(m_hDcPaint.Get()));
        // A new frame holds nothing yet: all of it is painted.
        if (!m_hbmpOffscreen) {
            m_hbmpOffscreen.Reset(CreateTopDownARGB(m_hDcPaint.Get(), cx, cy, &m_pOffscreenBits));
            m_rcFrameDirty = rcClient;
        }
        // Layered windows present the whole frame each time: they paint what was asked, as before. Otherwise
        // only the changed part of the frame is painted again; the rest of the update comes from the frame.
        RECT rcRender = rcPaint;
        if (!m_bLayered) ::IntersectRect(&rcRender, &m_rcFrameDirty, &rcClient);
        ::SetRectEmpty(&m_rcFrameDirty);
        HDC hPaintDC = ::BeginPaint(m_hWndPaint, &ps);
        if (!m_hDcOffscreen || !m_hbmpOffscreen || m_pOffscreenBits == nullptr) {
            // No memory for the off-screen image: paint straight into the window this time.
            int iSave = ::SaveDC(hPaintDC);
            m_pRoot->Paint(hPaintDC, rcPaint, nullptr);
            ::RestoreDC(hPaintDC, iSave);
            PaintFocusIndicator(hPaintDC, rcPaint);
        } else {
            {
                CSelectObject select(m_hDcOffscreen.Get(), m_hbmpOffscreen.Get());
                int iSave = ::SaveDC(m_hDcOffscreen.Get());
                const RECT rcBits = ClipToBitmap(rcPaint, cx, cy);
                // Controls may draw beyond the rectangle they are asked for; outside it the frame is kept.
                if (!m_bLayered)
                    ::IntersectClipRect(m_hDcOffscreen.Get(), rcRender.left, rcRender.top, rcRender.right,
                                        rcRender.bottom);
                if (m_bLayered) {
                    for (LONG y = rcBits.top; y < rcBits.bottom; ++y) {
                        std::memset(m_pOffscreenBits + (static_cast<size_t>(y) * cx + rcBits.left) * 4, 0,
                                    static_cast<size_t>(rcBits.right - rcBits.left) * 4);
                    }
                }
                if (!::IsRectEmpty(&rcRender)) {
                    m_pRoot->Paint(m_hDcOffscreen.Get(), rcRender, nullptr);
                    if (m_bLayered) PaintLayeredNativeWindows(rcRender);
                    for (int i = 0; i < m_aPostPaintControls.GetSize(); ++i) {
                        static_cast<CControlUI*>(m_aPostPaintControls.GetAt(i))
                            ->DoPostPaint(m_hDcOffscreen.Get(), rcRender);
                    }
                }
                ::RestoreDC(m_hDcOffscreen.Get(), iSave);
                if (m_bLayered) {
                    // A layered frame is repainted wherever it is presented from, so the indicator goes in.
                    PaintFocusIndicator(m_hDcOffscreen.Get(), rcRender);
                    if (m_pLayeredDrawInfo == nullptr || m_pLayeredDrawInfo->sDrawString.IsEmpty()) {
                        FixLayeredAlpha(rcBits);
                    } else {
                        ApplyLayeredMask(rcBits, rcClient);
                    }
                    PresentLayered(rcClient);
                } else {
                    ::BitBlt(hPaintDC, rcPaint.left, rcPaint.top, rcPaint.right - rcPaint.left,
                             rcPaint.bottom - rcPaint.top, m_hDcOffscreen.Get(), rcPaint.left, rcPaint.top, SRCCOPY);
                    // Inverted over what the window shows, never into the kept frame: an expose copies only
                    // the frame, so an indicator kept there would be inverted away again.
                    PaintFocusIndicator(hPaintDC, rcPaint);
                }
            }
            HPEN hPen = ProcessResources().hUpdateRectPen.Get();
            if (m_bShowUpdateRect && !m_bLayered && hPen != nullptr) {
                CSelectObject pen(hPaintDC, hPen);
                CSelectObject brush(hPaintDC, ::GetStockObject(HOLLOW_BRUSH));
                ::Rectangle(hPaintDC, rcPaint.left, rcPaint.top, rcPaint.right, rcPaint.bottom);
            }
        }
    } else {
        HDC hPaintDC = ::BeginPaint(m_hWndPaint, &ps);
        int iSave = ::SaveDC(hPaintDC);
        m_pRoot->Paint(hPaintDC, rcPaint, nullptr);
        for (int i = 0; i < m_aPostPaintControls.GetSize(); ++i) {
            static_cast<CControlUI*>(m_aPostPaintControls.GetAt(i))->DoPostPaint(hPaintDC, rcPaint);
        }
        PaintFocusIndicator(hPaintDC, rcPaint);
        ::RestoreDC(hPaintDC, iSave);
    }
    ::EndPaint(m_hWndPaint, &ps);

    SetPainting(false);
    m_bLayeredChanged = false;
    // A focus move deferred to after the layout invalidated the window before BeginPaint
    // validated it again; ask for the paint that performs it.
    // While updates are locked nothing is consumed, and re-invalidating would paint forever.
    if ((bUpdateConsumed && m_bUpdateNeeded) || (m_bFocusNeeded && !m_bUpdateLocked)) Invalidate();
    if (bNeedSizeMsg && m_pRoot != nullptr) SendNotify(m_pRoot, L"windowsize", 0, 0, true);
}

void CPaintManagerUI::PaintLayeredNativeWindows(const RECT& rcPaint)
{
    for (int i = m_aNativeWindow.GetSize() - 1; i >= 0; --i) {
        HWND hChildWnd = static_cast<HWND>(m_aNativeWindow.GetAt(i));
        if (!::IsWindow(hChildWnd)) {
            m_aNativeWindow.Remove(i);
            m_aNativeWindowControl.Remove(i);
            continue;
        }
        if (!::IsWindowVisible(hChildWnd)) continue;
        RECT rcChild = GetNativeWindowRect(hChildWnd);
        RECT rcTemp = {0, 0, 0, 0};
        if (!::IntersectRect(&rcTemp, &rcPaint, &rcChild)) continue;
        const int cx = rcChild.right - rcChild.left;
        const int cy = rcChild.bottom - rcChild.top;
        if (cx <= 0 || cy <= 0) continue;
        CMemoryDC childDC(::CreateCompatibleDC(m_hDcOffscreen.Get()));
        if (!childDC) continue;
        BYTE* pBits = nullptr;
        CBitmapHandle childBmp(CreateTopDownARGB(m_hDcOffscreen.Get(), cx, cy, &pBits));
        if (!childBmp || pBits == nullptr) continue;
        std::memset(pBits, 0, static_cast<size_t>(cx) * cy * 4);
        CSelectObject select(childDC.Get(), childBmp.Get());
        ::SendMessageW(hChildWnd, WM_PRINT, reinterpret_cast<WPARAM>(childDC.Get()),
                       PRF_CHECKVISIBLE | PRF_CLIENT | PRF_CHILDREN | PRF_OWNED);
        ::GdiFlush();
        // GDI leaves alpha at 0; whatever the child drew becomes opaque.
        DWORD* pPixel = reinterpret_cast<DWORD*>(pBits);
        for (int n = 0; n < cx * cy; ++n) {
            if (pPixel[n] != 0) pPixel[n] |= 0xFF000000;
        }
        ::BitBlt(m_hDcOffscreen.Get(), rcChild.left, rcChild.top, cx, cy, childDC.Get(), 0, 0, SRCCOPY);
    }
}

void CPaintManagerUI::FixLayeredAlpha(const RECT& rcBits)
{
    ::GdiFlush();
    SIZE sz = GetClientSize();
    for (LONG y = rcBits.top; y < rcBits.bottom; ++y) {
        DWORD* pRow = reinterpret_cast<DWORD*>(m_pOffscreenBits) + static_cast<size_t>(y) * sz.cx;
        for (LONG x = rcBits.left; x < rcBits.right; ++x) {
            DWORD& px = pRow[x];
            if ((px & 0xFF000000) == 0 && (px & 0x00FFFFFF) != 0) px |= 0xFF000000;
        }
    }
}

void CPaintManagerUI::ApplyLayeredMask(const RECT& rcBits, const RECT& rcClient)
{
    const int cx = rcClient.right - rcClient.left;
    const int cy = rcClient.bottom - rcClient.top;
    bool bRedraw = m_bLayeredChanged;
    if (!m_hDcBackground) {
        m_hDcBackground.Reset(::CreateCompatibleDC(m_hDcPaint.Get()));
        bRedraw = true;
    }
    if (!m_hbmpBackground) {
        m_hbmpBackground.Reset(CreateTopDownARGB(m_hDcPaint.Get(), cx, cy, &m_pBackgroundBits));
        bRedraw = true;
    }
    if (!m_hDcBackground || !m_hbmpBackground || m_pBackgroundBits == nullptr) {
        FixLayeredAlpha(rcBits);
        return;
    }
    if (bRedraw) {
        std::memset(m_pBackgroundBits, 0, static_cast<size_t>(cx) * cy * 4);
        CSelectObject select(m_hDcBackground.Get(), m_hbmpBackground.Get());
        RECT rcImage = Deflate(rcClient, m_rcLayeredInset);
        int iSave = ::SaveDC(m_hDcBackground.Get());
        ::IntersectClipRect(m_hDcBackground.Get(), rcImage.left, rcImage.top, rcImage.right, rcImage.bottom);
        CRenderEngine::DrawImageInfo(m_hDcBackground.Get(), this, rcImage, rcImage, m_pLayeredDrawInfo);
        ::RestoreDC(m_hDcBackground.Get(), iSave);
    }
    ::GdiFlush();
    for (LONG y = rcBits.top; y < rcBits.bottom; ++y) {
        BYTE* pDst = m_pOffscreenBits + (static_cast<size_t>(y) * cx + rcBits.left) * 4;
        const BYTE* pMask = m_pBackgroundBits + (static_cast<size_t>(y) * cx + rcBits.left) * 4;
        for (LONG x = rcBits.left; x < rcBits.right; ++x, pDst += 4, pMask += 4) {
            const unsigned a = pMask[3];
            pDst[0] = static_cast<BYTE>(pDst[0] * a / 255);
            pDst[1] = static_cast<BYTE>(pDst[1] * a / 255);
            pDst[2] = static_cast<BYTE>(pDst[2] * a / 255);
            pDst[3] = static_cast<BYTE>(a);
        }
    }
}

void CPaintManagerUI::PresentLayered(const RECT& rcClient)
{
    PFNUPDATELAYEREDWINDOW pfn = UpdateLayeredWindowProc();
    if (pfn == nullptr) return;
    RECT rcWnd = {0, 0, 0, 0};
    ::GetWindowRect(m_hWndPaint, &rcWnd);
    POINT ptPos = {rcWnd.left, rcWnd.top};
    SIZE sizeWnd = {rcClient.right - rcClient.left, rcClient.bottom - rcClient.top};
    POINT ptSrc = {0, 0};
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, m_nOpacity, AC_SRC_ALPHA};
    pfn(m_hWndPaint, nullptr, &ptPos, &sizeWnd, m_hDcOffscreen.Get(), &ptSrc, 0, &bf, ULW_ALPHA);
}

void CPaintManagerUI::OnPrintClient(WPARAM wParam, LPARAM lParam)
{
    if (m_pRoot == nullptr) return;
    HDC hDC = reinterpret_cast<HDC>(wParam);
    if (hDC == nullptr) return;
    RECT rcClient = {0, 0, 0, 0};
    ::GetClientRect(m_hWndPaint, &rcClient);
    int iSave = ::SaveDC(hDC);
    m_pRoot->Paint(hDC, rcClient, nullptr);
    if ((lParam & PRF_CHILDREN) != 0) {
        for (HWND hWndChild = ::GetWindow(m_hWndPaint, GW_CHILD); hWndChild != nullptr;
             hWndChild = ::GetWindow(hWndChild, GW_HWNDNEXT)) {
            RECT rcPos = GetNativeWindowRect(hWndChild);
            POINT ptOld = {0, 0};
            ::SetWindowOrgEx(hDC, -rcPos.left, -rcPos.top, &ptOld);
            ::SendMessageW(hWndChild, WM_PRINT, wParam, lParam | PRF_NONCLIENT);
            ::SetWindowOrgEx(hDC, ptOld.x, ptOld.y, nullptr);
        }
    }
    ::RestoreDC(hDC, iSave);
}

// ---------------------------------------------------------------------------
// DPI

CDPI* CPaintManagerUI::GetDPIObj()
{
    if (m_pDPI == nullptr) m_pDPI = new CDPI;
    return m_pDPI;
}

void CPaintManagerUI::ResetDPIAssets()
{
    RemoveAllDrawInfos();
    RemoveAllImages(false);
    for (CStdStringPtrMap* pFonts : {&m_ResInfo.m_CustomFonts, &m_SharedResInfo.m_CustomFonts}) {
        pFonts->ForEach([this](LPCTSTR, LPVOID data) { RebuildFont(static_cast<TFontInfo*>(data)); });
    }
    if (m_ResInfo.m_DefaultFontInfo.hFont != nullptr) RebuildFont(&m_ResInfo.m_DefaultFontInfo);
    if (m_SharedResInfo.m_DefaultFontInfo.hFont != nullptr) RebuildFont(&m_SharedResInfo.m_DefaultFontInfo);

    CStdPtrArray* pEdits = FindSubControlsByClass(m_pRoot, L"RichEditUI");
    for (int i = 0; pEdits != nullptr && i < pEdits->GetSize(); ++i) {
        auto* pControl = static_cast<CControlUI*>(pEdits->GetAt(i));
        auto* pEdit = static_cast<CRichEditUI*>(pControl->GetInterface(L"RichEdit"));
        if (pEdit != nullptr) pEdit->SetFont(pEdit->GetFont());
    }
}

void CPaintManagerUI::SetDPI(int iDPI)
{
    CDPI* pDPI = GetDPIObj();
    int scaleOld = pDPI->GetScale();
    pDPI->SetScale(static_cast<UINT>(iDPI));
    m_bDPIChosen = true;
    int scaleNew = pDPI->GetScale();
    ResetDPIAssets();
    if (m_hWndPaint == nullptr) return;
    RECT rcWnd = {0, 0, 0, 0};
    ::GetWindowRect(m_hWndPaint, &rcWnd);
    int cx = rcWnd.right - rcWnd.left;
    int cy = rcWnd.bottom - rcWnd.top;
    if (!::IsZoomed(m_hWndPaint) && scaleOld > 0) {
        cx = ::MulDiv(cx, scaleNew, scaleOld);
        cy = ::MulDiv(cy, scaleNew, scaleOld);
    }
    ::SetWindowPos(m_hWndPaint, nullptr, rcWnd.left, rcWnd.top, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_pRoot != nullptr) m_pRoot->NeedUpdate();
    ::PostMessageW(m_hWndPaint, WM_UI_DPICHANGED, 0, 0);
}

void CPaintManagerUI::SetAllDPI(int iDPI)
{
    for (int i = 0; i < m_aPreMessages.GetSize(); ++i) {
        static_cast<CPaintManagerUI*>(m_aPreMessages.GetAt(i))->SetDPI(iDPI);
    }
}

// ---------------------------------------------------------------------------
// drag and drop

HRESULT CPaintManagerUI::OnDrop(FORMATETC* pFmtEtc, STGMEDIUM& medium, DWORD* pdwEffect)
{
    // Dropped data goes to the drop-enabled control under the cursor as a "drop"
    // notification (wParam: the FORMATETC, lParam: the STGMEDIUM, both valid during the call).
    POINT pt = {0, 0};
    ::GetCursorPos(&pt);
    if (m_hWndPaint != nullptr) ::ScreenToClient(m_hWndPaint, &pt);
    CControlUI* pControl = FindControl(pt);
    if (pControl == nullptr || pControl->GetManager() != this || !pControl->IsDropEnabled()) {
        if (pdwEffect != nullptr) *pdwEffect = DROPEFFECT_NONE;
        return S_FALSE;
    }
    m_ptLastMousePos = pt;
    SendNotify(pControl, L"drop", reinterpret_cast<WPARAM>(pFmtEtc), reinterpret_cast<LPARAM>(&medium));
    if (pdwEffect != nullptr) *pdwEffect = DROPEFFECT_COPY;
    return S_OK;
}

}  // namespace Veneer
