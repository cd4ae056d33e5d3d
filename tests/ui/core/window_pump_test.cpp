// Routing of notifications through message maps, virtual windows and the
// frame's fixed map of notification handlers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/controls/UIControl.h"
#include "ui/core/UIFrmBase.h"
#include "ui/core/UINotifyPump.h"

using namespace Veneer;

namespace {

TNotifyUI MakeNotify(LPCWSTR type, CControlUI* sender, WPARAM wParam = 0, LPARAM lParam = 0)
{
    TNotifyUI msg;
    msg.sType = type;
    msg.pSender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    return msg;
}

class BasePump : public CNotifyPump
{
public:
    std::vector<std::string> calls;
    void OnBaseClick(TNotifyUI&) { calls.push_back("base-click"); }
    void OnBaseTimer(TNotifyUI&) { calls.push_back("base-timer"); }
    UI_DECLARE_MESSAGE_MAP()
};

UI_BEGIN_MESSAGE_MAP(BasePump, CNotifyPump)
    UI_ON_MSGTYPE(L"click", BasePump::OnBaseClick)
    UI_ON_MSGTYPE(L"timer", BasePump::OnBaseTimer)
UI_END_MESSAGE_MAP()

class DerivedPump : public BasePump
{
public:
    WPARAM seenWParam = 0;
    LPARAM seenLParam = 0;
    void OnAnyClickFirst(TNotifyUI&) { calls.push_back("any-first"); }
    void OnAnyClickLast(TNotifyUI&) { calls.push_back("any-last"); }
    void OnOkClick(TNotifyUI&) { calls.push_back("ok"); }
    void OnCancelClick(TNotifyUI&) { calls.push_back("cancel"); }
    LRESULT OnValue(WPARAM wParam, LPARAM lParam)
    {
        seenWParam = wParam;
        seenLParam = lParam;
        calls.push_back("value");
        return 0;
    }
    UI_DECLARE_MESSAGE_MAP()
};

UI_BEGIN_MESSAGE_MAP(DerivedPump, BasePump)
    UI_ON_MSGTYPE(L"click", DerivedPump::OnAnyClickFirst)
    UI_ON_CLICK_CTRNAME(L"ok", DerivedPump::OnOkClick)
    UI_ON_MSGTYPE(L"click", DerivedPump::OnAnyClickLast)
    UI_ON_CLICK_CTRNAME(L"cancel", DerivedPump::OnCancelClick)
    UI_ON_MSGTYPE_WPARAM_LPARAM(L"valuechanged", L"", DerivedPump::OnValue)
UI_END_MESSAGE_MAP()

class NamedControl
{
public:
    explicit NamedControl(LPCWSTR name) { m_control.SetName(name); }
    CControlUI* get() { return &m_control; }

private:
    CControlUI m_control;
};

// Sends one notification through the pump's routing and returns what ran.
std::vector<std::string> Route(DerivedPump& pump, LPCWSTR type, LPCWSTR senderName)
{
    NamedControl sender(senderName);
    TNotifyUI msg = MakeNotify(type, sender.get());
    pump.calls.clear();
    pump.NotifyPump(msg);
    return pump.calls;
}

} // namespace

TEST(NotifyPumpMap, NamedEntryBeatsAnonymousOnesWhereverItStands)
{
    DerivedPump pump;
    EXPECT_EQ(Route(pump, L"click", L"ok"), std::vector<std::string>{"ok"});
    EXPECT_EQ(Route(pump, L"click", L"cancel"), std::vector<std::string>{"cancel"});
}

TEST(NotifyPumpMap, UnnamedSenderGoesToTheLastAnonymousEntry)
{
    DerivedPump pump;
    EXPECT_EQ(Route(pump, L"click", L"other"), std::vector<std::string>{"any-last"});
}

TEST(NotifyPumpMap, NameMatchIsCaseSensitive)
{
    DerivedPump pump;
    EXPECT_EQ(Route(pump, L"click", L"OK"), std::vector<std::string>{"any-last"});
}

TEST(NotifyPumpMap, TypeWithoutEntryFallsBackToTheBaseMap)
{
    DerivedPump pump;
    EXPECT_EQ(Route(pump, L"timer", L"ok"), std::vector<std::string>{"base-timer"});
}

TEST(NotifyPumpMap, TypeMatchIsExactAndUnknownTypesAreNotDispatched)
{
    DerivedPump pump;
    NamedControl ok(L"ok");
    TNotifyUI msg = MakeNotify(L"Click", ok.get());
    EXPECT_FALSE(pump.LoopDispatch(msg));
    msg = MakeNotify(L"nosuchtype", ok.get());
    EXPECT_FALSE(pump.LoopDispatch(msg));
    EXPECT_TRUE(pump.calls.empty());
}

TEST(NotifyPumpMap, SignatureOneHandlerReceivesTheNotificationsParameters)
{
    DerivedPump pump;
    NamedControl slider(L"slider");
    TNotifyUI msg = MakeNotify(L"valuechanged", slider.get(), 1234u, -77);
    EXPECT_TRUE(pump.LoopDispatch(msg));
    EXPECT_EQ(pump.calls, std::vector<std::string>{"value"});
    EXPECT_EQ(pump.seenWParam, 1234u);
    EXPECT_EQ(pump.seenLParam, -77);
}

TEST(NotifyPumpMap, NotificationWithoutSenderIsNotDispatched)
{
    DerivedPump pump;
    TNotifyUI msg = MakeNotify(L"click", nullptr);
    EXPECT_FALSE(pump.LoopDispatch(msg));
    pump.NotifyPump(msg);
    EXPECT_TRUE(pump.calls.empty());
}

TEST(NotifyPumpVirtualWindows, NamedSubPumpTakesItsNotificationsIgnoringCase)
{
    DerivedPump outer;
    BasePump inner;
    ASSERT_TRUE(outer.AddVirtualWnd(L"Page1", &inner));
    NamedControl ok(L"ok");
    TNotifyUI msg = MakeNotify(L"click", ok.get());
    msg.sVirtualWnd = L"PAGE1";
    outer.NotifyPump(msg);
    EXPECT_EQ(inner.calls, std::vector<std::string>{"base-click"});
    EXPECT_TRUE(outer.calls.empty());
}

TEST(NotifyPumpVirtualWindows, SubPumpWithoutHandlerLeavesItToTheOwner)
{
    DerivedPump outer;
    BasePump inner;
    ASSERT_TRUE(outer.AddVirtualWnd(L"page1", &inner));
    NamedControl ok(L"ok");
    TNotifyUI msg = MakeNotify(L"valuechanged", ok.get());
    msg.sVirtualWnd = L"page1";
    outer.NotifyPump(msg);
    EXPECT_TRUE(inner.calls.empty());
    EXPECT_EQ(outer.calls, std::vector<std::string>{"value"});
}

TEST(NotifyPumpVirtualWindows, UnknownVirtualWindowFallsBackToTheOwner)
{
    DerivedPump outer;
    NamedControl ok(L"ok");
    TNotifyUI msg = MakeNotify(L"click", ok.get());
    msg.sVirtualWnd = L"nowhere";
    outer.NotifyPump(msg);
    EXPECT_EQ(outer.calls, std::vector<std::string>{"ok"});
}

TEST(NotifyPumpVirtualWindows, AddRefusesDuplicatesAndRemoveReportsAbsence)
{
    CNotifyPump outer;
    BasePump a;
    BasePump b;
    EXPECT_TRUE(outer.AddVirtualWnd(L"page", &a));
    EXPECT_FALSE(outer.AddVirtualWnd(L"page", &b));
    EXPECT_TRUE(outer.RemoveVirtualWnd(L"page"));
    EXPECT_FALSE(outer.RemoveVirtualWnd(L"page"));
    EXPECT_TRUE(outer.AddVirtualWnd(L"page", &b));
}

namespace {

// Overrides every handler of the frame's map and records which one ran.
class RecordingFrm : public CUIFrmBase
{
public:
    std::vector<std::string> calls;
    CPaintManagerUI* GetManager() override { return nullptr; }
#define RECORD(fn) void fn(TNotifyUI&) override { calls.push_back(#fn); }
    RECORD(OnNotifyClick) RECORD(OnNotifyRClick) RECORD(OnNotifyDbClick) RECORD(OnNotifyMenu)
    RECORD(OnNotifyLink) RECORD(OnNotifyTimer) RECORD(OnNotifyReturn) RECORD(OnNotifyScroll)
    RECORD(OnNotifyPreDropDown) RECORD(OnNotifyDropDown) RECORD(OnNotifySetFocus) RECORD(OnNotifyKillFocus)
    RECORD(OnNotifyItemClick) RECORD(OnNotifyItemRClick) RECORD(OnNotifyTabSelect) RECORD(OnNotifyItemSelect)
    RECORD(OnNotifyItemExpand) RECORD(OnNotifyWindowPrepare) RECORD(OnNotifyWindowSize)
    RECORD(OnNotifyButtonDown) RECORD(OnNotifyMouseEnter) RECORD(OnNotifyMouseLeave)
    RECORD(OnNotifyTextChanged) RECORD(OnNotifyHeaderClick) RECORD(OnNotifyItemDBClick)
    RECORD(OnNotifyShowActivex) RECORD(OnNotifyItemCollapse) RECORD(OnNotifyItemActivate)
    RECORD(OnNotifyValueChanged) RECORD(OnNotifySelectChanged) RECORD(OnNotifyInitCell)
    RECORD(OnNotifyDrawItem) RECORD(OnNotifySortItem) RECORD(OnNotifyStartEdit) RECORD(OnNotifyEndEdit)
    RECORD(OnNotifyDeleteItem) RECORD(OnNotityGridStartEdit) RECORD(OnNotityGridEndEdit)
    RECORD(OnNotityGridStartSelChange) RECORD(OnNotityGridEndSelChange) RECORD(OnNotityGridDropDownList)
    RECORD(OnNotityGridGetDispInfo) RECORD(OnNotifySciNotify)
#undef RECORD
};

struct TypeAndHandler
{
    const wchar_t* type;
    const char* handler;
};

const TypeAndHandler kFrameMap[] = {
    {L"click", "OnNotifyClick"}, {L"rclick", "OnNotifyRClick"}, {L"dbclick", "OnNotifyDbClick"},
    {L"menu", "OnNotifyMenu"}, {L"link", "OnNotifyLink"}, {L"timer", "OnNotifyTimer"},
    {L"return", "OnNotifyReturn"}, {L"scroll", "OnNotifyScroll"}, {L"predropdown", "OnNotifyPreDropDown"},
    {L"dropdown", "OnNotifyDropDown"}, {L"setfocus", "OnNotifySetFocus"}, {L"killfocus", "OnNotifyKillFocus"},
    {L"itemclick", "OnNotifyItemClick"}, {L"itemrclick", "OnNotifyItemRClick"},
    {L"tabselect", "OnNotifyTabSelect"}, {L"itemselect", "OnNotifyItemSelect"},
    {L"itemexpand", "OnNotifyItemExpand"}, {L"windowinit", "OnNotifyWindowPrepare"},
    {L"windowsize", "OnNotifyWindowSize"}, {L"buttondown", "OnNotifyButtonDown"},
    {L"mouseenter", "OnNotifyMouseEnter"}, {L"mouseleave", "OnNotifyMouseLeave"},
    {L"textchanged", "OnNotifyTextChanged"}, {L"headerclick", "OnNotifyHeaderClick"},
    {L"itemdbclick", "OnNotifyItemDBClick"}, {L"showactivex", "OnNotifyShowActivex"},
    {L"itemcollapse", "OnNotifyItemCollapse"}, {L"itemactivate", "OnNotifyItemActivate"},
    {L"valuechanged", "OnNotifyValueChanged"}, {L"selectchanged", "OnNotifySelectChanged"},
    {L"initcell", "OnNotifyInitCell"}, {L"drawitem", "OnNotifyDrawItem"}, {L"sortitem", "OnNotifySortItem"},
    {L"startedit", "OnNotifyStartEdit"}, {L"endedit", "OnNotifyEndEdit"}, {L"deleteitem", "OnNotifyDeleteItem"},
    {L"gridstartedit", "OnNotityGridStartEdit"}, {L"gridendedit", "OnNotityGridEndEdit"},
    {L"gridstartselchange", "OnNotityGridStartSelChange"}, {L"gridendselchange", "OnNotityGridEndSelChange"},
    {L"griddropdownlist", "OnNotityGridDropDownList"}, {L"gridgetdispinfo", "OnNotityGridGetDispInfo"},
    {L"scinotify", "OnNotifySciNotify"},
};

} // namespace

TEST(FrameNotifyMap, EveryFrameworkTypeReachesItsOverriddenHandler)
{
    ASSERT_EQ(sizeof(kFrameMap) / sizeof(kFrameMap[0]), 43u);
    NamedControl sender(L"anything");
    for (const TypeAndHandler& row : kFrameMap) {
        RecordingFrm frm;
        TNotifyUI msg = MakeNotify(row.type, sender.get());
        frm.Notify(msg);
        ASSERT_EQ(frm.calls.size(), 1u) << "type " << std::wstring(row.type).c_str();
        EXPECT_EQ(frm.calls[0], row.handler);
    }
}

TEST(FrameNotifyMap, TypesOutsideTheMapReachNoHandler)
{
    RecordingFrm frm;
    NamedControl sender(L"tab");
    TNotifyUI msg = MakeNotify(L"tabactiveform", sender.get());
    frm.Notify(msg);
    EXPECT_TRUE(frm.calls.empty());
}

TEST(MenuCommandRecords, OnlyIssuedRecordsAreLive)
{
    MenuCmd* pCmd = AllocMenuCmd();
    ASSERT_NE(pCmd, nullptr);
    EXPECT_TRUE(IsLiveMenuCmd(pCmd));
    MenuCmd foreign;
    EXPECT_FALSE(IsLiveMenuCmd(&foreign));
    FreeMenuCmd(&foreign);   // not ours: must be ignored, not deleted
    FreeMenuCmd(pCmd);
    EXPECT_FALSE(IsLiveMenuCmd(pCmd));
}
