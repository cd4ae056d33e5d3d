#include "ui/controls/UIOption.h"

#include "ui/core/UIAttributeTable.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"

namespace Veneer {

COptionUI::COptionUI()
    : m_bSelected(false),
      m_dwSelectedBkColor(0),
      m_dwSelectedTextColor(0),
      m_dwSelectedBorderColor(0),
      m_iSelectedFont(-1),
      m_nSelectedStateCount(0)
{
}

COptionUI::~COptionUI()
{
    LeaveGroup();
}

LPCTSTR COptionUI::GetClass() const
{
    return L"OptionUI";
}

LPVOID COptionUI::GetInterface(LPCTSTR pstrName)
{
    if (_wcsicmp(pstrName, L"Option") == 0) return static_cast<COptionUI*>(this);
    return CButtonUI::GetInterface(pstrName);
}

void COptionUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    CButtonUI::SetManager(pManager, pParent, bInit);
    if (bInit) JoinGroup();
}

void COptionUI::JoinGroup()
{
    if (m_sGroupName.IsEmpty() || m_pManager == nullptr) return;
    if (m_pGroupManager != m_pManager) LeaveGroup();
    m_pManager->AddOptionGroup(m_sGroupName, this);
    m_pGroupManager = m_pManager;
}

void COptionUI::LeaveGroup()
{
    if (m_pGroupManager != nullptr && !m_sGroupName.IsEmpty()) m_pGroupManager->RemoveOptionGroup(m_sGroupName, this);
    m_pGroupManager = nullptr;
}

void COptionUI::ForgetGroupManager(CPaintManagerUI* pManager)
{
    if (m_pGroupManager == pManager) m_pGroupManager = nullptr;
}

LPCTSTR COptionUI::GetGroup() const
{
    return m_sGroupName;
}

void COptionUI::SetGroup(LPCTSTR pStrGroupName)
{
    const CUIString sNew = pStrGroupName != nullptr ? pStrGroupName : L"";
    if (sNew == m_sGroupName) return;
    LeaveGroup();
    m_sGroupName = sNew;
    JoinGroup();
}

bool COptionUI::IsSelected() const
{
    if (!m_sSwitchControlVisible.IsEmpty() && m_pManager != nullptr) {
        CControlUI* pControl = m_pManager->FindControl(m_sSwitchControlVisible);
        if (pControl != nullptr) return pControl->IsVisible();
    }
    return m_bSelected;
}

void COptionUI::SetSelectedFlag(bool bSelected)
{
    m_bSelected = bSelected;
    if (m_bSelected) m_uButtonState |= UISTATE_SELECTED;
    else m_uButtonState &= ~UISTATE_SELECTED;
    if (m_pManager != nullptr) m_pManager->NotifyAccessibleEvent(EVENT_OBJECT_STATECHANGE, this);
}

void COptionUI::Selected(bool bSelected, bool bTriggerEvent)
{
    if (bSelected == IsSelected()) return;
    SetSelectedFlag(bSelected);
    if (m_pManager == nullptr) {
        Invalidate();
        return;
    }
    if (!m_sGroupName.IsEmpty()) {
        // Only the newly selected member of a group reports the change.
        if (!m_bSelected) {
            Invalidate();
            return;
        }
        CStdPtrArray* pGroup = m_pManager->GetOptionGroup(m_sGroupName);
        for (int i = 0; pGroup != nullptr && i < pGroup->GetSize(); ++i) {
            auto* pControl = static_cast<CControlUI*>(pGroup->GetAt(i));
            if (pControl == this) continue;
            auto* pOption = static_cast<COptionUI*>(pControl->GetInterface(L"Option"));
            if (pOption == nullptr) continue;
            pOption->Selected(false, bTriggerEvent);
            pOption->SwitchPaneVisible();
        }
    }
    if (bTriggerEvent) m_pManager->SendNotify(this, L"selectchanged");
    Invalidate();
}

bool COptionUI::Activate()
{
    if (!CControlUI::Activate()) return false;
    if (!m_sGroupName.IsEmpty()) Selected(true, true);
    else Selected(!IsSelected(), true);
    if (m_pManager != nullptr) {
        m_pManager->SendNotify(this, L"click");
        BindTriggerTabSel();
        SwitchPaneVisible();
    }
    return true;
}

void COptionUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = m_bSelected ? UISTATE_SELECTED : 0;
}

void COptionUI::SwitchPaneVisible()
{
    if (m_sSwitchControlVisible.IsEmpty() || m_pManager == nullptr) return;
    CControlUI* pControl = m_pManager->FindControl(m_sSwitchControlVisible);
    if (pControl == nullptr) return;
    if (m_bSelected) {
        if (!pControl->IsPaneVisible()) pControl->SetPaneVisible(true);
    } else if (pControl->IsPaneVisible()) {
        pControl->SetPaneVisible(false);
    }
}

#define VENEER_OPTION_IMAGE(Getter, Setter, Member)          \
    LPCTSTR COptionUI::Getter() { return Member; }           \
    void COptionUI::Setter(LPCTSTR pStrImage)                \
    {                                                        \
        Member = pStrImage;                                  \
        Invalidate();                                        \
    }

VENEER_OPTION_IMAGE(GetSelectedImage, SetSelectedImage, m_sSelectedImage)
VENEER_OPTION_IMAGE(GetSelectedHotImage, SetSelectedHotImage, m_sSelectedHotImage)
VENEER_OPTION_IMAGE(GetSelectedPushedImage, SetSelectedPushedImage, m_sSelectedPushedImage)
VENEER_OPTION_IMAGE(GetSelectedForeImage, SetSelectedForeImage, m_sSelectedForeImage)
VENEER_OPTION_IMAGE(GetSelectedStateImage, SetSelectedStateImage, m_sSelectedStateImage)

#undef VENEER_OPTION_IMAGE

void COptionUI::SetSelectedStateCount(int nCount)
{
    m_nSelectedStateCount = nCount;
    Invalidate();
}

int COptionUI::GetSelectedStateCount() const
{
    return m_nSelectedStateCount;
}

void COptionUI::SetSelectedTextColor(DWORD dwTextColor)
{
    m_dwSelectedTextColor = dwTextColor;
}

DWORD COptionUI::GetSelectedTextColor()
{
    if (m_dwSelectedTextColor == 0 && m_pManager != nullptr) {
        m_dwSelectedTextColor = m_pManager->GetDefaultFontColor();
    }
    return m_dwSelectedTextColor;
}

void COptionUI::SetSelectedBkColor(DWORD dwBkColor)
{
    m_dwSelectedBkColor = dwBkColor;
}

DWORD COptionUI::GetSelectBkColor() const
{
    return m_dwSelectedBkColor;
}

void COptionUI::SetSelectedBorderColor(DWORD dwColor)
{
    m_dwSelectedBorderColor = dwColor;
}

DWORD COptionUI::GetSelectedBorderColor() const
{
    return m_dwSelectedBorderColor;
}

void COptionUI::SetSelectedFont(int index)
{
    m_iSelectedFont = index;
    Invalidate();
}

int COptionUI::GetSelectedFont() const
{
    return m_iSelectedFont;
}

const CAttributeTable& COptionUI::AttributeTable()
{
    using O = COptionUI;
    using K = EAttrKind;
    static const TAttribute rows[] = {
        Row<O, K::Text, &O::SetGroup, &O::GetGroup>(L"group"),
        {L"selected", K::Bool, 0,
         [](CControlUI& c, LPCTSTR v) { static_cast<O&>(c).Selected(CAttributeValue::Bool(v), true); },
         &GetThrough<O, K::Bool, &O::IsSelected>},
        Row<O, K::Image, &O::SetSelectedImage, &O::GetSelectedImage>(L"selectedimage"),
        Row<O, K::Image, &O::SetSelectedHotImage, &O::GetSelectedHotImage>(L"selectedhotimage"),
        Row<O, K::Image, &O::SetSelectedPushedImage, &O::GetSelectedPushedImage>(L"selectedpushedimage"),
        Row<O, K::Image, &O::SetSelectedForeImage, &O::GetSelectedForeImage>(L"selectedforeimage"),
        Row<O, K::Image, &O::SetSelectedStateImage, &O::GetSelectedStateImage>(L"selectedstateimage"),
        Row<O, K::Int, &O::SetSelectedStateCount, &O::GetSelectedStateCount>(L"selectedstatecount"),
        Row<O, K::Color, &O::SetSelectedBkColor, &O::GetSelectBkColor>(L"selectedbkcolor"),
        Row<O, K::Color, &O::SetSelectedTextColor, &O::GetSelectedTextColor>(L"selectedtextcolor"),
        Row<O, K::Color, &O::SetSelectedBorderColor, &O::GetSelectedBorderColor>(L"selectedbordercolor"),
        Row<O, K::Int, &O::SetSelectedFont, &O::GetSelectedFont>(L"selectedfont"),
    };
    static const CAttributeTable table(L"Option", rows, &CButtonUI::AttributeTable());
    return table;
}

VENEER_ATTRIBUTE_MEMBERS(COptionUI, CButtonUI)

void COptionUI::PaintBkColor(HDC hDC)
{
    if (IsSelected() && m_dwSelectedBkColor != 0) {
        CRenderEngine::DrawColor(hDC, m_rcPaint, GetAdjustColor(m_dwSelectedBkColor));
        return;
    }
    CButtonUI::PaintBkColor(hDC);
}

void COptionUI::BuildSelectedStateImages()
{
    if (!m_sSelectedImage.IsEmpty()) return;
    CUIString slices[4];
    if (!SliceStateImage(m_sSelectedStateImage, m_nSelectedStateCount, slices)) return;
    m_sSelectedImage = slices[0];
    if (m_nSelectedStateCount >= 2) {
        m_sSelectedHotImage = slices[1];
        m_sSelectedPushedImage = slices[1];
    }
    if (m_nSelectedStateCount >= 3) m_sSelectedPushedImage = slices[2];
}

void COptionUI::PaintStatusImage(HDC hDC)
{
    if (!IsSelected()) {
        CButtonUI::PaintStatusImage(hDC);
        return;
    }
    RefreshStateBits();
    BuildSelectedStateImages();
    if ((m_uButtonState & UISTATE_PUSHED) && DrawStateImage(m_sSelectedPushedImage, hDC)) return;
    if ((m_uButtonState & UISTATE_HOT) && DrawStateImage(m_sSelectedHotImage, hDC)) return;
    // A selected option never falls back to the normal image.
    DrawStateImage(m_sSelectedImage, hDC);
}

void COptionUI::PaintForeImage(HDC hDC)
{
    if (IsSelected() && DrawStateImage(m_sSelectedForeImage, hDC)) return;
    CButtonUI::PaintForeImage(hDC);
}

void COptionUI::PaintText(HDC hDC)
{
    if (!(m_uButtonState & UISTATE_SELECTED)) {
        CButtonUI::PaintText(hDC);
        return;
    }
    RefreshStateBits();
    DWORD dwColor = 0;
    if (IsEnabled()) {
        dwColor = m_dwSelectedTextColor != 0 ? m_dwSelectedTextColor : m_dwTextColor;
        if (dwColor == 0 && m_pManager != nullptr) dwColor = m_pManager->GetDefaultFontColor();
    } else {
        dwColor = m_dwDisabledTextColor;
        if (dwColor == 0 && m_pManager != nullptr) dwColor = m_pManager->GetDefaultDisabledColor();
    }
    DrawLabelText(hDC, dwColor, m_iSelectedFont != -1 ? m_iSelectedFont : m_iFont);
}

void COptionUI::PaintBorder(HDC hDC)
{
    if (IsSelected() && m_dwSelectedBorderColor != 0) {
        PaintBorderInColor(hDC, m_dwSelectedBorderColor);
        return;
    }
    CButtonUI::PaintBorder(hDC);
}

} // namespace Veneer
