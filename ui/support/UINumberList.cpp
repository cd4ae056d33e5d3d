#include "ui/support/UINumberList.h"

#include <limits.h>

namespace Veneer {

namespace {

bool IsBlank(wchar_t ch)
{
    return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n' || ch == L'\v' || ch == L'\f';
}

// Reads one number at p and leaves p after its last digit.
bool ReadNumber(LPCTSTR& p, LONG& value)
{
    while (IsBlank(*p))
        ++p;
    bool bNegative = false;
    if (*p == L'+' || *p == L'-')
    {
        bNegative = *p == L'-';
        ++p;
    }
    if (*p < L'0' || *p > L'9')
        return false;
    long long n = 0;
    while (*p >= L'0' && *p <= L'9')
    {
        if (n <= LONG_MAX)
            n = n * 10 + (*p - L'0');
        ++p;
    }
    if (bNegative)
        n = -n;
    if (n > LONG_MAX)
        n = LONG_MAX;
    if (n < LONG_MIN)
        n = LONG_MIN;
    value = static_cast<LONG>(n);
    return true;
}

} // namespace

bool ReadNumberList(LPCTSTR pstrText, LONG* pValues, int nCount)
{
    LPCTSTR p = pstrText;
    bool bOk = p != nullptr;
    for (int i = 0; bOk && i < nCount; ++i)
    {
        if (i > 0)
        {
            if (*p == 0)
                bOk = false;
            else
                ++p;
        }
        bOk = bOk && ReadNumber(p, pValues[i]);
    }
    if (!bOk)
    {
        for (int i = 0; i < nCount; ++i)
            pValues[i] = 0;
    }
    return bOk;
}

} // namespace Veneer
