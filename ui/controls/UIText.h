#ifndef VENEER_UITEXT_H
#define VENEER_UITEXT_H

#include "ui/controls/UILabel.h"

namespace Veneer {

// A label whose markup text may carry up to eight clickable links; a click on
// link i sends "link" with wParam i.
class CTextUI : public CLabelUI
{
public:
    enum { MAX_LINK = 8 };

    CTextUI();
    ~CTextUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    CUIString* GetLinkContent(int iIndex);
    // The text shown for link rectangle iIndex (a link over two lines has two rectangles and one text).
    CUIString GetLinkText(int iIndex) const;
    int GetLinkCount() const { return m_nLinks; }
    RECT GetLinkRect(int iIndex) const;
    // Follows a link as a click on it would (the "link" notification); false when the text cannot act.
    bool ActivateLink(int iIndex);

    void DoEvent(TEventUI& event) override;
    SIZE EstimateSize(SIZE szAvailable) override;

    void PaintText(HDC hDC) override;

protected:
    int LinkAt(POINT pt) const;

    int m_nLinks;
    RECT m_rcLinks[MAX_LINK];
    CUIString m_sLinks[MAX_LINK];
    int m_aLinkOrdinals[MAX_LINK];
    int m_nHoverLink;
};

} // namespace Veneer

#endif // VENEER_UITEXT_H
