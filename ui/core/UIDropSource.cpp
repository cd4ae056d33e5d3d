#include "ui/core/UIDropSource.h"

namespace Veneer {

CDropSourceUI::CDropSourceUI() : m_lRef(1) {}

HRESULT STDMETHODCALLTYPE CDropSourceUI::QueryInterface(REFIID riid, void** ppvObject)
{
    if (ppvObject == nullptr) return E_POINTER;
    *ppvObject = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropSource)) {
        *ppvObject = static_cast<IDropSource*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CDropSourceUI::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_lRef));
}

ULONG STDMETHODCALLTYPE CDropSourceUI::Release()
{
    LONG lRef = ::InterlockedDecrement(&m_lRef);
    if (lRef == 0) delete this;
    return static_cast<ULONG>(lRef);
}

HRESULT STDMETHODCALLTYPE CDropSourceUI::QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState)
{
    if (fEscapePressed) return DRAGDROP_S_CANCEL;
    if ((grfKeyState & MK_LBUTTON) == 0) return DRAGDROP_S_DROP;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDropSourceUI::GiveFeedback(DWORD /*dwEffect*/)
{
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

}  // namespace Veneer
