#pragma once
// The small modal dialog that asks whether the user really wants to leave the installation.
#include "installer/ui/SkinnedFrame.h"

class CMsgWnd : public CSkinnedFrame
{
public:
    LPCWSTR GetWindowClassName() const override { return L"MsgWnd"; }
    void OnFinalMessage(HWND hWnd) override;
    Veneer::CUIString GetSkinFile() override { return L"MsgWnd.xml"; }
    LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    void InitWindow() override;
    void Notify(Veneer::TNotifyUI& msg) override;
    // Esc answers "no", as in every Windows dialog.
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override;

    void SetTitle(LPCWSTR text);
    void SetMsg(LPCWSTR text);

protected:
    void OnSkinFailed() override;

private:
    void SetNamedText(LPCWSTR name, LPCWSTR text);
};

// Shows the dialog modally over `parent`: 1 for "yes", 0 for "no" or the dialog's close button.
unsigned ShowConfirmDialog(HWND parent, const wchar_t* title, const wchar_t* text);
