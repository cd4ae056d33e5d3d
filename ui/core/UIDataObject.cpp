#include "ui/core/UIDataObject.h"

#include <shlobj.h>

namespace Veneer {

CDataObjectUI::CDataObjectUI() : m_lRef(1) {}

CDataObjectUI::~CDataObjectUI()
{
    for (STGMEDIUM& medium : m_aMedia) ::ReleaseStgMedium(&medium);
}

HRESULT STDMETHODCALLTYPE CDataObjectUI::QueryInterface(REFIID riid, void** ppvObject)
{
    if (ppvObject == nullptr) return E_POINTER;
    *ppvObject = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
        *ppvObject = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CDataObjectUI::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_lRef));
}

ULONG STDMETHODCALLTYPE CDataObjectUI::Release()
{
    LONG lRef = ::InterlockedDecrement(&m_lRef);
    if (lRef == 0) delete this;
    return static_cast<ULONG>(lRef);
}

int CDataObjectUI::FindFormat(const FORMATETC* pFormat) const
{
    if (pFormat == nullptr) return -1;
    for (size_t i = 0; i < m_aFormats.size(); ++i) {
        const FORMATETC& f = m_aFormats[i];
        if (f.cfFormat == pFormat->cfFormat && (f.tymed & pFormat->tymed) != 0 && f.dwAspect == pFormat->dwAspect) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

HRESULT CDataObjectUI::CopyMedium(const FORMATETC& fmt, const STGMEDIUM& src, STGMEDIUM* pDst)
{
    STGMEDIUM copy = {};
    copy.tymed = src.tymed;
    switch (src.tymed) {
    case TYMED_GDI:
    case TYMED_ENHMF:
    case TYMED_HGLOBAL:
    case TYMED_MFPICT:
        copy.hGlobal = static_cast<HGLOBAL>(::OleDuplicateData(src.hGlobal, fmt.cfFormat, 0));
        if (copy.hGlobal == nullptr) return E_OUTOFMEMORY;
        break;
    default:
        return DV_E_TYMED;
    }
    copy.pUnkForRelease = nullptr;
    *pDst = copy;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDataObjectUI::GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium)
{
    if (pformatetcIn == nullptr || pmedium == nullptr) return E_INVALIDARG;
    int i = FindFormat(pformatetcIn);
    if (i < 0) return DV_E_FORMATETC;
    return CopyMedium(m_aFormats[i], m_aMedia[i], pmedium);
}

HRESULT STDMETHODCALLTYPE CDataObjectUI::GetDataHere(FORMATETC*, STGMEDIUM*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CDataObjectUI::QueryGetData(FORMATETC* pformatetc)
{
    return FindFormat(pformatetc) >= 0 ? S_OK : DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE CDataObjectUI::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pformatetcOut)
{
    if (pformatetcOut != nullptr) pformatetcOut->ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CDataObjectUI::SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease)
{
    if (pformatetc == nullptr || pmedium == nullptr) return E_INVALIDARG;
    STGMEDIUM stored = {};
    if (fRelease) {
        stored = *pmedium;
    } else {
        HRESULT hr = CopyMedium(*pformatetc, *pmedium, &stored);
        if (FAILED(hr)) return hr;
    }
    int i = FindFormat(pformatetc);
    if (i >= 0) {
        ::ReleaseStgMedium(&m_aMedia[i]);
        m_aMedia[i] = stored;
        return S_OK;
    }
    m_aFormats.push_back(*pformatetc);
    m_aMedia.push_back(stored);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDataObjectUI::EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc)
{
    if (ppenumFormatEtc == nullptr) return E_INVALIDARG;
    *ppenumFormatEtc = nullptr;
    if (dwDirection != DATADIR_GET) return E_NOTIMPL;
    return ::SHCreateStdEnumFmtEtc(static_cast<UINT>(m_aFormats.size()),
                                   m_aFormats.empty() ? nullptr : m_aFormats.data(), ppenumFormatEtc);
}

HRESULT STDMETHODCALLTYPE CDataObjectUI::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CDataObjectUI::DUnadvise(DWORD)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CDataObjectUI::EnumDAdvise(IEnumSTATDATA**)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

}  // namespace Veneer
