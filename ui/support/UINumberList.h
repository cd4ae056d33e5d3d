#pragma once

#include <windows.h>

namespace Veneer {

// Reads nCount decimal integers from text such as "1,2,3,4": each number may
// be preceded by blanks and a sign, and consecutive numbers are separated by
// exactly one character of any kind. Values beyond the 32-bit range are
// clamped. Returns false (and sets every value to zero) when a number is
// missing; text after the last number is ignored.
bool ReadNumberList(LPCTSTR pstrText, LONG* pValues, int nCount);

} // namespace Veneer
