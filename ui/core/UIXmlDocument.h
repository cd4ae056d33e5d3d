#pragma once

#include <windows.h>

#include <memory>

#include "ui/core/UIXmlNode.h"
#include "ui/support/StringOrId.h"
#include "ui/support/UIString.h"

namespace pugi {
class xml_document;
}

namespace Veneer {

// A parsed markup document. As a node it is the document node, so
// child("Window") and first_child() work on it directly. Files are read
// through the process-wide resource location: the resource folder, or the
// resource zip when one is set (there is no fall-back from the archive to the
// plain file system).
class CXmlDocumentUI : public CXmlNodeUI
{
public:
    CXmlDocumentUI();
    ~CXmlDocumentUI();
    CXmlDocumentUI(const CXmlDocumentUI&) = delete;
    CXmlDocumentUI& operator=(const CXmlDocumentUI&) = delete;

    // Every load first empties the document; false on failure, with the
    // reason in GetError.
    bool load_file(LPCTSTR pstrName);
    bool load_buffer(const void* pData, size_t nSize);   // encoding detected
    bool load_string(LPCTSTR pstrText);
    // The usual sources of the framework's documents: a resource id (of the
    // given type, from the module or else the resource module), markup text
    // beginning with "<", or a file name read through load_file.
    bool load_source(STRINGorID xml, LPCTSTR type = nullptr, HINSTANCE instance = nullptr);
    // Written as UTF-8, indented with an empty indent string.
    bool save_file(LPCTSTR pstrPath) const;
    // Writes to the name last passed to load_file, exactly as passed.
    bool save_to_default_file() const;
    void reset();

    // The first child of element type, or an empty node.
    CXmlNodeUI document_element() const;

    LPCTSTR GetError() const { return m_sError; }
    LPCTSTR GetFileName() const { return m_sFileName; }

private:
    bool Fail(LPCTSTR pstrError);

    std::unique_ptr<pugi::xml_document> m_doc;
    CUIString m_sFileName;
    CUIString m_sError;
};

} // namespace Veneer
