// Drag-out of a control image from a paint window through the system drag loop.
#include "ui/core/UIManager.h"

#include <shlobj.h>

#include "ui/core/UIDataObject.h"
#include "ui/core/UIDropSource.h"
#include "ui/core/UIDropTarget.h"
#include "ui/support/SelectObject.h"

namespace Veneer {

namespace {

HENHMETAFILE MetafileFromBitmap(HDC hRefDC, HBITMAP hBitmap, int cx, int cy)
{
    HDC hMetaDC = ::CreateEnhMetaFileW(hRefDC, nullptr, nullptr, nullptr);
    if (hMetaDC == nullptr) return nullptr;
    CMemoryDC memDC(::CreateCompatibleDC(hRefDC));
    if (memDC) {
        CSelectObject select(memDC.Get(), hBitmap);
        ::BitBlt(hMetaDC, 0, 0, cx, cy, memDC.Get(), 0, 0, SRCCOPY);
    }
    return ::CloseEnhMetaFile(hMetaDC);
}

void AttachDragImage(IDataObject* pData, HBITMAP hBitmap, int cx, int cy)
{
    IDragSourceHelper* pHelper = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_IDragSourceHelper,
                                  reinterpret_cast<void**>(&pHelper))) ||
        pHelper == nullptr) {
        return;
    }
    SHDRAGIMAGE image = {};
    image.sizeDragImage.cx = cx;
    image.sizeDragImage.cy = cy;
    image.ptOffset.x = cx / 2;
    image.ptOffset.y = cy / 2;
    image.hbmpDragImage = static_cast<HBITMAP>(::OleDuplicateData(hBitmap, CF_BITMAP, 0));
    image.crColorKey = ::GetSysColor(COLOR_WINDOW);
    // On success the helper owns the bitmap.
    if (image.hbmpDragImage != nullptr && FAILED(pHelper->InitializeFromBitmap(&image, pData))) {
        ::DeleteObject(image.hbmpDragImage);
    }
    pHelper->Release();
}

}  // namespace

void CPaintManagerUI::DoDragOut()
{
    ReleaseCapture();
    if (!m_hDragBitmap) return;
    BITMAP bm = {};
    if (::GetObjectW(m_hDragBitmap.Get(), sizeof(BITMAP), &bm) == 0) return;

    auto* pData = new CDataObjectUI;
    FORMATETC fmtBitmap = {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI};
    STGMEDIUM medBitmap = {};
    medBitmap.tymed = TYMED_GDI;
    medBitmap.hBitmap = static_cast<HBITMAP>(::OleDuplicateData(m_hDragBitmap.Get(), CF_BITMAP, 0));
    if (medBitmap.hBitmap != nullptr) pData->SetData(&fmtBitmap, &medBitmap, TRUE);

    FORMATETC fmtMeta = {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
    STGMEDIUM medMeta = {};
    medMeta.tymed = TYMED_ENHMF;
    medMeta.hEnhMetaFile = MetafileFromBitmap(m_hDcPaint.Get(), m_hDragBitmap.Get(), bm.bmWidth, bm.bmHeight);
    if (medMeta.hEnhMetaFile != nullptr) pData->SetData(&fmtMeta, &medMeta, TRUE);

    AttachDragImage(pData, m_hDragBitmap.Get(), bm.bmWidth, bm.bmHeight);

    auto* pSource = new CDropSourceUI;
    DWORD dwEffect = DROPEFFECT_NONE;
    ::DoDragDrop(pData, pSource, DROPEFFECT_COPY | DROPEFFECT_MOVE, &dwEffect);
    pSource->Release();
    pData->Release();
    m_bDragMode = false;
    // The drag loop swallowed the button-up: the dragged control must not stay pressed.
    CancelClick();
}

void CPaintManagerUI::RevokeDropTarget()
{
    if (m_pDropTarget == nullptr) return;
    // Revoked while the window exists; OLE's own reference to the target ends with the registration.
    if (m_hWndPaint != nullptr && ::IsWindow(m_hWndPaint)) ::RevokeDragDrop(m_hWndPaint);
    m_pDropTarget->Release();
    m_pDropTarget = nullptr;
}

}  // namespace Veneer
