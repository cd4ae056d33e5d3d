// Snapshots of a window's controls into bitmaps (drag images, animations).
#include <string.h>

#include "ui/controls/UIControl.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"
#include "ui/core/UIRenderPlatform.h"

namespace Veneer {

using namespace RenderDetail;

namespace {

void FillPixels(BYTE* pBits, int cx, int cy, DWORD dwColor)
{
    DWORD* pPixels = reinterpret_cast<DWORD*>(pBits);
    const size_t count = static_cast<size_t>(cx) * static_cast<size_t>(cy);
    for (size_t i = 0; i < count; ++i) pPixels[i] = dwColor;
}

// Controls paint in window coordinates and clip with device regions, so they are painted
// into a canvas as large as the area up to rc's far corner; rc is then cut out of it.
HBITMAP Snapshot(CPaintManagerUI* pManager, CControlUI* pPaintRoot, const RECT& rc, CControlUI* pStopControl,
                 DWORD dwFilterColor)
{
    const int cx = Width(rc);
    const int cy = Height(rc);
    if (pManager == nullptr || pPaintRoot == nullptr || cx <= 0 || cy <= 0 || rc.left < 0 || rc.top < 0) {
        return nullptr;
    }
    HDC hRef = pManager->GetPaintDC();
    BYTE* pCanvasBits = nullptr;
    CBitmapHandle canvas(CRenderEngine::CreateARGB32Bitmap(hRef, rc.right, rc.bottom, &pCanvasBits));
    BYTE* pBits = nullptr;
    CBitmapHandle result(CRenderEngine::CreateARGB32Bitmap(hRef, cx, cy, &pBits));
    CMemoryDC canvasDC(::CreateCompatibleDC(hRef));
    CMemoryDC resultDC(::CreateCompatibleDC(hRef));
    if (canvas.Get() == nullptr || result.Get() == nullptr || canvasDC.Get() == nullptr || resultDC.Get() == nullptr) {
        return nullptr;
    }
    FillPixels(pCanvasBits, rc.right, rc.bottom, dwFilterColor);
    {
        CSelectObject selectCanvas(canvasDC.Get(), canvas.Get());
        CSelectObject selectResult(resultDC.Get(), result.Get());
        pPaintRoot->Paint(canvasDC.Get(), rc, pStopControl);
        ::BitBlt(resultDC.Get(), 0, 0, cx, cy, canvasDC.Get(), rc.left, rc.top, SRCCOPY);
        ::GdiFlush();
    }
    return result.Release();
}

} // namespace

HBITMAP CRenderEngine::GenerateBitmap(CPaintManagerUI* pManager, RECT rc, CControlUI* pStopControl,
                                      DWORD dwFilterColor)
{
    if (pManager == nullptr) return nullptr;
    return Snapshot(pManager, pManager->GetRoot(), rc, pStopControl, dwFilterColor);
}

HBITMAP CRenderEngine::GenerateBitmap(CPaintManagerUI* pManager, CControlUI* pControl, RECT rc, DWORD dwFilterColor)
{
    return Snapshot(pManager, pControl, rc, nullptr, dwFilterColor);
}

} // namespace Veneer
