#pragma once
// Shared fixtures of the render tests: an off-screen 32-bit canvas whose pixels are read
// back exactly, a tiny PNG/GIF writer for image fixtures, a scratch resource folder and a
// paint manager bound to a hidden window.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"

#include "render_png.h"

namespace RenderTest {

using namespace Veneer;

// 32-bit top-down DIB selected into a memory DC.
class Canvas {
public:
    Canvas(int cx, int cy, DWORD fill = 0xFFFFFFFF) : m_cx(cx), m_cy(cy)
    {
        m_hDC = ::CreateCompatibleDC(nullptr);
        m_hBitmap = CRenderEngine::CreateARGB32Bitmap(m_hDC, cx, cy, &m_pBits);
        m_hOld = ::SelectObject(m_hDC, m_hBitmap);
        Fill(fill);
    }
    ~Canvas()
    {
        ::SelectObject(m_hDC, m_hOld);
        ::DeleteObject(m_hBitmap);
        ::DeleteDC(m_hDC);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return m_hDC; }
    int width() const { return m_cx; }
    int height() const { return m_cy; }
    void Fill(DWORD argb)
    {
        ::GdiFlush();
        for (int i = 0; i < m_cx * m_cy; ++i) reinterpret_cast<DWORD*>(m_pBits)[i] = argb;
    }
    // 0xAARRGGBB as stored (premultiplied where the writer premultiplied).
    DWORD At(int x, int y) const
    {
        ::GdiFlush();
        return reinterpret_cast<const DWORD*>(m_pBits)[y * m_cx + x];
    }
    DWORD Rgb(int x, int y) const { return At(x, y) & 0x00FFFFFF; }
    // Pixels whose colour differs from the colour given.
    int CountNot(DWORD rgb) const
    {
        int n = 0;
        for (int y = 0; y < m_cy; ++y)
            for (int x = 0; x < m_cx; ++x)
                if (Rgb(x, y) != (rgb & 0x00FFFFFF)) ++n;
        return n;
    }
    // Bounding box of the pixels whose colour differs from the colour given.
    RECT InkBox(DWORD rgb) const
    {
        RECT rc = {m_cx, m_cy, -1, -1};
        for (int y = 0; y < m_cy; ++y)
            for (int x = 0; x < m_cx; ++x)
                if (Rgb(x, y) != (rgb & 0x00FFFFFF)) {
                    if (x < rc.left) rc.left = x;
                    if (y < rc.top) rc.top = y;
                    if (x + 1 > rc.right) rc.right = x + 1;
                    if (y + 1 > rc.bottom) rc.bottom = y + 1;
                }
        return rc;
    }

private:
    int m_cx;
    int m_cy;
    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOld = nullptr;
    BYTE* m_pBits = nullptr;
};

inline int Channel(DWORD argb, int shift) { return static_cast<int>((argb >> shift) & 0xFF); }

inline std::vector<BYTE> SolidPng(int w, int h, DWORD argb)
{
    return MakePng(w, h, std::vector<DWORD>(static_cast<size_t>(w * h), argb));
}

// Folder under %TEMP% used as the resource path; removed with its files.
class ScratchFolder {
public:
    ScratchFolder()
    {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        wchar_t name[64];
        wsprintfW(name, L"render_test_%lu_%lu\\", ::GetCurrentProcessId(), ::GetTickCount());
        m_path = std::wstring(temp) + name;
        ::CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~ScratchFolder()
    {
        for (const std::wstring& f : m_files) ::DeleteFileW(f.c_str());
        ::RemoveDirectoryW(m_path.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& path() const { return m_path; }
    void Write(const std::wstring& name, const std::vector<BYTE>& bytes)
    {
        std::wstring full = m_path + name;
        HANDLE h = ::CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(h);
        m_files.push_back(full);
    }
    void Write(const std::wstring& name, const std::string& text)
    {
        Write(name, std::vector<BYTE>(text.begin(), text.end()));
    }

private:
    std::wstring m_path;
    std::vector<std::wstring> m_files;
};

inline HWND CreateHiddenWindow(int cx = 200, int cy = 100, DWORD style = WS_POPUP)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"RenderTestWindow";
        wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        ::RegisterClassW(&wc);
        registered = true;
    }
    return ::CreateWindowExW(0, L"RenderTestWindow", L"", style, 100, 100, cx, cy, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
}

// A paint manager bound to a hidden window, with the resource path set to a scratch folder.
class ManagerFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hWnd = CreateHiddenWindow();
        m_pm.Init(m_hWnd);
        CPaintManagerUI::SetResourcePath(m_folder.path().c_str());
    }
    void TearDown() override
    {
        m_pm.RemoveAllImages();
        m_pm.RemoveAllDrawInfos();
        CPaintManagerUI::SetResourcePath(L"");
        ::DestroyWindow(m_hWnd);
    }

    ScratchFolder m_folder;
    HWND m_hWnd = nullptr;
    CPaintManagerUI m_pm;
};

} // namespace RenderTest
