#pragma once
// The installer's application object: single instance, skin from the program's resources, main window.
#include "ui/core/UIApplication.h"

class CApp : public Veneer::CUIApplication
{
public:
    ~CApp() override;
    bool InitInstance(HINSTANCE hInstance) override;
    int ExitInstance() override;
};

extern CApp g_App;
