#pragma once

#include <windows.h>

#include "ui/core/UIXmlDocument.h"
#include "ui/support/StringOrId.h"
#include "ui/support/UIString.h"

namespace Veneer {

class CControlUI;
class CPaintManagerUI;
class CLangPackageUI;

// Makes the controls the factory and the plug-ins do not know (implemented
// by the window classes).
class IDialogBuilderCallback
{
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual CControlUI* CreateControl(LPCWSTR pstrClass) = 0;
};

// Builds a window's control tree and shared resources from markup.
class CDialogBuilder
{
public:
    CDialogBuilder();
    ~CDialogBuilder();
    CDialogBuilder(const CDialogBuilder&) = delete;
    CDialogBuilder& operator=(const CDialogBuilder&) = delete;

    // xml: markup text (beginning with "<"), a file name or resource-table id
    // read through the resource location, or a resource id of the given type.
    // Returns the first top-level control built, or null.
    CControlUI* Create(STRINGorID xml, LPCTSTR type = nullptr, IDialogBuilderCallback* pCallback = nullptr,
                       CPaintManagerUI* pManager = nullptr, CControlUI* pParent = nullptr);
    // Builds from the document already loaded.
    CControlUI* Create(IDialogBuilderCallback* pCallback = nullptr, CPaintManagerUI* pManager = nullptr,
                       CControlUI* pParent = nullptr, CLangPackageUI* pPackage = nullptr);

    CXmlDocumentUI* GetMarkup() { return &m_xml; }
    LPCTSTR GetLastErrorMessage() const { return m_xml.GetError(); }
    // Module used for resource look-ups; null = the resource module.
    void SetInstance(HINSTANCE instance) { m_instance = instance; }

private:
    CControlUI* _Parse(const CXmlNodeUI& parent, CControlUI* pParent, CPaintManagerUI* pManager,
                       CLangPackageUI* pPackage);
    void RegisterResources(const CXmlNodeUI& root, CPaintManagerUI* pManager);
    void ApplyWindowAttributes(const CXmlNodeUI& root, CPaintManagerUI* pManager);
    void ParseInclude(const CXmlNodeUI& node, CControlUI* pParent, CPaintManagerUI* pManager);
    CControlUI* CreateByName(const CXmlNodeUI& node, LPCTSTR pstrClass);
    void ApplyAttributes(const CXmlNodeUI& node, CControlUI* pControl, CPaintManagerUI* pManager);

    CXmlDocumentUI m_xml;
    IDialogBuilderCallback* m_pCallback;
    CUIString m_sResType;   // non-empty after a build from a module resource
    HINSTANCE m_instance;
};

} // namespace Veneer
