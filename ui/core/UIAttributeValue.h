#pragma once
// The value forms markup attributes are written in, read the one way every control reads them.

#include <windows.h>

#include "ui/support/UIString.h"

namespace Veneer {

class CAttributeValue
{
public:
    // Which blanks a colour may start with before its optional '#'.
    enum EBlanks
    {
        kNoBlanks,
        kControlBlanks,
        kSpaceTab
    };

    // "true" in any case; anything else (and a missing value) is false.
    static bool Bool(LPCTSTR pstrValue);
    // Only "true" exactly: the rich edit's booleans are written that way.
    static bool ExactBool(LPCTSTR pstrValue);
    // A leading decimal number; what follows it is ignored, no number reads as 0.
    static int Int(LPCTSTR pstrValue);
    // Up to nCount decimal numbers separated by one character each; missing numbers stay 0.
    static void Ints(LPCTSTR pstrValue, long* pValues, int nCount);
    static void Doubles(LPCTSTR pstrValue, double* pValues, int nCount);
    static SIZE Size(LPCTSTR pstrValue);
    static RECT Rect(LPCTSTR pstrValue);
    // Hexadecimal AARRGGBB with an optional '#'.
    static DWORD Color(LPCTSTR pstrValue, EBlanks blanks);
    // Whether one of the words appears anywhere in the value (align words are found, not parsed).
    static bool HasWord(LPCTSTR pstrValue, LPCTSTR pstrWord);
    // Reads an image descriptor's name='value' pairs the way the paint manager does, handing each to
    // onPair(key, value) as it is read; onPair returns false to stop there. False where reading stopped
    // before the end.
    template <typename OnPair>
    static bool ReadDescriptorPairs(LPCTSTR pstrValue, OnPair onPair);
    // An image descriptor: a bare file name, or name='value' pairs with closed quotes and known names.
    static bool IsImageDescriptor(LPCTSTR pstrValue);
    // The file an image descriptor names ("" when it names none).
    static CUIString ImageFile(LPCTSTR pstrValue);

    static CUIString FormatInt(int n);
    static CUIString FormatBool(bool b);
    static CUIString FormatColor(DWORD dw);
    static CUIString FormatSize(SIZE sz);
    static CUIString FormatRect(const RECT& rc);

private:
    static LPCTSTR SkipBlanks(LPCTSTR p);
};

template <typename OnPair>
bool CAttributeValue::ReadDescriptorPairs(LPCTSTR pstrValue, OnPair onPair)
{
    LPCTSTR p = pstrValue;
    for (;;) {
        p = SkipBlanks(p);
        if (*p == L'\0') return true;
        LPCTSTR pKey = p;
        while (*p != L'\0' && *p != L'=' && *p > L' ') ++p;
        const CUIString key(pKey, static_cast<int>(p - pKey));
        p = SkipBlanks(p);
        if (*p != L'=') return false;
        p = SkipBlanks(p + 1);
        if (*p != L'\'') return false;
        LPCTSTR pValue = ++p;
        while (*p != L'\0' && *p != L'\'') ++p;
        if (*p != L'\'' || !onPair(key, CUIString(pValue, static_cast<int>(p - pValue)))) return false;
        ++p;
        if (*p == L'\0') return true;
        if (*p != L' ') return false;
        ++p;
    }
}

} // namespace Veneer
