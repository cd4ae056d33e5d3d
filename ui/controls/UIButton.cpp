#include "ui/controls/UIButton.h"

#include "ui/controls/UITabLayout.h"
#include "ui/core/UIAttributeTable.h"
#include "ui/core/UIDrawInfo.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"

namespace Veneer {

namespace {

bool IsMouseEvent(int type)
{
    return type > UIEVENT__MOUSEBEGIN && type < UIEVENT__MOUSEEND;
}

} // namespace

CButtonUI::CButtonUI()
    : m_uButtonState(0),
      m_iHotFont(-1),
      m_iPushedFont(-1),
      m_iFocusedFont(-1),
      m_dwHotTextColor(0),
      m_dwPushedTextColor(0),
      m_dwFocusedTextColor(0),
      m_dwPushedBkColor(0),
      m_dwDisabledBkColor(0),
      m_dwPushedBorderColor(0),
      m_dwDisableBorderColor(0),
      m_nStateCount(0),
      m_iBindTabIndex(-1)
{
    m_uTextStyle = DT_VCENTER | DT_SINGLELINE | DT_CENTER;
}

LPCTSTR CButtonUI::GetClass() const
{
    return L"ButtonUI";
}

LPVOID CButtonUI::GetInterface(LPCTSTR pstrName)
{
    if (_wcsicmp(pstrName, L"Button") == 0) return static_cast<CButtonUI*>(this);
    return CLabelUI::GetInterface(pstrName);
}

UINT CButtonUI::GetControlFlags() const
{
    return (IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0) | (IsEnabled() ? UIFLAG_SETCURSOR : 0);
}

void CButtonUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (m_pParent != nullptr) m_pParent->DoEvent(event);
        else CLabelUI::DoEvent(event);
        return;
    }

    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        Invalidate();
        break;
    case UIEVENT_KEYDOWN:
        if (IsKeyboardEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
            // One press is one click: the key-downs a held key repeats (bit 30 set) do nothing more.
            if ((event.lParam & 0x40000000) == 0) Activate();
            return;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (::PtInRect(&m_rcItem, event.ptMouse) && IsEnabled()) {
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_uButtonState & UISTATE_CAPTURED) {
            if (::PtInRect(&m_rcItem, event.ptMouse)) m_uButtonState |= UISTATE_PUSHED;
            else m_uButtonState &= ~UISTATE_PUSHED;
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONUP:
        if (m_uButtonState & UISTATE_CAPTURED) {
            m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
            if (::PtInRect(&m_rcItem, event.ptMouse)) Activate();
        }
        return;
    case UIEVENT_CONTEXTMENU:
        if (IsContextMenuUsed() && m_pManager != nullptr) {
            m_pManager->SendNotify(this, L"menu", event.wParam, event.lParam);
        }
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        break;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        break;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

bool CButtonUI::Activate()
{
    if (!CControlUI::Activate()) return false;
    if (m_pManager != nullptr) {
        m_pManager->SendNotify(this, L"click");
        BindTriggerTabSel();
        SwitchPaneVisible();
    }
    return true;
}

void CButtonUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = 0;
}

#define VENEER_BUTTON_IMAGE(Getter, Setter, Member)          \
    LPCTSTR CButtonUI::Getter() { return Member; }           \
    void CButtonUI::Setter(LPCTSTR pStrImage)                \
    {                                                        \
        Member = pStrImage;                                  \
        Invalidate();                                        \
    }

VENEER_BUTTON_IMAGE(GetNormalImage, SetNormalImage, m_sNormalImage)
VENEER_BUTTON_IMAGE(GetHotImage, SetHotImage, m_sHotImage)
VENEER_BUTTON_IMAGE(GetPushedImage, SetPushedImage, m_sPushedImage)
VENEER_BUTTON_IMAGE(GetFocusedImage, SetFocusedImage, m_sFocusedImage)
VENEER_BUTTON_IMAGE(GetDisabledImage, SetDisabledImage, m_sDisabledImage)
VENEER_BUTTON_IMAGE(GetHotForeImage, SetHotForeImage, m_sHotForeImage)

#undef VENEER_BUTTON_IMAGE

LPCTSTR CButtonUI::GetStateImage()
{
    return m_sStateImage;
}

void CButtonUI::SetStateImage(LPCTSTR pStrImage)
{
    // The per-state images are cut from the new state image at the next paint.
    m_sNormalImage.Empty();
    m_sStateImage = pStrImage;
    Invalidate();
}

void CButtonUI::SetStateCount(int nCount)
{
    m_nStateCount = nCount;
    Invalidate();
}

int CButtonUI::GetStateCount() const
{
    return m_nStateCount;
}

void CButtonUI::SwitchPaneVisible()
{
    if (m_sSwitchControlVisible.IsEmpty() || m_pManager == nullptr) return;
    CControlUI* pControl = m_pManager->FindControl(m_sSwitchControlVisible);
    if (pControl == nullptr) return;
    pControl->SetPaneVisible(!pControl->IsPaneVisible());
}

void CButtonUI::SetSwitchPaneVisible(LPCTSTR pstrControlName)
{
    m_sSwitchControlVisible = pstrControlName != nullptr ? pstrControlName : L"";
}

void CButtonUI::BindTabIndex(int _BindTabIndex)
{
    if (_BindTabIndex >= 0) m_iBindTabIndex = _BindTabIndex;
}

void CButtonUI::BindTabIndexName(LPCTSTR _TabIndexName)
{
    m_sBindTabIndexName = _TabIndexName != nullptr ? _TabIndexName : L"";
}

void CButtonUI::BindTabLayoutName(LPCTSTR _TabLayoutName)
{
    if (_TabLayoutName == nullptr) return;
    m_sBindTabLayoutName = _TabLayoutName;
}

void CButtonUI::BindTriggerTabSel(int _SetSelectIndex)
{
    if (m_pManager == nullptr || m_sBindTabLayoutName.IsEmpty()) return;
    CControlUI* pFound = m_pManager->FindControl(m_sBindTabLayoutName);
    if (pFound == nullptr) return;
    auto* pTabLayout = static_cast<CTabLayoutUI*>(pFound->GetInterface(L"TabLayout"));
    if (pTabLayout == nullptr) return;

    if (m_iBindTabIndex < 0 && _SetSelectIndex < 0 && !m_sBindTabIndexName.IsEmpty()) {
        CControlUI* pPage = m_pManager->FindControl(m_sBindTabIndexName);
        if (pPage != nullptr) pTabLayout->SelectItem(pPage);
        return;
    }
    pTabLayout->SelectItem(_SetSelectIndex < 0 ? m_iBindTabIndex : _SetSelectIndex);
}

void CButtonUI::RemoveBindTabIndex()
{
    m_iBindTabIndex = -1;
    m_sBindTabLayoutName.Empty();
}

int CButtonUI::GetBindTabLayoutIndex()
{
    return m_iBindTabIndex;
}

LPCTSTR CButtonUI::GetBindTabLayoutIndexName()
{
    return m_sBindTabIndexName;
}

LPCTSTR CButtonUI::GetBindTabLayoutName()
{
    return m_sBindTabLayoutName;
}

void CButtonUI::SetHotBkColor(DWORD dwColor) { CControlUI::SetHotBkColor(dwColor); }
DWORD CButtonUI::GetHotBkColor() const { return CControlUI::GetHotBkColor(); }
void CButtonUI::SetPushedBkColor(DWORD dwColor) { m_dwPushedBkColor = dwColor; Invalidate(); }
DWORD CButtonUI::GetPushedBkColor() const { return m_dwPushedBkColor; }
void CButtonUI::SetDisabledBkColor(DWORD dwColor) { m_dwDisabledBkColor = dwColor; Invalidate(); }
DWORD CButtonUI::GetDisabledBkColor() const { return m_dwDisabledBkColor; }
void CButtonUI::SetHotTextColor(DWORD dwColor) { m_dwHotTextColor = dwColor; }
DWORD CButtonUI::GetHotTextColor() const { return m_dwHotTextColor; }
void CButtonUI::SetPushedTextColor(DWORD dwColor) { m_dwPushedTextColor = dwColor; }
DWORD CButtonUI::GetPushedTextColor() const { return m_dwPushedTextColor; }
void CButtonUI::SetFocusedTextColor(DWORD dwColor) { m_dwFocusedTextColor = dwColor; }
DWORD CButtonUI::GetFocusedTextColor() const { return m_dwFocusedTextColor; }
void CButtonUI::SetPushedBorderColor(DWORD dwColor) { m_dwPushedBorderColor = dwColor; Invalidate(); }
DWORD CButtonUI::GetPushedBorderColor() const { return m_dwPushedBorderColor; }
void CButtonUI::SetDisableBorderColor(DWORD dwColor) { m_dwDisableBorderColor = dwColor; }
DWORD CButtonUI::GetDisableBorderColor() const { return m_dwDisableBorderColor; }
void CButtonUI::SetHotFont(int index) { m_iHotFont = index; Invalidate(); }
int CButtonUI::GetHotFont() const { return m_iHotFont; }
void CButtonUI::SetPushedFont(int index) { m_iPushedFont = index; Invalidate(); }
int CButtonUI::GetPushedFont() const { return m_iPushedFont; }
void CButtonUI::SetFocusedFont(int index) { m_iFocusedFont = index; Invalidate(); }
int CButtonUI::GetFocusedFont() const { return m_iFocusedFont; }

const CAttributeTable& CButtonUI::AttributeTable()
{
    using B = CButtonUI;
    using K = EAttrKind;
    static const TAttribute rows[] = {
        Row<B, K::Image, &B::SetNormalImage, &B::GetNormalImage>(L"normalimage"),
        Row<B, K::Image, &B::SetHotImage, &B::GetHotImage>(L"hotimage"),
        Row<B, K::Image, &B::SetPushedImage, &B::GetPushedImage>(L"pushedimage"),
        Row<B, K::Image, &B::SetFocusedImage, &B::GetFocusedImage>(L"focusedimage"),
        Row<B, K::Image, &B::SetDisabledImage, &B::GetDisabledImage>(L"disabledimage"),
        Row<B, K::Image, &B::SetHotForeImage, &B::GetHotForeImage>(L"hotforeimage"),
        Row<B, K::Image, &B::SetStateImage, &B::GetStateImage>(L"stateimage"),
        Row<B, K::Int, &B::SetStateCount, &B::GetStateCount>(L"statecount"),
        Row<B, K::Text, &B::SetSwitchPaneVisible>(L"switchpanevisible"),
        Row<B, K::Int, &B::BindTabIndex, &B::GetBindTabLayoutIndex>(L"bindtabindex"),
        Row<B, K::Text, &B::BindTabIndexName, &B::GetBindTabLayoutIndexName>(L"bindtabindexname"),
        Row<B, K::Text, &B::BindTabLayoutName, &B::GetBindTabLayoutName>(L"bindtablayoutname"),
        Row<B, K::Color, &B::SetHotBkColor, &B::GetHotBkColor>(L"hotbkcolor"),
        Row<B, K::Color, &B::SetPushedBkColor, &B::GetPushedBkColor>(L"pushedbkcolor"),
        Row<B, K::Color, &B::SetDisabledBkColor, &B::GetDisabledBkColor>(L"disabledbkcolor"),
        Row<B, K::Color, &B::SetHotTextColor, &B::GetHotTextColor>(L"hottextcolor"),
        Row<B, K::Color, &B::SetPushedTextColor, &B::GetPushedTextColor>(L"pushedtextcolor"),
        Row<B, K::Color, &B::SetFocusedTextColor, &B::GetFocusedTextColor>(L"focusedtextcolor"),
        Row<B, K::Int, &B::SetHotFont, &B::GetHotFont>(L"hotfont"),
        Row<B, K::Int, &B::SetPushedFont, &B::GetPushedFont>(L"pushedfont"),
        // Written this way in the skins the markup grew up with.
        Row<B, K::Int, &B::SetFocusedFont, &B::GetFocusedFont>(L"focuedfont"),
        Row<B, K::Color, &B::SetPushedBorderColor, &B::GetPushedBorderColor>(L"pushedbordercolor"),
        Row<B, K::Color, &B::SetDisableBorderColor, &B::GetDisableBorderColor>(L"disablebordercolor"),
    };
    static const CAttributeTable table(L"Button", rows, &CLabelUI::AttributeTable());
    return table;
}

VENEER_ATTRIBUTE_MEMBERS(CButtonUI, CLabelUI)

void CButtonUI::RefreshStateBits()
{
    if (IsFocused()) m_uButtonState |= UISTATE_FOCUSED;
    else m_uButtonState &= ~UISTATE_FOCUSED;
    if (!IsEnabled()) m_uButtonState |= UISTATE_DISABLED;
    else m_uButtonState &= ~UISTATE_DISABLED;
}

void CButtonUI::PaintBkColor(HDC hDC)
{
    DWORD dwColor = 0;
    if (!IsEnabled()) dwColor = m_dwDisabledBkColor;
    else if (m_uButtonState & UISTATE_PUSHED) dwColor = m_dwPushedBkColor;
    else if (m_uButtonState & UISTATE_HOT) dwColor = m_dwHotBkColor;
    if (dwColor != 0) {
        CRenderEngine::DrawColor(hDC, m_rcPaint, GetAdjustColor(dwColor));
        return;
    }
    CLabelUI::PaintBkColor(hDC);
}

bool CButtonUI::SliceStateImage(const CUIString& sImage, int nCount, CUIString* pSlices)
{
    if (sImage.IsEmpty() || nCount <= 0 || m_pManager == nullptr) return false;
    const TDrawInfo* pInfo = m_pManager->GetDrawInfo(sImage, L"");
    if (pInfo == nullptr || pInfo->sImageName.IsEmpty()) return false;
    const TImageInfo* pImage = m_pManager->GetImageEx(pInfo->sImageName, pInfo->sResType, pInfo->dwMask,
                                                      pInfo->width, pInfo->height, pInfo->fillcolor, pInfo->bHSL,
                                                      m_instance);
    if (pImage == nullptr) return false;
    const int w = pImage->nX / nCount;
    const int h = pImage->nY;
    const RECT& d = pInfo->rcDest;
    const int nSlices = nCount < 4 ? nCount : 4;
    for (int i = 0; i < nSlices; ++i) {
        pSlices[i].Format(L"res='%s' restype='%s' dest='%d,%d,%d,%d' source='%d,%d,%d,%d'",
                          pInfo->sImageName.GetData(), pInfo->sResType.GetData(), d.left, d.top, d.right, d.bottom,
                          i * w, 0, (i + 1) * w, h);
    }
    return true;
}

void CButtonUI::BuildStateImages()
{
    if (!m_sNormalImage.IsEmpty()) return;
    CUIString slices[4];
    if (!SliceStateImage(m_sStateImage, m_nStateCount, slices)) return;
    m_sNormalImage = slices[0];
    if (m_nStateCount >= 2) {
        m_sHotImage = slices[1];
        m_sPushedImage = slices[1];
    }
    if (m_nStateCount >= 3) m_sPushedImage = slices[2];
    if (m_nStateCount >= 4) m_sDisabledImage = slices[3];
}

bool CButtonUI::DrawStateImage(const CUIString& sImage, HDC hDC)
{
    return !sImage.IsEmpty() && DrawImage(hDC, sImage);
}

void CButtonUI::PaintStatusImage(HDC hDC)
{
    RefreshStateBits();
    if (m_pManager != nullptr && !::IsWindowEnabled(m_pManager->GetPaintWindow())) {
        m_uButtonState &= UISTATE_DISABLED;
    }
    BuildStateImages();

    const CUIString* pImage = nullptr;
    if (m_uButtonState & UISTATE_DISABLED) pImage = &m_sDisabledImage;
    else if (m_uButtonState & UISTATE_PUSHED) pImage = &m_sPushedImage;
    else if (m_uButtonState & UISTATE_HOT) pImage = &m_sHotImage;
    else if (m_uButtonState & UISTATE_FOCUSED) pImage = &m_sFocusedImage;
    if (pImage != nullptr && DrawStateImage(*pImage, hDC)) return;
    DrawStateImage(m_sNormalImage, hDC);
}

void CButtonUI::PaintForeImage(HDC hDC)
{
    if ((m_uButtonState & UISTATE_HOT) && !(m_uButtonState & UISTATE_PUSHED) && DrawStateImage(m_sHotForeImage, hDC)) {
        return;
    }
    CLabelUI::PaintForeImage(hDC);
}

void CButtonUI::PaintText(HDC hDC)
{
    RefreshStateBits();
    ResolveDefaultColors();

    DWORD dwColor = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if ((m_uButtonState & UISTATE_PUSHED) && m_dwPushedTextColor != 0) dwColor = m_dwPushedTextColor;
    else if ((m_uButtonState & UISTATE_HOT) && m_dwHotTextColor != 0) dwColor = m_dwHotTextColor;
    else if ((m_uButtonState & UISTATE_FOCUSED) && m_dwFocusedTextColor != 0) dwColor = m_dwFocusedTextColor;

    int iFont = m_iFont;
    if ((m_uButtonState & UISTATE_PUSHED) && m_iPushedFont != -1) iFont = m_iPushedFont;
    else if ((m_uButtonState & UISTATE_HOT) && m_iHotFont != -1) iFont = m_iHotFont;
    else if ((m_uButtonState & UISTATE_FOCUSED) && m_iFocusedFont != -1) iFont = m_iFocusedFont;

    DrawLabelText(hDC, dwColor, iFont);
}

void CButtonUI::PaintBorderInColor(HDC hDC, DWORD dwColor)
{
    const DWORD dwAdjusted = GetAdjustColor(dwColor);
    const int nSize = GetBorderSize();
    const SIZE round = GetBorderRound();
    const int nStyle = GetBorderStyle();
    if (nSize >= 1 && (round.cx > 0 || round.cy > 0)) {
        CRenderEngine::DrawRoundRect(hDC, m_rcItem, nSize, round.cx, round.cy, dwAdjusted, nStyle);
        return;
    }
    if (nSize >= 1) {
        CRenderEngine::DrawRect(hDC, m_rcItem, nSize, dwAdjusted, nStyle);
        return;
    }
    const RECT sides = GetBorderRectSize();
    RECT rcLine;
    if (sides.left > 0) {
        ::SetRect(&rcLine, m_rcItem.left, m_rcItem.top, m_rcItem.left, m_rcItem.bottom);
        CRenderEngine::DrawLine(hDC, rcLine, sides.left, dwAdjusted, nStyle);
    }
    if (sides.top > 0) {
        ::SetRect(&rcLine, m_rcItem.left, m_rcItem.top, m_rcItem.right, m_rcItem.top);
        CRenderEngine::DrawLine(hDC, rcLine, sides.top, dwAdjusted, nStyle);
    }
    if (sides.right > 0) {
        ::SetRect(&rcLine, m_rcItem.right - 1, m_rcItem.top, m_rcItem.right - 1, m_rcItem.bottom);
        CRenderEngine::DrawLine(hDC, rcLine, sides.right, dwAdjusted, nStyle);
    }
    if (sides.bottom > 0) {
        ::SetRect(&rcLine, m_rcItem.left, m_rcItem.bottom - 1, m_rcItem.right, m_rcItem.bottom - 1);
        CRenderEngine::DrawLine(hDC, rcLine, sides.bottom, dwAdjusted, nStyle);
    }
}

void CButtonUI::PaintBorder(HDC hDC)
{
    if ((m_uButtonState & UISTATE_PUSHED) && m_dwPushedBorderColor != 0) {
        PaintBorderInColor(hDC, m_dwPushedBorderColor);
        return;
    }
    CLabelUI::PaintBorder(hDC);
}

} // namespace Veneer
