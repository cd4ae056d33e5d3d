#include "SkinChecker.h"

#include <wchar.h>

#include "MarkupElements.h"
#include "ui/core/UIAttributeTable.h"

namespace fs = std::filesystem;

namespace markup {

namespace {

// Misspellings the installer's skin has always carried; the builder keeps them as custom attributes.
const wchar_t* const kKnownSpellings[] = {L"corser", L"vaule", L"margin", L"normaltextcolor", L"wantreturnmsg"};

// The installer's page backgrounds lack corner's closing quote; the corner is then not read.
const wchar_t* const kKnownDescriptors[] = {
    L"file='page_home.png' source='0,0,600,400' corner='5,5,5,5 ",
    L"file='page_install.png' source='0,0,600,400' corner='5,5,5,5 ",
    L"file='page_finished.png' source='0,0,600,400' corner='5,5,5,5 ",
};

bool IsKnownDescriptor(const wchar_t* pstrValue)
{
    for (const wchar_t* p : kKnownDescriptors) {
        if (wcscmp(p, pstrValue) == 0) return true;
    }
    return false;
}

bool IsKnownSpelling(const wchar_t* pstrName)
{
    for (const wchar_t* p : kKnownSpellings) {
        if (wcscmp(p, pstrName) == 0) return true;
    }
    return false;
}

bool IsMarkup(const fs::path& file)
{
    return file.extension() == L".xml";
}

bool IsUnderLang(const fs::path& relative)
{
    return !relative.empty() && _wcsicmp(relative.begin()->c_str(), L"Lang") == 0;
}

} // namespace

SkinChecker::SkinChecker(const fs::path& folder)
    : m_folder(folder)
{
}

void SkinChecker::Run()
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file() && IsMarkup(it->path()) && !IsUnderLang(fs::relative(it->path(), m_folder))) {
            files.push_back(it->path());
        }
    }
    if (ec || files.empty()) Error(L"no markup found in " + m_folder.wstring());
    // Styles first: a value naming one is not checked as a value of the attribute it stands in.
    for (const fs::path& file : files) {
        pugi::xml_document doc;
        if (!doc.load_file(file.c_str())) continue;
        for (const pugi::xpath_node& n : doc.select_nodes(L"//Style"))
            m_styles.insert(n.node().attribute(L"name").value());
    }
    for (const fs::path& file : files) CheckFile(file);
    CheckLanguages();
}

void SkinChecker::CheckFile(const fs::path& file)
{
    pugi::xml_document doc;
    std::wstring name = fs::relative(file, m_folder).generic_wstring();
    pugi::xml_parse_result r = doc.load_file(file.c_str());
    if (!r) {
        Error(name + L": not well-formed XML");
        return;
    }
    std::set<int>& ids = m_usedIds[file.stem().wstring()];
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) CheckElement(name, ids, n);
}

void SkinChecker::CheckElement(const std::wstring& where, std::set<int>& ids, const pugi::xml_node& node)
{
    if (node.type() != pugi::node_element) return;
    std::wstring here = where + L": <" + node.name() + L">";
    if (const TBuilderElement* pBuilder = FindBuilderElement(node.name())) {
        for (pugi::xml_attribute a : node.attributes()) {
            bool bKnown = false;
            for (LPCTSTR const* p = pBuilder->ppAttributes; *p != nullptr && !bKnown; ++p)
                bKnown = _wcsicmp(*p, a.name()) == 0;
            if (!bKnown) Error(here + L" unknown attribute \"" + a.name() + L"\"");
        }
        if (_wcsicmp(node.name(), L"Include") == 0 && !Exists(node.attribute(L"source").value())) {
            Error(here + L" includes missing \"" + node.attribute(L"source").value() + L"\"");
        }
        if (_wcsicmp(node.name(), L"Image") == 0 && !Exists(node.attribute(L"name").value())) {
            Error(here + L" image missing \"" + node.attribute(L"name").value() + L"\"");
        }
    } else if (MakeControl(node.name()) == nullptr) {
        Error(here + L" unknown element");
        return;
    } else {
        for (pugi::xml_attribute a : node.attributes()) CheckControlAttribute(here, ids, node, a);
    }
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        CheckElement(where, ids, child);
}

void SkinChecker::CheckControlAttribute(const std::wstring& where, std::set<int>& ids, const pugi::xml_node& node,
                                        const pugi::xml_attribute& attr)
{
    if (_wcsicmp(attr.name(), L"resourceid") == 0) ids.insert(attr.as_int());
    if (_wcsicmp(attr.name(), L"style") == 0 || m_styles.count(attr.value()) != 0) return;
    std::unique_ptr<Veneer::CControlUI> c = MakeControl(node.name());
    const Veneer::TAttribute* pRow = c->GetAttributeTable().FindInChain(attr.name());
    if (pRow == nullptr) {
        if (!Veneer::CControlUI::IsScriptAttribute(attr.name()) && !IsKnownSpelling(attr.name())) {
            Error(where + L" unknown attribute \"" + attr.name() + L"\"");
        }
        return;
    }
    if (pRow->kind == Veneer::EAttrKind::Image) CheckImage(where, attr);
}

void SkinChecker::CheckImage(const std::wstring& where, const pugi::xml_attribute& attr)
{
    if (*attr.value() == L'\0') return;
    if (!Veneer::CAttributeValue::IsImageDescriptor(attr.value()) && !IsKnownDescriptor(attr.value())) {
        Error(where + L" " + attr.name() + L": descriptor does not parse: " + attr.value());
        return;
    }
    Veneer::CUIString file = Veneer::CAttributeValue::ImageFile(attr.value());
    if (!file.IsEmpty() && !Exists(file.GetData()))
        Error(where + L" " + attr.name() + L": image missing \"" + file.GetData() + L"\"");
}

void SkinChecker::CheckLanguages()
{
    std::error_code ec;
    for (fs::directory_iterator it(m_folder / L"Lang", ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_directory()) continue;
        for (const auto& used : m_usedIds) {
            if (used.second.empty()) continue;
            std::wstring name = L"Lang/" + it->path().filename().wstring() + L"/" + used.first + L".lng";
            pugi::xml_document doc;
            if (!doc.load_file((it->path() / (used.first + L".lng")).c_str())) {
                Warning(name + L": no package for " + used.first + L".xml");
                continue;
            }
            std::set<int> defined;
            for (pugi::xml_node n : doc.child(L"Language").children(L"Text"))
                defined.insert(n.attribute(L"id").as_int());
            for (int id : used.second) {
                if (defined.count(id) == 0) Error(name + L": id " + std::to_wstring(id) + L" used but not defined");
            }
            for (int id : defined) {
                if (used.second.count(id) == 0)
                    Warning(name + L": id " + std::to_wstring(id) + L" defined but not used");
            }
        }
    }
}

bool SkinChecker::Exists(const std::wstring& name) const
{
    std::error_code ec;
    return !name.empty() && fs::is_regular_file(m_folder / name, ec);
}

void SkinChecker::Error(const std::wstring& text)
{
    m_reports.push_back(L"error: " + text);
    ++m_nErrors;
}

void SkinChecker::Warning(const std::wstring& text)
{
    m_reports.push_back(L"warning: " + text);
}

} // namespace markup
