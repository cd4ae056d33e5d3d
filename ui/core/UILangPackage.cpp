#include "ui/core/UILangPackage.h"

#include "ui/core/UIResourceManager.h"
#include "ui/core/UIXmlDocument.h"

namespace Veneer {

CLangPackageUI::CLangPackageUI() = default;
CLangPackageUI::~CLangPackageUI() = default;

bool CLangPackageUI::LoadResource(STRINGorID xml, LPCTSTR type)
{
    CXmlDocumentUI doc;
    if (!doc.load_source(xml, type)) return false;
    return LoadResource(doc);
}

bool CLangPackageUI::LoadResource(const CXmlNodeUI& document)
{
    CXmlNodeUI root = document.child(L"Language");
    if (root.empty()) return false;
    for (CXmlNodeUI node = root.first_child(); !node.empty(); node = node.next_sibling()) {
        if (node.type() != node_element_ui || _wcsicmp(node.name(), L"Text") != 0) continue;
        CXmlAttributeUI id = node.attribute(L"id");
        if (id.empty()) continue;
        int nId = id.as_int();
        CXmlAttributeUI attr = node.attribute(L"text");
        if (!attr.empty()) AddText(nId, attr.value());
        attr = node.attribute(L"tooltip");
        if (!attr.empty()) AddToolTip(nId, attr.value());
        attr = node.attribute(L"tipvalue");
        if (!attr.empty()) AddTipValue(nId, attr.value());
    }
    return true;
}

int CLangPackageUI::Add(TextMap& map, int id, LPCTSTR pstrText)
{
    return map.insert(TextMap::value_type(id, pstrText != nullptr ? pstrText : L"")).second ? 1 : 0;
}

LPCTSTR CLangPackageUI::Get(const TextMap& map, int id)
{
    auto it = map.find(id);
    return it != map.end() ? it->second.c_str() : L"";
}

int CLangPackageUI::AddText(int id, LPCTSTR pstrText) { return Add(m_mTexts, id, pstrText); }
int CLangPackageUI::AddToolTip(int id, LPCTSTR pstrText) { return Add(m_mToolTips, id, pstrText); }
int CLangPackageUI::AddTipValue(int id, LPCTSTR pstrText) { return Add(m_mTipValues, id, pstrText); }
LPCTSTR CLangPackageUI::GetText(int id) const { return Get(m_mTexts, id); }
LPCTSTR CLangPackageUI::GetToolTip(int id) const { return Get(m_mToolTips, id); }
LPCTSTR CLangPackageUI::GetTipValue(int id) const { return Get(m_mTipValues, id); }

void CLangPackageUI::ResetResource()
{
    m_mTexts.clear();
    m_mToolTips.clear();
    m_mTipValues.clear();
}

} // namespace Veneer
