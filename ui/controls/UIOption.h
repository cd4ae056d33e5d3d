#ifndef VENEER_UIOPTION_H
#define VENEER_UIOPTION_H

#include "ui/controls/UIButton.h"

namespace Veneer {

// A button with a selected state: ungrouped it toggles on each click, in a
// group it acts as a radio button among the group's options of its window.
class COptionUI : public CButtonUI
{
public:
    COptionUI();
    ~COptionUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;

    bool Activate() override;
    DWORD GetAccessibleRole() const override;
    DWORD GetAccessibleState() const override;
    CUIString GetAccessibleDefaultAction() const override;
    void SetEnabled(bool bEnable = true) override;

    LPCTSTR GetSelectedImage();
    void SetSelectedImage(LPCTSTR pStrImage);
    LPCTSTR GetSelectedHotImage();
    void SetSelectedHotImage(LPCTSTR pStrImage);
    LPCTSTR GetSelectedPushedImage();
    void SetSelectedPushedImage(LPCTSTR pStrImage);
    LPCTSTR GetSelectedForeImage();
    void SetSelectedForeImage(LPCTSTR pStrImage);
    void SetSelectedStateCount(int nCount);
    int GetSelectedStateCount() const;
    virtual LPCTSTR GetSelectedStateImage();
    virtual void SetSelectedStateImage(LPCTSTR pStrImage);

    void SetSelectedTextColor(DWORD dwTextColor);
    DWORD GetSelectedTextColor();
    void SetSelectedBkColor(DWORD dwBkColor);
    DWORD GetSelectBkColor() const;
    void SetSelectedBorderColor(DWORD dwColor);
    DWORD GetSelectedBorderColor() const;
    void SetSelectedFont(int index);
    int GetSelectedFont() const;

    LPCTSTR GetGroup() const;
    void SetGroup(LPCTSTR pStrGroupName = nullptr);
    // Called by a manager that drops its groups (it is going away): nothing to leave there.
    void ForgetGroupManager(CPaintManagerUI* pManager);

    virtual bool IsSelected() const;
    virtual void Selected(bool bSelected, bool bTriggerEvent = true);

    void SwitchPaneVisible() override;

    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    static const CAttributeTable& AttributeTable();
    const CAttributeTable& GetAttributeTable() const override;

    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintForeImage(HDC hDC) override;
    void PaintText(HDC hDC) override;
    void PaintBorder(HDC hDC) override;

protected:
    void BuildSelectedStateImages();
    void SetSelectedFlag(bool bSelected);
    void JoinGroup();
    void LeaveGroup();

    bool m_bSelected;
    CUIString m_sGroupName;
    // The manager whose group table holds this option. A tree built with a manager and
    // then deleted unattached no longer knows its manager, yet must still leave the group.
    CPaintManagerUI* m_pGroupManager = nullptr;

    DWORD m_dwSelectedBkColor;
    DWORD m_dwSelectedTextColor;
    DWORD m_dwSelectedBorderColor;
    int m_iSelectedFont;

    CUIString m_sSelectedImage;
    CUIString m_sSelectedHotImage;
    CUIString m_sSelectedPushedImage;
    CUIString m_sSelectedForeImage;
    CUIString m_sSelectedStateImage;
    int m_nSelectedStateCount;
};

} // namespace Veneer

#endif // VENEER_UIOPTION_H
