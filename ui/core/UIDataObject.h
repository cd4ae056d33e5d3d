// A minimal OLE data object holding the renderings of a dragged control image.
#pragma once

#include "ui/core/UIDefines.h"

#include <ole2.h>

#include <vector>

namespace Veneer {

class CDataObjectUI : public IDataObject {
public:
    CDataObjectUI();
    virtual ~CDataObjectUI();
    CDataObjectUI(const CDataObjectUI&) = delete;
    CDataObjectUI& operator=(const CDataObjectUI&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDataObject
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* pformatetc) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) override;
    // Takes ownership of the medium when fRelease is TRUE, else stores a copy.
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                                      DWORD* pdwConnection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD dwConnection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** ppenumAdvise) override;

private:
    int FindFormat(const FORMATETC* pFormat) const;
    static HRESULT CopyMedium(const FORMATETC& fmt, const STGMEDIUM& src, STGMEDIUM* pDst);

    LONG m_lRef;
    std::vector<FORMATETC> m_aFormats;
    std::vector<STGMEDIUM> m_aMedia;
};

}  // namespace Veneer
