#pragma once
// CShadowUI: the soft drop shadow of a caption-less skinned window. The shadow is a
// separate click-through, per-pixel-alpha window owned by the skinned window and kept
// just below it; it follows the owner through a hook on the owner's window procedure.

#include <windows.h>

#include <map>
#include <vector>

#include "ui/support/UIString.h"

namespace Veneer {

class CPaintManagerUI;

class CShadowUI {
public:
    CShadowUI();
    virtual ~CShadowUI();
    CShadowUI(const CShadowUI&) = delete;
    CShadowUI& operator=(const CShadowUI&) = delete;

    // Registers the shadow window class; true the first time only.
    static bool Initialize(HINSTANCE hInstance);

    // Creates the shadow window for the manager's paint window and hooks the owner.
    // Does nothing unless ShowShadow(true) was called before.
    void Create(CPaintManagerUI* pPaintManager);

    void ShowShadow(bool bShow);
    bool IsShowShadow() const;
    void DisableShadow(bool bDisable);
    bool IsDisableShadow() const;

    // Setters refuse out-of-range values (false) and keep the previous one.
    bool SetSize(int NewSize);                 // -35..35
    bool SetSharpness(unsigned int NewSharpness); // 0..35
    bool SetDarkness(unsigned int NewDarkness);   // 0..255
    bool SetPosition(int NewXOffset, int NewYOffset); // -35..35 each
    bool SetColor(DWORD NewColor);             // 0xAARRGGBB, alpha ignored
    bool SetImage(LPCTSTR szImage);            // switches to image mode; false for null
    bool SetShadowCorner(RECT rcCorner);       // false when a side is negative
    bool CopyShadow(CShadowUI* pShadow);

    int GetSize() const { return m_nSize; }
    unsigned int GetSharpness() const { return m_nSharpness; }
    unsigned int GetDarkness() const { return m_nDarkness; }
    POINT GetPosition() const { return POINT{m_nxOffset, m_nyOffset}; }
    DWORD GetColor() const { return m_Color; }
    LPCTSTR GetImage() const { return m_sShadowImage.GetData(); }
    RECT GetShadowCorner() const { return m_rcShadowCorner; }
    bool IsImageMode() const { return m_bIsImageMode; }
    HWND GetHWND() const { return m_hWnd; }
    BYTE GetStatus() const { return m_Status; }

    // Re-renders the shadow for its owner (only when shown and visible).
    void Update(HWND hParent);

    // Renders the computed shadow of hParent (window rectangle rcParent) into pShadBits,
    // a cleared top-down 32-bit buffer of (W + 2*size) x (H + 2*size) pixels.
    void MakeShadow(UINT32* pShadBits, HWND hParent, const RECT* rcParent);

    // A row of a shape: [left, right) in pixels; empty rows have left >= right.
    struct TSpan {
        int left;
        int right;
        bool operator==(const TSpan& other) const { return left == other.left && right == other.right; }
    };

    // Each colour byte of cl multiplied by nAlpha / 255, bytes kept in place, top byte 0.
    static DWORD PreMultiply(DWORD cl, unsigned char nAlpha);

    enum ShadowStatus : BYTE {
        SS_ENABLED = 1,       // shadow window created
        SS_VISABLE = 1 << 1,  // shadow window shown
        SS_PARENTVISIBLE = 1 << 2,
    };

    static const TCHAR* const kShadowClassName;

protected:
    static std::map<HWND, CShadowUI*>& GetShadowMap();
    static LRESULT CALLBACK ParentProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnOwnerMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    POINT ShadowOrigin(const RECT& rcOwner) const;
    void MoveToOwner(HWND hParent);
    void ApplyIfShown();
    // What a computed shadow is made from: when nothing of it changed, the picture the shadow window
    // holds is still right and only its place may need to follow the owner.
    struct TRenderedKey {
        int width = 0;
        int height = 0;
        DWORD color = 0;
        int darkness = 0, sharpness = 0, size = 0, xOffset = 0, yOffset = 0;
        std::vector<TSpan> shape; // the owner's rows
        bool operator==(const TRenderedKey& other) const;
    };
    TRenderedKey ComputedKey(HWND hParent, int width, int height) const;
    // MakeShadow for an owner shape already measured.
    void DrawShadow(UINT32* pShadBits, const std::vector<TSpan>& owner, int ownerW, int ownerH) const;

    static bool s_bHasInit;

    HWND m_hWnd;
    WNDPROC m_OriParentProc;
    CPaintManagerUI* m_pManager;
    bool m_bIsShowShadow;
    bool m_bIsImageMode;
    bool m_bIsDisableShadow;
    BYTE m_Status;
    unsigned char m_nDarkness;
    unsigned char m_nSharpness;
    signed char m_nSize;
    signed char m_nxOffset;
    signed char m_nyOffset;
    LPARAM m_WndSize;
    bool m_bUpdate;
    DWORD m_Color;
    CUIString m_sShadowImage;
    RECT m_rcShadowCorner;
    HWND m_hOwner;
    TRenderedKey m_rendered;
    bool m_bRendered = false;
};

} // namespace Veneer
