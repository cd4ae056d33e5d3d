#include <gtest/gtest.h>

#include "ui/support/UIPoint.h"
#include "ui/support/UIRect.h"
#include "ui/support/UISize.h"

using Veneer::CUIPoint;
using Veneer::CUIRect;
using Veneer::CUISize;

namespace {

void ExpectRect(const RECT& rc, LONG l, LONG t, LONG r, LONG b)
{
    EXPECT_EQ(l, rc.left);
    EXPECT_EQ(t, rc.top);
    EXPECT_EQ(r, rc.right);
    EXPECT_EQ(b, rc.bottom);
}

TEST(GeometryText, Written_as_comma_separated_decimals)
{
    EXPECT_STREQ(L"1,-2,300,4", CUIRect(1, -2, 300, 4).ToString());
    EXPECT_STREQ(L"-2147483648,0,2147483647,0", CUIRect(LONG_MIN, 0, LONG_MAX, 0).ToString());
    EXPECT_STREQ(L"5,6", CUISize(5, 6).ToString());
    EXPECT_STREQ(L"-7,8", CUIPoint(-7, 8).ToString());
}

TEST(GeometryText, Read_with_any_single_separator_and_blanks_before_numbers)
{
    ExpectRect(CUIRect(L"1,2,3,4"), 1, 2, 3, 4);
    ExpectRect(CUIRect(L"-1;+2 3x4"), -1, 2, 3, 4);
    ExpectRect(CUIRect(L"1, 2, 3, 4"), 1, 2, 3, 4);
    ExpectRect(CUIRect(L"1,2,3,4,5 trailing"), 1, 2, 3, 4);
    CUISize sz(L"640x480");
    EXPECT_EQ(640, sz.cx);
    EXPECT_EQ(480, sz.cy);
    CUIPoint pt(L"-3,9");
    EXPECT_EQ(-3, pt.x);
    EXPECT_EQ(9, pt.y);
}

TEST(GeometryText, A_missing_number_yields_all_zero)
{
    CUIRect rc(9, 9, 9, 9);
    EXPECT_FALSE(rc.FromString(L"1,2,3"));
    ExpectRect(rc, 0, 0, 0, 0);
    ExpectRect(CUIRect(L"1,,2,3,4"), 0, 0, 0, 0);   // two separators in a row
    ExpectRect(CUIRect(L"1,2,3,"), 0, 0, 0, 0);
    ExpectRect(CUIRect(L"a,b,c,d"), 0, 0, 0, 0);
    ExpectRect(CUIRect(L""), 0, 0, 0, 0);
    ExpectRect(CUIRect(static_cast<LPCTSTR>(nullptr)), 0, 0, 0, 0);
    CUISize sz(7, 7);
    EXPECT_FALSE(sz.FromString(L"12"));
    EXPECT_EQ(0, sz.cx);
    EXPECT_EQ(0, sz.cy);
    CUIPoint pt(7, 7);
    EXPECT_FALSE(pt.FromString(L"-,5"));
    EXPECT_EQ(0, pt.x);
    EXPECT_EQ(0, pt.y);
    EXPECT_TRUE(pt.FromString(L"4,5"));
}

TEST(GeometryText, Round_trip_and_clamping)
{
    CUIRect rc(-10, 20, 30, -40);
    ExpectRect(CUIRect(rc.ToString()), -10, 20, 30, -40);
    CUISize sz(L"99999999999,-99999999999");
    EXPECT_EQ(LONG_MAX, sz.cx);
    EXPECT_EQ(LONG_MIN, sz.cy);
}

TEST(RectOperations, Size_emptiness_and_containment)
{
    CUIRect rc(10, 20, 110, 70);
    EXPECT_EQ(100, rc.GetWidth());
    EXPECT_EQ(50, rc.GetHeight());
    EXPECT_FALSE(rc.IsEmpty());
    EXPECT_FALSE(rc.IsNull());
    EXPECT_TRUE(rc.Contains(POINT{10, 20}));
    EXPECT_FALSE(rc.Contains(POINT{110, 20}));   // right edge is outside
    EXPECT_TRUE(CUIRect(5, 5, 5, 9).IsEmpty());
    EXPECT_FALSE(CUIRect(5, 5, 5, 9).IsNull());
    rc.Empty();
    EXPECT_TRUE(rc.IsNull());
    EXPECT_TRUE(CUIRect().IsNull());
}

TEST(RectOperations, Offset_inflate_deflate_and_reset)
{
    CUIRect rc(10, 20, 30, 40);
    rc.Offset(5, -5);
    ExpectRect(rc, 15, 15, 35, 35);
    rc.Inflate(2, 3);
    ExpectRect(rc, 13, 12, 37, 38);
    rc.Deflate(2, 3);
    ExpectRect(rc, 15, 15, 35, 35);
    rc.ResetOffset();
    ExpectRect(rc, 0, 0, 20, 20);
}

TEST(RectOperations, Normalize_orders_the_edges)
{
    CUIRect rc(30, 40, 10, 20);
    rc.Normalize();
    ExpectRect(rc, 10, 20, 30, 40);
}

TEST(RectOperations, Join_covers_both_even_when_one_is_empty)
{
    CUIRect rc(10, 10, 20, 20);
    rc.Join(CUIRect(0, 15, 0, 30));
    ExpectRect(rc, 0, 10, 20, 30);
}

TEST(RectOperations, Union_ignores_empty_sides)
{
    CUIRect rc(10, 10, 20, 20);
    rc.Union(CUIRect(0, 0, 0, 100));
    ExpectRect(rc, 10, 10, 20, 20);
    rc.Union(CUIRect(15, 15, 40, 25));
    ExpectRect(rc, 10, 10, 40, 25);
    CUIRect empty;
    empty.Union(CUIRect(1, 2, 3, 4));
    ExpectRect(empty, 1, 2, 3, 4);
}

TEST(RectOperations, Intersect)
{
    CUIRect rc(0, 0, 10, 10);
    EXPECT_TRUE(rc.Intersect(CUIRect(5, -5, 20, 5)));
    ExpectRect(rc, 5, 0, 10, 5);
    EXPECT_FALSE(rc.Intersect(CUIRect(10, 0, 20, 5)));   // only touching
    EXPECT_TRUE(rc.IsNull());
}

TEST(PointAndSize, Built_from_messages_and_rectangles)
{
    CUIPoint pt(MAKELPARAM(static_cast<WORD>(-5), 300));
    EXPECT_EQ(-5, pt.x);
    EXPECT_EQ(300, pt.y);
    CUISize sz(CUIRect(10, 20, 15, 60));
    EXPECT_EQ(5, sz.cx);
    EXPECT_EQ(40, sz.cy);
}

} // namespace
