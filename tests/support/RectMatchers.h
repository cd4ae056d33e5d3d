// Rectangles in test expectations: RECT values compare and print as (left,top,right,bottom).
#pragma once

#include <windows.h>

#include <gmock/gmock.h>

#include <ostream>

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const RECT& a, const RECT& b)
{
    return !(a == b);
}

// Found by gtest through argument-dependent look-up of RECT (a global type).
inline void PrintTo(const RECT& rc, std::ostream* os)
{
    *os << '(' << rc.left << ',' << rc.top << ',' << rc.right << ',' << rc.bottom << ')';
}

namespace test_support {

inline RECT Rc(int l, int t, int r, int b)
{
    return RECT{l, t, r, b};
}

MATCHER_P4(RectIs, l, t, r, b,
           "is (" + ::testing::PrintToString(l) + "," + ::testing::PrintToString(t) + "," +
               ::testing::PrintToString(r) + "," + ::testing::PrintToString(b) + ")")
{
    return arg.left == l && arg.top == t && arg.right == r && arg.bottom == b;
}

MATCHER_P2(RectSized, cx, cy, "is " + ::testing::PrintToString(cx) + "x" + ::testing::PrintToString(cy))
{
    return arg.right - arg.left == cx && arg.bottom - arg.top == cy;
}

} // namespace test_support
