#include "installer/App.h"

#include "installer/ui/MainFrame.h"
#include "ui/core/UILangManager.h"

#include <new>

using namespace Veneer;

CApp g_App;

namespace {
// WS_VISIBLE | WS_OVERLAPPEDWINDOW: the skin removes the caption and sets the real size.
const DWORD kMainWindowStyle = 0x10CF0000;
} // namespace

CApp::~CApp() = default;

bool CApp::InitInstance(HINSTANCE hInstance)
{
    if (!CUIApplication::InitInstance(hInstance))
        return false;
    // The markup is first built with the Chinese package; start-up then switches to the system's language.
    CLangManagerUI::SetLanguage(L"Lang\\ChineseSimplified", L"chs");
    CMainFrame* frame = new (std::nothrow) CMainFrame();
    if (!frame)
        return false;
    SetMainWnd(frame);
    frame->Create(nullptr, GetAppName(), kMainWindowStyle, 0, 0, 0, 0, 0, nullptr);
    frame->CenterWindow();
    return true;
}

int CApp::ExitInstance()
{
    // Leaving looks instant: the window goes first, and so does the single-instance guard, so that a start
    // right after this one is a start of its own (not an activation of a window on its way out). Only then is
    // the window object deleted, which gives the report threads their budget, with nothing left on screen.
    if (m_pMainWnd != nullptr && m_pMainWnd->GetHWND() != nullptr)
        ::ShowWindow(m_pMainWnd->GetHWND(), SW_HIDE);
    m_hMutex.Reset();
    return CUIApplication::ExitInstance();
}
