#pragma once

#include <windows.h>

#include "ui/core/UIXmlAttribute.h"

namespace pugi {
struct xml_node_struct;
}

namespace Veneer {

// Node kinds, numbered as the parser numbers them.
enum XmlNodeTypeUI
{
    node_null_ui = 0,
    node_document_ui = 1,
    node_element_ui = 2,
    node_pcdata_ui = 3,
    node_cdata_ui = 4,
    node_comment_ui = 5,
    node_pi_ui = 6,
    node_declaration_ui = 7,
    node_doctype_ui = 8
};

// A value handle on one node of a parsed markup document; an empty handle
// stands for "none" and yields defaults. Names are matched exactly.
class CXmlNodeUI
{
public:
    CXmlNodeUI() : m_node(nullptr) {}
    explicit CXmlNodeUI(pugi::xml_node_struct* node) : m_node(node) {}

    bool empty() const { return m_node == nullptr; }
    explicit operator bool() const { return m_node != nullptr; }
    bool operator==(const CXmlNodeUI& r) const { return m_node == r.m_node; }
    bool operator!=(const CXmlNodeUI& r) const { return m_node != r.m_node; }

    int type() const;          // XmlNodeTypeUI
    LPCTSTR name() const;      // "" when empty
    LPCTSTR value() const;     // "" when empty
    LPCTSTR child_value() const;

    CXmlNodeUI parent() const;
    CXmlNodeUI first_child() const;
    CXmlNodeUI last_child() const;
    CXmlNodeUI next_sibling() const;
    CXmlNodeUI next_sibling(LPCTSTR name) const;
    CXmlNodeUI previous_sibling() const;
    CXmlNodeUI previous_sibling(LPCTSTR name) const;
    CXmlNodeUI child(LPCTSTR name) const;
    CXmlNodeUI child_auto(LPCTSTR name);   // appended when missing
    CXmlNodeUI root() const;

    CXmlAttributeUI attribute(LPCTSTR name) const;
    CXmlAttributeUI attribute_auto(LPCTSTR name);   // appended when missing
    CXmlAttributeUI first_attribute() const;
    CXmlAttributeUI last_attribute() const;

    bool set_name(LPCTSTR rhs);
    bool set_value(LPCTSTR rhs);

    CXmlAttributeUI append_attribute(LPCTSTR name);
    CXmlAttributeUI prepend_attribute(LPCTSTR name);
    CXmlAttributeUI insert_attribute_after(LPCTSTR name, const CXmlAttributeUI& attr);
    CXmlAttributeUI insert_attribute_before(LPCTSTR name, const CXmlAttributeUI& attr);
    CXmlAttributeUI append_copy(const CXmlAttributeUI& proto);
    CXmlAttributeUI prepend_copy(const CXmlAttributeUI& proto);
    CXmlAttributeUI insert_copy_after(const CXmlAttributeUI& proto, const CXmlAttributeUI& attr);
    CXmlAttributeUI insert_copy_before(const CXmlAttributeUI& proto, const CXmlAttributeUI& attr);

    CXmlNodeUI append_child(int type = node_element_ui);
    CXmlNodeUI prepend_child(int type = node_element_ui);
    CXmlNodeUI append_child(LPCTSTR name);
    CXmlNodeUI prepend_child(LPCTSTR name);
    CXmlNodeUI insert_child_after(LPCTSTR name, const CXmlNodeUI& node);
    CXmlNodeUI insert_child_before(LPCTSTR name, const CXmlNodeUI& node);
    CXmlNodeUI append_copy(const CXmlNodeUI& proto);
    CXmlNodeUI prepend_copy(const CXmlNodeUI& proto);
    CXmlNodeUI insert_copy_after(const CXmlNodeUI& proto, const CXmlNodeUI& node);
    CXmlNodeUI insert_copy_before(const CXmlNodeUI& proto, const CXmlNodeUI& node);
    CXmlNodeUI append_move(const CXmlNodeUI& moved);
    CXmlNodeUI prepend_move(const CXmlNodeUI& moved);
    CXmlNodeUI insert_move_after(const CXmlNodeUI& moved, const CXmlNodeUI& node);
    CXmlNodeUI insert_move_before(const CXmlNodeUI& moved, const CXmlNodeUI& node);

    bool remove_attribute(const CXmlAttributeUI& a);
    bool remove_attribute(LPCTSTR name);
    bool remove_attributes();
    bool remove_child(const CXmlNodeUI& n);
    bool remove_child(LPCTSTR name);
    bool remove_children();

    pugi::xml_node_struct* internal_object() const { return m_node; }

protected:
    pugi::xml_node_struct* m_node;
};

} // namespace Veneer
