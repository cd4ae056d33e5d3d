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
    // An image descriptor: a bare file name, or name='value' pairs with closed quotes.
    static bool IsImageDescriptor(LPCTSTR pstrValue);
    // The file an image descriptor names ("" when it names none).
    static CUIString ImageFile(LPCTSTR pstrValue);

    static CUIString FormatInt(int n);
    static CUIString FormatBool(bool b);
    static CUIString FormatColor(DWORD dw);
    static CUIString FormatSize(SIZE sz);
    static CUIString FormatRect(const RECT& rc);
};

} // namespace Veneer
