#pragma once

#include <windows.h>
#include <string.h>
#include "ui/support/UIString.h"
#include "ui/support/StdStringPtrMap.h"
#include "ui/core/UIDefines.h"

namespace Veneer {

class CNotifyPump;

// Handler of a map entry with signature 2 (takes the notification).
typedef void (CNotifyPump::*UI_PMSG)(TNotifyUI& msg);
// Handler of a map entry with signature 1 (takes wParam/lParam of the notification).
typedef LRESULT (CNotifyPump::*UI_PMSG_WPARAM_LPARAM)(WPARAM wParam, LPARAM lParam);

// Signature-1 handlers are kept in the common pfn slot; the representation
// is copied, not converted, so it comes back unchanged.
inline UI_PMSG UIPackHandler(UI_PMSG_WPARAM_LPARAM pfn)
{
    static_assert(sizeof(UI_PMSG) == sizeof(UI_PMSG_WPARAM_LPARAM), "member pointers of one class");
    UI_PMSG packed;
    memcpy(&packed, &pfn, sizeof(packed));
    return packed;
}

inline UI_PMSG_WPARAM_LPARAM UIUnpackHandler(UI_PMSG pfn)
{
    UI_PMSG_WPARAM_LPARAM unpacked;
    memcpy(&unpacked, &pfn, sizeof(unpacked));
    return unpacked;
}

enum UISig
{
    UISig_end = 0,       // terminator of an entry list
    UISig_lwl = 1,       // LRESULT (WPARAM, LPARAM)
    UISig_vn = 2         // void (TNotifyUI&)
};

struct UI_MSGMAP_ENTRY;

struct UI_MSGMAP
{
    const UI_MSGMAP* (*pfnGetBaseMap)();
    const UI_MSGMAP_ENTRY* lpEntries;
};

struct UI_MSGMAP_ENTRY
{
    CUIString sMsgType;    // notification type, exact
    CUIString sCtrlName;   // sender name; empty matches any sender
    UINT nSig;             // UISig
    UI_PMSG pfn;           // UISig_lwl handlers packed with UIPackHandler
};

// Routes a notification through a static (type, sender name) -> member map,
// with optional named sub-pumps (virtual windows).
class CNotifyPump
{
public:
    CNotifyPump();
    virtual const UI_MSGMAP* GetMessageMap() const;
    virtual ~CNotifyPump();

    bool AddVirtualWnd(CUIString strName, CNotifyPump* pObject);
    bool RemoveVirtualWnd(CUIString strName);
    void NotifyPump(TNotifyUI& msg);
    bool LoopDispatch(TNotifyUI& msg);

    static const UI_MSGMAP* _GetBaseMessageMap();
    static const UI_MSGMAP messageMap;
    static const UI_MSGMAP_ENTRY _messageEntries[];

    CNotifyPump(const CNotifyPump&) = delete;
    CNotifyPump& operator=(const CNotifyPump&) = delete;

protected:
    CStdStringPtrMap m_VirtualWndMap;
};

} // namespace Veneer

// Message-map macros. At the end of the class: UI_DECLARE_MESSAGE_MAP()
// In the .cpp:  UI_BEGIN_MESSAGE_MAP(CMyWnd, CNotifyPump)
//                   UI_ON_MSGTYPE(L"click", OnClick)
//                   UI_ON_CLICK_CTRNAME(L"btn_ok", OnOk)
//               UI_END_MESSAGE_MAP()
// The handlers are members of the class that owns the map; the class must
// derive from CNotifyPump along one path only.
#define UI_DECLARE_MESSAGE_MAP()                                              \
public:                                                                       \
    static const ::Veneer::UI_MSGMAP messageMap;                              \
    static const ::Veneer::UI_MSGMAP_ENTRY _messageEntries[];                 \
    static const ::Veneer::UI_MSGMAP* _GetBaseMessageMap();                   \
    const ::Veneer::UI_MSGMAP* GetMessageMap() const override;

#define UI_BEGIN_MESSAGE_MAP(theClass, baseClass)                             \
    const ::Veneer::UI_MSGMAP* theClass::_GetBaseMessageMap()                 \
        { return &baseClass::messageMap; }                                    \
    const ::Veneer::UI_MSGMAP* theClass::GetMessageMap() const               \
        { return &theClass::messageMap; }                                     \
    const ::Veneer::UI_MSGMAP theClass::messageMap =                          \
        { &theClass::_GetBaseMessageMap, &theClass::_messageEntries[0] };     \
    const ::Veneer::UI_MSGMAP_ENTRY theClass::_messageEntries[] = {

#define UI_ON_MSGTYPE(msgtype, memberFxn)                                     \
    { msgtype, L"", ::Veneer::UISig_vn,                                       \
      static_cast<::Veneer::UI_PMSG>(&memberFxn) },

#define UI_ON_MSGTYPE_CTRNAME(msgtype, ctrname, memberFxn)                    \
    { msgtype, ctrname, ::Veneer::UISig_vn,                                   \
      static_cast<::Veneer::UI_PMSG>(&memberFxn) },

#define UI_ON_CLICK_CTRNAME(ctrname, memberFxn)                               \
    UI_ON_MSGTYPE_CTRNAME(L"click", ctrname, memberFxn)

#define UI_ON_SELECTCHANGED_CTRNAME(ctrname, memberFxn)                       \
    UI_ON_MSGTYPE_CTRNAME(L"selectchanged", ctrname, memberFxn)

#define UI_ON_KILLFOCUS_CTRNAME(ctrname, memberFxn)                           \
    UI_ON_MSGTYPE_CTRNAME(L"killfocus", ctrname, memberFxn)

#define UI_ON_TIMER_CTRNAME(ctrname, memberFxn)                               \
    UI_ON_MSGTYPE_CTRNAME(L"timer", ctrname, memberFxn)

// Signature 1: LRESULT memberFxn(WPARAM, LPARAM) with the notification's values.
#define UI_ON_MSGTYPE_WPARAM_LPARAM(msgtype, ctrname, memberFxn)              \
    { msgtype, ctrname, ::Veneer::UISig_lwl,                                  \
      ::Veneer::UIPackHandler(                                                \
          static_cast<::Veneer::UI_PMSG_WPARAM_LPARAM>(&memberFxn)) },

#define UI_END_MESSAGE_MAP()                                                  \
    { L"", L"", ::Veneer::UISig_end, nullptr }                                \
    };
