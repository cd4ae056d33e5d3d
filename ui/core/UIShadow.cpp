#include "ui/core/UIShadow.h"

#include <math.h>
#include <string.h>
#include <tchar.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"
#include "ui/core/UIRenderPlatform.h"

namespace Veneer {

const TCHAR* const CShadowUI::kShadowClassName = _T("ZenthoShadowWnd");
bool CShadowUI::s_bHasInit = false;

namespace {

// The module the window class was registered for; windows of the class are created with it.
HINSTANCE g_hClassInstance = nullptr;

const int kMaxOffset = 35;

using Span = CShadowUI::TSpan;

// The owner's rows: first and last pixel inside its window region (or its whole rectangle).
std::vector<Span> OwnerSpans(HWND hOwner, int width, int height)
{
    std::vector<Span> spans(static_cast<size_t>(height), Span{width, 0});
    CRgnHandle region(::CreateRectRgn(0, 0, 0, 0));
    HRGN hRegion = region.Get();
    int type = ERROR;
    if (hOwner != nullptr && hRegion != nullptr) type = ::GetWindowRgn(hOwner, hRegion);
    if (type != SIMPLEREGION && type != COMPLEXREGION) {
        for (Span& span : spans) span = Span{0, width};
        return spans;
    }
    DWORD bytes = ::GetRegionData(hRegion, 0, nullptr);
    if (bytes == 0) return spans;
    std::vector<BYTE> buffer(bytes);
    RGNDATA* pData = reinterpret_cast<RGNDATA*>(buffer.data());
    if (::GetRegionData(hRegion, bytes, pData) == 0) return spans;
    const RECT* pRects = reinterpret_cast<const RECT*>(pData->Buffer);
    for (DWORD i = 0; i < pData->rdh.nCount; ++i) {
        const RECT& rc = pRects[i];
        const int left = std::max<int>(0, rc.left);
        const int right = std::min<int>(width, rc.right);
        if (left >= right) continue;
        for (int y = std::max<int>(0, rc.top); y < std::min<int>(height, rc.bottom); ++y) {
            Span& span = spans[static_cast<size_t>(y)];
            span.left = std::min(span.left, left);
            span.right = std::max(span.right, right);
        }
    }
    return spans;
}

// One-pixel shrink of every span, vertical neighbours included.
void Erode(std::vector<Span>& spans, int emptyLeft)
{
    const std::vector<Span> prev = spans;
    const Span empty = {emptyLeft, 0};
    for (size_t y = 0; y < spans.size(); ++y) {
        const Span& up = y > 0 ? prev[y - 1] : empty;
        const Span& down = y + 1 < prev.size() ? prev[y + 1] : empty;
        const Span& cur = prev[y];
        spans[y].left = std::max(cur.left, std::max(up.left, down.left)) + 1;
        spans[y].right = std::min(cur.right, std::min(up.right, down.right)) - 1;
        if (spans[y].left >= spans[y].right) spans[y] = empty;
    }
}

} // namespace

CShadowUI::CShadowUI()
    : m_hWnd(nullptr), m_OriParentProc(nullptr), m_pManager(nullptr), m_bIsShowShadow(false),
      m_bIsImageMode(false), m_bIsDisableShadow(false), m_Status(0), m_nDarkness(150), m_nSharpness(5),
      m_nSize(0), m_nxOffset(0), m_nyOffset(0), m_WndSize(0), m_bUpdate(false), m_Color(0),
      m_rcShadowCorner{0, 0, 0, 0}, m_hOwner(nullptr)
{
}

CShadowUI::~CShadowUI()
{
    if (m_hOwner != nullptr) {
        auto& map = GetShadowMap();
        auto it = map.find(m_hOwner);
        if (it != map.end() && it->second == this) {
            // Unhook a still-living owner so it never calls into a deleted shadow.
            if (::IsWindow(m_hOwner) &&
                reinterpret_cast<WNDPROC>(::GetWindowLongPtr(m_hOwner, GWLP_WNDPROC)) == &CShadowUI::ParentProc) {
                ::SetWindowLongPtr(m_hOwner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OriParentProc));
            }
            map.erase(it);
        }
    }
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

bool CShadowUI::Initialize(HINSTANCE hInstance)
{
    if (s_bHasInit) return false;
    WNDCLASSEX wcex = {};
    wcex.cbSize = sizeof(WNDCLASSEX);
    wcex.style = CS_HREDRAW | CS_VREDRAW;
    wcex.lpfnWndProc = ::DefWindowProc;
    g_hClassInstance = hInstance != nullptr ? hInstance : ::GetModuleHandle(nullptr);
    wcex.hInstance = g_hClassInstance;
    wcex.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wcex.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wcex.lpszClassName = kShadowClassName;
    ::RegisterClassEx(&wcex);
    s_bHasInit = true;
    return true;
}

std::map<HWND, CShadowUI*>& CShadowUI::GetShadowMap()
{
    static std::map<HWND, CShadowUI*> s_map;
    return s_map;
}

void CShadowUI::Create(CPaintManagerUI* pPaintManager)
{
    if (!m_bIsShowShadow || pPaintManager == nullptr || m_hWnd != nullptr) return;
    HWND hParent = pPaintManager->GetPaintWindow();
    if (hParent == nullptr) return;
    m_pManager = pPaintManager;
    m_hOwner = hParent;
    GetShadowMap()[hParent] = this;

    // A popup, so the system adds no frame of its own; it keeps the owner's caption bits.
    const LONG_PTR ownerStyle = ::GetWindowLongPtr(hParent, GWL_STYLE);
    const DWORD style = WS_POPUP | static_cast<DWORD>(ownerStyle & WS_CAPTION);
    m_bRendered = false;
    m_hWnd = ::CreateWindowEx(WS_EX_LAYERED | WS_EX_TRANSPARENT, kShadowClassName, nullptr, style, CW_USEDEFAULT, 0, 0,
                              0, hParent, nullptr, g_hClassInstance, nullptr);
    if (m_hWnd == nullptr) {
        GetShadowMap().erase(hParent);
        m_hOwner = nullptr;
        return;
    }

    if ((ownerStyle & WS_VISIBLE) == 0) {
        m_Status = SS_ENABLED;
    } else if (::IsIconic(hParent) || ::IsZoomed(hParent)) {
        m_Status = SS_ENABLED | SS_PARENTVISIBLE;
    } else {
        m_Status = SS_ENABLED | SS_VISABLE | SS_PARENTVISIBLE;
        Update(hParent);
        ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
        ::SetWindowPos(m_hWnd, hParent, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    }

    m_OriParentProc = reinterpret_cast<WNDPROC>(::GetWindowLongPtr(hParent, GWLP_WNDPROC));
    ::SetWindowLongPtr(hParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CShadowUI::ParentProc));
}

LRESULT CALLBACK CShadowUI::ParentProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    auto& map = GetShadowMap();
    auto it = map.find(hwnd);
    if (it == map.end()) return ::DefWindowProc(hwnd, uMsg, wParam, lParam);
    CShadowUI* pThis = it->second;
    WNDPROC pOriginal = pThis->m_OriParentProc;
    if (uMsg == WM_NCDESTROY) {
        // The owner's own handler may delete the window object and with it this shadow.
        map.erase(it);
        pThis->m_hOwner = nullptr;
        ::SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pOriginal));
        return ::CallWindowProc(pOriginal, hwnd, uMsg, wParam, lParam);
    }
    if (!pThis->m_bIsDisableShadow) pThis->OnOwnerMessage(hwnd, uMsg, wParam, lParam);
    return ::CallWindowProc(pOriginal, hwnd, uMsg, wParam, lParam);
}

void CShadowUI::OnOwnerMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (m_hWnd == nullptr) return;
    switch (uMsg) {
    case WM_DESTROY:
        ::DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
        m_Status = 0;
        m_bRendered = false;
        break;
    case WM_MOVE:
        if (m_Status & SS_VISABLE) MoveToOwner(hwnd);
        break;
    case WM_WINDOWPOSCHANGED:
        MoveToOwner(hwnd);
        break;
    case WM_SIZE:
        if ((m_Status & SS_ENABLED) == 0) break;
        if (wParam == SIZE_MAXIMIZED || wParam == SIZE_MINIMIZED) {
            ::ShowWindow(m_hWnd, SW_HIDE);
            m_Status &= ~SS_VISABLE;
        } else if (m_Status & SS_PARENTVISIBLE) {
            const bool wasVisible = (m_Status & SS_VISABLE) != 0;
            m_Status |= SS_VISABLE;
            // Growing: wait for the owner's paint so the shadow never runs ahead of the window.
            if (LOWORD(lParam) > LOWORD(m_WndSize) || HIWORD(lParam) > HIWORD(m_WndSize)) m_bUpdate = true;
            else Update(hwnd);
            if (!wasVisible) ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
        }
        m_WndSize = lParam;
        break;
    case WM_PAINT:
        if (m_bUpdate) {
            Update(hwnd);
            m_bUpdate = false;
        }
        break;
    case WM_SHOWWINDOW:
        if ((m_Status & SS_ENABLED) == 0) break;
        if (wParam) {
            if ((m_Status & SS_PARENTVISIBLE) == 0) {
                m_bUpdate = true;
                ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
                m_Status |= SS_VISABLE | SS_PARENTVISIBLE;
            }
        } else {
            ::ShowWindow(m_hWnd, SW_HIDE);
            m_Status &= ~(SS_VISABLE | SS_PARENTVISIBLE);
        }
        break;
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
        ::SetWindowPos(m_hWnd, hwnd, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW | SWP_NOACTIVATE);
        break;
    case WM_EXITSIZEMOVE:
        if (m_Status & SS_VISABLE) Update(hwnd);
        break;
    default:
        break;
    }
}

bool CShadowUI::TRenderedKey::operator==(const TRenderedKey& other) const
{
    return width == other.width && height == other.height && color == other.color && darkness == other.darkness &&
           sharpness == other.sharpness && size == other.size && xOffset == other.xOffset &&
           yOffset == other.yOffset && shape == other.shape;
}

CShadowUI::TRenderedKey CShadowUI::ComputedKey(HWND hParent, int width, int height) const
{
    TRenderedKey key;
    key.width = width;
    key.height = height;
    key.color = m_Color;
    key.darkness = m_nDarkness;
    key.sharpness = m_nSharpness;
    key.size = m_nSize;
    key.xOffset = m_nxOffset;
    key.yOffset = m_nyOffset;
    if (width > 0 && height > 0) key.shape = OwnerSpans(hParent, width, height);
    return key;
}

POINT CShadowUI::ShadowOrigin(const RECT& rcOwner) const
{
    if (m_bIsImageMode) return POINT{rcOwner.left - m_nSize, rcOwner.top - m_nSize};
    return POINT{rcOwner.left + m_nxOffset - m_nSize, rcOwner.top + m_nyOffset - m_nSize};
}

void CShadowUI::MoveToOwner(HWND hParent)
{
    RECT rc = {0, 0, 0, 0};
    ::GetWindowRect(hParent, &rc);
    const POINT pt = ShadowOrigin(rc);
    ::SetWindowPos(m_hWnd, nullptr, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CShadowUI::Update(HWND hParent)
{
    if (!m_bIsShowShadow || (m_Status & SS_VISABLE) == 0 || m_hWnd == nullptr || hParent == nullptr) return;
    RECT rcParent = {0, 0, 0, 0};
    ::GetWindowRect(hParent, &rcParent);
    if (m_bIsImageMode ? m_sShadowImage.IsEmpty() : m_nSize == 0) return;
    const int width = rcParent.right - rcParent.left + 2 * m_nSize;
    const int height = rcParent.bottom - rcParent.top + 2 * m_nSize;
    if (width <= 0 || height <= 0) return;
    // Showing, the first layout and a paint each ask again for the same picture: it is made once.
    TRenderedKey key;
    if (!m_bIsImageMode) {
        key = ComputedKey(hParent, rcParent.right - rcParent.left, rcParent.bottom - rcParent.top);
        if (m_bRendered && key == m_rendered) {
            MoveToOwner(hParent);
            return;
        }
    }
    m_bRendered = false;

    BYTE* pBits = nullptr;
    HBITMAP hBitmap = CRenderEngine::CreateARGB32Bitmap(nullptr, width, height, &pBits);
    if (hBitmap == nullptr) return;
    CBitmapHandle bitmapOwner(hBitmap);
    CMemoryDC memDC(::CreateCompatibleDC(nullptr));
    if (memDC.Get() == nullptr) return;
    CSelectObject select(memDC.Get(), hBitmap);

    bool bReady = true;
    const RECT rcBitmap = {0, 0, width, height};
    if (m_bIsImageMode) {
        const TImageInfo* pImage = m_pManager != nullptr ? m_pManager->GetImageEx(m_sShadowImage) : nullptr;
        if (pImage == nullptr || pImage->hBitmap == nullptr) {
            bReady = false;
        } else {
            const RECT rcSource = {0, 0, pImage->nX, pImage->nY};
            CRenderEngine::DrawImage(memDC.Get(), pImage->hBitmap, rcBitmap, rcBitmap, rcSource, m_rcShadowCorner,
                                     true, 255, true);
        }
    } else {
        ::GdiFlush();
        memset(pBits, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
        DrawShadow(reinterpret_cast<UINT32*>(pBits), key.shape, rcParent.right - rcParent.left,
                   rcParent.bottom - rcParent.top);
    }

    if (bReady) {
        POINT ptDst = ShadowOrigin(rcParent);
        POINT ptSrc = {0, 0};
        SIZE size = {width, height};
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ::GdiFlush();
        const bool shown =
            ::UpdateLayeredWindow(m_hWnd, nullptr, &ptDst, &size, memDC.Get(), &ptSrc, 0, &blend, ULW_ALPHA) != FALSE;
        if (shown && !m_bIsImageMode) {
            m_rendered = std::move(key);
            m_bRendered = true;
        }
    }
}

void CShadowUI::MakeShadow(UINT32* pShadBits, HWND hParent, const RECT* rcParent)
{
    if (pShadBits == nullptr || rcParent == nullptr) return;
    const int ownerW = rcParent->right - rcParent->left;
    const int ownerH = rcParent->bottom - rcParent->top;
    if (ownerW <= 0 || ownerH <= 0) return;
    DrawShadow(pShadBits, OwnerSpans(hParent, ownerW, ownerH), ownerW, ownerH);
}

void CShadowUI::DrawShadow(UINT32* pShadBits, const std::vector<Span>& owner, int ownerW, int ownerH) const
{
    const int S = m_nSize;
    const int R = m_nSharpness;
    const int D = m_nDarkness;
    const int cx = ownerW + 2 * S;
    const int cy = ownerH + 2 * S;
    if (ownerW <= 0 || ownerH <= 0 || cx <= 0 || cy <= 0 || owner.size() < static_cast<size_t>(ownerH)) return;

    // 1. The shape, shifted by (S, S) into bitmap rows.
    std::vector<Span> spans(static_cast<size_t>(cy), Span{cx, 0});
    for (int y = 0; y < ownerH; ++y) {
        const int row = y + S;
        const Span& src = owner[static_cast<size_t>(y)];
        if (row < 0 || row >= cy || src.left >= src.right) continue;
        spans[static_cast<size_t>(row)] = Span{src.left + S, src.right + S};
    }

    // 2. Kernel radius, solid core, erosion.
    const int K = std::max(R, S);
    const int Cs = S > R ? S - R : 0;
    for (int pass = 0; pass < R - S; ++pass) Erode(spans, cx);

    // 3. Kernel.
    const int side = 2 * K + 1;
    std::vector<UINT32> kernel(static_cast<size_t>(side) * static_cast<size_t>(side), 0);
    for (int j = -K; j <= K; ++j) {
        for (int i = -K; i <= K; ++i) {
            const double d = sqrt(static_cast<double>(i * i + j * j));
            int a = 0;
            if (d < Cs) a = D;
            // (1 - (d - Cs) / (R + 1)) * D, arranged so that exact integer results do not
            // truncate one short through rounding of the division.
            else if (d <= K) a = static_cast<int>(((R + 1) - (d - Cs)) * D / (R + 1) + 1e-9);
            else continue;
            if (a < 0) a = 0;
            kernel[static_cast<size_t>((j + K) * side + (i + K))] =
                static_cast<UINT32>(PreMultiply(m_Color, static_cast<unsigned char>(a))) | (static_cast<UINT32>(a) << 24);
        }
    }

    auto stamp = [&](int cxCenter, int cyCenter) {
        for (int j = -K; j <= K; ++j) {
            const int py = cyCenter + j;
            if (py < 0 || py >= cy) continue;
            UINT32* pRow = pShadBits + static_cast<size_t>(py) * static_cast<size_t>(cx);
            const UINT32* pKernelRow = kernel.data() + static_cast<size_t>((j + K) * side);
            for (int i = -K; i <= K; ++i) {
                const int px = cxCenter + i;
                if (px < 0 || px >= cx) continue;
                const UINT32 value = pKernelRow[i + K];
                if (value > pRow[px]) pRow[px] = value;
            }
        }
    };

    // 4. Stamp the kernel along the outline only.
    const Span empty = {cx, 0};
    for (int y = 0; y < cy; ++y) {
        const Span& cur = spans[static_cast<size_t>(y)];
        if (cur.left >= cur.right) continue;
        const Span& up = y > 0 ? spans[static_cast<size_t>(y - 1)] : empty;
        const Span& down = y + 1 < cy ? spans[static_cast<size_t>(y + 1)] : empty;
        const int leftEnd = std::min(cur.right, std::max(up.left, down.left) + 1);
        for (int x = cur.left; x == cur.left || x < leftEnd; ++x) stamp(x, y);
        const int rightStart = std::max(cur.left, std::min(up.right, down.right) - 1);
        for (int x = cur.right - 1; x == cur.right - 1 || x >= rightStart; --x) stamp(x, y);
    }

    // 5. Solid interior.
    const UINT32 solid = static_cast<UINT32>(PreMultiply(m_Color, static_cast<unsigned char>(D))) |
                         (static_cast<UINT32>(D) << 24);
    for (int y = 0; y < cy; ++y) {
        const Span& cur = spans[static_cast<size_t>(y)];
        UINT32* pRow = pShadBits + static_cast<size_t>(y) * static_cast<size_t>(cx);
        for (int x = std::max(0, cur.left); x < std::min(cx, cur.right); ++x) pRow[x] = solid;
    }

    // 6. Transparent where the owner itself stands.
    const int holeX = S - m_nxOffset;
    const int holeY = S - m_nyOffset;
    for (int y = 0; y < ownerH; ++y) {
        const int row = y + holeY;
        if (row < 0 || row >= cy) continue;
        const Span& src = owner[static_cast<size_t>(y)];
        UINT32* pRow = pShadBits + static_cast<size_t>(row) * static_cast<size_t>(cx);
        for (int x = std::max(0, src.left + holeX); x < std::min(cx, src.right + holeX); ++x) pRow[x] = 0;
    }
}

DWORD CShadowUI::PreMultiply(DWORD cl, unsigned char nAlpha)
{
    const DWORD b0 = (cl & 0xFF) * nAlpha / 255;
    const DWORD b1 = ((cl >> 8) & 0xFF) * nAlpha / 255;
    const DWORD b2 = ((cl >> 16) & 0xFF) * nAlpha / 255;
    return (b2 << 16) | (b1 << 8) | b0;
}

void CShadowUI::ShowShadow(bool bShow)
{
    m_bIsShowShadow = bShow;
}

bool CShadowUI::IsShowShadow() const
{
    return m_bIsShowShadow;
}

void CShadowUI::DisableShadow(bool bDisable)
{
    m_bIsDisableShadow = bDisable;
}

bool CShadowUI::IsDisableShadow() const
{
    return m_bIsDisableShadow;
}

void CShadowUI::ApplyIfShown()
{
    if (m_hWnd != nullptr && (m_Status & SS_VISABLE) && m_hOwner != nullptr) Update(m_hOwner);
}

bool CShadowUI::SetSize(int NewSize)
{
    if (NewSize > kMaxOffset || NewSize < -kMaxOffset) return false;
    m_nSize = static_cast<signed char>(NewSize);
    ApplyIfShown();
    return true;
}

bool CShadowUI::SetSharpness(unsigned int NewSharpness)
{
    if (NewSharpness > 35) return false;
    m_nSharpness = static_cast<unsigned char>(NewSharpness);
    ApplyIfShown();
    return true;
}

bool CShadowUI::SetDarkness(unsigned int NewDarkness)
{
    if (NewDarkness > 255) return false;
    m_nDarkness = static_cast<unsigned char>(NewDarkness);
    ApplyIfShown();
    return true;
}

bool CShadowUI::SetPosition(int NewXOffset, int NewYOffset)
{
    if (NewXOffset > kMaxOffset || NewXOffset < -kMaxOffset || NewYOffset > kMaxOffset || NewYOffset < -kMaxOffset) {
        return false;
    }
    m_nxOffset = static_cast<signed char>(NewXOffset);
    m_nyOffset = static_cast<signed char>(NewYOffset);
    ApplyIfShown();
    return true;
}

bool CShadowUI::SetColor(DWORD NewColor)
{
    m_Color = NewColor;
    ApplyIfShown();
    return true;
}

bool CShadowUI::SetImage(LPCTSTR szImage)
{
    if (szImage == nullptr) return false;
    m_bIsImageMode = true;
    m_sShadowImage = szImage;
    ApplyIfShown();
    return true;
}

bool CShadowUI::SetShadowCorner(RECT rcCorner)
{
    if (rcCorner.left < 0 || rcCorner.top < 0 || rcCorner.right < 0 || rcCorner.bottom < 0) return false;
    m_rcShadowCorner = rcCorner;
    ApplyIfShown();
    return true;
}

bool CShadowUI::CopyShadow(CShadowUI* pShadow)
{
    if (pShadow == nullptr) return false;
    if (m_bIsImageMode) {
        pShadow->SetImage(m_sShadowImage);
        pShadow->SetShadowCorner(m_rcShadowCorner);
        pShadow->SetSize(m_nSize);
    } else {
        pShadow->SetSize(m_nSize);
        pShadow->SetSharpness(m_nSharpness);
        pShadow->SetDarkness(m_nDarkness);
        pShadow->SetColor(m_Color);
        pShadow->SetPosition(m_nxOffset, m_nyOffset);
    }
    pShadow->ShowShadow(m_bIsShowShadow);
    return true;
}

} // namespace Veneer
