// Text controls with links in their markup text.
#include <gtest/gtest.h>

#include "tests/ui/controls/controls_test_host.h"
#include "ui/controls/UIText.h"

using namespace Veneer;
using controls_test::Host;

namespace {

struct LinkWindow
{
    Host host;
    CContainerUI* root = new CContainerUI();
    CTextUI* text = new CTextUI();

    explicit LinkWindow(LPCTSTR markup, bool bHtml = true)
    {
        text->SetAttribute(L"float", L"true");
        text->SetAttribute(L"pos", L"10,10,390,40");
        text->SetAttribute(L"showhtml", bHtml ? L"true" : L"false");
        text->SetText(markup);
        root->Add(text);
        host.Attach(root);
        host.Clear();
    }
};

POINT Centre(const RECT& rc)
{
    POINT pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    return pt;
}

} // namespace

TEST(TextLinks, PaintingCollectsTheLinks)
{
    LinkWindow w(L"Read the <a licence>licence</a> and the <a offline>offline package</a>");
    ASSERT_EQ(2, w.text->GetLinkCount());
    ASSERT_NE(nullptr, w.text->GetLinkContent(0));
    EXPECT_STREQ(L"licence", w.text->GetLinkContent(0)->GetData());
    EXPECT_STREQ(L"offline", w.text->GetLinkContent(1)->GetData());
    EXPECT_EQ(nullptr, w.text->GetLinkContent(2));
    EXPECT_EQ(nullptr, w.text->GetLinkContent(-1));
    EXPECT_NE(0u, w.text->GetControlFlags() & UIFLAG_SETCURSOR);
}

TEST(TextLinks, ClickingALinkSendsItsIndex)
{
    LinkWindow w(L"Read the <a licence>licence</a> and the <a offline>offline package</a>");
    ASSERT_EQ(2, w.text->GetLinkCount());
    const POINT pt = Centre(w.text->GetLinkRect(1));
    w.host.Click(pt.x, pt.y);
    ASSERT_EQ(1, w.host.Count(L"link"));
    for (const test_support::Note& note : w.host.notes) {
        if (note.type == L"link") {
            EXPECT_EQ(1u, note.wParam);
        }
    }
    w.host.Click(12, 12);
    EXPECT_EQ(1, w.host.Count(L"link")) << "outside the links nothing is sent";
}

TEST(TextLinks, PlainTextHasNoLinks)
{
    LinkWindow w(L"Read the <a licence>licence</a>", false);
    EXPECT_EQ(0, w.text->GetLinkCount());
    EXPECT_EQ(0u, w.text->GetControlFlags());
    w.text->SetText(L"");
    w.host.Layout();
    EXPECT_EQ(0, w.text->GetLinkCount());
}
