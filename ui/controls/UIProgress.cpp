#include "ui/controls/UIProgress.h"

#include "ui/core/UIAttributeTable.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"

namespace Veneer {

CProgressUI::CProgressUI()
    : m_bShowText(false),
      m_bHorizontal(true),
      m_bStretchForeImage(true),
      m_nMax(100),
      m_nMin(0),
      m_nValue(0)
{
    m_uTextStyle = DT_CENTER | DT_SINGLELINE;
    m_cxyFixed.cy = 12;
}

LPCTSTR CProgressUI::GetClass() const
{
    return L"ProgressUI";
}

LPVOID CProgressUI::GetInterface(LPCTSTR pstrName)
{
    if (_wcsicmp(pstrName, L"Progress") == 0) return static_cast<CProgressUI*>(this);
    return CLabelUI::GetInterface(pstrName);
}

bool CProgressUI::IsShowText()
{
    return m_bShowText;
}

void CProgressUI::SetShowText(bool bShowText)
{
    if (m_bShowText == bShowText) return;
    m_bShowText = bShowText;
    if (!m_bShowText) SetText(L"");
}

bool CProgressUI::IsHorizontal()
{
    return m_bHorizontal;
}

void CProgressUI::SetHorizontal(bool bHorizontal)
{
    if (m_bHorizontal == bHorizontal) return;
    m_bHorizontal = bHorizontal;
    Invalidate();
}

bool CProgressUI::IsStretchForeImage()
{
    return m_bStretchForeImage;
}

void CProgressUI::SetStretchForeImage(bool bStretchForeImage)
{
    if (m_bStretchForeImage == bStretchForeImage) return;
    m_bStretchForeImage = bStretchForeImage;
    Invalidate();
}

int CProgressUI::GetMinValue() const
{
    return m_nMin;
}

void CProgressUI::SetMinValue(int nMin)
{
    m_nMin = nMin;
    Invalidate();
}

int CProgressUI::GetMaxValue() const
{
    return m_nMax;
}

void CProgressUI::SetMaxValue(int nMax)
{
    m_nMax = nMax;
    Invalidate();
}

int CProgressUI::GetValue() const
{
    return m_nValue;
}

void CProgressUI::SetValue(int nValue)
{
    // Values outside the range are refused, not clamped.
    if (nValue == m_nValue || nValue < m_nMin || nValue > m_nMax) return;
    const int iOldPercent = GetPercent();
    m_nValue = nValue;
    Invalidate();
    UpdateText();
    if (m_pManager != nullptr && GetPercent() != iOldPercent) {
        m_pManager->NotifyAccessibleEvent(EVENT_OBJECT_VALUECHANGE, this);
    }
}

void CProgressUI::UpdateText()
{
    if (!m_bShowText) return;
    // An empty range reads as the repaired range the next paint will use.
    const double span = m_nMax > m_nMin ? static_cast<double>(m_nMax) - m_nMin : 1.0;
    CUIString sText;
    sText.Format(L"%.0f%%", (static_cast<double>(m_nValue) - m_nMin) * 100.0 / span);
    SetText(sText);
}

LPCTSTR CProgressUI::GetForeImageModify() const
{
    return m_sForeImageModify;
}

const CAttributeTable& CProgressUI::AttributeTable()
{
    using P = CProgressUI;
    using K = EAttrKind;
    static const TAttribute rows[] = {
        Row<P, K::Bool, &P::SetHorizontal, &P::IsHorizontal>(L"hor"),
        Row<P, K::Int, &P::SetMinValue, &P::GetMinValue>(L"min"),
        Row<P, K::Int, &P::SetMaxValue, &P::GetMaxValue>(L"max"),
        Row<P, K::Int, &P::SetValue, &P::GetValue>(L"value"),
        Row<P, K::Bool, &P::SetStretchForeImage, &P::IsStretchForeImage>(L"isstretchfore"),
    };
    static const CAttributeTable table(L"Progress", rows, &CLabelUI::AttributeTable());
    return table;
}

VENEER_ATTRIBUTE_MEMBERS(CProgressUI, CLabelUI)

void CProgressUI::Normalize()
{
    if (m_nMin >= m_nMax) m_nMax = m_nMin + 1;
    if (m_nValue > m_nMax) m_nValue = m_nMax;
    if (m_nValue < m_nMin) m_nValue = m_nMin;
}

RECT CProgressUI::FilledRect() const
{
    RECT rc = m_rcItem;
    const long long span = static_cast<long long>(m_nMax) - m_nMin;
    if (m_bHorizontal) {
        const long long width = rc.right - rc.left;
        rc.right = rc.left + static_cast<LONG>(width * (static_cast<long long>(m_nValue) - m_nMin) / span);
    } else {
        const long long height = rc.bottom - rc.top;
        rc.top = rc.top + static_cast<LONG>(height * (static_cast<long long>(m_nMax) - m_nValue) / span);
    }
    return rc;
}

void CProgressUI::PaintForeColor(HDC hDC)
{
    Normalize();
    if (m_dwForeColor == 0) return;
    CRenderEngine::DrawColor(hDC, FilledRect(), GetAdjustColor(m_dwForeColor));
}

void CProgressUI::PaintForeImage(HDC hDC)
{
    Normalize();
    if (m_sForeImage.IsEmpty()) return;
    RECT rc = FilledRect();
    ::OffsetRect(&rc, -m_rcItem.left, -m_rcItem.top);
    // The image drawer scales descriptor coordinates itself, so pass them unscaled.
    const int nScale = m_pManager != nullptr ? static_cast<int>(m_pManager->GetDPIObj()->GetScale()) : 100;
    const int l = ::MulDiv(rc.left, 100, nScale);
    const int t = ::MulDiv(rc.top, 100, nScale);
    const int r = ::MulDiv(rc.right, 100, nScale);
    const int b = ::MulDiv(rc.bottom, 100, nScale);
    if (m_bStretchForeImage) {
        m_sForeImageModify.Format(L"dest='%d,%d,%d,%d'", l, t, r, b);
    } else {
        m_sForeImageModify.Format(L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", l, t, r, b, l, t, r, b);
    }
    DrawImage(hDC, m_sForeImage, m_sForeImageModify);
}

} // namespace Veneer
