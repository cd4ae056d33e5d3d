#ifndef VENEER_UILABEL_H
#define VENEER_UILABEL_H

#include "ui/controls/UIControl.h"

namespace Veneer {

// A control that draws one text (plain or inline markup) with its own font,
// colours, alignment and padding, and can size itself to the text.
class CLabelUI : public CControlUI
{
public:
    CLabelUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;
    DWORD GetAccessibleRole() const override;
    // Inline markup (showhtml) is read as the plain text it shows.
    CUIString GetAccessibleName() const override;

    void SetText(LPCTSTR pstrText) override;

    void SetTextStyle(UINT uStyle);
    UINT GetTextStyle() const;
    void SetTextColor(DWORD dwTextColor);
    DWORD GetTextColor() const;
    void SetDisabledTextColor(DWORD dwTextColor);
    DWORD GetDisabledTextColor() const;
    void SetFont(int index);
    int GetFont() const;
    // Padding as stored (unscaled) and scaled to the window's DPI.
    RECT GetTextPadding() const;
    RECT GetScaledTextPadding() const;
    void SetTextPadding(RECT rc);
    bool IsShowHtml();
    void SetShowHtml(bool bShowHtml = true);

    SIZE EstimateSize(SIZE szAvailable) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    static const CAttributeTable& AttributeTable();
    const CAttributeTable& GetAttributeTable() const override;

    void PaintText(HDC hDC) override;

protected:
    void SetAlignWords(LPCTSTR pstrValue);
    void SetVAlignWords(LPCTSTR pstrValue);
    void SetStyleBit(UINT uBit, bool bOn);
    void SetWordBreak(bool bWordBreak);
    // Replaces unset (zero) colours by the window's defaults, once and for good.
    void ResolveDefaultColors();
    RECT TextRect(const RECT& rcPadding) const;
    // Draws the text in the padded item rectangle with the given colour and font.
    void DrawLabelText(HDC hDC, DWORD dwColor, int iFont);
    // Measures the text in rc (DT_CALCRECT) with the label's font and style.
    void MeasureText(RECT& rc, UINT uExtraStyle);

    DWORD m_dwTextColor;
    DWORD m_dwDisabledTextColor;
    int m_iFont;
    UINT m_uTextStyle;
    RECT m_rcTextPadding;
    bool m_bShowHtml;
};

} // namespace Veneer

#endif // VENEER_UILABEL_H
