// OLE drop source of the control-image drag: ends on button release, cancels on Escape.
#pragma once

#include "ui/core/UIDefines.h"

#include <ole2.h>

namespace Veneer {

class CDropSourceUI : public IDropSource {
public:
    CDropSourceUI();
    virtual ~CDropSourceUI() = default;
    CDropSourceUI(const CDropSourceUI&) = delete;
    CDropSourceUI& operator=(const CDropSourceUI&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD dwEffect) override;

private:
    LONG m_lRef;
};

}  // namespace Veneer
