// The paint manager's side of accessibility: the window's accessible object, WinEvents about controls,
// default actions asked for by screen readers, and the keyboard focus indicator.
#include "ui/core/UIManager.h"

#include "ui/controls/UIControl.h"
#include "ui/core/UIAccessible.h"
#include "ui/core/UIOleacc.h"

namespace Veneer {

namespace {

const IID kIIDAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

UINT AccessibleActionMessage()
{
    static const UINT s_uMsg = ::RegisterWindowMessageW(L"VeneerAccessibleAction");
    return s_uMsg;
}

bool IsNavigationKey(WPARAM wParam)
{
    switch (wParam) {
    case VK_TAB:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_MENU:
        return true;
    default:
        return false;
    }
}

}  // namespace

bool CPaintManagerUI::IsHighContrast()
{
    HIGHCONTRASTW hc = {};
    hc.cbSize = sizeof(hc);
    if (!::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(hc), &hc, 0)) return false;
    return (hc.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

void CPaintManagerUI::NotifyAccessibleEvent(DWORD dwEvent, CControlUI* pControl, int iLink)
{
    if (m_hWndPaint == nullptr || m_pRoot == nullptr || pControl == nullptr) return;
    if (!::IsWinEventHookInstalled(dwEvent)) return;
    const long idChild = CUIAccessible::ChildIdOf(m_pRoot, pControl, iLink);
    if (idChild == CHILDID_SELF) return;  // not an object a reader knows
    ::NotifyWinEvent(dwEvent, m_hWndPaint, OBJID_CLIENT, idChild);
}

void CPaintManagerUI::NotifyAccessibleVisibility(CControlUI* pControl, bool bVisible)
{
    if (m_hWndPaint == nullptr || m_pRoot == nullptr || pControl == nullptr) return;
    // The client's children changed; a control that appeared is also announced as shown (one that went
    // has no child id left to name).
    if (::IsWinEventHookInstalled(EVENT_OBJECT_REORDER)) {
        ::NotifyWinEvent(EVENT_OBJECT_REORDER, m_hWndPaint, OBJID_CLIENT, CHILDID_SELF);
    }
    if (bVisible) NotifyAccessibleEvent(EVENT_OBJECT_SHOW, pControl);
}

bool CPaintManagerUI::PostAccessibleAction(long idChild, int iAction)
{
    if (m_hWndPaint == nullptr) return false;
    return ::PostMessageW(m_hWndPaint, AccessibleActionMessage(), static_cast<WPARAM>(idChild),
                          static_cast<LPARAM>(iAction)) != FALSE;
}

bool CPaintManagerUI::HandleAccessibleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    if (uMsg == WM_GETOBJECT) {
        if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT) || m_pRoot == nullptr) return false;
        if (m_pAccessible == nullptr) m_pAccessible = new CUIAccessible(this);
        lRes = COleacc::LresultFromObject(kIIDAccessible, wParam, static_cast<IAccessible*>(m_pAccessible));
        return lRes != 0;
    }
    if (uMsg == AccessibleActionMessage() && uMsg != 0) {
        CUIAccessible::RunPostedAction(this, static_cast<long>(wParam), static_cast<int>(lParam));
        lRes = 0;
        return true;
    }
    switch (uMsg) {
    case WM_UPDATEUISTATE:
        if ((HIWORD(wParam) & UISF_HIDEFOCUS) != 0) {
            if (LOWORD(wParam) == UIS_CLEAR) ShowFocusIndicator(true);
            else if (LOWORD(wParam) == UIS_SET) ShowFocusIndicator(false);
        }
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        NoteKeyboardNavigation(uMsg, wParam);
        break;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        // High contrast turned on or off: repaint in the colours that now apply.
        Invalidate();
        break;
    default:
        break;
    }
    return false;
}

void CPaintManagerUI::NoteKeyboardNavigation(UINT uMsg, WPARAM wParam)
{
    if ((uMsg == WM_KEYDOWN || uMsg == WM_SYSKEYDOWN) && IsNavigationKey(wParam)) ShowFocusIndicator(true);
}

bool CPaintManagerUI::IsFocusIndicatorShown() const
{
    if (m_iFocusCues >= 0) return m_iFocusCues != 0;
    BOOL bAlways = FALSE;
    ::SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &bAlways, 0);
    return bAlways != FALSE;
}

void CPaintManagerUI::ShowFocusIndicator(bool bShow)
{
    const bool bWasShown = IsFocusIndicatorShown();
    m_iFocusCues = bShow ? 1 : 0;
    if (bWasShown != bShow && m_pFocus != nullptr) m_pFocus->Invalidate();
}

void CPaintManagerUI::PaintFocusIndicator(HDC hDC, const RECT& rcPaint)
{
    // Keyboard focus is shown where the keyboard can go: a control focused by a click that Tab never
    // reaches (a label) shows none.
    if (m_pFocus == nullptr || !m_pFocus->IsVisible() || !m_pFocus->IsEnabled() ||
        (m_pFocus->GetControlFlags() & UIFLAG_TABSTOP) == 0 || !IsFocusIndicatorShown()) {
        return;
    }
    // Only the part its ancestors show: a control scrolled out of its list is drawn nowhere.
    RECT rcShown = rcPaint;
    for (CControlUI* p = m_pFocus->GetParent(); p != nullptr; p = p->GetParent()) {
        RECT rcAncestor = p->GetPos();
        if (!::IntersectRect(&rcShown, &rcShown, &rcAncestor)) return;
    }
    RECT rc = m_pFocus->GetPos();
    const int inset = m_pDPI != nullptr ? m_pDPI->Scale(2) : 2;
    ::InflateRect(&rc, -inset, -inset);
    if (rc.right <= rc.left || rc.bottom <= rc.top) rc = m_pFocus->GetPos();
    // Drawn with the system's own focus rectangle, which follows the user's colours (also in high
    // contrast) and the system's focus border width.
    // DrawFocusRect inverts: limited to the area just painted, it never touches pixels kept from before.
    const int iSave = ::SaveDC(hDC);
    ::SelectClipRgn(hDC, nullptr);
    ::IntersectClipRect(hDC, rcShown.left, rcShown.top, rcShown.right, rcShown.bottom);
    const COLORREF crOldText = ::SetTextColor(hDC, IsHighContrast() ? ::GetSysColor(COLOR_WINDOWTEXT) : RGB(0, 0, 0));
    const COLORREF crOldBk = ::SetBkColor(hDC, IsHighContrast() ? ::GetSysColor(COLOR_WINDOW) : RGB(255, 255, 255));
    ::DrawFocusRect(hDC, &rc);
    ::SetTextColor(hDC, crOldText);
    ::SetBkColor(hDC, crOldBk);
    ::RestoreDC(hDC, iSave);
}

void CPaintManagerUI::FocusMoved(CControlUI* pOld, CControlUI* pNew)
{
    if (IsFocusIndicatorShown()) {
        if (pOld != nullptr) pOld->Invalidate();
        if (pNew != nullptr) pNew->Invalidate();
    }
    if (pNew != nullptr && pNew == m_pFocus) NotifyAccessibleEvent(EVENT_OBJECT_FOCUS, pNew);
}

void CPaintManagerUI::ReleaseAccessible()
{
    if (m_pAccessible == nullptr) return;
    m_pAccessible->Disconnect();
    m_pAccessible->Release();
    m_pAccessible = nullptr;
}

}  // namespace Veneer
