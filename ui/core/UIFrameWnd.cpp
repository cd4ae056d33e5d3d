#include "ui/core/UIFrameWnd.h"

#include <algorithm>

#include "ui/controls/UIControl.h"
#include "ui/core/UIApplication.h"
#include "ui/core/UIForm.h"

namespace Veneer {

CUIFrameWnd::CUIFrameWnd()
    : m_pApp(nullptr)
{
}

CUIFrameWnd::~CUIFrameWnd()
{
    // Forms of a frame whose window never existed (or still exists when the
    // object goes) would otherwise be lost.
    for (CUIForm* pForm : m_aForms) delete pForm;
    m_aForms.clear();
}

CUIForm* CUIFrameWnd::GetForm(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetFormCount()) return nullptr;
    return m_aForms[static_cast<size_t>(nIndex)];
}

void CUIFrameWnd::AttachVirtualForm(CUIForm* pForm)
{
    if (pForm == nullptr) return;
    if (std::find(m_aForms.begin(), m_aForms.end(), pForm) != m_aForms.end()) return;
    m_aForms.push_back(pForm);
    pForm->SetFrameWnd(this);
}

void CUIFrameWnd::DetachVirtualForm(CUIForm* pForm)
{
    auto it = std::find(m_aForms.begin(), m_aForms.end(), pForm);
    if (it == m_aForms.end()) return;
    m_aForms.erase(it);
    pForm->SetFrameWnd(nullptr);
}

void CUIFrameWnd::InitWindow()
{
}

void CUIFrameWnd::__InitWindow()
{
    for (CUIForm* pForm : m_aForms) pForm->InitWindow();
    InitWindow();
}

CControlUI* CUIFrameWnd::CreateControl(LPCWSTR pstrClass)
{
    for (CUIForm* pForm : m_aForms) {
        CControlUI* pControl = pForm->CreateControl(pstrClass);
        if (pControl != nullptr) return pControl;
    }
    return nullptr;
}

LRESULT CUIFrameWnd::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    return SysCommandWithButtons(uMsg, wParam, lParam, bHandled, L"windowmaxbtn", L"windowrestorebtn");
}

LRESULT CUIFrameWnd::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    bHandled = FALSE;
    if (OnCustomMessage(uMsg, wParam, lParam)) {
        bHandled = TRUE;
        return 0;
    }
    for (CUIForm* pForm : m_aForms) {
        if (pForm->OnCustomMessage(uMsg, wParam, lParam)) {
            bHandled = TRUE;
            return 0;
        }
    }
    return 0;
}

LRESULT CUIFrameWnd::HandleMenuCommandMessage(UINT uMsg, WPARAM wParam, LPARAM /*lParam*/, BOOL& bHandled)
{
    bHandled = FALSE;
    if (wParam == 0) return 0;
    if (uMsg == UIMSG_MENU_COMMAND) {
        // Only records issued by AllocMenuCmd are accepted: the pointer comes
        // from a window message that anybody may post.
        MenuCmd* pCmd = reinterpret_cast<MenuCmd*>(wParam);
        if (!IsLiveMenuCmd(pCmd)) return 0;
        bHandled = TRUE;
        if (!OnMenuCommand(pCmd)) {
            for (CUIForm* pForm : m_aForms) {
                if (pForm->OnMenuCommand(pCmd)) break;
            }
        }
        FreeMenuCmd(pCmd);
        return 0;
    }
    if (uMsg == UIMSG_MENU_UPDATE_COMMAND_UI) {
        CMenuCmdUI* pCmdUI = reinterpret_cast<CMenuCmdUI*>(wParam);
        bHandled = TRUE;
        if (!OnMenuUpdateCommandUI(pCmdUI)) {
            for (CUIForm* pForm : m_aForms) {
                if (pForm->OnMenuUpdateCommandUI(pCmdUI)) break;
            }
        }
        return 0;
    }
    return 0;
}

LRESULT CUIFrameWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    BOOL bHandled = TRUE;
    LRESULT lRes = 0;
    switch (uMsg) {
    case WM_RBUTTONDOWN: lRes = OnRButtonDown(uMsg, wParam, lParam, bHandled); break;
    case WM_RBUTTONUP: lRes = OnRButtonUp(uMsg, wParam, lParam, bHandled); break;
    default: lRes = HandleFixedMessage(uMsg, wParam, lParam, bHandled); break;
    }
    if (bHandled) return lRes;

    // A second instance of the program asks the running one to show itself.
    // An unregistered number (0) is WM_NULL and never an activation.
    if (m_pApp != nullptr && m_pApp->GetActivateMessage() != 0 && uMsg == m_pApp->GetActivateMessage()) {
        ::ShowWindow(m_hWnd, SW_SHOW);
        SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
        ::SetForegroundWindow(m_hWnd);
        return 1;
    }

    bHandled = FALSE;
    lRes = HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    if (bHandled) return lRes;

    bHandled = FALSE;
    lRes = HandleMenuCommandMessage(uMsg, wParam, lParam, bHandled);
    if (bHandled) return lRes;

    return HandleDefaultMessage(uMsg, wParam, lParam);
}

void CUIFrameWnd::Notify(TNotifyUI& msg)
{
    const CUIString sName = msg.pSender != nullptr ? msg.pSender->GetName() : CUIString();
    if (msg.sType == L"click") {
        if (sName == L"windowclosebtn") {
            Close(IDCANCEL);
        } else if (sName == L"windowminbtn") {
            SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
        } else if (sName == L"windowmaxbtn") {
            SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        } else if (sName == L"windowrestorebtn") {
            SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
        }
    } else if (msg.sType == L"windowinit") {
        ShowMaxRestoreButtons(::IsZoomed(m_hWnd) != FALSE, L"windowmaxbtn", L"windowrestorebtn");
    } else if (msg.sType == L"tabactiveform" || msg.sType == L"tabnoactiveform") {
        const bool bActive = msg.sType == L"tabactiveform";
        for (CUIForm* pForm : m_aForms) {
            if (!pForm->IsForm(sName.GetData())) continue;
            if (bActive) pForm->OnActiveForm();
            else pForm->OnHideForm();
            return;
        }
    }
    // A form's handler may detach forms; walk a copy.
    const std::vector<CUIForm*> aForms(m_aForms);
    for (CUIForm* pForm : aForms) pForm->Notify(msg);
    CUIFrmBase::Notify(msg);
}

void CUIFrameWnd::OnFinalMessage(HWND hWnd)
{
    for (CUIForm* pForm : m_aForms) delete pForm;
    m_aForms.clear();
    WindowImplBase::OnFinalMessage(hWnd);
}

void CUIFrameWnd::ShowFullScreen()
{
    if (!::IsWindow(m_hWnd)) return;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace Veneer
