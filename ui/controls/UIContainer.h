#ifndef VENEER_UICONTAINER_H
#define VENEER_UICONTAINER_H

#include "ui/controls/UIControl.h"

#include <vector>

namespace Veneer {

class CScrollBarUI;

// Child-list operations shared by every container.
class IContainerUI
{
public:
    virtual CControlUI* GetItemAt(int iIndex) const = 0;
    virtual int GetItemIndex(CControlUI* pControl) const = 0;
    virtual bool SetItemIndex(CControlUI* pControl, int iIndex) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* pControl) = 0;
    virtual bool AddAt(CControlUI* pControl, CControlUI* pIndexControl) = 0;
    virtual bool AddAt(CControlUI* pControl, int iIndex) = 0;
    virtual bool Remove(CControlUI* pControl, bool bDoNotDestroy = false) = 0;
    virtual bool RemoveAt(int iIndex, bool bDoNotDestroy = false) = 0;
    virtual void RemoveAll() = 0;

protected:
    ~IContainerUI() {}
};

// A control owning an ordered list of children. The plain container stacks every
// child over its whole client area; float children are placed absolutely.
class CContainerUI : public CControlUI, public IContainerUI
{
public:
    CContainerUI();
    ~CContainerUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    // IContainerUI
    CControlUI* GetItemAt(int iIndex) const override;
    int GetItemIndex(CControlUI* pControl) const override;
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    int GetCount() const override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, CControlUI* pIndexControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl, bool bDoNotDestroy = false) override;
    bool RemoveAt(int iIndex, bool bDoNotDestroy = false) override;
    void RemoveAll() override;

    // Overridden control slots
    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    RECT GetClientPos() const override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void Move(SIZE szOffset, bool bNeedInvalidate = true) override;
    bool CalcPos(CControlUI* pChildControl, RECT& rcPos) override;
    void SetVisible(bool bVisible = true) override;
    void SetInternVisible(bool bVisible = true) override;
    void SetEnabled(bool bEnable = true) override;
    void SetMouseEnabled(bool bEnable = true) override;
    CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    static const CAttributeTable& AttributeTable();
    const CAttributeTable& GetAttributeTable() const override;
    SIZE EstimateSize(SIZE szAvailable) override;
    bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) override;

    // Container slots
    virtual RECT GetInset() const;
    virtual void SetInset(RECT rcInset);
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int iPadding);
    virtual UINT GetChildAlign() const;
    virtual void SetChildAlign(UINT iAlign);
    virtual UINT GetChildVAlign() const;
    virtual void SetChildVAlign(UINT iVAlign);
    virtual bool IsAutoDestroy() const;
    virtual void SetAutoDestroy(bool bAuto);
    virtual bool IsDelayedDestroy() const;
    virtual void SetDelayedDestroy(bool bDelayed);
    virtual bool IsMouseChildEnabled() const;
    virtual void SetMouseChildEnabled(bool bEnable = true);

    virtual int FindSelectable(int iIndex, bool bForward = true) const;

    virtual SIZE GetScrollPos() const;
    virtual SIZE GetScrollRange() const;
    virtual void SetScrollPos(SIZE szPos, bool bMsg = true);
    virtual void SetScrollStepSize(int nSize);
    virtual int GetScrollStepSize() const;
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void HomeUp();
    virtual void EndDown();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void PageLeft();
    virtual void PageRight();
    virtual void HomeLeft();
    virtual void EndRight();
    virtual void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const;
    virtual CScrollBarUI* GetHorizontalScrollBar() const;

    virtual void SetFloatPos(int iIndex);
    virtual void ProcessScrollBar(RECT rc, int cxRequired, int cyRequired);

    // Named-descendant shortcuts (false / defaults when no such descendant exists).
    CControlUI* FindSubControl(LPCTSTR pstrSubControlName);
    bool SetSubControlText(LPCTSTR pstrSubControlName, LPCTSTR pstrText);
    bool SetSubControlFixedHeight(LPCTSTR pstrSubControlName, int cy);
    bool SetSubControlFixedWdith(LPCTSTR pstrSubControlName, int cx);
    bool SetSubControlUserData(LPCTSTR pstrSubControlName, LPCTSTR pstrText);
    CUIString GetSubControlText(LPCTSTR pstrSubControlName);
    int GetSubControlFixedHeight(LPCTSTR pstrSubControlName);
    int GetSubControlFixedWdith(LPCTSTR pstrSubControlName);
    CUIString GetSubControlUserData(LPCTSTR pstrSubControlName);

    CUIString GetVerticalScrollBarStyle() const;
    CUIString GetHorizontalScrollBarStyle() const;

protected:
    // Item rectangle minus inset and visible scroll bars.
    RECT InnerRect(bool bScaledInset) const;
    // InnerRect shifted and extended over the scrolled content.
    RECT ClientRect(bool bScaledInset) const;
    RECT StackedChildPos(CControlUI* pControl, const RECT& rcClient) const;
    RECT FloatChildPos(CControlUI* pControl) const;
    // The two-pass layout of the linear layouts along one axis (vertical: top to
    // bottom). Applies it, or (bApply false) only reports the rectangle of pTarget.
    bool LayoutLinear(bool bVertical, const RECT& rcPos, bool bApply, CControlUI* pTarget, RECT* pTargetRect);
    // Resize separator of the linear layouts: a strip along the bottom (vertical) or
    // right (horizontal) edge, the top/left one for a negative size, dragged to
    // change the layout's own fixed height or width.
    RECT SeparatorRect(bool bVertical, bool bUseNew) const;
    bool SeparatorEvent(bool bVertical, TEventUI& event);  // true when it consumed the event
    void SeparatorPostPaint(bool bVertical, HDC hDC);
    void DragSeparator(bool bVertical, POINT pt);
    void StoreSeparatorLength(bool bVertical, int iLength);

    // Shows, places or hides one bar for the given excess; true when the content moved.
    bool FitScrollBar(CScrollBarUI* pBar, int iExcess, const RECT& rcBar);
    void AdoptChild(CControlUI* pControl);
    void DisposeChild(CControlUI* pControl);
    void ReleaseChild(CControlUI* pControl);
    void ApplyScrollBarStyle(CScrollBarUI* pScrollBar, const CUIString& sStyle);
    void SetScrollBarStyle(bool bVertical, LPCTSTR pstrStyle);
    void SetChildAlignWord(LPCTSTR pstrValue);
    void SetChildVAlignWord(LPCTSTR pstrValue);
    CScrollBarUI* CreateScrollBar(bool bHorizontal);
    void ScrollBy(int cx, int cy);
    void ScrollAlong(bool bVertical, int iDelta);
    // Keys and wheel for a visible, enabled bar; true when they scrolled.
    bool ScrollByInput(bool bVertical, const TEventUI& event);
    int LineStep(CScrollBarUI* pBar) const;
    // Visible children that follow one another along an axis without overlapping are hit-tested by
    // bisection, so that a mouse move costs the same beside 100,000 children as beside 100.
    enum class HitOrder : BYTE { None, Vertical, Horizontal };
    HitOrder ChildHitOrder() const;
    HitOrder MeasureHitOrder() const;
    // The only children a point can hit: [iFirst, iLast], empty when iLast < iFirst.
    void HitCandidates(POINT pt, int& iFirst, int& iLast) const;
    int PageHeight() const;
    int PageWidth() const;

protected:
    CStdPtrArray m_items;
    RECT m_rcInset;
    int m_iChildPadding;
    UINT m_iChildAlign;
    UINT m_iChildVAlign;
    bool m_bAutoDestroy;
    bool m_bDelayedDestroy;
    bool m_bMouseChildEnabled;
    int m_nScrollStepSize;

    CScrollBarUI* m_pVerticalScrollBar;
    CScrollBarUI* m_pHorizontalScrollBar;
    CUIString m_sVerticalScrollBarStyle;
    CUIString m_sHorizontalScrollBarStyle;
    int m_nScrollRelayoutDepth;

    struct TSeparator
    {
        int iSize;          // stored unscaled; 0 = no separator
        bool bImmMode;      // resize while dragging instead of on release
        bool bDragging;
        POINT ptLastMouse;
        RECT rcNewPos;
    };
    TSeparator m_separator;

private:
    mutable unsigned long long m_nHitOrderEpoch = 0;
    mutable HitOrder m_eHitOrder = HitOrder::None;
    // Indices of the visible children with an area, in order along the axis.
    mutable std::vector<int> m_aHitOrder;
};

} // namespace Veneer

#endif // VENEER_UICONTAINER_H
