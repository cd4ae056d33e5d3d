#ifndef VENEER_UITXTWINHOST_H
#define VENEER_UITXTWINHOST_H

#include <windows.h>
#include <ole2.h>
#include <imm.h>
#include <richedit.h>
#include <textserv.h>

namespace Veneer {

class CRichEditUI;

// The host the platform's windowless rich-text engine (the text services of
// riched20) talks back to. It answers the engine with the rich edit's manager,
// window and geometry, keeps the default character and paragraph formats and
// owns the engine object.
//
// The engine calls these methods, and is called through ITextServices, with the
// C++ member calling convention of the platform compiler (thiscall on 32-bit
// x86). GCC for 32-bit MinGW uses thiscall for member functions by default, so
// the vtables declared by <textserv.h> match the engine's; UITxtWinHost.cpp
// refuses to compile should that ever stop being true.
class CTxtWinHost : public ITextHost
{
public:
    CTxtWinHost();
    virtual ~CTxtWinHost();

    // Creates the text services for the control. Style: ES_* and WS_* bits;
    // pstrText: initial content. False when the engine is unavailable.
    bool Init(CRichEditUI* re, DWORD dwStyle, LPCWSTR pstrText);
    // Loads the text-services library now, on any thread, and keeps it for the process.
    static void PreloadLibrary();
    ITextServices* GetTextServices() const { return m_pServ; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // ITextHost
    HDC TxGetDC() override;
    INT TxReleaseDC(HDC hdc) override;
    WINBOOL TxShowScrollBar(INT fnBar, WINBOOL fShow) override;
    WINBOOL TxEnableScrollBar(INT fuSBFlags, INT fuArrowflags) override;
    WINBOOL TxSetScrollRange(INT fnBar, LONG nMinPos, INT nMaxPos, WINBOOL fRedraw) override;
    WINBOOL TxSetScrollPos(INT fnBar, INT nPos, WINBOOL fRedraw) override;
    void TxInvalidateRect(LPCRECT prc, WINBOOL fMode) override;
    void TxViewChange(WINBOOL fUpdate) override;
    WINBOOL TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight) override;
    WINBOOL TxShowCaret(WINBOOL fShow) override;
    WINBOOL TxSetCaretPos(INT x, INT y) override;
    WINBOOL TxSetTimer(UINT idTimer, UINT uTimeout) override;
    void TxKillTimer(UINT idTimer) override;
    void TxScrollWindowEx(INT dx, INT dy, LPCRECT lprcScroll, LPCRECT lprcClip, HRGN hrgnUpdate,
                          LPRECT lprcUpdate, UINT fuScroll) override;
    void TxSetCapture(WINBOOL fCapture) override;
    void TxSetFocus() override;
    void TxSetCursor(HCURSOR hcur, WINBOOL fText) override;
    WINBOOL TxScreenToClient(LPPOINT lppt) override;
    WINBOOL TxClientToScreen(LPPOINT lppt) override;
    HRESULT TxActivate(LONG* plOldState) override;
    HRESULT TxDeactivate(LONG lNewState) override;
    HRESULT TxGetClientRect(LPRECT prc) override;
    HRESULT TxGetViewInset(LPRECT prc) override;
    HRESULT TxGetCharFormat(const CHARFORMATW** ppCF) override;
    HRESULT TxGetParaFormat(const PARAFORMAT** ppPF) override;
    COLORREF TxGetSysColor(int nIndex) override;
    HRESULT TxGetBackStyle(TXTBACKSTYLE* pstyle) override;
    HRESULT TxGetMaxLength(DWORD* plength) override;
    HRESULT TxGetScrollBars(DWORD* pdwScrollBar) override;
    HRESULT TxGetPasswordChar(TCHAR* pch) override;
    HRESULT TxGetAcceleratorPos(LONG* pcp) override;
    HRESULT TxGetExtent(LPSIZEL lpExtent) override;
    HRESULT OnTxCharFormatChange(const CHARFORMATW* pcf) override;
    HRESULT OnTxParaFormatChange(const PARAFORMAT* ppf) override;
    HRESULT TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits) override;
    HRESULT TxNotify(DWORD iNotify, void* pv) override;
    HIMC TxImmGetContext() override;
    void TxImmReleaseContext(HIMC himc) override;
    HRESULT TxGetSelectionBarWidth(LONG* lSelBarWidth) override;

    // Property changes made by the control, passed on to the engine.
    bool IsWordWrap() const { return m_bWordWrap; }
    void SetWordWrap(bool bWordWrap);
    bool IsReadOnly() const { return (m_dwStyle & ES_READONLY) != 0; }
    void SetReadOnly(bool bReadOnly);
    bool IsRich() const { return m_bRich; }
    void SetRich(bool bRich);
    void SetMultiLine(bool bMultiLine);
    void SetParagraphIndent(bool bIndent);
    void SetTransparent(bool bTransparent);
    void LimitText(LONG nChars);
    LONG GetLimitText() const { return m_nTextLimit; }
    void SetFont(HFONT hFont);
    void SetColor(DWORD dwColor);
    void SetParaAlignment(WORD wAlign);
    void SetPasswordChar(WCHAR chPassword);
    void SetClientRect(const RECT& rc);
    const RECT& GetClientRect() const { return m_rcClient; }
    void NeedFreshClientRect();
    bool IsCaptured() const { return m_bCaptured; }
    void CaptureLost() { m_bCaptured = false; }
    DWORD GetStyle() const { return m_dwStyle; }

    // The engine's caret, drawn by the control itself in layered windows.
    bool IsCaretShown() const { return m_bCaretShown; }
    RECT GetCaretRect() const;

    bool DoSetCursor(const RECT* prc, const POINT* pt);
    bool GetNaturalSize(LONG& width, LONG& height, DWORD dwMode);

private:
    void InitDefaultCharFormat(HFONT hFont);
    void InitDefaultParaFormat();
    void ChangeProperty(DWORD dwMask, bool bSet);
    HWND Window() const;
    bool IsLayeredWindow() const;
    void InvalidateCaret();

    CTxtWinHost(const CTxtWinHost&) = delete;
    CTxtWinHost& operator=(const CTxtWinHost&) = delete;

    ULONG m_cRefs;
    CRichEditUI* m_re;
    HMODULE m_hLib;
    IUnknown* m_pUnk;
    ITextServices* m_pServ;

    DWORD m_dwStyle;
    bool m_bWordWrap;
    bool m_bRich;
    bool m_bTransparent;
    bool m_bCaptured;
    bool m_bCaretShown;
    bool m_bClientRectFresh;
    LONG m_nTextLimit;
    WCHAR m_chPassword;
    DWORD m_dwPropertyBits;

    RECT m_rcClient;
    POINT m_ptCaret;
    SIZE m_szCaret;
    SIZEL m_sizelExtent;
    CHARFORMAT2W m_cf;
    PARAFORMAT2 m_pf;
};

} // namespace Veneer

#endif // VENEER_UITXTWINHOST_H
