// The per-window engine of the framework: owns the control tree, routes
// native messages to controls as events, paints the tree off-screen and
// holds the window's fonts, images, styles and DPI scale.
#pragma once

#include "ui/core/UIDefines.h"
#include "ui/core/UIDPI.h"
#include "ui/support/UniqueHandle.h"
#include "ui/support/WindowDC.h"

#include <ole2.h>
#include <commctrl.h>

#include <vector>

namespace Veneer {

struct tagTImageInfo;
typedef tagTImageInfo TImageInfo;
struct tagTDrawInfo;
typedef tagTDrawInfo TDrawInfo;
class CShadowUI;
class CLangManagerUI;
class CDropTargetUI;
class CUIAccessible;

class CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // ---- life cycle -------------------------------------------------------
    void Init(HWND hWnd, LPCTSTR pstrName = nullptr);
    bool IsUpdateNeeded() const;
    void NeedUpdate();
    void Invalidate();
    void Invalidate(RECT& rcItem);
    void LockUpdate(bool bLock);
    bool IsUpdateLocked() const;

    LPCTSTR GetName() const;
    HDC GetPaintDC() const;
    // The reusable off-screen image of the last paint (null before the first off-screen paint).
    HDC GetPaintOffscreenDC() const;
    HBITMAP GetPaintOffscreenBitmap() const;
    HWND GetPaintWindow() const;
    HWND GetTooltipWindow() const;
    int GetHoverTime() const;
    void SetHoverTime(int iTime);

    POINT GetMousePos() const;
    SIZE GetClientSize() const;
    SIZE GetInitSize();
    void SetInitSize(int cx, int cy);
    RECT& GetSizeBox();
    void SetSizeBox(RECT& rcSizeBox);
    RECT& GetCaptionRect();
    void SetCaptionRect(RECT& rcCaption);
    SIZE GetRoundCorner() const;
    void SetRoundCorner(int cx, int cy);
    SIZE GetMinInfo() const;
    void SetMinInfo(int cx, int cy);
    SIZE GetMaxInfo() const;
    void SetMaxInfo(int cx, int cy);
    bool IsShowUpdateRect() const;
    void SetShowUpdateRect(bool show);
    bool IsNoActivate() const;
    void SetNoActivate(bool bNoActivate);
    bool IsInitWindowParameter() const;
    void SetInitWindowParameter(bool bInit);

    BYTE GetOpacity() const;
    void SetOpacity(BYTE nOpacity);
    bool IsLayered() const;
    void SetLayered(bool bLayered);
    RECT& GetLayeredInset();
    void SetLayeredInset(RECT& rcLayeredInset);
    BYTE GetLayeredOpacity() const;
    void SetLayeredOpacity(BYTE nOpacity);
    LPCTSTR GetLayeredImage() const;
    void SetLayeredImage(LPCTSTR pstrImage);

    CShadowUI* GetShadow();
    void SetUseGdiplusText(bool bUse);
    bool IsUseGdiplusText() const;
    void SetGdiplusTextRenderingHint(int trh);
    int GetGdiplusTextRenderingHint() const;

    bool IsPainting() const;
    void SetPainting(bool bIsPainting);

    // ---- DPI ----------------------------------------------------------------
    CDPI* GetDPIObj();
    void ResetDPIAssets();
    void RebuildFont(TFontInfo* pFontInfo);
    void SetDPI(int iDPI);
    static void SetAllDPI(int iDPI);

    // ---- process-wide settings ---------------------------------------------
    static HINSTANCE GetInstance();
    static void SetInstance(HINSTANCE hInst);
    static CUIString GetCurrentPath();
    static void SetCurrentPath(LPCTSTR pStrPath);
    static void GetHSL(short* H, short* S, short* L);
    static void SetHSL(bool bUseHSL, short H, short S, short L);  // H:0~360, S:0~200, L:0~200
    static bool IsUseHSL();
    static void ReloadSkin();
    static CPaintManagerUI* GetPaintManager(LPCTSTR pstrName);
    static CStdPtrArray* GetPaintManagers();
    static bool LoadPlugin(LPCTSTR pstrModuleName);
    static CStdPtrArray* GetPlugins();

    // Resource location (defined with the resource readers, UIManagerResource.cpp).
    static CUIString GetInstancePath();
    static HINSTANCE GetResourceDll();
    static const CUIString& GetResourcePath();
    static const CUIString& GetResourceZip();
    static const CUIString& GetResourceZipPwd();
    static bool IsCachedResourceZip();
    static HANDLE GetResourceZipHandle();
    static void SetResourceDll(HINSTANCE hInst);
    static void SetResourcePath(LPCTSTR pStrPath);
    static void SetResourceZip(LPVOID pVoid, unsigned int len, LPCTSTR password = nullptr);
    static void SetResourceZip(LPCTSTR pstrZip, bool bCachedResourceZip = false, LPCTSTR password = nullptr);
    static void SetResourceType(int nType);
    static int GetResourceType();

    // ---- shared versus per-window resources ----------------------------------
    bool IsForceUseSharedRes() const;
    void SetForceUseSharedRes(bool bForce);

    DWORD GetDefaultDisabledColor() const;
    void SetDefaultDisabledColor(DWORD dwColor, bool bShared = false);
    DWORD GetDefaultFontColor() const;
    void SetDefaultFontColor(DWORD dwColor, bool bShared = false);
    DWORD GetDefaultLinkFontColor() const;
    void SetDefaultLinkFontColor(DWORD dwColor, bool bShared = false);
    DWORD GetDefaultLinkHoverFontColor() const;
    void SetDefaultLinkHoverFontColor(DWORD dwColor, bool bShared = false);
    DWORD GetDefaultSelectedBkColor() const;
    void SetDefaultSelectedBkColor(DWORD dwColor, bool bShared = false);

    // Fonts: ids are the markup's font ids; -1 (or any negative id) is the default font.
    TFontInfo* GetDefaultFontInfo();
    void SetDefaultFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                        bool bShared = false);
    DWORD GetCustomFontCount(bool bShared = false) const;
    void AddFontArray(LPCTSTR pstrPath);
    HFONT AddFont(int id, LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                  bool bShared = false);
    HFONT GetFont(int id);
    HFONT GetFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    int GetFontIndex(HFONT hFont, bool bShared = false);
    int GetFontIndex(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                     bool bShared = false);
    // A font markup text asked for (a bold or "f" variant): kept among the last few such fonts of this window,
    // so that texts changing their fonts (a growing size, say) never pile up font handles.
    HFONT AddMarkupFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    void RemoveFont(HFONT hFont, bool bShared = false);
    void RemoveFont(int id, bool bShared = false);
    void RemoveAllFonts(bool bShared = false);
    TFontInfo* GetFontInfo(int id);
    TFontInfo* GetFontInfo(int id, bool bShared);  // only the chosen table
    TFontInfo* GetFontInfo(HFONT hFont);

    // Images: the cache key is the name, or "%s-%d-%d-%08X" when a size or fill colour is given.
    const TImageInfo* GetImage(LPCTSTR bitmap);
    const TImageInfo* GetImageEx(LPCTSTR bitmap, LPCTSTR type = nullptr, DWORD mask = 0, int width = 0,
                                 int height = 0, DWORD fillcolor = 0, bool bUseHSL = false,
                                 HINSTANCE instance = nullptr);
    const TImageInfo* AddImage(LPCTSTR bitmap, LPCTSTR type = nullptr, DWORD mask = 0, int width = 0,
                               int height = 0, DWORD fillcolor = 0, bool bUseHSL = false, bool bShared = false,
                               HINSTANCE instance = nullptr);
    const TImageInfo* AddImage(LPCTSTR bitmap, HBITMAP hBitmap, int iWidth, int iHeight, bool bAlpha,
                               bool bShared = false);
    bool RemoveImage(LPCTSTR bitmap, bool bShared = false);
    void RemoveAllImages(bool bShared = false);
    static void ReloadSharedImages();
    void ReloadImages();
    const TImageInfo* GetImageString(LPCTSTR pStrImage, LPCTSTR pStrModify = nullptr);

    // Parsed image descriptors, cached per window under descriptor + modifier.
    TDrawInfo* GetDrawInfo(LPCTSTR pStrImage, LPCTSTR pStrModify);
    void RemoveDrawInfo(LPCTSTR pStrImage, LPCTSTR pStrModify);
    void RemoveAllDrawInfos();

    void AddDefaultAttributeList(LPCTSTR pStrControlName, LPCTSTR pStrControlAttrList, bool bShared = false);
    LPCTSTR GetDefaultAttributeList(LPCTSTR pStrControlName) const;
    bool RemoveDefaultAttributeList(LPCTSTR pStrControlName, bool bShared = false);
    void RemoveAllDefaultAttributeList(bool bShared = false);

    void AddWindowCustomAttribute(LPCTSTR pstrName, LPCTSTR pstrAttr);
    LPCTSTR GetWindowCustomAttribute(LPCTSTR pstrName) const;
    bool RemoveWindowCustomAttribute(LPCTSTR pstrName);
    void RemoveAllWindowCustomAttribute();

    void AddStyle(LPCTSTR pName, LPCTSTR pStyle, bool bShared = false);
    LPCTSTR GetStyle(LPCTSTR pName) const;
    bool RemoveStyle(LPCTSTR pName, bool bShared = false);
    const CStdStringPtrMap& GetStyles(bool bShared = false) const;
    void RemoveAllStyle(bool bShared = false);

    bool AddOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl);
    CStdPtrArray* GetOptionGroup(LPCTSTR pStrGroupName);
    void RemoveOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl);
    void RemoveAllOptionGroups();

    CLangManagerUI* GetLangManager() const;

    // ---- the control tree -----------------------------------------------------
    CControlUI* GetRoot() const;
    bool AttachDialog(CControlUI* pControl);
    void InitControls(CControlUI* pControl, CControlUI* pParent = nullptr);
    // A control leaves the window: no slot, list, table or queued notification of the manager refers to
    // it any more (focus, hot, click and key controls, capture, timers, name, option groups, listeners).
    void ReapObjects(CControlUI* pControl);
    // InitControls undone: every control of the subtree is reaped and the subtree belongs to no window.
    void DetachControls(CControlUI* pControl);

    // A control pointer held across a call that may remove the control from the window (an event, a
    // notification): once the control is reaped the pointer reads null.
    class CControlWatch {
    public:
        CControlWatch(CPaintManagerUI& manager, CControlUI*& pControl);
        ~CControlWatch();
        CControlWatch(const CControlWatch&) = delete;
        CControlWatch& operator=(const CControlWatch&) = delete;

    private:
        CPaintManagerUI& m_manager;
        CControlUI** m_ppControl;
    };

    CControlUI* FindControl(POINT pt) const;
    CControlUI* FindControl(LPCTSTR pstrName) const;
    CControlUI* FindSubControlByPoint(CControlUI* pParent, POINT pt) const;
    CControlUI* FindSubControlByName(CControlUI* pParent, LPCTSTR pstrName) const;
    CControlUI* FindSubControlByClass(CControlUI* pParent, LPCTSTR pstrClass, int iIndex = 0);
    CStdPtrArray* FindSubControlsByClass(CControlUI* pParent, LPCTSTR pstrClass);

    // ---- focus, capture, timers -----------------------------------------------
    CControlUI* GetFocus() const;
    CControlUI* GetLastFocus() const;
    void SetFocus(CControlUI* pControl);
    void SetFocusNeeded(CControlUI* pControl);
    bool SetNextTabControl(bool bForward = true);

    bool SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse);
    bool KillTimer(CControlUI* pControl, UINT nTimerID);
    void KillTimer(CControlUI* pControl);
    void RemoveAllTimers();

    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const;

    // ---- listeners ---------------------------------------------------------------
    bool AddNotifier(INotifyUI* pControl);
    bool RemoveNotifier(INotifyUI* pControl);
    void SendNotify(TNotifyUI& Msg, bool bAsync = false);
    void SendNotify(CControlUI* pControl, LPCTSTR pstrMessage, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool bAsync = false);

    bool AddPreMessageFilter(IMessageFilterUI* pFilter);
    bool RemovePreMessageFilter(IMessageFilterUI* pFilter);
    bool AddMessageFilter(IMessageFilterUI* pFilter);
    bool RemoveMessageFilter(IMessageFilterUI* pFilter);

    bool AddTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator);
    bool RemoveTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator);
    bool TranslateAccelerator(LPMSG pMsg);

    bool AddMouseLeaveNeeded(CControlUI* pControl);
    bool RemoveMouseLeaveNeeded(CControlUI* pControl);

    void AddDelayedCleanup(CControlUI* pControl);

    int GetPostPaintCount() const;
    bool IsPostPaint(CControlUI* pControl);
    bool AddPostPaint(CControlUI* pControl);
    bool RemovePostPaint(CControlUI* pControl);
    bool SetPostPaintIndex(CControlUI* pControl, int iIndex);

    int GetNativeWindowCount() const;
    RECT GetNativeWindowRect(HWND hChildWnd);
    bool AddNativeWindow(CControlUI* pControl, HWND hChildWnd);
    bool RemoveNativeWindow(HWND hChildWnd);

    void UsedVirtualWnd(bool bUsed);

    // Script hooks: no script engine is part of the framework, so no handle is ever found.
    void* GetScriptFunAddress(LPCTSTR pstrName);
    bool ExecuteScript(void* pFun, CControlUI* pControl, void* pArg1 = nullptr, void* pArg2 = nullptr);

    // ---- messages ------------------------------------------------------------------
    bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    bool PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    static void MessageLoop();
    static bool TranslateMessage(const LPMSG pMsg);
    static void Term();

    // Dropped data from the window's OLE drop target.
    virtual HRESULT OnDrop(FORMATETC* pFmtEtc, STGMEDIUM& medium, DWORD* pdwEffect);

    // ---- accessibility (UIManagerAccessible.cpp) -------------------------------------
    // Raises a WinEvent about a control (or one link of a text) for screen readers and other listeners.
    void NotifyAccessibleEvent(DWORD dwEvent, CControlUI* pControl, int iLink = -1);
    // A control became visible or hidden: a shown or hidden object, or a layout whose children changed.
    void NotifyAccessibleVisibility(CControlUI* pControl, bool bVisible);
    // Queues what a reader asked of a child (CUIAccessible::EAction) to run from the message loop.
    bool PostAccessibleAction(long idChild, int iAction);
    // The focus indicator follows the keyboard-cue rule: hidden until the keyboard is used in the window,
    // unless the system is set to show keyboard cues always.
    bool IsFocusIndicatorShown() const;
    void ShowFocusIndicator(bool bShow = true);
    // System high-contrast mode: text and focus indicator in system colours.
    static bool IsHighContrast();

    // Resource location state (defined in UIManagerResource.cpp).
    static HINSTANCE m_hInstance;
    static HINSTANCE m_hResourceInstance;
    static CUIString m_pStrResourcePath;
    static CUIString m_pStrResourceZip;
    static CUIString m_pStrResourceZipPwd;
    static HANDLE m_hResourceZip;
    static bool m_bCachedResourceZip;
    static int m_nResType;

    // Process-wide tables (defined with the manager).
    static TResInfo m_SharedResInfo;
    static short m_H;
    static short m_S;
    static short m_L;
    static bool m_bUseHSL;
    static CStdPtrArray m_aPreMessages;
    static CStdPtrArray m_aPlugins;

private:
    // input helpers (UIManager.cpp)
    static CControlUI* CALLBACK __FindControlFromNameHash(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromCount(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromPoint(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromTab(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromShortcut(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromName(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromClass(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlsFromClass(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlsFromUpdate(CControlUI* pThis, LPVOID pData);

    static WORD CurrentKeyState();
    // The same word for a mouse message, from its own key flags and one read of Alt.
    static WORD MouseKeyState(WPARAM wParam);
    void SendSyntheticMouseMove(LPARAM lPoint);
    // Marks a handler of this window as running (MessageHandler, PreMessageHandler).
    class CHandlerScope;
    void ReapTree(CControlUI* pControl);
    static CControlUI* CALLBACK __FindControlToReap(CControlUI* pThis, LPVOID pData);
    void ForgetListener(CControlUI* pControl);
    void LeaveOptionGroups(CControlUI* pControl);
    void PostAsync();
    void DeliverNotify(TNotifyUI& Msg);
    void DrainAsync();
    bool DispatchMouseMove(WPARAM wParam, LPARAM lParam);
    bool DispatchMouseHover(LPARAM lParam);
    void DispatchMouseLeave();
    void DispatchButton(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void Press(CControlUI* pControl, TEventUI event, bool bFocus);
    void DispatchTimer(WPARAM wParam, LPARAM lParam);
    void ShowToolTip(CControlUI* pHover);
    void SendEvent(CControlUI* pControl, int type, WPARAM wParam, LPARAM lParam, WORD wKeyState);
    void SendKeyEvent(CControlUI* pControl, int type, WPARAM wParam, LPARAM lParam);
    void KillFocus(CControlUI* pNewFocus, bool bRemember);
    UINT NextTimerId() const;
    void DoDragOut();
    // Ends a press whose button-up will never come (capture lost, drag loop, focus gone):
    // the pressed control hears a release outside itself, so it clears its state unclicked.
    void CancelClick();

    // accessibility helpers (UIManagerAccessible.cpp)
    bool HandleAccessibleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    void NoteKeyboardNavigation(UINT uMsg, WPARAM wParam);
    void PaintFocusIndicator(HDC hDC, const RECT& rcPaint);
    void FocusMoved(CControlUI* pOld, CControlUI* pNew);
    void ReleaseAccessible();
    // Ends the window's OLE drop registration (UIManagerDrag.cpp); done while the window still exists.
    void RevokeDropTarget();

    // painting helpers (UIManagerPaint.cpp)
    void OnPaint();
    void OnPrintClient(WPARAM wParam, LPARAM lParam);
    bool RunLayout(const RECT& rcClient);
    void TakePendingFocus(RECT& rcPaint);
    void IncludeNewInvalidation(RECT& rcPaint);
    void PaintLayeredNativeWindows(const RECT& rcPaint);
    void FixLayeredAlpha(const RECT& rcPaint);
    void ApplyLayeredMask(const RECT& rcPaint, const RECT& rcClient);
    void PresentLayered(const RECT& rcClient);
    void FreeOffscreen();
    void FreeResInfo(TResInfo& info, bool bFonts);
    TResInfo& TargetRes(bool bShared);
    HFONT MakeFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic, BYTE quality);
    void FillMetrics(TFontInfo* pInfo);
    static void FreeFontInfo(TFontInfo* pInfo);
    static void SetDefaultColorImpl(DWORD TResInfo::*field, TResInfo& mine, DWORD dwColor, bool bShared);
    static void InitProcessResources();
    static void ApplyHSLToTable(CStdStringPtrMap& table);
    void ReloadImageTable(CStdStringPtrMap& table);

    CUIString m_sName;
    HWND m_hWndPaint = nullptr;
    CWindowDC m_hDcPaint;
    CMemoryDC m_hDcOffscreen;
    CMemoryDC m_hDcBackground;
    CBitmapHandle m_hbmpOffscreen;
    BYTE* m_pOffscreenBits = nullptr;
    CBitmapHandle m_hbmpBackground;
    BYTE* m_pBackgroundBits = nullptr;

    // tooltip
    HWND m_hwndTooltip = nullptr;
    TOOLINFOW m_ToolTip = {};
    CUIString m_sToolTipText;
    int m_iHoverTime = 400;
    bool m_bNoActivate = false;
    bool m_bShowUpdateRect = false;

    // tree and input state
    CControlUI* m_pRoot = nullptr;
    CControlUI* m_pFocus = nullptr;
    CControlUI* m_pLastFocus = nullptr;
    CControlUI* m_pEventHover = nullptr;
    CControlUI* m_pEventClick = nullptr;
    CControlUI* m_pEventKey = nullptr;
    POINT m_ptLastMousePos = {-1, -1};
    bool m_bMouseTracking = false;
    bool m_bSyntheticMove = false;  // inside a move this manager sends itself
    bool m_bDPIChosen = false;      // SetDPI has run: fonts are made as it rebuilds them
    bool m_bMouseCapture = false;
    bool m_bIsPainting = false;
    bool m_bUsedVirtualWnd = false;
    bool m_bAsyncNotifyPosted = false;
    bool m_bDragMode = false;
    CBitmapHandle m_hDragBitmap;
    UINT m_uTimerID = 0x1000;

    // paint state
    SIZE m_szMinWindow = {0, 0};
    SIZE m_szMaxWindow = {0, 0};
    SIZE m_szInitWindowSize = {0, 0};
    RECT m_rcSizeBox = {0, 0, 0, 0};
    SIZE m_szRoundCorner = {0, 0};
    RECT m_rcCaption = {0, 0, 0, 0};
    bool m_bFirstLayout = true;
    bool m_bUpdateNeeded = false;
    bool m_bFocusNeeded = false;
    bool m_bOffscreenPaint = true;
    bool m_bUpdateLocked = false;
    bool m_bInitWindowParameter = false;

    BYTE m_nOpacity = 0xFF;
    bool m_bLayered = false;
    RECT m_rcLayeredInset = {0, 0, 0, 0};
    bool m_bLayeredChanged = false;
    RECT m_rcLayeredUpdate = {0, 0, 0, 0};
    // What changed in the off-screen frame since it was last painted: an uncovered window is blitted from the
    // frame, and only changed rectangles are painted again.
    RECT m_rcFrameDirty = {0, 0, 0, 0};
    TDrawInfo* m_pLayeredDrawInfo = nullptr;

    CShadowUI* m_pShadow = nullptr;
    CDPI* m_pDPI = nullptr;
    CLangManagerUI* m_pLangManager = nullptr;
    CDropTargetUI* m_pDropTarget = nullptr;

    bool m_bUseGdiplusText = false;
    int m_trh = 0;
    ULONG_PTR m_gdiplusToken = 0;
    bool m_bForceUseSharedRes = false;

    // lists
    CStdPtrArray m_aNotifiers;
    CStdPtrArray m_aTimers;
    CStdPtrArray m_aTranslateAccelerator;
    CStdPtrArray m_aPreMessageFilters;
    CStdPtrArray m_aMessageFilters;
    CStdPtrArray m_aPostPaintControls;
    CStdPtrArray m_aNativeWindow;
    CStdPtrArray m_aNativeWindowControl;
    CStdPtrArray m_aDelayedCleanup;
    CStdPtrArray m_aAsyncNotify;
    CStdPtrArray m_aFoundControls;
    CStdPtrArray m_aNeedMouseLeaveNeeded;
    CStdPtrArray m_aFonts;  // private font registrations (HANDLE)
    std::vector<int> m_aMarkupFontIds;  // oldest first
    CStdStringPtrMap m_mNameHash;
    CStdStringPtrMap m_mWindowCustomAttrHash;
    CStdStringPtrMap m_mOptionGroup;
    CRITICAL_SECTION m_lockAsync;
    // scratch lists reused so that routing and layout do not allocate once warmed up
    std::vector<CControlUI*> m_vMouseLeaveScratch;
    std::vector<CControlUI*> m_vUpdateScratch;
    int m_iMouseLeaveDepth = 0;
    std::vector<CControlUI**> m_vWatched;
    // Handlers of this window on the stack; delayed clean-up waits until none is left.
    int m_iHandlerDepth = 0;
    bool m_bCleanupDeferred = false;

    TResInfo m_ResInfo;

    // accessibility state
    CUIAccessible* m_pAccessible = nullptr;
    int m_iFocusCues = -1;  // -1: not decided yet (the system setting), 0 hidden, 1 shown
};

}  // namespace Veneer
