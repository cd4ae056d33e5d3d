// Tree walks: lookup by name, by point and by class with the UIFIND_* flags,
// visiting order, and hit tests through insets, floats and disabled mice.
#include <gtest/gtest.h>

#include <vector>

#include "controls_test_host.h"

using namespace Veneer;
using controls_test::Child;
using controls_test::Host;
using controls_test::Rc;

namespace {

std::vector<CControlUI*> g_visited;

CControlUI* CALLBACK CollectAll(CControlUI* pThis, LPVOID)
{
    g_visited.push_back(pThis);
    return nullptr;
}

CControlUI* CALLBACK ByName(CControlUI* pThis, LPVOID pData)
{
    return pThis->GetName() == static_cast<LPCTSTR>(pData) ? pThis : nullptr;
}

CControlUI* CALLBACK Any(CControlUI* pThis, LPVOID)
{
    return pThis;
}

CControlUI* CALLBACK ByClass(CControlUI* pThis, LPVOID pData)
{
    return _wcsicmp(pThis->GetClass(), static_cast<LPCTSTR>(pData)) == 0 ? pThis : nullptr;
}

CControlUI* HitTest(CControlUI* root, int x, int y, UINT uExtra = 0)
{
    POINT pt = {x, y};
    return root->FindControl(&Any, &pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST | uExtra);
}

// root (vertical, 0,0-100,100)
//   a (height 30)
//   box (horizontal, stretch) -> b1 (width 40), b2 (stretch)
struct Tree
{
    Tree()
    {
        root = new CVerticalLayoutUI();
        root->SetName(L"root");
        a = Child(*root, 0, 30);
        a->SetName(L"a");
        box = new CHorizontalLayoutUI();
        box->SetName(L"box");
        root->Add(box);
        b1 = Child(*box, 40, 0);
        b1->SetName(L"b1");
        b2 = Child(*box, 0, 0);
        b2->SetName(L"b2");
        root->SetPos(Rc(0, 0, 100, 100), false);
    }
    ~Tree() { delete root; }
    CVerticalLayoutUI* root;
    CControlUI* a;
    CHorizontalLayoutUI* box;
    CControlUI* b1;
    CControlUI* b2;
};

} // namespace

TEST(ControlFindOrder, ContainersAreVisitedAfterTheirChildrenUnlessMeFirst)
{
    Tree t;
    g_visited.clear();
    t.root->FindControl(&CollectAll, nullptr, UIFIND_ALL);
    std::vector<CControlUI*> post = {t.a, t.b1, t.b2, t.box, t.root};
    EXPECT_EQ(post, g_visited);

    g_visited.clear();
    t.root->FindControl(&CollectAll, nullptr, UIFIND_ME_FIRST);
    std::vector<CControlUI*> pre = {t.root, t.a, t.box, t.b1, t.b2};
    EXPECT_EQ(pre, g_visited);

    g_visited.clear();
    t.root->FindControl(&CollectAll, nullptr, UIFIND_ME_FIRST | UIFIND_TOP_FIRST);
    std::vector<CControlUI*> top = {t.root, t.box, t.b2, t.b1, t.a};
    EXPECT_EQ(top, g_visited);
}

TEST(ControlFindFlags, VisibleAndEnabledFlagsPruneWholeSubtrees)
{
    Tree t;
    t.box->SetVisible(false);
    g_visited.clear();
    t.root->FindControl(&CollectAll, nullptr, UIFIND_VISIBLE);
    EXPECT_EQ((std::vector<CControlUI*>{t.a, t.root}), g_visited);

    t.box->SetVisible(true);
    t.a->SetEnabled(false);
    g_visited.clear();
    t.root->FindControl(&CollectAll, nullptr, UIFIND_ENABLED);
    EXPECT_EQ((std::vector<CControlUI*>{t.b1, t.b2, t.box, t.root}), g_visited);

    EXPECT_EQ(t.b2, t.root->FindControl(&ByName, const_cast<LPTSTR>(L"b2"), UIFIND_ALL));
    EXPECT_EQ(nullptr, t.root->FindControl(&ByName, const_cast<LPTSTR>(L"a"), UIFIND_ENABLED));
    EXPECT_EQ(t.box, t.root->FindControl(&ByClass, const_cast<LPTSTR>(L"HorizontalLayoutUI"), UIFIND_ALL));
}

TEST(ControlFindFlags, UpdateTestStopsAtAContainerTheProcAccepts)
{
    Tree t;
    g_visited.clear();
    // A proc accepting the container itself hides its children from the walk.
    CControlUI* found = t.box->FindControl(&Any, nullptr, UIFIND_UPDATETEST);
    EXPECT_EQ(nullptr, found);
    EXPECT_EQ(t.b1, t.b1->FindControl(&Any, nullptr, UIFIND_UPDATETEST));
}

TEST(ControlFindHitTest, DeepestTopmostControlUnderThePoint)
{
    Tree t;
    EXPECT_EQ(t.a, HitTest(t.root, 10, 10));
    EXPECT_EQ(t.b1, HitTest(t.root, 10, 50));
    EXPECT_EQ(t.b2, HitTest(t.root, 90, 90));
    EXPECT_EQ(nullptr, HitTest(t.root, 150, 50));
}

TEST(ControlFindHitTest, MouseDisabledControlsAreTransparent)
{
    Tree t;
    t.b1->SetMouseEnabled(false);
    EXPECT_EQ(t.box, HitTest(t.root, 10, 50));
    // A mouse-disabled container still lets its children be hit, but never itself.
    t.b1->SetMouseEnabled(true);
    t.box->SetMouseEnabled(false);
    EXPECT_EQ(t.b1, HitTest(t.root, 10, 50));
    t.b1->SetMouseEnabled(false);
    EXPECT_EQ(t.root, HitTest(t.root, 10, 50));
}

TEST(ControlFindHitTest, MouseChildDisabledStopsAtTheContainer)
{
    Tree t;
    t.box->SetAttribute(L"mousechild", L"false");
    EXPECT_EQ(t.box, HitTest(t.root, 10, 50));
    EXPECT_EQ(t.a, HitTest(t.root, 10, 10));
}

TEST(ControlFindHitTest, PointsInTheInsetOnlyHitFloatChildren)
{
    CContainerUI box;
    box.SetInset(Rc(10, 10, 10, 10));
    CControlUI* inner = Child(box, 0, 0);
    inner->SetMinWidth(200);  // overflows into the inset
    CControlUI* f = new CControlUI();
    f->ApplyAttributeList(L"float=\"true\" pos=\"0,0,10,10\"");
    box.Add(f);
    box.SetPos(Rc(0, 0, 100, 100), false);
    EXPECT_EQ(inner, HitTest(&box, 50, 50));
    EXPECT_EQ(&box, HitTest(&box, 95, 50));  // inner reaches there but the point is in the inset
    EXPECT_EQ(f, HitTest(&box, 5, 5));
}

TEST(ControlFindHitTest, OverlappingFloatChildrenTheLastOneWins)
{
    CContainerUI box;
    CControlUI* under = new CControlUI();
    under->ApplyAttributeList(L"float=\"true\" pos=\"0,0,50,50\"");
    CControlUI* over = new CControlUI();
    over->ApplyAttributeList(L"float=\"true\" pos=\"25,25,75,75\"");
    box.Add(under);
    box.Add(over);
    box.SetPos(Rc(0, 0, 100, 100), false);
    EXPECT_EQ(over, HitTest(&box, 30, 30));
    EXPECT_EQ(under, HitTest(&box, 10, 10));
    POINT pt = {30, 30};
    EXPECT_EQ(under, box.FindControl(&Any, &pt, UIFIND_HITTEST));  // without TOP_FIRST: first child
}

namespace {

// What a hit test must answer, by asking every child from the topmost down.
CControlUI* ExpectedHit(CContainerUI& box, POINT pt)
{
    for (int i = box.GetCount() - 1; i >= 0; --i) {
        CControlUI* p = box.GetItemAt(i);
        if (p->IsVisible() && ::PtInRect(&p->GetPos(), pt)) return p;
    }
    return ::PtInRect(&box.GetPos(), pt) ? &box : nullptr;
}

// Hit tests every point along the box's axis, just outside it included.
void ExpectHitsAlong(CContainerUI& box, bool bVertical, const char* when)
{
    const RECT& rc = box.GetPos();
    for (LONG at = (bVertical ? rc.top : rc.left) - 2; at < (bVertical ? rc.bottom : rc.right) + 2; ++at) {
        POINT pt = bVertical ? POINT{3, at} : POINT{at, 3};
        ASSERT_EQ(ExpectedHit(box, pt), HitTest(&box, pt.x, pt.y)) << when << " at " << at;
    }
}

} // namespace

TEST(ControlFindHitTest, LongRowsAndColumnsAnswerLikeAWalkThroughEveryChange)
{
    for (bool bVertical : {true, false}) {
        CContainerUI* box = bVertical ? static_cast<CContainerUI*>(new CVerticalLayoutUI())
                                      : static_cast<CContainerUI*>(new CHorizontalLayoutUI());
        for (int i = 0; i < 40; ++i) Child(*box, bVertical ? 0 : 9, bVertical ? 9 : 0);
        box->GetItemAt(7)->SetVisible(false);
        box->SetChildPadding(2);
        RECT rc = Rc(0, 0, 500, 500);
        box->SetPos(rc, false);
        ExpectHitsAlong(*box, bVertical, "laid out");

        // Hidden, a child keeps its old place while the others close the gap; shown again, it is
        // hit there until the next layout.
        box->SetItemIndex(box->GetItemAt(0), 39);
        box->GetItemAt(39)->SetVisible(false);
        box->SetPos(rc, false);
        ExpectHitsAlong(*box, bVertical, "laid out with one hidden");
        box->GetItemAt(39)->SetVisible(true);
        ExpectHitsAlong(*box, bVertical, "shown before the next layout");

        // A float over the middle of the flow overlaps its neighbours.
        CControlUI* f = box->GetItemAt(3);
        f->SetFloat(true);
        box->SetPos(rc, false);
        f->SetPos(bVertical ? Rc(0, 150, 20, 181) : Rc(150, 0, 181, 20), false);
        ExpectHitsAlong(*box, bVertical, "with a float");

        box->Remove(f);
        box->SetPos(rc, false);
        ExpectHitsAlong(*box, bVertical, "without the float");
        box->GetItemAt(10)->SetPos(bVertical ? Rc(0, 480, 20, 495) : Rc(480, 0, 495, 20), false);
        ExpectHitsAlong(*box, bVertical, "one child moved by hand");
        delete box;
    }
}

TEST(ControlFindManager, ManagerLookupsUseTheWalk)
{
    Host host;
    Tree* t = new Tree();
    CVerticalLayoutUI* root = t->root;
    t->root = nullptr;
    host.Manager().AttachDialog(root);
    root->SetPos(Rc(0, 0, 100, 100), false);
    EXPECT_EQ(t->b2, host.Manager().FindControl(L"b2"));
    POINT pt = {10, 50};
    EXPECT_EQ(t->b1, host.Manager().FindControl(pt));
    EXPECT_EQ(t->b2, host.Manager().FindSubControlByName(t->box, L"b2"));
    EXPECT_EQ(nullptr, host.Manager().FindSubControlByName(t->box, L"a"));
    EXPECT_TRUE(t->box->SetSubControlText(L"b1", L"hello"));
    EXPECT_STREQ(L"hello", t->box->GetSubControlText(L"b1"));
    EXPECT_FALSE(t->box->SetSubControlText(L"missing", L"x"));
    EXPECT_EQ(-1, t->box->GetSubControlFixedHeight(L"missing"));
    // Names registered when a subtree joins a live tree.
    CControlUI* late = new CControlUI();
    late->SetName(L"late");
    t->box->Add(late);
    EXPECT_EQ(late, host.Manager().FindControl(L"late"));
    delete t;
}
