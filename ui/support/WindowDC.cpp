#include "ui/support/WindowDC.h"

namespace Veneer {

CWindowDC::CWindowDC(HWND hWnd)
{
    Acquire(hWnd);
}

CWindowDC::~CWindowDC()
{
    Reset();
}

void CWindowDC::Acquire(HWND hWnd)
{
    Reset();
    m_hWnd = hWnd;
    m_hDC = ::GetDC(hWnd);
}

void CWindowDC::Reset()
{
    if (m_hDC != nullptr) ::ReleaseDC(m_hWnd, m_hDC);
    m_hWnd = nullptr;
    m_hDC = nullptr;
}

} // namespace Veneer
