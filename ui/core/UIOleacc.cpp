#include "ui/core/UIOleacc.h"

namespace Veneer {

namespace {

typedef LRESULT(WINAPI* LresultFromObjectFn)(REFIID, WPARAM, LPUNKNOWN);
typedef HRESULT(WINAPI* AccessibleObjectFromWindowFn)(HWND, DWORD, REFIID, void**);

template <typename Fn>
Fn Entry(HMODULE hModule, const char* pstrName)
{
    if (hModule == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(hModule, pstrName)));
}

}  // namespace

HMODULE COleacc::Module()
{
    // Loaded once and kept: the UI thread is the only caller.
    static HMODULE s_hModule = ::LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return s_hModule;
}

LRESULT COleacc::LresultFromObject(REFIID riid, WPARAM wParam, IUnknown* punk)
{
    auto pfn = Entry<LresultFromObjectFn>(Module(), "LresultFromObject");
    if (pfn == nullptr) return 0;
    const LRESULT lRes = pfn(riid, wParam, punk);
    return lRes < 0 ? 0 : lRes;  // a failure code is no object
}

HRESULT COleacc::AccessibleObjectFromWindow(HWND hWnd, DWORD dwObjectId, REFIID riid, void** ppvObject)
{
    if (ppvObject == nullptr) return E_POINTER;
    *ppvObject = nullptr;
    auto pfn = Entry<AccessibleObjectFromWindowFn>(Module(), "AccessibleObjectFromWindow");
    if (pfn == nullptr) return E_NOTIMPL;
    return pfn(hWnd, dwObjectId, riid, ppvObject);
}

}  // namespace Veneer
