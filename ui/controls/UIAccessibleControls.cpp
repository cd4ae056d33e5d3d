// What each control tells a screen reader: name, role, state, value and default action. The accessible
// object of the window (ui/core/UIAccessible) asks these of every control it exposes.
#include <windows.h>
#include <oleacc.h>
#include <wchar.h>

#include <vector>

#include "ui/controls/UIButton.h"
#include "ui/controls/UICheckBox.h"
#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/controls/UILabel.h"
#include "ui/controls/UIOption.h"
#include "ui/controls/UIProgress.h"
#include "ui/controls/UIRichEdit.h"
#include "ui/controls/UIText.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"

namespace Veneer {

namespace {

const wchar_t kAccessibleName[] = L"accessiblename";

}  // namespace

// ---- control base ---------------------------------------------------------------------------------------

UINT CControlUI::NextSerial()
{
    // Child ids are serial x 16 + slot and must stay positive LONGs; wrapping after 134 million controls is
    // the one way a number comes back.
    static UINT s_uLast = 0;
    s_uLast = s_uLast >= 0x7FFFFFFu ? 1 : s_uLast + 1;
    return s_uLast;
}

CUIString CControlUI::GetAccessibleName() const
{
    LPCTSTR pstrName = GetCustomAttribute(kAccessibleName);
    if (pstrName != nullptr && pstrName[0] != L'\0') return pstrName;
    CUIString sText = GetText();
    if (!sText.IsEmpty()) return sText;
    // Image-only controls (a close button) are known by their tooltip.
    return GetToolTip();
}

void CControlUI::SetAccessibleName(LPCTSTR pstrName)
{
    RemoveCustomAttribute(kAccessibleName);
    if (pstrName != nullptr && pstrName[0] != L'\0') AddCustomAttribute(kAccessibleName, pstrName);
    if (m_pManager != nullptr) m_pManager->NotifyAccessibleEvent(EVENT_OBJECT_NAMECHANGE, this);
}

DWORD CControlUI::GetAccessibleRole() const
{
    // A plain element means something to a reader only when the markup names it.
    if (GetCustomAttribute(kAccessibleName) == nullptr) return 0;
    return const_cast<CControlUI*>(this)->GetInterface(L"IContainer") != nullptr ? ROLE_SYSTEM_GROUPING
                                                                                 : ROLE_SYSTEM_GRAPHIC;
}

DWORD CControlUI::GetAccessibleState() const
{
    DWORD dwState = 0;
    if (!IsEnabled()) dwState |= STATE_SYSTEM_UNAVAILABLE;
    else if ((GetControlFlags() & UIFLAG_TABSTOP) != 0) dwState |= STATE_SYSTEM_FOCUSABLE;
    if (m_pManager != nullptr && m_pManager->GetFocus() == this) dwState |= STATE_SYSTEM_FOCUSED;
    if (!IsVisible()) dwState |= STATE_SYSTEM_INVISIBLE;
    if (IsHot()) dwState |= STATE_SYSTEM_HOTTRACKED;
    return dwState;
}

CUIString CControlUI::GetAccessibleValue() const
{
    return CUIString();
}

CUIString CControlUI::GetAccessibleDefaultAction() const
{
    return CUIString();
}

bool CControlUI::DoAccessibleDefaultAction()
{
    return false;
}

// ---- label and text -------------------------------------------------------------------------------------

CUIString CLabelUI::GetAccessibleName() const
{
    CUIString sName = CControlUI::GetAccessibleName();
    if (!m_bShowHtml || GetCustomAttribute(kAccessibleName) != nullptr) return sName;
    // Read as drawn: the markup's own reading of tags, escapes and raw runs.
    return CRenderEngine::GetHtmlPlainText(sName);
}

DWORD CLabelUI::GetAccessibleRole() const
{
    // An empty label is decoration (an icon, a spacer with a background).
    return GetAccessibleName().IsEmpty() ? 0 : ROLE_SYSTEM_STATICTEXT;
}

CUIString CTextUI::GetLinkText(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_nLinks || !m_bShowHtml) return CUIString();
    std::vector<CUIString> aTexts;
    CRenderEngine::GetHtmlPlainText(GetText(), &aTexts);
    const int ordinal = m_aLinkOrdinals[iIndex];
    return ordinal >= 0 && static_cast<size_t>(ordinal) < aTexts.size() ? aTexts[static_cast<size_t>(ordinal)]
                                                                       : CUIString();
}

bool CTextUI::ActivateLink(int iIndex)
{
    if (iIndex < 0 || iIndex >= m_nLinks || !IsVisible() || !IsEnabled() || m_pManager == nullptr) return false;
    m_pManager->SendNotify(this, L"link", static_cast<WPARAM>(iIndex));
    return true;
}

// ---- button, option, check box ------------------------------------------------------------------------

DWORD CButtonUI::GetAccessibleRole() const
{
    return ROLE_SYSTEM_PUSHBUTTON;
}

DWORD CButtonUI::GetAccessibleState() const
{
    DWORD dwState = CLabelUI::GetAccessibleState();
    if ((m_uButtonState & UISTATE_PUSHED) != 0) dwState |= STATE_SYSTEM_PRESSED;
    if ((m_uButtonState & UISTATE_HOT) != 0) dwState |= STATE_SYSTEM_HOTTRACKED;
    return dwState;
}

CUIString CButtonUI::GetAccessibleDefaultAction() const
{
    return L"Press";
}

bool CButtonUI::DoAccessibleDefaultAction()
{
    return Activate();
}

DWORD COptionUI::GetAccessibleRole() const
{
    // Outside a group an option toggles on and off, which is what a check button is to a reader.
    return m_sGroupName.IsEmpty() ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_RADIOBUTTON;
}

DWORD COptionUI::GetAccessibleState() const
{
    DWORD dwState = CButtonUI::GetAccessibleState();
    if (IsSelected()) dwState |= STATE_SYSTEM_CHECKED;
    return dwState;
}

CUIString COptionUI::GetAccessibleDefaultAction() const
{
    // A selected member of a group stays selected when clicked again.
    return (IsSelected() && m_sGroupName.IsEmpty()) ? L"Uncheck" : L"Check";
}

DWORD CCheckBoxUI::GetAccessibleRole() const
{
    return ROLE_SYSTEM_CHECKBUTTON;
}

// ---- progress -----------------------------------------------------------------------------------------------

int CProgressUI::GetPercent() const
{
    const long long range = static_cast<long long>(m_nMax) - m_nMin;
    if (range <= 0) return 0;
    long long percent = (static_cast<long long>(m_nValue) - m_nMin) * 100 / range;
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    return static_cast<int>(percent);
}

DWORD CProgressUI::GetAccessibleRole() const
{
    return ROLE_SYSTEM_PROGRESSBAR;
}

DWORD CProgressUI::GetAccessibleState() const
{
    DWORD dwState = CLabelUI::GetAccessibleState() & ~static_cast<DWORD>(STATE_SYSTEM_FOCUSABLE);
    return dwState | STATE_SYSTEM_READONLY;
}

CUIString CProgressUI::GetAccessibleValue() const
{
    CUIString sValue;
    sValue.SmallFormat(L"%d%%", GetPercent());
    return sValue;
}

// ---- rich edit ------------------------------------------------------------------------------------------------

DWORD CRichEditUI::GetAccessibleRole() const
{
    return ROLE_SYSTEM_TEXT;
}

DWORD CRichEditUI::GetAccessibleState() const
{
    DWORD dwState = CContainerUI::GetAccessibleState();
    if (m_bReadOnly) dwState |= STATE_SYSTEM_READONLY;
    if (IsPassword()) dwState |= STATE_SYSTEM_PROTECTED;
    return dwState;
}

CUIString CRichEditUI::GetAccessibleValue() const
{
    // A password is drawn masked; a reader gets no more of it than the screen shows.
    if (IsPassword()) return CUIString();
    return GetText();
}

CUIString CRichEditUI::GetAccessibleName() const
{
    LPCTSTR pstrName = GetCustomAttribute(kAccessibleName);
    if (pstrName != nullptr && pstrName[0] != L'\0') return pstrName;
    auto* pParent = m_pParent != nullptr ? static_cast<IContainerUI*>(m_pParent->GetInterface(L"IContainer")) : nullptr;
    if (pParent != nullptr) {
        for (int i = pParent->GetItemIndex(const_cast<CRichEditUI*>(this)) - 1; i >= 0; --i) {
            CControlUI* pBefore = pParent->GetItemAt(i);
            if (pBefore->IsVisible() && pBefore->GetAccessibleRole() == ROLE_SYSTEM_STATICTEXT) {
                return pBefore->GetAccessibleName();
            }
        }
    }
    return GetToolTip();
}

}  // namespace Veneer
