// Input side of the paint manager: message routing to controls, focus and tab
// order, shortcuts, timers, tooltips and the notification channel.
#include "ui/core/UIManager.h"

#include <windowsx.h>

#include <cwchar>

#include "ui/controls/UIControl.h"
#include "ui/controls/UIRichEdit.h"
#include "ui/core/UIRender.h"
#include "ui/core/UIShadow.h"

namespace Veneer {

namespace {

constexpr UINT kTimerIdRange = 0xF0;  // native timer ids run 0..239

struct FINDTABINFO {
    CControlUI* pFocus;
    CControlUI* pLast;
    bool bForward;
    bool bNextIsIt;
};

struct FINDSHORTCUT {
    wchar_t ch;
    bool bPickNext;
};

struct FINDCLASSINFO {
    LPCTSTR pstrClass;
    int iIndex;   // wanted match (FindSubControlByClass)
    int iSeen;    // matches seen so far
    CStdPtrArray* pFound;  // collects every match when set
};

wchar_t UpperChar(wchar_t ch)
{
    return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(::CharUpperW(reinterpret_cast<LPWSTR>(
        static_cast<ULONG_PTR>(static_cast<unsigned short>(ch))))));
}

bool ClassContains(CControlUI* pControl, LPCTSTR pstrPart)
{
    LPCTSTR pstrClass = pControl->GetClass();
    return pstrClass != nullptr && std::wcsstr(pstrClass, pstrPart) != nullptr;
}

// Removes the first entry equal to p; false when there is none.
bool RemoveFirst(CStdPtrArray& list, LPVOID p)
{
    int i = list.Find(p);
    return i >= 0 && list.Remove(i);
}

TEventUI MakeEvent(int type, CControlUI* pSender, POINT pt, WORD wKeyState, WPARAM wParam, LPARAM lParam)
{
    TEventUI event;
    event.Type = type;
    event.pSender = pSender;
    event.dwTimestamp = ::GetTickCount();
    event.ptMouse = pt;
    event.wKeyState = wKeyState;
    event.wParam = wParam;
    event.lParam = lParam;
    return event;
}

void Deliver(CControlUI* pTarget, TEventUI event)
{
    if (pTarget != nullptr) pTarget->Event(event);
}

POINT PointFromLParam(LPARAM lParam)
{
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return pt;
}

// RAII guard of the async queue's critical section.
class CAsyncLock {
public:
    explicit CAsyncLock(CRITICAL_SECTION& cs) : m_cs(cs) { ::EnterCriticalSection(&m_cs); }
    ~CAsyncLock() { ::LeaveCriticalSection(&m_cs); }
    CAsyncLock(const CAsyncLock&) = delete;
    CAsyncLock& operator=(const CAsyncLock&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

}  // namespace

CStdPtrArray CPaintManagerUI::m_aPreMessages;
CStdPtrArray CPaintManagerUI::m_aPlugins;

// ---------------------------------------------------------------------------
// listener lists

bool CPaintManagerUI::AddNotifier(INotifyUI* pNotifier)
{
    return m_aNotifiers.Add(pNotifier);
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* pNotifier)
{
    return RemoveFirst(m_aNotifiers, pNotifier);
}

bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* pFilter)
{
    return m_aPreMessageFilters.Add(pFilter);
}

bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* pFilter)
{
    return RemoveFirst(m_aPreMessageFilters, pFilter);
}

bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* pFilter)
{
    return m_aMessageFilters.Add(pFilter);
}

bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* pFilter)
{
    return RemoveFirst(m_aMessageFilters, pFilter);
}

bool CPaintManagerUI::AddTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator)
{
    return m_aTranslateAccelerator.Add(pTranslateAccelerator);
}

bool CPaintManagerUI::RemoveTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator)
{
    return RemoveFirst(m_aTranslateAccelerator, pTranslateAccelerator);
}

bool CPaintManagerUI::TranslateAccelerator(LPMSG pMsg)
{
    for (int i = 0; i < m_aTranslateAccelerator.GetSize(); ++i) {
        auto* pAccel = static_cast<ITranslateAccelerator*>(m_aTranslateAccelerator.GetAt(i));
        if (pAccel->TranslateAccelerator(pMsg) == 0) return true;
    }
    return false;
}

bool CPaintManagerUI::AddMouseLeaveNeeded(CControlUI* pControl)
{
    if (pControl == nullptr || m_aNeedMouseLeaveNeeded.Find(pControl) >= 0) return false;
    return m_aNeedMouseLeaveNeeded.Add(pControl);
}

bool CPaintManagerUI::RemoveMouseLeaveNeeded(CControlUI* pControl)
{
    return RemoveFirst(m_aNeedMouseLeaveNeeded, pControl);
}

void CPaintManagerUI::UsedVirtualWnd(bool bUsed)
{
    m_bUsedVirtualWnd = bUsed;
}

void* CPaintManagerUI::GetScriptFunAddress(LPCTSTR /*pstrName*/)
{
    return nullptr;
}

bool CPaintManagerUI::ExecuteScript(void* /*pFun*/, CControlUI* /*pControl*/, void* /*pArg1*/, void* /*pArg2*/)
{
    return false;
}

// ---------------------------------------------------------------------------
// tree

CControlUI* CPaintManagerUI::GetRoot() const
{
    return m_pRoot;
}

bool CPaintManagerUI::AttachDialog(CControlUI* pControl)
{
    if (m_pShadow != nullptr) m_pShadow->Create(this);
    SetFocus(nullptr);
    m_pEventKey = nullptr;
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    if (m_pRoot != nullptr) {
        m_aPostPaintControls.Empty();
        AddDelayedCleanup(m_pRoot);
    }
    m_pRoot = pControl;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    m_bFocusNeeded = true;
    if (pControl == nullptr) return false;
    InitControls(pControl);
    return true;
}

void CPaintManagerUI::InitControls(CControlUI* pControl, CControlUI* pParent)
{
    if (pControl == nullptr) return;
    pControl->SetManager(this, pParent != nullptr ? pParent : pControl->GetParent(), true);
    pControl->FindControl(__FindControlFromNameHash, this, UIFIND_ALL);
}

void CPaintManagerUI::ReapObjects(CControlUI* pControl)
{
    if (pControl == nullptr) return;
    if (pControl == m_pEventKey) m_pEventKey = nullptr;
    if (pControl == m_pEventHover) m_pEventHover = nullptr;
    if (pControl == m_pEventClick) {
        m_pEventClick = nullptr;
        // The press ends with its control: hover tracking and cursors must not stay frozen.
        if (m_bMouseCapture) ReleaseCapture();
    }
    if (pControl == m_pFocus) m_pFocus = nullptr;
    if (pControl == m_pLastFocus) m_pLastFocus = nullptr;
    for (CControlUI** ppWatched : m_vWatched) {
        if (*ppWatched == pControl) *ppWatched = nullptr;
    }
    KillTimer(pControl);
    CUIString sName = pControl->GetName();
    if (!sName.IsEmpty() && m_mNameHash.Find(sName, false) == pControl) m_mNameHash.Remove(sName);
    // Lists that would otherwise keep a dangling pointer to the dying control.
    RemoveMouseLeaveNeeded(pControl);
    RemovePostPaint(pControl);
    int iDelayed = m_aDelayedCleanup.Find(pControl);
    if (iDelayed >= 0) m_aDelayedCleanup.Remove(iDelayed);
    for (int i = 0; i < m_aNativeWindowControl.GetSize(); ++i) {
        if (m_aNativeWindowControl.GetAt(i) == pControl) m_aNativeWindowControl.SetAt(i, nullptr);
    }
    LeaveOptionGroups(pControl);
    ForgetListener(pControl);
    CAsyncLock lock(m_lockAsync);
    for (int i = 0; i < m_aAsyncNotify.GetSize(); ++i) {
        auto* pMsg = static_cast<TNotifyUI*>(m_aAsyncNotify.GetAt(i));
        if (pMsg->pSender == pControl) pMsg->pSender = nullptr;
    }
}

void CPaintManagerUI::ForgetListener(CControlUI* pControl)
{
    // A control may listen to its window (a rich edit filters its messages). Only a control still whole
    // is asked: one being destroyed has already unregistered in its own destructor.
    if (auto* pFilter = dynamic_cast<IMessageFilterUI*>(pControl)) {
        while (RemoveMessageFilter(pFilter)) {}
        while (RemovePreMessageFilter(pFilter)) {}
    }
    if (auto* pNotifier = dynamic_cast<INotifyUI*>(pControl)) {
        while (RemoveNotifier(pNotifier)) {}
    }
    if (auto* pAccelerator = dynamic_cast<ITranslateAccelerator*>(pControl)) {
        while (RemoveTranslateAccelerator(pAccelerator)) {}
    }
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlToReap(CControlUI* pThis, LPVOID pData)
{
    static_cast<CPaintManagerUI*>(pData)->ReapObjects(pThis);
    return nullptr;
}

void CPaintManagerUI::ReapTree(CControlUI* pControl)
{
    if (pControl != nullptr) pControl->FindControl(__FindControlToReap, this, UIFIND_ALL);
}

void CPaintManagerUI::DetachControls(CControlUI* pControl)
{
    if (pControl == nullptr) return;
    ReapTree(pControl);
    pControl->SetManager(nullptr, nullptr, false);
}

void CPaintManagerUI::AddDelayedCleanup(CControlUI* pControl)
{
    if (pControl == nullptr) return;
    // Out of the tree from now on, though deleted later: nothing may route input or names to it meanwhile.
    ReapTree(pControl);
    pControl->SetManager(this, nullptr, false);
    m_aDelayedCleanup.Add(pControl);
    PostAsync();
}

void CPaintManagerUI::PostAsync()
{
    CAsyncLock lock(m_lockAsync);
    if (!m_bAsyncNotifyPosted && m_hWndPaint != nullptr) {
        m_bAsyncNotifyPosted = ::PostMessageW(m_hWndPaint, WM_UI_ASYNC, 0, 0) != FALSE;
    }
}

CPaintManagerUI::CControlWatch::CControlWatch(CPaintManagerUI& manager, CControlUI*& pControl)
    : m_manager(manager), m_ppControl(&pControl)
{
    m_manager.m_vWatched.push_back(m_ppControl);
}

CPaintManagerUI::CControlWatch::~CControlWatch()
{
    std::vector<CControlUI**>& watched = m_manager.m_vWatched;
    for (size_t i = watched.size(); i-- > 0;) {
        if (watched[i] == m_ppControl) {
            watched.erase(watched.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
}

class CPaintManagerUI::CHandlerScope {
public:
    explicit CHandlerScope(CPaintManagerUI& manager) : m_manager(manager) { ++m_manager.m_iHandlerDepth; }
    ~CHandlerScope()
    {
        if (--m_manager.m_iHandlerDepth == 0 && m_manager.m_bCleanupDeferred) {
            m_manager.m_bCleanupDeferred = false;
            m_manager.PostAsync();
        }
    }
    CHandlerScope(const CHandlerScope&) = delete;
    CHandlerScope& operator=(const CHandlerScope&) = delete;

private:
    CPaintManagerUI& m_manager;
};

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromNameHash(CControlUI* pThis, LPVOID pData)
{
    auto* pManager = static_cast<CPaintManagerUI*>(pData);
    CUIString sName = pThis->GetName();
    if (sName.IsEmpty()) return nullptr;
    // A later control with the same name replaces an earlier one.
    pManager->m_mNameHash.Set(sName, pThis);
    return nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromCount(CControlUI* /*pThis*/, LPVOID pData)
{
    int* pnCount = static_cast<int*>(pData);
    (*pnCount)++;
    return nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromPoint(CControlUI* pThis, LPVOID pData)
{
    const POINT* pPoint = static_cast<const POINT*>(pData);
    const RECT& rc = pThis->GetPos();
    return ::PtInRect(&rc, *pPoint) ? pThis : nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromTab(CControlUI* pThis, LPVOID pData)
{
    auto* pInfo = static_cast<FINDTABINFO*>(pData);
    if (pInfo->pFocus == pThis) {
        if (pInfo->bForward) pInfo->bNextIsIt = true;
        return pInfo->bForward ? nullptr : pInfo->pLast;
    }
    if ((pThis->GetControlFlags() & UIFLAG_TABSTOP) == 0) return nullptr;
    pInfo->pLast = pThis;
    if (pInfo->bNextIsIt) return pThis;
    if (pInfo->pFocus == nullptr) return pThis;
    return nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromShortcut(CControlUI* pThis, LPVOID pData)
{
    if (!pThis->IsVisible()) return nullptr;
    auto* pFS = static_cast<FINDSHORTCUT*>(pData);
    wchar_t chShortcut = pThis->GetShortcut();
    if (chShortcut != 0 && UpperChar(chShortcut) == pFS->ch) pFS->bPickNext = true;
    // A label's shortcut selects the control that follows it.
    if (ClassContains(pThis, L"LabelUI")) return nullptr;
    return pFS->bPickNext ? pThis : nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromName(CControlUI* pThis, LPVOID pData)
{
    LPCTSTR pstrName = static_cast<LPCTSTR>(pData);
    CUIString sName = pThis->GetName();
    if (sName.IsEmpty()) return nullptr;
    return sName == pstrName ? pThis : nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromClass(CControlUI* pThis, LPVOID pData)
{
    auto* pInfo = static_cast<FINDCLASSINFO*>(pData);
    LPCTSTR pstrClass = pThis->GetClass();
    if (pstrClass == nullptr || _wcsicmp(pstrClass, pInfo->pstrClass) != 0) return nullptr;
    return (pInfo->iSeen++ == pInfo->iIndex) ? pThis : nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlsFromClass(CControlUI* pThis, LPVOID pData)
{
    auto* pInfo = static_cast<FINDCLASSINFO*>(pData);
    LPCTSTR pstrClass = pThis->GetClass();
    if (pstrClass != nullptr && _wcsicmp(pstrClass, pInfo->pstrClass) == 0) pInfo->pFound->Add(pThis);
    return nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlsFromUpdate(CControlUI* pThis, LPVOID pData)
{
    auto* pFound = static_cast<std::vector<CControlUI*>*>(pData);
    if (pThis->IsUpdateNeeded()) pFound->push_back(pThis);
    return nullptr;
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const
{
    if (m_pRoot == nullptr) return nullptr;
    return m_pRoot->FindControl(__FindControlFromPoint, &pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

CControlUI* CPaintManagerUI::FindControl(LPCTSTR pstrName) const
{
    if (m_pRoot == nullptr || pstrName == nullptr) return nullptr;
    return static_cast<CControlUI*>(m_mNameHash.Find(pstrName));
}

CControlUI* CPaintManagerUI::FindSubControlByPoint(CControlUI* pParent, POINT pt) const
{
    if (pParent == nullptr) pParent = m_pRoot;
    if (pParent == nullptr) return nullptr;
    return pParent->FindControl(__FindControlFromPoint, &pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* pParent, LPCTSTR pstrName) const
{
    if (pParent == nullptr) pParent = m_pRoot;
    if (pParent == nullptr || pstrName == nullptr || *pstrName == 0) return nullptr;
    return pParent->FindControl(__FindControlFromName, const_cast<LPTSTR>(pstrName), UIFIND_ALL);
}

CControlUI* CPaintManagerUI::FindSubControlByClass(CControlUI* pParent, LPCTSTR pstrClass, int iIndex)
{
    if (pParent == nullptr) pParent = m_pRoot;
    if (pParent == nullptr || pstrClass == nullptr || iIndex < 0) return nullptr;
    FINDCLASSINFO info = {pstrClass, iIndex, 0, nullptr};
    return pParent->FindControl(__FindControlFromClass, &info, UIFIND_ALL);
}

CStdPtrArray* CPaintManagerUI::FindSubControlsByClass(CControlUI* pParent, LPCTSTR pstrClass)
{
    m_aFoundControls.Empty();
    if (pParent == nullptr) pParent = m_pRoot;
    if (pParent == nullptr || pstrClass == nullptr) return &m_aFoundControls;
    FINDCLASSINFO info = {pstrClass, 0, 0, &m_aFoundControls};
    pParent->FindControl(__FindControlsFromClass, &info, UIFIND_ALL);
    return &m_aFoundControls;
}

// ---------------------------------------------------------------------------
// focus and capture

CControlUI* CPaintManagerUI::GetFocus() const
{
    return m_pFocus;
}

CControlUI* CPaintManagerUI::GetLastFocus() const
{
    if (m_pLastFocus != nullptr && m_pLastFocus->IsEnabled() && m_pLastFocus->IsVisible()) return m_pLastFocus;
    return nullptr;
}

void CPaintManagerUI::KillFocus(CControlUI* pNewFocus, bool bRemember)
{
    if (m_pFocus == nullptr) return;
    CControlUI* pOld = m_pFocus;
    CControlWatch watch(*this, pOld);
    // The kill-focus event names the control that receives the focus.
    Deliver(pOld, MakeEvent(UIEVENT_KILLFOCUS, pNewFocus, m_ptLastMousePos, 0, 0, 0));
    if (pOld != nullptr) SendNotify(pOld, L"killfocus");
    if (bRemember && pOld != nullptr) m_pLastFocus = pOld;
    m_pFocus = nullptr;
}

void CPaintManagerUI::SetFocus(CControlUI* pControl)
{
    HWND hFocusWnd = ::GetFocus();
    if (!UIDESIGNMODE && m_hWndPaint != nullptr && hFocusWnd != m_hWndPaint && pControl != m_pFocus) {
        ::SetFocus(m_hWndPaint);
    }
    if (pControl == m_pFocus) return;
    CControlUI* pOldFocus = m_pFocus;
    CControlWatch watchOld(*this, pOldFocus);
    CControlWatch watchNew(*this, pControl);
    KillFocus(pControl, true);
    if (pControl == nullptr || pControl->GetManager() != this || !pControl->IsVisible() || !pControl->IsEnabled()) {
        FocusMoved(pOldFocus, nullptr);
        return;
    }
    m_pFocus = pControl;
    // A control given the focus outright wins over a tab move still waiting for the layout.
    m_bFocusNeeded = false;
    SendEvent(pControl, UIEVENT_SETFOCUS, 0, 0, 0);
    if (pControl != nullptr) SendNotify(pControl, L"setfocus");
    FocusMoved(pOldFocus, pControl);
}

void CPaintManagerUI::SetFocusNeeded(CControlUI* pControl)
{
    if (m_hWndPaint != nullptr) ::SetFocus(m_hWndPaint);
    if (pControl == nullptr) return;
    KillFocus(pControl, false);
    if (m_pRoot != nullptr) {
        FINDTABINFO info = {pControl, nullptr, false, false};
        m_pFocus = m_pRoot->FindControl(__FindControlFromTab, &info,
                                        UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
        m_bFocusNeeded = true;
        m_pRoot->NeedUpdate();
    }
}

bool CPaintManagerUI::SetNextTabControl(bool bForward)
{
    if (m_bUpdateNeeded && bForward) {
        m_bFocusNeeded = true;
        if (m_hWndPaint != nullptr) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
        return true;
    }
    if (m_pRoot == nullptr) {
        m_bFocusNeeded = false;
        return true;
    }
    const UINT uFlags = UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST;
    FINDTABINFO info1 = {m_pFocus, nullptr, bForward, false};
    CControlUI* pControl = m_pRoot->FindControl(__FindControlFromTab, &info1, uFlags);
    if (pControl == nullptr) {
        if (bForward) {
            FINDTABINFO info2 = {nullptr, nullptr, true, false};
            pControl = m_pRoot->FindControl(__FindControlFromTab, &info2, uFlags);
        } else {
            pControl = info1.pLast;
        }
    }
    if (pControl != nullptr) SetFocus(pControl);
    m_bFocusNeeded = false;
    return true;
}

void CPaintManagerUI::SetCapture()
{
    if (m_hWndPaint != nullptr) ::SetCapture(m_hWndPaint);
    m_bMouseCapture = true;
}

void CPaintManagerUI::ReleaseCapture()
{
    // Cleared first: the WM_CAPTURECHANGED sent from inside ::ReleaseCapture is then
    // known to be our own release, not a capture taken away.
    m_bMouseCapture = false;
    m_bDragMode = false;
    ::ReleaseCapture();
}

void CPaintManagerUI::CancelClick()
{
    CControlUI* pClick = m_pEventClick;
    m_pEventClick = nullptr;
    if (m_bMouseCapture) ReleaseCapture();
    if (pClick == nullptr) return;
    // Far outside every control: a release there ends the press without a click.
    const POINT ptNowhere = {-0x7FFF, -0x7FFF};
    Deliver(pClick, MakeEvent(UIEVENT_BUTTONUP, pClick, ptNowhere, 0, 0, 0));
}

bool CPaintManagerUI::IsCaptured() const
{
    return m_bMouseCapture;
}

// ---------------------------------------------------------------------------
// timers

UINT CPaintManagerUI::NextTimerId() const
{
    // Skip ids still held by an entry of this window (live, or killed and kept for
    // reuse) so that a wrapped counter never restarts somebody else's timer.
    UINT uId = m_uTimerID;
    for (UINT n = 0; n < kTimerIdRange; ++n) {
        uId = (uId + 1) % kTimerIdRange;
        bool bHeld = false;
        for (int i = 0; i < m_aTimers.GetSize(); ++i) {
            auto* pTimer = static_cast<TIMERINFO*>(m_aTimers.GetAt(i));
            if (pTimer->hWnd == m_hWndPaint && pTimer->uWinTimer == uId) {
                bHeld = true;
                break;
            }
        }
        if (!bHeld) return uId;
    }
    return kTimerIdRange;  // every id is taken
}

bool CPaintManagerUI::SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse)
{
    if (pControl == nullptr || m_hWndPaint == nullptr) return false;
    for (int i = 0; i < m_aTimers.GetSize(); ++i) {
        auto* pTimer = static_cast<TIMERINFO*>(m_aTimers.GetAt(i));
        if (pTimer->pSender == pControl && pTimer->hWnd == m_hWndPaint && pTimer->nLocalID == nTimerID) {
            if (!pTimer->bKilled) return false;
            if (::SetTimer(m_hWndPaint, pTimer->uWinTimer, uElapse, nullptr) == 0) return false;
            pTimer->bKilled = false;
            return true;
        }
    }
    UINT uId = NextTimerId();
    if (uId >= kTimerIdRange) return false;
    m_uTimerID = uId;
    if (::SetTimer(m_hWndPaint, uId, uElapse, nullptr) == 0) return false;
    auto* pTimer = new TIMERINFO;
    pTimer->pSender = pControl;
    pTimer->nLocalID = nTimerID;
    pTimer->hWnd = m_hWndPaint;
    pTimer->uWinTimer = uId;
    pTimer->bKilled = false;
    if (!m_aTimers.Add(pTimer)) {
        ::KillTimer(m_hWndPaint, uId);
        delete pTimer;
        return false;
    }
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* pControl, UINT nTimerID)
{
    for (int i = 0; i < m_aTimers.GetSize(); ++i) {
        auto* pTimer = static_cast<TIMERINFO*>(m_aTimers.GetAt(i));
        if (pTimer->pSender == pControl && pTimer->hWnd == m_hWndPaint && pTimer->nLocalID == nTimerID &&
            !pTimer->bKilled) {
            if (::IsWindow(m_hWndPaint)) ::KillTimer(pTimer->hWnd, pTimer->uWinTimer);
            pTimer->bKilled = true;
            return true;
        }
    }
    return false;
}

void CPaintManagerUI::KillTimer(CControlUI* pControl)
{
    for (int i = m_aTimers.GetSize() - 1; i >= 0; --i) {
        auto* pTimer = static_cast<TIMERINFO*>(m_aTimers.GetAt(i));
        if (pTimer->pSender == pControl && pTimer->hWnd == m_hWndPaint) {
            if (!pTimer->bKilled && ::IsWindow(m_hWndPaint)) ::KillTimer(pTimer->hWnd, pTimer->uWinTimer);
            delete pTimer;
            m_aTimers.Remove(i);
        }
    }
}

void CPaintManagerUI::RemoveAllTimers()
{
    for (int i = 0; i < m_aTimers.GetSize(); ++i) {
        auto* pTimer = static_cast<TIMERINFO*>(m_aTimers.GetAt(i));
        if (pTimer->hWnd == m_hWndPaint && !pTimer->bKilled && ::IsWindow(m_hWndPaint)) {
            ::KillTimer(pTimer->hWnd, pTimer->uWinTimer);
        }
        delete pTimer;
    }
    m_aTimers.Empty();
}

void CPaintManagerUI::DispatchTimer(WPARAM wParam, LPARAM lParam)
{
    for (int i = 0; i < m_aTimers.GetSize(); ++i) {
        auto* pTimer = static_cast<TIMERINFO*>(m_aTimers.GetAt(i));
        if (pTimer->hWnd == m_hWndPaint && pTimer->uWinTimer == wParam && !pTimer->bKilled) {
            Deliver(pTimer->pSender, MakeEvent(UIEVENT_TIMER, pTimer->pSender, m_ptLastMousePos, CurrentKeyState(),
                                               pTimer->nLocalID, lParam));
            break;
        }
    }
}

// ---------------------------------------------------------------------------
// notifications

void CPaintManagerUI::SendNotify(CControlUI* pControl, LPCTSTR pstrMessage, WPARAM wParam, LPARAM lParam,
                                 bool bAsync)
{
    TNotifyUI msg;
    msg.pSender = pControl;
    msg.sType = pstrMessage;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, bAsync);
}

void CPaintManagerUI::SendNotify(TNotifyUI& Msg, bool bAsync)
{
    Msg.ptMouse = m_ptLastMousePos;
    Msg.dwTimestamp = ::GetTickCount();
    if (!bAsync) {
        if (m_bUsedVirtualWnd && Msg.pSender != nullptr) Msg.sVirtualWnd = Msg.pSender->GetVirtualWnd();
        DeliverNotify(Msg);
        return;
    }
    // Any thread may get here: the sender is not touched now (its virtual-window
    // name is read at delivery, on the UI thread).
    auto* pCopy = new TNotifyUI(Msg);
    CAsyncLock lock(m_lockAsync);
    m_aAsyncNotify.Add(pCopy);
    PostAsync();
}

void CPaintManagerUI::DeliverNotify(TNotifyUI& Msg)
{
    // A listener may remove the sender (with delayed destroy off, delete it): the rest do not hear of a
    // control that left the window while they were being told about it.
    const bool bHadSender = Msg.pSender != nullptr;
    CControlWatch watch(*this, Msg.pSender);
    if (bHadSender) {
        if (Msg.pSender->OnNotify) Msg.pSender->OnNotify(&Msg);
        void* pScript = Msg.pSender != nullptr ? Msg.pSender->GetScriptHandle(L"OnNotify") : nullptr;
        if (pScript != nullptr) ExecuteScript(pScript, Msg.pSender, &Msg);
    }
    for (int i = 0; i < m_aNotifiers.GetSize(); ++i) {
        if (bHadSender && Msg.pSender == nullptr) return;
        static_cast<INotifyUI*>(m_aNotifiers.GetAt(i))->Notify(Msg);
    }
}

void CPaintManagerUI::DrainAsync()
{
    // Brought here by the loop of a message box or modal window that a handler of this window opened: the
    // controls it removed are still on the stack below, so they are deleted once that handler returns.
    if (m_iHandlerDepth > 1) {
        m_bCleanupDeferred = m_bCleanupDeferred || m_aDelayedCleanup.GetSize() > 0;
    } else if (m_aDelayedCleanup.GetSize() > 0) {
        CStdPtrArray aCleanup(m_aDelayedCleanup);
        m_aDelayedCleanup.Empty();
        for (int i = 0; i < aCleanup.GetSize(); ++i) delete static_cast<CControlUI*>(aCleanup.GetAt(i));
    }
    CAsyncLock lock(m_lockAsync);
    m_bAsyncNotifyPosted = false;
    while (m_aAsyncNotify.GetSize() > 0) {
        auto* pMsg = static_cast<TNotifyUI*>(m_aAsyncNotify.GetAt(0));
        m_aAsyncNotify.Remove(0);
        if (m_bUsedVirtualWnd && pMsg->pSender != nullptr && pMsg->sVirtualWnd.IsEmpty()) {
            pMsg->sVirtualWnd = pMsg->pSender->GetVirtualWnd();
        }
        DeliverNotify(*pMsg);
        delete pMsg;
    }
}

// ---------------------------------------------------------------------------
// post-paint controls and native child windows

int CPaintManagerUI::GetPostPaintCount() const
{
    return m_aPostPaintControls.GetSize();
}

bool CPaintManagerUI::IsPostPaint(CControlUI* pControl)
{
    return m_aPostPaintControls.Find(pControl) >= 0;
}

bool CPaintManagerUI::AddPostPaint(CControlUI* pControl)
{
    if (pControl == nullptr || m_aPostPaintControls.Find(pControl) >= 0) return false;
    return m_aPostPaintControls.Add(pControl);
}

bool CPaintManagerUI::RemovePostPaint(CControlUI* pControl)
{
    return RemoveFirst(m_aPostPaintControls, pControl);
}

bool CPaintManagerUI::SetPostPaintIndex(CControlUI* pControl, int iIndex)
{
    if (!RemovePostPaint(pControl)) return false;
    if (iIndex < 0) iIndex = 0;
    if (iIndex > m_aPostPaintControls.GetSize()) iIndex = m_aPostPaintControls.GetSize();
    return m_aPostPaintControls.InsertAt(iIndex, pControl);
}

int CPaintManagerUI::GetNativeWindowCount() const
{
    return m_aNativeWindow.GetSize();
}

RECT CPaintManagerUI::GetNativeWindowRect(HWND hChildWnd)
{
    RECT rc = {0, 0, 0, 0};
    if (hChildWnd == nullptr || !::GetWindowRect(hChildWnd, &rc)) return rc;
    ::MapWindowPoints(HWND_DESKTOP, m_hWndPaint, reinterpret_cast<LPPOINT>(&rc), 2);
    return rc;
}

bool CPaintManagerUI::AddNativeWindow(CControlUI* pControl, HWND hChildWnd)
{
    if (pControl == nullptr || hChildWnd == nullptr) return false;
    if (m_aNativeWindow.Find(hChildWnd) >= 0) return false;
    if (!m_aNativeWindow.Add(hChildWnd)) return false;
    if (!m_aNativeWindowControl.Add(pControl)) {
        m_aNativeWindow.Remove(m_aNativeWindow.GetSize() - 1);
        return false;
    }
    RECT rc = GetNativeWindowRect(hChildWnd);
    Invalidate(rc);
    return true;
}

bool CPaintManagerUI::RemoveNativeWindow(HWND hChildWnd)
{
    int i = m_aNativeWindow.Find(hChildWnd);
    if (i < 0) return false;
    m_aNativeWindow.Remove(i);
    m_aNativeWindowControl.Remove(i);
    return true;
}

// ---------------------------------------------------------------------------
// message routing

WORD CPaintManagerUI::CurrentKeyState()
{
    // One snapshot of the thread's key state instead of a query per key.
    BYTE keys[256];
    if (!::GetKeyboardState(keys)) return 0;
    WORD w = 0;
    if ((keys[VK_LBUTTON] & 0x80) != 0) w |= UIKEYSTATE_LBUTTON;
    if ((keys[VK_RBUTTON] & 0x80) != 0) w |= UIKEYSTATE_RBUTTON;
    if ((keys[VK_SHIFT] & 0x80) != 0) w |= UIKEYSTATE_SHIFT;
    if ((keys[VK_CONTROL] & 0x80) != 0) w |= UIKEYSTATE_CONTROL;
    if ((keys[VK_MENU] & 0x80) != 0) w |= UIKEYSTATE_ALT;
    return w;
}

WORD CPaintManagerUI::MouseKeyState(WPARAM wParam)
{
    // A mouse message carries the buttons, Shift and Ctrl as they were when it was made, which is what the
    // thread's key state says while it is handled; only Alt needs asking. The middle and extra buttons are
    // not part of the word (MK_XBUTTON1 shares its bit with UIKEYSTATE_ALT).
    const WORD keys = static_cast<WORD>(wParam);
    WORD w = 0;
    if ((keys & MK_LBUTTON) != 0) w |= UIKEYSTATE_LBUTTON;
    if ((keys & MK_RBUTTON) != 0) w |= UIKEYSTATE_RBUTTON;
    if ((keys & MK_SHIFT) != 0) w |= UIKEYSTATE_SHIFT;
    if ((keys & MK_CONTROL) != 0) w |= UIKEYSTATE_CONTROL;
    if (::GetKeyState(VK_MENU) < 0) w |= UIKEYSTATE_ALT;
    return w;
}

void CPaintManagerUI::SendSyntheticMouseMove(LPARAM lPoint)
{
    // A move made up here carries no key flags of its own: its handler reads the whole state instead.
    const bool bOuter = m_bSyntheticMove;
    m_bSyntheticMove = true;
    ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, lPoint);
    m_bSyntheticMove = bOuter;
}

void CPaintManagerUI::SendEvent(CControlUI* pControl, int type, WPARAM wParam, LPARAM lParam, WORD wKeyState)
{
    Deliver(pControl, MakeEvent(type, pControl, m_ptLastMousePos, wKeyState, wParam, lParam));
}

void CPaintManagerUI::SendKeyEvent(CControlUI* pControl, int type, WPARAM wParam, LPARAM lParam)
{
    TEventUI event = MakeEvent(type, pControl, m_ptLastMousePos, CurrentKeyState(), wParam, lParam);
    event.chKey = static_cast<wchar_t>(wParam);
    Deliver(pControl, event);
}

void CPaintManagerUI::MessageLoop()
{
    MSG msg = {};
    for (;;) {
        BOOL bRet = ::GetMessageW(&msg, nullptr, 0, 0);
        if (bRet == 0 || bRet == -1) break;
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

bool CPaintManagerUI::TranslateMessage(const LPMSG pMsg)
{
    if (pMsg == nullptr) return false;
    LRESULT lRes = 0;
    LONG_PTR uStyle = ::GetWindowLongPtrW(pMsg->hwnd, GWL_STYLE);
    if ((uStyle & WS_CHILD) != 0) {
        HWND hWndParent = ::GetParent(pMsg->hwnd);
        for (int i = 0; i < m_aPreMessages.GetSize(); ++i) {
            auto* pT = static_cast<CPaintManagerUI*>(m_aPreMessages.GetAt(i));
            HWND hPaint = pT->GetPaintWindow();
            for (HWND hTemp = hWndParent; hTemp != nullptr; hTemp = ::GetParent(hTemp)) {
                if (pMsg->hwnd == hPaint || hTemp == hPaint) {
                    if (pT->TranslateAccelerator(pMsg)) return true;
                    pT->PreMessageHandler(pMsg->message, pMsg->wParam, pMsg->lParam, lRes);
                    // Once per manager: a second pass would, for instance, move the focus twice on Tab.
                    break;
                }
            }
        }
        return false;
    }
    for (int i = 0; i < m_aPreMessages.GetSize(); ++i) {
        auto* pT = static_cast<CPaintManagerUI*>(m_aPreMessages.GetAt(i));
        if (pMsg->hwnd == pT->GetPaintWindow()) {
            if (pT->TranslateAccelerator(pMsg)) return true;
            return pT->PreMessageHandler(pMsg->message, pMsg->wParam, pMsg->lParam, lRes);
        }
    }
    return false;
}

CPaintManagerUI* CPaintManagerUI::GetPaintManager(LPCTSTR pstrName)
{
    if (pstrName == nullptr || *pstrName == 0) return nullptr;
    for (int i = 0; i < m_aPreMessages.GetSize(); ++i) {
        auto* pManager = static_cast<CPaintManagerUI*>(m_aPreMessages.GetAt(i));
        if (pManager->m_sName == pstrName) return pManager;
    }
    return nullptr;
}

CStdPtrArray* CPaintManagerUI::GetPaintManagers()
{
    return &m_aPreMessages;
}

bool CPaintManagerUI::PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& /*lRes*/)
{
    CHandlerScope scope(*this);
    for (int i = 0; i < m_aPreMessageFilters.GetSize(); ++i) {
        bool bHandled = false;
        static_cast<IMessageFilterUI*>(m_aPreMessageFilters.GetAt(i))->MessageHandler(uMsg, wParam, lParam, bHandled);
        if (bHandled) return true;
    }
    NoteKeyboardNavigation(uMsg, wParam);
    switch (uMsg) {
    case WM_KEYDOWN:
        if (wParam == VK_TAB) {
            if (m_pFocus != nullptr && m_pFocus->IsVisible() && m_pFocus->IsEnabled() &&
                ClassContains(m_pFocus, L"RichEditUI")) {
                auto* pEdit = static_cast<CRichEditUI*>(m_pFocus->GetInterface(L"RichEdit"));
                if (pEdit != nullptr && pEdit->IsWantTab()) return false;
            }
            if (m_pFocus != nullptr && ClassContains(m_pFocus, L"WkeWebkitUI")) return false;
            SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
            return true;
        }
        break;
    case WM_SYSCHAR: {
        if (m_pRoot == nullptr) return false;
        FINDSHORTCUT fs = {UpperChar(static_cast<wchar_t>(wParam)), false};
        // Walked in markup order, so a label's shortcut reaches the control placed after it, as in
        // every Windows dialog; walking topmost-first would land on the control before the label.
        CControlUI* pControl = m_pRoot->FindControl(__FindControlFromShortcut, &fs,
                                                    UIFIND_ENABLED | UIFIND_ME_FIRST);
        if (pControl != nullptr) {
            pControl->SetFocus();
            pControl->Activate();
            return true;
        }
        break;
    }
    case WM_SYSKEYDOWN:
        if (m_pFocus != nullptr) {
            SendKeyEvent(m_pFocus, UIEVENT_SYSKEY, wParam, lParam);
        }
        break;
    default:
        break;
    }
    return false;
}

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    if (m_hWndPaint == nullptr) return false;
    CHandlerScope scope(*this);

    for (int i = 0; i < m_aMessageFilters.GetSize(); ++i) {
        bool bHandled = false;
        LRESULT lResult = static_cast<IMessageFilterUI*>(m_aMessageFilters.GetAt(i))
                              ->MessageHandler(uMsg, wParam, lParam, bHandled);
        if (bHandled) {
            lRes = lResult;
            if (uMsg == WM_CONTEXTMENU || uMsg == WM_MOUSEWHEEL) {
                POINT pt = PointFromLParam(lParam);
                ::ScreenToClient(m_hWndPaint, &pt);
                m_ptLastMousePos = pt;
            } else if (uMsg >= WM_MOUSEMOVE && uMsg <= WM_LBUTTONDBLCLK) {
                m_ptLastMousePos = PointFromLParam(lParam);
            }
            return true;
        }
    }

    if (m_bLayered) {
        switch (uMsg) {
        case WM_NCACTIVATE:
            if (!::IsIconic(m_hWndPaint)) {
                lRes = (wParam == 0) ? TRUE : FALSE;
                return true;
            }
            break;
        case WM_NCCALCSIZE:
        case WM_NCPAINT:
            lRes = 0;
            return true;
        default:
            break;
        }
    }

    if (HandleAccessibleMessage(uMsg, wParam, lParam, lRes)) return true;

    switch (uMsg) {
    case WM_UI_ASYNC:
        DrainAsync();
        break;
    case WM_DESTROY:
        RevokeDropTarget();
        break;
    case WM_CLOSE: {
        WORD wKeyState = CurrentKeyState();
        SendEvent(m_pEventHover, UIEVENT_MOUSELEAVE, wParam, lParam, wKeyState);
        SendEvent(m_pEventClick, UIEVENT_BUTTONUP, wParam, lParam, wKeyState);
        SetFocus(nullptr);
        if (::GetActiveWindow() == m_hWndPaint) {
            HWND hwndOwner = ::GetWindow(m_hWndPaint, GW_OWNER);
            if (hwndOwner != nullptr) ::SetFocus(hwndOwner);
        }
        if (m_hwndTooltip != nullptr) {
            ::DestroyWindow(m_hwndTooltip);
            m_hwndTooltip = nullptr;
        }
        break;
    }
    case WM_ERASEBKGND:
        lRes = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        lRes = 0;
        return true;
    case WM_PRINTCLIENT:
        OnPrintClient(wParam, lParam);
        break;
    case WM_GETMINMAXINFO: {
        auto* lpMMI = reinterpret_cast<LPMINMAXINFO>(lParam);
        if (lpMMI == nullptr) break;
        if (m_szMinWindow.cx > 0) lpMMI->ptMinTrackSize.x = m_szMinWindow.cx;
        if (m_szMinWindow.cy > 0) lpMMI->ptMinTrackSize.y = m_szMinWindow.cy;
        if (m_szMaxWindow.cx > 0) {
            lpMMI->ptMaxTrackSize.x = m_szMaxWindow.cx;
            lpMMI->ptMaxSize.x = m_szMaxWindow.cx;
        }
        if (m_szMaxWindow.cy > 0) {
            lpMMI->ptMaxTrackSize.y = m_szMaxWindow.cy;
            lpMMI->ptMaxSize.y = m_szMaxWindow.cy;
        }
        break;
    }
    case WM_SIZE:
        if (m_pFocus != nullptr) SendEvent(m_pFocus, UIEVENT_WINDOWSIZE, wParam, lParam, 0);
        if (m_pRoot != nullptr) m_pRoot->NeedUpdate();
        lRes = 0;
        return true;
    case WM_TIMER:
        DispatchTimer(wParam, lParam);
        break;
    case WM_MOUSEHOVER:
        if (DispatchMouseHover(lParam)) {
            lRes = 0;
            return true;
        }
        break;
    case WM_MOUSELEAVE:
        DispatchMouseLeave();
        break;
    case WM_MOUSEMOVE:
        DispatchMouseMove(wParam, lParam);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        DispatchButton(uMsg, wParam, lParam);
        break;
    case WM_CONTEXTMENU: {
        POINT pt = PointFromLParam(lParam);
        ::ScreenToClient(m_hWndPaint, &pt);
        m_ptLastMousePos = pt;
        if (m_pEventClick == nullptr) break;
        ReleaseCapture();
        CControlUI* pClick = m_pEventClick;
        SendEvent(pClick, UIEVENT_CONTEXTMENU, wParam, reinterpret_cast<LPARAM>(pClick), CurrentKeyState());
        m_pEventClick = nullptr;
        break;
    }
    case WM_MOUSEWHEEL: {
        POINT pt = PointFromLParam(lParam);
        ::ScreenToClient(m_hWndPaint, &pt);
        m_ptLastMousePos = pt;
        CControlUI* pControl = FindControl(pt);
        if (pControl == nullptr || pControl->GetManager() != this) break;
        int zDelta = static_cast<short>(HIWORD(wParam));
        WPARAM wEvent = MAKEWPARAM(zDelta < 0 ? SB_LINEDOWN : SB_LINEUP, HIWORD(wParam));
        SendEvent(pControl, UIEVENT_SCROLLWHEEL, wEvent, lParam, MouseKeyState(LOWORD(wParam)));
        SendSyntheticMouseMove(MAKELPARAM(m_ptLastMousePos.x, m_ptLastMousePos.y));
        break;
    }
    case WM_CHAR:
        if (m_pFocus != nullptr) {
            SendKeyEvent(m_pFocus, UIEVENT_CHAR, wParam, lParam);
        }
        break;
    case WM_KEYDOWN:
        if (m_pFocus != nullptr) {
            m_pEventKey = m_pFocus;
            SendKeyEvent(m_pFocus, UIEVENT_KEYDOWN, wParam, lParam);
        }
        break;
    case WM_KEYUP:
        if (m_pEventKey != nullptr) {
            CControlUI* pKey = m_pEventKey;
            m_pEventKey = nullptr;
            SendKeyEvent(pKey, UIEVENT_KEYUP, wParam, lParam);
        }
        break;
    case WM_SETCURSOR: {
        if (m_pRoot == nullptr || LOWORD(lParam) != HTCLIENT) break;
        if (m_bMouseCapture) {
            lRes = TRUE;
            return true;
        }
        POINT pt = {0, 0};
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_hWndPaint, &pt);
        CControlUI* pControl = FindControl(pt);
        if (pControl == nullptr || (pControl->GetControlFlags() & UIFLAG_SETCURSOR) == 0) break;
        Deliver(pControl, MakeEvent(UIEVENT_SETCURSOR, pControl, pt, CurrentKeyState(), wParam, lParam));
        lRes = TRUE;
        return true;
    }
    case WM_SETFOCUS:
        if (m_pFocus != nullptr) SendEvent(m_pFocus, UIEVENT_SETFOCUS, wParam, lParam, 0);
        break;
    case WM_KILLFOCUS:
        if (IsCaptured()) CancelClick();
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (Alt+Tab, a menu, a system loop) while a control was
        // held: its button-up will go elsewhere.
        if (m_bMouseCapture && reinterpret_cast<HWND>(lParam) != m_hWndPaint) {
            m_bMouseCapture = false;
            m_bDragMode = false;
            CancelClick();
        }
        break;
    case WM_NOTIFY: {
        auto* lpNMHDR = reinterpret_cast<LPNMHDR>(lParam);
        if (lpNMHDR == nullptr || lpNMHDR->hwndFrom == nullptr) break;
        lRes = ::SendMessageW(lpNMHDR->hwndFrom, OCM__BASE_UI + uMsg, wParam, lParam);
        return true;
    }
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        if (lParam == 0) break;
        HWND hWndChild = reinterpret_cast<HWND>(lParam);
        lRes = ::SendMessageW(hWndChild, OCM__BASE_UI + uMsg, wParam, lParam);
        if (lRes != 0) return true;
        break;
    }
    default:
        break;
    }
    return false;
}

bool CPaintManagerUI::DispatchMouseMove(WPARAM wParam, LPARAM lParam)
{
    if (!m_bMouseTracking) {
        TRACKMOUSEEVENT tme = {};
        tme.cbSize = sizeof(TRACKMOUSEEVENT);
        tme.dwFlags = TME_HOVER | TME_LEAVE;
        tme.hwndTrack = m_hWndPaint;
        tme.dwHoverTime = (m_hwndTooltip == nullptr)
                              ? static_cast<DWORD>(m_iHoverTime)
                              : static_cast<DWORD>(::SendMessageW(m_hwndTooltip, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
        ::TrackMouseEvent(&tme);
        m_bMouseTracking = true;
    }
    POINT pt = PointFromLParam(lParam);
    bool bMoved = pt.x != m_ptLastMousePos.x || pt.y != m_ptLastMousePos.y;
    m_ptLastMousePos = pt;
    CControlUI* pNewHover = FindControl(pt);
    if (pNewHover != nullptr && pNewHover->GetManager() != this) return false;

    if (bMoved && m_bDragMode && wParam == MK_LBUTTON) {
        DoDragOut();
        return false;
    }

    const WORD wKeyState = m_bSyntheticMove ? CurrentKeyState() : MouseKeyState(wParam);
    if (!IsCaptured()) {
        if (pNewHover != m_pEventHover && m_pEventHover != nullptr) {
            CControlUI* pOldHover = m_pEventHover;
            // Walk a snapshot: a control may leave the list while it handles the event.
            std::vector<CControlUI*> aLocal;
            std::vector<CControlUI*>& aList = (m_iMouseLeaveDepth == 0) ? m_vMouseLeaveScratch : aLocal;
            aList.clear();
            for (int i = 0; i < m_aNeedMouseLeaveNeeded.GetSize(); ++i) {
                aList.push_back(static_cast<CControlUI*>(m_aNeedMouseLeaveNeeded.GetAt(i)));
            }
            ++m_iMouseLeaveDepth;
            for (CControlUI* pControl : aList) {
                if (m_aNeedMouseLeaveNeeded.Find(pControl) < 0) continue;  // reaped meanwhile
                Deliver(pControl, MakeEvent(UIEVENT_MOUSELEAVE, pOldHover, pt, wKeyState, wParam, lParam));
            }
            --m_iMouseLeaveDepth;
            if (m_pEventHover == pOldHover) {
                Deliver(pOldHover, MakeEvent(UIEVENT_MOUSELEAVE, pOldHover, pt, wKeyState, wParam, lParam));
            }
            m_pEventHover = nullptr;
            if (m_hwndTooltip != nullptr) ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_ToolTip));
            // The leave handlers may have changed the tree; look again.
            pNewHover = FindControl(pt);
            if (pNewHover != nullptr && pNewHover->GetManager() != this) pNewHover = nullptr;
        }
        if (pNewHover != nullptr && pNewHover != m_pEventHover) {
            m_pEventHover = pNewHover;
            Deliver(pNewHover, MakeEvent(UIEVENT_MOUSEENTER, pNewHover, pt, wKeyState, wParam, lParam));
            pNewHover = m_pEventHover;  // null when the enter handler removed it
        }
    }
    CControlUI* pTarget = (m_pEventClick != nullptr) ? m_pEventClick : pNewHover;
    Deliver(pTarget, MakeEvent(UIEVENT_MOUSEMOVE, pTarget, pt, wKeyState, wParam, lParam));
    return false;
}

bool CPaintManagerUI::DispatchMouseHover(LPARAM lParam)
{
    m_bMouseTracking = false;
    POINT pt = PointFromLParam(lParam);
    CControlUI* pHover = FindControl(pt);
    if (pHover == nullptr) return false;
    CControlWatch watch(*this, pHover);
    Deliver(m_pEventHover, MakeEvent(UIEVENT_MOUSEHOVER, m_pEventHover, pt, CurrentKeyState(), 0, lParam));
    if (pHover != nullptr) ShowToolTip(pHover);
    return true;
}

void CPaintManagerUI::ShowToolTip(CControlUI* pHover)
{
    CUIString sToolTip = pHover->GetToolTip();
    if (sToolTip.IsEmpty()) return;
    m_sToolTipText = sToolTip;
    ::ZeroMemory(&m_ToolTip, sizeof(m_ToolTip));
    m_ToolTip.cbSize = sizeof(TOOLINFOW);
    m_ToolTip.uFlags = TTF_IDISHWND;
    m_ToolTip.hwnd = m_hWndPaint;
    m_ToolTip.uId = reinterpret_cast<UINT_PTR>(m_hWndPaint);
    m_ToolTip.hinst = m_hInstance;
    m_ToolTip.lpszText = const_cast<LPWSTR>(m_sToolTipText.GetData());
    m_ToolTip.rect = pHover->GetPos();
    if (m_hwndTooltip == nullptr) {
        // The tooltip is the one common control of the framework, so the common controls are set up when the
        // first one is made: a window that shows none never pays for them (classes, theming) at its start.
        // A native common control hosted by a program comes through the program's manifest, as in any program.
        ::InitCommonControls();
        m_hwndTooltip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWndPaint,
                                          nullptr, m_hInstance, nullptr);
        if (m_hwndTooltip == nullptr) return;
        ::SendMessageW(m_hwndTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    }
    // Every control has its own width; the first hovered one must not decide for all.
    ::SendMessageW(m_hwndTooltip, TTM_SETMAXTIPWIDTH, 0, pHover->GetToolTipWidth());
    if (!::IsWindowVisible(m_hwndTooltip)) {
        ::SendMessageW(m_hwndTooltip, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
        ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_ToolTip));
    }
}

void CPaintManagerUI::DispatchMouseLeave()
{
    if (m_hwndTooltip != nullptr) {
        ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_ToolTip));
    }
    if (m_bMouseTracking) {
        POINT pt = {0, 0};
        RECT rcWnd = {0, 0, 0, 0};
        ::GetCursorPos(&pt);
        ::GetWindowRect(m_hWndPaint, &rcWnd);
        bool bInside = !::IsIconic(m_hWndPaint) && ::GetActiveWindow() == m_hWndPaint && ::PtInRect(&rcWnd, pt);
        LPARAM lPoint = MAKELPARAM(-1, -1);
        if (bInside) {
            LRESULT hit = ::SendMessageW(m_hWndPaint, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
            if (hit == HTCLIENT) {
                ::ScreenToClient(m_hWndPaint, &pt);
                lPoint = MAKELPARAM(pt.x, pt.y);
            }
        }
        SendSyntheticMouseMove(lPoint);
    }
    m_bMouseTracking = false;
}

void CPaintManagerUI::Press(CControlUI* pControl, TEventUI event, bool bFocus)
{
    // Capture and click control first: when the control is removed by its focus or press handlers the
    // reaping finds it as the click control and lets the capture go.
    SetCapture();
    m_pEventClick = pControl;
    CControlWatch watch(*this, pControl);
    if (bFocus) pControl->SetFocus();
    if (pControl != nullptr) pControl->Event(event);
}

void CPaintManagerUI::DispatchButton(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    POINT pt = PointFromLParam(lParam);
    m_ptLastMousePos = pt;
    const WORD wButtons = LOWORD(wParam);

    auto makeEvent = [&](int type, CControlUI* pSender) { return MakeEvent(type, pSender, pt, wButtons, wParam, lParam); };

    switch (uMsg) {
    case WM_LBUTTONDOWN: {
        if (!m_bNoActivate) ::SetFocus(m_hWndPaint);
        CControlUI* pControl = FindControl(pt);
        if (pControl == nullptr || pControl->GetManager() != this) return;
        if (pControl->IsDragEnabled()) {
            m_bDragMode = true;
            m_hDragBitmap.Reset(CRenderEngine::GenerateBitmap(this, pControl, pControl->GetPos()));
        }
        Press(pControl, makeEvent(UIEVENT_BUTTONDOWN, pControl), true);
        break;
    }
    case WM_LBUTTONUP: {
        if (m_pEventClick == nullptr) return;
        ReleaseCapture();
        CControlUI* pClick = m_pEventClick;
        TEventUI event = makeEvent(UIEVENT_BUTTONUP, pClick);
        pClick->Event(event);
        m_pEventClick = nullptr;
        break;
    }
    case WM_LBUTTONDBLCLK: {
        if (!m_bNoActivate) ::SetFocus(m_hWndPaint);
        CControlUI* pControl = FindControl(pt);
        if (pControl == nullptr || pControl->GetManager() != this) return;
        Press(pControl, makeEvent(UIEVENT_DBLCLICK, pControl), false);
        break;
    }
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        if (!m_bNoActivate) ::SetFocus(m_hWndPaint);
        CControlUI* pControl = FindControl(pt);
        if (pControl == nullptr || pControl->GetManager() != this) return;
        Press(pControl, makeEvent(uMsg == WM_RBUTTONDOWN ? UIEVENT_RBUTTONDOWN : UIEVENT_MBUTTONDOWN, pControl), true);
        break;
    }
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        if (m_bMouseCapture) ReleaseCapture();
        CControlUI* pControl = FindControl(pt);
        if (pControl != nullptr && pControl->GetManager() != this) pControl = nullptr;
        m_pEventClick = pControl;
        if (pControl == nullptr) return;
        TEventUI event = makeEvent(uMsg == WM_RBUTTONUP ? UIEVENT_RBUTTONUP : UIEVENT_MBUTTONUP, pControl);
        pControl->Event(event);
        break;
    }
    default:
        break;
    }
}

}  // namespace Veneer
