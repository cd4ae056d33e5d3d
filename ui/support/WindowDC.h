#pragma once

#include <windows.h>

namespace Veneer {

// A DC from GetDC, given back with ReleaseDC to the window it came from (null: the screen's).
class CWindowDC
{
public:
    CWindowDC() = default;
    explicit CWindowDC(HWND hWnd);
    ~CWindowDC();
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;

    HDC Get() const { return m_hDC; }
    // Gives back the DC held, then takes the DC of hWnd.
    void Acquire(HWND hWnd);
    // Gives back the DC held.
    void Reset();

private:
    HWND m_hWnd = nullptr;
    HDC m_hDC = nullptr;
};

} // namespace Veneer
