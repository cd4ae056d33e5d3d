#pragma once

#include <windows.h>
#include <stdarg.h>

namespace Veneer {

static_assert(sizeof(TCHAR) == sizeof(wchar_t), "Veneer is built with UNICODE");

// The framework's wide string (UTF-16 code units). Short texts live in an
// inline buffer so that names, attribute values and the like never touch the
// heap: a text of up to INLINE_MAX_LENGTH (62) characters stays inline, a
// longer one moves to the heap, and a heap text that becomes short again moves
// back. Lengths and positions are in code units. A null text pointer is
// treated as the empty text everywhere. Nothing throws: when the heap refuses
// memory the operation leaves the string unchanged.
class CUIString
{
public:
    enum
    {
        INLINE_BUFFER_SIZE = 64,   // characters in the inline buffer
        INLINE_MAX_LENGTH = 62,    // longest text kept inline
        SMALL_FORMAT_MAX_LENGTH = 63 // longest result of SmallFormat
    };

    CUIString();
    CUIString(TCHAR ch);
    CUIString(LPCTSTR lpsz, int nLen = -1);   // nLen < 0: up to the terminator
    CUIString(const CUIString& src);
    CUIString(CUIString&& src) noexcept;
    ~CUIString();

    void Empty();
    int GetLength() const { return m_nLength; }
    bool IsEmpty() const { return m_nLength == 0; }
    LPCTSTR GetData() const { return m_pstr; }
    operator LPCTSTR() const { return m_pstr; }

    // Out-of-range positions read as 0 and are ignored on writing.
    TCHAR GetAt(int nIndex) const;
    TCHAR operator[](int nIndex) const { return GetAt(nIndex); }
    void SetAt(int nIndex, TCHAR ch);   // writing 0 cuts the text there

    void Assign(LPCTSTR pstr, int nLength = -1);
    void Append(LPCTSTR pstr);
    void Append(LPCTSTR pstr, int nLength);

    const CUIString& operator=(const CUIString& src);
    const CUIString& operator=(CUIString&& src) noexcept;
    const CUIString& operator=(LPCTSTR pstr);
    const CUIString& operator=(TCHAR ch);

    CUIString operator+(const CUIString& src) const;
    CUIString operator+(LPCTSTR pstr) const;
    CUIString operator+(TCHAR ch) const;
    const CUIString& operator+=(const CUIString& src);
    const CUIString& operator+=(LPCTSTR pstr);
    const CUIString& operator+=(TCHAR ch);

    // Ordinal comparisons; the case-insensitive form folds through the
    // system's upper-case table (not only ASCII). Results < 0, 0, > 0.
    int Compare(LPCTSTR pstr) const;
    int CompareNoCase(LPCTSTR pstr) const;

    bool operator==(const CUIString& str) const { return Compare(str.m_pstr) == 0; }
    bool operator!=(const CUIString& str) const { return Compare(str.m_pstr) != 0; }
    bool operator<(const CUIString& str) const { return Compare(str.m_pstr) < 0; }
    bool operator<=(const CUIString& str) const { return Compare(str.m_pstr) <= 0; }
    bool operator>(const CUIString& str) const { return Compare(str.m_pstr) > 0; }
    bool operator>=(const CUIString& str) const { return Compare(str.m_pstr) >= 0; }
    bool operator==(LPCTSTR str) const { return Compare(str) == 0; }
    bool operator!=(LPCTSTR str) const { return Compare(str) != 0; }
    bool operator<(LPCTSTR str) const { return Compare(str) < 0; }
    bool operator<=(LPCTSTR str) const { return Compare(str) <= 0; }
    bool operator>(LPCTSTR str) const { return Compare(str) > 0; }
    bool operator>=(LPCTSTR str) const { return Compare(str) >= 0; }

    void MakeUpper();
    void MakeLower();

    // Substrings; positions and lengths are clamped to the text, so an
    // out-of-range request yields a shorter (possibly empty) string.
    CUIString Left(int nLength) const;
    CUIString Mid(int iPos, int nLength = -1) const;   // nLength < 0: to the end
    CUIString Right(int nLength) const;

    // Searches return the position of the first match at or after iPos, or -1.
    // An empty pattern matches at iPos when iPos is within the text.
    int Find(TCHAR ch, int iPos = 0) const;
    int Find(LPCTSTR pstr, int iPos = 0) const;
    int ReverseFind(TCHAR ch) const;

    // Replaces non-overlapping matches from left to right; an empty pattern
    // replaces nothing. Returns the number of replacements.
    int Replace(LPCTSTR pstrFrom, LPCTSTR pstrTo);

    // printf-style formatting with the Windows wide conventions (%s takes a
    // wide string). Format produces a result of any length. SmallFormat
    // formats into a fixed stack buffer and keeps at most
    // SMALL_FORMAT_MAX_LENGTH characters (a lone leading surrogate at the cut
    // is dropped). Both return the new length, or -1 (and leave the string
    // empty) on a format error.
    int __cdecl Format(LPCTSTR pstrFormat, ...);
    int __cdecl SmallFormat(LPCTSTR pstrFormat, ...);
    int InnerFormat(LPCTSTR pstrFormat, va_list args);

private:
    bool IsInline() const { return m_pstr == m_szBuffer; }
    bool Reserve(int nLength);          // room for nLength, keeps the text
    void SetText(LPCTSTR pstr, int nLength);
    void ReleaseHeap();

    LPTSTR m_pstr;
    int m_nLength;
    int m_nCapacity;   // characters available before the terminator
    TCHAR m_szBuffer[INLINE_BUFFER_SIZE];
};

inline CUIString operator+(LPCTSTR pstr, const CUIString& str)
{
    CUIString result(pstr);
    result += str;
    return result;
}

inline bool operator==(LPCTSTR pstr, const CUIString& str) { return str == pstr; }
inline bool operator!=(LPCTSTR pstr, const CUIString& str) { return str != pstr; }
inline bool operator<(LPCTSTR pstr, const CUIString& str) { return str > pstr; }
inline bool operator<=(LPCTSTR pstr, const CUIString& str) { return str >= pstr; }
inline bool operator>(LPCTSTR pstr, const CUIString& str) { return str < pstr; }
inline bool operator>=(LPCTSTR pstr, const CUIString& str) { return str <= pstr; }

} // namespace Veneer
