#pragma once

#include <windows.h>
#include "ui/support/UIString.h"
#include "ui/core/UIDefines.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIDlgBuilder.h"
#include "ui/core/UIResourceManager.h"
#include "ui/core/UIWindowWnd.h"
#include "ui/core/UINotifyPump.h"

namespace Veneer {

class CControlUI;

// Base of every skinned window: one native window without native caption or
// frame, its paint manager, and the control tree built from the skin file on
// WM_CREATE. Implements caption dragging over static controls, resize
// borders, round-corner regions, maximise/restore button swapping and the
// Return/Escape hook.
class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback,
                       public IQueryControlText
{
public:
    WindowImplBase();

    // Window part, in this order. The handlers defined here leave their
    // message to the paint manager and the default procedure.
    LPCWSTR GetWindowClassName() const override = 0;
    LPCWSTR GetSuperClassName() const override;
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    ~WindowImplBase() override;
    virtual void InitResource();
    virtual void __InitWindow();
    virtual bool IsInStaticControl(CControlUI* pControl);
    virtual CUIString GetSkinType();
    virtual CUIString GetSkinFile() = 0;
    virtual LPCWSTR GetManagerName();
    virtual LRESULT ResponseDefaultKeyEvent(WPARAM wParam);
    virtual LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) { return PassOn(bHandled); }
    virtual LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) { return PassOn(bHandled); }
    virtual LRESULT OnNcActivate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcCalcSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnGetMinMaxInfo(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnMouseWheel(UINT, WPARAM, LPARAM, BOOL& bHandled) { return PassOn(bHandled); }
    virtual LRESULT OnMouseHover(UINT, WPARAM, LPARAM, BOOL& bHandled) { return PassOn(bHandled); }
    virtual LRESULT OnSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnChar(UINT, WPARAM, LPARAM, BOOL& bHandled) { return PassOn(bHandled); }
    virtual LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnKeyDown(UINT, WPARAM, LPARAM, BOOL& bHandled) { return PassOn(bHandled); }
    virtual LRESULT OnKillFocus(UINT, WPARAM, LPARAM, BOOL& bHandled) { return PassOn(bHandled); }
    virtual LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL& bHandled) { return PassOn(bHandled); }
    virtual LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& bHandled) { return PassOn(bHandled); }
    virtual LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL& bHandled) { return PassOn(bHandled); }
    virtual LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL& bHandled) { return PassOn(bHandled); }
    virtual LRESULT HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& bHandled) { return PassOn(bHandled); }
    virtual LONG GetStyle();

    // Listener side.
    void Notify(TNotifyUI& msg) override;
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    CControlUI* CreateControl(LPCWSTR pstrClass) override;
    LPCWSTR QueryControlText(LPCWSTR lpstrId, LPCWSTR lpstrType) override;

    CPaintManagerUI* GetManager() { return &m_pm; }

protected:
    // Leaves a message to the paint manager and the default procedure.
    static LRESULT PassOn(BOOL& bHandled);
    // Dispatches the fixed handlers; sets bHandled false for a message
    // without a fixed handler.
    LRESULT HandleFixedMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    // Shows pMax and hides pRestore when not zoomed, the other way round when zoomed.
    void ShowMaxRestoreButtons(bool bZoomed, LPCWSTR pstrMaxName, LPCWSTR pstrRestoreName);
    // Default part of OnSysCommand with the names of the max/restore buttons.
    LRESULT SysCommandWithButtons(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled,
                                  LPCWSTR pstrMaxName, LPCWSTR pstrRestoreName);
    // The last two steps of message handling: the paint manager, then the
    // old or default window procedure.
    LRESULT HandleDefaultMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Builds the tree from GetSkinFile/GetSkinType; null on failure.
    CControlUI* BuildSkin();
    // Error box and process exit for an unbuildable skin.
    void FailSkin();

    CPaintManagerUI m_pm;
};

} // namespace Veneer
