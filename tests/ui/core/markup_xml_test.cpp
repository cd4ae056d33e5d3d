// The markup document wrappers: parsing, navigation, attribute conversions,
// editing and saving.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/ScratchFolder.h"
#include "tests/support/ZipWriter.h"
#include "ui/core/UIXmlDocument.h"

using namespace Veneer;

namespace {

CXmlAttributeUI AttrOf(CXmlDocumentUI& doc, const wchar_t* value)
{
    std::wstring text = std::wstring(L"<a v=\"") + value + L"\"/>";
    EXPECT_TRUE(doc.load_string(text.c_str()));
    return doc.child(L"a").attribute(L"v");
}

} // namespace

TEST(MarkupColors, HexWithHashOrPrefixAndLeadingBlanks)
{
    CXmlDocumentUI doc;
    EXPECT_EQ(AttrOf(doc, L"#FF000000").as_uicolor(), 0xFF000000u);
    EXPECT_EQ(AttrOf(doc, L"#FFB9B9B9").as_uicolor(), 0xFFB9B9B9u);
    EXPECT_EQ(AttrOf(doc, L"0x444444").as_uicolor(), 0x00444444u);   // no alpha added
    EXPECT_EQ(AttrOf(doc, L"  0x12").as_uicolor(), 0x12u);
    EXPECT_EQ(AttrOf(doc, L"  #ffcc00").as_uicolor(), 0xFFCC00u);
    EXPECT_EQ(AttrOf(doc, L"zz").as_uicolor(7), 0u);
    EXPECT_EQ(CXmlAttributeUI().as_uicolor(0xABCDEF01), 0xABCDEF01u);
}

TEST(MarkupGeometry, PointsAndRectsNeedAllTheirNumbers)
{
    CXmlDocumentUI doc;
    POINT pt = AttrOf(doc, L"600,400").as_point(1, 2);
    EXPECT_EQ(pt.x, 600);
    EXPECT_EQ(pt.y, 400);
    pt = AttrOf(doc, L"-5;7").as_point(1, 2);   // any single separator
    EXPECT_EQ(pt.x, -5);
    EXPECT_EQ(pt.y, 7);
    pt = AttrOf(doc, L"600").as_point(1, 2);
    EXPECT_EQ(pt.x, 1);
    EXPECT_EQ(pt.y, 2);
    pt = AttrOf(doc, L"").as_point(1, 2);
    EXPECT_EQ(pt.x, 1);
    pt = AttrOf(doc, L"600,,400").as_point(1, 2);   // two separators: second number missing
    EXPECT_EQ(pt.y, 2);

    RECT rc = AttrOf(doc, L"0,0,0,400").as_rect(9, 9, 9, 9);
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.bottom, 400);
    rc = AttrOf(doc, L"5,5,5").as_rect(1, 2, 3, 4);
    EXPECT_EQ(rc.left, 1);
    EXPECT_EQ(rc.top, 2);
    EXPECT_EQ(rc.right, 3);
    EXPECT_EQ(rc.bottom, 4);
    SIZE sz = AttrOf(doc, L"14,28").as_size();
    EXPECT_EQ(sz.cx, 14);
    EXPECT_EQ(sz.cy, 28);
    rc = CXmlAttributeUI().as_rect(1, 2, 3, 4);
    EXPECT_EQ(rc.right, 3);
}

TEST(MarkupScalars, EmptyHandlesYieldDefaults)
{
    CXmlDocumentUI doc;
    ASSERT_TRUE(doc.load_string(L"<a n=\"42\" b=\"true\" f=\"2.5\"/>"));
    CXmlNodeUI a = doc.child(L"a");
    EXPECT_EQ(a.attribute(L"n").as_int(-1), 42);
    EXPECT_EQ(a.attribute(L"missing").as_int(-1), -1);
    EXPECT_TRUE(a.attribute(L"b").as_bool());
    EXPECT_DOUBLE_EQ(a.attribute(L"f").as_double(), 2.5);
    EXPECT_STREQ(a.attribute(L"missing").as_string(L"dflt"), L"dflt");
    EXPECT_STREQ(a.attribute(L"missing").value(), L"");
    EXPECT_TRUE(a.attribute(L"N").empty());   // attribute names are exact
    EXPECT_TRUE(doc.child(L"A").empty());     // element names too
    EXPECT_STREQ(CXmlNodeUI().name(), L"");
    EXPECT_EQ(CXmlNodeUI().type(), node_null_ui);
}

TEST(MarkupParse, OptionsKeepCommentsDropBlankTextAndDecodeEscapes)
{
    CXmlDocumentUI doc;
    ASSERT_TRUE(doc.load_string(L"<?xml version=\"1.0\"?>\n<!-- c -->\n<Window>\n  <Style value=\"a=&quot;b&quot;\"/>\n"
                                L"  <![CDATA[x<y]]>\n</Window>"));
    CXmlNodeUI first = doc.first_child();
    EXPECT_EQ(first.type(), node_declaration_ui);
    EXPECT_EQ(first.next_sibling().type(), node_comment_ui);
    CXmlNodeUI window = doc.document_element();
    EXPECT_STREQ(window.name(), L"Window");
    CXmlNodeUI style = window.first_child();
    EXPECT_EQ(style.type(), node_element_ui);   // the blank text before it was dropped
    EXPECT_STREQ(style.attribute(L"value").value(), L"a=\"b\"");
    EXPECT_EQ(style.next_sibling().type(), node_cdata_ui);
    EXPECT_STREQ(style.next_sibling().value(), L"x<y");
    EXPECT_EQ(window.root(), CXmlNodeUI(doc.internal_object()));
}

TEST(MarkupParse, BuffersInOtherEncodingsAndErrors)
{
    CXmlDocumentUI doc;
    // UTF-16 LE with BOM.
    std::wstring wide = L"\xFEFF<Window title=\"\x5B89\x88C5\"/>";
    ASSERT_TRUE(doc.load_buffer(wide.data(), wide.size() * sizeof(wchar_t))) << doc.GetError();
    EXPECT_STREQ(doc.child(L"Window").attribute(L"title").value(), L"\x5B89\x88C5");
    // UTF-8 without declaration.
    std::string utf8 = test_support::Utf8(L"<Window title=\"\x5B89\x88C5\"/>");
    ASSERT_TRUE(doc.load_buffer(utf8.data(), utf8.size()));
    EXPECT_STREQ(doc.child(L"Window").attribute(L"title").value(), L"\x5B89\x88C5");

    EXPECT_FALSE(doc.load_string(L"<Window><Label></Window>"));
    EXPECT_STRNE(doc.GetError(), L"");
    EXPECT_TRUE(doc.document_element().empty());
    EXPECT_TRUE(doc.load_string(L"<Window/>"));
    EXPECT_STREQ(doc.GetError(), L"");
}

TEST(MarkupEdit, BuildingAndRemovingNodesAndAttributes)
{
    CXmlDocumentUI doc;
    ASSERT_TRUE(doc.load_string(L"<Window/>"));
    CXmlNodeUI window = doc.child(L"Window");
    CXmlNodeUI font = window.append_child(L"Font");
    font.append_attribute(L"id").set_value(3);
    font.append_attribute(L"size").set_value(L"14");
    font.prepend_attribute(L"name").set_value(L"Arial");
    EXPECT_STREQ(font.first_attribute().name(), L"name");
    EXPECT_STREQ(font.last_attribute().name(), L"size");
    EXPECT_STREQ(font.first_attribute().next_attribute().value(), L"3");
    EXPECT_EQ(font.last_attribute().previous_attribute().as_int(), 3);

    CXmlNodeUI label = window.prepend_child(L"Label");
    EXPECT_EQ(window.first_child(), label);
    EXPECT_EQ(label.next_sibling(), font);
    EXPECT_EQ(font.previous_sibling(), label);
    EXPECT_EQ(font.parent(), window);

    CXmlNodeUI auto1 = window.child_auto(L"Image");
    CXmlNodeUI auto2 = window.child_auto(L"Image");
    EXPECT_EQ(auto1, auto2);
    EXPECT_EQ(window.last_child(), auto1);
    CXmlAttributeUI color = label.attribute_auto(L"textcolor");
    EXPECT_TRUE(color.set_uicolor(0xFF2050A0));
    EXPECT_STREQ(label.attribute(L"textcolor").value(), L"0xFF2050A0");
    EXPECT_EQ(label.attribute_auto(L"textcolor"), color);

    CXmlNodeUI copy = window.append_copy(font);
    EXPECT_STREQ(copy.attribute(L"name").value(), L"Arial");
    window.insert_move_before(copy, label);
    EXPECT_EQ(window.first_child(), copy);
    EXPECT_TRUE(font.remove_attribute(L"size"));
    EXPECT_TRUE(font.attribute(L"size").empty());
    EXPECT_TRUE(window.remove_child(L"Image"));
    EXPECT_TRUE(window.child(L"Image").empty());
    EXPECT_TRUE(window.remove_children());
    EXPECT_TRUE(window.first_child().empty());
    EXPECT_TRUE(window.set_name(L"Dialog"));
    EXPECT_FALSE(doc.child(L"Dialog").empty());
    EXPECT_FALSE(CXmlNodeUI().set_name(L"x"));
}

TEST(MarkupSave, SavedDocumentReadsBackIdentically)
{
    test_support::ScratchFolder dir;
    std::wstring path = dir.Path() + L"saved.xml";
    CXmlDocumentUI doc;
    ASSERT_TRUE(doc.load_string(L"<Window size=\"600,400\"><Label text=\"\x7ACB\x5373\"/></Window>"));
    ASSERT_TRUE(doc.save_file(path.c_str()));
    // UTF-8 on disk.
    FILE* f = _wfopen(path.c_str(), L"rb");
    ASSERT_NE(f, nullptr);
    char buf[256] = {0};
    size_t n = fread(buf, 1, sizeof(buf) - 1, f);
    fclose(f);
    std::string raw(buf, n);
    EXPECT_NE(raw.find(test_support::Utf8(L"\x7ACB\x5373")), std::string::npos);
    EXPECT_NE(raw.find("\n<Label") , std::string::npos);   // indented with an empty indent

    CXmlDocumentUI back;
    ASSERT_TRUE(back.load_buffer(raw.data(), raw.size()));
    EXPECT_STREQ(back.child(L"Window").child(L"Label").attribute(L"text").value(), L"\x7ACB\x5373");
    EXPECT_FALSE(doc.save_file(L""));
}
