#pragma once
// Internal to the render engine: run-time msimg32 entry points, scoped GDI helpers and the
// software blend that stands in for AlphaBlend.

#include <windows.h>

namespace Veneer {
namespace RenderDetail {

typedef BOOL(WINAPI* AlphaBlendFn)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
typedef BOOL(WINAPI* GradientFillFn)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// Null when the system lacks them or when the software paths are forced.
AlphaBlendFn GetAlphaBlend();
GradientFillFn GetGradientFill();
void SetSoftwareOnly(bool bSoftware);

// Blends src (stretched to dst) onto hDC: per-pixel premultiplied alpha when bPerPixel,
// times the constant alpha uFade. Uses AlphaBlend when present, else the software blend.
void Blend(HDC hDC, const RECT& rcDst, HDC hSrcDC, const RECT& rcSrc, BYTE uFade, bool bPerPixel);

// The software blend alone.
void SoftwareBlend(HDC hDC, const RECT& rcDst, HDC hSrcDC, const RECT& rcSrc, BYTE uFade, bool bPerPixel);

inline COLORREF ToColorRef(DWORD argb)
{
    return RGB(GetBValue(argb), GetGValue(argb), GetRValue(argb));
}

inline int Width(const RECT& rc) { return rc.right - rc.left; }
inline int Height(const RECT& rc) { return rc.bottom - rc.top; }

class CMemoryDC {
public:
    explicit CMemoryDC(HDC hRef) : m_hDC(::CreateCompatibleDC(hRef)) {}
    ~CMemoryDC() { if (m_hDC != nullptr) ::DeleteDC(m_hDC); }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HDC m_hDC;
};

class CSelectObject {
public:
    CSelectObject(HDC hDC, HGDIOBJ hObj) : m_hDC(hDC), m_hOld(hObj != nullptr ? ::SelectObject(hDC, hObj) : nullptr) {}
    ~CSelectObject() { if (m_hOld != nullptr) ::SelectObject(m_hDC, m_hOld); }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

class CGdiObject {
public:
    explicit CGdiObject(HGDIOBJ hObj = nullptr) : m_hObj(hObj) {}
    ~CGdiObject() { if (m_hObj != nullptr) ::DeleteObject(m_hObj); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    HGDIOBJ Get() const { return m_hObj; }
    HGDIOBJ Detach() { HGDIOBJ h = m_hObj; m_hObj = nullptr; return h; }

private:
    HGDIOBJ m_hObj;
};

} // namespace RenderDetail
} // namespace Veneer
