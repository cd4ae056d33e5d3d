#include "ui/core/UIXmlNode.h"

#include <pugixml.hpp>

namespace Veneer {

namespace {

pugi::xml_node N(pugi::xml_node_struct* node) { return pugi::xml_node(node); }
pugi::xml_node N(const CXmlNodeUI& node) { return pugi::xml_node(node.internal_object()); }
pugi::xml_attribute A(const CXmlAttributeUI& attr) { return pugi::xml_attribute(attr.internal_object()); }
CXmlNodeUI W(const pugi::xml_node& node) { return CXmlNodeUI(node.internal_object()); }
CXmlAttributeUI W(const pugi::xml_attribute& attr) { return CXmlAttributeUI(attr.internal_object()); }

} // namespace

int CXmlNodeUI::type() const { return static_cast<int>(N(m_node).type()); }
LPCTSTR CXmlNodeUI::name() const { return N(m_node).name(); }
LPCTSTR CXmlNodeUI::value() const { return N(m_node).value(); }
LPCTSTR CXmlNodeUI::child_value() const { return N(m_node).child_value(); }

CXmlNodeUI CXmlNodeUI::parent() const { return W(N(m_node).parent()); }
CXmlNodeUI CXmlNodeUI::first_child() const { return W(N(m_node).first_child()); }
CXmlNodeUI CXmlNodeUI::last_child() const { return W(N(m_node).last_child()); }
CXmlNodeUI CXmlNodeUI::next_sibling() const { return W(N(m_node).next_sibling()); }
CXmlNodeUI CXmlNodeUI::next_sibling(LPCTSTR name) const { return W(N(m_node).next_sibling(name)); }
CXmlNodeUI CXmlNodeUI::previous_sibling() const { return W(N(m_node).previous_sibling()); }
CXmlNodeUI CXmlNodeUI::previous_sibling(LPCTSTR name) const { return W(N(m_node).previous_sibling(name)); }
CXmlNodeUI CXmlNodeUI::child(LPCTSTR name) const { return W(N(m_node).child(name)); }
CXmlNodeUI CXmlNodeUI::root() const { return W(N(m_node).root()); }

CXmlNodeUI CXmlNodeUI::child_auto(LPCTSTR name)
{
    pugi::xml_node found = N(m_node).child(name);
    return found ? W(found) : W(N(m_node).append_child(name));
}

CXmlAttributeUI CXmlNodeUI::attribute(LPCTSTR name) const { return W(N(m_node).attribute(name)); }
CXmlAttributeUI CXmlNodeUI::first_attribute() const { return W(N(m_node).first_attribute()); }
CXmlAttributeUI CXmlNodeUI::last_attribute() const { return W(N(m_node).last_attribute()); }

CXmlAttributeUI CXmlNodeUI::attribute_auto(LPCTSTR name)
{
    pugi::xml_attribute found = N(m_node).attribute(name);
    return found ? W(found) : W(N(m_node).append_attribute(name));
}

bool CXmlNodeUI::set_name(LPCTSTR rhs) { return N(m_node).set_name(rhs); }
bool CXmlNodeUI::set_value(LPCTSTR rhs) { return N(m_node).set_value(rhs); }

CXmlAttributeUI CXmlNodeUI::append_attribute(LPCTSTR name) { return W(N(m_node).append_attribute(name)); }
CXmlAttributeUI CXmlNodeUI::prepend_attribute(LPCTSTR name) { return W(N(m_node).prepend_attribute(name)); }
CXmlAttributeUI CXmlNodeUI::insert_attribute_after(LPCTSTR name, const CXmlAttributeUI& attr)
{
    return W(N(m_node).insert_attribute_after(name, A(attr)));
}
CXmlAttributeUI CXmlNodeUI::insert_attribute_before(LPCTSTR name, const CXmlAttributeUI& attr)
{
    return W(N(m_node).insert_attribute_before(name, A(attr)));
}
CXmlAttributeUI CXmlNodeUI::append_copy(const CXmlAttributeUI& proto) { return W(N(m_node).append_copy(A(proto))); }
CXmlAttributeUI CXmlNodeUI::prepend_copy(const CXmlAttributeUI& proto) { return W(N(m_node).prepend_copy(A(proto))); }
CXmlAttributeUI CXmlNodeUI::insert_copy_after(const CXmlAttributeUI& proto, const CXmlAttributeUI& attr)
{
    return W(N(m_node).insert_copy_after(A(proto), A(attr)));
}
CXmlAttributeUI CXmlNodeUI::insert_copy_before(const CXmlAttributeUI& proto, const CXmlAttributeUI& attr)
{
    return W(N(m_node).insert_copy_before(A(proto), A(attr)));
}

CXmlNodeUI CXmlNodeUI::append_child(int type)
{
    return W(N(m_node).append_child(static_cast<pugi::xml_node_type>(type)));
}
CXmlNodeUI CXmlNodeUI::prepend_child(int type)
{
    return W(N(m_node).prepend_child(static_cast<pugi::xml_node_type>(type)));
}
CXmlNodeUI CXmlNodeUI::append_child(LPCTSTR name) { return W(N(m_node).append_child(name)); }
CXmlNodeUI CXmlNodeUI::prepend_child(LPCTSTR name) { return W(N(m_node).prepend_child(name)); }
CXmlNodeUI CXmlNodeUI::insert_child_after(LPCTSTR name, const CXmlNodeUI& node)
{
    return W(N(m_node).insert_child_after(name, N(node)));
}
CXmlNodeUI CXmlNodeUI::insert_child_before(LPCTSTR name, const CXmlNodeUI& node)
{
    return W(N(m_node).insert_child_before(name, N(node)));
}
CXmlNodeUI CXmlNodeUI::append_copy(const CXmlNodeUI& proto) { return W(N(m_node).append_copy(N(proto))); }
CXmlNodeUI CXmlNodeUI::prepend_copy(const CXmlNodeUI& proto) { return W(N(m_node).prepend_copy(N(proto))); }
CXmlNodeUI CXmlNodeUI::insert_copy_after(const CXmlNodeUI& proto, const CXmlNodeUI& node)
{
    return W(N(m_node).insert_copy_after(N(proto), N(node)));
}
CXmlNodeUI CXmlNodeUI::insert_copy_before(const CXmlNodeUI& proto, const CXmlNodeUI& node)
{
    return W(N(m_node).insert_copy_before(N(proto), N(node)));
}
CXmlNodeUI CXmlNodeUI::append_move(const CXmlNodeUI& moved) { return W(N(m_node).append_move(N(moved))); }
CXmlNodeUI CXmlNodeUI::prepend_move(const CXmlNodeUI& moved) { return W(N(m_node).prepend_move(N(moved))); }
CXmlNodeUI CXmlNodeUI::insert_move_after(const CXmlNodeUI& moved, const CXmlNodeUI& node)
{
    return W(N(m_node).insert_move_after(N(moved), N(node)));
}
CXmlNodeUI CXmlNodeUI::insert_move_before(const CXmlNodeUI& moved, const CXmlNodeUI& node)
{
    return W(N(m_node).insert_move_before(N(moved), N(node)));
}

bool CXmlNodeUI::remove_attribute(const CXmlAttributeUI& a) { return N(m_node).remove_attribute(A(a)); }
bool CXmlNodeUI::remove_attribute(LPCTSTR name) { return N(m_node).remove_attribute(name); }
bool CXmlNodeUI::remove_attributes() { return N(m_node).remove_attributes(); }
bool CXmlNodeUI::remove_child(const CXmlNodeUI& n) { return N(m_node).remove_child(N(n)); }
bool CXmlNodeUI::remove_child(LPCTSTR name) { return N(m_node).remove_child(name); }
bool CXmlNodeUI::remove_children() { return N(m_node).remove_children(); }

} // namespace Veneer
