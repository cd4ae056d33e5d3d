// Test helpers for the control, layout and widget tests: a real window driven
// through its paint manager, input sent as window messages, an off-screen
// canvas, small bitmap files, and controls built for layouts.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/controls/UIHorizontalLayout.h"
#include "ui/controls/UIVerticalLayout.h"
#include "ui/core/UIManager.h"
#include "tests/support/MessagePump.h"

namespace controls_test {

struct Note
{
    std::wstring type;
    Veneer::CControlUI* sender;
    WPARAM wParam;
    LPARAM lParam;
};

// A top-level window whose messages all go through its paint manager.
class Host : public Veneer::INotifyUI
{
public:
    explicit Host(int cx = 400, int cy = 300, DWORD dwExStyle = 0)
    {
        static bool s_registered = false;
        if (!s_registered) {
            WNDCLASSW wc = {};
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = &Host::WndProc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"VeneerControlsTestHost";
            wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
            ::RegisterClassW(&wc);
            s_registered = true;
        }
        m_hWnd = ::CreateWindowExW(dwExStyle, L"VeneerControlsTestHost", L"controls test", WS_POPUP | WS_VISIBLE, 0,
                                   0, cx, cy, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
        m_pm.Init(m_hWnd);
        m_pm.AddNotifier(this);
    }

    ~Host()
    {
        if (m_hWnd != nullptr) {
            ::DestroyWindow(m_hWnd);
            m_hWnd = nullptr;
        }
        Pump();
    }

    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    Veneer::CPaintManagerUI& Manager() { return m_pm; }
    HWND Handle() const { return m_hWnd; }

    // Attaches the tree and lets the manager lay it out and paint it once.
    void Attach(Veneer::CControlUI* pRoot)
    {
        m_pm.AttachDialog(pRoot);
        Layout();
    }

    void Layout()
    {
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        ::UpdateWindow(m_hWnd);
        Pump();
    }

    void Notify(Veneer::TNotifyUI& msg) override
    {
        m_notes.push_back(Note{std::wstring(msg.sType.GetData()), msg.pSender, msg.wParam, msg.lParam});
    }

    int Count(const wchar_t* type) const
    {
        int n = 0;
        for (const Note& note : m_notes) n += note.type == type ? 1 : 0;
        return n;
    }

    // Notification types in order, skipping the manager's own focus reports.
    std::vector<std::wstring> Types() const
    {
        std::vector<std::wstring> types;
        for (const Note& note : m_notes) {
            if (note.type == L"setfocus" || note.type == L"killfocus" || note.type == L"timer") continue;
            types.push_back(note.type);
        }
        return types;
    }

    void Clear() { m_notes.clear(); }

    // ---- input as window messages ----
    LRESULT Send(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0) { return ::SendMessageW(m_hWnd, uMsg, wParam, lParam); }
    void Move(int x, int y, WPARAM wKeys = 0) { Send(WM_MOUSEMOVE, wKeys, MAKELPARAM(x, y)); }
    void Down(int x, int y) { Move(x, y); Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    void Up(int x, int y) { Send(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    void Click(int x, int y) { Down(x, y); Up(x, y); }
    void Key(WPARAM vk)
    {
        Send(WM_KEYDOWN, vk, 1);
        Send(WM_KEYUP, vk, 0xC0000001);
    }
    void Char(wchar_t ch)
    {
        Send(WM_KEYDOWN, static_cast<WPARAM>(::VkKeyScanW(ch) & 0xFF), 1);
        Send(WM_CHAR, ch, 1);
        Send(WM_KEYUP, static_cast<WPARAM>(::VkKeyScanW(ch) & 0xFF), 0xC0000001);
    }
    void Wheel(int x, int y, int delta)
    {
        POINT pt = {x, y};
        ::ClientToScreen(m_hWnd, &pt);
        Send(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(pt.x, pt.y));
    }

    static void Pump()
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    template <typename Pred>
    static bool PumpUntil(Pred pred, DWORD dwTimeoutMs = 3000)
    {
        return test_support::PumpUntil(pred, &Host::Pump, dwTimeoutMs);
    }

    // Runs the message loop for about the given time (timers fire meanwhile).
    static void PumpFor(DWORD dwMs)
    {
        const DWORD dwStart = ::GetTickCount();
        while (::GetTickCount() - dwStart < dwMs) {
            Pump();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }

    std::vector<Note> m_notes;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        if (uMsg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* self = reinterpret_cast<Host*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (uMsg == WM_NCDESTROY) ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        if (self != nullptr && uMsg != WM_NCCREATE && uMsg != WM_CREATE) {
            LRESULT lRes = 0;
            if (self->m_pm.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
        }
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }

    HWND m_hWnd = nullptr;
    Veneer::CPaintManagerUI m_pm;
};

// An off-screen top-down 32-bit canvas a control tree is painted into.
class Canvas
{
public:
    Canvas(int cx, int cy) : m_cx(cx), m_cy(cy)
    {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = cx;
        bmi.bmiHeader.biHeight = -cy;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        m_hDC = ::CreateCompatibleDC(nullptr);
        m_hBitmap = ::CreateDIBSection(m_hDC, &bmi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pBits), nullptr, 0);
        m_hOld = ::SelectObject(m_hDC, m_hBitmap);
        Fill(0xFFFFFF);
    }

    ~Canvas()
    {
        ::SelectObject(m_hDC, m_hOld);
        ::DeleteObject(m_hBitmap);
        ::DeleteDC(m_hDC);
    }

    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC DC() const { return m_hDC; }

    void Fill(DWORD dwRgb)
    {
        ::GdiFlush();
        for (int i = 0; i < m_cx * m_cy; ++i) m_pBits[i] = 0xFF000000 | dwRgb;
    }

    // Paints the control as the manager would, over a white background.
    void Paint(Veneer::CControlUI* pControl)
    {
        Fill(0xFFFFFF);
        RECT rc = {0, 0, m_cx, m_cy};
        pControl->Paint(m_hDC, rc, nullptr);
        ::GdiFlush();
    }

    DWORD Rgb(int x, int y) const
    {
        ::GdiFlush();
        return m_pBits[y * m_cx + x] & 0x00FFFFFF;
    }

    // Number of pixels of one colour inside a rectangle.
    int CountRgb(const RECT& rc, DWORD dwRgb) const
    {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) n += Rgb(x, y) == dwRgb ? 1 : 0;
        return n;
    }

private:
    int m_cx;
    int m_cy;
    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOld = nullptr;
    DWORD* m_pBits = nullptr;
};

// A folder of generated bitmaps that image descriptors can name.
class ImageFolder
{
public:
    ImageFolder()
    {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        wchar_t dir[MAX_PATH];
        wsprintfW(dir, L"%svctl_%lu_%lu\\", temp, ::GetCurrentProcessId(), ::GetTickCount());
        ::CreateDirectoryW(dir, nullptr);
        m_dir = dir;
        Veneer::CPaintManagerUI::SetResourcePath(m_dir.c_str());
    }

    ~ImageFolder()
    {
        for (const std::wstring& file : m_files) ::DeleteFileW(file.c_str());
        ::RemoveDirectoryW(m_dir.c_str());
    }

    ImageFolder(const ImageFolder&) = delete;
    ImageFolder& operator=(const ImageFolder&) = delete;

    // A 24-bit bitmap of vertical stripes: stripe i has colour colours[i] (0xRRGGBB).
    void Stripes(const wchar_t* name, int cxStripe, int cy, const std::vector<DWORD>& colours)
    {
        const int cx = cxStripe * static_cast<int>(colours.size());
        const int stride = (cx * 3 + 3) & ~3;
        std::vector<BYTE> pixels(static_cast<size_t>(stride) * cy, 0);
        for (int y = 0; y < cy; ++y) {
            for (int x = 0; x < cx; ++x) {
                const DWORD c = colours[static_cast<size_t>(x / cxStripe)];
                BYTE* p = &pixels[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3];
                p[0] = static_cast<BYTE>(c & 0xFF);
                p[1] = static_cast<BYTE>((c >> 8) & 0xFF);
                p[2] = static_cast<BYTE>((c >> 16) & 0xFF);
            }
        }
        BITMAPFILEHEADER fh = {};
        BITMAPINFOHEADER ih = {};
        ih.biSize = sizeof(ih);
        ih.biWidth = cx;
        ih.biHeight = cy;
        ih.biPlanes = 1;
        ih.biBitCount = 24;
        ih.biCompression = BI_RGB;
        ih.biSizeImage = static_cast<DWORD>(pixels.size());
        fh.bfType = 0x4D42;
        fh.bfOffBits = sizeof(fh) + sizeof(ih);
        fh.bfSize = fh.bfOffBits + ih.biSizeImage;
        const std::wstring path = m_dir + name;
        FILE* f = _wfopen(path.c_str(), L"wb");
        if (f == nullptr) return;
        fwrite(&fh, sizeof(fh), 1, f);
        fwrite(&ih, sizeof(ih), 1, f);
        fwrite(pixels.data(), 1, pixels.size(), f);
        fclose(f);
        m_files.push_back(path);
    }

    void Solid(const wchar_t* name, int cx, int cy, DWORD colour) { Stripes(name, cx, cy, {colour}); }

private:
    std::wstring m_dir;
    std::vector<std::wstring> m_files;
};

inline RECT Rc(int l, int t, int r, int b)
{
    RECT rc = {l, t, r, b};
    return rc;
}

inline bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::string RectText(const RECT& rc)
{
    char buf[80];
    wsprintfA(buf, "(%ld,%ld,%ld,%ld)", rc.left, rc.top, rc.right, rc.bottom);
    return buf;
}

// A control with a fixed size that reports its destruction.
class ProbeControl : public Veneer::CControlUI
{
public:
    explicit ProbeControl(int cx = 0, int cy = 0, bool* pDeleted = nullptr) : m_pDeleted(pDeleted)
    {
        if (cx > 0) SetFixedWidth(cx);
        if (cy > 0) SetFixedHeight(cy);
    }
    ~ProbeControl() override
    {
        if (m_pDeleted != nullptr) *m_pDeleted = true;
    }

private:
    bool* m_pDeleted;
};

// Fixed-size children for layouts: 0 means "stretch" in that dimension.
inline Veneer::CControlUI* Child(Veneer::CContainerUI& parent, int cx, int cy)
{
    Veneer::CControlUI* p = new Veneer::CControlUI();
    if (cx > 0) p->SetFixedWidth(cx);
    if (cy > 0) p->SetFixedHeight(cy);
    parent.Add(p);
    return p;
}

} // namespace controls_test
