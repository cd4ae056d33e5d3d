#ifndef VENEER_UICHECKBOX_H
#define VENEER_UICHECKBOX_H

#include "ui/controls/UIOption.h"

namespace Veneer {

// An option spoken to as a check box; its "selectchanged" carries the new
// state, and in auto-check mode it toggles already on button-down.
class CCheckBoxUI : public COptionUI
{
public:
    CCheckBoxUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    void Selected(bool bSelected, bool bTriggerEvent = true) override;
    DWORD GetAccessibleRole() const override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    static const CAttributeTable& AttributeTable();
    const CAttributeTable& GetAttributeTable() const override;

    virtual void SetCheck(bool bCheck);
    virtual bool GetCheck() const;

    void SetAutoCheck(bool bEnable);
    bool IsAutoCheck() const;

protected:
    bool m_bAutoCheck;
};

} // namespace Veneer

#endif // VENEER_UICHECKBOX_H
