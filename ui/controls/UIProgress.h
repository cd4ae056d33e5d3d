#ifndef VENEER_UIPROGRESS_H
#define VENEER_UIPROGRESS_H

#include "ui/controls/UILabel.h"

namespace Veneer {

// A label that fills the part of its rectangle that corresponds to a value
// between a minimum and a maximum, optionally showing the percentage.
class CProgressUI : public CLabelUI
{
public:
    CProgressUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    bool IsShowText();
    void SetShowText(bool bShowText = true);
    bool IsHorizontal();
    void SetHorizontal(bool bHorizontal = true);
    bool IsStretchForeImage();
    void SetStretchForeImage(bool bStretchForeImage = true);
    int GetMinValue() const;
    void SetMinValue(int nMin);
    int GetMaxValue() const;
    void SetMaxValue(int nMax);
    int GetValue() const;
    void SetValue(int nValue);
    DWORD GetAccessibleRole() const override;
    DWORD GetAccessibleState() const override;
    CUIString GetAccessibleValue() const override;
    // The whole percent a screen reader is told; moves by at most one value-change event per percent.
    int GetPercent() const;

    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    static const CAttributeTable& AttributeTable();
    const CAttributeTable& GetAttributeTable() const override;
    void PaintForeColor(HDC hDC) override;
    void PaintForeImage(HDC hDC) override;
    virtual void UpdateText();

    // The modifier the last fore-image paint used (its destination and source).
    LPCTSTR GetForeImageModify() const;

protected:
    // Repairs an empty or inverted range and a value outside it before painting.
    void Normalize();
    RECT FilledRect() const;

    bool m_bShowText;
    bool m_bHorizontal;
    bool m_bStretchForeImage;
    int m_nMax;
    int m_nMin;
    int m_nValue;
    CUIString m_sForeImageModify;
};

} // namespace Veneer

#endif // VENEER_UIPROGRESS_H
