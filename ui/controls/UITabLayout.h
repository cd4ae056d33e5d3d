#ifndef VENEER_UITABLAYOUT_H
#define VENEER_UITABLAYOUT_H

#include "ui/controls/UIContainer.h"

namespace Veneer {

// A container that shows exactly one of its children (a page) at a time,
// switching by index, control or name, optionally with a slide.
class CTabLayoutUI : public CContainerUI
{
public:
    CTabLayoutUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl, bool bDoNotDestroy = false) override;
    void RemoveAll() override;

    int GetCurSel() const;
    CUIString GetCurForm() const;
    virtual bool SelectItem(CControlUI* pControl);
    virtual bool SelectItem(int iIndex);
    virtual bool SelectForm(LPCTSTR pstrName);

    void DoInit() override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    static const CAttributeTable& AttributeTable();
    const CAttributeTable& GetAttributeTable() const override;

    void OnAnimationStart(int nAnimationID, bool bFirstLoop) override;
    void OnAnimationStep(int nTotalFrame, int nCurFrame, int nAnimationID) override;
    void OnAnimationStop(int nAnimationID) override;

protected:
    enum { TAB_ANIMATION_ID = 9992 };

    void SendSelectNotifications();
    void SendFormNotifications();
    void SwitchAtOnce(int iIndex);
    void StopSlide();
    // True once the layout hangs in its manager's tree. Before that (while markup is being built) a
    // selection only shows its page: focus and notifications would point the manager into a tree it
    // does not hold, which may yet be deleted without it.
    bool IsInManagerTree() const;
    RECT ClientArea() const;
    RECT PageRect(CControlUI* pPage, const RECT& rcClient) const;

    int m_iCurSel;
    int m_iOldSel;
    int m_nDirection;
    CControlUI* m_pCurPage;
    CControlUI* m_pOldPage;
    bool m_bSliding;
};

} // namespace Veneer

#endif // VENEER_UITABLAYOUT_H
