// The shortest program built on Veneer: an application object, one window, the message loop.
#include "samples/SampleWindow.h"
#include "ui/core/UIApplication.h"

#include <windows.h>

#include <new>

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int)
{
    Veneer::CUIApplication app;
    if (!app.InitInstance(hInstance)) return 1;
    auto* pWindow = new (std::nothrow) CSampleWindow;
    if (pWindow == nullptr) return 1;
    app.SetMainWnd(pWindow); // owned by the application from here: ExitInstance deletes it
    // The markup's Window element gives the real size; the caption is drawn by the markup, not the system.
    if (pWindow->Create(nullptr, L"Veneer sample", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 0, 0, 0) == nullptr) {
        app.ExitInstance();
        return 1;
    }
    pWindow->CenterWindow();
    app.Run();
    return app.ExitInstance();
}
