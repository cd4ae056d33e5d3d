// Per-window DPI scale: turns design pixels (100 %) into device pixels.
#pragma once

#include "ui/core/UIDefines.h"

namespace Veneer {

// Process DPI awareness values, as the platform defines them.
enum PROCESS_DPI_AWARENESS_UI {
    UI_PROCESS_DPI_UNAWARE = 0,
    UI_PROCESS_SYSTEM_DPI_AWARE = 1,
    UI_PROCESS_PER_MONITOR_DPI_AWARE = 2,
};

class CDPI {
public:
    CDPI();

    static int GetDPIOfMonitor(HMONITOR hMonitor);
    static int GetDPIOfMonitorNearestToPoint(POINT pt);
    static int GetMainMonitorDPI();

    // Returns true only when the platform accepted the awareness.
    bool SetDPIAwareness(int awareness);
    int GetDPIAwareness();

    int GetDPI() const;
    int GetScale() const;
    void SetScale(UINT uDPI);

    int Scale(int iValue) const;
    int ScaleBack(int iValue) const;
    void Scale(RECT* pRect) const;
    void ScaleBack(RECT* pRect) const;
    void Scale(POINT* pPoint) const;
    void Scale(SIZE* pSize) const;
    RECT Scale(RECT rc) const;
    POINT Scale(POINT pt) const;
    SIZE Scale(SIZE sz) const;

private:
    int m_nScaleFactor;
    int m_nScaleFactorSDA;
    int m_Awareness;
};

}  // namespace Veneer
