// Plain container: child ownership and order, stacking, float placement,
// propagation of visibility and enabled state, scroll bars on demand.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "controls_test_host.h"
#include "ui/controls/UIScrollBar.h"

using namespace Veneer;
using controls_test::Child;
using controls_test::ProbeControl;
using controls_test::Rc;
using test_support::RectIs;

namespace {

CControlUI* FloatChild(CContainerUI& parent, LPCTSTR pstrAttributes)
{
    CControlUI* p = new CControlUI();
    p->ApplyAttributeList(pstrAttributes);
    p->SetFloat(true);
    parent.Add(p);
    return p;
}

// OnDestroy delegate: sets the bool whose address the control carries as tag.
bool MarkTagFlag(void* pParam)
{
    CControlUI* pControl = static_cast<CControlUI*>(pParam);
    *reinterpret_cast<bool*>(pControl->GetTag()) = true;
    return true;
}

} // namespace

TEST(ContainerChildren, AddInsertAndIndexOperations)
{
    CContainerUI box;
    CControlUI* a = Child(box, 0, 0);
    CControlUI* c = Child(box, 0, 0);
    CControlUI* b = new CControlUI();
    EXPECT_TRUE(box.AddAt(b, c));
    EXPECT_EQ(3, box.GetCount());
    EXPECT_EQ(a, box.GetItemAt(0));
    EXPECT_EQ(b, box.GetItemAt(1));
    EXPECT_EQ(c, box.GetItemAt(2));
    EXPECT_EQ(nullptr, box.GetItemAt(3));
    EXPECT_EQ(nullptr, box.GetItemAt(-1));

    EXPECT_TRUE(box.SetItemIndex(a, 2));
    EXPECT_EQ(2, box.GetItemIndex(a));
    EXPECT_EQ(0, box.GetItemIndex(b));

    CControlUI stranger;
    EXPECT_EQ(-1, box.GetItemIndex(&stranger));
    EXPECT_FALSE(box.SetItemIndex(&stranger, 0));
    EXPECT_FALSE(box.Add(nullptr));
    EXPECT_FALSE(box.AddAt(nullptr, 0));
    CControlUI* d = new CControlUI();
    EXPECT_FALSE(box.AddAt(d, &stranger));
    EXPECT_FALSE(box.AddAt(d, 7));  // out of range: the caller keeps it
    EXPECT_EQ(3, box.GetCount());
    delete d;
}

TEST(ContainerChildren, MovingAChildToAnInvalidIndexKeepsIt)
{
    CContainerUI box;
    CControlUI* a = Child(box, 0, 0);
    Child(box, 0, 0);
    EXPECT_FALSE(box.SetItemIndex(a, 9));
    EXPECT_EQ(2, box.GetCount());
    EXPECT_EQ(0, box.GetItemIndex(a));
}

TEST(ContainerChildren, RemoveDestroysUnlessAskedNotTo)
{
    bool bDeletedA = false;
    bool bDeletedB = false;
    CContainerUI box;
    box.SetDelayedDestroy(false);
    ProbeControl* a = new ProbeControl(0, 0, &bDeletedA);
    ProbeControl* b = new ProbeControl(0, 0, &bDeletedB);
    box.Add(a);
    box.Add(b);

    EXPECT_TRUE(box.Remove(a, true));
    EXPECT_FALSE(bDeletedA);
    EXPECT_EQ(1, box.GetCount());
    EXPECT_FALSE(box.Remove(a));  // no longer a child

    EXPECT_TRUE(box.RemoveAt(0));
    EXPECT_TRUE(bDeletedB);
    EXPECT_EQ(0, box.GetCount());
    EXPECT_FALSE(box.RemoveAt(0));
    delete a;
    EXPECT_TRUE(bDeletedA);
}

TEST(ContainerChildren, AutoDestroyOffLeavesRemovedChildrenAlive)
{
    bool bDeleted = false;
    ProbeControl* a = new ProbeControl(0, 0, &bDeleted);
    {
        CContainerUI box;
        box.SetAutoDestroy(false);
        box.Add(a);
        box.RemoveAll();
        EXPECT_EQ(0, box.GetCount());
    }
    EXPECT_FALSE(bDeleted);
    delete a;
}

TEST(ContainerChildren, DestroyingTheContainerDestroysTheWholeTree)
{
    bool bDeletedLeaf = false;
    bool bDeletedInner = false;
    {
        CVerticalLayoutUI root;
        CHorizontalLayoutUI* inner = new CHorizontalLayoutUI();
        inner->SetTag(reinterpret_cast<UINT_PTR>(&bDeletedInner));
        inner->OnDestroy += &MarkTagFlag;
        root.Add(inner);
        inner->Add(new ProbeControl(0, 0, &bDeletedLeaf));
    }
    EXPECT_TRUE(bDeletedLeaf);
    EXPECT_TRUE(bDeletedInner);
}

TEST(ContainerChildren, RemovalWithAManagerIsDelayedUntilTheWakeUp)
{
    controls_test::Host host;
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    host.Manager().AttachDialog(root);
    bool bDeleted = false;
    ProbeControl* child = new ProbeControl(0, 0, &bDeleted);
    root->Add(child);
    EXPECT_EQ(root, child->GetParent());
    EXPECT_EQ(&host.Manager(), child->GetManager());
    EXPECT_TRUE(root->Remove(child));
    EXPECT_FALSE(bDeleted);
    EXPECT_TRUE(controls_test::Host::PumpUntil([&] { return bDeleted; }));
}

TEST(ContainerStacking, EveryChildCoversTheClientAreaWithinItsLimits)
{
    CContainerUI box;
    box.SetInset(Rc(10, 10, 10, 10));
    CControlUI* a = Child(box, 0, 0);
    CControlUI* b = Child(box, 0, 0);
    b->SetMaxWidth(30);
    b->SetMinHeight(500);
    CControlUI* hidden = Child(box, 0, 0);
    hidden->SetVisible(false);
    box.SetPos(Rc(0, 0, 200, 100), false);
    EXPECT_THAT(a->GetPos(), RectIs(10, 10, 190, 90));
    EXPECT_THAT(b->GetPos(), RectIs(10, 10, 40, 510));
    EXPECT_THAT(hidden->GetPos(), RectIs(0, 0, 0, 0));
    EXPECT_THAT(box.GetClientPos(), RectIs(10, 10, 190, 90));
}

TEST(ContainerFloat, AlignFlagsPlaceTheChildInTheParent)
{
    CContainerUI box;
    CControlUI* centred = FloatChild(box, L"width=\"40\" height=\"20\" floatalign=\"center,vcenter\"");
    CControlUI* corner = FloatChild(box, L"width=\"40\" height=\"20\" floatalign=\"right bottom\"");
    CControlUI* mixed = FloatChild(box, L"pos=\"7,9,47,29\" floatalign=\"right\"");
    box.SetPos(Rc(100, 100, 300, 200), false);
    EXPECT_THAT(centred->GetPos(), RectIs(180, 140, 220, 160));
    EXPECT_THAT(corner->GetPos(), RectIs(260, 180, 300, 200));
    EXPECT_THAT(mixed->GetPos(), RectIs(260, 109, 300, 129));
}

TEST(ContainerFloat, PercentPlacementScalesWithTheParent)
{
    CContainerUI box;
    CControlUI* p = FloatChild(box, L"float=\"0.5,0.25,0.5,0.25\" width=\"20\" height=\"10\"");
    box.SetPos(Rc(0, 0, 200, 100), false);
    EXPECT_THAT(p->GetPos(), RectIs(100, 25, 120, 35));
    box.SetPos(Rc(0, 0, 400, 200), false);
    EXPECT_THAT(p->GetPos(), RectIs(200, 50, 220, 60));
}

TEST(ContainerFloat, PositionAndPercentSizeWithoutFixedValues)
{
    CContainerUI box;
    CControlUI* p = FloatChild(box, L"floatposition=\"50,10\" widthpercent=\"25\" height=\"10\"");
    CControlUI* q = FloatChild(box, L"pos=\"5,0,25,0\" floatposition=\"50,50\" heightpercent=\"50\"");
    box.SetPos(Rc(0, 0, 200, 100), false);
    EXPECT_THAT(p->GetPos(), RectIs(100, 10, 150, 20));
    // q has a fixed x: only the vertical position applies.
    EXPECT_THAT(q->GetPos(), RectIs(5, 50, 25, 100));
}

TEST(ContainerFloat, HiddenFloatChildIsNotPlaced)
{
    CContainerUI box;
    CControlUI* p = FloatChild(box, L"pos=\"1,2,11,12\"");
    p->SetVisible(false);
    box.SetPos(Rc(0, 0, 50, 50), false);
    EXPECT_THAT(p->GetPos(), RectIs(0, 0, 0, 0));
    box.SetFloatPos(5);  // out of range: ignored
}

TEST(ContainerPropagation, HiddenContainerHidesNewAndExistingChildren)
{
    CVerticalLayoutUI outer;
    CContainerUI* box = new CContainerUI();
    outer.Add(box);
    CControlUI* a = Child(*box, 0, 0);
    outer.SetVisible(false);
    EXPECT_FALSE(box->IsVisible());
    EXPECT_FALSE(a->IsVisible());
    CControlUI* late = Child(*box, 0, 0);
    EXPECT_FALSE(late->IsVisible());
    outer.SetVisible(true);
    EXPECT_TRUE(a->IsVisible());
    EXPECT_TRUE(late->IsVisible());
}

TEST(ContainerPropagation, EnabledStateReachesEveryDescendant)
{
    CVerticalLayoutUI outer;
    CContainerUI* box = new CContainerUI();
    outer.Add(box);
    CControlUI* a = Child(*box, 0, 0);
    outer.SetEnabled(false);
    EXPECT_FALSE(box->IsEnabled());
    EXPECT_FALSE(a->IsEnabled());
    outer.SetEnabled(true);
    EXPECT_TRUE(a->IsEnabled());
}

TEST(ContainerInterfaces, InterfaceNamesAndClassNames)
{
    CVerticalLayoutUI v;
    CHorizontalLayoutUI h;
    CContainerUI c;
    EXPECT_STREQ(L"VerticalLayoutUI", v.GetClass());
    EXPECT_STREQ(L"HorizontalLayoutUI", h.GetClass());
    EXPECT_STREQ(L"ContainerUI", c.GetClass());
    EXPECT_EQ(static_cast<IContainerUI*>(&v), v.GetInterface(L"IContainer"));
    EXPECT_EQ(static_cast<CContainerUI*>(&v), v.GetInterface(L"Container"));
    EXPECT_EQ(&v, v.GetInterface(L"verticallayout"));
    EXPECT_EQ(nullptr, v.GetInterface(L"HorizontalLayout"));
    EXPECT_EQ(static_cast<CControlUI*>(&h), h.GetInterface(L"Control"));
    EXPECT_EQ(0u, v.GetControlFlags());
    v.SetAttribute(L"sepheight", L"4");
    EXPECT_EQ(UIFLAG_SETCURSOR, v.GetControlFlags());
    v.SetEnabled(false);
    EXPECT_EQ(0u, v.GetControlFlags());
}

TEST(ContainerScrollBar, VerticalBarAppearsOnlyWhenContentOverflows)
{
    controls_test::Host host;
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    host.Manager().AttachDialog(root);
    root->SetAttribute(L"vscrollbar", L"true");
    ASSERT_NE(nullptr, root->GetVerticalScrollBar());
    Child(*root, 0, 60);
    CControlUI* b = Child(*root, 0, 60);

    root->SetPos(Rc(0, 0, 100, 200), false);
    EXPECT_FALSE(root->GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(100, b->GetWidth());

    Child(*root, 0, 150);  // 270 in 200
    root->SetPos(Rc(0, 0, 100, 200), false);
    CScrollBarUI* bar = root->GetVerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    EXPECT_EQ(70, root->GetScrollRange().cy);
    int cxBar = bar->GetFixedWidth();
    EXPECT_EQ(100 - cxBar, b->GetWidth());
    EXPECT_THAT(bar->GetPos(), RectIs(100 - cxBar, 0, 100, 200));

    // Scrolling moves the content up by the scroll position.
    root->SetScrollPos(SIZE{0, 30});
    EXPECT_EQ(30, root->GetScrollPos().cy);
    EXPECT_EQ(30, b->GetPos().top);
    root->SetScrollPos(SIZE{0, 500});
    EXPECT_EQ(70, root->GetScrollPos().cy);
    root->HomeUp();
    EXPECT_EQ(0, root->GetScrollPos().cy);
    EXPECT_EQ(60, b->GetPos().top);

    // Enough room again: the bar goes away and gives its width back.
    root->SetPos(Rc(0, 0, 100, 400), false);
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(100, b->GetWidth());
}

TEST(ContainerScrollBar, StretchableChildrenDoNotKeepTheBarAlive)
{
    controls_test::Host host;
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    host.Manager().AttachDialog(root);
    root->EnableScrollBar(true, false);
    Child(*root, 0, 300);
    CControlUI* stretch = Child(*root, 0, 0);
    root->SetPos(Rc(0, 0, 100, 200), false);
    ASSERT_TRUE(root->GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(100, root->GetScrollRange().cy);
    EXPECT_EQ(0, stretch->GetHeight());

    root->SetPos(Rc(0, 0, 100, 500), false);
    EXPECT_FALSE(root->GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(200, stretch->GetHeight());
}

TEST(ContainerScrollBar, KeysAndWheelScrollAVisibleBar)
{
    controls_test::Host host;
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    host.Manager().AttachDialog(root);
    root->EnableScrollBar(true, false);
    root->SetScrollStepSize(10);
    Child(*root, 0, 500);
    root->SetPos(Rc(0, 0, 100, 200), false);
    ASSERT_TRUE(root->GetVerticalScrollBar()->IsVisible());

    TEventUI ev;
    ev.Type = UIEVENT_KEYDOWN;
    ev.chKey = VK_DOWN;
    root->DoEvent(ev);
    EXPECT_EQ(10, root->GetScrollPos().cy);
    ev.chKey = VK_NEXT;
    root->DoEvent(ev);
    EXPECT_EQ(210, root->GetScrollPos().cy);
    ev.chKey = VK_END;
    root->DoEvent(ev);
    EXPECT_EQ(300, root->GetScrollPos().cy);

    TEventUI wheel;
    wheel.Type = UIEVENT_SCROLLWHEEL;
    wheel.wParam = MAKEWPARAM(SB_LINEUP, 120);
    root->DoEvent(wheel);
    EXPECT_EQ(290, root->GetScrollPos().cy);
    EXPECT_GE(host.Count(L"scroll"), 1);
}

TEST(ContainerScrollBar, RemovingTheBarKeepsTheContainerWorking)
{
    controls_test::Host host;
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    host.Manager().AttachDialog(root);
    root->SetAttribute(L"vscrollbar", L"true");
    root->SetAttribute(L"hscrollbar", L"true");
    ASSERT_NE(nullptr, root->GetHorizontalScrollBar());
    EXPECT_TRUE(root->GetHorizontalScrollBar()->IsHorizontal());
    root->SetAttribute(L"vscrollbar", L"false");
    EXPECT_EQ(nullptr, root->GetVerticalScrollBar());
    EXPECT_NE(nullptr, root->GetHorizontalScrollBar());
    CControlUI* a = Child(*root, 0, 500);
    root->SetPos(Rc(0, 0, 100, 200), false);
    EXPECT_EQ(500, a->GetHeight());
    EXPECT_EQ(0, root->GetScrollRange().cy);
}

namespace {

TEventUI MouseEvent(int type, int x, int y)
{
    TEventUI ev;
    ev.Type = type;
    ev.ptMouse.x = x;
    ev.ptMouse.y = y;
    return ev;
}

} // namespace

TEST(LayoutSeparator, DraggingTheStripChangesTheFixedHeight)
{
    CVerticalLayoutUI root;
    CVerticalLayoutUI* pane = new CVerticalLayoutUI();
    pane->SetAttribute(L"sepheight", L"4");
    pane->SetFixedHeight(100);
    pane->SetMinHeight(50);
    root.Add(pane);
    root.SetPos(Rc(0, 0, 200, 300), false);
    EXPECT_THAT(pane->GetThumbRect(), RectIs(0, 96, 200, 100));

    TEventUI down = MouseEvent(UIEVENT_BUTTONDOWN, 10, 98);
    pane->DoEvent(down);
    TEventUI move = MouseEvent(UIEVENT_MOUSEMOVE, 10, 128);
    pane->DoEvent(move);
    EXPECT_EQ(100, pane->GetFixedHeight());  // applied on release only
    TEventUI tooSmall = MouseEvent(UIEVENT_MOUSEMOVE, 10, 20);
    pane->DoEvent(tooSmall);                 // would go below the minimum: refused
    TEventUI up = MouseEvent(UIEVENT_BUTTONUP, 10, 20);
    pane->DoEvent(up);
    EXPECT_EQ(130, pane->GetFixedHeight());
    root.SetPos(root.GetPos(), false);
    EXPECT_EQ(130, pane->GetHeight());

    // A press outside the strip is not a drag.
    TEventUI elsewhere = MouseEvent(UIEVENT_BUTTONDOWN, 10, 50);
    pane->DoEvent(elsewhere);
    TEventUI move2 = MouseEvent(UIEVENT_MOUSEMOVE, 10, 90);
    pane->DoEvent(move2);
    TEventUI up2 = MouseEvent(UIEVENT_BUTTONUP, 10, 90);
    pane->DoEvent(up2);
    EXPECT_EQ(130, pane->GetFixedHeight());
}

TEST(LayoutSeparator, ImmediateModeOnALeftStripResizesWhileDragging)
{
    CHorizontalLayoutUI root;
    CHorizontalLayoutUI* pane = new CHorizontalLayoutUI();
    pane->SetAttribute(L"sepwidth", L"-5");
    pane->SetAttribute(L"sepimm", L"true");
    pane->SetFixedWidth(80);
    root.Add(pane);
    root.SetPos(Rc(0, 0, 300, 50), false);
    EXPECT_THAT(pane->GetThumbRect(), RectIs(0, 0, 5, 50));

    TEventUI down = MouseEvent(UIEVENT_BUTTONDOWN, 2, 10);
    pane->DoEvent(down);
    TEventUI move = MouseEvent(UIEVENT_MOUSEMOVE, 12, 10);
    pane->DoEvent(move);
    EXPECT_EQ(70, pane->GetFixedWidth());  // the left edge moved right by 10
    TEventUI up = MouseEvent(UIEVENT_BUTTONUP, 12, 10);
    pane->DoEvent(up);
    EXPECT_EQ(70, pane->GetFixedWidth());
}
