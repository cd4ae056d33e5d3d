#ifndef VENEER_UISCROLLBAR_H
#define VENEER_UISCROLLBAR_H

#include "ui/controls/UIControl.h"

namespace Veneer {

class CContainerUI;

// Scroll bar with two arrow buttons, a track and a draggable thumb. Containers
// create one on demand and become its owner; an owned bar scrolls its owner,
// a free-standing bar only moves its own position.
class CScrollBarUI : public CControlUI
{
public:
    CScrollBarUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    CContainerUI* GetOwner() const;
    void SetOwner(CContainerUI* pOwner);

    void SetVisible(bool bVisible = true) override;
    void SetEnabled(bool bEnable = true) override;
    void SetFocus() override;

    bool IsHorizontal();
    void SetHorizontal(bool bHorizontal = true);
    int GetScrollRange() const;
    void SetScrollRange(int nRange);
    int GetScrollPos() const;
    void SetScrollPos(int nPos);
    int GetLineSize() const;
    void SetLineSize(int nSize);

    bool GetShowButton1();
    void SetShowButton1(bool bShow);
    LPCTSTR GetButton1NormalImage();
    void SetButton1NormalImage(LPCTSTR pStrImage);
    LPCTSTR GetButton1HotImage();
    void SetButton1HotImage(LPCTSTR pStrImage);
    LPCTSTR GetButton1PushedImage();
    void SetButton1PushedImage(LPCTSTR pStrImage);
    LPCTSTR GetButton1DisabledImage();
    void SetButton1DisabledImage(LPCTSTR pStrImage);

    bool GetShowButton2();
    void SetShowButton2(bool bShow);
    LPCTSTR GetButton2NormalImage();
    void SetButton2NormalImage(LPCTSTR pStrImage);
    LPCTSTR GetButton2HotImage();
    void SetButton2HotImage(LPCTSTR pStrImage);
    LPCTSTR GetButton2PushedImage();
    void SetButton2PushedImage(LPCTSTR pStrImage);
    LPCTSTR GetButton2DisabledImage();
    void SetButton2DisabledImage(LPCTSTR pStrImage);

    LPCTSTR GetThumbNormalImage();
    void SetThumbNormalImage(LPCTSTR pStrImage);
    LPCTSTR GetThumbHotImage();
    void SetThumbHotImage(LPCTSTR pStrImage);
    LPCTSTR GetThumbPushedImage();
    void SetThumbPushedImage(LPCTSTR pStrImage);
    LPCTSTR GetThumbDisabledImage();
    void SetThumbDisabledImage(LPCTSTR pStrImage);

    LPCTSTR GetRailNormalImage();
    void SetRailNormalImage(LPCTSTR pStrImage);
    LPCTSTR GetRailHotImage();
    void SetRailHotImage(LPCTSTR pStrImage);
    LPCTSTR GetRailPushedImage();
    void SetRailPushedImage(LPCTSTR pStrImage);
    LPCTSTR GetRailDisabledImage();
    void SetRailDisabledImage(LPCTSTR pStrImage);

    LPCTSTR GetBkNormalImage();
    void SetBkNormalImage(LPCTSTR pStrImage);
    LPCTSTR GetBkHotImage();
    void SetBkHotImage(LPCTSTR pStrImage);
    LPCTSTR GetBkPushedImage();
    void SetBkPushedImage(LPCTSTR pStrImage);
    LPCTSTR GetBkDisabledImage();
    void SetBkDisabledImage(LPCTSTR pStrImage);

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    static const CAttributeTable& AttributeTable();
    const CAttributeTable& GetAttributeTable() const override;

    bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) override;

    void PaintBk(HDC hDC);
    void PaintButton1(HDC hDC);
    void PaintButton2(HDC hDC);
    void PaintThumb(HDC hDC);
    void PaintRail(HDC hDC);

    // Part rectangles in client coordinates, as laid out by the last SetPos.
    RECT GetButton1Rect() const { return m_rcButton1; }
    RECT GetButton2Rect() const { return m_rcButton2; }
    RECT GetThumbRect() const { return m_rcThumb; }

protected:
    int Thickness();
    int Unscale(int nValue) const;
    void StepLine(bool bForward);
    void StepPage(bool bForward);
    void MoveTo(int nPos);
    void OnRepeatTick();
    bool DrawByState(HDC hDC, UINT& uState, const CUIString* pImages, LPCTSTR pstrModify);
    bool PaintPart(HDC hDC, const RECT& rcPart, UINT& uState, const CUIString* pImages, bool bFallbackFrame);

    enum { kTimerId = 10, kTimerElapse = 50, kRepeatDelayTicks = 5 };
    enum { kImgNormal = 0, kImgHot, kImgPushed, kImgDisabled, kImgCount };

    bool m_bHorizontal;
    int m_nRange;
    int m_nScrollPos;
    int m_nLineSize;
    CContainerUI* m_pOwner;
    POINT m_ptLastMouse;
    int m_nLastScrollPos;
    int m_nLastScrollOffset;
    int m_nScrollRepeatDelay;

    bool m_bShowButton1;
    bool m_bShowButton2;
    RECT m_rcButton1;
    RECT m_rcButton2;
    RECT m_rcThumb;
    UINT m_uButton1State;
    UINT m_uButton2State;
    UINT m_uThumbState;

    CUIString m_sButton1Images[kImgCount];
    CUIString m_sButton2Images[kImgCount];
    CUIString m_sThumbImages[kImgCount];
    CUIString m_sRailImages[kImgCount];
    CUIString m_sBkImages[kImgCount];

    CUIString m_sImageModify;
};

} // namespace Veneer

#endif // VENEER_UISCROLLBAR_H
