// The floor of the start-up benchmark: a plain Win32 window of the installer's size that blits one
// bitmap in its first paint. Started the same way as the installer, so the difference is the installer's
// own work before its first paint.
#include <windows.h>

namespace {

const int kWidth = 690;
const int kHeight = 460;

HBITMAP g_picture = nullptr;

HBITMAP MakePicture(HDC hDC)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(hDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) {
        DWORD* pixels = static_cast<DWORD*>(bits);
        for (int i = 0; i < kWidth * kHeight; ++i) pixels[i] = 0xFF3C6E9Bu + static_cast<DWORD>(i % kWidth);
    }
    return bitmap;
}

LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hDC = ::BeginPaint(hWnd, &ps);
        if (g_picture == nullptr) g_picture = MakePicture(hDC);
        HDC source = ::CreateCompatibleDC(hDC);
        HGDIOBJ old = ::SelectObject(source, g_picture);
        ::BitBlt(hDC, 0, 0, kWidth, kHeight, source, 0, 0, SRCCOPY);
        ::SelectObject(source, old);
        ::DeleteDC(source);
        ::EndPaint(hWnd, &ps);
        return 0;
    }
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int nCmdShow)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = hInstance;
    wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.lpszClassName = L"PavonelBareWindow";
    ::RegisterClassW(&wc);
    HWND hWnd = ::CreateWindowExW(0, wc.lpszClassName, L"bare", WS_POPUP | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                                  kWidth, kHeight, nullptr, nullptr, hInstance, nullptr);
    if (hWnd == nullptr) return 1;
    ::ShowWindow(hWnd, nCmdShow);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (g_picture != nullptr) ::DeleteObject(g_picture);
    return 0;
}
