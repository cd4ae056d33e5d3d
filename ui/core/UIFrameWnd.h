#pragma once

#include <windows.h>
#include <vector>
#include "ui/core/WindowImplBase.h"
#include "ui/core/UIFrmBase.h"

namespace Veneer {

class CUIApplication;
class CUIForm;

// The framework's standard frame: a skinned window whose caption buttons are
// recognised by name ("windowclosebtn", "windowminbtn", "windowmaxbtn",
// "windowrestorebtn"), which answers the single-instance activation message,
// routes menu commands and carries attachable sub-forms.
class CUIFrameWnd : public WindowImplBase, public CUIFrmBase
{
public:
    CUIFrameWnd();
    ~CUIFrameWnd() override;

    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    void __InitWindow() override;
    LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

    virtual void InitWindow();
    virtual LRESULT HandleMenuCommandMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnRButtonDown(UINT, WPARAM, LPARAM, BOOL& bHandled) { return PassOn(bHandled); }
    virtual LRESULT OnRButtonUp(UINT, WPARAM, LPARAM, BOOL& bHandled) { return PassOn(bHandled); }

    // Both bases want these; the frame answers for both.
    void Notify(TNotifyUI& msg) override;
    CPaintManagerUI* GetManager() override { return &m_pm; }
    CControlUI* CreateControl(LPCWSTR pstrClass) override;

    // Appends the form (once) and makes this frame its owner.
    void AttachVirtualForm(CUIForm* pForm);
    void DetachVirtualForm(CUIForm* pForm);
    int GetFormCount() const { return static_cast<int>(m_aForms.size()); }
    CUIForm* GetForm(int nIndex) const;

    // Set by CUIApplication::Run so the frame recognises the activation message.
    void SetApplication(CUIApplication* pApp) { m_pApp = pApp; }
    CUIApplication* GetApplication() const { return m_pApp; }

    // Covers the primary screen.
    void ShowFullScreen();

protected:
    CUIApplication* m_pApp;
    std::vector<CUIForm*> m_aForms;
};

} // namespace Veneer
