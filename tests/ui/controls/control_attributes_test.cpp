// Markup attributes: every class's table, the base's value forms, ignored values, attribute
// lists with nested quotes, styles and custom attributes.
#include <gtest/gtest.h>

#include <memory>

#include "controls_test_host.h"
#include "ui/core/UIAttributeTable.h"
#include "ui/core/UIControlFactory.h"

using namespace Veneer;
using controls_test::Rc;

namespace {

// A value of each kind whose getter text reads back the same.
LPCTSTR SampleOf(EAttrKind kind)
{
    if (kind == EAttrKind::Int) return L"7";
    if (kind == EAttrKind::Color) return L"#FF102030";
    if (kind == EAttrKind::Rect) return L"1,2,3,4";
    if (kind == EAttrKind::Size) return L"3,4";
    return kind == EAttrKind::Text || kind == EAttrKind::Image ? L"x.png" : L"true";
}

} // namespace

// Every name of every table reaches its row (it is not kept as a custom value) and, where the
// class has a getter, reads back what was written; booleans both ways.
TEST(ControlAttributeTables, EveryNameReachesItsSetterAndReadsBack)
{
    LPCTSTR const classes[] = {L"Control",        L"Label",     L"Button",    L"Option",
                               L"CheckBox",       L"Progress",  L"Container", L"HorizontalLayout",
                               L"VerticalLayout", L"TabLayout", L"ScrollBar", L"RichEdit"};
    for (LPCTSTR pstrClass : classes) {
        CUIString cls;
        cls.Format(L"C%sUI", pstrClass);
        std::unique_ptr<CControlUI> probe(CControlFactory::GetInstance()->CreateControl(cls));
        ASSERT_NE(nullptr, probe) << pstrClass;
        const CAttributeTable& table = probe->GetAttributeTable();
        ASSERT_STREQ(pstrClass, table.GetClass()) << "the class declares its own table";
        for (size_t i = 0; i < table.GetCount(); ++i) {
            const TAttribute& row = table.GetAt(i);
            LPCTSTR const values[] = {row.kind == EAttrKind::Bool ? L"false" : nullptr, SampleOf(row.kind)};
            for (LPCTSTR pstrValue : values) {
                if (pstrValue == nullptr) continue;
                std::unique_ptr<CControlUI> c(CControlFactory::GetInstance()->CreateControl(cls));
                c->SetAttribute(row.pstrName, pstrValue);
                if ((row.uFlags & kAttrPassOn) == 0)
                    EXPECT_EQ(nullptr, c->GetCustomAttribute(row.pstrName)) << row.pstrName;
                if (row.pfnGet != nullptr) EXPECT_STREQ(pstrValue, row.pfnGet(*c)) << pstrClass << " " << row.pstrName;
            }
        }
    }
}

TEST(ControlAttributeGeometry, PosSetsFixedOffsetAndSize)
{
    CControlUI c;
    c.SetAttribute(L"pos", L"10,20,110,60");
    EXPECT_EQ(10, c.GetFixedXY().cx);
    EXPECT_EQ(20, c.GetFixedXY().cy);
    EXPECT_EQ(100, c.GetFixedWidth());
    EXPECT_EQ(40, c.GetFixedHeight());

    CControlUI d;
    d.SetAttribute(L"pos", L"-1,20,100,60");
    EXPECT_EQ(100, d.GetFixedXY().cx);  // a negative left takes the right value
    EXPECT_EQ(20, d.GetFixedXY().cy);
    EXPECT_EQ(101, d.GetFixedWidth());
    EXPECT_EQ(40, d.GetFixedHeight());
}

TEST(ControlAttributeGeometry, OutOfRangeSizesLeaveTheOldValues)
{
    CControlUI c;
    c.SetAttribute(L"width", L"30");
    c.SetAttribute(L"widthpercent", L"40");
    c.SetAttribute(L"minheight", L"5");
    c.SetAttribute(L"width", L"-5");
    c.SetAttribute(L"widthpercent", L"101");
    c.SetAttribute(L"heightpercent", L"-1");
    c.SetAttribute(L"minheight", L"-3");
    c.SetAttribute(L"maxwidth", L"-3");
    EXPECT_EQ(30, c.GetFixedWidth());
    EXPECT_EQ(40, c.GetFixedWidthPercent());
    EXPECT_EQ(0, c.GetFixedHeightPercent());
    EXPECT_EQ(5, c.GetMinHeight());
    EXPECT_EQ(9999, c.GetMaxWidth());
    c.SetAttribute(L"widthpercent", L"100");
    EXPECT_EQ(100, c.GetFixedWidthPercent());
}

TEST(ControlAttributeGeometry, FloatFormsAndAlignWords)
{
    CControlUI c;
    c.SetAttribute(L"float", L"TRUE");
    EXPECT_TRUE(c.IsFloat());
    c.SetAttribute(L"float", L"no");
    EXPECT_FALSE(c.IsFloat());

    c.SetAttribute(L"float", L"0.5,0.25,0.75,1");
    EXPECT_TRUE(c.IsFloat());
    TPercentInfo pi = c.GetFloatPercent();
    EXPECT_DOUBLE_EQ(0.5, pi.left);
    EXPECT_DOUBLE_EQ(0.25, pi.top);
    EXPECT_DOUBLE_EQ(0.75, pi.right);
    EXPECT_DOUBLE_EQ(1.0, pi.bottom);

    c.SetAttribute(L"floatpercent", L"10,20,30,40");
    pi = c.GetFloatPercent();
    EXPECT_DOUBLE_EQ(0.1, pi.left);
    EXPECT_DOUBLE_EQ(0.4, pi.bottom);

    c.SetAttribute(L"floatalign", L"right,bottom");
    EXPECT_EQ(UIFLOAT_RIGHT | UIFLOAT_BOTTOM, c.GetFloatAlign());
    c.SetAttribute(L"floatalign", L"center");  // starts from the current flags
    EXPECT_EQ(UIFLOAT_CENTER | UIFLOAT_BOTTOM, c.GetFloatAlign());
    c.SetAttribute(L"floatvalign", L"vcenter");
    EXPECT_EQ(UIFLOAT_CENTER | UIFLOAT_VCENTER, c.GetFloatAlign());
    c.SetAttribute(L"floatalign", L"left top");
    EXPECT_EQ(0u, c.GetFloatAlign());
    c.SetAttribute(L"floatalign", L"bottom null right");
    EXPECT_EQ(UIFLOAT_RIGHT, c.GetFloatAlign());

    c.SetAttribute(L"floatposition", L"30,70");
    EXPECT_EQ(30, c.GetFloatPosition().x);
    EXPECT_EQ(70, c.GetFloatPosition().y);
}

TEST(ControlAttributeGeometry, MissingNumbersReadAsZero)
{
    CControlUI c;
    c.SetAttribute(L"padding", L"1,2");
    RECT rc = c.GetPadding();
    EXPECT_EQ(1, rc.left);
    EXPECT_EQ(2, rc.top);
    EXPECT_EQ(0, rc.right);
    EXPECT_EQ(0, rc.bottom);
    c.SetAttribute(L"height", L"12px");
    EXPECT_EQ(12, c.GetFixedHeight());
    c.SetAttribute(L"height", L"abc");
    EXPECT_EQ(0, c.GetFixedHeight());
}

TEST(ControlAttributeLook, ColourForms)
{
    CControlUI c;
    c.SetAttribute(L"bkcolor", L"#FF2050A0");
    EXPECT_EQ(0xFF2050A0u, c.GetBkColor());
    c.SetAttribute(L"bkcolor2", L"FF2050A1");
    EXPECT_EQ(0xFF2050A1u, c.GetBkColor2());
    c.SetAttribute(L"bkcolor3", L"0xFF2050A2");
    EXPECT_EQ(0xFF2050A2u, c.GetBkColor3());
    c.SetAttribute(L"bkcolor1", L"  #80FF0000");
    EXPECT_EQ(0x80FF0000u, c.GetBkColor());
    c.SetAttribute(L"forecolor", L" #11223344");
    EXPECT_EQ(0x11223344u, c.GetForeColor());
    c.SetAttribute(L"bordercolor", L" #FF000001");
    EXPECT_EQ(0u, c.GetBorderColor()) << "only the bkcolor family skips leading blanks";
}

TEST(ControlAttributeLook, UniformBorderSizeClearsPerSideSizes)
{
    CControlUI c;
    c.SetAttribute(L"bordersize", L"1,0,1,0");
    c.SetAttribute(L"bordersize", L"2");
    EXPECT_EQ(2, c.GetBorderSize());
    RECT rc = c.GetBorderRectSize();
    EXPECT_EQ(0, rc.left);
    EXPECT_EQ(0, rc.right);

    CControlUI d;
    d.SetAttribute(L"bordersize", L"2");
    d.SetAttribute(L"bordersize", L"1,0,1,0");
    EXPECT_EQ(2, d.GetBorderSize());
    rc = d.GetBorderRectSize();
    EXPECT_EQ(1, rc.left);
    EXPECT_EQ(0, rc.top);
    EXPECT_EQ(1, rc.right);
}

TEST(ControlAttributeText, TextAndTooltipLineBreaks)
{
    CControlUI c;
    c.SetAttribute(L"text", L"line1{\\n}line2");
    EXPECT_STREQ(L"line1\nline2", c.GetText());
    c.SetAttribute(L"tooltip", L"a<n>b");
    EXPECT_STREQ(L"a\r\nb", c.GetToolTip());
    c.SetTextN(-42);
    EXPECT_STREQ(L"-42", c.GetText());
    EXPECT_EQ(-42, c.GetTextN());
    c.SetTextV(L"%s=%d", L"x", 7);
    EXPECT_STREQ(L"x=7", c.GetText());
}

TEST(ControlAttributeState, FlagsCursorShortcutAndAnimationWords)
{
    CControlUI c;
    c.SetAttribute(L"mouse", L"False");
    c.SetAttribute(L"keyboard", L"0");
    c.SetAttribute(L"menu", L"True");
    c.SetAttribute(L"shortcut", L"Qx");
    c.SetAttribute(L"cursor", L"HAND");
    c.SetAttribute(L"animation", L"scalesize");
    EXPECT_FALSE(c.IsMouseEnabled());
    EXPECT_FALSE(c.IsKeyboardEnabled());
    EXPECT_TRUE(c.IsContextMenuUsed());
    EXPECT_EQ(L'Q', c.GetShortcut());
    EXPECT_EQ(32649, c.GetCursor());
    EXPECT_EQ(UIANIM_SCALE_SIZE, c.GetAnimation());

    c.SetAttribute(L"cursor", L"pointer");  // unknown words are ignored
    EXPECT_EQ(32649, c.GetCursor());
    c.SetAttribute(L"cursor", L"sizens");
    EXPECT_EQ(32645, c.GetCursor());
    c.SetAttribute(L"animation", L"spin");
    EXPECT_EQ(UIANIM_SCALE_SIZE, c.GetAnimation());
}

TEST(ControlCustomAttributes, UnknownNamesAreKeptAndTheFirstValueWins)
{
    CControlUI c;
    c.SetAttribute(L"k", L"a");
    c.SetAttribute(L"k", L"b");
    EXPECT_STREQ(L"a", c.GetCustomAttribute(L"k"));
    c.AddCustomAttribute(L"empty", L"");
    c.AddCustomAttribute(L"", L"x");
    EXPECT_EQ(nullptr, c.GetCustomAttribute(L"empty"));
    EXPECT_EQ(nullptr, c.GetCustomAttribute(L"K"));  // keys are exact

    // Script names are matched exactly: a lower-case one is just a custom attribute.
    c.SetAttribute(L"onclick", L"f");
    EXPECT_STREQ(L"f", c.GetCustomAttribute(L"onclick"));
    c.SetAttribute(L"OnInit", L"g");
    EXPECT_EQ(nullptr, c.GetCustomAttribute(L"OnInit"));

    EXPECT_TRUE(c.RemoveCustomAttribute(L"k"));
    EXPECT_FALSE(c.RemoveCustomAttribute(L"k"));
    c.SetAttribute(L"k", L"c");
    EXPECT_STREQ(L"c", c.GetCustomAttribute(L"k"));
    c.RemoveAllCustomAttribute();
    EXPECT_EQ(nullptr, c.GetCustomAttribute(L"k"));
    EXPECT_EQ(nullptr, c.GetCustomAttribute(L"onclick"));
}

TEST(ControlAttributeList, PairsSeparatedByBlanksOrCommas)
{
    CControlUI c;
    EXPECT_EQ(&c, c.ApplyAttributeList(L"name=\"n1\" width=\"20\",height=\"30\""));
    EXPECT_STREQ(L"n1", c.GetName());
    EXPECT_EQ(20, c.GetFixedWidth());
    EXPECT_EQ(30, c.GetFixedHeight());
}

TEST(ControlAttributeList, NestedQuotesAndEscapedQuotesStayInTheValue)
{
    CControlUI c;
    c.ApplyAttributeList(L"bkimage=\"file='a b.png' corner='1,2,3,4'\" text=&quot;hi&quot;");
    EXPECT_STREQ(L"file='a b.png' corner='1,2,3,4'", c.GetBkImage());
    EXPECT_STREQ(L"hi", c.GetText());

    CControlUI d;
    d.ApplyAttributeList(L"userdata=\"x=\"y\" z\" width=\"5\"");
    EXPECT_STREQ(L"x=\"y\" z", d.GetUserData());
    EXPECT_EQ(5, d.GetFixedWidth());
}

TEST(ControlAttributeList, MalformedListStopsAtTheFirstFault)
{
    CControlUI c;
    c.ApplyAttributeList(L"width=\"5\" height=7 name=\"never\"");
    EXPECT_EQ(5, c.GetFixedWidth());
    EXPECT_EQ(0, c.GetFixedHeight());
    EXPECT_STREQ(L"", c.GetName());

    CControlUI d;
    d.ApplyAttributeList(L"width=\"5\";height=\"7\"");
    EXPECT_EQ(5, d.GetFixedWidth());
    EXPECT_EQ(0, d.GetFixedHeight());

    CControlUI e;
    e.ApplyAttributeList(L"width=\"5");  // no closing quote
    EXPECT_EQ(0, e.GetFixedWidth());
    e.ApplyAttributeList(L"");
    e.ApplyAttributeList(L"novalue");
    EXPECT_EQ(0, e.GetFixedWidth());
}

TEST(ControlAttributeStyle, ValueNamingAStyleAppliesTheStyle)
{
    CPaintManagerUI pm;
    pm.AddStyle(L"my_style", L"width=\"33\" bkcolor=\"#FF010203\"");
    CControlUI c;
    c.SetManager(&pm, nullptr, false);
    c.SetAttribute(L"style", L"my_style");
    EXPECT_EQ(33, c.GetFixedWidth());
    EXPECT_EQ(0xFF010203u, c.GetBkColor());
    EXPECT_EQ(nullptr, c.GetCustomAttribute(L"style"));
    // Whatever the attribute's name.
    CControlUI d;
    d.SetManager(&pm, nullptr, false);
    d.SetAttribute(L"name", L"my_style");
    EXPECT_STREQ(L"", d.GetName());
    EXPECT_EQ(33, d.GetFixedWidth());
    // A whole list naming a style applies it too.
    CControlUI e;
    e.SetManager(&pm, nullptr, false);
    e.ApplyAttributeList(L"my_style");
    EXPECT_EQ(33, e.GetFixedWidth());
    // Without a manager there is no style lookup.
    CControlUI f;
    f.SetAttribute(L"style", L"my_style");
    EXPECT_STREQ(L"my_style", f.GetCustomAttribute(L"style"));
}

TEST(ControlAttributeStyle, InnerStyleAppliesAnInlineList)
{
    CPaintManagerUI pm;
    CControlUI c;
    c.SetManager(&pm, nullptr, false);
    c.SetAttribute(L"innerstyle", L"height=&quot;9&quot; width=&quot;4&quot;");
    EXPECT_EQ(9, c.GetFixedHeight());
    EXPECT_EQ(4, c.GetFixedWidth());
    EXPECT_EQ(nullptr, c.GetCustomAttribute(L"innerstyle"));
}

TEST(ControlAttributeStyle, SelfReferencingStylesDoNotRecurseForever)
{
    CPaintManagerUI pm;
    pm.AddStyle(L"loop_a", L"style=\"loop_b\" width=\"3\"");
    pm.AddStyle(L"loop_b", L"style=\"loop_a\" height=\"4\"");
    CControlUI c;
    c.SetManager(&pm, nullptr, false);
    c.SetAttribute(L"style", L"loop_a");
    EXPECT_EQ(3, c.GetFixedWidth());
    EXPECT_EQ(4, c.GetFixedHeight());
}
