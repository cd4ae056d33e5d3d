#pragma once

#include <windows.h>
#include "ui/support/UIString.h"
#include "ui/core/UIDefines.h"
#include "ui/core/UINotifyPump.h"

namespace Veneer {

class CControlUI;
class CPaintManagerUI;
class CMenuCmdUI;

// A menu command routed to a frame through WM_USER + 4. The sender
// allocates it with new; the frame deletes it once offered.
struct MenuCmd
{
    CUIString sName;
    CUIString sUserData;
    CUIString sText;
    UINT_PTR uTag = 0;
    bool bChecked = false;
};

// Records for WM_USER + 4 come from AllocMenuCmd; a frame accepts only live
// ones and frees them once offered (the pointer travels in a window message
// that any program could forge).
MenuCmd* AllocMenuCmd();
bool IsLiveMenuCmd(const MenuCmd* pCmd);
void FreeMenuCmd(MenuCmd* pCmd);

enum
{
    UIMSG_MENU_COMMAND = WM_USER + 4,
    UIMSG_MENU_UPDATE_COMMAND_UI = WM_USER + 5
};

// Notification pump with one overridable handler per notification type of
// the framework. The map is fixed; derived classes override the handlers.
class CUIFrmBase : public CNotifyPump
{
public:
    CUIFrmBase();

    const UI_MSGMAP* GetMessageMap() const override;
    ~CUIFrmBase() override;
    virtual CPaintManagerUI* GetManager() = 0;
    virtual void Notify(TNotifyUI& msg);
    virtual void OnNotifyClick(TNotifyUI& msg);
    virtual void OnNotifyRClick(TNotifyUI& msg);
    virtual void OnNotifyDbClick(TNotifyUI& msg);
    virtual void OnNotifyMenu(TNotifyUI& msg);
    virtual void OnNotifyLink(TNotifyUI& msg);
    virtual void OnNotifyTimer(TNotifyUI& msg);
    virtual void OnNotifyReturn(TNotifyUI& msg);
    virtual void OnNotifyScroll(TNotifyUI& msg);
    virtual void OnNotifyPreDropDown(TNotifyUI& msg);
    virtual void OnNotifyDropDown(TNotifyUI& msg);
    virtual void OnNotifySetFocus(TNotifyUI& msg);
    virtual void OnNotifyKillFocus(TNotifyUI& msg);
    virtual void OnNotifyItemClick(TNotifyUI& msg);
    virtual void OnNotifyItemRClick(TNotifyUI& msg);
    virtual void OnNotifyTabSelect(TNotifyUI& msg);
    virtual void OnNotifyItemSelect(TNotifyUI& msg);
    virtual void OnNotifyItemExpand(TNotifyUI& msg);
    virtual void OnNotifyWindowPrepare(TNotifyUI& msg);
    virtual void OnNotifyWindowSize(TNotifyUI& msg);
    virtual void OnNotifyButtonDown(TNotifyUI& msg);
    virtual void OnNotifyMouseEnter(TNotifyUI& msg);
    virtual void OnNotifyMouseLeave(TNotifyUI& msg);
    virtual void OnNotifyTextChanged(TNotifyUI& msg);
    virtual void OnNotifyHeaderClick(TNotifyUI& msg);
    virtual void OnNotifyItemDBClick(TNotifyUI& msg);
    virtual void OnNotifyShowActivex(TNotifyUI& msg);
    virtual void OnNotifyItemCollapse(TNotifyUI& msg);
    virtual void OnNotifyItemActivate(TNotifyUI& msg);
    virtual void OnNotifyValueChanged(TNotifyUI& msg);
    virtual void OnNotifySelectChanged(TNotifyUI& msg);
    virtual void OnNotifyInitCell(TNotifyUI& msg);
    virtual void OnNotifyDrawItem(TNotifyUI& msg);
    virtual void OnNotifySortItem(TNotifyUI& msg);
    virtual void OnNotifyStartEdit(TNotifyUI& msg);
    virtual void OnNotifyEndEdit(TNotifyUI& msg);
    virtual void OnNotifyDeleteItem(TNotifyUI& msg);
    virtual void OnNotityGridStartEdit(TNotifyUI& msg);
    virtual void OnNotityGridEndEdit(TNotifyUI& msg);
    virtual void OnNotityGridStartSelChange(TNotifyUI& msg);
    virtual void OnNotityGridEndSelChange(TNotifyUI& msg);
    virtual void OnNotityGridDropDownList(TNotifyUI& msg);
    virtual void OnNotityGridGetDispInfo(TNotifyUI& msg);
    virtual void OnNotifySciNotify(TNotifyUI& msg);
    virtual bool OnMenuCommand(const MenuCmd* cmd);
    virtual bool OnMenuUpdateCommandUI(CMenuCmdUI* cmdUI);
    virtual bool OnCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

    static const UI_MSGMAP* _GetBaseMessageMap();
    static const UI_MSGMAP messageMap;
    static const UI_MSGMAP_ENTRY _messageEntries[];

    // Helpers for handlers.
    CControlUI* FindControl(LPCWSTR pstrName);
    // Sender's class equals pstrClass, ignoring case.
    static bool IsClass(const TNotifyUI& msg, LPCWSTR pstrClass);
    static bool IsControl(const TNotifyUI& msg, const CControlUI* pControl);
    // Sender's name equals pstrName, ignoring case.
    static bool IsControl(const TNotifyUI& msg, LPCWSTR pstrName);
    static bool IsInterface(const TNotifyUI& msg, LPCWSTR pstrName);
};

} // namespace Veneer
