#include "samples/SampleWindow.h"

#include "ui/controls/UIRichEdit.h"
#include "ui/controls/UITabLayout.h"

#include <cwchar>

using namespace Veneer;

namespace {

// The options in the order of the pages they show.
const wchar_t* const kPageOptions[] = {L"opt_list", L"opt_notes", L"opt_about"};

} // namespace

void CSampleWindow::InitWindow()
{
    ShowTextLength();
}

void CSampleWindow::Notify(TNotifyUI& msg)
{
    // Notifications arrive on the UI thread, after the control changed; names are the markup's.
    if (msg.sType == L"selectchanged") ShowPageOf(msg.pSender);
    if (msg.sType == L"textchanged" && msg.pSender->GetName() == L"edit_notes") ShowTextLength();
    // The frame answers the caption buttons ("windowclosebtn" and the like).
    CUIFrameWnd::Notify(msg);
}

void CSampleWindow::OnFinalMessage(HWND hWnd)
{
    CUIFrameWnd::OnFinalMessage(hWnd);
    // The application object deletes this window after the loop; here the loop is told to end.
    ::PostQuitMessage(0);
}

void CSampleWindow::ShowPageOf(CControlUI* pOption)
{
    auto* pPages = static_cast<CTabLayoutUI*>(m_pm.FindControl(L"pages"));
    if (pPages == nullptr || pOption == nullptr) return;
    for (int i = 0; i < static_cast<int>(sizeof(kPageOptions) / sizeof(kPageOptions[0])); ++i) {
        if (pOption->GetName() == kPageOptions[i]) pPages->SelectItem(i);
    }
}

void CSampleWindow::ShowTextLength()
{
    auto* pEdit = static_cast<CRichEditUI*>(m_pm.FindControl(L"edit_notes"));
    CControlUI* pCount = m_pm.FindControl(L"lb_count");
    if (pEdit == nullptr || pCount == nullptr) return;
    wchar_t text[64];
    std::swprintf(text, sizeof(text) / sizeof(text[0]), L"%d characters", pEdit->GetText().GetLength());
    pCount->SetText(text);
}
