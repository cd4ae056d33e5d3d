#include "ui/core/UIDropTarget.h"

#include "ui/core/UIManager.h"

namespace Veneer {

namespace {

const FORMATETC kAccepted[] = {
    {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI},
    {CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
    {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
    {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF},
};

}  // namespace

CDropTargetUI::CDropTargetUI(CPaintManagerUI* pManager) : m_lRef(1), m_pManager(pManager), m_bAllowDrop(false) {}

HRESULT STDMETHODCALLTYPE CDropTargetUI::QueryInterface(REFIID riid, void** ppvObject)
{
    if (ppvObject == nullptr) return E_POINTER;
    *ppvObject = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
        *ppvObject = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CDropTargetUI::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_lRef));
}

ULONG STDMETHODCALLTYPE CDropTargetUI::Release()
{
    LONG lRef = ::InterlockedDecrement(&m_lRef);
    if (lRef == 0) delete this;
    return static_cast<ULONG>(lRef);
}

int CDropTargetUI::GetAcceptedFormatCount()
{
    return static_cast<int>(sizeof(kAccepted) / sizeof(kAccepted[0]));
}

FORMATETC CDropTargetUI::GetAcceptedFormat(int iIndex)
{
    if (iIndex < 0 || iIndex >= GetAcceptedFormatCount()) {
        FORMATETC none = {0, nullptr, DVASPECT_CONTENT, -1, TYMED_NULL};
        return none;
    }
    return kAccepted[iIndex];
}

int CDropTargetUI::FindAcceptedFormat(IDataObject* pDataObj)
{
    if (pDataObj == nullptr) return -1;
    for (int i = 0; i < GetAcceptedFormatCount(); ++i) {
        FORMATETC fmt = kAccepted[i];
        if (pDataObj->QueryGetData(&fmt) == S_OK) return i;
    }
    return -1;
}

HRESULT STDMETHODCALLTYPE CDropTargetUI::DragEnter(IDataObject* pDataObj, DWORD /*grfKeyState*/, POINTL /*pt*/,
                                                   DWORD* pdwEffect)
{
    m_bAllowDrop = FindAcceptedFormat(pDataObj) >= 0;
    if (pdwEffect != nullptr) *pdwEffect = m_bAllowDrop ? (*pdwEffect & DROPEFFECT_COPY) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDropTargetUI::DragOver(DWORD /*grfKeyState*/, POINTL /*pt*/, DWORD* pdwEffect)
{
    if (pdwEffect != nullptr) *pdwEffect = m_bAllowDrop ? (*pdwEffect & DROPEFFECT_COPY) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDropTargetUI::DragLeave()
{
    m_bAllowDrop = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDropTargetUI::Drop(IDataObject* pDataObj, DWORD /*grfKeyState*/, POINTL /*pt*/,
                                              DWORD* pdwEffect)
{
    m_bAllowDrop = false;
    int iFormat = FindAcceptedFormat(pDataObj);
    if (iFormat < 0 || m_pManager == nullptr) {
        if (pdwEffect != nullptr) *pdwEffect = DROPEFFECT_NONE;
        return S_OK;
    }
    FORMATETC fmt = kAccepted[iFormat];
    STGMEDIUM medium = {};
    if (FAILED(pDataObj->GetData(&fmt, &medium))) {
        if (pdwEffect != nullptr) *pdwEffect = DROPEFFECT_NONE;
        return S_OK;
    }
    m_pManager->OnDrop(&fmt, medium, pdwEffect);
    ::ReleaseStgMedium(&medium);
    return S_OK;
}

}  // namespace Veneer
