#pragma once
// Fixtures of the render tests beside the shared canvas, image writer and scratch folder: a paint manager bound
// to a hidden window, its resource path a scratch folder.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"

#include "tests/support/Canvas.h"
#include "tests/support/PngWriter.h"
#include "tests/support/ScratchFolder.h"

namespace RenderTest {

using namespace Veneer;

using test_support::Canvas;
using test_support::Channel;
using test_support::MakePng;
using test_support::ScratchFolder;

inline std::vector<BYTE> SolidPng(int w, int h, DWORD argb)
{
    return MakePng(w, h, std::vector<DWORD>(static_cast<size_t>(w * h), argb));
}

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
        CPaintManagerUI::SetResourcePath(m_folder.Path().c_str());
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
