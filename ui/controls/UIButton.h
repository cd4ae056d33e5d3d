#ifndef VENEER_UIBUTTON_H
#define VENEER_UIBUTTON_H

#include "ui/controls/UILabel.h"

namespace Veneer {

// Button state bits, shared by the buttons, options, rich edits and scroll bars.
enum
{
    UISTATE_FOCUSED  = 0x00000001,
    UISTATE_SELECTED = 0x00000002,
    UISTATE_DISABLED = 0x00000004,
    UISTATE_HOT      = 0x00000008,
    UISTATE_PUSHED   = 0x00000010,
    UISTATE_READONLY = 0x00000020,
    UISTATE_CAPTURED = 0x00000040,
};

// A label that reacts to mouse and keyboard: per-state looks, "click" on a
// completed press, and optional tab-layout and pane-visibility bindings.
class CButtonUI : public CLabelUI
{
public:
    CButtonUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    bool Activate() override;
    DWORD GetAccessibleRole() const override;
    DWORD GetAccessibleState() const override;
    CUIString GetAccessibleDefaultAction() const override;
    bool DoAccessibleDefaultAction() override;
    void SetEnabled(bool bEnable = true) override;
    void DoEvent(TEventUI& event) override;

    virtual LPCTSTR GetNormalImage();
    virtual void SetNormalImage(LPCTSTR pStrImage);
    virtual LPCTSTR GetHotImage();
    virtual void SetHotImage(LPCTSTR pStrImage);
    virtual LPCTSTR GetPushedImage();
    virtual void SetPushedImage(LPCTSTR pStrImage);
    virtual LPCTSTR GetFocusedImage();
    virtual void SetFocusedImage(LPCTSTR pStrImage);
    virtual LPCTSTR GetDisabledImage();
    virtual void SetDisabledImage(LPCTSTR pStrImage);
    virtual LPCTSTR GetHotForeImage();
    virtual void SetHotForeImage(LPCTSTR pStrImage);
    virtual LPCTSTR GetStateImage();
    virtual void SetStateImage(LPCTSTR pStrImage);

    virtual void SwitchPaneVisible();
    virtual void SetSwitchPaneVisible(LPCTSTR pstrControlName);

    virtual void BindTabIndex(int _BindTabIndex);
    virtual void BindTabIndexName(LPCTSTR _TabIndexName);
    virtual void BindTabLayoutName(LPCTSTR _TabLayoutName);
    virtual void BindTriggerTabSel(int _SetSelectIndex = -1);
    virtual void RemoveBindTabIndex();
    virtual int GetBindTabLayoutIndex();
    virtual LPCTSTR GetBindTabLayoutIndexName();
    virtual LPCTSTR GetBindTabLayoutName();

    void SetStateCount(int nCount);
    int GetStateCount() const;

    void SetHotBkColor(DWORD dwColor);
    DWORD GetHotBkColor() const;
    void SetPushedBkColor(DWORD dwColor);
    DWORD GetPushedBkColor() const;
    void SetDisabledBkColor(DWORD dwColor);
    DWORD GetDisabledBkColor() const;
    void SetHotTextColor(DWORD dwColor);
    DWORD GetHotTextColor() const;
    void SetPushedTextColor(DWORD dwColor);
    DWORD GetPushedTextColor() const;
    void SetFocusedTextColor(DWORD dwColor);
    DWORD GetFocusedTextColor() const;
    void SetPushedBorderColor(DWORD dwColor);
    DWORD GetPushedBorderColor() const;
    void SetDisableBorderColor(DWORD dwColor);
    DWORD GetDisableBorderColor() const;
    void SetHotFont(int index);
    int GetHotFont() const;
    void SetPushedFont(int index);
    int GetPushedFont() const;
    void SetFocusedFont(int index);
    int GetFocusedFont() const;

    UINT GetButtonState() const { return m_uButtonState; }

    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    static const CAttributeTable& AttributeTable();
    const CAttributeTable& GetAttributeTable() const override;

    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintForeImage(HDC hDC) override;
    void PaintText(HDC hDC) override;
    void PaintBorder(HDC hDC) override;

protected:
    void RefreshStateBits();
    // Cuts the state image into the per-state images once, when asked for.
    void BuildStateImages();
    // Descriptors of the first min(nCount, 4) equal horizontal slices of an image.
    bool SliceStateImage(const CUIString& sImage, int nCount, CUIString* pSlices);
    bool DrawStateImage(const CUIString& sImage, HDC hDC);
    void PaintBorderInColor(HDC hDC, DWORD dwColor);

    UINT m_uButtonState;

    int m_iHotFont;
    int m_iPushedFont;
    int m_iFocusedFont;

    DWORD m_dwHotTextColor;
    DWORD m_dwPushedTextColor;
    DWORD m_dwFocusedTextColor;
    DWORD m_dwPushedBkColor;
    DWORD m_dwDisabledBkColor;
    DWORD m_dwPushedBorderColor;
    DWORD m_dwDisableBorderColor;

    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sHotForeImage;
    CUIString m_sPushedImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
    CUIString m_sStateImage;
    int m_nStateCount;

    CUIString m_sSwitchControlVisible;
    int m_iBindTabIndex;
    CUIString m_sBindTabIndexName;
    CUIString m_sBindTabLayoutName;
};

} // namespace Veneer

#endif // VENEER_UIBUTTON_H
