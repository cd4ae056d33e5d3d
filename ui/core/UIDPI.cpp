#include "ui/core/UIDPI.h"

namespace Veneer {

namespace {

// shcore is present from Windows 8.1 on; its absence means an older system.
// Loaded from the system folder only, once, and released at process end.
class CShcoreLibrary {
public:
    typedef HRESULT(WINAPI* FnSetAwareness)(int);
    typedef HRESULT(WINAPI* FnGetAwareness)(HANDLE, int*);
    typedef HRESULT(WINAPI* FnGetDpiForMonitor)(HMONITOR, int, UINT*, UINT*);

    static CShcoreLibrary& Get()
    {
        static CShcoreLibrary lib;
        return lib;
    }
    ~CShcoreLibrary()
    {
        if (m_hModule != nullptr) ::FreeLibrary(m_hModule);
    }
    CShcoreLibrary(const CShcoreLibrary&) = delete;
    CShcoreLibrary& operator=(const CShcoreLibrary&) = delete;

    bool IsPresent() const { return m_pfnSet != nullptr && m_pfnGet != nullptr && m_pfnDpi != nullptr; }

    FnSetAwareness m_pfnSet = nullptr;
    FnGetAwareness m_pfnGet = nullptr;
    FnGetDpiForMonitor m_pfnDpi = nullptr;

private:
    CShcoreLibrary()
    {
        m_hModule = ::LoadLibraryExW(L"Shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (m_hModule == nullptr) return;
        m_pfnSet = reinterpret_cast<FnSetAwareness>(
            reinterpret_cast<void*>(::GetProcAddress(m_hModule, "SetProcessDpiAwareness")));
        m_pfnGet = reinterpret_cast<FnGetAwareness>(
            reinterpret_cast<void*>(::GetProcAddress(m_hModule, "GetProcessDpiAwareness")));
        m_pfnDpi = reinterpret_cast<FnGetDpiForMonitor>(
            reinterpret_cast<void*>(::GetProcAddress(m_hModule, "GetDpiForMonitor")));
    }

    HMODULE m_hModule = nullptr;
};

constexpr int kDefaultDPI = 96;
constexpr int kMdtEffectiveDpi = 0;

}  // namespace

CDPI::CDPI() : m_nScaleFactor(0), m_nScaleFactorSDA(0), m_Awareness(UI_PROCESS_PER_MONITOR_DPI_AWARE)
{
    SetScale(kDefaultDPI);
}

int CDPI::GetDPIOfMonitor(HMONITOR hMonitor)
{
    CShcoreLibrary& shcore = CShcoreLibrary::Get();
    if (shcore.IsPresent()) {
        UINT dpiX = kDefaultDPI;
        UINT dpiY = kDefaultDPI;
        if (FAILED(shcore.m_pfnDpi(hMonitor, kMdtEffectiveDpi, &dpiX, &dpiY))) {
            ::MessageBoxW(nullptr, L"GetDpiForMonitor failed", L"Notification", MB_OK);
            return kDefaultDPI;
        }
        return static_cast<int>(dpiX);
    }
    HDC hdc = ::GetDC(nullptr);
    if (hdc == nullptr) return kDefaultDPI;
    int dpi = ::GetDeviceCaps(hdc, LOGPIXELSX);
    ::ReleaseDC(nullptr, hdc);
    return dpi > 0 ? dpi : kDefaultDPI;
}

int CDPI::GetDPIOfMonitorNearestToPoint(POINT pt)
{
    return GetDPIOfMonitor(::MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST));
}

int CDPI::GetMainMonitorDPI()
{
    POINT pt = {0, 0};
    return GetDPIOfMonitor(::MonitorFromPoint(pt, MONITOR_DEFAULTTOPRIMARY));
}

bool CDPI::SetDPIAwareness(int awareness)
{
    CShcoreLibrary& shcore = CShcoreLibrary::Get();
    if (shcore.IsPresent()) {
        if (shcore.m_pfnSet(awareness) == S_OK) {
            m_Awareness = awareness;
            return true;
        }
        return false;
    }
    m_Awareness = awareness;
    return false;
}

int CDPI::GetDPIAwareness()
{
    CShcoreLibrary& shcore = CShcoreLibrary::Get();
    if (shcore.IsPresent()) {
        int value = 0;
        if (SUCCEEDED(shcore.m_pfnGet(nullptr, &value))) m_Awareness = value;
    }
    return m_Awareness;
}

int CDPI::GetDPI() const
{
    if (m_Awareness == UI_PROCESS_DPI_UNAWARE) return kDefaultDPI;
    return ::MulDiv(GetScale(), kDefaultDPI, 100);
}

int CDPI::GetScale() const
{
    if (m_Awareness == UI_PROCESS_DPI_UNAWARE) return 100;
    if (m_Awareness == UI_PROCESS_SYSTEM_DPI_AWARE) return m_nScaleFactorSDA;
    return m_nScaleFactor;
}

void CDPI::SetScale(UINT uDPI)
{
    m_nScaleFactor = ::MulDiv(static_cast<int>(uDPI), 100, kDefaultDPI);
    if (m_nScaleFactorSDA == 0) m_nScaleFactorSDA = m_nScaleFactor;
}

int CDPI::Scale(int iValue) const
{
    if (m_Awareness == UI_PROCESS_DPI_UNAWARE) return iValue;
    return ::MulDiv(iValue, GetScale(), 100);
}

int CDPI::ScaleBack(int iValue) const
{
    if (m_Awareness == UI_PROCESS_DPI_UNAWARE) return iValue;
    int scale = GetScale();
    if (scale == 0) return iValue;
    return ::MulDiv(iValue, 100, scale);
}

void CDPI::Scale(RECT* pRect) const
{
    if (pRect == nullptr) return;
    int width = Scale(pRect->right - pRect->left);
    int height = Scale(pRect->bottom - pRect->top);
    pRect->left = Scale(pRect->left);
    pRect->top = Scale(pRect->top);
    pRect->right = pRect->left + width;
    pRect->bottom = pRect->top + height;
}

void CDPI::ScaleBack(RECT* pRect) const
{
    if (pRect == nullptr) return;
    int width = ScaleBack(pRect->right - pRect->left);
    int height = ScaleBack(pRect->bottom - pRect->top);
    pRect->left = ScaleBack(pRect->left);
    pRect->top = ScaleBack(pRect->top);
    pRect->right = pRect->left + width;
    pRect->bottom = pRect->top + height;
}

void CDPI::Scale(POINT* pPoint) const
{
    if (pPoint == nullptr) return;
    pPoint->x = Scale(pPoint->x);
    pPoint->y = Scale(pPoint->y);
}

void CDPI::Scale(SIZE* pSize) const
{
    if (pSize == nullptr) return;
    pSize->cx = Scale(pSize->cx);
    pSize->cy = Scale(pSize->cy);
}

RECT CDPI::Scale(RECT rc) const
{
    Scale(&rc);
    return rc;
}

POINT CDPI::Scale(POINT pt) const
{
    Scale(&pt);
    return pt;
}

SIZE CDPI::Scale(SIZE sz) const
{
    Scale(&sz);
    return sz;
}

}  // namespace Veneer
