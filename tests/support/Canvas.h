// The one off-screen canvas of the Veneer tests: a 32-bit top-down DIB in a memory DC, made as the renderer
// makes its own, whose pixels are read back exactly.
#pragma once

#include <windows.h>

#include "ui/controls/UIControl.h"
#include "ui/core/UIRender.h"

namespace test_support {

class Canvas
{
public:
    Canvas(int cx, int cy, DWORD dwArgb = 0xFFFFFFFF)
        : m_cx(cx),
          m_cy(cy)
    {
        m_hDC = ::CreateCompatibleDC(nullptr);
        m_hBitmap = Veneer::CRenderEngine::CreateARGB32Bitmap(m_hDC, cx, cy, &m_pBits);
        m_hOld = ::SelectObject(m_hDC, m_hBitmap);
        Fill(dwArgb);
    }
    ~Canvas()
    {
        ::SelectObject(m_hDC, m_hOld);
        ::DeleteObject(m_hBitmap);
        ::DeleteDC(m_hDC);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC DC() const { return m_hDC; }
    int width() const { return m_cx; }
    int height() const { return m_cy; }

    void Fill(DWORD dwArgb)
    {
        ::GdiFlush();
        for (int i = 0; i < m_cx * m_cy; ++i) Bits()[i] = dwArgb;
    }

    // Paints the control as the manager would, over an opaque white background.
    void Paint(Veneer::CControlUI* pControl)
    {
        Fill(0xFFFFFFFF);
        RECT rc = {0, 0, m_cx, m_cy};
        pControl->Paint(m_hDC, rc, nullptr);
        ::GdiFlush();
    }

    // 0xAARRGGBB as stored (premultiplied where the writer premultiplied).
    DWORD At(int x, int y) const
    {
        ::GdiFlush();
        return Bits()[y * m_cx + x];
    }
    DWORD Rgb(int x, int y) const { return At(x, y) & 0x00FFFFFF; }

    // Pixels of one colour inside a rectangle.
    int CountRgb(const RECT& rc, DWORD dwRgb) const
    {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) n += Rgb(x, y) == (dwRgb & 0x00FFFFFF) ? 1 : 0;
        return n;
    }
    // Pixels of the whole canvas whose colour differs from the one given.
    int CountNot(DWORD dwRgb) const { return m_cx * m_cy - CountRgb(RECT{0, 0, m_cx, m_cy}, dwRgb); }

    // Bounding box of the pixels whose colour differs from the one given.
    RECT InkBox(DWORD dwRgb) const
    {
        RECT rc = {m_cx, m_cy, -1, -1};
        for (int y = 0; y < m_cy; ++y)
            for (int x = 0; x < m_cx; ++x) {
                if (Rgb(x, y) == (dwRgb & 0x00FFFFFF)) continue;
                if (x < rc.left) rc.left = x;
                if (y < rc.top) rc.top = y;
                if (x + 1 > rc.right) rc.right = x + 1;
                if (y + 1 > rc.bottom) rc.bottom = y + 1;
            }
        return rc;
    }

private:
    DWORD* Bits() const { return reinterpret_cast<DWORD*>(m_pBits); }

    int m_cx;
    int m_cy;
    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOld = nullptr;
    BYTE* m_pBits = nullptr;
};

inline int Channel(DWORD dwArgb, int shift)
{
    return static_cast<int>((dwArgb >> shift) & 0xFF);
}

} // namespace test_support
