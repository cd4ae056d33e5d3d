#include "ui/core/UIFrmBase.h"

#include <mutex>
#include <new>
#include <set>

#include "ui/controls/UIControl.h"
#include "ui/core/UIManager.h"

namespace Veneer {

namespace {

std::mutex& MenuCmdLock()
{
    static std::mutex s_lock;
    return s_lock;
}

std::set<const MenuCmd*>& LiveMenuCmds()
{
    static std::set<const MenuCmd*> s_live;
    return s_live;
}

} // namespace

MenuCmd* AllocMenuCmd()
{
    MenuCmd* pCmd = new (std::nothrow) MenuCmd();
    if (pCmd == nullptr) return nullptr;
    std::lock_guard<std::mutex> guard(MenuCmdLock());
    try {
        LiveMenuCmds().insert(pCmd);
    } catch (...) {
        delete pCmd;
        return nullptr;
    }
    return pCmd;
}

bool IsLiveMenuCmd(const MenuCmd* pCmd)
{
    if (pCmd == nullptr) return false;
    std::lock_guard<std::mutex> guard(MenuCmdLock());
    return LiveMenuCmds().count(pCmd) != 0;
}

void FreeMenuCmd(MenuCmd* pCmd)
{
    {
        std::lock_guard<std::mutex> guard(MenuCmdLock());
        if (LiveMenuCmds().erase(pCmd) == 0) return;
    }
    delete pCmd;
}

const UI_MSGMAP* CUIFrmBase::_GetBaseMessageMap()
{
    return &CNotifyPump::messageMap;
}

const UI_MSGMAP* CUIFrmBase::GetMessageMap() const
{
    return &CUIFrmBase::messageMap;
}

const UI_MSGMAP CUIFrmBase::messageMap = { &CUIFrmBase::_GetBaseMessageMap, &CUIFrmBase::_messageEntries[0] };

// Every entry calls its handler through the virtual table, so derived
// classes override the handlers and never touch this table.
const UI_MSGMAP_ENTRY CUIFrmBase::_messageEntries[] = {
    UI_ON_MSGTYPE(L"click", CUIFrmBase::OnNotifyClick)
    UI_ON_MSGTYPE(L"rclick", CUIFrmBase::OnNotifyRClick)
    UI_ON_MSGTYPE(L"dbclick", CUIFrmBase::OnNotifyDbClick)
    UI_ON_MSGTYPE(L"menu", CUIFrmBase::OnNotifyMenu)
    UI_ON_MSGTYPE(L"link", CUIFrmBase::OnNotifyLink)
    UI_ON_MSGTYPE(L"timer", CUIFrmBase::OnNotifyTimer)
    UI_ON_MSGTYPE(L"return", CUIFrmBase::OnNotifyReturn)
    UI_ON_MSGTYPE(L"scroll", CUIFrmBase::OnNotifyScroll)
    UI_ON_MSGTYPE(L"predropdown", CUIFrmBase::OnNotifyPreDropDown)
    UI_ON_MSGTYPE(L"dropdown", CUIFrmBase::OnNotifyDropDown)
    UI_ON_MSGTYPE(L"setfocus", CUIFrmBase::OnNotifySetFocus)
    UI_ON_MSGTYPE(L"killfocus", CUIFrmBase::OnNotifyKillFocus)
    UI_ON_MSGTYPE(L"itemclick", CUIFrmBase::OnNotifyItemClick)
    UI_ON_MSGTYPE(L"itemrclick", CUIFrmBase::OnNotifyItemRClick)
    UI_ON_MSGTYPE(L"tabselect", CUIFrmBase::OnNotifyTabSelect)
    UI_ON_MSGTYPE(L"itemselect", CUIFrmBase::OnNotifyItemSelect)
    UI_ON_MSGTYPE(L"itemexpand", CUIFrmBase::OnNotifyItemExpand)
    UI_ON_MSGTYPE(L"windowinit", CUIFrmBase::OnNotifyWindowPrepare)
    UI_ON_MSGTYPE(L"windowsize", CUIFrmBase::OnNotifyWindowSize)
    UI_ON_MSGTYPE(L"buttondown", CUIFrmBase::OnNotifyButtonDown)
    UI_ON_MSGTYPE(L"mouseenter", CUIFrmBase::OnNotifyMouseEnter)
    UI_ON_MSGTYPE(L"mouseleave", CUIFrmBase::OnNotifyMouseLeave)
    UI_ON_MSGTYPE(L"textchanged", CUIFrmBase::OnNotifyTextChanged)
    UI_ON_MSGTYPE(L"headerclick", CUIFrmBase::OnNotifyHeaderClick)
    UI_ON_MSGTYPE(L"itemdbclick", CUIFrmBase::OnNotifyItemDBClick)
    UI_ON_MSGTYPE(L"showactivex", CUIFrmBase::OnNotifyShowActivex)
    UI_ON_MSGTYPE(L"itemcollapse", CUIFrmBase::OnNotifyItemCollapse)
    UI_ON_MSGTYPE(L"itemactivate", CUIFrmBase::OnNotifyItemActivate)
    UI_ON_MSGTYPE(L"valuechanged", CUIFrmBase::OnNotifyValueChanged)
    UI_ON_MSGTYPE(L"selectchanged", CUIFrmBase::OnNotifySelectChanged)
    UI_ON_MSGTYPE(L"initcell", CUIFrmBase::OnNotifyInitCell)
    UI_ON_MSGTYPE(L"drawitem", CUIFrmBase::OnNotifyDrawItem)
    UI_ON_MSGTYPE(L"sortitem", CUIFrmBase::OnNotifySortItem)
    UI_ON_MSGTYPE(L"startedit", CUIFrmBase::OnNotifyStartEdit)
    UI_ON_MSGTYPE(L"endedit", CUIFrmBase::OnNotifyEndEdit)
    UI_ON_MSGTYPE(L"deleteitem", CUIFrmBase::OnNotifyDeleteItem)
    UI_ON_MSGTYPE(L"gridstartedit", CUIFrmBase::OnNotityGridStartEdit)
    UI_ON_MSGTYPE(L"gridendedit", CUIFrmBase::OnNotityGridEndEdit)
    UI_ON_MSGTYPE(L"gridstartselchange", CUIFrmBase::OnNotityGridStartSelChange)
    UI_ON_MSGTYPE(L"gridendselchange", CUIFrmBase::OnNotityGridEndSelChange)
    UI_ON_MSGTYPE(L"griddropdownlist", CUIFrmBase::OnNotityGridDropDownList)
    UI_ON_MSGTYPE(L"gridgetdispinfo", CUIFrmBase::OnNotityGridGetDispInfo)
    UI_ON_MSGTYPE(L"scinotify", CUIFrmBase::OnNotifySciNotify)
    { L"", L"", UISig_end, nullptr }
};

CUIFrmBase::CUIFrmBase()
{
}

CUIFrmBase::~CUIFrmBase()
{
}

void CUIFrmBase::Notify(TNotifyUI& msg)
{
    NotifyPump(msg);
}

void CUIFrmBase::OnNotifyClick(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyRClick(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyDbClick(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyMenu(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyLink(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyTimer(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyReturn(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyScroll(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyPreDropDown(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyDropDown(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifySetFocus(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyKillFocus(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyItemClick(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyItemRClick(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyTabSelect(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyItemSelect(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyItemExpand(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyWindowPrepare(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyWindowSize(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyButtonDown(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyMouseEnter(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyMouseLeave(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyTextChanged(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyHeaderClick(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyItemDBClick(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyShowActivex(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyItemCollapse(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyItemActivate(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyValueChanged(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifySelectChanged(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyInitCell(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyDrawItem(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifySortItem(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyStartEdit(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyEndEdit(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifyDeleteItem(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotityGridStartEdit(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotityGridEndEdit(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotityGridStartSelChange(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotityGridEndSelChange(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotityGridDropDownList(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotityGridGetDispInfo(TNotifyUI& /*msg*/) {}
void CUIFrmBase::OnNotifySciNotify(TNotifyUI& /*msg*/) {}

bool CUIFrmBase::OnMenuCommand(const MenuCmd* /*cmd*/)
{
    return false;
}

bool CUIFrmBase::OnMenuUpdateCommandUI(CMenuCmdUI* /*cmdUI*/)
{
    return false;
}

bool CUIFrmBase::OnCustomMessage(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    return false;
}

CControlUI* CUIFrmBase::FindControl(LPCWSTR pstrName)
{
    CPaintManagerUI* pManager = GetManager();
    if (pManager == nullptr || pstrName == nullptr) return nullptr;
    return pManager->FindControl(pstrName);
}

bool CUIFrmBase::IsClass(const TNotifyUI& msg, LPCWSTR pstrClass)
{
    if (msg.pSender == nullptr || pstrClass == nullptr) return false;
    LPCWSTR pstrSenderClass = msg.pSender->GetClass();
    if (pstrSenderClass == nullptr) return false;
    return CUIString(pstrSenderClass).CompareNoCase(pstrClass) == 0;
}

bool CUIFrmBase::IsControl(const TNotifyUI& msg, const CControlUI* pControl)
{
    return msg.pSender != nullptr && msg.pSender == pControl;
}

bool CUIFrmBase::IsControl(const TNotifyUI& msg, LPCWSTR pstrName)
{
    if (msg.pSender == nullptr || pstrName == nullptr) return false;
    return msg.pSender->GetName().CompareNoCase(pstrName) == 0;
}

bool CUIFrmBase::IsInterface(const TNotifyUI& msg, LPCWSTR pstrName)
{
    if (msg.pSender == nullptr || pstrName == nullptr) return false;
    return msg.pSender->GetInterface(pstrName) != nullptr;
}

} // namespace Veneer
