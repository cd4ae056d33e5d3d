#include "ui/core/UIXmlAttribute.h"

#include <pugixml.hpp>

#include <cwchar>
#include <type_traits>

namespace Veneer {

static_assert(std::is_same<pugi::char_t, wchar_t>::value, "the markup parser must run in wide-character mode");

namespace {

pugi::xml_attribute Wrap(pugi::xml_attribute_struct* attr) { return pugi::xml_attribute(attr); }

// Reads count decimal integers separated by exactly one character each.
bool ReadIntegers(LPCTSTR text, long* values, int count)
{
    if (text == nullptr || *text == 0) return false;
    LPCTSTR p = text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (*p == 0) return false;
            ++p;   // the separator, whatever it is
        }
        wchar_t* end = nullptr;
        values[i] = std::wcstol(p, &end, 10);
        if (end == p) return false;
        p = end;
    }
    return true;
}

} // namespace

LPCTSTR CXmlAttributeUI::name() const { return Wrap(m_attr).name(); }
LPCTSTR CXmlAttributeUI::value() const { return Wrap(m_attr).value(); }

CXmlAttributeUI CXmlAttributeUI::next_attribute() const
{
    return CXmlAttributeUI(Wrap(m_attr).next_attribute().internal_object());
}

CXmlAttributeUI CXmlAttributeUI::previous_attribute() const
{
    return CXmlAttributeUI(Wrap(m_attr).previous_attribute().internal_object());
}

LPCTSTR CXmlAttributeUI::as_string(LPCTSTR def) const { return Wrap(m_attr).as_string(def); }
int CXmlAttributeUI::as_int(int def) const { return Wrap(m_attr).as_int(def); }
unsigned int CXmlAttributeUI::as_uint(unsigned int def) const { return Wrap(m_attr).as_uint(def); }
double CXmlAttributeUI::as_double(double def) const { return Wrap(m_attr).as_double(def); }
float CXmlAttributeUI::as_float(float def) const { return Wrap(m_attr).as_float(def); }
bool CXmlAttributeUI::as_bool(bool def) const { return Wrap(m_attr).as_bool(def); }

DWORD CXmlAttributeUI::as_uicolor(DWORD def) const
{
    if (m_attr == nullptr) return def;
    LPCTSTR p = value();
    while (*p != 0 && *p <= L' ') ++p;
    if (*p == L'#') ++p;
    return static_cast<DWORD>(std::wcstoul(p, nullptr, 16));
}

POINT CXmlAttributeUI::as_point(int x, int y) const
{
    long v[2];
    if (m_attr == nullptr || !ReadIntegers(value(), v, 2)) return POINT{x, y};
    return POINT{v[0], v[1]};
}

SIZE CXmlAttributeUI::as_size(int cx, int cy) const
{
    long v[2];
    if (m_attr == nullptr || !ReadIntegers(value(), v, 2)) return SIZE{cx, cy};
    return SIZE{v[0], v[1]};
}

RECT CXmlAttributeUI::as_rect(int l, int t, int r, int b) const
{
    long v[4];
    if (m_attr == nullptr || !ReadIntegers(value(), v, 4)) return RECT{l, t, r, b};
    return RECT{v[0], v[1], v[2], v[3]};
}

bool CXmlAttributeUI::set_name(LPCTSTR rhs) { return Wrap(m_attr).set_name(rhs); }
bool CXmlAttributeUI::set_value(LPCTSTR rhs) { return Wrap(m_attr).set_value(rhs); }
bool CXmlAttributeUI::set_value(int rhs) { return Wrap(m_attr).set_value(rhs); }
bool CXmlAttributeUI::set_value(unsigned int rhs) { return Wrap(m_attr).set_value(rhs); }
bool CXmlAttributeUI::set_value(double rhs) { return Wrap(m_attr).set_value(rhs); }
bool CXmlAttributeUI::set_value(bool rhs) { return Wrap(m_attr).set_value(rhs); }

bool CXmlAttributeUI::set_uicolor(DWORD rhs)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08X", static_cast<unsigned int>(rhs));
    return set_value(text);
}

} // namespace Veneer
