#include "ui/core/UILangManager.h"

#include <algorithm>

#include "ui/controls/UIControl.h"
#include "ui/core/UILangPackage.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIResourceManager.h"
#include "ui/core/UIXmlDocument.h"

namespace Veneer {

namespace {

// The language folder joined with a file name. An empty folder adds no
// separator, so the name stays relative to the resource location itself.
CUIString InLangFolder(const CUIString& folder, LPCTSTR pstrFile)
{
    CUIString path = folder;
    if (!path.IsEmpty() && path[path.GetLength() - 1] != L'\\') path += L'\\';
    path += pstrFile;
    return path;
}

} // namespace

CUIString CLangManagerUI::s_sLangPath;
CUIString CLangManagerUI::s_sLangName;
std::map<int, tagStringTable> CLangManagerUI::m_mStringTable;

CLangManagerUI::CLangManagerUI(CPaintManagerUI* pOwner) : m_pOwner(pOwner) {}
CLangManagerUI::~CLangManagerUI() = default;

void CLangManagerUI::SetLanguage(LPCTSTR pstrPath, LPCTSTR pstrName)
{
    s_sLangPath = pstrPath;
    s_sLangName = pstrName;
    LoadStringTable();
}

LPCTSTR CLangManagerUI::GetLangPath() { return s_sLangPath; }
LPCTSTR CLangManagerUI::GetLangName() { return s_sLangName; }

LPCTSTR CLangManagerUI::GetString(int id, LPCTSTR)
{
    auto it = m_mStringTable.find(id);
    return it != m_mStringTable.end() ? it->second.text1.GetData() : L"";
}

LPCTSTR CLangManagerUI::GetStringExtra(int id, LPCTSTR)
{
    auto it = m_mStringTable.find(id);
    return it != m_mStringTable.end() ? it->second.text2.GetData() : L"";
}

bool CLangManagerUI::LoadStringTable()
{
    ReleaseStringTable();
    CUIString file = InLangFolder(s_sLangPath, L"StringTable.lng");
    return LoadStringTableResource(file.GetData());
}

bool CLangManagerUI::LoadStringTableResource(STRINGorID xml, LPCTSTR type)
{
    CXmlDocumentUI doc;
    if (!doc.load_source(xml, type)) return false;
    return LoadStringTableResource(doc);
}

bool CLangManagerUI::LoadStringTableResource(const CXmlNodeUI& document)
{
    CXmlNodeUI root = document.child(L"Language");
    if (root.empty()) return false;
    for (CXmlNodeUI node = root.first_child(); !node.empty(); node = node.next_sibling()) {
        if (node.type() != node_element_ui || _wcsicmp(node.name(), L"String") != 0) continue;
        CXmlAttributeUI id = node.attribute(L"id");
        if (id.empty()) continue;
        tagStringTable entry;
        entry.id = id.as_int();
        entry.text1 = node.attribute(L"text1").as_string();
        entry.text2 = node.attribute(L"text2").as_string();
        m_mStringTable.insert(std::make_pair(entry.id, entry));   // the first entry of an id stays
    }
    return true;
}

void CLangManagerUI::ReleaseStringTable() { m_mStringTable.clear(); }

CUIString CLangManagerUI::PackageFileName(LPCTSTR pstrSkinName)
{
    CUIString name = pstrSkinName;
    int dot = name.ReverseFind(L'.');
    if (dot >= 0) name = name.Left(dot) + L".lng";
    return InLangFolder(s_sLangPath, name);
}

CLangPackageUI* CLangManagerUI::CreatePackage(LPCTSTR pstrSkinName)
{
    std::unique_ptr<CLangPackageUI> package(new CLangPackageUI());
    package->SetSkinFile(pstrSkinName);
    CUIString file = PackageFileName(pstrSkinName);
    package->LoadResource(file.GetData());   // a missing package file leaves it empty
    auto inserted = m_mPackages.insert(std::make_pair(std::wstring(pstrSkinName), std::move(package)));
    return inserted.second ? inserted.first->second.get() : nullptr;
}

CLangPackageUI* CLangManagerUI::AddPackage(LPCTSTR pstrSkinName)
{
    if (pstrSkinName == nullptr || *pstrSkinName == 0) return nullptr;
    if (std::find(m_aSkinNames.begin(), m_aSkinNames.end(), pstrSkinName) != m_aSkinNames.end()) return nullptr;
    m_aSkinNames.push_back(pstrSkinName);
    return CreatePackage(pstrSkinName);
}

CLangPackageUI* CLangManagerUI::GetPackage(LPCTSTR pstrSkinName) const
{
    if (pstrSkinName == nullptr) return nullptr;
    auto it = m_mPackages.find(pstrSkinName);
    return it != m_mPackages.end() ? it->second.get() : nullptr;
}

void CLangManagerUI::ReloadLanguage()
{
    m_mPackages.clear();
    for (const std::wstring& name : m_aSkinNames) CreatePackage(name.c_str());
    // Every text may have changed, and with it a width: a plain repaint would come from the kept frame.
    if (m_pOwner == nullptr || m_pOwner->GetRoot() == nullptr) return;
    m_pOwner->GetRoot()->NeedUpdate();
    m_pOwner->Invalidate();
}

} // namespace Veneer
