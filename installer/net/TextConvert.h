#pragma once
// Bounded conversions between the installer's wide buffers and the UTF-8 byte strings libcurl takes.
#include <cstddef>
#include <string>

// Converts zero-terminated UTF-8 into `dst` of `capacity` wide characters (at most capacity - 1 plus the
// terminator). A null `src` gives the empty string. A cut never leaves half of a surrogate pair.
wchar_t* Utf8ToWide(wchar_t* dst, const char* src, size_t capacity);

// Converts a zero-terminated wide string into `dst` of `capacity` bytes (at most capacity - 1 plus the
// terminator). A cut falls on a character boundary, so the result is always whole UTF-8.
char* WideToUtf8(char* dst, const wchar_t* src, size_t capacity);

// Unbounded forms for code that keeps its texts in standard strings.
std::wstring Utf8ToWideString(const std::string& src);
std::string WideToUtf8String(const std::wstring& src);
