#include "ui/support/UIString.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace Veneer {

namespace {

int TextLength(LPCTSTR pstr, int nLength)
{
    if (pstr == nullptr)
        return 0;
    if (nLength >= 0)
    {
        // A shorter terminated text wins over the requested length.
        int n = 0;
        while (n < nLength && pstr[n] != 0)
            ++n;
        return n;
    }
    return static_cast<int>(wcslen(pstr));
}

bool IsHighSurrogate(TCHAR ch)
{
    return ch >= 0xD800 && ch <= 0xDBFF;
}

} // namespace

CUIString::CUIString()
    : m_pstr(m_szBuffer), m_nLength(0), m_nCapacity(INLINE_MAX_LENGTH)
{
    m_szBuffer[0] = 0;
}

CUIString::CUIString(TCHAR ch) : CUIString()
{
    if (ch != 0)
    {
        m_szBuffer[0] = ch;
        m_szBuffer[1] = 0;
        m_nLength = 1;
    }
}

CUIString::CUIString(LPCTSTR lpsz, int nLen) : CUIString()
{
    Assign(lpsz, nLen);
}

CUIString::CUIString(const CUIString& src) : CUIString()
{
    SetText(src.m_pstr, src.m_nLength);
}

CUIString::CUIString(CUIString&& src) noexcept : CUIString()
{
    *this = static_cast<CUIString&&>(src);
}

CUIString::~CUIString()
{
    ReleaseHeap();
}

void CUIString::ReleaseHeap()
{
    if (!IsInline())
        free(m_pstr);
    m_pstr = m_szBuffer;
    m_nCapacity = INLINE_MAX_LENGTH;
}

void CUIString::Empty()
{
    ReleaseHeap();
    m_szBuffer[0] = 0;
    m_nLength = 0;
}

// Makes room for nLength characters keeping the current text. Heap storage
// grows by half again so that repeated appends stay linear.
bool CUIString::Reserve(int nLength)
{
    if (nLength <= m_nCapacity)
        return true;
    int nCapacity = nLength;
    if (!IsInline() && m_nCapacity < INT_MAX / 2 && nCapacity < m_nCapacity + m_nCapacity / 2)
        nCapacity = m_nCapacity + m_nCapacity / 2;
    LPTSTR pNew = static_cast<LPTSTR>(malloc((static_cast<size_t>(nCapacity) + 1) * sizeof(TCHAR)));
    if (pNew == nullptr)
        return false;
    memcpy(pNew, m_pstr, (static_cast<size_t>(m_nLength) + 1) * sizeof(TCHAR));
    if (!IsInline())
        free(m_pstr);
    m_pstr = pNew;
    m_nCapacity = nCapacity;
    return true;
}

// Replaces the text; pstr may point into this string's own storage.
void CUIString::SetText(LPCTSTR pstr, int nLength)
{
    if (nLength <= INLINE_MAX_LENGTH)
    {
        memmove(m_szBuffer, pstr, static_cast<size_t>(nLength) * sizeof(TCHAR));
        m_szBuffer[nLength] = 0;
        ReleaseHeap();
        m_nLength = nLength;
        return;
    }
    if (nLength > m_nCapacity)
    {
        LPTSTR pNew = static_cast<LPTSTR>(malloc((static_cast<size_t>(nLength) + 1) * sizeof(TCHAR)));
        if (pNew == nullptr)
            return;
        memcpy(pNew, pstr, static_cast<size_t>(nLength) * sizeof(TCHAR));
        ReleaseHeap();
        m_pstr = pNew;
        m_nCapacity = nLength;
    }
    else
    {
        memmove(m_pstr, pstr, static_cast<size_t>(nLength) * sizeof(TCHAR));
    }
    m_pstr[nLength] = 0;
    m_nLength = nLength;
}

TCHAR CUIString::GetAt(int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_nLength)
        return 0;
    return m_pstr[nIndex];
}

void CUIString::SetAt(int nIndex, TCHAR ch)
{
    if (nIndex < 0 || nIndex >= m_nLength)
        return;
    if (ch == 0)
    {
        Assign(m_pstr, nIndex);
        return;
    }
    m_pstr[nIndex] = ch;
}

void CUIString::Assign(LPCTSTR pstr, int nLength)
{
    SetText(pstr == nullptr ? m_szBuffer : pstr, TextLength(pstr, nLength));
}

void CUIString::Append(LPCTSTR pstr)
{
    Append(pstr, -1);
}

void CUIString::Append(LPCTSTR pstr, int nLength)
{
    int nAdd = TextLength(pstr, nLength);
    if (nAdd == 0 || nAdd > INT_MAX - 1 - m_nLength)
        return;
    int nNew = m_nLength + nAdd;
    if (nNew > m_nCapacity)
    {
        // The source may be part of this string: remember where it sits.
        bool bSelf = pstr >= m_pstr && pstr <= m_pstr + m_nLength;
        ptrdiff_t iOffset = pstr - m_pstr;
        if (!Reserve(nNew))
            return;
        if (bSelf)
            pstr = m_pstr + iOffset;
    }
    memmove(m_pstr + m_nLength, pstr, static_cast<size_t>(nAdd) * sizeof(TCHAR));
    m_nLength = nNew;
    m_pstr[m_nLength] = 0;
}

const CUIString& CUIString::operator=(const CUIString& src)
{
    if (this != &src)
        SetText(src.m_pstr, src.m_nLength);
    return *this;
}

const CUIString& CUIString::operator=(CUIString&& src) noexcept
{
    if (this == &src)
        return *this;
    if (src.IsInline())
    {
        SetText(src.m_pstr, src.m_nLength);
    }
    else
    {
        ReleaseHeap();
        m_pstr = src.m_pstr;
        m_nLength = src.m_nLength;
        m_nCapacity = src.m_nCapacity;
        src.m_pstr = src.m_szBuffer;
        src.m_nCapacity = INLINE_MAX_LENGTH;
    }
    src.m_szBuffer[0] = 0;
    src.m_nLength = 0;
    return *this;
}

const CUIString& CUIString::operator=(LPCTSTR pstr)
{
    Assign(pstr);
    return *this;
}

const CUIString& CUIString::operator=(TCHAR ch)
{
    Assign(&ch, ch == 0 ? 0 : 1);
    return *this;
}

CUIString CUIString::operator+(const CUIString& src) const
{
    CUIString result(*this);
    result.Append(src.m_pstr, src.m_nLength);
    return result;
}

CUIString CUIString::operator+(LPCTSTR pstr) const
{
    CUIString result(*this);
    result.Append(pstr);
    return result;
}

CUIString CUIString::operator+(TCHAR ch) const
{
    CUIString result(*this);
    result += ch;
    return result;
}

const CUIString& CUIString::operator+=(const CUIString& src)
{
    Append(src.m_pstr, src.m_nLength);
    return *this;
}

const CUIString& CUIString::operator+=(LPCTSTR pstr)
{
    Append(pstr);
    return *this;
}

const CUIString& CUIString::operator+=(TCHAR ch)
{
    if (ch != 0)
        Append(&ch, 1);
    return *this;
}

int CUIString::Compare(LPCTSTR pstr) const
{
    return wcscmp(m_pstr, pstr == nullptr ? L"" : pstr);
}

int CUIString::CompareNoCase(LPCTSTR pstr) const
{
    if (pstr == nullptr)
        pstr = L"";
    int iResult = CompareStringOrdinal(m_pstr, m_nLength, pstr, -1, TRUE);
    if (iResult == 0)
        return _wcsicmp(m_pstr, pstr);
    return iResult - CSTR_EQUAL;
}

void CUIString::MakeUpper()
{
    if (m_nLength > 0)
        CharUpperBuffW(m_pstr, static_cast<DWORD>(m_nLength));
}

void CUIString::MakeLower()
{
    if (m_nLength > 0)
        CharLowerBuffW(m_pstr, static_cast<DWORD>(m_nLength));
}

CUIString CUIString::Left(int nLength) const
{
    return Mid(0, nLength < 0 ? 0 : nLength);
}

CUIString CUIString::Mid(int iPos, int nLength) const
{
    if (iPos < 0)
        iPos = 0;
    if (iPos >= m_nLength)
        return CUIString();
    int nRest = m_nLength - iPos;
    if (nLength < 0 || nLength > nRest)
        nLength = nRest;
    return CUIString(m_pstr + iPos, nLength);
}

CUIString CUIString::Right(int nLength) const
{
    if (nLength <= 0)
        return CUIString();
    if (nLength > m_nLength)
        nLength = m_nLength;
    return CUIString(m_pstr + m_nLength - nLength, nLength);
}

int CUIString::Find(TCHAR ch, int iPos) const
{
    if (iPos < 0 || iPos >= m_nLength || ch == 0)
        return -1;
    LPCTSTR p = wcschr(m_pstr + iPos, ch);
    return p == nullptr ? -1 : static_cast<int>(p - m_pstr);
}

int CUIString::Find(LPCTSTR pstr, int iPos) const
{
    if (pstr == nullptr || iPos < 0 || iPos > m_nLength)
        return -1;
    if (*pstr == 0)
        return iPos < m_nLength ? iPos : -1;
    LPCTSTR p = wcsstr(m_pstr + iPos, pstr);
    return p == nullptr ? -1 : static_cast<int>(p - m_pstr);
}

int CUIString::ReverseFind(TCHAR ch) const
{
    if (ch == 0)
        return -1;
    LPCTSTR p = wcsrchr(m_pstr, ch);
    return p == nullptr ? -1 : static_cast<int>(p - m_pstr);
}

int CUIString::Replace(LPCTSTR pstrFrom, LPCTSTR pstrTo)
{
    int nFrom = TextLength(pstrFrom, -1);
    if (nFrom == 0)
        return 0;
    int iPos = Find(pstrFrom);
    if (iPos < 0)
        return 0;
    // Build the result aside: the replacement may contain the pattern, and
    // either argument may point into this string.
    int nTo = TextLength(pstrTo, -1);
    CUIString sTo(pstrTo, nTo);
    CUIString sFrom(pstrFrom, nFrom);
    CUIString sResult;
    int nCount = 0;
    int iStart = 0;
    while (iPos >= 0)
    {
        sResult.Append(m_pstr + iStart, iPos - iStart);
        sResult.Append(sTo.m_pstr, sTo.m_nLength);
        ++nCount;
        iStart = iPos + nFrom;
        iPos = Find(sFrom.m_pstr, iStart);
    }
    sResult.Append(m_pstr + iStart, m_nLength - iStart);
    *this = static_cast<CUIString&&>(sResult);
    return nCount;
}

int CUIString::InnerFormat(LPCTSTR pstrFormat, va_list args)
{
    if (pstrFormat == nullptr)
    {
        Empty();
        return -1;
    }
    va_list argsCount;
    va_copy(argsCount, args);
    int nLength = _vscwprintf(pstrFormat, argsCount);
    va_end(argsCount);
    if (nLength < 0)
    {
        Empty();
        return -1;
    }
    if (nLength <= INLINE_MAX_LENGTH)
    {
        ReleaseHeap();
        _vsnwprintf(m_szBuffer, static_cast<size_t>(nLength) + 1, pstrFormat, args);
        m_szBuffer[nLength] = 0;
        m_nLength = nLength;
        return nLength;
    }
    LPTSTR pNew = static_cast<LPTSTR>(malloc((static_cast<size_t>(nLength) + 1) * sizeof(TCHAR)));
    if (pNew == nullptr)
    {
        Empty();
        return -1;
    }
    _vsnwprintf(pNew, static_cast<size_t>(nLength) + 1, pstrFormat, args);
    pNew[nLength] = 0;
    ReleaseHeap();
    m_pstr = pNew;
    m_nCapacity = nLength;
    m_nLength = nLength;
    return nLength;
}

int __cdecl CUIString::Format(LPCTSTR pstrFormat, ...)
{
    va_list args;
    va_start(args, pstrFormat);
    int nResult = InnerFormat(pstrFormat, args);
    va_end(args);
    return nResult;
}

int __cdecl CUIString::SmallFormat(LPCTSTR pstrFormat, ...)
{
    if (pstrFormat == nullptr)
    {
        Empty();
        return -1;
    }
    TCHAR szBuffer[SMALL_FORMAT_MAX_LENGTH + 1] = {};
    va_list args;
    va_start(args, pstrFormat);
    int nResult = _vsnwprintf(szBuffer, SMALL_FORMAT_MAX_LENGTH, pstrFormat, args);
    va_end(args);
    int nLength = nResult;
    if (nResult < 0 || nResult > SMALL_FORMAT_MAX_LENGTH)
    {
        // The runtime reports a cut the same way as a format error: tell them
        // apart by whether it filled the buffer.
        szBuffer[SMALL_FORMAT_MAX_LENGTH] = 0;
        nLength = static_cast<int>(wcslen(szBuffer));
        if (nLength < SMALL_FORMAT_MAX_LENGTH)
        {
            Empty();
            return -1;
        }
        if (IsHighSurrogate(szBuffer[nLength - 1]))
            --nLength;
    }
    Assign(szBuffer, nLength);
    return nLength;
}

} // namespace Veneer
