#pragma once
// Owning wrappers for the Win32 and GDI handles the framework makes. One template over a close
// trait (in the manner of WIL's unique_any): each alias knows its invalid value and how the handle
// is freed, so a handle is freed exactly once and on every path, and moving it hands it on.

#include <windows.h>

namespace Veneer {

template <typename Traits>
class CUniqueHandle
{
public:
    using Handle = typename Traits::Handle;

    CUniqueHandle() = default;
    explicit CUniqueHandle(Handle h) : m_h(h) {}
    ~CUniqueHandle() { Reset(); }
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(other.Release()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;

    Handle Get() const { return m_h; }
    bool IsValid() const { return m_h != Traits::Invalid(); }
    explicit operator bool() const { return IsValid(); }

    // Gives the handle up without freeing it: the caller (or the system) owns it now.
    Handle Release()
    {
        Handle h = m_h;
        m_h = Traits::Invalid();
        return h;
    }

    // Frees what is held and takes h. Taking the handle already held keeps it alive.
    void Reset(Handle h = Traits::Invalid())
    {
        if (h == m_h) return;
        Handle old = m_h;
        m_h = h;
        if (old != Traits::Invalid()) Traits::Close(old);
    }

private:
    Handle m_h = Traits::Invalid();
};

// Most handles are null when missing.
template <typename T>
struct NullInvalidTraits
{
    using Handle = T;
    static Handle Invalid() { return nullptr; }
};

template <typename T>
struct GdiObjectTraits : NullInvalidTraits<T>
{
    static void Close(T h) { ::DeleteObject(h); }
};

// A DC of CreateCompatibleDC or CreateDC; a window's DC is a CWindowDC.
struct MemoryDCTraits : NullInvalidTraits<HDC>
{
    static void Close(HDC h) { ::DeleteDC(h); }
};

// Mutexes, events, threads, processes.
struct KernelHandleTraits : NullInvalidTraits<HANDLE>
{
    static void Close(HANDLE h) { ::CloseHandle(h); }
};

// CreateFile says INVALID_HANDLE_VALUE, not null, when it fails.
struct FileHandleTraits
{
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};

struct MenuHandleTraits : NullInvalidTraits<HMENU>
{
    static void Close(HMENU h) { ::DestroyMenu(h); }
};

using CBitmapHandle = CUniqueHandle<GdiObjectTraits<HBITMAP>>;
using CFontHandle = CUniqueHandle<GdiObjectTraits<HFONT>>;
using CRgnHandle = CUniqueHandle<GdiObjectTraits<HRGN>>;
using CBrushHandle = CUniqueHandle<GdiObjectTraits<HBRUSH>>;
using CPenHandle = CUniqueHandle<GdiObjectTraits<HPEN>>;
using CMemoryDC = CUniqueHandle<MemoryDCTraits>;
using CKernelHandle = CUniqueHandle<KernelHandleTraits>;
using CFileHandle = CUniqueHandle<FileHandleTraits>;
using CMenuHandle = CUniqueHandle<MenuHandleTraits>;

} // namespace Veneer
