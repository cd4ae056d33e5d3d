#include "ui/core/UIDlgBuilder.h"

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/core/UIControlFactory.h"
#include "ui/core/UIDefines.h"
#include "ui/core/UILangManager.h"
#include "ui/core/UILangPackage.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIResourceManager.h"
#include "ui/core/UIShadow.h"

namespace Veneer {

namespace {

void ShowErrorBox(LPCTSTR pstrText, LPCTSTR pstrCaption)
{
    MessageBoxW(nullptr, pstrText, pstrCaption, MB_OK | MB_ICONERROR);
}

PFN_DIALOGBUILDER_ERROR g_pfnReporter = &ShowErrorBox;

// Sources being built right now, outermost first: an Include of one of them
// would never end, so it is skipped.
std::vector<std::wstring>& SourcesInProgress()
{
    static std::vector<std::wstring> sources;
    return sources;
}

bool IsInProgress(const std::wstring& source)
{
    for (const std::wstring& s : SourcesInProgress()) {
        if (_wcsicmp(s.c_str(), source.c_str()) == 0) return true;
    }
    return false;
}

class SourceScope
{
public:
    explicit SourceScope(const std::wstring& source) { SourcesInProgress().push_back(source); }
    ~SourceScope() { SourcesInProgress().pop_back(); }
    SourceScope(const SourceScope&) = delete;
    SourceScope& operator=(const SourceScope&) = delete;
};

// What the build in progress has spent, from its outermost Create to its end.
struct BuildBudget
{
    int depth = 0;
    int used = 0;
    bool exhausted = false;
};

BuildBudget& Budget()
{
    static BuildBudget budget;
    return budget;
}

class BudgetScope
{
public:
    BudgetScope()
    {
        BuildBudget& b = Budget();
        if (b.depth++ == 0) {
            b.used = 0;
            b.exhausted = false;
        }
    }
    ~BudgetScope() { --Budget().depth; }
    BudgetScope(const BudgetScope&) = delete;
    BudgetScope& operator=(const BudgetScope&) = delete;
    bool IsOutermost() const { return Budget().depth == 1; }
};

std::wstring SourceKey(const STRINGorID& xml, LPCTSTR type)
{
    if (!xml.IsId()) return xml.GetString();
    return L"#" + std::to_wstring(xml.GetId()) + L":" + (type != nullptr ? type : L"");
}

bool NameIs(LPCTSTR name, LPCTSTR expected) { return _wcsicmp(name, expected) == 0; }

bool IsRootOnlyElement(LPCTSTR name)
{
    return NameIs(name, L"Image") || NameIs(name, L"Font") || NameIs(name, L"Default") || NameIs(name, L"Style") ||
           NameIs(name, L"Script") || NameIs(name, L"Import");
}

bool HasElementChild(const CXmlNodeUI& node)
{
    for (CXmlNodeUI child = node.first_child(); !child.empty(); child = child.next_sibling()) {
        if (child.type() == node_element_ui) return true;
    }
    return false;
}

void ApplyShadowAttribute(CShadowUI* shadow, LPCTSTR name, const CXmlAttributeUI& attr)
{
    if (shadow == nullptr) return;
    if (NameIs(name, L"shadowsize")) shadow->SetSize(attr.as_int());
    else if (NameIs(name, L"shadowsharpness")) shadow->SetSharpness(static_cast<unsigned>(attr.as_int()));
    else if (NameIs(name, L"shadowdarkness")) shadow->SetDarkness(static_cast<unsigned>(attr.as_int()));
    else if (NameIs(name, L"shadowposition")) {
        POINT pt = attr.as_point();
        shadow->SetPosition(pt.x, pt.y);
    } else if (NameIs(name, L"shadowcolor")) shadow->SetColor(attr.as_uicolor());
    else if (NameIs(name, L"shadowcorner")) shadow->SetShadowCorner(attr.as_rect());
    else if (NameIs(name, L"shadowimage")) shadow->SetImage(attr.value());
    else if (NameIs(name, L"showshadow")) shadow->ShowShadow(attr.as_bool());
}

void ApplyWindowAttribute(CPaintManagerUI* pm, const CXmlAttributeUI& attr)
{
    LPCTSTR name = attr.name();
    if (NameIs(name, L"size")) {
        POINT pt = attr.as_point();
        pm->SetInitSize(pm->GetDPIObj()->Scale(pt.x), pm->GetDPIObj()->Scale(pt.y));
    } else if (NameIs(name, L"sizebox")) {
        RECT rc = attr.as_rect();
        pm->SetSizeBox(rc);
    } else if (NameIs(name, L"caption")) {
        RECT rc = attr.as_rect();
        pm->SetCaptionRect(rc);
    } else if (NameIs(name, L"roundcorner")) {
        POINT pt = attr.as_point();
        pm->SetRoundCorner(pt.x, pt.y);
    } else if (NameIs(name, L"mininfo")) {
        POINT pt = attr.as_point();
        pm->SetMinInfo(pt.x, pt.y);
    } else if (NameIs(name, L"maxinfo")) {
        POINT pt = attr.as_point();
        pm->SetMaxInfo(pt.x, pt.y);
    } else if (NameIs(name, L"showdirty")) {
        pm->SetShowUpdateRect(attr.as_bool());
    } else if (NameIs(name, L"opacity") || NameIs(name, L"alpha")) {
        pm->SetOpacity(static_cast<BYTE>(attr.as_int()));
    } else if (wcscmp(name, L"layeredopacity") == 0) {
        pm->SetLayeredOpacity(static_cast<BYTE>(attr.as_int()));
    } else if (wcscmp(name, L"layered") == 0 || wcscmp(name, L"bktrans") == 0) {
        pm->SetLayered(attr.as_bool());
    } else if (wcscmp(name, L"layeredimage") == 0) {
        pm->SetLayered(true);
        pm->SetLayeredImage(attr.value());
    } else if (wcscmp(name, L"noactivate") == 0) {
        pm->SetNoActivate(attr.as_bool());
    } else if (NameIs(name, L"disabledfontcolor")) {
        pm->SetDefaultDisabledColor(attr.as_uicolor());
    } else if (NameIs(name, L"defaultfontcolor")) {
        pm->SetDefaultFontColor(attr.as_uicolor());
    } else if (NameIs(name, L"linkfontcolor")) {
        pm->SetDefaultLinkFontColor(attr.as_uicolor());
    } else if (NameIs(name, L"linkhoverfontcolor")) {
        pm->SetDefaultLinkHoverFontColor(attr.as_uicolor());
    } else if (NameIs(name, L"selectedcolor")) {
        pm->SetDefaultSelectedBkColor(attr.as_uicolor());
    } else if (NameIs(name, L"gdiplustext")) {
        pm->SetUseGdiplusText(attr.as_bool());
    } else if (NameIs(name, L"textrenderinghint")) {
        pm->SetGdiplusTextRenderingHint(attr.as_int());
    } else if (NameIs(name, L"tooltiphovertime")) {
        pm->SetHoverTime(attr.as_int());
    } else if (_wcsnicmp(name, L"shadow", 6) == 0 || NameIs(name, L"showshadow")) {
        ApplyShadowAttribute(pm->GetShadow(), name, attr);
    }
}

} // namespace

CDialogBuilder::CDialogBuilder() : m_pCallback(nullptr), m_instance(nullptr) {}

CDialogBuilder::~CDialogBuilder() = default;

PFN_DIALOGBUILDER_ERROR CDialogBuilder::SetErrorReporter(PFN_DIALOGBUILDER_ERROR pfnReporter)
{
    PFN_DIALOGBUILDER_ERROR previous = g_pfnReporter;
    g_pfnReporter = pfnReporter != nullptr ? pfnReporter : &ShowErrorBox;
    return previous;
}

CControlUI* CDialogBuilder::Create(STRINGorID xml, LPCTSTR type, IDialogBuilderCallback* pCallback,
                                   CPaintManagerUI* pManager, CControlUI* pParent)
{
    STRINGorID source = xml;
    if (!xml.IsId() && *xml.GetString() != L'<') {
        LPCTSTR mapped = CResourceManager::GetInstance()->GetXmlPath(xml.GetString());
        if (mapped != nullptr && *mapped != 0) source = STRINGorID(mapped);
    }
    m_pCallback = pCallback;
    if (!m_xml.load_source(source, type, m_instance)) return nullptr;
    // Includes of a document from a module resource name resources of its type.
    if (xml.IsId()) m_sResType = type;
    else m_sResType.Empty();

    CLangPackageUI* pPackage = nullptr;
    // Packages belong to markup loaded by name; literal markup text has none.
    if (pManager != nullptr && !xml.IsId() && *xml.GetString() != L'<' && pManager->GetLangManager() != nullptr) {
        pPackage = pManager->GetLangManager()->AddPackage(xml.GetString());
    }
    SourceScope scope(SourceKey(xml, type));
    return Create(pCallback, pManager, pParent, pPackage);
}

bool CDialogBuilder::Spend()
{
    BuildBudget& b = Budget();
    if (b.exhausted) return false;
    if (b.used < MAX_CONTROLS) {
        ++b.used;
        return true;
    }
    b.exhausted = true;
    CUIString text;
    text.Format(L"CDialogBuilder::_Parse Error\r\nThe markup asks for more than %d controls", MAX_CONTROLS);
    g_pfnReporter(text, L"Create Control Failed");
    return false;
}

CControlUI* CDialogBuilder::Create(IDialogBuilderCallback* pCallback, CPaintManagerUI* pManager,
                                   CControlUI* pParent, CLangPackageUI* pPackage)
{
    m_pCallback = pCallback;
    CXmlNodeUI root = m_xml.document_element();
    if (root.empty()) return nullptr;
    if (pManager != nullptr) {
        RegisterResources(root, pManager);
        if (NameIs(root.name(), L"Window") && pManager->GetPaintWindow() != nullptr &&
            !pManager->IsInitWindowParameter()) {
            ApplyWindowAttributes(root, pManager);
            pManager->SetInitWindowParameter(true);
        }
    }
    BudgetScope budget;
    CControlUI* pResult = _Parse(root, pParent, pManager, pPackage);
    if (budget.IsOutermost() && Budget().exhausted) {
        // A partial tree is no result; what went into a caller's parent stays the parent's.
        if (pParent == nullptr) delete pResult;
        return nullptr;
    }
    return pResult;
}

void CDialogBuilder::RegisterResources(const CXmlNodeUI& root, CPaintManagerUI* pm)
{
    for (CXmlNodeUI node = root.first_child(); !node.empty(); node = node.next_sibling()) {
        if (node.type() != node_element_ui) continue;
        LPCTSTR name = node.name();
        if (NameIs(name, L"Image")) {
            LPCTSTR image = node.attribute(L"name").as_string();
            LPCTSTR restype = node.attribute(L"restype").as_string();
            if (*image == 0) continue;
            pm->AddImage(image, *restype != 0 ? restype : nullptr, node.attribute(L"mask").as_uicolor(0), 0, 0, 0,
                         false, node.attribute(L"shared").as_bool());
        } else if (NameIs(name, L"Font")) {
            int id = node.attribute(L"id").as_int(-1);
            if (id < 0) continue;
            LPCTSTR face = node.attribute(L"name").as_string();
            int size = node.attribute(L"size").as_int(12);
            bool bold = node.attribute(L"bold").as_bool();
            bool underline = node.attribute(L"underline").as_bool();
            bool italic = node.attribute(L"italic").as_bool();
            bool shared = node.attribute(L"shared").as_bool();
            pm->AddFont(id, face, size, bold, underline, italic, shared);
            // The size is in design pixels: the manager scales it itself.
            if (node.attribute(L"default").as_bool()) pm->SetDefaultFont(face, size, bold, underline, italic, shared);
        } else if (NameIs(name, L"Default")) {
            LPCTSTR control = node.attribute(L"name").as_string();
            if (*control == 0) continue;
            pm->AddDefaultAttributeList(control, node.attribute(L"value").as_string(),
                                        node.attribute(L"shared").as_bool());
        } else if (NameIs(name, L"Style")) {
            LPCTSTR style = node.attribute(L"name").as_string();
            if (*style == 0) continue;
            pm->AddStyle(style, node.attribute(L"value").as_string(), node.attribute(L"shared").as_bool());
        } else if (NameIs(name, L"Import")) {
            LPCTSTR fontFile = node.attribute(L"fontfile").as_string();
            if (*fontFile != 0) pm->AddFontArray(fontFile);
        }
    }
}

void CDialogBuilder::ApplyWindowAttributes(const CXmlNodeUI& root, CPaintManagerUI* pm)
{
    for (CXmlAttributeUI attr = root.first_attribute(); !attr.empty(); attr = attr.next_attribute()) {
        ApplyWindowAttribute(pm, attr);
    }
}

void CDialogBuilder::ReportUnknown(CLangPackageUI* pPackage, LPCTSTR pstrElement)
{
    CUIString text;
    text.Format(L"CDialogBuilder::_Parse Error\r\nFile: %s\r\nControl: %s",
                pPackage != nullptr ? pPackage->GetSkinFile() : L"", pstrElement);
    g_pfnReporter(text, L"Create Control Failed");
}

void CDialogBuilder::ParseInclude(const CXmlNodeUI& node, CControlUI* pParent, CPaintManagerUI* pManager)
{
    CXmlAttributeUI source = node.attribute(L"source");
    if (source.empty()) return;
    int count = node.attribute(L"count").as_int(1);
    if (count < 1) return;
    bool byId = !m_sResType.IsEmpty();
    STRINGorID xml = byId ? STRINGorID(static_cast<UINT>(static_cast<WORD>(_wtoi(source.value()))))
                          : STRINGorID(source.value());
    std::wstring key = SourceKey(xml, byId ? m_sResType.GetData() : nullptr);
    if (IsInProgress(key) || SourcesInProgress().size() >= MAX_INCLUDE_NESTING) return;
    for (int i = 0; i < count && Spend(); ++i) {
        CDialogBuilder builder;
        builder.SetInstance(m_instance);
        CControlUI* pIncluded = byId ? builder.Create(xml, m_sResType, m_pCallback, pManager, pParent)
                                     : builder.Create(xml, nullptr, m_pCallback, pManager, pParent);
        // Under a parent the included controls are its children; without one nothing would own them.
        if (pParent == nullptr) delete pIncluded;
    }
}

CControlUI* CDialogBuilder::CreateByName(const CXmlNodeUI& node, LPCTSTR pstrClass)
{
    LPCTSTR element = node.name();
    CControlUI* pControl = CControlFactory::GetInstance()->CreateControl(pstrClass);
    if (pControl != nullptr) return pControl;
    CStdPtrArray* plugins = CPaintManagerUI::GetPlugins();
    for (int i = 0; plugins != nullptr && i < plugins->GetSize(); ++i) {
        LPCREATECONTROL create = reinterpret_cast<LPCREATECONTROL>(plugins->GetAt(i));
        if (create == nullptr) continue;
        pControl = create(element);
        if (pControl != nullptr) return pControl;
    }
    if (m_pCallback != nullptr) {
        pControl = m_pCallback->CreateControl(element);
        if (pControl != nullptr) return pControl;
    }
    if (UIDESIGNMODE || UIDESIGNPREVIEW) {
        CXmlAttributeUI basedFrom = node.attribute(L"custombasedfrom");
        if (!basedFrom.empty()) {
            CUIString cls;
            cls.Format(L"C%sUI", basedFrom.value());
            return CControlFactory::GetInstance()->CreateControl(cls);
        }
    }
    return nullptr;
}

void CDialogBuilder::ApplyAttributes(const CXmlNodeUI& node, CControlUI* pControl, CPaintManagerUI* pManager)
{
    if (pManager != nullptr) {
        pControl->SetManager(pManager, nullptr, false);
        LPCTSTR defaults = pManager->GetDefaultAttributeList(node.name());
        if (defaults != nullptr) pControl->ApplyAttributeList(defaults);
    }
    // The style goes first wherever it is written, so the element's own
    // attributes override it.
    CXmlAttributeUI style;
    for (CXmlAttributeUI attr = node.first_attribute(); !attr.empty(); attr = attr.next_attribute()) {
        if (NameIs(attr.name(), L"style")) {
            style = attr;
            break;
        }
    }
    if (!style.empty()) pControl->SetAttribute(L"style", style.value());
    for (CXmlAttributeUI attr = node.first_attribute(); !attr.empty(); attr = attr.next_attribute()) {
        if (NameIs(attr.name(), L"style")) continue;
        pControl->SetAttribute(attr.name(), attr.value());
    }
    if (pManager != nullptr) pControl->SetManager(nullptr, nullptr, false);
}

CControlUI* CDialogBuilder::_Parse(const CXmlNodeUI& parent, CControlUI* pParent, CPaintManagerUI* pManager,
                                   CLangPackageUI* pPackage, int nDepth)
{
    IContainerUI* pContainer = nullptr;
    bool askedContainer = false;
    CControlUI* pReturn = nullptr;
    for (CXmlNodeUI node = parent.first_child(); !node.empty(); node = node.next_sibling()) {
        if (node.type() != node_element_ui) continue;
        LPCTSTR element = node.name();
        if (IsRootOnlyElement(element)) continue;
        if (NameIs(element, L"Include")) {
            ParseInclude(node, pParent, pManager);
            continue;
        }
        if (!Spend()) break;
        CUIString cls;
        cls.Format(L"C%sUI", element);
        // Owned here until a parent container or the caller takes it; a control neither takes, such as a
        // later top-level control of a build without parent, which the caller cannot receive, ends with it.
        std::unique_ptr<CControlUI> pControl(CreateByName(node, cls));
        if (pControl == nullptr) {
            ReportUnknown(pPackage, element);
            continue;
        }
        pControl->SetExtraParent(pParent);
        if (pPackage != nullptr) pControl->SetSkinFile(pPackage->GetSkinFile());
        // Children are created and attached before the control itself.
        if (nDepth < MAX_NESTING && HasElementChild(node)) _Parse(node, pControl.get(), pManager, pPackage, nDepth + 1);

        CControlUI* pBuilt = pControl.get();
        // A container already in a window initialises what it adopts for good (the name enters the window's
        // table, the control binds to the window), so such a control is configured before it is added.
        const bool bLiveParent = pParent != nullptr && pParent->GetManager() != nullptr;
        if (bLiveParent) ApplyAttributes(node, pBuilt, pManager);
        if (pParent != nullptr) {
            if (!askedContainer) {
                pContainer = static_cast<IContainerUI*>(pParent->GetInterface(L"IContainer"));
                askedContainer = true;
            }
            if (pContainer == nullptr) return nullptr;
            if (!pContainer->Add(pBuilt)) continue;
            pControl.release();
        }
        if (!bLiveParent) ApplyAttributes(node, pBuilt, pManager);
        if (pReturn == nullptr) {
            pReturn = pBuilt;
            pControl.release();
        }
    }
    return pReturn;
}

} // namespace Veneer
