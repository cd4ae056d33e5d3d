#pragma once

#include <windows.h>

namespace Veneer {

// Thin wrapper of one native window: class registration, creation,
// subclassing, the static window procedures that find the object again, a
// modal loop and a few utilities.
class CWindowWnd
{
public:
    CWindowWnd();

    HWND GetHWND() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    bool RegisterWindowClass();
    bool RegisterSuperclass();

    HWND Create(HWND hwndParent, LPCWSTR pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT rc, HMENU hMenu = NULL);
    HWND Create(HWND hwndParent, LPCWSTR pstrName, DWORD dwStyle, DWORD dwExStyle,
                int x = CW_USEDEFAULT, int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT,
                HMENU hMenu = NULL);
    HWND CreateUIWindow(HWND hwndParent, LPCWSTR pstrWindowName, DWORD dwStyle = 0, DWORD dwExStyle = 0);

    HWND Subclass(HWND hWnd);
    void Unsubclass();

    void ShowWindow(bool bShow = true, bool bTakeFocus = true);
    // Runs a modal loop until the window is gone; returns the wParam of the
    // WM_CLOSE that ended it (the value given to Close), 0 without one.
    UINT ShowModal();
    void Close(UINT nRet = IDOK);
    void CenterWindow();
    void SetIcon(UINT nRes);

    LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0L);
    LRESULT PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0L);
    void ResizeClient(int cx = -1, int cy = -1);

    virtual LPCWSTR GetWindowClassName() const = 0;
    virtual LPCWSTR GetSuperClassName() const;
    virtual UINT GetClassStyle() const;
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Last call for the object: the native window is already gone.
    virtual void OnFinalMessage(HWND hWnd);
    virtual ~CWindowWnd();

    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    static LRESULT CALLBACK __WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK __ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Touch input hook; this framework handles no touch input.
    static bool DoTouchInformation(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

protected:
    // Cuts the link between a still-existing native window and this object,
    // so a window that outlives its object never reaches freed memory; it
    // then gets only default processing.
    void DetachWindow();

    HWND m_hWnd;
    WNDPROC m_OldWndProc;
    bool m_bSubclassed;

private:
    static LRESULT FinalMessage(CWindowWnd* pThis, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
};

} // namespace Veneer
