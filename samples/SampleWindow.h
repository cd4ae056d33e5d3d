#pragma once
// The sample's one window: markup from the program's resources, a list of options that picks the page of a
// tab layout, and a rich edit whose text length is shown below it.
#include "ui/core/UIFrameWnd.h"

class CSampleWindow : public Veneer::CUIFrameWnd
{
public:
    LPCWSTR GetWindowClassName() const override { return L"VeneerSampleWindow"; }
    // An id and a resource type: the markup is the module's XML resource 101 (SampleWindow.rc).
    Veneer::CUIString GetSkinType() override { return L"XML"; }
    Veneer::CUIString GetSkinFile() override { return L"101"; }

    void InitWindow() override;
    void Notify(Veneer::TNotifyUI& msg) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    void ShowPageOf(Veneer::CControlUI* pOption);
    void ShowTextLength();
};
