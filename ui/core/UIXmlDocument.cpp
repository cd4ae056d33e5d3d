#include "ui/core/UIXmlDocument.h"

#include <pugixml.hpp>

#include <new>
#include <vector>

#include "ui/core/UIResourceManager.h"

namespace Veneer {

namespace {

// Processing instructions, comments, CDATA, escapes, end-of-line and
// attribute whitespace normalisation, declaration and doctype nodes;
// whitespace-only text is dropped.
const unsigned int kParseOptions = pugi::parse_full;

CUIString Widen(const char* text)
{
    CUIString out;
    if (text == nullptr) return out;
    int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (n <= 1) return out;
    std::vector<wchar_t> buffer(static_cast<size_t>(n));
    MultiByteToWideChar(CP_UTF8, 0, text, -1, buffer.data(), n);
    out = buffer.data();
    return out;
}

} // namespace

CXmlDocumentUI::CXmlDocumentUI() : m_doc(new pugi::xml_document)
{
    m_node = m_doc->internal_object();
}

CXmlDocumentUI::~CXmlDocumentUI() = default;

bool CXmlDocumentUI::Fail(LPCTSTR pstrError)
{
    m_doc->reset();
    m_node = m_doc->internal_object();
    m_sError = pstrError;
    return false;
}

void CXmlDocumentUI::reset()
{
    m_doc->reset();
    m_node = m_doc->internal_object();
    m_sError.Empty();
}

bool CXmlDocumentUI::load_buffer(const void* pData, size_t nSize)
{
    if (pData == nullptr && nSize > 0) return Fail(L"No data");
    pugi::xml_parse_result result;
    try {
        result = m_doc->load_buffer(pData, nSize, kParseOptions, pugi::encoding_auto);
    } catch (const std::bad_alloc&) {
        return Fail(L"Out of memory");
    }
    m_node = m_doc->internal_object();
    if (!result) return Fail(Widen(result.description()));
    m_sError.Empty();
    return true;
}

bool CXmlDocumentUI::load_string(LPCTSTR pstrText)
{
    pugi::xml_parse_result result;
    try {
        result = m_doc->load_string(pstrText != nullptr ? pstrText : L"", kParseOptions);
    } catch (const std::bad_alloc&) {
        return Fail(L"Out of memory");
    }
    m_node = m_doc->internal_object();
    if (!result) return Fail(Widen(result.description()));
    m_sError.Empty();
    return true;
}

bool CXmlDocumentUI::load_file(LPCTSTR pstrName)
{
    m_sFileName = pstrName;
    std::vector<BYTE> data;
    CResourceManager::ReadStatus status =
        CResourceManager::ReadResourceFile(pstrName, CResourceManager::kMaxMarkupSize, data);
    if (status != CResourceManager::ReadOk) return Fail(CResourceManager::GetReadStatusText(status));
    return load_buffer(data.data(), data.size());
}

bool CXmlDocumentUI::load_source(STRINGorID xml, LPCTSTR type, HINSTANCE instance)
{
    if (xml.IsId()) {
        const BYTE* data = nullptr;
        DWORD size = 0;
        if (!CResourceManager::FindModuleResource(xml, type, instance, &data, &size)) {
            return Fail(L"Could not find resource");
        }
        return load_buffer(data, size);
    }
    LPCTSTR text = xml.GetString();
    if (text == nullptr || *text == 0) return Fail(L"Error opening file");
    return (*text == L'<') ? load_string(text) : load_file(text);
}

bool CXmlDocumentUI::save_file(LPCTSTR pstrPath) const
{
    if (pstrPath == nullptr || *pstrPath == 0) return false;
    return m_doc->save_file(pstrPath, L"", pugi::format_indent, pugi::encoding_utf8);
}

bool CXmlDocumentUI::save_to_default_file() const { return save_file(m_sFileName); }

CXmlNodeUI CXmlDocumentUI::document_element() const
{
    for (CXmlNodeUI node = first_child(); !node.empty(); node = node.next_sibling()) {
        if (node.type() == node_element_ui) return node;
    }
    return CXmlNodeUI();
}

} // namespace Veneer
