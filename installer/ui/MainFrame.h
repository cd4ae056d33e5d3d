#pragma once
// The installer's main window: four stacked pages (home, installing, finished, failed) over the
// install engine, which it serves as the view.
#include "installer/install/IInstallView.h"
#include "installer/install/InstallEngine.h"
#include "installer/ui/SkinnedFrame.h"

class CMainFrame : public CSkinnedFrame, public IInstallView
{
public:
    CMainFrame();
    ~CMainFrame() override;

    LPCWSTR GetWindowClassName() const override { return L"MainFrame"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    Veneer::CUIString GetSkinFile() override { return L"MainFrame.xml"; }
    LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    void InitWindow() override;
    void Notify(Veneer::TNotifyUI& msg) override;
    // Enter on the home page starts the install, as the page's default button.
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override;

    int GetInstallState() const { return m_engine.GetInstallState(); }
    void SetInstallState(int state) { m_engine.SetInstallState(state); }
    bool StartInstall();
    bool StartUsageReport() { return m_engine.StartUsageReport(); }
    void ReportUsage() { m_engine.ReportUsage(); }

    // The view side of the engine: called on the install thread, carried out on the UI thread.
    void UpdateProgress(int percent) override;
    void SwitchPage(const wchar_t* hidePage, const wchar_t* showPage) override;
    void ShowFailureReason(FailureKind kind) override;
    bool GetInstallDirText(std::wstring& text) override;

protected:
    void OnBeforeBuild() override;
    void OnSkinBuilt() override;
    void OnSkinFailed() override;

private:
    void ShowProgress(int percent);
    void ShowPage(int hidePage, int showPage);
    void ShowReasonLine(int kind);
    void SetControlVisible(LPCWSTR name, bool visible);
    bool ConfirmLeave();
    void LeaveConfirmed();
    void OnAgreementToggled();
    bool PickInstallFolder();
    void OpenAddress(const std::wstring& address);
    void RunProduct();
    void BeginInstallPage(LPCWSTR hiddenPage);
    void FocusNewPage();
    void FocusDefaultButton();

    CInstallEngine m_engine;
};

// The one main window; null before it is constructed and after it is destroyed.
extern CMainFrame* g_pMainFrame;
