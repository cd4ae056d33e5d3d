// Helpers of the paint manager tests, beside the shared window host: controls that record the events they get.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/controls/UIHorizontalLayout.h"
#include "ui/controls/UIVerticalLayout.h"
#include "ui/core/UIManager.h"
#include "tests/support/RectMatchers.h"
#include "tests/support/WindowHost.h"

namespace pm_test {

using test_support::Note;
using test_support::Rc;
using test_support::WindowHost;

struct EventRecord {
    std::wstring control;
    int type;
    Veneer::CControlUI* sender;
    WPARAM wParam;
    LPARAM lParam;
    POINT pt;
};

// A leaf control that logs every event it receives (by its own name) and,
// optionally, is a tab stop or pretends to be of another class.
class RecordingControl : public Veneer::CControlUI {
public:
    RecordingControl(LPCWSTR pstrName, std::vector<EventRecord>* pLog, UINT uFlags = 0,
                     LPCWSTR pstrClass = L"RecordingUI")
        : m_pLog(pLog), m_uFlags(uFlags), m_sClass(pstrClass)
    {
        SetName(pstrName);
    }

    LPCTSTR GetClass() const override { return m_sClass.c_str(); }
    UINT GetControlFlags() const override { return m_uFlags; }

    bool Activate() override
    {
        ++m_nActivations;
        return Veneer::CControlUI::Activate();
    }

    void DoEvent(Veneer::TEventUI& event) override
    {
        if (m_pLog != nullptr) {
            m_pLog->push_back(EventRecord{GetName().GetData(), event.Type, event.pSender, event.wParam, event.lParam,
                                          event.ptMouse});
        }
        if (event.Type == Veneer::UIEVENT_SETFOCUS || event.Type == Veneer::UIEVENT_KILLFOCUS ||
            event.Type == Veneer::UIEVENT_TIMER) {
            Veneer::CControlUI::DoEvent(event);
        }
    }

    bool DoPaint(HDC hDC, const RECT& rcPaint, Veneer::CControlUI* pStopControl) override
    {
        ++m_nPaints;
        if (m_pPaintOrder != nullptr) m_pPaintOrder->push_back(L"paint:" + std::wstring(GetName().GetData()));
        if (m_crFill != CLR_INVALID) {
            // Plain GDI: leaves the alpha byte of the off-screen pixels at 0.
            HBRUSH hBrush = ::CreateSolidBrush(m_crFill);
            ::FillRect(hDC, &GetPos(), hBrush);
            ::DeleteObject(hBrush);
        }
        return Veneer::CControlUI::DoPaint(hDC, rcPaint, pStopControl);
    }

    void SetPos(RECT rc, bool bNeedInvalidate = true) override
    {
        ++m_nSetPos;
        Veneer::CControlUI::SetPos(rc, bNeedInvalidate);
    }

    int m_nActivations = 0;
    int m_nPaints = 0;
    int m_nSetPos = 0;
    COLORREF m_crFill = CLR_INVALID;
    std::vector<std::wstring>* m_pPaintOrder = nullptr;

private:
    std::vector<EventRecord>* m_pLog;
    UINT m_uFlags;
    std::wstring m_sClass;
};

inline LPARAM ClientPoint(int x, int y)
{
    return MAKELPARAM(x, y);
}

// Events of one kind received by one control, in order.
inline std::vector<EventRecord> EventsOf(const std::vector<EventRecord>& log, LPCWSTR pstrControl, int type)
{
    std::vector<EventRecord> out;
    for (const EventRecord& r : log) {
        if (r.control == pstrControl && r.type == type) out.push_back(r);
    }
    return out;
}

}  // namespace pm_test
