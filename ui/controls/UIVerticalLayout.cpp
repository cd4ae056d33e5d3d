#include "ui/controls/UIVerticalLayout.h"

#include <stdlib.h>

#include <algorithm>
#include <wchar.h>

#include "ui/controls/UIScrollBar.h"
#include "ui/core/UIDPI.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"

namespace Veneer {

namespace {

const UINT kSepCaptured = 0x40;

int Clamp(int v, int lo, int hi)
{
    if (v < lo) v = lo;
    if (v > hi) v = hi;
    return v;
}

} // namespace

CVerticalLayoutUI::CVerticalLayoutUI()
    : m_iSepHeight(0), m_uButtonState(0), m_ptLastMouse(), m_rcNewPos(), m_bImmMode(false)
{
}

LPCTSTR CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }

LPVOID CVerticalLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != nullptr && _wcsicmp(pstrName, L"VerticalLayout") == 0) return static_cast<CVerticalLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CVerticalLayoutUI::GetControlFlags() const
{
    return (IsEnabled() && m_iSepHeight != 0) ? UIFLAG_SETCURSOR : 0;
}

void CVerticalLayoutUI::SetSepHeight(int iHeight) { m_iSepHeight = iHeight; }
int CVerticalLayoutUI::GetSepHeight() const { return ScaleValue(m_iSepHeight); }
void CVerticalLayoutUI::SetSepImmMode(bool bImmediately) { m_bImmMode = bImmediately; }
bool CVerticalLayoutUI::IsSepImmMode() const { return m_bImmMode; }

void CVerticalLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName != nullptr && pstrValue != nullptr) {
        if (_wcsicmp(pstrName, L"sepheight") == 0) {
            SetSepHeight(static_cast<int>(wcstol(pstrValue, nullptr, 10)));
            return;
        }
        if (_wcsicmp(pstrName, L"sepimm") == 0) {
            SetSepImmMode(_wcsicmp(pstrValue, L"true") == 0);
            return;
        }
    }
    CContainerUI::SetAttribute(pstrName, pstrValue);
}

// ---------------------------------------------------------------------------
// Layout

void CVerticalLayoutUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    Layout(m_rcItem, true, nullptr, nullptr);
}

bool CVerticalLayoutUI::CalcPos(CControlUI* pChildControl, RECT& rcPos)
{
    if (pChildControl == nullptr || pChildControl->IsFloat() || GetItemIndex(pChildControl) < 0) return false;
    return Layout(m_rcItem, false, pChildControl, &rcPos);
}

bool CVerticalLayoutUI::Layout(RECT rcPos, bool bApply, CControlUI* pTarget, RECT* pTargetRect)
{
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

    // Stretchable children share the visible height only; sharing the scrolled
    // height too would make them fill whatever range the bar has, so the bar
    // could never shrink again.
    SIZE szAvailable = {rc.right - rc.left, rc.bottom - rc.top};
    if (bHBar) szAvailable.cx += m_pHorizontalScrollBar->GetScrollRange();

    const int iChildPadding = GetChildPadding();
    auto takesPart = [bApply](CControlUI* p) { return p->IsVisible() || (!bApply && p->IsPaneVisible()); };

    // First pass: fixed heights, number of stretchable children, widest child.
    int nAdjustables = 0;
    int cyFixed = 0;
    int nEstimateNum = 0;
    int cxNeeded = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!takesPart(pControl) || pControl->IsFloat()) continue;
        RECT rcPadding = pControl->GetPadding();
        int cxLimit = pControl->GetFixedWidth();
        if (cxLimit < 1) cxLimit = pControl->GetMaxWidth();
        int cyLimit = pControl->GetFixedHeight();
        if (cyLimit < 1) cyLimit = pControl->GetMaxHeight();
        SIZE szLimit = {std::min(cxLimit, static_cast<int>(szAvailable.cx - rcPadding.right - rcPadding.left)),
                        std::min(cyLimit, static_cast<int>(szAvailable.cy))};
        SIZE sz = pControl->EstimateSize(szLimit);
        if (sz.cy == 0 && pControl->GetFixedHeightPercent() >= 1) {
            sz.cy = pControl->GetFixedHeightPercent() * szAvailable.cy / 100;
        }
        if (sz.cy == 0) {
            ++nAdjustables;
        } else {
            sz.cy = Clamp(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        }
        cyFixed += sz.cy + rcPadding.top + rcPadding.bottom;

        if (sz.cx < 0) sz.cx = 0;
        sz.cx = Clamp(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        cxNeeded = std::max(cxNeeded, static_cast<int>(sz.cx + rcPadding.left + rcPadding.right));
        ++nEstimateNum;
    }
    int cyGaps = nEstimateNum > 1 ? (nEstimateNum - 1) * iChildPadding : 0;
    cyFixed += cyGaps;

    int cyExpand = 0;
    if (nAdjustables > 0) cyExpand = std::max(0, static_cast<int>((szAvailable.cy - cyFixed) / nAdjustables));

    int iPosY = rc.top;
    if (bVBar) {
        iPosY -= m_pVerticalScrollBar->GetScrollPos();
    } else if (nAdjustables == 0) {
        if (m_iChildVAlign == DT_VCENTER) {
            iPosY += (szAvailable.cy - cyFixed) / 2;
        } else if (m_iChildVAlign == DT_BOTTOM) {
            iPosY += szAvailable.cy - cyFixed;
        }
    }

    // Second pass: place the children.
    int iAdjustable = 0;
    int cyFixedRemaining = cyFixed;
    int cyRemaining = szAvailable.cy;
    int nPlaced = 0;
    int cyNeeded = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!takesPart(pControl)) continue;
        if (pControl->IsFloat()) {
            if (bApply) SetFloatPos(i);
            continue;
        }
        ++nPlaced;
        RECT rcPadding = pControl->GetPadding();
        cyRemaining -= rcPadding.top;

        int cxLimit = pControl->GetFixedWidth();
        if (cxLimit < 1) cxLimit = pControl->GetMaxWidth();
        cxLimit = std::min(cxLimit, static_cast<int>(szAvailable.cx - rcPadding.right - rcPadding.left));
        int cyLimit = pControl->GetFixedHeight();
        if (cyLimit < 1) cyLimit = pControl->GetMaxHeight();
        cyLimit = std::min(cyLimit, cyRemaining);

        cyFixedRemaining -= rcPadding.top + rcPadding.bottom;
        if (nPlaced > 1) cyFixedRemaining -= iChildPadding;

        SIZE szLimit = {cxLimit, cyLimit};
        SIZE sz = pControl->EstimateSize(szLimit);
        if (sz.cy == 0 && pControl->GetFixedHeightPercent() >= 1) {
            sz.cy = pControl->GetFixedHeightPercent() * szAvailable.cy / 100;
        }
        if (sz.cy == 0) {
            ++iAdjustable;
            sz.cy = cyExpand;
            if (iAdjustable == nAdjustables) {
                sz.cy = std::max(0, static_cast<int>(cyRemaining - rcPadding.bottom - cyFixedRemaining));
            }
            sz.cy = Clamp(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        } else {
            sz.cy = Clamp(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
            cyFixedRemaining -= sz.cy;
        }

        int cx = sz.cx > 0 ? sz.cx : 0;
        if (cx == 0 && pControl->GetFixedWidth() == 0 && pControl->GetFixedWidthPercent() >= 1) {
            cx = pControl->GetFixedWidthPercent() * szAvailable.cx / 100;
        }
        if (cx == 0) cx = szAvailable.cx - rcPadding.right - rcPadding.left;
        cx = std::min(cxLimit, cx);
        if (cx < pControl->GetMinWidth()) cx = pControl->GetMinWidth();

        RECT rcCtrl;
        if (m_iChildAlign == DT_CENTER) {
            int iCenter = (rc.left + rc.right) / 2;
            if (bHBar) {
                iCenter += m_pHorizontalScrollBar->GetScrollRange() / 2 - m_pHorizontalScrollBar->GetScrollPos();
            }
            rcCtrl.left = iCenter - cx / 2;
            rcCtrl.right = iCenter + cx - cx / 2;
        } else if (m_iChildAlign == DT_RIGHT) {
            rcCtrl.right = rc.right - rcPadding.right;
            if (bHBar) {
                rcCtrl.right += m_pHorizontalScrollBar->GetScrollRange() - m_pHorizontalScrollBar->GetScrollPos();
            }
            rcCtrl.left = rcCtrl.right - cx;
        } else {
            rcCtrl.left = rc.left + rcPadding.left;
            if (bHBar) rcCtrl.left -= m_pHorizontalScrollBar->GetScrollPos();
            rcCtrl.right = rcCtrl.left + cx;
        }
        rcCtrl.top = iPosY + rcPadding.top;
        rcCtrl.bottom = iPosY + rcPadding.top + sz.cy;

        if (bApply) {
            pControl->SetPos(rcCtrl, false);
        } else if (pControl == pTarget) {
            *pTargetRect = rcCtrl;
            return true;
        }

        iPosY += sz.cy + iChildPadding + rcPadding.top + rcPadding.bottom;
        cyNeeded += sz.cy + rcPadding.top + rcPadding.bottom;
        cyRemaining -= sz.cy + iChildPadding + rcPadding.bottom;
    }
    cyNeeded += cyGaps;

    if (bApply) ProcessScrollBar(rc, cxNeeded, cyNeeded);
    return false;
}

// ---------------------------------------------------------------------------
// Separator dragging

RECT CVerticalLayoutUI::GetThumbRect(bool bUseNew) const
{
    RECT rc = bUseNew ? m_rcNewPos : m_rcItem;
    int iSep = GetSepHeight();
    if (iSep >= 0) {
        rc.top = std::max(static_cast<int>(rc.bottom - iSep), static_cast<int>(rc.top));
    } else {
        rc.bottom = std::min(static_cast<int>(rc.top - iSep), static_cast<int>(rc.bottom));
    }
    return rc;
}

void CVerticalLayoutUI::DoEvent(TEventUI& event)
{
    if (m_iSepHeight != 0) {
        if (event.Type == UIEVENT_BUTTONDOWN && IsEnabled()) {
            RECT rcSep = GetThumbRect(false);
            if (::PtInRect(&rcSep, event.ptMouse)) {
                m_uButtonState |= kSepCaptured;
                m_ptLastMouse = event.ptMouse;
                m_rcNewPos = m_rcItem;
                if (!m_bImmMode && m_pManager != nullptr) m_pManager->AddPostPaint(this);
                return;
            }
        }
        if (event.Type == UIEVENT_BUTTONUP) {
            if ((m_uButtonState & kSepCaptured) != 0) {
                m_uButtonState &= ~kSepCaptured;
                m_rcItem = m_rcNewPos;
                if (!m_bImmMode && m_pManager != nullptr) m_pManager->RemovePostPaint(this);
                int cy = m_rcNewPos.bottom - m_rcNewPos.top;
                m_cxyFixed.cy = m_pManager ? m_pManager->GetDPIObj()->ScaleBack(cy) : cy;
                NeedParentUpdate();
                return;
            }
        }
        if (event.Type == UIEVENT_MOUSEMOVE) {
            if ((m_uButtonState & kSepCaptured) != 0) {
                DragSeparator(event.ptMouse);
                return;
            }
        }
        if (event.Type == UIEVENT_SETCURSOR) {
            RECT rcSep = GetThumbRect(false);
            if (IsEnabled() && ::PtInRect(&rcSep, event.ptMouse)) {
                ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32645)));  // size north-south
                return;
            }
        }
    }
    CContainerUI::DoEvent(event);
}

void CVerticalLayoutUI::DragSeparator(POINT pt)
{
    LONG cy = pt.y - m_ptLastMouse.y;
    m_ptLastMouse = pt;
    RECT rc = m_rcNewPos;
    if (m_iSepHeight >= 0) {
        rc.bottom += cy;
    } else {
        rc.top += cy;
    }
    int cyNew = rc.bottom - rc.top;
    if (cyNew < GetMinHeight() || cyNew > GetMaxHeight()) return;

    RECT rcInvalidate = GetThumbRect(true);
    m_rcNewPos = rc;
    if (m_bImmMode) {
        m_rcItem = m_rcNewPos;
        m_cxyFixed.cy = m_pManager ? m_pManager->GetDPIObj()->ScaleBack(cyNew) : cyNew;
        NeedParentUpdate();
        return;
    }
    RECT rcNewThumb = GetThumbRect(true);
    RECT rcOldThumb = GetThumbRect(false);
    ::UnionRect(&rcInvalidate, &rcInvalidate, &rcNewThumb);
    ::UnionRect(&rcInvalidate, &rcInvalidate, &rcOldThumb);
    if (m_pManager != nullptr) m_pManager->Invalidate(rcInvalidate);
}

void CVerticalLayoutUI::DoPostPaint(HDC hDC, const RECT& /*rcPaint*/)
{
    if ((m_uButtonState & kSepCaptured) != 0 && !m_bImmMode) {
        RECT rcSeparator = GetThumbRect(true);
        CRenderEngine::DrawColor(hDC, rcSeparator, 0xAA000000);
    }
}

} // namespace Veneer
