#ifndef VENEER_UIRICHEDIT_H
#define VENEER_UIRICHEDIT_H

#include <windows.h>
#include <richedit.h>
#include <richole.h>

#include <memory>

#include "ui/controls/UIContainer.h"

namespace Veneer {

class CTxtWinHost;

// A text field drawn inside the skinned window by the platform's windowless
// rich-text engine. It feeds the engine the window's raw messages (as a message
// filter of the manager), lets it draw into the control's rectangle and turns its
// notifications into "textchanged" and an unwanted Return into "return".
class CRichEditUI : public CContainerUI, public IMessageFilterUI
{
public:
    CRichEditUI();
    ~CRichEditUI() override;

    // Loading the text-services library and setting it up is most of a first rich edit's start. A program
    // whose first window has one can have that done on another thread meanwhile (safe from any thread).
    static void PreloadEngine();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;
    DWORD GetAccessibleRole() const override;
    DWORD GetAccessibleState() const override;
    CUIString GetAccessibleValue() const override;
    // Named, as standard edit fields are, by the label placed before it unless the markup names it.
    CUIString GetAccessibleName() const override;

    void SetEnabled(bool bEnabled = true) override;
    bool IsMultiLine();
    void SetMultiLine(bool bMultiLine);
    bool IsWantTab();
    void SetWantTab(bool bWantTab = true);
    bool IsWantReturn();
    void SetWantReturn(bool bWantReturn = true);
    bool IsWantCtrlReturn();
    void SetWantCtrlReturn(bool bWantCtrlReturn = true);
    bool IsTransparent();
    void SetTransparent(bool bTransparent = true);
    bool IsRich();
    void SetRich(bool bRich = true);
    bool IsReadOnly();
    void SetReadOnly(bool bReadOnly = true);
    bool IsPassword() const { return (m_lTwhStyle & ES_PASSWORD) != 0; }
    bool IsWordWrap();
    void SetWordWrap(bool bWordWrap = true);
    bool IsParagraphIndent();
    void SetParagraphIndent(bool bIndent = true);
    int GetFont();
    void SetFont(int index);
    void SetFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    LONG GetWinStyle();
    void SetWinStyle(LONG lStyle);
    DWORD GetTextColor();
    void SetTextColor(DWORD dwTextColor);
    int GetLimitText();
    void SetLimitText(int iChars);
    long GetTextLength(DWORD dwFlags = GTL_DEFAULT) const;
    CUIString GetText() const override;
    void SetText(LPCTSTR pstrText) override;
    bool IsModify() const;
    void SetModify(bool bModified = true) const;
    void GetSel(CHARRANGE& cr) const;
    void GetSel(long& nStartChar, long& nEndChar) const;
    int SetSel(CHARRANGE& cr);
    int SetSel(long nStartChar, long nEndChar);
    void ReplaceSel(LPCTSTR lpszNewText, bool bCanUndo);
    CUIString GetSelText() const;
    int SetSelAll();
    int SetSelNone();
    WORD GetSelectionType() const;
    bool GetZoom(int& nNum, int& nDen) const;
    bool SetZoom(int nNum, int nDen);
    bool SetZoomOff();
    bool GetAutoURLDetect() const;
    bool SetAutoURLDetect(bool bAutoDetect = true);
    DWORD GetEventMask() const;
    DWORD SetEventMask(DWORD dwEventMask);
    CUIString GetTextRange(long nStartChar, long nEndChar) const;
    void HideSelection(bool bHide = true, bool bChangeStyle = false);
    void ScrollCaret();
    int InsertText(long nInsertAfterChar, LPCTSTR lpstrText, bool bCanUndo = false);
    int AppendText(LPCTSTR lpstrText, bool bCanUndo = false);
    DWORD GetDefaultCharFormat(CHARFORMAT2& cf) const;
    bool SetDefaultCharFormat(CHARFORMAT2& cf);
    DWORD GetSelectionCharFormat(CHARFORMAT2& cf) const;
    bool SetSelectionCharFormat(CHARFORMAT2& cf);
    bool SetWordCharFormat(CHARFORMAT2& cf);
    DWORD GetParaFormat(PARAFORMAT2& pf) const;
    bool SetParaFormat(PARAFORMAT2& pf);
    bool CanUndo();
    bool CanRedo();
    bool CanPaste();
    bool Redo();
    bool Undo();
    void Clear();
    void Copy();
    void Cut();
    void Paste();
    int GetLineCount() const;
    CUIString GetLine(int nIndex, int nMaxLength) const;
    int LineIndex(int nLine = -1) const;
    int LineLength(int nLine = -1) const;
    bool LineScroll(int nLines, int nChars = 0);
    CUIPoint GetCharPos(long lChar) const;
    long LineFromChar(long nIndex) const;
    CUIPoint PosFromChar(UINT nChar) const;
    int CharFromPos(CUIPoint pt) const;
    void EmptyUndoBuffer();
    UINT SetUndoLimit(UINT nLimit);
    long StreamIn(int nFormat, EDITSTREAM& es);
    long StreamOut(int nFormat, EDITSTREAM& es);
    void SetDropAcceptFile(bool bAccept);

    RECT GetTextPadding() const;
    void SetTextPadding(RECT rc);
    LPCTSTR GetNormalImage();
    void SetNormalImage(LPCTSTR pStrImage);
    LPCTSTR GetHotImage();
    void SetHotImage(LPCTSTR pStrImage);
    LPCTSTR GetFocusedImage();
    void SetFocusedImage(LPCTSTR pStrImage);
    LPCTSTR GetDisabledImage();
    void SetDisabledImage(LPCTSTR pStrImage);
    void SetTipValue(LPCTSTR pStrTipValue);
    LPCTSTR GetTipValue();
    void SetTipValueColor(LPCTSTR pStrColor);
    DWORD GetTipValueColor();
    void SetTipValueAlign(UINT uAlign);
    UINT GetTipValueAlign();
    bool IsVScrollBarFixing() const;
    void SetVScrollBarFixing(bool bFixing);

    void SetScrollPos(SIZE szPos, bool bMsg = true) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;
    void LineLeft() override;
    void LineRight() override;
    void PageLeft() override;
    void PageRight() override;
    void HomeLeft() override;
    void EndRight() override;

    SIZE EstimateSize(SIZE szAvailable) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void Move(SIZE szOffset, bool bNeedInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) override;
    void DoInit() override;
    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    bool OnEnableResponseDefaultKeyEvent(WPARAM wParam) override;

    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    static const CAttributeTable& AttributeTable();
    const CAttributeTable& GetAttributeTable() const override;

    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;

    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

    // The single path of messages to the text engine. Returns the engine's
    // HRESULT, or 1 (without touching lResult) while no engine exists.
    HRESULT TxSendMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plresult) const;
    IDropTarget* GetTxDropTarget();
    bool OnTxViewChanged();
    virtual void OnTxNotify(DWORD iNotify, void* pv);

    // Host callbacks (used by CTxtWinHost).
    bool HasTextServices() const { return m_pTwh != nullptr; }
    CTxtWinHost* GetTxtWinHost() const { return m_pTwh.get(); }
    void ShowCaretPhase(bool bShow) { m_bDrawCaret = bShow; }

protected:
    enum { CARET_TIMER_ID = 20 };
    enum { ID_RICH_UNDO = 101, ID_RICH_CUT, ID_RICH_COPY, ID_RICH_PASTE, ID_RICH_CLEAR, ID_RICH_SELECTALL, ID_RICH_REDO };

    bool IsLayeredWindow() const;
    void AddStyleIfTrue(LPCTSTR pstrValue, LONG lStyle);
    void SetReadOnlyStyle(LPCTSTR pstrValue);
    void SetAlignWords(LPCTSTR pstrValue);
    void SetVAlignWords(LPCTSTR pstrValue);
    void SetTipValueAlignWords(LPCTSTR pstrValue);
    RECT TextArea(const RECT& rcItem) const;
    void FixVerticalScrollBar();
    void ShowContextMenu(POINT ptScreen);
    bool RunMenuCommand(UINT uCmd);
    void DrawCaret(HDC hDC, const RECT& rcPaint);
    void DrawTipValue(HDC hDC);
    bool IsPointInTextArea(POINT pt) const;
    void CreateHost();
    int LineHeight() const;
    bool IsMouseMessageForMe(UINT uMsg, LPARAM lParam) const;

    std::unique_ptr<CTxtWinHost> m_pTwh;
    bool m_bVScrollBarFixing;
    bool m_bWantTab;
    bool m_bWantReturn;
    bool m_bWantCtrlReturn;
    bool m_bTransparent;
    bool m_bRich;
    bool m_bReadOnly;
    bool m_bWordWrap;
    bool m_bParagraphIndent;
    DWORD m_dwTextColor;
    int m_iFont;
    int m_iLimitText;
    LONG m_lTwhStyle;
    bool m_bDrawCaret;
    bool m_bInited;
    bool m_fAccumulateDBCMode;
    UINT m_uVAlign;
    UINT m_uButtonState;
    // Set when a Return key-down was refused, so that its character is refused too.
    mutable bool m_bReturnSwallowed;

    RECT m_rcTextPadding;
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
    CUIString m_sTipValue;
    DWORD m_dwTipValueColor;
    UINT m_uTipValueAlign;
};

} // namespace Veneer

#endif // VENEER_UIRICHEDIT_H
