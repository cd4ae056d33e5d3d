#pragma once
// Shared fixtures of the render tests: an off-screen 32-bit canvas whose pixels are read
// back exactly, a tiny PNG/GIF writer for image fixtures, a scratch resource folder and a
// paint manager bound to a hidden window.

#include <windows.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"

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

// RGBA pixels given as 0xAARRGGBB (straight alpha).
inline std::vector<BYTE> MakePng(int w, int h, const std::vector<DWORD>& argb)
{
    std::vector<BYTE> raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x) {
            DWORD p = argb[static_cast<size_t>(y * w + x)];
            raw.push_back(static_cast<BYTE>(p >> 16));
            raw.push_back(static_cast<BYTE>(p >> 8));
            raw.push_back(static_cast<BYTE>(p));
            raw.push_back(static_cast<BYTE>(p >> 24));
        }
    }
    uLongf zlen = compressBound(static_cast<uLong>(raw.size()));
    std::vector<BYTE> z(zlen);
    compress(z.data(), &zlen, raw.data(), static_cast<uLong>(raw.size()));
    z.resize(zlen);

    std::vector<BYTE> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    auto be32 = [](std::vector<BYTE>& v, uint32_t n) {
        v.push_back(static_cast<BYTE>(n >> 24));
        v.push_back(static_cast<BYTE>(n >> 16));
        v.push_back(static_cast<BYTE>(n >> 8));
        v.push_back(static_cast<BYTE>(n));
    };
    auto chunk = [&](const char* type, const std::vector<BYTE>& data) {
        be32(png, static_cast<uint32_t>(data.size()));
        std::vector<BYTE> body(type, type + 4);
        body.insert(body.end(), data.begin(), data.end());
        png.insert(png.end(), body.begin(), body.end());
        be32(png, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
    };
    std::vector<BYTE> ihdr;
    be32(ihdr, static_cast<uint32_t>(w));
    be32(ihdr, static_cast<uint32_t>(h));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    chunk("IHDR", ihdr);
    chunk("IDAT", z);
    chunk("IEND", {});
    return png;
}

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
