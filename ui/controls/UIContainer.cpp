#include "ui/controls/UIContainer.h"

#include "ui/core/UIAttributeTable.h"
#include <stdlib.h>
#include <wchar.h>

#include <algorithm>
#include <climits>
#include <new>

#include "ui/controls/UIScrollBar.h"
#include "ui/core/UIDPI.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"
#include "ui/core/UIRenderClip.h"

namespace Veneer {

namespace {

bool Meets(const RECT& a, const RECT& b)
{
    RECT rcTemp;
    return ::IntersectRect(&rcTemp, &a, &b) != FALSE;
}

int Clamp(int v, int lo, int hi)
{
    if (v < lo) v = lo;
    if (v > hi) v = hi;
    return v;
}

// The main axis of a linear layout (y for a vertical one, x for a horizontal one)
// and the cross axis, so that one pass serves both layouts.
struct TAxis
{
    bool bVertical;

    int Main(const SIZE& sz) const { return bVertical ? sz.cy : sz.cx; }
    int Cross(const SIZE& sz) const { return bVertical ? sz.cx : sz.cy; }
    SIZE Size(int iMain, int iCross) const
    {
        SIZE sz = {bVertical ? iCross : iMain, bVertical ? iMain : iCross};
        return sz;
    }
    RECT Rect(int iMainFrom, int iMainTo, int iCrossFrom, int iCrossTo) const
    {
        RECT rc = bVertical ? RECT{iCrossFrom, iMainFrom, iCrossTo, iMainTo}
                            : RECT{iMainFrom, iCrossFrom, iMainTo, iCrossTo};
        return rc;
    }
    int MainBefore(const RECT& rc) const { return bVertical ? rc.top : rc.left; }
    int MainAfter(const RECT& rc) const { return bVertical ? rc.bottom : rc.right; }
    int CrossBefore(const RECT& rc) const { return bVertical ? rc.left : rc.top; }
    int CrossAfter(const RECT& rc) const { return bVertical ? rc.right : rc.bottom; }

    int FixedMain(CControlUI* p) const { return bVertical ? p->GetFixedHeight() : p->GetFixedWidth(); }
    int FixedCross(CControlUI* p) const { return bVertical ? p->GetFixedWidth() : p->GetFixedHeight(); }
    int MinMain(CControlUI* p) const { return bVertical ? p->GetMinHeight() : p->GetMinWidth(); }
    int MinCross(CControlUI* p) const { return bVertical ? p->GetMinWidth() : p->GetMinHeight(); }
    int MaxMain(CControlUI* p) const { return bVertical ? p->GetMaxHeight() : p->GetMaxWidth(); }
    int MaxCross(CControlUI* p) const { return bVertical ? p->GetMaxWidth() : p->GetMaxHeight(); }
    int PercentMain(CControlUI* p) const
    {
        return bVertical ? p->GetFixedHeightPercent() : p->GetFixedWidthPercent();
    }
    int PercentCross(CControlUI* p) const
    {
        return bVertical ? p->GetFixedWidthPercent() : p->GetFixedHeightPercent();
    }
    // Fixed size, or the maximum when there is none: the limit an estimate gets.
    int LimitMain(CControlUI* p) const
    {
        int n = FixedMain(p);
        return n < 1 ? MaxMain(p) : n;
    }
    int LimitCross(CControlUI* p) const
    {
        int n = FixedCross(p);
        return n < 1 ? MaxCross(p) : n;
    }
};

// A value of a visible bar; 0 for a missing or hidden one.
int BarValue(const CScrollBarUI* pBar, int (CScrollBarUI::*pfnGet)() const)
{
    return (pBar != nullptr && pBar->IsVisible()) ? (pBar->*pfnGet)() : 0;
}

// Scroll-bar driven relayouts settle within a couple of rounds (showing one bar
// can make the other necessary); the limit only guards against oscillation.
const int kMaxScrollRelayout = 4;

} // namespace

CContainerUI::CContainerUI()
    : m_items(),
      m_rcInset(),
      m_iChildPadding(0),
      m_iChildAlign(0),
      m_iChildVAlign(0),
      m_bAutoDestroy(true),
      m_bDelayedDestroy(true),
      m_bMouseChildEnabled(true),
      m_nScrollStepSize(0),
      m_pVerticalScrollBar(nullptr),
      m_pHorizontalScrollBar(nullptr),
      m_nScrollRelayoutDepth(0),
      m_separator()
{
}

CContainerUI::~CContainerUI()
{
    m_bDelayedDestroy = false;
    CStdPtrArray items(m_items);
    m_items.Empty();
    NoteGeometryChanged();
    if (m_bAutoDestroy) {
        for (int i = 0; i < items.GetSize(); ++i) delete static_cast<CControlUI*>(items.GetAt(i));
    }
    delete m_pVerticalScrollBar;
    m_pVerticalScrollBar = nullptr;
    delete m_pHorizontalScrollBar;
    m_pHorizontalScrollBar = nullptr;
}

LPCTSTR CContainerUI::GetClass() const { return L"ContainerUI"; }

LPVOID CContainerUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != nullptr) {
        if (_wcsicmp(pstrName, L"IContainer") == 0) return static_cast<IContainerUI*>(this);
        if (_wcsicmp(pstrName, L"Container") == 0) return static_cast<CContainerUI*>(this);
    }
    return CControlUI::GetInterface(pstrName);
}

// ---------------------------------------------------------------------------
// Children

CControlUI* CContainerUI::GetItemAt(int iIndex) const
{
    return static_cast<CControlUI*>(m_items.GetAt(iIndex));
}

int CContainerUI::GetItemIndex(CControlUI* pControl) const
{
    if (pControl == nullptr) return -1;
    return m_items.Find(pControl);
}

bool CContainerUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    int iOld = GetItemIndex(pControl);
    if (iOld < 0) return false;
    if (iOld == iIndex) return true;
    m_items.Remove(iOld);
    NoteGeometryChanged();
    if (!m_items.InsertAt(iIndex, pControl)) {
        // Out-of-range target: the child keeps its place instead of being lost.
        m_items.InsertAt(iOld, pControl);
        return false;
    }
    NeedUpdate();
    return true;
}

int CContainerUI::GetCount() const { return m_items.GetSize(); }

bool CContainerUI::Add(CControlUI* pControl)
{
    if (pControl == nullptr) return false;
    AdoptChild(pControl);
    if (IsVisible()) {
        NeedUpdate();
    } else {
        pControl->SetInternVisible(false);
    }
    NoteGeometryChanged();
    return m_items.Add(pControl);
}

bool CContainerUI::AddAt(CControlUI* pControl, CControlUI* pIndexControl)
{
    if (pControl == nullptr) return false;
    int iIndex = GetItemIndex(pIndexControl);
    if (iIndex < 0) return false;
    return AddAt(pControl, iIndex);
}

bool CContainerUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (pControl == nullptr) return false;
    AdoptChild(pControl);
    if (IsVisible()) {
        NeedUpdate();
    } else {
        pControl->SetInternVisible(false);
    }
    NoteGeometryChanged();
    return m_items.InsertAt(iIndex, pControl);
}

void CContainerUI::AdoptChild(CControlUI* pControl)
{
    if (m_pManager != nullptr) {
        m_pManager->InitControls(pControl, this);
    } else {
        // A tree built before it has a window still knows its parents, so that
        // events bubble and size changes reach the parent layout.
        pControl->SetManager(nullptr, this, false);
    }
}

void CContainerUI::DisposeChild(CControlUI* pControl)
{
    // Delayed: the control may be the one whose event or notification is running (a "scroll" handler that
    // turns its own bar off, a "click" handler that removes its button).
    if (m_bDelayedDestroy && m_pManager != nullptr) {
        m_pManager->AddDelayedCleanup(pControl);
    } else {
        delete pControl;
    }
}

bool CContainerUI::Remove(CControlUI* pControl, bool bDoNotDestroy)
{
    int iIndex = GetItemIndex(pControl);
    if (iIndex < 0) return false;
    NeedUpdate();
    // Leave the list first so that nothing reached from the child's destruction
    // can find it among the children any more.
    m_items.Remove(iIndex);
    NoteGeometryChanged();
    if (!bDoNotDestroy && m_bAutoDestroy) DisposeChild(pControl);
    else ReleaseChild(pControl);
    return true;
}

void CContainerUI::ReleaseChild(CControlUI* pControl)
{
    // A child the caller keeps belongs to no window until it is added again.
    if (m_pManager != nullptr) m_pManager->DetachControls(pControl);
    else pControl->SetManager(nullptr, nullptr, false);
}

bool CContainerUI::RemoveAt(int iIndex, bool bDoNotDestroy)
{
    CControlUI* pControl = GetItemAt(iIndex);
    if (pControl == nullptr) return false;
    return Remove(pControl, bDoNotDestroy);
}

void CContainerUI::RemoveAll()
{
    CStdPtrArray items(m_items);
    m_items.Empty();
    NoteGeometryChanged();
    for (int i = 0; i < items.GetSize(); ++i) {
        CControlUI* pControl = static_cast<CControlUI*>(items.GetAt(i));
        if (m_bAutoDestroy) DisposeChild(pControl);
        else ReleaseChild(pControl);
    }
    NeedUpdate();
}

// ---------------------------------------------------------------------------
// Propagation

void CContainerUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    for (int i = 0; i < m_items.GetSize(); ++i) GetItemAt(i)->SetManager(pManager, this, bInit);
    if (m_pVerticalScrollBar != nullptr) m_pVerticalScrollBar->SetManager(pManager, this, bInit);
    if (m_pHorizontalScrollBar != nullptr) m_pHorizontalScrollBar->SetManager(pManager, this, bInit);
    CControlUI::SetManager(pManager, pParent, bInit);
}

void CContainerUI::SetVisible(bool bVisible)
{
    if (m_bVisible == bVisible) return;
    CControlUI::SetVisible(bVisible);
    for (int i = 0; i < m_items.GetSize(); ++i) GetItemAt(i)->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool bVisible)
{
    CControlUI::SetInternVisible(bVisible);
    for (int i = 0; i < m_items.GetSize(); ++i) GetItemAt(i)->SetInternVisible(IsVisible());
}

void CContainerUI::SetEnabled(bool bEnable)
{
    if (m_bEnabled == bEnable) return;
    m_bEnabled = bEnable;
    for (int i = 0; i < m_items.GetSize(); ++i) GetItemAt(i)->SetEnabled(bEnable);
    Invalidate();
}

void CContainerUI::SetMouseEnabled(bool bEnable)
{
    if (m_pVerticalScrollBar != nullptr) m_pVerticalScrollBar->SetMouseEnabled(bEnable);
    if (m_pHorizontalScrollBar != nullptr) m_pHorizontalScrollBar->SetMouseEnabled(bEnable);
    CControlUI::SetMouseEnabled(bEnable);
}

void CContainerUI::Move(SIZE szOffset, bool bNeedInvalidate)
{
    CControlUI::Move(szOffset, bNeedInvalidate);
    if (m_pVerticalScrollBar != nullptr && m_pVerticalScrollBar->IsVisible()) {
        m_pVerticalScrollBar->Move(szOffset, false);
    }
    if (m_pHorizontalScrollBar != nullptr && m_pHorizontalScrollBar->IsVisible()) {
        m_pHorizontalScrollBar->Move(szOffset, false);
    }
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (pControl->IsVisible()) pControl->Move(szOffset, false);
    }
}

// ---------------------------------------------------------------------------
// Properties

RECT CContainerUI::GetInset() const { return ScaleRect(m_rcInset); }

void CContainerUI::SetInset(RECT rcInset)
{
    m_rcInset = rcInset;
    NeedUpdate();
}

int CContainerUI::GetChildPadding() const { return ScaleValue(m_iChildPadding); }

void CContainerUI::SetChildPadding(int iPadding)
{
    m_iChildPadding = iPadding;
    NeedUpdate();
}

UINT CContainerUI::GetChildAlign() const { return m_iChildAlign; }

void CContainerUI::SetChildAlign(UINT iAlign)
{
    m_iChildAlign = iAlign;
    NeedUpdate();
}

UINT CContainerUI::GetChildVAlign() const { return m_iChildVAlign; }

void CContainerUI::SetChildVAlign(UINT iVAlign)
{
    m_iChildVAlign = iVAlign;
    NeedUpdate();
}

bool CContainerUI::IsAutoDestroy() const { return m_bAutoDestroy; }
void CContainerUI::SetAutoDestroy(bool bAuto) { m_bAutoDestroy = bAuto; }
bool CContainerUI::IsDelayedDestroy() const { return m_bDelayedDestroy; }
void CContainerUI::SetDelayedDestroy(bool bDelayed) { m_bDelayedDestroy = bDelayed; }
bool CContainerUI::IsMouseChildEnabled() const { return m_bMouseChildEnabled; }
void CContainerUI::SetMouseChildEnabled(bool bEnable) { m_bMouseChildEnabled = bEnable; }

int CContainerUI::FindSelectable(int iIndex, bool bForward) const
{
    // A plain container has no selection; list-like subclasses refine this.
    int nCount = GetCount();
    if (nCount == 0) return -1;
    if (iIndex < 0) iIndex = 0;
    if (iIndex >= nCount) iIndex = nCount - 1;
    if (bForward) {
        for (int i = iIndex; i < nCount; ++i) {
            CControlUI* p = GetItemAt(i);
            if (p->IsVisible() && p->IsEnabled() && p->GetInterface(L"ListItem") != nullptr) return i;
        }
        return -1;
    }
    for (int i = iIndex; i >= 0; --i) {
        CControlUI* p = GetItemAt(i);
        if (p->IsVisible() && p->IsEnabled() && p->GetInterface(L"ListItem") != nullptr) return i;
    }
    return -1;
}

CUIString CContainerUI::GetVerticalScrollBarStyle() const { return m_sVerticalScrollBarStyle; }
CUIString CContainerUI::GetHorizontalScrollBarStyle() const { return m_sHorizontalScrollBarStyle; }

// ---------------------------------------------------------------------------
// Geometry

RECT CContainerUI::InnerRect(bool bScaledInset) const
{
    RECT rcInset = bScaledInset ? GetInset() : m_rcInset;
    RECT rc = m_rcItem;
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
    return rc;
}

RECT CContainerUI::ClientRect(bool bScaledInset) const
{
    RECT rc = InnerRect(bScaledInset);
    if (m_pVerticalScrollBar != nullptr && m_pVerticalScrollBar->IsVisible()) {
        rc.top -= m_pVerticalScrollBar->GetScrollPos();
        rc.bottom -= m_pVerticalScrollBar->GetScrollPos();
        rc.bottom += m_pVerticalScrollBar->GetScrollRange();
    }
    if (m_pHorizontalScrollBar != nullptr && m_pHorizontalScrollBar->IsVisible()) {
        rc.left -= m_pHorizontalScrollBar->GetScrollPos();
        rc.right -= m_pHorizontalScrollBar->GetScrollPos();
        rc.right += m_pHorizontalScrollBar->GetScrollRange();
    }
    return rc;
}

RECT CContainerUI::GetClientPos() const { return ClientRect(false); }

RECT CContainerUI::StackedChildPos(CControlUI* pControl, const RECT& rcClient) const
{
    SIZE sz = {rcClient.right - rcClient.left, rcClient.bottom - rcClient.top};
    if (sz.cx < pControl->GetMinWidth()) sz.cx = pControl->GetMinWidth();
    if (sz.cx > pControl->GetMaxWidth()) sz.cx = pControl->GetMaxWidth();
    if (sz.cy < pControl->GetMinHeight()) sz.cy = pControl->GetMinHeight();
    if (sz.cy > pControl->GetMaxHeight()) sz.cy = pControl->GetMaxHeight();
    RECT rc = {rcClient.left, rcClient.top, rcClient.left + sz.cx, rcClient.top + sz.cy};
    return rc;
}

void CContainerUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    if (m_items.IsEmpty()) return;
    RECT rcClient = ClientRect(true);
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!pControl->IsVisible()) continue;
        if (pControl->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        pControl->SetPos(StackedChildPos(pControl, rcClient), false);
    }
}

bool CContainerUI::CalcPos(CControlUI* pChildControl, RECT& rcPos)
{
    if (pChildControl == nullptr || GetItemIndex(pChildControl) < 0 || pChildControl->IsFloat()) return false;
    rcPos = StackedChildPos(pChildControl, ClientRect(false));
    return true;
}

RECT CContainerUI::FloatChildPos(CControlUI* pControl) const
{
    const RECT& rcParent = m_rcItem;
    int cxParent = rcParent.right - rcParent.left;
    int cyParent = rcParent.bottom - rcParent.top;
    int cx = pControl->GetFixedWidth();
    int cy = pControl->GetFixedHeight();
    SIZE szXY = pControl->GetFixedXY();
    UINT uAlign = pControl->GetFloatAlign();
    RECT rc;

    if (uAlign != 0) {
        int dx = szXY.cx;
        if ((uAlign & UIFLOAT_CENTER) != 0) {
            dx = (cxParent - cx) / 2;
        } else if ((uAlign & UIFLOAT_RIGHT) != 0) {
            dx = cxParent - cx;
        }
        int dy = szXY.cy;
        if ((uAlign & UIFLOAT_VCENTER) != 0) {
            dy = (cyParent - cy) / 2;
        } else if ((uAlign & UIFLOAT_BOTTOM) != 0) {
            dy = cyParent - cy;
        }
        rc.left = rcParent.left + dx;
        rc.top = rcParent.top + dy;
        rc.right = rc.left + cx;
        rc.bottom = rc.top + cy;
        return rc;
    }

    TPercentInfo pi = pControl->GetFloatPercent();
    if (pi.left != 0.0 || pi.top != 0.0 || pi.right != 0.0 || pi.bottom != 0.0) {
        rc.left = rcParent.left + static_cast<LONG>(cxParent * pi.left) + szXY.cx;
        rc.top = rcParent.top + static_cast<LONG>(cyParent * pi.top) + szXY.cy;
        rc.right = rcParent.left + static_cast<LONG>(cxParent * pi.right) + cx + szXY.cx;
        rc.bottom = rcParent.top + static_cast<LONG>(cyParent * pi.bottom) + cy + szXY.cy;
        return rc;
    }

    rc.left = rcParent.left + szXY.cx;
    rc.top = rcParent.top + szXY.cy;
    rc.right = rc.left + cx;
    rc.bottom = rc.top + cy;
    POINT pt = pControl->GetFloatPosition();
    if (pt.x != 0 && szXY.cx == 0) {
        rc.left = rcParent.left + pt.x * cxParent / 100;
        rc.right = rc.left + cx;
    }
    if (pt.y != 0 && szXY.cy == 0) {
        rc.top = rcParent.top + pt.y * cyParent / 100;
        rc.bottom = rc.top + cy;
    }
    if (pControl->GetFixedWidthPercent() != 0 && cx == 0) {
        rc.right = rc.left + pControl->GetFixedWidthPercent() * cxParent / 100;
    }
    if (pControl->GetFixedHeightPercent() != 0 && cy == 0) {
        rc.bottom = rc.top + pControl->GetFixedHeightPercent() * cyParent / 100;
    }
    return rc;
}

void CContainerUI::SetFloatPos(int iIndex)
{
    CControlUI* pControl = GetItemAt(iIndex);
    if (pControl == nullptr || !pControl->IsVisible() || !pControl->IsFloat()) return;
    pControl->SetPos(FloatChildPos(pControl), false);
}

// ---------------------------------------------------------------------------
// Linear layout (shared by the vertical and the horizontal layout)

bool CContainerUI::LayoutLinear(bool bVertical, const RECT& rcPos, bool bApply, CControlUI* pTarget,
                                RECT* pTargetRect)
{
    const TAxis ax = {bVertical};
    RECT rcInset = GetInset();
    RECT rc = {rcPos.left + rcInset.left, rcPos.top + rcInset.top, rcPos.right - rcInset.right,
               rcPos.bottom - rcInset.bottom};
    bool bVBar = m_pVerticalScrollBar != nullptr && m_pVerticalScrollBar->IsVisible();
    bool bHBar = m_pHorizontalScrollBar != nullptr && m_pHorizontalScrollBar->IsVisible();
    if (bVBar) rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (bHBar) rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();

    if (m_items.GetSize() == 0) {
        if (bApply) ProcessScrollBar(rc, 0, 0);
        return false;
    }

    CScrollBarUI* pVBar = bVBar ? m_pVerticalScrollBar : nullptr;
    CScrollBarUI* pHBar = bHBar ? m_pHorizontalScrollBar : nullptr;
    CScrollBarUI* pMainBar = bVertical ? pVBar : pHBar;
    CScrollBarUI* pCrossBar = bVertical ? pHBar : pVBar;
    const UINT uMainAlign = bVertical ? m_iChildVAlign : m_iChildAlign;
    const UINT uMainCenter = bVertical ? DT_VCENTER : DT_CENTER;
    const UINT uMainEnd = bVertical ? DT_BOTTOM : DT_RIGHT;
    const UINT uCrossAlign = bVertical ? m_iChildAlign : m_iChildVAlign;
    const UINT uCrossCenter = bVertical ? DT_CENTER : DT_VCENTER;
    const UINT uCrossEnd = bVertical ? DT_RIGHT : DT_BOTTOM;

    // Stretchable children share the visible length only; sharing the scrolled
    // length too would make them fill whatever range the bar has, so the bar could
    // never shrink again. Across, the content may be as wide as it is scrolled.
    SIZE szClient = {rc.right - rc.left, rc.bottom - rc.top};
    const int iAvailMain = ax.Main(szClient);
    const int iAvailCross = ax.Cross(szClient) + (pCrossBar ? pCrossBar->GetScrollRange() : 0);
    const int iChildPadding = GetChildPadding();
    auto takesPart = [bApply](CControlUI* p) { return p->IsVisible() || (!bApply && p->IsPaneVisible()); };

    // First pass: fixed lengths, number of stretchable children, widest child across.
    int nAdjustables = 0;
    int iFixed = 0;
    int nEstimated = 0;
    int iCrossNeeded = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!takesPart(pControl) || pControl->IsFloat()) continue;
        RECT rcPadding = pControl->GetPadding();
        int iPadMain = ax.MainBefore(rcPadding) + ax.MainAfter(rcPadding);
        int iPadCross = ax.CrossBefore(rcPadding) + ax.CrossAfter(rcPadding);
        SIZE sz = pControl->EstimateSize(ax.Size(std::min(ax.LimitMain(pControl), iAvailMain),
                                                 std::min(ax.LimitCross(pControl), iAvailCross - iPadCross)));
        int iMain = ax.Main(sz);
        if (iMain == 0 && ax.PercentMain(pControl) >= 1) iMain = ax.PercentMain(pControl) * iAvailMain / 100;
        if (iMain == 0) {
            ++nAdjustables;
        } else {
            iMain = Clamp(iMain, ax.MinMain(pControl), ax.MaxMain(pControl));
        }
        iFixed += iMain + iPadMain;
        int iCross = Clamp(std::max(ax.Cross(sz), 0), ax.MinCross(pControl), ax.MaxCross(pControl));
        iCrossNeeded = std::max(iCrossNeeded, iCross + iPadCross);
        ++nEstimated;
    }
    const int iGaps = nEstimated > 1 ? (nEstimated - 1) * iChildPadding : 0;
    iFixed += iGaps;
    const int iExpand = nAdjustables > 0 ? std::max(0, (iAvailMain - iFixed) / nAdjustables) : 0;

    int iPos = ax.MainBefore(rc);
    if (pMainBar != nullptr) {
        iPos -= pMainBar->GetScrollPos();
    } else if (nAdjustables == 0) {
        if (uMainAlign == uMainCenter) {
            iPos += (iAvailMain - iFixed) / 2;
        } else if (uMainAlign == uMainEnd) {
            iPos += iAvailMain - iFixed;
        }
    }

    // Second pass: place the children.
    int iAdjustable = 0;
    int iFixedRemaining = iFixed;
    int iRemaining = iAvailMain;
    int nPlaced = 0;
    int iMainNeeded = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!takesPart(pControl)) continue;
        if (pControl->IsFloat()) {
            if (bApply) SetFloatPos(i);
            continue;
        }
        ++nPlaced;
        RECT rcPadding = pControl->GetPadding();
        int iPadMain = ax.MainBefore(rcPadding) + ax.MainAfter(rcPadding);
        int iPadCross = ax.CrossBefore(rcPadding) + ax.CrossAfter(rcPadding);
        iRemaining -= ax.MainBefore(rcPadding);
        int iMainLimit = std::min(ax.LimitMain(pControl), iRemaining);
        int iCrossLimit = std::min(ax.LimitCross(pControl), iAvailCross - iPadCross);
        iFixedRemaining -= iPadMain;
        if (nPlaced > 1) iFixedRemaining -= iChildPadding;

        SIZE sz = pControl->EstimateSize(ax.Size(iMainLimit, iCrossLimit));
        int iMain = ax.Main(sz);
        if (iMain == 0 && ax.PercentMain(pControl) >= 1) iMain = ax.PercentMain(pControl) * iAvailMain / 100;
        if (iMain == 0) {
            ++iAdjustable;
            iMain = iExpand;
            if (iAdjustable == nAdjustables) {
                iMain = std::max(0, iRemaining - ax.MainAfter(rcPadding) - iFixedRemaining);
            }
            iMain = Clamp(iMain, ax.MinMain(pControl), ax.MaxMain(pControl));
        } else {
            iMain = Clamp(iMain, ax.MinMain(pControl), ax.MaxMain(pControl));
            iFixedRemaining -= iMain;
        }

        int iCross = std::max(ax.Cross(sz), 0);
        if (iCross == 0 && ax.FixedCross(pControl) == 0 && ax.PercentCross(pControl) >= 1) {
            iCross = ax.PercentCross(pControl) * iAvailCross / 100;
        }
        if (iCross == 0) iCross = iAvailCross - iPadCross;
        iCross = std::max(std::min(iCrossLimit, iCross), ax.MinCross(pControl));

        int iCrossFrom;
        if (uCrossAlign == uCrossCenter) {
            int iCenter = (ax.CrossBefore(rc) + ax.CrossAfter(rc)) / 2;
            if (pCrossBar != nullptr) iCenter += pCrossBar->GetScrollRange() / 2 - pCrossBar->GetScrollPos();
            iCrossFrom = iCenter - iCross / 2;
        } else if (uCrossAlign == uCrossEnd) {
            int iEnd = ax.CrossAfter(rc) - ax.CrossAfter(rcPadding);
            if (pCrossBar != nullptr) iEnd += pCrossBar->GetScrollRange() - pCrossBar->GetScrollPos();
            iCrossFrom = iEnd - iCross;
        } else {
            iCrossFrom = ax.CrossBefore(rc) + ax.CrossBefore(rcPadding);
            if (pCrossBar != nullptr) iCrossFrom -= pCrossBar->GetScrollPos();
        }
        int iMainFrom = iPos + ax.MainBefore(rcPadding);
        RECT rcCtrl = ax.Rect(iMainFrom, iMainFrom + iMain, iCrossFrom, iCrossFrom + iCross);

        if (bApply) {
            pControl->SetPos(rcCtrl, false);
        } else if (pControl == pTarget) {
            *pTargetRect = rcCtrl;
            return true;
        }

        iPos += iMain + iChildPadding + iPadMain;
        iMainNeeded += iMain + iPadMain;
        iRemaining -= iMain + iChildPadding + ax.MainAfter(rcPadding);
    }
    iMainNeeded += iGaps;

    if (bApply) {
        SIZE szNeeded = ax.Size(iMainNeeded, iCrossNeeded);
        ProcessScrollBar(rc, szNeeded.cx, szNeeded.cy);
    }
    return false;
}

// ---------------------------------------------------------------------------
// Resize separator

RECT CContainerUI::SeparatorRect(bool bVertical, bool bUseNew) const
{
    RECT rc = bUseNew ? m_separator.rcNewPos : m_rcItem;
    int iSep = ScaleValue(m_separator.iSize);
    LONG& lFrom = bVertical ? rc.top : rc.left;
    LONG& lTo = bVertical ? rc.bottom : rc.right;
    if (iSep >= 0) {
        lFrom = std::max(lTo - iSep, lFrom);
    } else {
        lTo = std::min(lFrom - iSep, lTo);
    }
    return rc;
}

void CContainerUI::StoreSeparatorLength(bool bVertical, int iLength)
{
    LONG& lFixed = bVertical ? m_cxyFixed.cy : m_cxyFixed.cx;
    lFixed = m_pManager ? m_pManager->GetDPIObj()->ScaleBack(iLength) : iLength;
}

bool CContainerUI::SeparatorEvent(bool bVertical, TEventUI& event)
{
    if (m_separator.iSize == 0) return false;
    RECT rcSep = SeparatorRect(bVertical, false);
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
        if (!IsEnabled() || !::PtInRect(&rcSep, event.ptMouse)) return false;
        m_separator.bDragging = true;
        m_separator.ptLastMouse = event.ptMouse;
        m_separator.rcNewPos = m_rcItem;
        if (!m_separator.bImmMode && m_pManager != nullptr) m_pManager->AddPostPaint(this);
        return true;
    case UIEVENT_BUTTONUP: {
        if (!m_separator.bDragging) return false;
        m_separator.bDragging = false;
        m_rcItem = m_separator.rcNewPos;
        NoteGeometryChanged();
        if (!m_separator.bImmMode && m_pManager != nullptr) m_pManager->RemovePostPaint(this);
        const RECT& rcNew = m_separator.rcNewPos;
        StoreSeparatorLength(bVertical, bVertical ? rcNew.bottom - rcNew.top : rcNew.right - rcNew.left);
        NeedParentUpdate();
        return true;
    }
    case UIEVENT_MOUSEMOVE:
        if (!m_separator.bDragging) return false;
        DragSeparator(bVertical, event.ptMouse);
        return true;
    case UIEVENT_SETCURSOR:
        if (!IsEnabled() || !::PtInRect(&rcSep, event.ptMouse)) return false;
        // Size north-south / size west-east.
        ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(bVertical ? 32645 : 32644)));
        return true;
    default:
        return false;
    }
}

void CContainerUI::DragSeparator(bool bVertical, POINT pt)
{
    LONG lDelta = bVertical ? pt.y - m_separator.ptLastMouse.y : pt.x - m_separator.ptLastMouse.x;
    m_separator.ptLastMouse = pt;
    RECT rc = m_separator.rcNewPos;
    LONG& lFrom = bVertical ? rc.top : rc.left;
    LONG& lTo = bVertical ? rc.bottom : rc.right;
    if (m_separator.iSize >= 0) {
        lTo += lDelta;
    } else {
        lFrom += lDelta;
    }
    int iLength = lTo - lFrom;
    int iMin = bVertical ? GetMinHeight() : GetMinWidth();
    int iMax = bVertical ? GetMaxHeight() : GetMaxWidth();
    if (iLength < iMin || iLength > iMax) return;

    RECT rcInvalidate = SeparatorRect(bVertical, true);
    m_separator.rcNewPos = rc;
    if (m_separator.bImmMode) {
        m_rcItem = rc;
        NoteGeometryChanged();
        StoreSeparatorLength(bVertical, iLength);
        NeedParentUpdate();
        return;
    }
    RECT rcNewThumb = SeparatorRect(bVertical, true);
    RECT rcOldThumb = SeparatorRect(bVertical, false);
    ::UnionRect(&rcInvalidate, &rcInvalidate, &rcNewThumb);
    ::UnionRect(&rcInvalidate, &rcInvalidate, &rcOldThumb);
    if (m_pManager != nullptr) m_pManager->Invalidate(rcInvalidate);
}

void CContainerUI::SeparatorPostPaint(bool bVertical, HDC hDC)
{
    if (!m_separator.bDragging || m_separator.bImmMode) return;
    RECT rcSeparator = SeparatorRect(bVertical, true);
    CRenderEngine::DrawColor(hDC, rcSeparator, 0xAA000000);
}

// ---------------------------------------------------------------------------
// Size estimate

SIZE CContainerUI::EstimateSize(SIZE szAvailable)
{
    if (IsAnimationRunning(UIANIMID_PANE_SHOW) || IsAnimationRunning(UIANIMID_PANE_HIDE) || !m_bPaneVisible) {
        return m_szAnimationCurrent;
    }
    if (!m_bAutoCalcWidth && !m_bAutoCalcHeight) return CControlUI::EstimateSize(szAvailable);

    SIZE sz = {0, 0};
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!pControl->IsVisible()) continue;
        SIZE szChild = pControl->EstimateSize(szAvailable);
        RECT rcPadding = pControl->GetPadding();
        if (m_bAutoCalcWidth) sz.cx += szChild.cx + rcPadding.left + rcPadding.right;
        if (m_bAutoCalcHeight) sz.cy += szChild.cy + rcPadding.top + rcPadding.bottom;
    }
    // Children estimate in window pixels, so inset and gaps are scaled to match.
    const RECT rcInset = GetInset();
    const int iGap = GetChildPadding();
    int nGaps = m_items.GetSize() > 0 ? m_items.GetSize() - 1 : 0;
    if (m_bAutoCalcWidth) sz.cx += rcInset.left + rcInset.right + nGaps * iGap;
    if (m_bAutoCalcHeight) sz.cy += rcInset.top + rcInset.bottom + nGaps * iGap;
    return sz;
}

// ---------------------------------------------------------------------------
// Lookup

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags)
{
    if ((uFlags & UIFIND_VISIBLE) != 0 && !IsVisible()) return nullptr;
    if ((uFlags & UIFIND_ENABLED) != 0 && !IsEnabled()) return nullptr;
    bool bHitTest = (uFlags & UIFIND_HITTEST) != 0;
    if (bHitTest && !::PtInRect(&m_rcItem, *static_cast<const POINT*>(pData))) return nullptr;
    if ((uFlags & UIFIND_UPDATETEST) != 0 && Proc(this, pData) != nullptr) return nullptr;

    bool bSelfSkipped = bHitTest && !m_bMouseEnabled;
    CControlUI* pResult = nullptr;
    if ((uFlags & UIFIND_ME_FIRST) != 0 && !bSelfSkipped) {
        pResult = Proc(this, pData);
        if (pResult != nullptr) return pResult;
    }
    if (!bSelfSkipped) {
        if (m_pVerticalScrollBar != nullptr) {
            pResult = m_pVerticalScrollBar->FindControl(Proc, pData, uFlags);
            if (pResult != nullptr) return pResult;
        }
        if (m_pHorizontalScrollBar != nullptr) {
            pResult = m_pHorizontalScrollBar->FindControl(Proc, pData, uFlags);
            if (pResult != nullptr) return pResult;
        }
    }

    if (!(bHitTest && !m_bMouseChildEnabled)) {
        RECT rcInner = InnerRect(false);
        int iFirst = 0;
        int iLast = m_items.GetSize() - 1;
        if (bHitTest && (uFlags & UIFIND_VISIBLE) != 0) {
            HitCandidates(*static_cast<const POINT*>(pData), iFirst, iLast);
        }
        bool bTopFirst = (uFlags & UIFIND_TOP_FIRST) != 0;
        for (int k = iFirst; k <= iLast; ++k) {
            int i = bTopFirst ? iLast - (k - iFirst) : k;
            CControlUI* pControl = GetItemAt(i);
            if (pControl == nullptr) continue;
            pResult = pControl->FindControl(Proc, pData, uFlags);
            if (pResult == nullptr) continue;
            if (bHitTest && !pResult->IsFloat() && !::PtInRect(&rcInner, *static_cast<const POINT*>(pData))) {
                continue;
            }
            return pResult;
        }
    }

    if ((uFlags & UIFIND_ME_FIRST) == 0 && !bSelfSkipped) return Proc(this, pData);
    return nullptr;
}

// A hit test asks a child only when the point lies in the child's place; with the visible children in
// order along an axis and not overlapping, that place can only be the last one starting at or before it.
void CContainerUI::HitCandidates(POINT pt, int& iFirst, int& iLast) const
{
    HitOrder eOrder = ChildHitOrder();
    if (eOrder == HitOrder::None) return;
    bool bVertical = eOrder == HitOrder::Vertical;
    LONG lAt = bVertical ? pt.y : pt.x;
    auto itAfter = std::upper_bound(m_aHitOrder.begin(), m_aHitOrder.end(), lAt, [&](LONG l, int i) {
        const RECT& rc = GetItemAt(i)->GetPos();
        return l < (bVertical ? rc.top : rc.left);
    });
    if (itAfter == m_aHitOrder.begin()) {
        iLast = iFirst - 1;
        return;
    }
    iFirst = iLast = *(itAfter - 1);
}

CContainerUI::HitOrder CContainerUI::ChildHitOrder() const
{
    if (m_nHitOrderEpoch != GeometryEpoch()) {
        m_eHitOrder = MeasureHitOrder();
        m_nHitOrderEpoch = GeometryEpoch();
    }
    return m_eHitOrder;
}

// Ordered along an axis: every visible child with an area starts at or after the end of all earlier ones.
// Floating or overlapping children make the order None, and a hit test then asks every child as before.
CContainerUI::HitOrder CContainerUI::MeasureHitOrder() const
{
    // Below this a plain walk is as fast as keeping the order up to date.
    const int kMinChildren = 16;
    m_aHitOrder.clear();
    int nCount = m_items.GetSize();
    if (nCount < kMinChildren) return HitOrder::None;
    try {
        m_aHitOrder.reserve(static_cast<size_t>(nCount));
    } catch (const std::bad_alloc&) {
        return HitOrder::None;
    }
    bool bVertical = true;
    bool bHorizontal = true;
    LONG lBottom = LONG_MIN;
    LONG lRight = LONG_MIN;
    for (int i = 0; i < nCount && (bVertical || bHorizontal); ++i) {
        CControlUI* pChild = GetItemAt(i);
        const RECT& rc = pChild->GetPos();
        if (!pChild->IsVisible() || ::IsRectEmpty(&rc)) continue;
        bVertical = bVertical && rc.top >= lBottom;
        bHorizontal = bHorizontal && rc.left >= lRight;
        lBottom = (std::max)(lBottom, rc.bottom);
        lRight = (std::max)(lRight, rc.right);
        m_aHitOrder.push_back(i);
    }
    if (bVertical) return HitOrder::Vertical;
    if (bHorizontal) return HitOrder::Horizontal;
    m_aHitOrder.clear();
    return HitOrder::None;
}

CControlUI* CContainerUI::FindSubControl(LPCTSTR pstrSubControlName)
{
    if (m_pManager == nullptr || pstrSubControlName == nullptr) return nullptr;
    return m_pManager->FindSubControlByName(this, pstrSubControlName);
}

bool CContainerUI::SetSubControlText(LPCTSTR pstrSubControlName, LPCTSTR pstrText)
{
    CControlUI* p = FindSubControl(pstrSubControlName);
    if (p == nullptr) return false;
    p->SetText(pstrText);
    return true;
}

bool CContainerUI::SetSubControlFixedHeight(LPCTSTR pstrSubControlName, int cy)
{
    CControlUI* p = FindSubControl(pstrSubControlName);
    if (p == nullptr) return false;
    p->SetFixedHeight(cy);
    return true;
}

bool CContainerUI::SetSubControlFixedWdith(LPCTSTR pstrSubControlName, int cx)
{
    CControlUI* p = FindSubControl(pstrSubControlName);
    if (p == nullptr) return false;
    p->SetFixedWidth(cx);
    return true;
}

bool CContainerUI::SetSubControlUserData(LPCTSTR pstrSubControlName, LPCTSTR pstrText)
{
    CControlUI* p = FindSubControl(pstrSubControlName);
    if (p == nullptr) return false;
    p->SetUserData(pstrText);
    return true;
}

CUIString CContainerUI::GetSubControlText(LPCTSTR pstrSubControlName)
{
    CControlUI* p = FindSubControl(pstrSubControlName);
    return p ? p->GetText() : CUIString();
}

int CContainerUI::GetSubControlFixedHeight(LPCTSTR pstrSubControlName)
{
    CControlUI* p = FindSubControl(pstrSubControlName);
    return p ? p->GetFixedHeight() : -1;
}

int CContainerUI::GetSubControlFixedWdith(LPCTSTR pstrSubControlName)
{
    CControlUI* p = FindSubControl(pstrSubControlName);
    return p ? p->GetFixedWidth() : -1;
}

CUIString CContainerUI::GetSubControlUserData(LPCTSTR pstrSubControlName)
{
    CControlUI* p = FindSubControl(pstrSubControlName);
    return p ? p->GetUserData() : CUIString();
}

// ---------------------------------------------------------------------------
// Input

void CContainerUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pParent != nullptr) {
            m_pParent->DoEvent(event);
        } else {
            CControlUI::DoEvent(event);
        }
        return;
    }
    if (event.Type == UIEVENT_SETFOCUS) {
        m_bFocused = true;
        return;
    }
    if (event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = false;
        return;
    }
    if (ScrollByInput(true, event) || ScrollByInput(false, event)) return;
    CControlUI::DoEvent(event);
}

bool CContainerUI::ScrollByInput(bool bVertical, const TEventUI& event)
{
    CScrollBarUI* pBar = bVertical ? m_pVerticalScrollBar : m_pHorizontalScrollBar;
    if (pBar == nullptr || !pBar->IsVisible() || !pBar->IsEnabled()) return false;

    typedef void (CContainerUI::*Step)();
    // Down, up, page down, page up, home, end; a horizontal bar maps them sideways.
    static const Step kVertical[6] = {&CContainerUI::LineDown, &CContainerUI::LineUp, &CContainerUI::PageDown,
                                      &CContainerUI::PageUp,   &CContainerUI::HomeUp, &CContainerUI::EndDown};
    static const Step kHorizontal[6] = {&CContainerUI::LineRight, &CContainerUI::LineLeft,
                                        &CContainerUI::PageRight, &CContainerUI::PageLeft,
                                        &CContainerUI::HomeLeft,  &CContainerUI::EndRight};
    const Step* steps = bVertical ? kVertical : kHorizontal;
    int iStep = -1;
    if (event.Type == UIEVENT_KEYDOWN) {
        switch (event.chKey) {
        case VK_DOWN: iStep = 0; break;
        case VK_UP: iStep = 1; break;
        case VK_NEXT: iStep = 2; break;
        case VK_PRIOR: iStep = 3; break;
        case VK_HOME: iStep = 4; break;
        case VK_END: iStep = 5; break;
        default: break;
        }
    } else if (event.Type == UIEVENT_SCROLLWHEEL) {
        switch (LOWORD(event.wParam)) {
        case SB_LINEUP: iStep = 1; break;
        case SB_LINEDOWN: iStep = 0; break;
        default: break;
        }
    }
    if (iStep < 0) return false;
    (this->*steps[iStep])();
    return true;
}

// ---------------------------------------------------------------------------
// Attributes

const CAttributeTable& CContainerUI::AttributeTable()
{
    using C = CContainerUI;
    using K = EAttrKind;
    static const TAttribute rows[] = {
        Row<C, K::Rect, &C::SetInset, &C::GetInset>(L"inset"),
        Row<C, K::Bool, &C::SetMouseChildEnabled, &C::IsMouseChildEnabled>(L"mousechild"),
        {L"vscrollbar", K::Bool, 0,
         [](CControlUI& c, LPCTSTR v) {
             C& self = static_cast<C&>(c);
             self.EnableScrollBar(CAttributeValue::Bool(v), self.m_pHorizontalScrollBar != nullptr);
         },
         nullptr},
        {L"hscrollbar", K::Bool, 0,
         [](CControlUI& c, LPCTSTR v) {
             C& self = static_cast<C&>(c);
             self.EnableScrollBar(self.m_pVerticalScrollBar != nullptr, CAttributeValue::Bool(v));
         },
         nullptr},
        {L"vscrollbarstyle", K::AttrList, 0,
         [](CControlUI& c, LPCTSTR v) { static_cast<C&>(c).SetScrollBarStyle(true, v); }, nullptr},
        {L"hscrollbarstyle", K::AttrList, 0,
         [](CControlUI& c, LPCTSTR v) { static_cast<C&>(c).SetScrollBarStyle(false, v); }, nullptr},
        Row<C, K::Int, &C::SetChildPadding, &C::GetChildPadding>(L"childpadding"),
        {L"childalign", K::Choice, kAttrExactCase,
         [](CControlUI& c, LPCTSTR v) { static_cast<C&>(c).SetChildAlignWord(v); }, nullptr},
        {L"childvalign", K::Choice, kAttrExactCase,
         [](CControlUI& c, LPCTSTR v) { static_cast<C&>(c).SetChildVAlignWord(v); }, nullptr},
        Row<C, K::Int, &C::SetScrollStepSize, &C::GetScrollStepSize>(L"scrollstepsize"),
    };
    static const CAttributeTable table(L"Container", rows, &CControlUI::AttributeTable());
    return table;
}

const CAttributeTable& CContainerUI::GetAttributeTable() const
{
    return AttributeTable();
}

void CContainerUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == nullptr) return;
    if (!AttributeTable().Apply(*this, pstrName, pstrValue)) CControlUI::SetAttribute(pstrName, pstrValue);
}

// The style is kept for a scroll bar made later; naming a style also asks for the bar.
void CContainerUI::SetScrollBarStyle(bool bVertical, LPCTSTR pstrStyle)
{
    CUIString& sStyle = bVertical ? m_sVerticalScrollBarStyle : m_sHorizontalScrollBarStyle;
    CScrollBarUI* pBar = bVertical ? m_pVerticalScrollBar : m_pHorizontalScrollBar;
    sStyle = pstrStyle;
    if (pBar != nullptr) {
        ApplyScrollBarStyle(pBar, sStyle);
    } else if (bVertical) {
        EnableScrollBar(true, m_pHorizontalScrollBar != nullptr);
    } else {
        EnableScrollBar(m_pVerticalScrollBar != nullptr, true);
    }
}

// Exact words only; any other value leaves the alignment as it was.
void CContainerUI::SetChildAlignWord(LPCTSTR pstrValue)
{
    if (wcscmp(pstrValue, L"left") == 0) {
        SetChildAlign(0);
    } else if (wcscmp(pstrValue, L"center") == 0) {
        SetChildAlign(DT_CENTER);
    } else if (wcscmp(pstrValue, L"right") == 0) {
        SetChildAlign(DT_RIGHT);
    }
}

void CContainerUI::SetChildVAlignWord(LPCTSTR pstrValue)
{
    if (wcscmp(pstrValue, L"top") == 0) {
        SetChildVAlign(0);
    } else if (wcscmp(pstrValue, L"vcenter") == 0) {
        SetChildVAlign(DT_VCENTER);
    } else if (wcscmp(pstrValue, L"bottom") == 0) {
        SetChildVAlign(DT_BOTTOM);
    }
}

// ---------------------------------------------------------------------------
// Painting

bool CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl)
{
    RECT rcTemp;
    if (!::IntersectRect(&rcTemp, &rcPaint, &m_rcItem)) return true;

    CRenderClip clip;
    CRenderClip::GenerateClip(hDC, rcTemp, clip);
    CControlUI::DoPaint(hDC, rcTemp, pStopControl);

    if (m_items.GetSize() > 0) {
        RECT rcInner = InnerRect(true);
        RECT rcChildClip;
        if (::IntersectRect(&rcChildClip, &rcPaint, &rcInner)) {
            CRenderClip childClip;
            CRenderClip::GenerateClip(hDC, rcChildClip, childClip);
            for (int i = 0; i < m_items.GetSize(); ++i) {
                CControlUI* pControl = GetItemAt(i);
                if (pControl == pStopControl) return false;
                if (!pControl->IsVisible()) continue;
                const RECT& rcChild = pControl->GetPos();
                if (!Meets(rcPaint, rcChild)) continue;
                if (pControl->IsFloat()) {
                    if (!Meets(m_rcItem, rcChild)) continue;
                    // Float children may draw over the inset.
                    CRenderClip::UseOldClipBegin(hDC, childClip);
                    bool bGoOn = pControl->Paint(hDC, rcPaint, pStopControl);
                    CRenderClip::UseOldClipEnd(hDC, childClip);
                    if (!bGoOn) return false;
                } else {
                    if (!Meets(rcInner, rcChild)) continue;
                    if (!pControl->Paint(hDC, rcPaint, pStopControl)) return false;
                }
            }
        } else {
            for (int i = 0; i < m_items.GetSize(); ++i) {
                CControlUI* pControl = GetItemAt(i);
                if (pControl == pStopControl) return false;
                if (!pControl->IsVisible() || !pControl->IsFloat()) continue;
                const RECT& rcChild = pControl->GetPos();
                if (!Meets(rcPaint, rcChild) || !Meets(m_rcItem, rcChild)) continue;
                if (!pControl->Paint(hDC, rcPaint, pStopControl)) return false;
            }
        }
    }

    CScrollBarUI* bars[2] = {m_pVerticalScrollBar, m_pHorizontalScrollBar};
    for (CScrollBarUI* pBar : bars) {
        if (pBar == nullptr || !pBar->IsVisible()) continue;
        if (pBar == pStopControl) return false;
        if (!Meets(rcPaint, pBar->GetPos())) continue;
        if (!pBar->Paint(hDC, rcPaint, pStopControl)) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Scrolling

SIZE CContainerUI::GetScrollPos() const
{
    SIZE sz = {BarValue(m_pHorizontalScrollBar, &CScrollBarUI::GetScrollPos),
               BarValue(m_pVerticalScrollBar, &CScrollBarUI::GetScrollPos)};
    return sz;
}

SIZE CContainerUI::GetScrollRange() const
{
    SIZE sz = {BarValue(m_pHorizontalScrollBar, &CScrollBarUI::GetScrollRange),
               BarValue(m_pVerticalScrollBar, &CScrollBarUI::GetScrollRange)};
    return sz;
}

void CContainerUI::SetScrollPos(SIZE szPos, bool bMsg)
{
    int cx = 0;
    int cy = 0;
    if (m_pVerticalScrollBar != nullptr && m_pVerticalScrollBar->IsVisible()) {
        int iOld = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(szPos.cy);
        cy = m_pVerticalScrollBar->GetScrollPos() - iOld;
    }
    if (m_pHorizontalScrollBar != nullptr && m_pHorizontalScrollBar->IsVisible()) {
        int iOld = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(szPos.cx);
        cx = m_pHorizontalScrollBar->GetScrollPos() - iOld;
    }
    if (cx == 0 && cy == 0) return;
    ScrollBy(cx, cy);
    if (bMsg && m_pVerticalScrollBar != nullptr && m_pManager != nullptr) {
        m_pManager->SendNotify(this, L"scroll");
    }
}

void CContainerUI::ScrollBy(int cx, int cy)
{
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!pControl->IsVisible() || pControl->IsFloat()) continue;
        RECT rc = pControl->GetPos();
        ::OffsetRect(&rc, -cx, -cy);
        pControl->SetPos(rc, true);
    }
    Invalidate();
}

void CContainerUI::SetScrollStepSize(int nSize)
{
    if (nSize > 0) m_nScrollStepSize = nSize;
}

int CContainerUI::GetScrollStepSize() const { return ScaleValue(m_nScrollStepSize); }

int CContainerUI::LineStep(CScrollBarUI* pBar) const
{
    if (m_nScrollStepSize > 0) return GetScrollStepSize();
    return pBar ? pBar->GetLineSize() : 8;
}

int CContainerUI::PageHeight() const
{
    RECT rc = InnerRect(true);
    return rc.bottom - rc.top;
}

int CContainerUI::PageWidth() const
{
    RECT rc = InnerRect(true);
    return rc.right - rc.left;
}

void CContainerUI::ScrollAlong(bool bVertical, int iDelta)
{
    SIZE sz = GetScrollPos();
    LONG& lPos = bVertical ? sz.cy : sz.cx;
    lPos += iDelta;
    SetScrollPos(sz);
}

void CContainerUI::LineUp() { ScrollAlong(true, -LineStep(m_pVerticalScrollBar)); }
void CContainerUI::LineDown() { ScrollAlong(true, LineStep(m_pVerticalScrollBar)); }
void CContainerUI::PageUp() { ScrollAlong(true, -PageHeight()); }
void CContainerUI::PageDown() { ScrollAlong(true, PageHeight()); }
void CContainerUI::HomeUp() { ScrollAlong(true, -GetScrollPos().cy); }
void CContainerUI::EndDown() { ScrollAlong(true, GetScrollRange().cy - GetScrollPos().cy); }
void CContainerUI::LineLeft() { ScrollAlong(false, -LineStep(m_pHorizontalScrollBar)); }
void CContainerUI::LineRight() { ScrollAlong(false, LineStep(m_pHorizontalScrollBar)); }
void CContainerUI::PageLeft() { ScrollAlong(false, -PageWidth()); }
void CContainerUI::PageRight() { ScrollAlong(false, PageWidth()); }
void CContainerUI::HomeLeft() { ScrollAlong(false, -GetScrollPos().cx); }
void CContainerUI::EndRight() { ScrollAlong(false, GetScrollRange().cx - GetScrollPos().cx); }

void CContainerUI::ApplyScrollBarStyle(CScrollBarUI* pScrollBar, const CUIString& sStyle)
{
    if (pScrollBar == nullptr || sStyle.IsEmpty()) return;
    LPCTSTR pList = m_pManager ? m_pManager->GetStyle(sStyle) : nullptr;
    pScrollBar->ApplyAttributeList(pList ? pList : sStyle.GetData());
}

CScrollBarUI* CContainerUI::CreateScrollBar(bool bHorizontal)
{
    CScrollBarUI* pBar = new CScrollBarUI();
    pBar->SetOwner(this);
    pBar->SetManager(m_pManager, this, false);
    if (bHorizontal) pBar->SetHorizontal(true);
    if (m_pManager != nullptr) {
        LPCTSTR pDefault = m_pManager->GetDefaultAttributeList(bHorizontal ? L"HScrollBar" : L"VScrollBar");
        if (pDefault != nullptr) pBar->ApplyAttributeList(pDefault);
    }
    ApplyScrollBarStyle(pBar, bHorizontal ? m_sHorizontalScrollBarStyle : m_sVerticalScrollBarStyle);
    // A new bar stays out of the way until the content actually overflows.
    pBar->SetScrollRange(0);
    pBar->SetVisible(false);
    return pBar;
}

void CContainerUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal)
{
    if (bEnableVertical && m_pVerticalScrollBar == nullptr) {
        m_pVerticalScrollBar = CreateScrollBar(false);
    } else if (!bEnableVertical && m_pVerticalScrollBar != nullptr) {
        CScrollBarUI* pBar = m_pVerticalScrollBar;
        m_pVerticalScrollBar = nullptr;
        DisposeChild(pBar);
    }
    if (bEnableHorizontal && m_pHorizontalScrollBar == nullptr) {
        m_pHorizontalScrollBar = CreateScrollBar(true);
    } else if (!bEnableHorizontal && m_pHorizontalScrollBar != nullptr) {
        CScrollBarUI* pBar = m_pHorizontalScrollBar;
        m_pHorizontalScrollBar = nullptr;
        DisposeChild(pBar);
    }
    NeedUpdate();
}

CScrollBarUI* CContainerUI::GetVerticalScrollBar() const { return m_pVerticalScrollBar; }
CScrollBarUI* CContainerUI::GetHorizontalScrollBar() const { return m_pHorizontalScrollBar; }

bool CContainerUI::FitScrollBar(CScrollBarUI* pBar, int iExcess, const RECT& rcBar)
{
    if (pBar == nullptr) return false;
    bool bMoved = false;
    if (iExcess > 0) {
        if (!pBar->IsVisible()) {
            pBar->SetVisible(true);
            pBar->SetScrollRange(iExcess);
            pBar->SetScrollPos(0);
            bMoved = true;
        } else if (pBar->GetScrollRange() != iExcess) {
            int iOldPos = pBar->GetScrollPos();
            pBar->SetScrollRange(iExcess);
            bMoved = pBar->GetScrollPos() != iOldPos;
        }
        pBar->SetPos(rcBar, true);
    } else if (pBar->IsVisible()) {
        pBar->SetVisible(false);
        pBar->SetScrollRange(0);
        pBar->SetScrollPos(0);
        bMoved = true;
    }
    return bMoved;
}

void CContainerUI::ProcessScrollBar(RECT rc, int cxRequired, int cyRequired)
{
    bool bRelayout = false;
    if (m_pVerticalScrollBar != nullptr) {
        RECT rcBar = {rc.right, rc.top, rc.right + m_pVerticalScrollBar->GetFixedWidth(), rc.bottom};
        bRelayout |= FitScrollBar(m_pVerticalScrollBar, cyRequired - (rc.bottom - rc.top), rcBar);
    }
    if (m_pHorizontalScrollBar != nullptr) {
        RECT rcBar = {rc.left, rc.bottom, rc.right, rc.bottom + m_pHorizontalScrollBar->GetFixedHeight()};
        bRelayout |= FitScrollBar(m_pHorizontalScrollBar, cxRequired - (rc.right - rc.left), rcBar);
    }
    if (bRelayout && m_nScrollRelayoutDepth < kMaxScrollRelayout) {
        ++m_nScrollRelayoutDepth;
        SetPos(m_rcItem, true);
        --m_nScrollRelayoutDepth;
    }
}

} // namespace Veneer
