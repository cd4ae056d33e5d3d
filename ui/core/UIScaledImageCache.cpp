#include "ui/core/UIScaledImageCache.h"

#include <type_traits>

#include "ui/core/UIRender.h"

namespace Veneer {

namespace {

// A window shows an image at a few sizes at most (its page, a resized frame, another DPI); beyond
// that the oldest picture goes. Asked-for sizes not yet made are remembered too, up to the same count.
const size_t kMaxEntries = 6;

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct BitmapDeleter {
    void operator()(HBITMAP hBitmap) const { ::DeleteObject(hBitmap); }
};

// Stretching leaves no alpha worth the name; an opaque picture is opaque everywhere, so a faded draw
// of it blends like its source does.
void MakeOpaque(BYTE* pBits, SIZE size)
{
    ::GdiFlush();
    DWORD* pixel = reinterpret_cast<DWORD*>(pBits);
    const size_t count = static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy);
    for (size_t i = 0; i < count; ++i) pixel[i] |= 0xFF000000;
}

} // namespace

struct CScaledImageCache::Entry {
    SIZE size;
    RECT part;
    RECT corners;
    bool alpha;
    bool xtiled;
    bool ytiled;
    std::unique_ptr<std::remove_pointer<HBITMAP>::type, BitmapDeleter> picture; // empty until asked for twice
};

CScaledImageCache::CScaledImageCache() = default;

CScaledImageCache::~CScaledImageCache() = default;

HBITMAP CScaledImageCache::Get(HDC hRef, HBITMAP hSource, SIZE size, const RECT& rcPart, const RECT& rcCorners,
                               bool bAlpha, bool xtiled, bool ytiled)
{
    if (hSource == nullptr || size.cx <= 0 || size.cy <= 0) return nullptr;
    Entry* entry = Find(size, rcPart, rcCorners, bAlpha, xtiled, ytiled);
    if (entry == nullptr) {
        Remember(std::unique_ptr<Entry>(new Entry{size, rcPart, rcCorners, bAlpha, xtiled, ytiled, nullptr}));
        return nullptr;
    }
    if (!entry->picture) {
        BYTE* pBits = nullptr;
        HBITMAP hPicture = CRenderEngine::CreateARGB32Bitmap(hRef, size.cx, size.cy, &pBits);
        if (hPicture == nullptr) return nullptr;
        entry->picture.reset(hPicture);
        // A fresh DIB section is transparent black, so blending the cells onto it copies them exactly.
        HDC hDC = ::CreateCompatibleDC(hRef);
        if (hDC == nullptr) {
            entry->picture.reset();
            return nullptr;
        }
        HGDIOBJ hOld = ::SelectObject(hDC, hPicture);
        const RECT rc = {0, 0, size.cx, size.cy};
        CRenderEngine::DrawImage(hDC, hSource, rc, rc, rcPart, rcCorners, bAlpha, 255, false, xtiled, ytiled);
        ::SelectObject(hDC, hOld);
        ::DeleteDC(hDC);
        if (!bAlpha) MakeOpaque(pBits, size);
    }
    return entry->picture.get();
}

void CScaledImageCache::Clear()
{
    m_entries.clear();
}

CScaledImageCache::Entry* CScaledImageCache::Find(SIZE size, const RECT& rcPart, const RECT& rcCorners, bool bAlpha,
                                                  bool xtiled, bool ytiled)
{
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const Entry& e = *m_entries[i];
        if (e.size.cx != size.cx || e.size.cy != size.cy || e.alpha != bAlpha || e.xtiled != xtiled ||
            e.ytiled != ytiled || !SameRect(e.part, rcPart) || !SameRect(e.corners, rcCorners)) {
            continue;
        }
        std::unique_ptr<Entry> found = std::move(m_entries[i]);
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i));
        m_entries.insert(m_entries.begin(), std::move(found));
        return m_entries.front().get();
    }
    return nullptr;
}

void CScaledImageCache::Remember(std::unique_ptr<Entry> entry)
{
    if (m_entries.size() >= kMaxEntries) {
        // A size asked for once goes before a picture that is in use.
        auto victim = m_entries.end() - 1;
        for (auto it = m_entries.end(); it != m_entries.begin();) {
            --it;
            if (!(*it)->picture) {
                victim = it;
                break;
            }
        }
        m_entries.erase(victim);
    }
    m_entries.insert(m_entries.begin(), std::move(entry));
}

} // namespace Veneer
