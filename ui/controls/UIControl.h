#ifndef VENEER_UICONTROL_H
#define VENEER_UICONTROL_H

#include <windows.h>

#include "ui/support/UISupport.h"
#include "ui/core/UIDefines.h"
#include "ui/controls/UIAnimation.h"
#include "ui/controls/UIEventSource.h"

namespace Veneer {

class CAttributeTable;
class CPaintManagerUI;
class CLangPackageUI;
class CControlUI;

// Show/hide animation kinds.
enum UIAnim
{
    UIANIM_NONE = 0,
    UIANIM_VERTICAL = 1,
    UIANIM_HORIZONTAL = 2,
    UIANIM_SCALE_VERTICAL = 3,
    UIANIM_SCALE_HORIZONTAL = 4,
    UIANIM_SCALE_SIZE = 5,
    UIANIM_ALPHA = 6
};

// Float placement as fractions of the parent size (0.5 = half).
struct TPercentInfo
{
    double left;
    double top;
    double right;
    double bottom;
};

// Animation ids used by the pane show/hide animation.
enum
{
    UIANIMID_PANE_SHOW = 9990,
    UIANIMID_PANE_HIDE = 9991
};

// Float alignment flags (floatalign attribute).
enum
{
    UIFLOAT_CENTER = 0x1,
    UIFLOAT_RIGHT = 0x2,
    UIFLOAT_VCENTER = 0x4,
    UIFLOAT_BOTTOM = 0x8
};

// Base of every element of a skinned window. Sizes are stored as written in the
// markup and returned by their getters scaled to the window's DPI.
class CControlUI : public CUIAnimation
{
public:
    CControlUI();
    ~CControlUI() override;

    // Animation (frame timers and the pane show/hide animation)
    // (StartAnimation, StopAnimation, IsAnimationRunning, GetCurrentFrame, SetCurrentFrame and
    // OnAnimationElapse come from CUIAnimation.)
    void OnAnimationStep(int nTotalFrame, int nCurFrame, int nAnimationID) override;
    void OnAnimationStart(int nAnimationID, bool bFirstLoop) override;
    void OnAnimationStop(int nAnimationID) override;

    // Identity
    virtual CUIString GetName() const;
    virtual void SetName(LPCTSTR pstrName);
    virtual LPCTSTR GetClass() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetControlFlags() const;

    virtual bool Activate();
    virtual CPaintManagerUI* GetManager() const;
    virtual void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true);
    virtual CControlUI* GetParent() const;

    // Text
    virtual CUIString GetText() const;
    virtual void SetText(LPCTSTR pstrText);
    virtual int GetTextN() const;
    virtual void SetTextN(int n);
    virtual void SetTextV(LPCTSTR pstrFormat, ...);
    virtual bool IsResourceText() const;
    virtual void SetResourceText(bool bResource);
    virtual int GetResourceID() const;
    virtual void SetResourceID(int resid);
    virtual CLangPackageUI* GetLangPackage() const;
    virtual void SetSkinFile(LPCTSTR pstrSkinFile);
    virtual CUIString GetSkinFile() const;

    virtual bool IsDragEnabled() const;
    virtual void SetDragEnable(bool bDrag);
    virtual bool IsDropEnabled() const;
    virtual void SetDropEnable(bool bDrop);

    // Look
    virtual void SetGradient(LPCTSTR pStrImage);
    virtual void SetBkImage(LPCTSTR pStrImage);

    // Geometry
    virtual RECT GetRelativePos() const;
    virtual RECT GetClientPos() const;
    virtual const RECT& GetPos() const;
    virtual void SetPos(RECT rc, bool bNeedInvalidate = true);
    virtual void Move(SIZE szOffset, bool bNeedInvalidate = true);
    virtual bool CalcPos(CControlUI* pChildControl, RECT& rcPos);
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetX() const;
    virtual int GetY() const;
    virtual RECT GetPadding() const;
    virtual void SetPadding(RECT rcPadding);
    virtual SIZE GetFixedXY() const;
    virtual void SetFixedXY(SIZE szXY);
    virtual int GetFixedWidth() const;
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const;
    virtual void SetFixedHeight(int cy);
    virtual int GetFixedWidthPercent() const;
    virtual void SetFixedWidthPercent(int cxPercent);
    virtual int GetFixedHeightPercent() const;
    virtual void SetFixedHeightPercent(int cyPercent);
    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int cy);
    virtual TPercentInfo GetFloatPercent() const;
    virtual void SetFloatPercent(TPercentInfo piFloatPercent);
    virtual void SetFloatAlign(UINT uAlign);
    virtual UINT GetFloatAlign() const;
    virtual void SetFloatPosition(POINT ptPosition);
    virtual POINT GetFloatPosition() const;
    virtual bool IsAutoCalcWidth() const;
    virtual void SetAutoCalcWidth(bool bAutoCalcWidth);
    virtual bool IsAutoCalcHeight() const;
    virtual void SetAutoCalcHeight(bool bAutoCalcHeight);

    // Tooltip, cursor, shortcut, menu, user data
    virtual CUIString GetToolTip() const;
    virtual void SetToolTip(LPCTSTR pstrText);
    virtual void SetToolTipWidth(int nWidth);
    virtual int GetToolTipWidth() const;
    virtual WORD GetCursor() const;
    virtual void SetCursor(WORD wCursor);
    virtual TCHAR GetShortcut() const;
    virtual void SetShortcut(TCHAR ch);
    virtual bool IsContextMenuUsed() const;
    virtual void SetContextMenuUsed(bool bMenuUsed);
    virtual const CUIString& GetUserData() const;
    virtual void SetUserData(LPCTSTR pstrText);
    virtual UINT_PTR GetTag() const;
    virtual void SetTag(UINT_PTR pTag);

    // State
    virtual bool IsVisible() const;
    virtual void SetVisible(bool bVisible = true);
    virtual void SetInternVisible(bool bVisible = true);
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool bEnable = true);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool bEnable = true);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool bEnable = true);
    virtual bool IsFocused() const;
    virtual void SetFocus();
    virtual bool IsFloat() const;
    virtual void SetFloat(bool bFloat = true);
    virtual bool IsHot() const;
    virtual void SetHot(bool bHot = true);

    virtual CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags);

    virtual void Init();
    virtual void DoInit();

    virtual void Event(TEventUI& event);
    virtual void DoEvent(TEventUI& event);

    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    // The attributes this class handles itself; its base's table is chained behind it.
    static const CAttributeTable& AttributeTable();
    virtual const CAttributeTable& GetAttributeTable() const;
    // OnInit, OnEvent, …: exact-case names that bind script functions rather than set a value.
    static bool IsScriptAttribute(LPCTSTR pstrName);

    virtual SIZE EstimateSize(SIZE szAvailable);

    // Painting: Paint clips and runs the script/delegate hooks, DoPaint draws the layers.
    virtual bool Paint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl = nullptr);
    virtual bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl);
    virtual void PaintBkColor(HDC hDC);
    virtual void PaintBkImage(HDC hDC);
    virtual void PaintStatusImage(HDC hDC);
    virtual void PaintForeColor(HDC hDC);
    virtual void PaintForeImage(HDC hDC);
    virtual void PaintText(HDC hDC);
    virtual void PaintBorder(HDC hDC);

    virtual void DoPostPaint(HDC hDC, const RECT& rcPaint);

    virtual bool OnEnableResponseDefaultKeyEvent(WPARAM wParam);

    // What a screen reader is told about the control (MSAA). A role of 0 leaves the control out of the
    // accessible tree (its children are still walked), which suits layouts and spacers.
    virtual CUIString GetAccessibleName() const;
    virtual void SetAccessibleName(LPCTSTR pstrName);
    virtual DWORD GetAccessibleRole() const;
    virtual DWORD GetAccessibleState() const;
    virtual CUIString GetAccessibleValue() const;
    virtual CUIString GetAccessibleDefaultAction() const;
    // Carries out the default action as a click would; false when the control cannot act now.
    virtual bool DoAccessibleDefaultAction();
    // A number no other control of the process has had: a screen reader's handle on this very control.
    UINT GetSerial() const { return m_uSerial; }

    virtual void SetPaneVisible(bool bVisible = true);
    virtual bool IsPaneVisible() const;
    virtual void SetAnimation(UIAnim animType);
    virtual UIAnim GetAnimation() const;
    virtual void SetFrameCount(int nFrameCount);
    virtual int GetFrameCount() const;
    virtual void SetFrameDelay(int nDelay);
    virtual int GetFrameDelay() const;

public:
    // Non-virtual helpers
    static CControlUI* CreateControl();

    CControlUI* ApplyAttributeList(LPCTSTR pstrList);

    void AddCustomAttribute(LPCTSTR pstrName, LPCTSTR pstrAttr);
    LPCTSTR GetCustomAttribute(LPCTSTR pstrName) const;
    bool RemoveCustomAttribute(LPCTSTR pstrName);
    void RemoveAllCustomAttribute();

    void Invalidate();
    bool IsUpdateNeeded() const;
    void NeedUpdate();
    void NeedParentUpdate();

    bool SetTimer(UINT nTimerID, UINT nElapse);
    void KillTimer(UINT nTimerID);

    bool DrawImage(HDC hDC, LPCTSTR pStrImage, LPCTSTR pStrModify = nullptr);
    DWORD GetAdjustColor(DWORD dwColor) const;

    // Colours
    DWORD GetBkColor() const;
    void SetBkColor(DWORD dwBackColor);
    DWORD GetBkColor2() const;
    void SetBkColor2(DWORD dwBackColor);
    DWORD GetBkColor3() const;
    void SetBkColor3(DWORD dwBackColor);
    DWORD GetHotBkColor() const;
    void SetHotBkColor(DWORD dwColor);
    DWORD GetFocusBkColor() const;
    void SetFocusBkColor(DWORD dwColor);
    DWORD GetForeColor() const;
    void SetForeColor(DWORD dwForeColor);
    CUIString GetGradient() const;
    CUIString GetBkImage() const;
    CUIString GetForeImage() const;
    void SetForeImage(LPCTSTR pStrImage);
    bool IsColorHSL() const;
    void SetColorHSL(bool bColorHSL);

    // Border
    DWORD GetBorderColor() const;
    void SetBorderColor(DWORD dwBorderColor);
    DWORD GetFocusBorderColor() const;
    void SetFocusBorderColor(DWORD dwBorderColor);
    DWORD GetHotBorderColor() const;
    void SetHotBorderColor(DWORD dwColor);
    int GetBorderSize() const;
    void SetBorderSize(int nSize);
    RECT GetBorderRectSize() const;
    void SetBorderSize(RECT rc);
    int GetLeftBorderSize() const;
    void SetLeftBorderSize(int nSize);
    int GetTopBorderSize() const;
    void SetTopBorderSize(int nSize);
    int GetRightBorderSize() const;
    void SetRightBorderSize(int nSize);
    int GetBottomBorderSize() const;
    void SetBottomBorderSize(int nSize);
    SIZE GetBorderRound() const;
    void SetBorderRound(SIZE cxyRound);
    int GetBorderStyle() const;
    void SetBorderStyle(int nStyle);

    HINSTANCE GetResourceInstance() const;
    void SetResourceInstance(HINSTANCE hInst);

    void SetVirtualWnd(LPCTSTR pstrValue);
    CUIString GetVirtualWnd() const;

    void SetExtraParent(CControlUI* pControl);
    CControlUI* GetExtraParent() const;

    // The rectangle last painted (item rectangle clipped to the paint region).
    const RECT& GetPaintRect() const;

    void __AddRef();
    void __ReleaseRef();

    // Script handles (null unless the manager has a script engine).
    void* GetScriptHandle(LPCTSTR pstrName) const;

public:
    CEventSource OnInit;
    CEventSource OnDestroy;
    CEventSource OnSize;
    CEventSource OnEvent;
    CEventSource OnNotify;
    CEventSource OnPaint;

protected:
    // Scaled by the manager's DPI object when there is a manager.
    int ScaleValue(int n) const;
    RECT ScaleRect(const RECT& rc) const;
    SIZE ScaleSize(const SIZE& sz) const;
    // Colour values of the bkcolor family: leading blanks and one "#" skipped, base 16.
    static DWORD ParseColor(LPCTSTR pstrValue, bool bSkipBlanks);
    bool RunScript(void* pHandle, void* pArg = nullptr);
    bool ApplyAttributeListNoStyle(LPCTSTR pstrList);
    void SetScriptHandle(LPCTSTR pstrName, LPCTSTR pstrFunction);
    void InvalidateClipped(RECT rcInvalidate);
    // The seven layers of DoPaint, in their fixed order.
    void PaintLayers(HDC hDC);
    // Counts every change of any control's position and of any container's children, so that a
    // container can tell whether what it learnt about its children's places still holds.
    static unsigned long long GeometryEpoch() { return s_nGeometryEpoch; }
    static void NoteGeometryChanged() { ++s_nGeometryEpoch; }

protected:
    // Fields read by every layout and paint pass come first, so that a pass over a
    // large tree touches as few cache lines per control as possible; the texts
    // (each with its inline buffer) follow at the end.
    CPaintManagerUI* m_pManager;
    CControlUI* m_pParent;
    CControlUI* m_pExtraParent;
    UINT_PTR m_pTag;

    RECT m_rcItem;
    RECT m_rcPaint;
    RECT m_rcPadding;
    SIZE m_cXY;
    SIZE m_cxyFixed;
    SIZE m_cxyFixedPercent;
    SIZE m_cxyMin;
    SIZE m_cxyMax;
    UINT m_uFloatAlign;
    POINT m_ptFloatPosition;

    bool m_bFloat;
    bool m_bAutoCalcWidth;
    bool m_bAutoCalcHeight;
    bool m_bVisible;
    bool m_bInternVisible;
    bool m_bPaneVisible;
    bool m_bEnabled;
    bool m_bMouseEnabled;
    bool m_bKeyboardEnabled;
    bool m_bFocused;
    bool m_bHot;
    bool m_bUpdateNeeded;
    bool m_bSetPos;
    bool m_bMenuUsed;
    bool m_bDragEnabled;
    bool m_bDropEnabled;
    bool m_bResourceText;
    bool m_bColorHSL;

    DWORD m_dwBackColor;
    DWORD m_dwBackColor2;
    DWORD m_dwBackColor3;
    DWORD m_dwHotBkColor;
    DWORD m_dwFocusBkColor;
    DWORD m_dwForeColor;
    DWORD m_dwBorderColor;
    DWORD m_dwFocusBorderColor;
    DWORD m_dwHotBorderColor;
    int m_nBorderSize;
    RECT m_rcBorderSize;
    SIZE m_cxyBorderRound;
    int m_nBorderStyle;
    HINSTANCE m_instance;

    int m_iResourceID;
    int m_nTooltipWidth;
    TCHAR m_chShortcut;
    WORD m_wCursor;

    TPercentInfo m_piFloatPercent;
    UIAnim m_animation;
    int m_nFrameCount;
    int m_nFrameDelay;
    SIZE m_szAnimationTarget;
    SIZE m_szAnimationCurrent;

    // Custom attributes (name -> owned CUIString*), made on the first one added:
    // most controls never get any.
    CStdStringPtrMap* m_pCustomAttrHash;

    void* m_asOnInit;
    void* m_asOnEvent;
    void* m_asOnNotify;
    void* m_asOnDestroy;
    void* m_asOnSize;
    void* m_asOnPaint;
    void* m_asOnPaintBkColor;
    void* m_asOnPaintBkImage;
    void* m_asOnPaintStatusImage;
    void* m_asOnPaintForeColor;
    void* m_asOnPaintForeImage;
    void* m_asOnPaintText;
    void* m_asOnPaintBorder;

    int m_nRefCount;

    CUIString m_sName;
    CUIString m_sSkinFile;
    CUIString m_sText;
    CUIString m_sBkImage;
    CUIString m_sForeImage;

    // Texts few controls set, kept out of line until the first one is set.
    struct TRareTexts
    {
        CUIString sVirtualWnd;
        CUIString sUserData;
        CUIString sToolTip;
        CUIString sGradient;
    };
    TRareTexts* m_pRareTexts;
    TRareTexts& RareTexts();

private:
    static unsigned long long s_nGeometryEpoch;
    static UINT NextSerial();
    const UINT m_uSerial = NextSerial();

    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;
};

} // namespace Veneer

#endif // VENEER_UICONTROL_H
