#pragma once

#include <windows.h>

namespace pugi {
struct xml_attribute_struct;
}

namespace Veneer {

// A value handle on one attribute of a parsed markup document. An empty
// handle stands for "no attribute": every accessor on it yields the default
// and every setter fails. The handle does not own anything; it stays valid
// while the document that holds the attribute lives and keeps it.
class CXmlAttributeUI
{
public:
    CXmlAttributeUI() : m_attr(nullptr) {}
    explicit CXmlAttributeUI(pugi::xml_attribute_struct* attr) : m_attr(attr) {}

    bool empty() const { return m_attr == nullptr; }
    explicit operator bool() const { return m_attr != nullptr; }
    bool operator==(const CXmlAttributeUI& r) const { return m_attr == r.m_attr; }
    bool operator!=(const CXmlAttributeUI& r) const { return m_attr != r.m_attr; }

    LPCTSTR name() const;    // "" when empty
    LPCTSTR value() const;   // "" when empty

    CXmlAttributeUI next_attribute() const;
    CXmlAttributeUI previous_attribute() const;

    LPCTSTR as_string(LPCTSTR def = L"") const;
    int as_int(int def = 0) const;
    unsigned int as_uint(unsigned int def = 0) const;
    double as_double(double def = 0) const;
    float as_float(float def = 0) const;
    bool as_bool(bool def = false) const;
    // Hexadecimal colour: leading characters up to blank skipped, one "#"
    // skipped, then base 16 (a "0x" prefix is accepted). No alpha is added.
    DWORD as_uicolor(DWORD def = 0) const;
    // "x,y" (exactly one separator character between two decimal numbers);
    // the defaults when the text is empty or a number is missing.
    POINT as_point(int x = 0, int y = 0) const;
    SIZE as_size(int cx = 0, int cy = 0) const;
    // "l,t,r,b"; all four defaults on any failure.
    RECT as_rect(int l = 0, int t = 0, int r = 0, int b = 0) const;

    bool set_name(LPCTSTR rhs);
    bool set_value(LPCTSTR rhs);
    bool set_value(int rhs);
    bool set_value(unsigned int rhs);
    bool set_value(double rhs);
    bool set_value(bool rhs);
    bool set_uicolor(DWORD rhs);   // written as "0x%08X"

    pugi::xml_attribute_struct* internal_object() const { return m_attr; }

private:
    pugi::xml_attribute_struct* m_attr;
};

} // namespace Veneer
