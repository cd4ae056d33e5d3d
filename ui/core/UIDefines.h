// Records, event kinds, lookup flags and listener interfaces shared by the
// paint manager and every control.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif

#include <windows.h>

#include "ui/support/UISupport.h"

namespace Veneer {

class CControlUI;
class CPaintManagerUI;

// Set by design tools only; the framework itself never turns them on.
inline bool UIDESIGNMODE = false;
inline bool UIDESIGNPREVIEW = false;

// Framework window messages.
constexpr UINT WM_UI_ASYNC = WM_APP + 1;        // async notifications and delayed cleanup
constexpr UINT WM_UI_DPICHANGED = WM_USER + 3;  // posted after the DPI of a window changed
constexpr UINT OCM__BASE_UI = 0x2000;           // added to messages reflected to native children

// Event kinds sent from the manager to a control. The values are fixed:
// controls treat the ranges between the markers as key and mouse events.
enum UIEVENT {
    UIEVENT__FIRST = 1,
    UIEVENT__KEYBEGIN = 2,
    UIEVENT_KEYDOWN = 3,
    UIEVENT_KEYUP = 4,
    UIEVENT_CHAR = 5,
    UIEVENT_SYSKEY = 6,
    UIEVENT__KEYEND = 7,
    UIEVENT__MOUSEBEGIN = 8,
    UIEVENT_MOUSEMOVE = 9,
    UIEVENT_MOUSELEAVE = 10,
    UIEVENT_MOUSEENTER = 11,
    UIEVENT_MOUSEHOVER = 12,
    UIEVENT_BUTTONDOWN = 13,
    UIEVENT_BUTTONUP = 14,
    UIEVENT_RBUTTONDOWN = 15,
    UIEVENT_RBUTTONUP = 16,
    UIEVENT_MBUTTONDOWN = 17,
    UIEVENT_MBUTTONUP = 18,
    UIEVENT_DBLCLICK = 19,
    UIEVENT_CONTEXTMENU = 20,
    UIEVENT_SCROLLWHEEL = 21,
    UIEVENT__MOUSEEND = 22,
    UIEVENT_KILLFOCUS = 23,
    UIEVENT_SETFOCUS = 24,
    UIEVENT_WINDOWSIZE = 25,
    UIEVENT_SETCURSOR = 26,
    UIEVENT_TIMER = 27,
    UIEVENT__LAST = 28,
};

// Flags of CControlUI::FindControl.
constexpr UINT UIFIND_ALL = 0x00000000;
constexpr UINT UIFIND_VISIBLE = 0x00000001;
constexpr UINT UIFIND_ENABLED = 0x00000002;
constexpr UINT UIFIND_HITTEST = 0x00000004;
constexpr UINT UIFIND_UPDATETEST = 0x00000008;
constexpr UINT UIFIND_TOP_FIRST = 0x00000010;
constexpr UINT UIFIND_ME_FIRST = 0x80000000;

// Flags of CControlUI::GetControlFlags.
constexpr UINT UIFLAG_TABSTOP = 0x00000001;
constexpr UINT UIFLAG_SETCURSOR = 0x00000002;
constexpr UINT UIFLAG_WANTRETURN = 0x00000004;

// Bits of TEventUI::wKeyState for key, wheel, move and hover events.
constexpr WORD UIKEYSTATE_LBUTTON = 0x01;
constexpr WORD UIKEYSTATE_RBUTTON = 0x02;
constexpr WORD UIKEYSTATE_SHIFT = 0x04;
constexpr WORD UIKEYSTATE_CONTROL = 0x08;
constexpr WORD UIKEYSTATE_ALT = 0x20;

// Callback of the tree walk: returns the control to stop at, or null to go on.
typedef CControlUI*(CALLBACK* FINDCONTROLPROC)(CControlUI*, LPVOID);

// One notification from a control to its listeners.
typedef struct tagTNotifyUI {
    CUIString sType;
    CUIString sVirtualWnd;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse = {0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
} TNotifyUI;

// One event from the manager to a control.
typedef struct tagTEventUI {
    int Type = 0;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse = {0, 0};
    wchar_t chKey = 0;
    WORD wKeyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
} TEventUI;

// A font known to a manager (or shared by all of them).
typedef struct tagTFontInfo {
    int id = -1;  // -1 for a default font
    HFONT hFont = nullptr;
    CUIString sFontName;
    int iSize = 0;  // design pixels, unscaled
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
    TEXTMETRICW tm = {};
    bool bMetricsValid = false;
} TFontInfo;

// A resource set: one per manager and one shared by the process.
typedef struct tagTResInfo {
    DWORD m_dwDefaultDisabledColor = 0xFFA7A6AA;
    DWORD m_dwDefaultFontColor = 0xFF000000;
    DWORD m_dwDefaultLinkFontColor = 0xFF0000FF;
    DWORD m_dwDefaultLinkHoverFontColor = 0xFFD3215F;
    DWORD m_dwDefaultSelectedBkColor = 0xFFBAE4FF;
    TFontInfo m_DefaultFontInfo;
    CStdStringPtrMap m_CustomFonts;   // decimal id -> TFontInfo*
    CStdStringPtrMap m_ImageHash;     // image key -> TImageInfo*
    CStdStringPtrMap m_AttrHash;      // control class -> CUIString* attribute list
    CStdStringPtrMap m_StyleHash;     // style name -> CUIString* attribute list
    CStdStringPtrMap m_DrawInfoHash;  // descriptor + modifier -> TDrawInfo*
} TResInfo;

// One control timer.
typedef struct tagTIMERINFO {
    CControlUI* pSender = nullptr;
    UINT nLocalID = 0;
    HWND hWnd = nullptr;
    UINT uWinTimer = 0;
    bool bKilled = false;
} TIMERINFO;

// Listener of notifications.
class INotifyUI {
public:
    virtual void Notify(TNotifyUI& msg) = 0;

protected:
    ~INotifyUI() = default;
};

// Listener of raw window messages (pre-message and message filters).
class IMessageFilterUI {
public:
    virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;

protected:
    ~IMessageFilterUI() = default;
};

// Accelerator hook of the message loops; returns 0 when it consumed the message.
// With UNICODE the operation's name becomes TranslateAcceleratorW through <windows.h>.
class ITranslateAccelerator {
public:
    virtual LRESULT TranslateAccelerator(MSG* pMsg) = 0;

protected:
    ~ITranslateAccelerator() = default;
};

// Creator function exported by control plug-ins as "CreateControl".
typedef CControlUI*(__cdecl* LPCREATECONTROL)(LPCTSTR pstrType);

}  // namespace Veneer
