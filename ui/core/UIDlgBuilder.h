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

// Receives the report of a markup element no creator knows. The default
// shows a modal message box without owner.
typedef void (*PFN_DIALOGBUILDER_ERROR)(LPCTSTR pstrText, LPCTSTR pstrCaption);

// Builds a window's control tree and shared resources from markup.
class CDialogBuilder
{
public:
    // Deepest element nesting and include nesting that are built; deeper
    // parts of a document are skipped.
    enum { MAX_NESTING = 200, MAX_INCLUDE_NESTING = 16 };
    // Controls (and Include rounds) one build may make, includes and their counts
    // together: markup asking for more is refused (reported, and the build yields
    // nothing) instead of freezing the UI thread.
    enum { MAX_CONTROLS = 10000 };

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

    // Replaces the reporter of unknown elements (null restores the message
    // box); returns the previous one.
    static PFN_DIALOGBUILDER_ERROR SetErrorReporter(PFN_DIALOGBUILDER_ERROR pfnReporter);

private:
    CControlUI* _Parse(const CXmlNodeUI& parent, CControlUI* pParent, CPaintManagerUI* pManager,
                       CLangPackageUI* pPackage, int nDepth = 0);
    void RegisterResources(const CXmlNodeUI& root, CPaintManagerUI* pManager);
    void ApplyWindowAttributes(const CXmlNodeUI& root, CPaintManagerUI* pManager);
    void ParseInclude(const CXmlNodeUI& node, CControlUI* pParent, CPaintManagerUI* pManager);
    CControlUI* CreateByName(const CXmlNodeUI& node, LPCTSTR pstrClass);
    static void ReportUnknown(CLangPackageUI* pPackage, LPCTSTR pstrElement);
    // Counts one control or Include round against the build's limit; false once it is used up.
    static bool Spend();
    void ApplyAttributes(const CXmlNodeUI& node, CControlUI* pControl, CPaintManagerUI* pManager);

    CXmlDocumentUI m_xml;
    IDialogBuilderCallback* m_pCallback;
    CUIString m_sResType;   // non-empty after a build from a module resource
    HINSTANCE m_instance;
};

} // namespace Veneer
