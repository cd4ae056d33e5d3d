#include "ui/controls/UITxtWinHost.h"

#include "ui/controls/UIRichEdit.h"
#include "ui/controls/UIScrollBar.h"
#include "ui/core/UIManager.h"
#include "ui/support/WindowDC.h"

#include <type_traits>

namespace Veneer {

// The engine was built with the platform compiler, whose member functions use thiscall on 32-bit x86 and the
// one x64 convention on 64-bit. Both interfaces must be declared with that convention here too, or every call
// across them would pass "this" and the arguments in the wrong places.
#if defined(_M_IX86) || defined(__i386__)
#define VENEER_TEXT_CALL __thiscall
#else
#define VENEER_TEXT_CALL
#endif
static_assert(std::is_same<decltype(&ITextHost::TxGetDC), HDC (VENEER_TEXT_CALL ITextHost::*)()>::value,
              "ITextHost methods must use the platform's member-function convention");
static_assert(std::is_same<decltype(&ITextHost::TxNotify), HRESULT (VENEER_TEXT_CALL ITextHost::*)(DWORD, void*)>::value,
              "ITextHost methods must use the platform's member-function convention");
static_assert(std::is_same<decltype(&ITextServices::TxSendMessage),
                           HRESULT (VENEER_TEXT_CALL ITextServices::*)(UINT, WPARAM, LPARAM, LRESULT*)>::value,
              "ITextServices methods must use the platform's member-function convention");
static_assert(std::is_same<decltype(&ITextServices::TxSetText),
                           HRESULT (VENEER_TEXT_CALL ITextServices::*)(LPCWSTR)>::value,
              "ITextServices methods must use the platform's member-function convention");
#undef VENEER_TEXT_CALL

namespace {

// {8D33F740-CF58-11CE-A89D-00AA006CADC5}
const IID kIID_ITextServices = {0x8d33f740, 0xcf58, 0x11ce, {0xa8, 0x9d, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5}};
// {13E670F4-1A5A-11CF-ABEB-00AA00B65EA1}
const IID kIID_ITextHost = {0x13e670f4, 0x1a5a, 0x11cf, {0xab, 0xeb, 0x00, 0xaa, 0x00, 0xb6, 0x5e, 0xa1}};

const LONG kDefaultTextLimit = 32767;
const LONG kTwipsPerInch = 1440;
const DWORD kDefaultCharFormatMask = 0xF8000007;  // size, offset, face, charset, colour, bold, italic, underline
const DWORD kDefaultParaFormatMask = 0x8001003F;
const LONG kDefaultTabStop = 720;

COLORREF ToColorRef(DWORD dwArgb)
{
    return RGB((dwArgb >> 16) & 0xFF, (dwArgb >> 8) & 0xFF, dwArgb & 0xFF);
}

// Engine versions before Windows 7 live in a differently named library.
LPCWSTR TextServicesLibraryName()
{
    OSVERSIONINFOW vi = {};
    vi.dwOSVersionInfoSize = sizeof(vi);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL bOk = ::GetVersionExW(&vi);
#pragma GCC diagnostic pop
    if (bOk && (vi.dwMajorVersion < 6 || (vi.dwMajorVersion == 6 && vi.dwMinorVersion < 1))) return L"Msftedit.dll";
    return L"Riched20.dll";
}

} // namespace

CTxtWinHost::CTxtWinHost()
    : m_cRefs(1),
      m_re(nullptr),
      m_hLib(nullptr),
      m_pUnk(nullptr),
      m_pServ(nullptr),
      m_dwStyle(0),
      m_bWordWrap(false),
      m_bRich(false),
      m_bTransparent(false),
      m_bCaptured(false),
      m_bCaretShown(false),
      m_bClientRectFresh(true),
      m_nTextLimit(kDefaultTextLimit),
      m_chPassword(L'*'),
      m_dwPropertyBits(0)
{
    ::SetRectEmpty(&m_rcClient);
    m_ptCaret.x = m_ptCaret.y = 0;
    m_szCaret.cx = m_szCaret.cy = 0;
    m_sizelExtent.cx = m_sizelExtent.cy = 0;
    ::ZeroMemory(&m_cf, sizeof(m_cf));
    ::ZeroMemory(&m_pf, sizeof(m_pf));
}

CTxtWinHost::~CTxtWinHost()
{
    if (m_pServ != nullptr) {
        m_pServ->OnTxInPlaceDeactivate();
        m_pServ->Release();
        m_pServ = nullptr;
    }
    if (m_pUnk != nullptr) {
        m_pUnk->Release();
        m_pUnk = nullptr;
    }
    if (m_hLib != nullptr) ::FreeLibrary(m_hLib);
}

void CTxtWinHost::PreloadLibrary()
{
    static const HMODULE kept = ::LoadLibraryExW(TextServicesLibraryName(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    (void)kept;
}

bool CTxtWinHost::Init(CRichEditUI* re, DWORD dwStyle, LPCWSTR pstrText)
{
    m_re = re;
    m_dwStyle = dwStyle;
    m_bRich = re->IsRich();
    m_bWordWrap = (dwStyle & (WS_HSCROLL | ES_AUTOHSCROLL)) == 0;
    m_bTransparent = re->IsTransparent();
    const int nLimit = re->GetLimitText();
    m_nTextLimit = nLimit > 0 ? nLimit : kDefaultTextLimit;

    CPaintManagerUI* pManager = re->GetManager();
    HFONT hFont = pManager != nullptr ? pManager->GetFont(re->GetFont())
                                      : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    InitDefaultCharFormat(hFont);
    InitDefaultParaFormat();

    m_hLib = ::LoadLibraryExW(TextServicesLibraryName(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (m_hLib == nullptr) return false;
    auto pfnCreate = reinterpret_cast<PCreateTextServices>(
        reinterpret_cast<void*>(::GetProcAddress(m_hLib, "CreateTextServices")));
    if (pfnCreate == nullptr) return false;
    if (FAILED(pfnCreate(nullptr, this, &m_pUnk)) || m_pUnk == nullptr) return false;
    if (FAILED(m_pUnk->QueryInterface(kIID_ITextServices, reinterpret_cast<void**>(&m_pServ))) ||
        m_pServ == nullptr) {
        m_pServ = nullptr;
        return false;
    }
    m_pServ->TxSetText(pstrText != nullptr ? pstrText : L"");
    return true;
}

void CTxtWinHost::InitDefaultCharFormat(HFONT hFont)
{
    LOGFONTW lf = {};
    if (hFont == nullptr || ::GetObjectW(hFont, sizeof(lf), &lf) == 0) {
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    }
    CPaintManagerUI* pManager = m_re != nullptr ? m_re->GetManager() : nullptr;
    HDC hDC = pManager != nullptr ? pManager->GetPaintDC() : nullptr;
    LONG yPixPerInch = 0;
    if (hDC != nullptr) {
        yPixPerInch = ::GetDeviceCaps(hDC, LOGPIXELSY);
    } else {
        CWindowDC screen(nullptr);
        yPixPerInch = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
    }
    if (yPixPerInch <= 0) yPixPerInch = 96;

    ::ZeroMemory(&m_cf, sizeof(m_cf));
    m_cf.cbSize = sizeof(m_cf);
    // Character heights may come as cell heights (positive) too; twips are always positive.
    const LONG lHeight = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    m_cf.yHeight = lHeight * kTwipsPerInch / yPixPerInch;
    m_cf.yOffset = 0;
    DWORD dwColor = m_re != nullptr ? m_re->GetTextColor() : 0;
    if (IsLayeredWindow() && (dwColor & 0x00FFFFFF) == 0) dwColor += 1;  // pure black is transparent there
    m_cf.crTextColor = ToColorRef(dwColor);
    if (lf.lfWeight >= FW_BOLD) m_cf.dwEffects |= CFE_BOLD;
    if (lf.lfItalic) m_cf.dwEffects |= CFE_ITALIC;
    if (lf.lfUnderline) m_cf.dwEffects |= CFE_UNDERLINE;
    m_cf.bCharSet = lf.lfCharSet;
    m_cf.bPitchAndFamily = lf.lfPitchAndFamily;
    ::lstrcpynW(m_cf.szFaceName, lf.lfFaceName, LF_FACESIZE);
    m_cf.dwMask = kDefaultCharFormatMask;
}

void CTxtWinHost::InitDefaultParaFormat()
{
    ::ZeroMemory(&m_pf, sizeof(m_pf));
    m_pf.cbSize = sizeof(m_pf);
    m_pf.dwMask = kDefaultParaFormatMask;
    m_pf.wAlignment = PFA_LEFT;
    m_pf.cTabCount = 1;
    m_pf.rgxTabs[0] = kDefaultTabStop;
    if (m_dwStyle & ES_CENTER) m_pf.wAlignment = PFA_CENTER;
    else if (m_dwStyle & ES_RIGHT) m_pf.wAlignment = PFA_RIGHT;
}

HWND CTxtWinHost::Window() const
{
    if (m_re == nullptr || m_re->GetManager() == nullptr) return nullptr;
    return m_re->GetManager()->GetPaintWindow();
}

bool CTxtWinHost::IsLayeredWindow() const
{
    return m_re != nullptr && m_re->GetManager() != nullptr && m_re->GetManager()->IsLayered();
}

// ---- IUnknown -------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CTxtWinHost::QueryInterface(REFIID riid, void** ppvObject)
{
    if (ppvObject == nullptr) return E_POINTER;
    if (::IsEqualIID(riid, IID_IUnknown) || ::IsEqualIID(riid, kIID_ITextHost)) {
        AddRef();
        *ppvObject = static_cast<ITextHost*>(this);
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

// The rich edit owns the host outright; the count only tracks the engine's uses.
ULONG STDMETHODCALLTYPE CTxtWinHost::AddRef()
{
    return ++m_cRefs;
}

ULONG STDMETHODCALLTYPE CTxtWinHost::Release()
{
    return m_cRefs > 0 ? --m_cRefs : 0;
}

// ---- ITextHost ------------------------------------------------------------------

HDC CTxtWinHost::TxGetDC()
{
    CPaintManagerUI* pManager = m_re->GetManager();
    return pManager != nullptr ? pManager->GetPaintDC() : nullptr;
}

INT CTxtWinHost::TxReleaseDC(HDC /*hdc*/)
{
    // The drawing context belongs to the paint manager.
    return 1;
}

WINBOOL CTxtWinHost::TxShowScrollBar(INT fnBar, WINBOOL fShow)
{
    CScrollBarUI* pVertical = m_re->GetVerticalScrollBar();
    CScrollBarUI* pHorizontal = m_re->GetHorizontalScrollBar();
    bool bChanged = false;
    if (pVertical != nullptr && (fnBar == SB_VERT || fnBar == SB_BOTH) && pVertical->IsVisible() != (fShow != FALSE)) {
        pVertical->SetVisible(fShow != FALSE);
        bChanged = true;
    }
    if (pHorizontal != nullptr && (fnBar == SB_HORZ || fnBar == SB_BOTH) &&
        pHorizontal->IsVisible() != (fShow != FALSE)) {
        pHorizontal->SetVisible(fShow != FALSE);
        bChanged = true;
    }
    if (bChanged) m_re->NeedUpdate();
    return TRUE;
}

WINBOOL CTxtWinHost::TxEnableScrollBar(INT fuSBFlags, INT fuArrowflags)
{
    const bool bShow = fuArrowflags != ESB_DISABLE_BOTH;
    const bool bVertical = fuSBFlags == SB_VERT || fuSBFlags == SB_BOTH;
    const bool bHorizontal = fuSBFlags == SB_HORZ || fuSBFlags == SB_BOTH;
    const bool bHaveVertical = m_re->GetVerticalScrollBar() != nullptr;
    const bool bHaveHorizontal = m_re->GetHorizontalScrollBar() != nullptr;
    if ((bVertical && !bHaveVertical) || (bHorizontal && !bHaveHorizontal)) {
        m_re->EnableScrollBar(bVertical || bHaveVertical, bHorizontal || bHaveHorizontal);
    }
    return TxShowScrollBar(fuSBFlags, bShow ? TRUE : FALSE);
}

WINBOOL CTxtWinHost::TxSetScrollRange(INT fnBar, LONG nMinPos, INT nMaxPos, WINBOOL /*fRedraw*/)
{
    CScrollBarUI* pBar = fnBar == SB_VERT ? m_re->GetVerticalScrollBar()
                                          : (fnBar == SB_HORZ ? m_re->GetHorizontalScrollBar() : nullptr);
    if (pBar == nullptr) return TRUE;
    const LONG nPage = fnBar == SB_VERT ? m_rcClient.bottom - m_rcClient.top : m_rcClient.right - m_rcClient.left;
    const LONG nRange = nMaxPos - nMinPos - nPage;
    const bool bWasVisible = pBar->IsVisible();
    if (nRange > 0) {
        pBar->SetVisible(true);
        pBar->SetScrollRange(static_cast<int>(nRange));
    } else {
        pBar->SetVisible(false);
    }
    if (bWasVisible != pBar->IsVisible()) m_re->NeedUpdate();
    return TRUE;
}

WINBOOL CTxtWinHost::TxSetScrollPos(INT fnBar, INT nPos, WINBOOL /*fRedraw*/)
{
    CScrollBarUI* pBar = fnBar == SB_VERT ? m_re->GetVerticalScrollBar()
                                          : (fnBar == SB_HORZ ? m_re->GetHorizontalScrollBar() : nullptr);
    if (pBar != nullptr) pBar->SetScrollPos(nPos);
    return TRUE;
}

void CTxtWinHost::TxInvalidateRect(LPCRECT prc, WINBOOL /*fMode*/)
{
    CPaintManagerUI* pManager = m_re->GetManager();
    if (pManager == nullptr) return;
    RECT rc = prc != nullptr ? *prc : m_rcClient;
    pManager->Invalidate(rc);
}

void CTxtWinHost::TxViewChange(WINBOOL fUpdate)
{
    if (fUpdate) m_re->OnTxViewChanged();
}

WINBOOL CTxtWinHost::TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight)
{
    // As with the system caret, a zero size means the window border's thickness.
    m_szCaret.cx = xWidth > 0 ? xWidth : ::GetSystemMetrics(SM_CXBORDER);
    m_szCaret.cy = yHeight > 0 ? yHeight : ::GetSystemMetrics(SM_CYBORDER);
    // A layered window has no visible system caret; the control draws it.
    if (IsLayeredWindow()) return TRUE;
    HWND hWnd = Window();
    return hWnd != nullptr ? ::CreateCaret(hWnd, hbmp, xWidth, yHeight) : FALSE;
}

void CTxtWinHost::InvalidateCaret()
{
    CPaintManagerUI* pManager = m_re->GetManager();
    if (pManager == nullptr) return;
    RECT rc = GetCaretRect();
    pManager->Invalidate(rc);
}

WINBOOL CTxtWinHost::TxShowCaret(WINBOOL fShow)
{
    if (IsReadOnly()) fShow = FALSE;
    m_bCaretShown = fShow != FALSE;
    if (IsLayeredWindow()) {
        InvalidateCaret();
        return TRUE;
    }
    HWND hWnd = Window();
    if (hWnd == nullptr) return FALSE;
    return fShow ? ::ShowCaret(hWnd) : ::HideCaret(hWnd);
}

WINBOOL CTxtWinHost::TxSetCaretPos(INT x, INT y)
{
    if (IsLayeredWindow()) {
        InvalidateCaret();
        m_ptCaret.x = x;
        m_ptCaret.y = y;
        InvalidateCaret();
        return TRUE;
    }
    m_ptCaret.x = x;
    m_ptCaret.y = y;
    return ::SetCaretPos(x, y);
}

RECT CTxtWinHost::GetCaretRect() const
{
    RECT rc = {m_ptCaret.x, m_ptCaret.y, m_ptCaret.x + m_szCaret.cx, m_ptCaret.y + m_szCaret.cy};
    return rc;
}

WINBOOL CTxtWinHost::TxSetTimer(UINT idTimer, UINT uTimeout)
{
    CPaintManagerUI* pManager = m_re->GetManager();
    if (pManager == nullptr) return FALSE;
    pManager->KillTimer(m_re, idTimer);
    return pManager->SetTimer(m_re, idTimer, uTimeout) ? TRUE : FALSE;
}

void CTxtWinHost::TxKillTimer(UINT idTimer)
{
    CPaintManagerUI* pManager = m_re->GetManager();
    if (pManager != nullptr) pManager->KillTimer(m_re, idTimer);
}

void CTxtWinHost::TxScrollWindowEx(INT /*dx*/, INT /*dy*/, LPCRECT /*lprcScroll*/, LPCRECT /*lprcClip*/,
                                   HRGN /*hrgnUpdate*/, LPRECT /*lprcUpdate*/, UINT /*fuScroll*/)
{
    // Everything is drawn off-screen; scrolling repaints the text area.
    TxInvalidateRect(nullptr, TRUE);
}

void CTxtWinHost::TxSetCapture(WINBOOL fCapture)
{
    CPaintManagerUI* pManager = m_re->GetManager();
    m_bCaptured = fCapture != FALSE;
    if (pManager == nullptr) return;
    if (fCapture) pManager->SetCapture();
    else pManager->ReleaseCapture();
}

void CTxtWinHost::TxSetFocus()
{
    m_re->SetFocus();
}

void CTxtWinHost::TxSetCursor(HCURSOR hcur, WINBOOL /*fText*/)
{
    ::SetCursor(hcur);
}

WINBOOL CTxtWinHost::TxScreenToClient(LPPOINT lppt)
{
    HWND hWnd = Window();
    return hWnd != nullptr ? ::ScreenToClient(hWnd, lppt) : FALSE;
}

WINBOOL CTxtWinHost::TxClientToScreen(LPPOINT lppt)
{
    HWND hWnd = Window();
    return hWnd != nullptr ? ::ClientToScreen(hWnd, lppt) : FALSE;
}

HRESULT CTxtWinHost::TxActivate(LONG* plOldState)
{
    if (plOldState != nullptr) *plOldState = 0;
    return S_OK;
}

HRESULT CTxtWinHost::TxDeactivate(LONG /*lNewState*/)
{
    return S_OK;
}

HRESULT CTxtWinHost::TxGetClientRect(LPRECT prc)
{
    if (prc == nullptr) return E_INVALIDARG;
    *prc = m_rcClient;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetViewInset(LPRECT prc)
{
    if (prc == nullptr) return E_INVALIDARG;
    ::SetRectEmpty(prc);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetCharFormat(const CHARFORMATW** ppCF)
{
    if (ppCF == nullptr) return E_INVALIDARG;
    *ppCF = reinterpret_cast<const CHARFORMATW*>(&m_cf);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetParaFormat(const PARAFORMAT** ppPF)
{
    if (ppPF == nullptr) return E_INVALIDARG;
    *ppPF = reinterpret_cast<const PARAFORMAT*>(&m_pf);
    return S_OK;
}

COLORREF CTxtWinHost::TxGetSysColor(int nIndex)
{
    return ::GetSysColor(nIndex);
}

HRESULT CTxtWinHost::TxGetBackStyle(TXTBACKSTYLE* pstyle)
{
    if (pstyle == nullptr) return E_INVALIDARG;
    *pstyle = m_bTransparent ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetMaxLength(DWORD* plength)
{
    if (plength == nullptr) return E_INVALIDARG;
    *plength = static_cast<DWORD>(m_nTextLimit);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetScrollBars(DWORD* pdwScrollBar)
{
    if (pdwScrollBar == nullptr) return E_INVALIDARG;
    *pdwScrollBar = m_dwStyle & (WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetPasswordChar(TCHAR* pch)
{
    if (pch == nullptr) return E_INVALIDARG;
    *pch = m_chPassword;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetAcceleratorPos(LONG* pcp)
{
    if (pcp == nullptr) return E_INVALIDARG;
    *pcp = -1;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetExtent(LPSIZEL /*lpExtent*/)
{
    // No zoom of the content against the client rectangle.
    return E_NOTIMPL;
}

HRESULT CTxtWinHost::OnTxCharFormatChange(const CHARFORMATW* /*pcf*/)
{
    return S_OK;
}

HRESULT CTxtWinHost::OnTxParaFormatChange(const PARAFORMAT* /*ppf*/)
{
    return S_OK;
}

HRESULT CTxtWinHost::TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits)
{
    if (pdwBits == nullptr) return E_INVALIDARG;
    DWORD dwBits = 0;
    if (m_bRich) dwBits |= TXTBIT_RICHTEXT;
    if (m_dwStyle & ES_MULTILINE) dwBits |= TXTBIT_MULTILINE;
    if (m_dwStyle & ES_READONLY) dwBits |= TXTBIT_READONLY;
    if (m_dwStyle & ES_PASSWORD) dwBits |= TXTBIT_USEPASSWORD;
    if (!(m_dwStyle & ES_NOHIDESEL)) dwBits |= TXTBIT_HIDESELECTION;
    if (m_bWordWrap) dwBits |= TXTBIT_WORDWRAP;
    dwBits |= TXTBIT_AUTOWORDSEL;
    *pdwBits = dwBits & dwMask;
    return S_OK;
}

HRESULT CTxtWinHost::TxNotify(DWORD iNotify, void* pv)
{
    if (iNotify == EN_REQUESTRESIZE) {
        const auto* pResize = static_cast<const REQRESIZE*>(pv);
        if (pResize != nullptr) {
            m_rcClient.right = m_rcClient.left + (pResize->rc.right - pResize->rc.left);
            m_rcClient.bottom = m_rcClient.top + (pResize->rc.bottom - pResize->rc.top);
        }
        return S_OK;
    }
    m_re->OnTxNotify(iNotify, pv);
    return S_OK;
}

HIMC CTxtWinHost::TxImmGetContext()
{
    HWND hWnd = Window();
    return hWnd != nullptr ? ::ImmGetContext(hWnd) : nullptr;
}

void CTxtWinHost::TxImmReleaseContext(HIMC himc)
{
    HWND hWnd = Window();
    if (hWnd != nullptr) ::ImmReleaseContext(hWnd, himc);
}

HRESULT CTxtWinHost::TxGetSelectionBarWidth(LONG* lSelBarWidth)
{
    if (lSelBarWidth == nullptr) return E_INVALIDARG;
    *lSelBarWidth = 0;
    return S_OK;
}

// ---- property changes ----------------------------------------------------------

void CTxtWinHost::ChangeProperty(DWORD dwMask, bool bSet)
{
    if (m_pServ != nullptr) m_pServ->OnTxPropertyBitsChange(dwMask, bSet ? dwMask : 0);
}

void CTxtWinHost::SetWordWrap(bool bWordWrap)
{
    m_bWordWrap = bWordWrap;
    ChangeProperty(TXTBIT_WORDWRAP, bWordWrap);
}

void CTxtWinHost::SetReadOnly(bool bReadOnly)
{
    if (bReadOnly) m_dwStyle |= ES_READONLY;
    else m_dwStyle &= ~ES_READONLY;
    ChangeProperty(TXTBIT_READONLY, bReadOnly);
}

void CTxtWinHost::SetRich(bool bRich)
{
    m_bRich = bRich;
    ChangeProperty(TXTBIT_RICHTEXT, bRich);
}

void CTxtWinHost::SetMultiLine(bool bMultiLine)
{
    if (bMultiLine) m_dwStyle |= ES_MULTILINE;
    else m_dwStyle &= ~ES_MULTILINE;
    ChangeProperty(TXTBIT_MULTILINE, bMultiLine);
}

void CTxtWinHost::SetParagraphIndent(bool bIndent)
{
    // Indent each paragraph's first line by two default characters.
    m_pf.dxStartIndent = bIndent ? 2 * m_cf.yHeight : 0;
    m_pf.dxOffset = bIndent ? -2 * m_cf.yHeight : 0;
    m_pf.dwMask |= PFM_STARTINDENT | PFM_OFFSET;
    ChangeProperty(TXTBIT_PARAFORMATCHANGE, true);
}

void CTxtWinHost::SetTransparent(bool bTransparent)
{
    m_bTransparent = bTransparent;
    ChangeProperty(TXTBIT_BACKSTYLECHANGE, true);
}

void CTxtWinHost::LimitText(LONG nChars)
{
    m_nTextLimit = nChars > 0 ? nChars : kDefaultTextLimit;
    ChangeProperty(TXTBIT_MAXLENGTHCHANGE, true);
}

void CTxtWinHost::SetFont(HFONT hFont)
{
    InitDefaultCharFormat(hFont);
    ChangeProperty(TXTBIT_CHARFORMATCHANGE, true);
}

void CTxtWinHost::SetColor(DWORD dwColor)
{
    if (IsLayeredWindow() && (dwColor & 0x00FFFFFF) == 0) dwColor += 1;
    m_cf.crTextColor = ToColorRef(dwColor);
    ChangeProperty(TXTBIT_CHARFORMATCHANGE, true);
}

void CTxtWinHost::SetParaAlignment(WORD wAlign)
{
    m_pf.wAlignment = wAlign;
    ChangeProperty(TXTBIT_PARAFORMATCHANGE, true);
}

void CTxtWinHost::SetPasswordChar(WCHAR chPassword)
{
    m_chPassword = chPassword;
    ChangeProperty(TXTBIT_USEPASSWORD, (m_dwStyle & ES_PASSWORD) != 0);
}

void CTxtWinHost::SetClientRect(const RECT& rc)
{
    const bool bChanged = !::EqualRect(&m_rcClient, &rc) || !m_bClientRectFresh;
    m_rcClient = rc;
    m_bClientRectFresh = true;
    if (bChanged) ChangeProperty(TXTBIT_CLIENTRECTCHANGE, true);
}

void CTxtWinHost::NeedFreshClientRect()
{
    m_bClientRectFresh = false;
}

bool CTxtWinHost::DoSetCursor(const RECT* prc, const POINT* pt)
{
    if (m_pServ == nullptr || pt == nullptr) return false;
    const RECT rc = prc != nullptr ? *prc : m_rcClient;
    if (!::PtInRect(&rc, *pt)) return false;
    CWindowDC dc(Window());
    m_pServ->OnTxSetCursor(DVASPECT_CONTENT, -1, nullptr, nullptr, dc.Get(), nullptr, &rc, pt->x, pt->y);
    return true;
}

bool CTxtWinHost::GetNaturalSize(LONG& width, LONG& height, DWORD dwMode)
{
    if (m_pServ == nullptr) return false;
    CWindowDC dc(Window());
    SIZEL szExtent = {-1, -1};
    const HRESULT hr = m_pServ->TxGetNaturalSize(DVASPECT_CONTENT, dc.Get(), nullptr, nullptr, dwMode, &szExtent,
                                                 &width, &height);
    return SUCCEEDED(hr);
}

} // namespace Veneer
