#include <gtest/gtest.h>

#include <string>

#include "ui/support/UIString.h"

using Veneer::CUIString;

namespace {

// Whether the text sits in the object's own inline buffer.
bool StoredInline(const CUIString& s)
{
    const char* p = reinterpret_cast<const char*>(s.GetData());
    const char* self = reinterpret_cast<const char*>(&s);
    return p >= self && p < self + sizeof(CUIString);
}

std::wstring Repeat(wchar_t ch, int n)
{
    return std::wstring(static_cast<size_t>(n), ch);
}

TEST(StringStorage, Texts_up_to_62_characters_stay_inline_longer_ones_go_to_the_heap)
{
    CUIString s62(Repeat(L'a', 62).c_str());
    CUIString s63(Repeat(L'b', 63).c_str());
    CUIString s64(Repeat(L'c', 64).c_str());
    EXPECT_TRUE(StoredInline(s62));
    EXPECT_FALSE(StoredInline(s63));
    EXPECT_FALSE(StoredInline(s64));
    EXPECT_EQ(62, s62.GetLength());
    EXPECT_EQ(63, s63.GetLength());
    EXPECT_EQ(Repeat(L'b', 63), s63.GetData());
    EXPECT_EQ(Repeat(L'c', 64), s64.GetData());
}

TEST(StringStorage, Appending_across_the_boundary_keeps_every_character)
{
    CUIString s(Repeat(L'x', 61).c_str());
    s += L'y';
    EXPECT_TRUE(StoredInline(s));
    s += L'z';
    EXPECT_FALSE(StoredInline(s));
    EXPECT_EQ(Repeat(L'x', 61) + L"yz", s.GetData());

    CUIString grown;
    std::wstring expected;
    for (int i = 0; i < 500; ++i)
    {
        grown.Append(L"0123456789");
        expected += L"0123456789";
    }
    EXPECT_EQ(5000, grown.GetLength());
    EXPECT_EQ(expected, grown.GetData());
}

TEST(StringStorage, Shrinking_below_the_boundary_returns_to_the_inline_buffer)
{
    CUIString s(Repeat(L'q', 100).c_str());
    ASSERT_FALSE(StoredInline(s));
    s = L"short";
    EXPECT_TRUE(StoredInline(s));
    EXPECT_STREQ(L"short", s);

    CUIString t(Repeat(L'r', 63).c_str());
    t = t.Left(62);
    EXPECT_TRUE(StoredInline(t));
    EXPECT_EQ(Repeat(L'r', 62), t.GetData());

    CUIString u(Repeat(L'u', 80).c_str());
    u.SetAt(10, 0);   // cuts the text
    EXPECT_EQ(10, u.GetLength());
    EXPECT_TRUE(StoredInline(u));
}

TEST(StringStorage, Appending_or_assigning_a_string_to_itself)
{
    CUIString s(Repeat(L'a', 40).c_str());
    s += s;   // crosses into the heap while reading itself
    EXPECT_EQ(Repeat(L'a', 80), s.GetData());
    s += s;
    EXPECT_EQ(Repeat(L'a', 160), s.GetData());

    CUIString t(L"abcdef");
    t.Append(t.GetData() + 3);
    EXPECT_STREQ(L"abcdefdef", t);

    CUIString h((Repeat(L'h', 70) + L"tail").c_str());
    h.Assign(h.GetData() + 70);   // from the heap back inline, reading itself
    EXPECT_STREQ(L"tail", h);
    h = h;
    EXPECT_STREQ(L"tail", h);
}

TEST(StringStorage, Copies_and_moves_are_independent)
{
    CUIString longText(Repeat(L'L', 90).c_str());
    CUIString copy(longText);
    copy.SetAt(0, L'M');
    EXPECT_EQ(L'L', longText[0]);
    EXPECT_EQ(L'M', copy[0]);

    CUIString moved(static_cast<CUIString&&>(copy));
    EXPECT_EQ(90, moved.GetLength());
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_STREQ(L"", copy);

    CUIString shortText(L"short");
    CUIString target(Repeat(L'T', 70).c_str());
    target = static_cast<CUIString&&>(shortText);
    EXPECT_STREQ(L"short", target);
    EXPECT_TRUE(StoredInline(target));
}

TEST(StringConstruction, From_text_length_character_and_null)
{
    EXPECT_STREQ(L"abc", CUIString(L"abcdef", 3));
    EXPECT_STREQ(L"ab", CUIString(L"ab", 10));   // the terminator wins
    EXPECT_STREQ(L"x", CUIString(L'x'));
    EXPECT_TRUE(CUIString(static_cast<LPCTSTR>(nullptr)).IsEmpty());
    CUIString s(L"abc");
    s = static_cast<LPCTSTR>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    s = L'z';
    EXPECT_STREQ(L"z", s);
    s.Empty();
    EXPECT_EQ(0, s.GetLength());
    EXPECT_STREQ(L"", s.GetData());
}

TEST(StringAccess, Characters_by_position)
{
    CUIString s(L"abc");
    EXPECT_EQ(L'b', s.GetAt(1));
    EXPECT_EQ(L'c', s[2]);
    EXPECT_EQ(0, s.GetAt(3));
    EXPECT_EQ(0, s.GetAt(-1));
    s.SetAt(1, L'X');
    s.SetAt(5, L'Y');   // ignored
    EXPECT_STREQ(L"aXc", s);
}

TEST(StringConcatenation, Operators_build_the_expected_text)
{
    CUIString a(L"foo");
    EXPECT_STREQ(L"foobar", a + L"bar");
    EXPECT_STREQ(L"barfoo", L"bar" + a);
    EXPECT_STREQ(L"foofoo", a + a);
    EXPECT_STREQ(L"foo!", a + L'!');
    a += CUIString(L"1");
    a += L"2";
    a += L'3';
    a.Append(L"456", 2);
    EXPECT_STREQ(L"foo12345", a);
}

TEST(StringComparison, Exact_and_case_insensitive)
{
    CUIString s(L"Click");
    EXPECT_EQ(0, s.Compare(L"Click"));
    EXPECT_LT(s.Compare(L"click"), 0);   // 'C' sorts before 'c'
    EXPECT_GT(s.Compare(L"Clic"), 0);
    EXPECT_EQ(0, s.CompareNoCase(L"cLICK"));
    EXPECT_LT(s.CompareNoCase(L"CLICKS"), 0);
    EXPECT_GT(s.CompareNoCase(L"b"), 0);
    EXPECT_EQ(0, CUIString(L"\u00C4rger").CompareNoCase(L"\u00E4RGER"));
    EXPECT_GT(s.Compare(nullptr), 0);
    EXPECT_EQ(0, CUIString().CompareNoCase(nullptr));

    EXPECT_TRUE(s == L"Click");
    EXPECT_TRUE(L"Click" == s);
    EXPECT_TRUE(s != L"click");
    EXPECT_TRUE(s == CUIString(L"Click"));
    EXPECT_TRUE(CUIString(L"a") < CUIString(L"b"));
    EXPECT_TRUE(CUIString(L"b") >= L"a");
    EXPECT_TRUE(L"a" <= CUIString(L"a"));
}

TEST(StringCase, Upper_and_lower_cover_non_ascii_letters)
{
    CUIString s(L"Stra\u00DFe \u00E9t\u00C9 42");
    s.MakeUpper();
    EXPECT_STREQ(L"STRA\u00DFE \u00C9T\u00C9 42", s);   // sharp s has no single upper case
    s.MakeLower();
    EXPECT_STREQ(L"stra\u00DFe \u00E9t\u00E9 42", s);
}

TEST(StringSubstrings, Out_of_range_requests_are_clamped)
{
    CUIString s(L"abcdef");
    EXPECT_STREQ(L"abc", s.Left(3));
    EXPECT_STREQ(L"abcdef", s.Left(100));
    EXPECT_STREQ(L"", s.Left(-1));
    EXPECT_STREQ(L"def", s.Right(3));
    EXPECT_STREQ(L"abcdef", s.Right(100));
    EXPECT_STREQ(L"", s.Right(0));
    EXPECT_STREQ(L"cd", s.Mid(2, 2));
    EXPECT_STREQ(L"cdef", s.Mid(2));
    EXPECT_STREQ(L"ef", s.Mid(4, 100));
    EXPECT_STREQ(L"", s.Mid(6));
    EXPECT_STREQ(L"", s.Mid(100, 2));
    EXPECT_STREQ(L"ab", s.Mid(-5, 2));
    EXPECT_STREQ(L"", s.Mid(2, 0));
}

TEST(StringSearch, Find_and_ReverseFind)
{
    CUIString s(L"a.b.c");
    EXPECT_EQ(1, s.Find(L'.'));
    EXPECT_EQ(3, s.Find(L'.', 2));
    EXPECT_EQ(-1, s.Find(L'.', 4));
    EXPECT_EQ(-1, s.Find(L'.', -1));
    EXPECT_EQ(-1, s.Find(L'x'));
    EXPECT_EQ(2, s.Find(L"b.c"));
    EXPECT_EQ(-1, s.Find(L"b.c", 3));
    EXPECT_EQ(-1, s.Find(L"a.b.c.d"));
    EXPECT_EQ(-1, s.Find(L"c", 99));
    EXPECT_EQ(3, s.ReverseFind(L'.'));
    EXPECT_EQ(-1, s.ReverseFind(L'x'));
    EXPECT_EQ(-1, CUIString().ReverseFind(L'.'));
}

TEST(StringReplace, Counts_non_overlapping_matches_left_to_right)
{
    CUIString s(L"aaaa");
    EXPECT_EQ(2, s.Replace(L"aa", L"b"));
    EXPECT_STREQ(L"bb", s);

    CUIString t(L"aaa");
    EXPECT_EQ(1, t.Replace(L"aa", L"x"));
    EXPECT_STREQ(L"xa", t);

    CUIString q(L"&quot;a&quot;");
    EXPECT_EQ(2, q.Replace(L"&quot;", L"\""));
    EXPECT_STREQ(L"\"a\"", q);
}

TEST(StringReplace, Replacement_containing_the_pattern_does_not_recurse)
{
    CUIString s(L"x-x");
    EXPECT_EQ(2, s.Replace(L"x", L"xx"));
    EXPECT_STREQ(L"xx-xx", s);
}

TEST(StringReplace, Empty_or_missing_pattern_changes_nothing)
{
    CUIString s(L"abc");
    EXPECT_EQ(0, s.Replace(L"", L"z"));
    EXPECT_EQ(0, s.Replace(nullptr, L"z"));
    EXPECT_EQ(0, s.Replace(L"q", L"z"));
    EXPECT_STREQ(L"abc", s);
    EXPECT_EQ(1, s.Replace(L"b", L""));
    EXPECT_STREQ(L"ac", s);
    EXPECT_EQ(1, s.Replace(L"c", nullptr));
    EXPECT_STREQ(L"a", s);
}

TEST(StringReplace, Growing_past_the_inline_buffer)
{
    CUIString s(Repeat(L'.', 40).c_str());
    EXPECT_EQ(40, s.Replace(L".", L"<>"));
    EXPECT_EQ(80, s.GetLength());
    EXPECT_EQ(0, s.Find(L"<><>"));
    EXPECT_EQ(78, s.ReverseFind(L'<'));
}

TEST(StringFormat, Format_produces_results_of_any_length)
{
    CUIString s;
    EXPECT_EQ(7, s.Format(L"%d-%s-%ld", 42, L"ab", 7L));
    EXPECT_STREQ(L"42-ab-7", s);
    std::wstring longArg = Repeat(L'w', 300);
    EXPECT_EQ(302, s.Format(L"[%s]", longArg.c_str()));
    EXPECT_EQ(L"[" + longArg + L"]", s.GetData());
    EXPECT_EQ(2, s.Format(L"%d", 10));
    EXPECT_STREQ(L"10", s);
}

TEST(StringFormat, SmallFormat_cuts_at_63_characters)
{
    CUIString s;
    std::wstring arg = Repeat(L'k', 100);
    EXPECT_EQ(63, s.SmallFormat(L"%s", arg.c_str()));
    EXPECT_EQ(Repeat(L'k', 63), s.GetData());

    std::wstring exact = Repeat(L'e', 63);
    EXPECT_EQ(63, s.SmallFormat(L"%s", exact.c_str()));
    EXPECT_EQ(exact, s.GetData());

    EXPECT_EQ(5, s.SmallFormat(L"%d,%d", 10, 20));
    EXPECT_STREQ(L"10,20", s);
}

TEST(StringFormat, SmallFormat_never_leaves_half_a_surrogate_pair)
{
    // 62 characters, then a pair that would straddle the cut.
    std::wstring arg = Repeat(L'p', 62) + L"\xD83D\xDE00" + L"tail";
    CUIString s;
    EXPECT_EQ(62, s.SmallFormat(L"%s", arg.c_str()));
    EXPECT_EQ(Repeat(L'p', 62), s.GetData());
}

} // namespace
