// The few oleacc entries the framework calls, bound on first use from the system folder. The framework
// itself never needs them before a screen reader asks for a window's accessible object, and oleacc is not
// among the DLLs every process has mapped: a program built on the framework neither imports it (so no copy
// planted beside the program is ever loaded) nor fails to start where it is missing.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace Veneer {

class COleacc
{
public:
    // 0 when oleacc is missing (the caller then lets the window's default handling answer).
    static LRESULT LresultFromObject(REFIID riid, WPARAM wParam, IUnknown* punk);
    static HRESULT AccessibleObjectFromWindow(HWND hWnd, DWORD dwObjectId, REFIID riid, void** ppvObject);

private:
    static HMODULE Module();
};

}  // namespace Veneer
