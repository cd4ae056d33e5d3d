#include "ui/controls/UITabLayout.h"

#include "ui/core/UIAttributeTable.h"
#include "ui/core/UIManager.h"

namespace Veneer {

CTabLayoutUI::CTabLayoutUI()
    : m_iCurSel(-1),
      m_iOldSel(-1),
      m_nDirection(1),
      m_pCurPage(nullptr),
      m_pOldPage(nullptr),
      m_bSliding(false)
{
}

LPCTSTR CTabLayoutUI::GetClass() const
{
    return L"TabLayoutUI";
}

LPVOID CTabLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (_wcsicmp(pstrName, L"TabLayout") == 0) return static_cast<CTabLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

bool CTabLayoutUI::Add(CControlUI* pControl)
{
    if (!CContainerUI::Add(pControl)) return false;
    // The first visible page becomes current; every later page starts hidden.
    if (m_iCurSel == -1 && pControl->IsVisible()) m_iCurSel = GetItemIndex(pControl);
    else pControl->SetVisible(false);
    return true;
}

bool CTabLayoutUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (!CContainerUI::AddAt(pControl, iIndex)) return false;
    if (m_iCurSel == -1 && pControl->IsVisible()) {
        m_iCurSel = GetItemIndex(pControl);
    } else if (m_iCurSel == -1 || m_iCurSel < iIndex) {
        pControl->SetVisible(false);
    } else {
        // Inserted before the current page: that page moves up by one and stays
        // the only one shown.
        ++m_iCurSel;
        pControl->SetVisible(false);
    }
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* pControl, bool bDoNotDestroy)
{
    if (pControl == nullptr) return false;
    const int iIndex = GetItemIndex(pControl);
    if (!CContainerUI::Remove(pControl, bDoNotDestroy)) return false;
    if (pControl == m_pCurPage) m_pCurPage = nullptr;
    if (pControl == m_pOldPage) m_pOldPage = nullptr;
    // The page a slide leaves can go and the slide goes on; the page it brings cannot arrive any more.
    if (m_iOldSel == iIndex) m_iOldSel = -1;
    else if (m_iOldSel > iIndex) --m_iOldSel;

    if (m_iCurSel == iIndex) {
        StopSlide();
        if (GetCount() > 0) {
            m_iCurSel = 0;
            for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetVisible(i == 0);
        } else {
            m_iCurSel = -1;
        }
        NeedParentUpdate();
    } else if (m_iCurSel > iIndex) {
        --m_iCurSel;
    }
    return true;
}

void CTabLayoutUI::StopSlide()
{
    StopAnimation(TAB_ANIMATION_ID);
    m_bSliding = false;
    m_pOldPage = nullptr;
}

void CTabLayoutUI::RemoveAll()
{
    StopSlide();
    m_iCurSel = -1;
    m_iOldSel = -1;
    m_pCurPage = nullptr;
    CContainerUI::RemoveAll();
    NeedParentUpdate();
}

int CTabLayoutUI::GetCurSel() const
{
    return m_iCurSel;
}

CUIString CTabLayoutUI::GetCurForm() const
{
    CControlUI* pPage = GetItemAt(m_iCurSel);
    return pPage != nullptr ? pPage->GetName() : CUIString();
}

bool CTabLayoutUI::SelectItem(CControlUI* pControl)
{
    const int iIndex = GetItemIndex(pControl);
    if (iIndex == -1) return false;
    return SelectItem(iIndex);
}

bool CTabLayoutUI::SelectItem(int iIndex)
{
    if (iIndex < 0 || iIndex >= GetCount()) return false;
    if (iIndex == m_iCurSel) return true;

    const UIAnim anim = GetAnimation();
    // Only a layout in its window's tree slides: the frame timer of a tree that is never
    // attached would outlive it.
    if ((anim == UIANIM_VERTICAL || anim == UIANIM_HORIZONTAL) && IsInManagerTree()) {
        const int iOld = m_iCurSel;
        m_nDirection = iIndex > m_iCurSel ? -1 : 1;
        m_iOldSel = m_iCurSel;
        m_iCurSel = iIndex;
        m_pCurPage = GetItemAt(m_iCurSel);
        m_pOldPage = GetItemAt(m_iOldSel);
        for (int i = 0; i < GetCount(); ++i) {
            if (i != m_iCurSel && i != m_iOldSel) GetItemAt(i)->SetVisible(false);
        }
        StopAnimation(TAB_ANIMATION_ID);
        m_bSliding = true;
        if (StartAnimation(GetFrameDelay(), GetFrameCount(), TAB_ANIMATION_ID, false)) return true;
        // Without a running frame timer the slide could never finish: switch at once.
        m_bSliding = false;
        m_iCurSel = iOld;
    }
    SwitchAtOnce(iIndex);
    return true;
}

bool CTabLayoutUI::IsInManagerTree() const
{
    if (m_pManager == nullptr) return false;
    const CControlUI* pTop = this;
    while (pTop->GetParent() != nullptr) pTop = pTop->GetParent();
    return pTop == m_pManager->GetRoot();
}

void CTabLayoutUI::SwitchAtOnce(int iIndex)
{
    StopSlide();
    const bool live = IsInManagerTree();
    m_iOldSel = m_iCurSel;
    m_iCurSel = iIndex;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pPage = GetItemAt(i);
        if (i == iIndex) {
            pPage->SetVisible(true);
            if (live) pPage->SetFocus();
            SetPos(m_rcItem, true);
            m_pCurPage = pPage;
        } else {
            pPage->SetVisible(false);
        }
    }
    NeedParentUpdate();
    if (live) SendSelectNotifications();
}

void CTabLayoutUI::SendSelectNotifications()
{
    if (m_pManager == nullptr) return;
    m_pManager->SetNextTabControl();
    m_pManager->SendNotify(this, L"tabselect", static_cast<WPARAM>(m_iCurSel), m_iOldSel);
    SendFormNotifications();
}

void CTabLayoutUI::SendFormNotifications()
{
    if (m_pManager == nullptr) return;
    const WPARAM wParam = static_cast<WPARAM>(m_iCurSel);
    const LPARAM lParam = m_iOldSel;
    CControlUI* pCur = GetItemAt(m_iCurSel);
    if (pCur != nullptr && !pCur->GetName().IsEmpty()) {
        m_pManager->SendNotify(pCur, L"tabactiveform", wParam, lParam);
    }
    CControlUI* pOld = GetItemAt(m_iOldSel);
    if (pOld != nullptr && !pOld->GetName().IsEmpty()) {
        m_pManager->SendNotify(pOld, L"tabnoactiveform", wParam, lParam);
    }
}

bool CTabLayoutUI::SelectForm(LPCTSTR pstrName)
{
    CControlUI* pControl = FindSubControl(pstrName);
    if (pControl == nullptr || pControl->GetName().IsEmpty()) return false;
    if (pControl != GetItemAt(m_iCurSel)) return SelectItem(pControl);
    SendFormNotifications();
    return true;
}

void CTabLayoutUI::DoInit()
{
}

const CAttributeTable& CTabLayoutUI::AttributeTable()
{
    using T = CTabLayoutUI;
    using K = EAttrKind;
    static const TAttribute rows[] = {
        // Also kept as a custom attribute, so that a later look-up sees what the markup said.
        {L"selectedid", K::Int, kAttrPassOn,
         [](CControlUI& c, LPCTSTR v) { static_cast<T&>(c).SelectItem(CAttributeValue::Int(v)); }, nullptr},
    };
    static const CAttributeTable table(L"TabLayout", rows, &CContainerUI::AttributeTable());
    return table;
}

VENEER_ATTRIBUTE_MEMBERS(CTabLayoutUI, CContainerUI)

RECT CTabLayoutUI::ClientArea() const
{
    const RECT rcInset = GetInset();
    RECT rc = m_rcItem;
    rc.left += rcInset.left;
    rc.top += rcInset.top;
    rc.right -= rcInset.right;
    rc.bottom -= rcInset.bottom;
    return rc;
}

RECT CTabLayoutUI::PageRect(CControlUI* pPage, const RECT& rcClient) const
{
    const RECT rcPadding = pPage->GetPadding();
    RECT rc = rcClient;
    rc.left += rcPadding.left;
    rc.top += rcPadding.top;
    rc.right -= rcPadding.right;
    rc.bottom -= rcPadding.bottom;

    const SIZE szAvailable = {rc.right - rc.left, rc.bottom - rc.top};
    SIZE sz = pPage->EstimateSize(szAvailable);
    if (sz.cx == 0) sz.cx = szAvailable.cx > 0 ? szAvailable.cx : 0;
    if (sz.cx < pPage->GetMinWidth()) sz.cx = pPage->GetMinWidth();
    if (sz.cx > pPage->GetMaxWidth()) sz.cx = pPage->GetMaxWidth();
    if (sz.cy == 0) sz.cy = szAvailable.cy > 0 ? szAvailable.cy : 0;
    if (sz.cy < pPage->GetMinHeight()) sz.cy = pPage->GetMinHeight();
    if (sz.cy > pPage->GetMaxHeight()) sz.cy = pPage->GetMaxHeight();

    RECT rcPage = {rc.left, rc.top, rc.left + sz.cx, rc.top + sz.cy};
    return rcPage;
}

void CTabLayoutUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    const RECT rcClient = ClientArea();

    if (m_bSliding) {
        // The new page slides in from one side while the old one leaves to the other.
        const bool bHorizontal = GetAnimation() == UIANIM_HORIZONTAL;
        const int nFrames = GetFrameCount() > 0 ? GetFrameCount() : 1;
        int nFrame = GetCurrentFrame(TAB_ANIMATION_ID);
        if (nFrame < 0) nFrame = nFrames;
        auto place = [&](CControlUI* pPage, bool bEntering) {
            if (pPage == nullptr) return;
            RECT rcPage = PageRect(pPage, rcClient);
            const int nSize = bHorizontal ? rcPage.right - rcPage.left : rcPage.bottom - rcPage.top;
            const int nDone = nFrame >= nFrames ? nSize : nSize / nFrames * nFrame;
            const int nOffset = bEntering ? -m_nDirection * (nSize - nDone) : m_nDirection * nDone;
            if (bHorizontal) ::OffsetRect(&rcPage, nOffset, 0);
            else ::OffsetRect(&rcPage, 0, nOffset);
            pPage->SetPos(rcPage, true);
        };
        place(m_pCurPage, true);
        place(m_pOldPage, false);
        return;
    }

    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!pControl->IsVisible()) continue;
        if (pControl->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        if (i != m_iCurSel) continue;
        pControl->SetPos(PageRect(pControl, rcClient), true);
    }
}

void CTabLayoutUI::OnAnimationStart(int nAnimationID, bool bFirstLoop)
{
    if (nAnimationID != TAB_ANIMATION_ID) {
        CContainerUI::OnAnimationStart(nAnimationID, bFirstLoop);
        return;
    }
    if (m_pCurPage != nullptr) m_pCurPage->SetVisible(true);
}

void CTabLayoutUI::OnAnimationStep(int nTotalFrame, int nCurFrame, int nAnimationID)
{
    if (nAnimationID != TAB_ANIMATION_ID) {
        CContainerUI::OnAnimationStep(nTotalFrame, nCurFrame, nAnimationID);
        return;
    }
    NeedParentUpdate();
}

void CTabLayoutUI::OnAnimationStop(int nAnimationID)
{
    if (nAnimationID != TAB_ANIMATION_ID) {
        CContainerUI::OnAnimationStop(nAnimationID);
        return;
    }
    m_bSliding = false;
    if (m_pOldPage != nullptr) m_pOldPage->SetVisible(false);
    if (m_pCurPage != nullptr) m_pCurPage->SetVisible(true);
    SetPos(m_rcItem, true);
    NeedParentUpdate();
    SendSelectNotifications();
}

} // namespace Veneer
