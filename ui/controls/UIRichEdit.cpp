#include "ui/controls/UIRichEdit.h"

#include "ui/core/UIAttributeTable.h"
#include <imm.h>
#include <windowsx.h>

#include <vector>

#include "ui/controls/UIButton.h"
#include "ui/controls/UIScrollBar.h"
#include "ui/controls/UITxtWinHost.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"
#include "ui/core/UIRenderClip.h"
#include "ui/support/SelectObject.h"
#include "ui/support/UniqueHandle.h"

namespace Veneer {

namespace {

const DWORD kDefaultStyle = 0x00400000;
const DWORD kEventMask = ENM_CHANGE | ENM_DROPFILES | ENM_LINK;
const UINT kVAlignTop = 0;
const UINT kVAlignCenter = 1;
const UINT kVAlignBottom = 8;

bool IsMouseEvent(int type)
{
    return type > UIEVENT__MOUSEBEGIN && type < UIEVENT__MOUSEEND;
}

bool IsButtonMessage(UINT uMsg)
{
    return uMsg == WM_LBUTTONDOWN || uMsg == WM_LBUTTONUP || uMsg == WM_LBUTTONDBLCLK || uMsg == WM_RBUTTONDOWN ||
           uMsg == WM_RBUTTONUP;
}

bool IsForwardedNotification(DWORD code)
{
    return code == EN_MSGFILTER || (code >= EN_SELCHANGE && code <= EN_PROTECTED) || code == EN_STOPNOUNDO ||
           (code >= EN_SAVECLIPBOARD && code <= EN_DRAGDROPDONE);
}

// The edit's own switches take the exact words "true" and "false" only.
template <class T, void (T::*Set)(bool)> void SetExactBool(CControlUI& control, LPCTSTR pstrValue)
{
    (static_cast<T&>(control).*Set)(CAttributeValue::ExactBool(pstrValue));
}

} // namespace

CRichEditUI::CRichEditUI()
    : m_pTwh(nullptr),
      m_bVScrollBarFixing(false),
      m_bWantTab(true),
      m_bWantReturn(false),
      m_bWantCtrlReturn(false),
      m_bTransparent(true),
      m_bRich(false),
      m_bReadOnly(false),
      m_bWordWrap(false),
      m_bParagraphIndent(false),
      m_dwTextColor(0),
      m_iFont(-1),
      m_iLimitText(32767),
      m_lTwhStyle(kDefaultStyle),
      m_bDrawCaret(true),
      m_bInited(false),
      m_fAccumulateDBCMode(false),
      m_uVAlign(kVAlignTop),
      m_uButtonState(0),
      m_bReturnSwallowed(false),
      m_dwTipValueColor(0xFFBAC0C5),
      m_uTipValueAlign(DT_SINGLELINE)
{
    ::SetRectEmpty(&m_rcTextPadding);
}

void CRichEditUI::PreloadEngine()
{
    CTxtWinHost::PreloadLibrary();
}

CRichEditUI::~CRichEditUI()
{
    // The engine goes first: it may still call back into the control while it ends.
    m_pTwh.reset();
    if (m_pManager != nullptr) m_pManager->RemoveMessageFilter(this);
}

LPCTSTR CRichEditUI::GetClass() const
{
    return L"RichEditUI";
}

LPVOID CRichEditUI::GetInterface(LPCTSTR pstrName)
{
    if (_wcsicmp(pstrName, L"RichEdit") == 0) return static_cast<CRichEditUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CRichEditUI::GetControlFlags() const
{
    return IsEnabled() ? (UIFLAG_TABSTOP | UIFLAG_SETCURSOR) : 0;
}

bool CRichEditUI::OnEnableResponseDefaultKeyEvent(WPARAM wParam)
{
    if (wParam == VK_RETURN && IsFocused() && (m_bWantReturn || m_bWantCtrlReturn)) return false;
    return true;
}

bool CRichEditUI::IsLayeredWindow() const
{
    return m_pManager != nullptr && m_pManager->IsLayered();
}

// ---- properties -------------------------------------------------------------------

void CRichEditUI::SetEnabled(bool bEnabled)
{
    CContainerUI::SetEnabled(bEnabled);
    if (m_pTwh == nullptr || m_pManager == nullptr) return;
    m_pTwh->SetColor(IsEnabled() ? m_dwTextColor : m_pManager->GetDefaultDisabledColor());
}

bool CRichEditUI::IsMultiLine() { return (m_lTwhStyle & ES_MULTILINE) != 0; }

void CRichEditUI::SetMultiLine(bool bMultiLine)
{
    if (bMultiLine) m_lTwhStyle |= ES_MULTILINE;
    else m_lTwhStyle &= ~ES_MULTILINE;
    if (m_pTwh != nullptr) m_pTwh->SetMultiLine(bMultiLine);
}

bool CRichEditUI::IsWantTab() { return m_bWantTab; }
void CRichEditUI::SetWantTab(bool bWantTab) { m_bWantTab = bWantTab; }
bool CRichEditUI::IsWantReturn() { return m_bWantReturn; }
void CRichEditUI::SetWantReturn(bool bWantReturn) { m_bWantReturn = bWantReturn; }
bool CRichEditUI::IsWantCtrlReturn() { return m_bWantCtrlReturn; }
void CRichEditUI::SetWantCtrlReturn(bool bWantCtrlReturn) { m_bWantCtrlReturn = bWantCtrlReturn; }
bool CRichEditUI::IsTransparent() { return m_bTransparent; }

void CRichEditUI::SetTransparent(bool bTransparent)
{
    m_bTransparent = bTransparent;
    if (m_pTwh != nullptr) m_pTwh->SetTransparent(bTransparent);
}

bool CRichEditUI::IsRich() { return m_bRich; }

void CRichEditUI::SetRich(bool bRich)
{
    m_bRich = bRich;
    if (m_pTwh != nullptr) m_pTwh->SetRich(bRich);
}

bool CRichEditUI::IsReadOnly() { return m_bReadOnly; }

void CRichEditUI::SetReadOnly(bool bReadOnly)
{
    m_bReadOnly = bReadOnly;
    // Keep the creation style in step, so a later initialisation honours it too.
    if (bReadOnly) m_lTwhStyle |= ES_READONLY;
    else m_lTwhStyle &= ~ES_READONLY;
    if (m_pTwh != nullptr) m_pTwh->SetReadOnly(bReadOnly);
}

bool CRichEditUI::IsWordWrap() { return m_bWordWrap; }

void CRichEditUI::SetWordWrap(bool bWordWrap)
{
    m_bWordWrap = bWordWrap;
    if (m_pTwh != nullptr) m_pTwh->SetWordWrap(bWordWrap);
}

bool CRichEditUI::IsParagraphIndent() { return m_bParagraphIndent; }

void CRichEditUI::SetParagraphIndent(bool bIndent)
{
    m_bParagraphIndent = bIndent;
    if (m_pTwh != nullptr) m_pTwh->SetParagraphIndent(bIndent);
}

int CRichEditUI::GetFont() { return m_iFont; }

void CRichEditUI::SetFont(int index)
{
    m_iFont = index;
    if (m_pTwh != nullptr && m_pManager != nullptr) m_pTwh->SetFont(m_pManager->GetFont(m_iFont));
}

void CRichEditUI::SetFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    if (m_pTwh == nullptr) return;
    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    if (pStrFontName != nullptr) ::lstrcpynW(lf.lfFaceName, pStrFontName, LF_FACESIZE);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -nSize;
    if (bBold) lf.lfWeight += FW_BOLD;
    if (bUnderline) lf.lfUnderline = TRUE;
    if (bItalic) lf.lfItalic = TRUE;
    CFontHandle font(::CreateFontIndirectW(&lf));
    if (font.Get() != nullptr) m_pTwh->SetFont(font.Get());
}

LONG CRichEditUI::GetWinStyle() { return m_lTwhStyle; }
void CRichEditUI::SetWinStyle(LONG lStyle) { m_lTwhStyle = lStyle; }
DWORD CRichEditUI::GetTextColor() { return m_dwTextColor; }

void CRichEditUI::SetTextColor(DWORD dwTextColor)
{
    m_dwTextColor = dwTextColor;
    if (m_pTwh != nullptr) m_pTwh->SetColor(dwTextColor);
}

int CRichEditUI::GetLimitText() { return m_iLimitText; }

void CRichEditUI::SetLimitText(int iChars)
{
    m_iLimitText = iChars;
    if (m_pTwh != nullptr) m_pTwh->LimitText(iChars);
}

RECT CRichEditUI::GetTextPadding() const { return m_rcTextPadding; }

void CRichEditUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

#define VENEER_RICHEDIT_IMAGE(Getter, Setter, Member)        \
    LPCTSTR CRichEditUI::Getter() { return Member; }         \
    void CRichEditUI::Setter(LPCTSTR pStrImage)              \
    {                                                        \
        Member = pStrImage;                                  \
        Invalidate();                                        \
    }

VENEER_RICHEDIT_IMAGE(GetNormalImage, SetNormalImage, m_sNormalImage)
VENEER_RICHEDIT_IMAGE(GetHotImage, SetHotImage, m_sHotImage)
VENEER_RICHEDIT_IMAGE(GetFocusedImage, SetFocusedImage, m_sFocusedImage)
VENEER_RICHEDIT_IMAGE(GetDisabledImage, SetDisabledImage, m_sDisabledImage)

#undef VENEER_RICHEDIT_IMAGE

void CRichEditUI::SetTipValue(LPCTSTR pStrTipValue) { m_sTipValue = pStrTipValue; }
LPCTSTR CRichEditUI::GetTipValue() { return m_sTipValue; }
void CRichEditUI::SetTipValueColor(LPCTSTR pStrColor)
{
    m_dwTipValueColor = CAttributeValue::Color(pStrColor, CAttributeValue::kSpaceTab);
}
DWORD CRichEditUI::GetTipValueColor() { return m_dwTipValueColor; }

void CRichEditUI::SetTipValueAlign(UINT uAlign)
{
    m_uTipValueAlign = uAlign;
    if (GetText().IsEmpty()) Invalidate();
}

UINT CRichEditUI::GetTipValueAlign() { return m_uTipValueAlign; }
bool CRichEditUI::IsVScrollBarFixing() const { return m_bVScrollBarFixing; }
void CRichEditUI::SetVScrollBarFixing(bool bFixing) { m_bVScrollBarFixing = bFixing; }

// ---- text and edit commands ------------------------------------------------------

HRESULT CRichEditUI::TxSendMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plresult) const
{
    if (m_pTwh == nullptr || m_pTwh->GetTextServices() == nullptr) return 1;
    if (msg == WM_KEYDOWN && wParam == VK_RETURN) {
        const bool bCtrl = ::GetKeyState(VK_CONTROL) < 0;
        if (!m_bWantReturn || (bCtrl && !m_bWantCtrlReturn)) {
            m_bReturnSwallowed = true;
            if (m_pManager != nullptr) m_pManager->SendNotify(const_cast<CRichEditUI*>(this), L"return");
            return 0;
        }
        m_bReturnSwallowed = false;
    } else if (msg == WM_KEYDOWN) {
        m_bReturnSwallowed = false;
    } else if (msg == WM_CHAR && (wParam == L'\r' || wParam == L'\n') && m_bReturnSwallowed) {
        // The character made from a refused Return key must not break the line either.
        m_bReturnSwallowed = false;
        return 0;
    }
    LRESULT lDummy = 0;
    return m_pTwh->GetTextServices()->TxSendMessage(msg, wParam, lParam, plresult != nullptr ? plresult : &lDummy);
}

long CRichEditUI::GetTextLength(DWORD dwFlags) const
{
    GETTEXTLENGTHEX textLenEx = {dwFlags, 1200};
    LRESULT lResult = 0;
    TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&textLenEx), 0, &lResult);
    return static_cast<long>(lResult);
}

CUIString CRichEditUI::GetText() const
{
    // Until the engine exists, or where the system has none, the control holds its text itself.
    if (m_pTwh == nullptr) return m_sText;
    const long lLen = GetTextLength(GTL_DEFAULT);
    if (lLen <= 0) return CUIString();
    std::vector<wchar_t> buffer(static_cast<size_t>(lLen) + 1, L'\0');
    GETTEXTEX gt = {};
    gt.cb = static_cast<DWORD>((lLen + 1) * sizeof(wchar_t));
    gt.flags = GT_DEFAULT;
    gt.codepage = 1200;
    LRESULT lResult = 0;
    TxSendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(buffer.data()), &lResult);
    return CUIString(buffer.data());
}

void CRichEditUI::SetText(LPCTSTR pstrText)
{
    m_sText = pstrText != nullptr ? pstrText : L"";
    if (m_pTwh == nullptr) {
        Invalidate();
        return;
    }
    // The text engine may refuse to replace the selection of a read-only edit, as it refuses
    // typing; the program's own text must still go in, so read-only is lifted meanwhile.
    if (m_bReadOnly) m_pTwh->SetReadOnly(false);
    SetSel(0, -1);
    ReplaceSel(m_sText, false);
    if (m_bReadOnly) m_pTwh->SetReadOnly(true);
    EmptyUndoBuffer();
    if (m_pManager != nullptr) m_pManager->NotifyAccessibleEvent(EVENT_OBJECT_VALUECHANGE, this);
}

bool CRichEditUI::IsModify() const
{
    LRESULT lResult = 0;
    TxSendMessage(EM_GETMODIFY, 0, 0, &lResult);
    return lResult != 0;
}

void CRichEditUI::SetModify(bool bModified) const
{
    TxSendMessage(EM_SETMODIFY, bModified ? TRUE : FALSE, 0, nullptr);
}

void CRichEditUI::GetSel(CHARRANGE& cr) const
{
    TxSendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr), nullptr);
}

void CRichEditUI::GetSel(long& nStartChar, long& nEndChar) const
{
    CHARRANGE cr = {0, 0};
    GetSel(cr);
    nStartChar = cr.cpMin;
    nEndChar = cr.cpMax;
}

int CRichEditUI::SetSel(CHARRANGE& cr)
{
    LRESULT lResult = 0;
    TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&cr), &lResult);
    return static_cast<int>(lResult);
}

int CRichEditUI::SetSel(long nStartChar, long nEndChar)
{
    CHARRANGE cr = {nStartChar, nEndChar};
    return SetSel(cr);
}

void CRichEditUI::ReplaceSel(LPCTSTR lpszNewText, bool bCanUndo)
{
    TxSendMessage(EM_REPLACESEL, bCanUndo ? TRUE : FALSE, reinterpret_cast<LPARAM>(lpszNewText), nullptr);
}

CUIString CRichEditUI::GetSelText() const
{
    CHARRANGE cr = {0, 0};
    GetSel(cr);
    const long lLen = cr.cpMax - cr.cpMin;
    if (lLen <= 0) return CUIString();
    std::vector<wchar_t> buffer(static_cast<size_t>(lLen) + 1, L'\0');
    TxSendMessage(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buffer.data()), nullptr);
    return CUIString(buffer.data());
}

int CRichEditUI::SetSelAll() { return SetSel(0, -1); }
int CRichEditUI::SetSelNone() { return SetSel(-1, 0); }

WORD CRichEditUI::GetSelectionType() const
{
    LRESULT lResult = 0;
    TxSendMessage(EM_SELECTIONTYPE, 0, 0, &lResult);
    return static_cast<WORD>(lResult);
}

bool CRichEditUI::GetZoom(int& nNum, int& nDen) const
{
    LRESULT lResult = 0;
    TxSendMessage(EM_GETZOOM, reinterpret_cast<WPARAM>(&nNum), reinterpret_cast<LPARAM>(&nDen), &lResult);
    return lResult != 0;
}

bool CRichEditUI::SetZoom(int nNum, int nDen)
{
    if (nNum < 0 || nNum > 64 || nDen < 0 || nDen > 64) return false;
    LRESULT lResult = 0;
    TxSendMessage(EM_SETZOOM, nNum, nDen, &lResult);
    return lResult != 0;
}

bool CRichEditUI::SetZoomOff()
{
    LRESULT lResult = 0;
    TxSendMessage(EM_SETZOOM, 0, 0, &lResult);
    return lResult != 0;
}

bool CRichEditUI::GetAutoURLDetect() const
{
    LRESULT lResult = 0;
    TxSendMessage(EM_GETAUTOURLDETECT, 0, 0, &lResult);
    return lResult != 0;
}

bool CRichEditUI::SetAutoURLDetect(bool bAutoDetect)
{
    LRESULT lResult = 0;
    TxSendMessage(EM_AUTOURLDETECT, bAutoDetect ? TRUE : FALSE, 0, &lResult);
    return lResult == 0;
}

DWORD CRichEditUI::GetEventMask() const
{
    LRESULT lResult = 0;
    TxSendMessage(EM_GETEVENTMASK, 0, 0, &lResult);
    return static_cast<DWORD>(lResult);
}

DWORD CRichEditUI::SetEventMask(DWORD dwEventMask)
{
    LRESULT lResult = 0;
    TxSendMessage(EM_SETEVENTMASK, 0, dwEventMask, &lResult);
    return static_cast<DWORD>(lResult);
}

CUIString CRichEditUI::GetTextRange(long nStartChar, long nEndChar) const
{
    if (nEndChar <= nStartChar) return CUIString();
    std::vector<wchar_t> buffer(static_cast<size_t>(nEndChar - nStartChar) + 1, L'\0');
    TEXTRANGEW tr = {};
    tr.chrg.cpMin = nStartChar;
    tr.chrg.cpMax = nEndChar;
    tr.lpstrText = buffer.data();
    TxSendMessage(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&tr), nullptr);
    return CUIString(buffer.data());
}

void CRichEditUI::HideSelection(bool bHide, bool bChangeStyle)
{
    TxSendMessage(EM_HIDESELECTION, bHide ? TRUE : FALSE, bChangeStyle ? TRUE : FALSE, nullptr);
}

void CRichEditUI::ScrollCaret()
{
    TxSendMessage(EM_SCROLLCARET, 0, 0, nullptr);
}

int CRichEditUI::InsertText(long nInsertAfterChar, LPCTSTR lpstrText, bool bCanUndo)
{
    const int nRet = SetSel(nInsertAfterChar, nInsertAfterChar);
    ReplaceSel(lpstrText, bCanUndo);
    return nRet;
}

int CRichEditUI::AppendText(LPCTSTR lpstrText, bool bCanUndo)
{
    const int nRet = SetSel(-1, -1);
    ReplaceSel(lpstrText, bCanUndo);
    return nRet;
}

DWORD CRichEditUI::GetDefaultCharFormat(CHARFORMAT2& cf) const
{
    cf.cbSize = sizeof(CHARFORMAT2);
    LRESULT lResult = 0;
    TxSendMessage(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf), &lResult);
    return static_cast<DWORD>(lResult);
}

bool CRichEditUI::SetDefaultCharFormat(CHARFORMAT2& cf)
{
    cf.cbSize = sizeof(CHARFORMAT2);
    LRESULT lResult = 0;
    TxSendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf), &lResult);
    return lResult != 0;
}

DWORD CRichEditUI::GetSelectionCharFormat(CHARFORMAT2& cf) const
{
    cf.cbSize = sizeof(CHARFORMAT2);
    LRESULT lResult = 0;
    TxSendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf), &lResult);
    return static_cast<DWORD>(lResult);
}

bool CRichEditUI::SetSelectionCharFormat(CHARFORMAT2& cf)
{
    cf.cbSize = sizeof(CHARFORMAT2);
    LRESULT lResult = 0;
    TxSendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf), &lResult);
    return lResult != 0;
}

bool CRichEditUI::SetWordCharFormat(CHARFORMAT2& cf)
{
    cf.cbSize = sizeof(CHARFORMAT2);
    LRESULT lResult = 0;
    TxSendMessage(EM_SETCHARFORMAT, SCF_SELECTION | SCF_WORD, reinterpret_cast<LPARAM>(&cf), &lResult);
    return lResult != 0;
}

DWORD CRichEditUI::GetParaFormat(PARAFORMAT2& pf) const
{
    pf.cbSize = sizeof(PARAFORMAT2);
    LRESULT lResult = 0;
    TxSendMessage(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf), &lResult);
    return static_cast<DWORD>(lResult);
}

bool CRichEditUI::SetParaFormat(PARAFORMAT2& pf)
{
    pf.cbSize = sizeof(PARAFORMAT2);
    LRESULT lResult = 0;
    TxSendMessage(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf), &lResult);
    return lResult != 0;
}

bool CRichEditUI::CanUndo()
{
    LRESULT lResult = 0;
    TxSendMessage(EM_CANUNDO, 0, 0, &lResult);
    return lResult != 0;
}

bool CRichEditUI::CanRedo()
{
    LRESULT lResult = 0;
    TxSendMessage(EM_CANREDO, 0, 0, &lResult);
    return lResult != 0;
}

bool CRichEditUI::CanPaste()
{
    LRESULT lResult = 0;
    TxSendMessage(EM_CANPASTE, 0, 0, &lResult);
    return lResult != 0;
}

bool CRichEditUI::Redo()
{
    LRESULT lResult = 0;
    TxSendMessage(EM_REDO, 0, 0, &lResult);
    return lResult != 0;
}

bool CRichEditUI::Undo()
{
    LRESULT lResult = 0;
    TxSendMessage(EM_UNDO, 0, 0, &lResult);
    return lResult != 0;
}

void CRichEditUI::Clear() { TxSendMessage(WM_CLEAR, 0, 0, nullptr); }
void CRichEditUI::Copy() { TxSendMessage(WM_COPY, 0, 0, nullptr); }
void CRichEditUI::Cut() { TxSendMessage(WM_CUT, 0, 0, nullptr); }
void CRichEditUI::Paste() { TxSendMessage(WM_PASTE, 0, 0, nullptr); }

int CRichEditUI::GetLineCount() const
{
    LRESULT lResult = 0;
    TxSendMessage(EM_GETLINECOUNT, 0, 0, &lResult);
    return static_cast<int>(lResult);
}

CUIString CRichEditUI::GetLine(int nIndex, int nMaxLength) const
{
    if (nMaxLength <= 0) return CUIString();
    // The first word of the buffer tells the engine its capacity.
    std::vector<wchar_t> buffer(static_cast<size_t>(nMaxLength) + 2, L'\0');
    buffer[0] = static_cast<wchar_t>(nMaxLength > 0xFFFF ? 0xFFFF : nMaxLength);
    LRESULT lResult = 0;
    TxSendMessage(EM_GETLINE, nIndex, reinterpret_cast<LPARAM>(buffer.data()), &lResult);
    if (lResult < 0) lResult = 0;
    if (lResult > nMaxLength) lResult = nMaxLength;
    buffer[static_cast<size_t>(lResult)] = L'\0';
    return CUIString(buffer.data());
}

int CRichEditUI::LineIndex(int nLine) const
{
    LRESULT lResult = 0;
    TxSendMessage(EM_LINEINDEX, nLine, 0, &lResult);
    return static_cast<int>(lResult);
}

int CRichEditUI::LineLength(int nLine) const
{
    LRESULT lResult = 0;
    TxSendMessage(EM_LINELENGTH, nLine, 0, &lResult);
    return static_cast<int>(lResult);
}

bool CRichEditUI::LineScroll(int nLines, int nChars)
{
    LRESULT lResult = 0;
    TxSendMessage(EM_LINESCROLL, nChars, nLines, &lResult);
    return lResult != 0;
}

CUIPoint CRichEditUI::GetCharPos(long lChar) const
{
    POINTL pt = {0, 0};
    TxSendMessage(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&pt), lChar, nullptr);
    return CUIPoint(pt.x, pt.y);
}

long CRichEditUI::LineFromChar(long nIndex) const
{
    LRESULT lResult = 0;
    TxSendMessage(EM_EXLINEFROMCHAR, 0, nIndex, &lResult);
    return static_cast<long>(lResult);
}

CUIPoint CRichEditUI::PosFromChar(UINT nChar) const
{
    return GetCharPos(static_cast<long>(nChar));
}

int CRichEditUI::CharFromPos(CUIPoint pt) const
{
    POINTL ptl = {pt.x, pt.y};
    LRESULT lResult = 0;
    TxSendMessage(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&ptl), &lResult);
    return static_cast<int>(lResult);
}

void CRichEditUI::EmptyUndoBuffer() { TxSendMessage(EM_EMPTYUNDOBUFFER, 0, 0, nullptr); }

UINT CRichEditUI::SetUndoLimit(UINT nLimit)
{
    LRESULT lResult = 0;
    TxSendMessage(EM_SETUNDOLIMIT, nLimit, 0, &lResult);
    return static_cast<UINT>(lResult);
}

long CRichEditUI::StreamIn(int nFormat, EDITSTREAM& es)
{
    LRESULT lResult = 0;
    TxSendMessage(EM_STREAMIN, nFormat, reinterpret_cast<LPARAM>(&es), &lResult);
    return static_cast<long>(lResult);
}

long CRichEditUI::StreamOut(int nFormat, EDITSTREAM& es)
{
    LRESULT lResult = 0;
    TxSendMessage(EM_STREAMOUT, nFormat, reinterpret_cast<LPARAM>(&es), &lResult);
    return static_cast<long>(lResult);
}

void CRichEditUI::SetDropAcceptFile(bool bAccept)
{
    const DWORD dwMask = GetEventMask();
    SetEventMask(bAccept ? (dwMask | ENM_DROPFILES) : (dwMask & ~ENM_DROPFILES));
}

IDropTarget* CRichEditUI::GetTxDropTarget()
{
    if (m_pTwh == nullptr || m_pTwh->GetTextServices() == nullptr) return nullptr;
    IDropTarget* pDropTarget = nullptr;
    if (FAILED(m_pTwh->GetTextServices()->TxGetDropTarget(&pDropTarget))) return nullptr;
    return pDropTarget;
}

bool CRichEditUI::OnTxViewChanged()
{
    return true;
}

void CRichEditUI::OnTxNotify(DWORD iNotify, void* pv)
{
    if (iNotify == EN_CHANGE) {
        if (m_pManager != nullptr) m_pManager->SendNotify(this, L"textchanged");
        if (IsAutoCalcWidth() || IsAutoCalcHeight()) NeedParentUpdate();
        return;
    }
    if (!IsForwardedNotification(iNotify) || pv == nullptr || m_pManager == nullptr) return;
    HWND hWnd = m_pManager->GetPaintWindow();
    auto* pHeader = static_cast<NMHDR*>(pv);
    pHeader->hwndFrom = hWnd;
    pHeader->idFrom = static_cast<UINT_PTR>(::GetWindowLongPtrW(hWnd, GWLP_ID));
    pHeader->code = iNotify;
    ::SendMessageW(hWnd, WM_NOTIFY, pHeader->idFrom, reinterpret_cast<LPARAM>(pv));
}

// ---- scrolling through the engine ---------------------------------------------------

void CRichEditUI::SetScrollPos(SIZE szPos, bool /*bMsg*/)
{
    const SIZE szOld = GetScrollPos();
    if (szPos.cy != szOld.cy) TxSendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, szPos.cy), 0, nullptr);
    if (szPos.cx != szOld.cx) TxSendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, szPos.cx), 0, nullptr);
}

void CRichEditUI::LineUp() { TxSendMessage(WM_VSCROLL, SB_LINEUP, 0, nullptr); }
void CRichEditUI::LineDown() { TxSendMessage(WM_VSCROLL, SB_LINEDOWN, 0, nullptr); }
void CRichEditUI::PageUp() { TxSendMessage(WM_VSCROLL, SB_PAGEUP, 0, nullptr); }
void CRichEditUI::PageDown() { TxSendMessage(WM_VSCROLL, SB_PAGEDOWN, 0, nullptr); }
void CRichEditUI::HomeUp() { TxSendMessage(WM_VSCROLL, SB_TOP, 0, nullptr); }
void CRichEditUI::EndDown() { TxSendMessage(WM_VSCROLL, SB_BOTTOM, 0, nullptr); }
void CRichEditUI::LineLeft() { TxSendMessage(WM_HSCROLL, SB_LINELEFT, 0, nullptr); }
void CRichEditUI::LineRight() { TxSendMessage(WM_HSCROLL, SB_LINERIGHT, 0, nullptr); }
void CRichEditUI::PageLeft() { TxSendMessage(WM_HSCROLL, SB_PAGELEFT, 0, nullptr); }
void CRichEditUI::PageRight() { TxSendMessage(WM_HSCROLL, SB_PAGERIGHT, 0, nullptr); }
void CRichEditUI::HomeLeft() { TxSendMessage(WM_HSCROLL, SB_LEFT, 0, nullptr); }
void CRichEditUI::EndRight() { TxSendMessage(WM_HSCROLL, SB_RIGHT, 0, nullptr); }

// ---- life cycle -------------------------------------------------------------------

void CRichEditUI::CreateHost()
{
    m_pTwh.reset(new CTxtWinHost());
    if (!m_pTwh->Init(this, static_cast<DWORD>(m_lTwhStyle), m_sText)) m_pTwh.reset();
}

void CRichEditUI::DoInit()
{
    if (m_bInited) return;
    m_bInited = true;
    CreateHost();
    if (m_pTwh == nullptr) return;

    if (m_bTransparent) m_pTwh->SetTransparent(true);
    TxSendMessage(EM_SETLANGOPTIONS, 0, 0, nullptr);
    TxSendMessage(EM_SETEVENTMASK, 0, kEventMask, nullptr);
    m_pTwh->GetTextServices()->OnTxInPlaceActivate(nullptr);
    if (m_pManager != nullptr) {
        m_pManager->AddMessageFilter(this);
        if (IsLayeredWindow()) SetTimer(CARET_TIMER_ID, ::GetCaretBlinkTime());
        if (!IsEnabled()) m_pTwh->SetColor(m_pManager->GetDefaultDisabledColor());
    }
}

void CRichEditUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    CPaintManagerUI* pOld = m_pManager;
    const bool bRunning = m_pTwh != nullptr;  // else DoInit registers the filter when it starts the engine
    CContainerUI::SetManager(pManager, pParent, bInit);
    if (!bRunning || pOld == m_pManager) return;
    // A page kept out of its window and added again (or into another window) listens where it lives now.
    if (pOld != nullptr) pOld->RemoveMessageFilter(this);
    if (m_pManager != nullptr) m_pManager->AddMessageFilter(this);
}

// ---- layout -------------------------------------------------------------------------

int CRichEditUI::LineHeight() const
{
    if (m_pManager == nullptr) return 0;
    HDC hDC = m_pManager->GetPaintDC();
    HFONT hFont = m_pManager->GetFont(m_iFont);
    CSelectObject select(hDC, hFont);
    SIZE sz = {0, 0};
    ::GetTextExtentPoint32W(hDC, L"A", 1, &sz);
    return sz.cy;
}

RECT CRichEditUI::TextArea(const RECT& rcItem) const
{
    RECT rc = rcItem;
    if (!(m_lTwhStyle & ES_MULTILINE) && m_uVAlign != kVAlignTop) {
        const int nLine = LineHeight();
        if (m_uVAlign == kVAlignCenter) {
            const int nSpare = (rcItem.bottom - rcItem.top) - nLine;
            if (nSpare > 0) rc.top += nSpare / 2;
        } else if (m_uVAlign == kVAlignBottom) {
            const LONG lTop = rcItem.bottom - nLine;
            if (lTop > rc.top) rc.top = lTop;
        }
    }
    const RECT rcInset = GetInset();
    rc.left += rcInset.left;
    rc.top += rcInset.top;
    rc.right -= rcInset.right;
    rc.bottom -= rcInset.bottom;
    if (m_pVerticalScrollBar != nullptr && m_pVerticalScrollBar->IsVisible()) {
        rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    }
    if (m_pHorizontalScrollBar != nullptr && m_pHorizontalScrollBar->IsVisible()) {
        rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    }
    const RECT rcPadding = ScaleRect(m_rcTextPadding);
    rc.left += rcPadding.left;
    rc.top += rcPadding.top;
    rc.right -= rcPadding.right;
    rc.bottom -= rcPadding.bottom;
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    return rc;
}

void CRichEditUI::FixVerticalScrollBar()
{
    if (!m_bVScrollBarFixing || m_pTwh == nullptr) return;
    const RECT& rcText = m_pTwh->GetClientRect();
    LONG lWidth = rcText.right - rcText.left;
    LONG lHeight = 0;
    if (!m_pTwh->GetNaturalSize(lWidth, lHeight, TXTNS_FITTOCONTENT)) return;
    const bool bNeeded = lHeight > rcText.bottom - rcText.top;
    if (bNeeded && m_pVerticalScrollBar == nullptr) EnableScrollBar(true, m_pHorizontalScrollBar != nullptr);
    if (m_pVerticalScrollBar == nullptr) return;
    if (bNeeded != m_pVerticalScrollBar->IsVisible()) {
        m_pVerticalScrollBar->SetVisible(bNeeded);
        if (bNeeded) m_pVerticalScrollBar->SetScrollPos(0);
        m_pTwh->SetClientRect(TextArea(m_rcItem));
    }
}

void CRichEditUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    rc = m_rcItem;
    if (m_pTwh != nullptr) {
        m_pTwh->SetClientRect(TextArea(rc));
        FixVerticalScrollBar();
    }

    const RECT rcInset = GetInset();
    const bool bVertical = m_pVerticalScrollBar != nullptr && m_pVerticalScrollBar->IsVisible();
    const bool bHorizontal = m_pHorizontalScrollBar != nullptr && m_pHorizontalScrollBar->IsVisible();
    const int cxBar = bVertical ? m_pVerticalScrollBar->GetFixedWidth() : 0;
    const int cyBar = bHorizontal ? m_pHorizontalScrollBar->GetFixedHeight() : 0;
    if (bVertical) {
        RECT rcBar = {rc.right - rcInset.right - cxBar, rc.top + rcInset.top, rc.right - rcInset.right,
                      rc.bottom - rcInset.bottom - cyBar};
        m_pVerticalScrollBar->SetPos(rcBar, bNeedInvalidate);
    }
    if (bHorizontal) {
        RECT rcBar = {rc.left + rcInset.left, rc.bottom - rcInset.bottom - cyBar, rc.right - rcInset.right - cxBar,
                      rc.bottom - rcInset.bottom};
        m_pHorizontalScrollBar->SetPos(rcBar, bNeedInvalidate);
    }

    RECT rcClient = {rc.left + rcInset.left, rc.top + rcInset.top, rc.right - rcInset.right - cxBar,
                     rc.bottom - rcInset.bottom - cyBar};
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!pControl->IsVisible()) continue;
        if (pControl->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        LONG cx = rcClient.right - rcClient.left;
        LONG cy = rcClient.bottom - rcClient.top;
        if (cx < pControl->GetMinWidth()) cx = pControl->GetMinWidth();
        if (cx > pControl->GetMaxWidth()) cx = pControl->GetMaxWidth();
        if (cy < pControl->GetMinHeight()) cy = pControl->GetMinHeight();
        if (cy > pControl->GetMaxHeight()) cy = pControl->GetMaxHeight();
        RECT rcChild = {rcClient.left, rcClient.top, rcClient.left + cx, rcClient.top + cy};
        pControl->SetPos(rcChild, false);
    }
}

void CRichEditUI::Move(SIZE szOffset, bool bNeedInvalidate)
{
    CContainerUI::Move(szOffset, bNeedInvalidate);
    if (m_pTwh == nullptr) return;
    RECT rc = m_pTwh->GetClientRect();
    ::OffsetRect(&rc, szOffset.cx, szOffset.cy);
    m_pTwh->SetClientRect(rc);
}

SIZE CRichEditUI::EstimateSize(SIZE szAvailable)
{
    if (m_pTwh == nullptr || (!IsAutoCalcWidth() && !IsAutoCalcHeight())) {
        return CContainerUI::EstimateSize(szAvailable);
    }
    const RECT rcInset = GetInset();
    const RECT rcPadding = ScaleRect(m_rcTextPadding);
    LONG cxMargin = rcInset.left + rcInset.right + rcPadding.left + rcPadding.right;
    LONG cyMargin = rcInset.top + rcInset.bottom + rcPadding.top + rcPadding.bottom;
    if (m_pVerticalScrollBar != nullptr && m_pVerticalScrollBar->IsVisible()) {
        cxMargin += m_pVerticalScrollBar->GetFixedWidth();
    }
    if (m_pHorizontalScrollBar != nullptr && m_pHorizontalScrollBar->IsVisible()) {
        cyMargin += m_pHorizontalScrollBar->GetFixedHeight();
    }
    LONG lWidth = szAvailable.cx - cxMargin;
    LONG lHeight = 0;
    if (lWidth < 0) lWidth = 0;
    SIZE sz = {GetFixedWidth(), GetFixedHeight()};
    if (m_pTwh->GetNaturalSize(lWidth, lHeight, TXTNS_FITTOCONTENT)) {
        if (IsAutoCalcWidth()) {
            sz.cx = lWidth + cxMargin;
            if (sz.cx < GetMinWidth()) sz.cx = GetMinWidth();
            if (sz.cx > GetMaxWidth()) sz.cx = GetMaxWidth();
        }
        if (IsAutoCalcHeight()) {
            sz.cy = lHeight + cyMargin;
            if (sz.cy < GetMinHeight()) sz.cy = GetMinHeight();
            if (sz.cy > GetMaxHeight()) sz.cy = GetMaxHeight();
        }
    }
    return sz;
}

// ---- input -------------------------------------------------------------------------

void CRichEditUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (m_pParent != nullptr) m_pParent->DoEvent(event);
        else CContainerUI::DoEvent(event);
        return;
    }

    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (IsEnabled() && m_pTwh != nullptr && m_pTwh->DoSetCursor(nullptr, &event.ptMouse)) return;
        break;
    case UIEVENT_WINDOWSIZE:
        if (m_pTwh != nullptr) m_pTwh->NeedFreshClientRect();
        break;
    case UIEVENT_SETFOCUS:
        if (m_pTwh != nullptr) {
            m_pTwh->GetTextServices()->OnTxInPlaceActivate(nullptr);
            TxSendMessage(WM_SETFOCUS, 0, 0, nullptr);
        }
        m_bFocused = true;
        Invalidate();
        return;
    case UIEVENT_KILLFOCUS:
        if (m_pTwh != nullptr) {
            m_pTwh->GetTextServices()->OnTxInPlaceActivate(nullptr);
            TxSendMessage(WM_KILLFOCUS, 0, 0, nullptr);
        }
        m_bFocused = false;
        Invalidate();
        return;
    case UIEVENT_TIMER:
        if (event.wParam == CARET_TIMER_ID) {
            if (IsLayeredWindow() && IsFocused() && m_pManager != nullptr &&
                ::GetFocus() == m_pManager->GetPaintWindow() && m_pTwh != nullptr) {
                m_bDrawCaret = !m_bDrawCaret;
                RECT rcCaret = m_pTwh->GetCaretRect();
                RECT rcVisible;
                if (::IntersectRect(&rcVisible, &rcCaret, &m_rcItem)) {
                    for (CControlUI* p = GetParent(); p != nullptr; p = p->GetParent()) {
                        if (!::IntersectRect(&rcVisible, &rcVisible, &p->GetPos())) break;
                    }
                    if (!::IsRectEmpty(&rcVisible)) m_pManager->Invalidate(rcVisible);
                }
            }
            return;
        }
        // The control's own show/hide animation runs on the base's timer; the engine's timers are the rest.
        if (m_pTwh != nullptr && !IsAnimationRunning(static_cast<int>(event.wParam))) {
            LRESULT lResult = 0;
            m_pTwh->GetTextServices()->TxSendMessage(WM_TIMER, event.wParam, event.lParam, &lResult);
            return;
        }
        break;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_BUTTONUP:
    case UIEVENT_DBLCLICK:
    case UIEVENT_RBUTTONDOWN:
    case UIEVENT_RBUTTONUP:
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_KEYDOWN:
    case UIEVENT_KEYUP:
    case UIEVENT_CHAR:
        // The raw messages already went to the engine through the message filter.
        return;
    case UIEVENT_SCROLLWHEEL:
        if (event.wKeyState & UIKEYSTATE_CONTROL) return;
        break;
    default:
        break;
    }
    CContainerUI::DoEvent(event);
}

bool CRichEditUI::IsPointInTextArea(POINT pt) const
{
    if (m_pTwh == nullptr) return false;
    const RECT& rc = m_pTwh->GetClientRect();
    return ::PtInRect(&rc, pt) != FALSE;
}

bool CRichEditUI::IsMouseMessageForMe(UINT uMsg, LPARAM lParam) const
{
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (uMsg == WM_MOUSEWHEEL) ::ScreenToClient(m_pManager->GetPaintWindow(), &pt);
    if (!IsPointInTextArea(pt)) return false;
    if (IsButtonMessage(uMsg) && m_pManager->FindControl(pt) != this) return false;
    return true;
}

LRESULT CRichEditUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    if (m_pTwh == nullptr || m_pManager == nullptr) return 0;
    if (uMsg == WM_CAPTURECHANGED) {
        // The mouse was taken away during a selection drag (another window, a menu, the window ending the
        // press): the engine ends the drag, and later mouse messages count only where they fall.
        if (m_pTwh->IsCaptured() && reinterpret_cast<HWND>(lParam) != m_pManager->GetPaintWindow()) {
            m_pTwh->CaptureLost();
            TxSendMessage(uMsg, wParam, lParam, nullptr);
        }
        return 0;
    }
    if (!IsVisible() || !IsEnabled()) return 0;
    const bool bMouse = uMsg >= WM_MOUSEFIRST && uMsg <= WM_MOUSELAST;
    if (bMouse && !IsMouseEnabled()) return 0;
    if (uMsg == WM_MOUSEWHEEL && !(LOWORD(wParam) & MK_CONTROL)) return 0;

    // The composition window goes to the caret of the edit being typed into, not of every edit shown.
    if (uMsg == WM_IME_COMPOSITION && IsFocused()) {
        HWND hWnd = m_pManager->GetPaintWindow();
        HIMC hIMC = ::ImmGetContext(hWnd);
        if (hIMC != nullptr) {
            const RECT rcCaret = m_pTwh->GetCaretRect();
            COMPOSITIONFORM cf = {};
            cf.dwStyle = CFS_POINT;
            cf.ptCurrentPos.x = rcCaret.left;
            cf.ptCurrentPos.y = rcCaret.top;
            ::ImmSetCompositionWindow(hIMC, &cf);
            ::ImmReleaseContext(hWnd, hIMC);
        }
    }

    if (bMouse) {
        // While the engine drags a selection it gets every mouse message.
        if (!m_pTwh->IsCaptured()) {
            if (m_pManager->IsCaptured()) return 0;
            if (!IsMouseMessageForMe(uMsg, lParam)) return 0;
        }
        if (uMsg == WM_LBUTTONDOWN || uMsg == WM_RBUTTONDOWN || uMsg == WM_LBUTTONDBLCLK) {
            if (!m_pManager->IsNoActivate()) ::SetFocus(m_pManager->GetPaintWindow());
            SetFocus();
        }
    } else if (uMsg == WM_SETCURSOR) {
        // The cursor is set through the manager's cursor event (see DoEvent).
        return 0;
    } else if (uMsg == WM_CONTEXTMENU) {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        POINT ptClient = pt;
        if (lParam == -1) {
            const RECT rcCaret = m_pTwh->GetCaretRect();
            ptClient.x = rcCaret.left;
            ptClient.y = rcCaret.bottom;
            pt = ptClient;
            ::ClientToScreen(m_pManager->GetPaintWindow(), &pt);
            if (!IsFocused()) return 0;
        } else {
            ::ScreenToClient(m_pManager->GetPaintWindow(), &ptClient);
            if (!::PtInRect(&m_rcItem, ptClient) || m_pManager->FindControl(ptClient) != this) return 0;
        }
        ShowContextMenu(pt);
        bHandled = true;
        return 0;
    } else if (uMsg == WM_COMMAND) {
        if (!IsFocused()) return 0;
        if (RunMenuCommand(LOWORD(wParam))) bHandled = true;
        return 0;
    } else if ((uMsg >= WM_KEYFIRST && uMsg <= WM_KEYLAST) || uMsg == WM_IME_CHAR || uMsg == WM_IME_COMPOSITION ||
               uMsg == WM_IME_STARTCOMPOSITION || uMsg == WM_IME_ENDCOMPOSITION) {
        if (!IsFocused()) return 0;
        // A Tab the edit does not want is left to the window's focus navigation.
        const bool bTabKey = (uMsg == WM_KEYDOWN || uMsg == WM_KEYUP) && wParam == VK_TAB;
        const bool bTabChar = uMsg == WM_CHAR && wParam == L'\t';
        if (!m_bWantTab && (bTabKey || bTabChar)) return 0;
    } else if (uMsg != WM_IME_NOTIFY && uMsg != WM_IME_SETCONTEXT) {
        return 0;
    }

    LRESULT lResult = 0;
    const HRESULT hr = TxSendMessage(uMsg, wParam, lParam, &lResult);
    if (hr == S_OK) {
        if (uMsg == WM_CHAR || uMsg == WM_IME_CHAR) {
            bHandled = true;
        } else if (bMouse && !m_pTwh->IsCaptured() && uMsg != WM_LBUTTONUP && uMsg != WM_RBUTTONUP) {
            // Button-ups go on to the manager too, so that it ends its own click tracking.
            bHandled = true;
        }
    }
    if (uMsg == WM_LBUTTONUP) m_pManager->SendNotify(this, L"click");
    return lResult;
}

void CRichEditUI::ShowContextMenu(POINT ptScreen)
{
    CMenuHandle menu(::CreatePopupMenu());
    if (menu.Get() == nullptr) return;
    CHARRANGE cr = {0, 0};
    GetSel(cr);
    const bool bSelection = cr.cpMax > cr.cpMin;
    const bool bReadOnly = IsReadOnly();
    auto flags = [](bool bEnabled) { return static_cast<UINT>(MF_STRING | (bEnabled ? MF_ENABLED : MF_GRAYED)); };
    ::AppendMenuW(menu.Get(), flags(CanUndo()), ID_RICH_UNDO, L"\u64A4\u9500(&U)");
    ::AppendMenuW(menu.Get(), flags(CanRedo()), ID_RICH_REDO, L"\u91CD\u505A(&R)");
    ::AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.Get(), flags(!bReadOnly && bSelection), ID_RICH_CUT, L"\u526A\u5207(&X)");
    ::AppendMenuW(menu.Get(), flags(bSelection), ID_RICH_COPY, L"\u590D\u5236(&C)");
    ::AppendMenuW(menu.Get(), flags(!bReadOnly), ID_RICH_PASTE, L"\u7C98\u5E16(&V)");
    ::AppendMenuW(menu.Get(), flags(!bReadOnly), ID_RICH_CLEAR, L"\u6E05\u7A7A(&L)");
    ::AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.Get(), MF_STRING, ID_RICH_SELECTALL, L"\u5168\u9009(&A)");
    ::TrackPopupMenu(menu.Get(), TPM_RIGHTBUTTON, ptScreen.x, ptScreen.y, 0, m_pManager->GetPaintWindow(), nullptr);
}

bool CRichEditUI::RunMenuCommand(UINT uCmd)
{
    switch (uCmd) {
    case ID_RICH_UNDO: Undo(); return true;
    case ID_RICH_REDO: Redo(); return true;
    case ID_RICH_CUT: Cut(); return true;
    case ID_RICH_COPY: Copy(); return true;
    case ID_RICH_PASTE: Paste(); return true;
    case ID_RICH_CLEAR:
        SetSelAll();
        Clear();
        return true;
    case ID_RICH_SELECTALL: SetSelAll(); return true;
    default: return false;
    }
}

// ---- painting ---------------------------------------------------------------------

void CRichEditUI::PaintBkColor(HDC hDC)
{
    if (IsFocused()) m_uButtonState |= UISTATE_FOCUSED;
    else m_uButtonState &= ~UISTATE_FOCUSED;
    if (!IsEnabled()) m_uButtonState |= UISTATE_DISABLED;
    else m_uButtonState &= ~UISTATE_DISABLED;

    DWORD dwColor = 0;
    if (m_uButtonState & UISTATE_FOCUSED) dwColor = GetFocusBkColor();
    else if (m_uButtonState & UISTATE_HOT) dwColor = GetHotBkColor();
    if (dwColor != 0) {
        CRenderEngine::DrawColor(hDC, m_rcPaint, GetAdjustColor(dwColor));
        return;
    }
    CContainerUI::PaintBkColor(hDC);
}

void CRichEditUI::PaintStatusImage(HDC hDC)
{
    const CUIString* pImage = nullptr;
    if (m_uButtonState & UISTATE_DISABLED) pImage = &m_sDisabledImage;
    else if (m_uButtonState & UISTATE_FOCUSED) pImage = &m_sFocusedImage;
    else if (m_uButtonState & UISTATE_HOT) pImage = &m_sHotImage;
    if (pImage != nullptr && !pImage->IsEmpty() && DrawImage(hDC, *pImage)) return;
    if (!m_sNormalImage.IsEmpty()) DrawImage(hDC, m_sNormalImage);
}

void CRichEditUI::DrawCaret(HDC hDC, const RECT& rcPaint)
{
    if (!IsLayeredWindow() || !IsFocused() || !m_bDrawCaret || m_pTwh == nullptr || !m_pTwh->IsCaretShown()) return;
    RECT rcCaret = m_pTwh->GetCaretRect();
    RECT rcDraw;
    if (::IntersectRect(&rcDraw, &rcCaret, &rcPaint)) CRenderEngine::DrawColor(hDC, rcDraw, 0xFF000000);
}

void CRichEditUI::DrawTipValue(HDC hDC)
{
    if (m_sTipValue.IsEmpty() || IsFocused() || !GetText().IsEmpty()) return;
    RECT rc = m_rcItem;
    const RECT rcPadding = ScaleRect(m_rcTextPadding);
    rc.left += rcPadding.left;
    rc.top += rcPadding.top;
    rc.right -= rcPadding.right;
    rc.bottom -= rcPadding.bottom;
    UINT uStyle = m_uTipValueAlign;
    if (!(m_lTwhStyle & ES_MULTILINE)) uStyle |= DT_VCENTER;
    CRenderEngine::DrawText(hDC, m_pManager, rc, m_sTipValue, m_dwTipValueColor, m_iFont, uStyle);
}

bool CRichEditUI::DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl)
{
    RECT rcTemp;
    if (!::IntersectRect(&rcTemp, &rcPaint, &m_rcItem)) return true;

    CRenderClip clip;
    CRenderClip::GenerateClip(hDC, rcTemp, clip);
    CControlUI::DoPaint(hDC, rcPaint, pStopControl);

    if (m_pTwh != nullptr && m_pTwh->GetTextServices() != nullptr) {
        RECT rcClient = m_pTwh->GetClientRect();
        RECT rcUpdate = rcTemp;
        m_pTwh->GetTextServices()->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, hDC, nullptr,
                                          reinterpret_cast<LPCRECTL>(&rcClient), nullptr, &rcUpdate, nullptr, 0,
                                          TXTVIEW_ACTIVE);
    }

    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (pControl == pStopControl) return false;
        if (!pControl->IsVisible()) continue;
        RECT rcChild;
        if (!::IntersectRect(&rcChild, &rcPaint, &pControl->GetPos())) continue;
        if (!pControl->Paint(hDC, rcPaint, pStopControl)) return false;
    }

    DrawCaret(hDC, rcTemp);

    CScrollBarUI* bars[2] = {m_pVerticalScrollBar, m_pHorizontalScrollBar};
    for (CScrollBarUI* pBar : bars) {
        if (pBar == nullptr || !pBar->IsVisible()) continue;
        if (pBar == pStopControl) return false;
        RECT rcBar;
        if (::IntersectRect(&rcBar, &rcPaint, &pBar->GetPos()) && !pBar->Paint(hDC, rcPaint, pStopControl)) {
            return false;
        }
    }

    DrawTipValue(hDC);
    return true;
}

// ---- markup ---------------------------------------------------------------------------

const CAttributeTable& CRichEditUI::AttributeTable()
{
    using R = CRichEditUI;
    using K = EAttrKind;
    static const TAttribute rows[] = {
        {L"vscrollbar", K::Bool, kAttrExactCase | kAttrPassOn,
         [](CControlUI& c, LPCTSTR v) { static_cast<R&>(c).AddStyleIfTrue(v, ES_DISABLENOSCROLL | WS_VSCROLL); },
         nullptr},
        {L"hscrollbar", K::Bool, kAttrExactCase | kAttrPassOn,
         [](CControlUI& c, LPCTSTR v) { static_cast<R&>(c).AddStyleIfTrue(v, ES_DISABLENOSCROLL | WS_HSCROLL); },
         nullptr},
        {L"autovscroll", K::Bool, kAttrExactCase | kAttrPassOn,
         [](CControlUI& c, LPCTSTR v) { static_cast<R&>(c).AddStyleIfTrue(v, ES_AUTOVSCROLL); }, nullptr},
        {L"autohscroll", K::Bool, kAttrExactCase,
         [](CControlUI& c, LPCTSTR v) { static_cast<R&>(c).AddStyleIfTrue(v, ES_AUTOHSCROLL); }, nullptr},
        {L"multiline", K::Bool, 0, &SetExactBool<R, &R::SetMultiLine>, &GetThrough<R, K::Bool, &R::IsMultiLine>},
        {L"wanttab", K::Bool, kAttrExactCase, &SetExactBool<R, &R::SetWantTab>, &GetThrough<R, K::Bool, &R::IsWantTab>},
        {L"wantreturn", K::Bool, kAttrExactCase, &SetExactBool<R, &R::SetWantReturn>,
         &GetThrough<R, K::Bool, &R::IsWantReturn>},
        {L"wantctrlreturn", K::Bool, kAttrExactCase, &SetExactBool<R, &R::SetWantCtrlReturn>,
         &GetThrough<R, K::Bool, &R::IsWantCtrlReturn>},
        {L"transparent", K::Bool, kAttrExactCase, &SetExactBool<R, &R::SetTransparent>,
         &GetThrough<R, K::Bool, &R::IsTransparent>},
        {L"rich", K::Bool, kAttrExactCase, &SetExactBool<R, &R::SetRich>, &GetThrough<R, K::Bool, &R::IsRich>},
        {L"paragraphindent", K::Bool, kAttrExactCase, &SetExactBool<R, &R::SetParagraphIndent>,
         &GetThrough<R, K::Bool, &R::IsParagraphIndent>},
        {L"readonly", K::Bool, kAttrExactCase, [](CControlUI& c, LPCTSTR v) { static_cast<R&>(c).SetReadOnlyStyle(v); },
         nullptr},
        {L"password", K::Bool, kAttrExactCase,
         [](CControlUI& c, LPCTSTR v) { static_cast<R&>(c).AddStyleIfTrue(v, ES_PASSWORD); }, nullptr},
        {L"align", K::Align, kAttrExactCase, [](CControlUI& c, LPCTSTR v) { static_cast<R&>(c).SetAlignWords(v); },
         nullptr},
        {L"valign", K::Align, kAttrExactCase, [](CControlUI& c, LPCTSTR v) { static_cast<R&>(c).SetVAlignWords(v); },
         nullptr},
        Row<R, K::Int, static_cast<void (R::*)(int)>(&R::SetFont), &R::GetFont>(L"font", kAttrExactCase),
        {L"textcolor", K::Color, kAttrExactCase,
         [](CControlUI& c, LPCTSTR v) {
             static_cast<R&>(c).SetTextColor(CAttributeValue::Color(v, CAttributeValue::kSpaceTab));
         },
         &GetThrough<R, K::Color, &R::GetTextColor>},
        Row<R, K::Int, &R::SetLimitText, &R::GetLimitText>(L"maxchar"),
        Row<R, K::Image, &R::SetNormalImage, &R::GetNormalImage>(L"normalimage"),
        Row<R, K::Image, &R::SetHotImage, &R::GetHotImage>(L"hotimage"),
        Row<R, K::Image, &R::SetFocusedImage, &R::GetFocusedImage>(L"focusedimage"),
        Row<R, K::Image, &R::SetDisabledImage, &R::GetDisabledImage>(L"disabledimage"),
        {L"textpadding", K::Rect, 0, [](CControlUI& c, LPCTSTR v) { static_cast<R&>(c).SetTextPadding(CUIRect(v)); },
         &GetThrough<R, K::Rect, &R::GetTextPadding>},
        Row<R, K::Text, &R::SetTipValue, &R::GetTipValue>(L"tipvalue"),
        {L"tipvaluecolor", K::Color, 0, [](CControlUI& c, LPCTSTR v) { static_cast<R&>(c).SetTipValueColor(v); },
         &GetThrough<R, K::Color, &R::GetTipValueColor>},
        {L"tipvaluealign", K::Align, 0, [](CControlUI& c, LPCTSTR v) { static_cast<R&>(c).SetTipValueAlignWords(v); },
         nullptr},
    };
    static const CAttributeTable table(L"RichEdit", rows, &CContainerUI::AttributeTable());
    return table;
}

VENEER_ATTRIBUTE_MEMBERS(CRichEditUI, CContainerUI)

// These styles only ever switch on from markup; "false" leaves what the control had.
void CRichEditUI::AddStyleIfTrue(LPCTSTR pstrValue, LONG lStyle)
{
    if (CAttributeValue::ExactBool(pstrValue)) m_lTwhStyle |= lStyle;
}

void CRichEditUI::SetReadOnlyStyle(LPCTSTR pstrValue)
{
    if (!CAttributeValue::ExactBool(pstrValue)) return;
    m_lTwhStyle |= ES_READONLY;
    m_bReadOnly = true;
}

// Every word found changes the style, so the last of left/center/right wins.
void CRichEditUI::SetAlignWords(LPCTSTR pstrValue)
{
    if (CAttributeValue::HasWord(pstrValue, L"left")) m_lTwhStyle &= ~(ES_CENTER | ES_RIGHT);
    if (CAttributeValue::HasWord(pstrValue, L"center")) {
        m_lTwhStyle &= ~(ES_CENTER | ES_RIGHT);
        m_lTwhStyle |= ES_CENTER;
    }
    if (CAttributeValue::HasWord(pstrValue, L"right")) {
        m_lTwhStyle &= ~(ES_CENTER | ES_RIGHT);
        m_lTwhStyle |= ES_RIGHT;
    }
}

void CRichEditUI::SetVAlignWords(LPCTSTR pstrValue)
{
    if (CAttributeValue::HasWord(pstrValue, L"top")) m_uVAlign = kVAlignTop;
    if (CAttributeValue::HasWord(pstrValue, L"center")) m_uVAlign = kVAlignCenter;
    if (CAttributeValue::HasWord(pstrValue, L"bottom")) m_uVAlign = kVAlignBottom;
}

void CRichEditUI::SetTipValueAlignWords(LPCTSTR pstrValue)
{
    if (CAttributeValue::HasWord(pstrValue, L"left")) m_uTipValueAlign = DT_SINGLELINE | DT_LEFT;
    if (CAttributeValue::HasWord(pstrValue, L"center")) m_uTipValueAlign = DT_SINGLELINE | DT_CENTER;
    if (CAttributeValue::HasWord(pstrValue, L"right")) m_uTipValueAlign = DT_SINGLELINE | DT_RIGHT;
}

} // namespace Veneer
