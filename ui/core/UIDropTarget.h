// OLE drop target of a paint window: accepts bitmaps, DIBs, file lists and
// enhanced metafiles and hands them to the window's paint manager.
#pragma once

#include "ui/core/UIDefines.h"

#include <ole2.h>

namespace Veneer {

class CPaintManagerUI;

class CDropTargetUI : public IDropTarget {
public:
    explicit CDropTargetUI(CPaintManagerUI* pManager);
    virtual ~CDropTargetUI() = default;
    CDropTargetUI(const CDropTargetUI&) = delete;
    CDropTargetUI& operator=(const CDropTargetUI&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDropTarget
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                        DWORD* pdwEffect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;

    // The formats accepted, in order of preference.
    static int GetAcceptedFormatCount();
    static FORMATETC GetAcceptedFormat(int iIndex);

private:
    // Index of the first accepted format the data offers, or -1.
    static int FindAcceptedFormat(IDataObject* pDataObj);

    LONG m_lRef;
    CPaintManagerUI* m_pManager;
    bool m_bAllowDrop;
};

}  // namespace Veneer
