#include "installer/net/TextConvert.h"

#include <windows.h>

#include <cstring>

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

bool IsContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

} // namespace

wchar_t* Utf8ToWide(wchar_t* dst, const char* src, size_t capacity)
{
    if (dst == nullptr || capacity == 0)
        return dst;
    dst[0] = L'\0';
    if (src == nullptr || *src == '\0')
        return dst;
    const std::wstring wide = Utf8ToWideString(src);
    size_t count = wide.size();
    if (count >= capacity) {
        count = capacity - 1;
        // A high surrogate whose partner was cut off would be a broken character.
        if (count > 0 && IsHighSurrogate(wide[count - 1]))
            --count;
    }
    std::memcpy(dst, wide.data(), count * sizeof(wchar_t));
    dst[count] = L'\0';
    return dst;
}

char* WideToUtf8(char* dst, const wchar_t* src, size_t capacity)
{
    if (dst == nullptr || capacity == 0)
        return dst;
    dst[0] = '\0';
    if (src == nullptr || *src == L'\0')
        return dst;
    const std::string utf8 = WideToUtf8String(src);
    size_t count = utf8.size();
    if (count >= capacity) {
        count = capacity - 1;
        // Step back over the continuation bytes of a character that does not fit, and its lead byte.
        while (count > 0 && IsContinuationByte(static_cast<unsigned char>(utf8[count])))
            --count;
    }
    std::memcpy(dst, utf8.data(), count);
    dst[count] = '\0';
    return dst;
}

std::wstring Utf8ToWideString(const std::string& src)
{
    if (src.empty())
        return std::wstring();
    const int length = static_cast<int>(src.size());
    const int needed = MultiByteToWideChar(CP_UTF8, 0, src.data(), length, nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring out(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, src.data(), length, &out[0], needed);
    return out;
}

std::string WideToUtf8String(const std::wstring& src)
{
    if (src.empty())
        return std::string();
    const int length = static_cast<int>(src.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, src.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return std::string();
    std::string out(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, src.data(), length, &out[0], needed, nullptr, nullptr);
    return out;
}
