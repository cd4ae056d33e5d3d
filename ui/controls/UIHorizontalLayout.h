#ifndef VENEER_UIHORIZONTALLAYOUT_H
#define VENEER_UIHORIZONTALLAYOUT_H

#include "ui/controls/UIContainer.h"

namespace Veneer {

// Places its children left to right: fixed widths first, the rest shared by the
// children without a width. An optional separator strip lets the user drag the
// layout's own width.
class CHorizontalLayoutUI : public CContainerUI
{
public:
    CHorizontalLayoutUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    void SetSepWidth(int iWidth);
    int GetSepWidth() const;
    void SetSepImmMode(bool bImmediately);
    bool IsSepImmMode() const;

    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    static const CAttributeTable& AttributeTable();
    const CAttributeTable& GetAttributeTable() const override;
    void DoEvent(TEventUI& event) override;

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    bool CalcPos(CControlUI* pChildControl, RECT& rcPos) override;
    void DoPostPaint(HDC hDC, const RECT& rcPaint) override;

    // The separator strip, at its current place or (bUseNew) where a drag has moved it.
    RECT GetThumbRect(bool bUseNew = false) const;
};

} // namespace Veneer

#endif // VENEER_UIHORIZONTALLAYOUT_H
