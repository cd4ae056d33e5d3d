#include "ui/support/SelectObject.h"

namespace Veneer {

CSelectObject::CSelectObject(HDC hDC, HGDIOBJ hObj) : m_hDC(hDC), m_hOld(nullptr)
{
    if (hDC == nullptr || hObj == nullptr) return;
    HGDIOBJ hOld = ::SelectObject(hDC, hObj);
    if (hOld != HGDI_ERROR) m_hOld = hOld;
}

CSelectObject::~CSelectObject()
{
    if (m_hOld != nullptr) ::SelectObject(m_hDC, m_hOld);
}

} // namespace Veneer
