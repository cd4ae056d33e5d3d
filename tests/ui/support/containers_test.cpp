#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/support/StdPtrArray.h"
#include "ui/support/StdStringPtrMap.h"
#include "ui/support/StdValArray.h"
#include "ui/support/SelectObject.h"
#include "ui/support/StringOrId.h"
#include "ui/support/UniqueHandle.h"

using Veneer::CStdPtrArray;
using Veneer::CStdStringPtrMap;
using Veneer::CStdValArray;
using Veneer::STRINGorID;

namespace {

void* Ptr(int i)
{
    return reinterpret_cast<void*>(static_cast<INT_PTR>(0x1000 + i * 8));
}

TEST(PtrArray, Capacity_is_11_at_the_first_add_then_doubles)
{
    CStdPtrArray a;
    EXPECT_EQ(0, a.GetCapacity());
    a.Add(Ptr(0));
    EXPECT_EQ(11, a.GetCapacity());
    for (int i = 1; i < 11; ++i)
        a.Add(Ptr(i));
    EXPECT_EQ(11, a.GetCapacity());
    a.Add(Ptr(11));
    EXPECT_EQ(22, a.GetCapacity());
    for (int i = 12; i < 23; ++i)
        a.Add(Ptr(i));
    EXPECT_EQ(44, a.GetCapacity());
    for (int i = 0; i < 23; ++i)
        EXPECT_EQ(Ptr(i), a[i]);
}

TEST(PtrArray, Preallocation_gives_exactly_the_room_asked_for)
{
    CStdPtrArray a(6);
    EXPECT_EQ(6, a.GetCapacity());
    EXPECT_TRUE(a.IsEmpty());
    for (int i = 0; i < 7; ++i)
        a.Add(Ptr(i));
    EXPECT_EQ(12, a.GetCapacity());
}

TEST(PtrArray, Insert_remove_and_bounds)
{
    CStdPtrArray a;
    EXPECT_TRUE(a.Add(Ptr(1)));
    EXPECT_TRUE(a.Add(Ptr(3)));
    EXPECT_TRUE(a.InsertAt(1, Ptr(2)));
    EXPECT_TRUE(a.InsertAt(0, Ptr(0)));
    EXPECT_TRUE(a.InsertAt(4, Ptr(4)));
    EXPECT_FALSE(a.InsertAt(6, Ptr(9)));
    EXPECT_FALSE(a.InsertAt(-1, Ptr(9)));
    ASSERT_EQ(5, a.GetSize());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Ptr(i), a.GetAt(i));
    EXPECT_EQ(nullptr, a.GetAt(5));
    EXPECT_EQ(nullptr, a.GetAt(-1));
    EXPECT_TRUE(a.Remove(0));
    EXPECT_TRUE(a.Remove(1, 2));   // drops 2 and 3
    EXPECT_FALSE(a.Remove(2));
    EXPECT_FALSE(a.Remove(0, 3));
    ASSERT_EQ(2, a.GetSize());
    EXPECT_EQ(Ptr(1), a[0]);
    EXPECT_EQ(Ptr(4), a[1]);
    EXPECT_TRUE(a.SetAt(1, Ptr(7)));
    EXPECT_FALSE(a.SetAt(2, Ptr(7)));
    EXPECT_EQ(Ptr(7), a[1]);
    a.Empty();
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(0, a.GetCapacity());
}

TEST(PtrArray, Resize_gives_null_slots)
{
    CStdPtrArray a;
    a.Add(Ptr(1));
    EXPECT_TRUE(a.Resize(4));
    EXPECT_EQ(4, a.GetSize());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(nullptr, a[i]);
}

// The same sequence of edits must give the same Find answers with and
// without the pointer-to-index map.
TEST(PtrArray, Find_agrees_with_and_without_the_index_map)
{
    CStdPtrArray plain;
    CStdPtrArray mapped(0, true);
    auto both = [&](auto edit) { edit(plain); edit(mapped); };
    for (int i = 0; i < 40; ++i)
        both([&](CStdPtrArray& a) { a.Add(Ptr(i)); });
    both([&](CStdPtrArray& a) { a.Add(Ptr(5)); });   // duplicate: the first stays
    EXPECT_EQ(5, mapped.Find(Ptr(5)));
    both([&](CStdPtrArray& a) { a.Remove(0); });
    both([&](CStdPtrArray& a) { a.InsertAt(10, Ptr(100)); });
    both([&](CStdPtrArray& a) { a.SetAt(20, Ptr(200)); });
    both([&](CStdPtrArray& a) { a.Add(Ptr(300)); });
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(plain.Find(Ptr(i)), mapped.Find(Ptr(i))) << i;
    for (int v : {100, 200, 300, 999})
        EXPECT_EQ(plain.Find(Ptr(v)), mapped.Find(Ptr(v))) << v;
    EXPECT_EQ(10, mapped.Find(Ptr(100)));
    EXPECT_EQ(-1, mapped.Find(Ptr(0)));
    EXPECT_EQ(-1, mapped.Find(nullptr));
    mapped.Add(nullptr);
    EXPECT_EQ(mapped.GetSize() - 1, mapped.Find(nullptr));
}

TEST(PtrArray, Copies_are_independent)
{
    CStdPtrArray a;
    a.Add(Ptr(1));
    CStdPtrArray b(a);
    b.Add(Ptr(2));
    EXPECT_EQ(1, a.GetSize());
    EXPECT_EQ(2, b.GetSize());
    a = b;
    EXPECT_EQ(Ptr(2), a[1]);
}

struct TSample
{
    int a;
    double b;
};

TEST(ValArray, Stores_copies_of_fixed_size_values)
{
    CStdValArray a(sizeof(TSample));
    EXPECT_EQ(static_cast<int>(sizeof(TSample)), a.GetElementSize());
    for (int i = 0; i < 12; ++i)
    {
        TSample s{i, i * 0.5};
        EXPECT_TRUE(a.Add(&s));
    }
    EXPECT_EQ(22, a.GetCapacity());
    EXPECT_EQ(12, a.GetSize());
    EXPECT_EQ(7, static_cast<TSample*>(a[7])->a);
    EXPECT_TRUE(a.Remove(0));
    EXPECT_EQ(1, static_cast<TSample*>(a.GetAt(0))->a);
    EXPECT_EQ(nullptr, a.GetAt(11));
    TSample z{-1, 0};
    EXPECT_TRUE(a.InsertAt(0, &z));
    EXPECT_EQ(-1, static_cast<TSample*>(a[0])->a);
    EXPECT_FALSE(a.Add(nullptr));
}

TEST(ValArray, Adding_an_element_of_itself_while_growing)
{
    CStdValArray a(sizeof(int));
    for (int i = 0; i < 11; ++i)
        a.Add(&i);
    ASSERT_EQ(11, a.GetCapacity());
    EXPECT_TRUE(a.Add(a.GetAt(3)));   // storage moves during this add
    EXPECT_EQ(3, *static_cast<int*>(a[11]));
}

TEST(StringPtrMap, Hash_runs_from_the_last_character_to_the_first)
{
    // "ab": h = 'b' = 98, then 98 * 33 + 'a' = 3331; 3331 mod 83 = 11.
    EXPECT_EQ(3331u, CStdStringPtrMap::HashKey(L"ab"));
    EXPECT_NE(CStdStringPtrMap::HashKey(L"ab"), CStdStringPtrMap::HashKey(L"ba"));
    CStdStringPtrMap map;
    EXPECT_EQ(83, map.GetBucketCount());
    EXPECT_EQ(11, map.GetBucketIndex(L"ab"));
    EXPECT_EQ(0, map.GetBucketIndex(L""));
    // Unsigned 32-bit wrap-around: 40 characters overflow many times.
    std::wstring longKey(40, L'\xFFFF');
    UINT h = 0;
    for (int i = 0; i < 40; ++i)
        h = h * 33u + 0xFFFFu;
    EXPECT_EQ(h, CStdStringPtrMap::HashKey(longKey.c_str()));
    EXPECT_EQ(static_cast<int>(h % 83u), map.GetBucketIndex(longKey.c_str()));
}

TEST(StringPtrMap, Find_moves_the_hit_to_the_front_of_its_bucket)
{
    // "ab" (3331) and "^" (94) both land in bucket 11.
    CStdStringPtrMap map;
    ASSERT_EQ(map.GetBucketIndex(L"ab"), map.GetBucketIndex(L"^"));
    int one = 1, two = 2;
    ASSERT_TRUE(map.Insert(L"ab", &one));
    ASSERT_TRUE(map.Insert(L"^", &two));
    EXPECT_STREQ(L"^", map.GetAt(0));   // newest first
    EXPECT_STREQ(L"ab", map.GetAt(1));
    EXPECT_EQ(&one, map.Find(L"ab", false));
    EXPECT_STREQ(L"^", map.GetAt(0));   // no move without optimisation
    EXPECT_EQ(&one, map.Find(L"ab"));
    EXPECT_STREQ(L"ab", map.GetAt(0));
    EXPECT_STREQ(L"^", map.GetAt(1));
    EXPECT_EQ(&two, map.Find(L"^"));
    EXPECT_STREQ(L"^", map.GetAt(0));
    EXPECT_EQ(nullptr, map.GetAt(2));
}

TEST(StringPtrMap, Insert_refuses_an_existing_key_and_Set_replaces)
{
    CStdStringPtrMap map;
    int a = 1, b = 2, c = 3;
    EXPECT_TRUE(map.Insert(L"name", &a));
    EXPECT_FALSE(map.Insert(L"name", &b));
    EXPECT_EQ(&a, map.Find(L"name"));
    EXPECT_EQ(&a, map.Set(L"name", &b));
    EXPECT_EQ(&b, map.Find(L"name"));
    EXPECT_EQ(nullptr, map.Set(L"other", &c));   // Set inserts a new key
    EXPECT_EQ(&c, map.Find(L"other"));
    EXPECT_EQ(2, map.GetSize());
}

TEST(StringPtrMap, Keys_compare_exactly)
{
    CStdStringPtrMap map;
    int a = 1;
    map.Insert(L"Button", &a);
    EXPECT_EQ(nullptr, map.Find(L"button"));
    EXPECT_EQ(nullptr, map.Find(L"Button "));
    EXPECT_TRUE(map.Insert(L"button", &a));
    EXPECT_EQ(nullptr, map.Find(nullptr));
    EXPECT_FALSE(map.Insert(nullptr, &a));
}

TEST(StringPtrMap, Remove_enumerate_and_clear)
{
    CStdStringPtrMap map;
    int v[200];
    for (int i = 0; i < 200; ++i)
    {
        std::wstring key = L"k" + std::to_wstring(i);
        ASSERT_TRUE(map.Insert(key.c_str(), &v[i]));
    }
    EXPECT_EQ(200, map.GetSize());
    for (int i = 0; i < 200; i += 2)
        EXPECT_TRUE(map.Remove((L"k" + std::to_wstring(i)).c_str()));
    EXPECT_FALSE(map.Remove(L"k0"));
    EXPECT_EQ(100, map.GetSize());
    int found = 0;
    for (int i = 0; i < map.GetSize(); ++i)
    {
        LPCTSTR key = map.GetAt(i);
        ASSERT_NE(nullptr, key);
        int n = _wtoi(key + 1);
        EXPECT_EQ(1, n % 2);
        EXPECT_EQ(&v[n], map.Find(key));
        ++found;
    }
    EXPECT_EQ(100, found);
    map.RemoveAll();
    EXPECT_EQ(0, map.GetSize());
    EXPECT_EQ(nullptr, map.Find(L"k1"));
    EXPECT_TRUE(map.Insert(L"k1", &v[1]));
}

TEST(StringPtrMap, Resize_empties_and_changes_the_bucket_count)
{
    CStdStringPtrMap map(7);
    int a = 1;
    map.Insert(L"ab", &a);
    EXPECT_EQ(3331 % 7, map.GetBucketIndex(L"ab"));
    map.Resize();
    EXPECT_EQ(83, map.GetBucketCount());
    EXPECT_EQ(0, map.GetSize());
    CStdStringPtrMap tiny(0);
    EXPECT_EQ(1, tiny.GetBucketCount());
    EXPECT_TRUE(tiny.Insert(L"x", &a));
    EXPECT_EQ(&a, tiny.Find(L"x"));
}

TEST(StringPtrMap, Long_chains_stay_exact_through_removal_reinsertion_and_resize)
{
    // 20,000 names in 83 buckets: chains of about 240 that share hashes modulo 83.
    CStdStringPtrMap map;
    const int n = 20000;
    std::vector<int> v(n);
    for (int i = 0; i < n; ++i)
        ASSERT_TRUE(map.Insert((L"lbl" + std::to_wstring(i)).c_str(), &v[i]));
    for (int i = 0; i < n; i += 3)
        ASSERT_TRUE(map.Remove((L"lbl" + std::to_wstring(i)).c_str()));
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(i % 3 == 0 ? nullptr : &v[i], map.Find((L"lbl" + std::to_wstring(i)).c_str())) << i;
    // A removed name can come back with other data; prefixes of stored names are not found.
    int back = 0;
    EXPECT_TRUE(map.Insert(L"lbl0", &back));
    EXPECT_EQ(&back, map.Find(L"lbl0"));
    EXPECT_EQ(nullptr, map.Find(L"lbl"));
    // Enumeration still reaches each stored name exactly once, in bucket order.
    int lastBucket = -1;
    for (int i = 0; i < map.GetSize(); ++i)
    {
        const int bucket = map.GetBucketIndex(map.GetAt(i));
        ASSERT_GE(bucket, lastBucket);
        lastBucket = bucket;
    }
    map.Resize(5);
    EXPECT_EQ(nullptr, map.Find(L"lbl1"));
    EXPECT_TRUE(map.Insert(L"lbl1", &v[1]));
    EXPECT_EQ(&v[1], map.Find(L"lbl1"));
    EXPECT_EQ(1, map.GetSize());
}

TEST(StringOrId, Small_values_are_resource_ids)
{
    STRINGorID id(130u);
    EXPECT_TRUE(id.IsId());
    EXPECT_EQ(130, id.GetId());
    EXPECT_EQ(nullptr, id.GetString());
    EXPECT_EQ(MAKEINTRESOURCE(130), id.m_lpstr);
    STRINGorID name(L"MainFrame.xml");
    EXPECT_FALSE(name.IsId());
    EXPECT_STREQ(L"MainFrame.xml", name.GetString());
    EXPECT_TRUE(STRINGorID(0xFFFFu).IsId());
}

// A handle is freed once: when it is replaced or its owner goes; never when it is handed on or given away,
// nor when the owner is reset to the very handle it holds.
TEST(UniqueHandle, Frees_its_handle_once_and_never_one_it_gave_away)
{
    auto alive = [](HGDIOBJ h) { return ::GetObjectType(h) != 0; };
    HBRUSH first = ::CreateSolidBrush(RGB(1, 2, 3));
    HBRUSH second = ::CreateSolidBrush(RGB(4, 5, 6));
    {
        Veneer::CBrushHandle owner(first);
        owner.Reset(first);
        Veneer::CBrushHandle next(std::move(owner));
        EXPECT_FALSE(owner);
        EXPECT_TRUE(alive(first));
        next.Reset(second);
        EXPECT_FALSE(alive(first));
        EXPECT_EQ(second, next.Release());
    }
    EXPECT_TRUE(alive(second));
    Veneer::CMemoryDC dc(::CreateCompatibleDC(nullptr));
    HGDIOBJ before = ::GetCurrentObject(dc.Get(), OBJ_BRUSH);
    {
        Veneer::CSelectObject select(dc.Get(), second);
        EXPECT_EQ(second, ::GetCurrentObject(dc.Get(), OBJ_BRUSH));
    }
    EXPECT_EQ(before, ::GetCurrentObject(dc.Get(), OBJ_BRUSH));
    ::DeleteObject(second);
    EXPECT_FALSE(Veneer::CFileHandle(INVALID_HANDLE_VALUE));
}

} // namespace
