#include "installer/ui/MsgWnd.h"

#include "ui/controls/UIControl.h"
#include "ui/core/UILangManager.h"

using namespace Veneer;

namespace {
const LANGID kEnglishUs = 1033;
const LANGID kChineseSimplified = 2052;
} // namespace

void CMsgWnd::OnFinalMessage(HWND hWnd)
{
    CUIFrameWnd::OnFinalMessage(hWnd);
    delete this;
}

void CMsgWnd::OnSkinFailed()
{
    ::ExitProcess(1);
}

LRESULT CMsgWnd::OnSysCommand(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT CMsgWnd::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

void CMsgWnd::InitWindow()
{
    // Any other system language keeps what start-up chose.
    const LANGID language = ::GetSystemDefaultLangID();
    if (language == kEnglishUs)
    {
        CLangManagerUI::SetLanguage(L"Lang\\English", L"en");
        m_pm.GetLangManager()->ReloadLanguage();
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
        m_pm.NeedUpdate();
    }
    else if (language == kChineseSimplified)
    {
        CLangManagerUI::SetLanguage(L"Lang\\ChineseSimplified", L"chs");
        m_pm.GetLangManager()->ReloadLanguage();
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    }
    // Screen readers announce a dialog (title, then its text) on this event.
    ::NotifyWinEvent(EVENT_SYSTEM_DIALOGSTART, m_hWnd, OBJID_WINDOW, CHILDID_SELF);
}

LRESULT CMsgWnd::ResponseDefaultKeyEvent(WPARAM wParam)
{
    if (wParam != VK_ESCAPE)
        return 1;
    Close(0);
    return 0;
}

void CMsgWnd::Notify(TNotifyUI& msg)
{
    if (msg.sType == L"click")
    {
        const CUIString name = msg.pSender->GetName();
        if (name == L"btn_Close")
        {
            Close(0);
            return;
        }
        if (name.CompareNoCase(L"btn_confirm") == 0)
            Close(1);
        else if (name.CompareNoCase(L"btn_cancel") == 0)
            Close(0);
    }
    WindowImplBase::Notify(msg);
}

void CMsgWnd::SetNamedText(LPCWSTR name, LPCWSTR text)
{
    if (!text || !*text)
        return;
    if (CControlUI* control = m_pm.FindControl(name))
        control->SetText(text);
}

void CMsgWnd::SetTitle(LPCWSTR text)
{
    SetNamedText(L"MessageTitle", text);
}

void CMsgWnd::SetMsg(LPCWSTR text)
{
    SetNamedText(L"MessageText", text);
}

unsigned ShowConfirmDialog(HWND parent, const wchar_t* title, const wchar_t* text)
{
    // Deletes itself with its window.
    CMsgWnd* dialog = new CMsgWnd();
    if (!dialog->Create(parent, L"msgwnd", WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT))
    {
        delete dialog; // no window, so no final message to delete it
        return 0;
    }
    dialog->CenterWindow();
    dialog->SetTitle(title);
    dialog->SetMsg(text);
    return dialog->ShowModal();
}
