#include "ui/controls/UIHorizontalLayout.h"

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

CHorizontalLayoutUI::CHorizontalLayoutUI()
    : m_iSepWidth(0), m_uButtonState(0), m_ptLastMouse(), m_rcNewPos(), m_bImmMode(false)
{
}

LPCTSTR CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }

LPVOID CHorizontalLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != nullptr && _wcsicmp(pstrName, L"HorizontalLayout") == 0) {
        return static_cast<CHorizontalLayoutUI*>(this);
    }
    return CContainerUI::GetInterface(pstrName);
}

UINT CHorizontalLayoutUI::GetControlFlags() const
{
    return (IsEnabled() && m_iSepWidth != 0) ? UIFLAG_SETCURSOR : 0;
}

void CHorizontalLayoutUI::SetSepWidth(int iWidth) { m_iSepWidth = iWidth; }
int CHorizontalLayoutUI::GetSepWidth() const { return ScaleValue(m_iSepWidth); }
void CHorizontalLayoutUI::SetSepImmMode(bool bImmediately) { m_bImmMode = bImmediately; }
bool CHorizontalLayoutUI::IsSepImmMode() const { return m_bImmMode; }

void CHorizontalLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName != nullptr && pstrValue != nullptr) {
        if (_wcsicmp(pstrName, L"sepwidth") == 0) {
            SetSepWidth(static_cast<int>(wcstol(pstrValue, nullptr, 10)));
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

void CHorizontalLayoutUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    Layout(m_rcItem, true, nullptr, nullptr);
}

bool CHorizontalLayoutUI::CalcPos(CControlUI* pChildControl, RECT& rcPos)
{
    if (pChildControl == nullptr || pChildControl->IsFloat() || GetItemIndex(pChildControl) < 0) return false;
    return Layout(m_rcItem, false, pChildControl, &rcPos);
}

bool CHorizontalLayoutUI::Layout(RECT rcPos, bool bApply, CControlUI* pTarget, RECT* pTargetRect)
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

    // Stretchable children share the visible width only (see the vertical layout).
    SIZE szAvailable = {rc.right - rc.left, rc.bottom - rc.top};
    if (bVBar) szAvailable.cy += m_pVerticalScrollBar->GetScrollRange();

    const int iChildPadding = GetChildPadding();
    auto takesPart = [bApply](CControlUI* p) { return p->IsVisible() || (!bApply && p->IsPaneVisible()); };

    // First pass: fixed widths, number of stretchable children, tallest child.
    int nAdjustables = 0;
    int cxFixed = 0;
    int nEstimateNum = 0;
    int cyNeeded = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!takesPart(pControl) || pControl->IsFloat()) continue;
        RECT rcPadding = pControl->GetPadding();
        int cxLimit = pControl->GetFixedWidth();
        if (cxLimit < 1) cxLimit = pControl->GetMaxWidth();
        int cyLimit = pControl->GetFixedHeight();
        if (cyLimit < 1) cyLimit = pControl->GetMaxHeight();
        SIZE szLimit = {std::min(cxLimit, static_cast<int>(szAvailable.cx)),
                        std::min(cyLimit, static_cast<int>(szAvailable.cy - rcPadding.bottom - rcPadding.top))};
        SIZE sz = pControl->EstimateSize(szLimit);
        if (sz.cx == 0 && pControl->GetFixedWidthPercent() >= 1) {
            sz.cx = pControl->GetFixedWidthPercent() * szAvailable.cx / 100;
        }
        if (sz.cx == 0) {
            ++nAdjustables;
        } else {
            sz.cx = Clamp(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        }
        cxFixed += sz.cx + rcPadding.left + rcPadding.right;

        if (sz.cy < 0) sz.cy = 0;
        sz.cy = Clamp(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        cyNeeded = std::max(cyNeeded, static_cast<int>(sz.cy + rcPadding.top + rcPadding.bottom));
        ++nEstimateNum;
    }
    int cxGaps = nEstimateNum > 1 ? (nEstimateNum - 1) * iChildPadding : 0;
    cxFixed += cxGaps;

    int cxExpand = 0;
    if (nAdjustables > 0) cxExpand = std::max(0, static_cast<int>((szAvailable.cx - cxFixed) / nAdjustables));

    int iPosX = rc.left;
    if (bHBar) {
        iPosX -= m_pHorizontalScrollBar->GetScrollPos();
    } else if (nAdjustables == 0) {
        if (m_iChildAlign == DT_CENTER) {
            iPosX += (szAvailable.cx - cxFixed) / 2;
        } else if (m_iChildAlign == DT_RIGHT) {
            iPosX += szAvailable.cx - cxFixed;
        }
    }

    // Second pass: place the children.
    int iAdjustable = 0;
    int cxFixedRemaining = cxFixed;
    int cxRemaining = szAvailable.cx;
    int nPlaced = 0;
    int cxNeeded = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!takesPart(pControl)) continue;
        if (pControl->IsFloat()) {
            if (bApply) SetFloatPos(i);
            continue;
        }
        ++nPlaced;
        RECT rcPadding = pControl->GetPadding();
        cxRemaining -= rcPadding.left;

        int cxLimit = pControl->GetFixedWidth();
        if (cxLimit < 1) cxLimit = pControl->GetMaxWidth();
        cxLimit = std::min(cxLimit, cxRemaining);
        int cyLimit = pControl->GetFixedHeight();
        if (cyLimit < 1) cyLimit = pControl->GetMaxHeight();
        cyLimit = std::min(cyLimit, static_cast<int>(szAvailable.cy - rcPadding.top - rcPadding.bottom));

        cxFixedRemaining -= rcPadding.left + rcPadding.right;
        if (nPlaced > 1) cxFixedRemaining -= iChildPadding;

        SIZE szLimit = {cxLimit, cyLimit};
        SIZE sz = pControl->EstimateSize(szLimit);
        if (sz.cx == 0 && pControl->GetFixedWidthPercent() >= 1) {
            sz.cx = pControl->GetFixedWidthPercent() * szAvailable.cx / 100;
        }
        if (sz.cx == 0) {
            ++iAdjustable;
            sz.cx = cxExpand;
            if (iAdjustable == nAdjustables) {
                sz.cx = std::max(0, static_cast<int>(cxRemaining - rcPadding.right - cxFixedRemaining));
            }
            sz.cx = Clamp(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        } else {
            sz.cx = Clamp(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
            cxFixedRemaining -= sz.cx;
        }

        int cy = sz.cy > 0 ? sz.cy : 0;
        if (cy == 0 && pControl->GetFixedHeight() == 0 && pControl->GetFixedHeightPercent() >= 1) {
            cy = pControl->GetFixedHeightPercent() * szAvailable.cy / 100;
        }
        if (cy == 0) cy = szAvailable.cy - rcPadding.top - rcPadding.bottom;
        cy = std::min(cyLimit, cy);
        if (cy < pControl->GetMinHeight()) cy = pControl->GetMinHeight();

        RECT rcCtrl;
        if (m_iChildVAlign == DT_VCENTER) {
            int iCenter = (rc.top + rc.bottom) / 2;
            if (bVBar) {
                iCenter += m_pVerticalScrollBar->GetScrollRange() / 2 - m_pVerticalScrollBar->GetScrollPos();
            }
            rcCtrl.top = iCenter - cy / 2;
            rcCtrl.bottom = iCenter + cy - cy / 2;
        } else if (m_iChildVAlign == DT_BOTTOM) {
            rcCtrl.bottom = rc.bottom - rcPadding.bottom;
            if (bVBar) {
                rcCtrl.bottom += m_pVerticalScrollBar->GetScrollRange() - m_pVerticalScrollBar->GetScrollPos();
            }
            rcCtrl.top = rcCtrl.bottom - cy;
        } else {
            rcCtrl.top = rc.top + rcPadding.top;
            if (bVBar) rcCtrl.top -= m_pVerticalScrollBar->GetScrollPos();
            rcCtrl.bottom = rcCtrl.top + cy;
        }
        rcCtrl.left = iPosX + rcPadding.left;
        rcCtrl.right = iPosX + rcPadding.left + sz.cx;

        if (bApply) {
            pControl->SetPos(rcCtrl, false);
        } else if (pControl == pTarget) {
            *pTargetRect = rcCtrl;
            return true;
        }

        iPosX += sz.cx + iChildPadding + rcPadding.left + rcPadding.right;
        cxNeeded += sz.cx + rcPadding.left + rcPadding.right;
        cxRemaining -= sz.cx + iChildPadding + rcPadding.right;
    }
    cxNeeded += cxGaps;

    if (bApply) ProcessScrollBar(rc, cxNeeded, cyNeeded);
    return false;
}

// ---------------------------------------------------------------------------
// Separator dragging

RECT CHorizontalLayoutUI::GetThumbRect(bool bUseNew) const
{
    RECT rc = bUseNew ? m_rcNewPos : m_rcItem;
    int iSep = GetSepWidth();
    if (iSep >= 0) {
        rc.left = std::max(static_cast<int>(rc.right - iSep), static_cast<int>(rc.left));
    } else {
        rc.right = std::min(static_cast<int>(rc.left - iSep), static_cast<int>(rc.right));
    }
    return rc;
}

void CHorizontalLayoutUI::DoEvent(TEventUI& event)
{
    if (m_iSepWidth != 0) {
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
                int cx = m_rcNewPos.right - m_rcNewPos.left;
                m_cxyFixed.cx = m_pManager ? m_pManager->GetDPIObj()->ScaleBack(cx) : cx;
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
                ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32644)));  // size west-east
                return;
            }
        }
    }
    CContainerUI::DoEvent(event);
}

void CHorizontalLayoutUI::DragSeparator(POINT pt)
{
    LONG cx = pt.x - m_ptLastMouse.x;
    m_ptLastMouse = pt;
    RECT rc = m_rcNewPos;
    if (m_iSepWidth >= 0) {
        rc.right += cx;
    } else {
        rc.left += cx;
    }
    int cxNew = rc.right - rc.left;
    if (cxNew < GetMinWidth() || cxNew > GetMaxWidth()) return;

    RECT rcInvalidate = GetThumbRect(true);
    m_rcNewPos = rc;
    if (m_bImmMode) {
        m_rcItem = m_rcNewPos;
        m_cxyFixed.cx = m_pManager ? m_pManager->GetDPIObj()->ScaleBack(cxNew) : cxNew;
        NeedParentUpdate();
        return;
    }
    RECT rcNewThumb = GetThumbRect(true);
    RECT rcOldThumb = GetThumbRect(false);
    ::UnionRect(&rcInvalidate, &rcInvalidate, &rcNewThumb);
    ::UnionRect(&rcInvalidate, &rcInvalidate, &rcOldThumb);
    if (m_pManager != nullptr) m_pManager->Invalidate(rcInvalidate);
}

void CHorizontalLayoutUI::DoPostPaint(HDC hDC, const RECT& /*rcPaint*/)
{
    if ((m_uButtonState & kSepCaptured) != 0 && !m_bImmMode) {
        RECT rcSeparator = GetThumbRect(true);
        CRenderEngine::DrawColor(hDC, rcSeparator, 0xAA000000);
    }
}

} // namespace Veneer
