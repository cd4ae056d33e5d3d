#pragma once

#include <windows.h>
#include "ui/support/UIString.h"
#include "ui/core/UIFrmBase.h"

namespace Veneer {

class CUIFrameWnd;
class CControlUI;
class CPaintManagerUI;

// A named sub-form living inside a CUIFrameWnd: it sees the frame's
// notifications and custom messages and is deleted with the frame.
class CUIForm : public CUIFrmBase
{
public:
    CUIForm();
    ~CUIForm() override;

    CPaintManagerUI* GetManager() override;

    virtual CUIString GetFormName();
    // Exact, case-sensitive comparison with GetFormName.
    virtual bool IsForm(LPCWSTR pstrName);
    CUIFrameWnd* GetFrameWnd() const { return m_pFrameWnd; }
    void SetFrameWnd(CUIFrameWnd* pFrame) { m_pFrameWnd = pFrame; }

    virtual void InitWindow();
    virtual void OnActiveForm();
    virtual void OnHideForm();
    virtual void OnUpdateView();
    virtual CControlUI* CreateControl(LPCWSTR pstrClass);

protected:
    CUIFrameWnd* m_pFrameWnd;
};

} // namespace Veneer
