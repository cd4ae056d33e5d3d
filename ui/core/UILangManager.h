#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/core/UIXmlNode.h"
#include "ui/support/StringOrId.h"
#include "ui/support/UIString.h"

namespace Veneer {

class CLangPackageUI;
class CPaintManagerUI;

// One entry of the language's string table ("StringTable.lng").
typedef struct tagStringTable
{
    int id;
    CUIString text1;
    CUIString text2;
} StringTable;

// The language packages of one paint manager, plus the process-wide choice
// of language (a folder relative to the resource location) and its string
// table. Packages are made per markup file the first time that file is built
// into the manager's window.
class CLangManagerUI
{
public:
    // pOwner: the paint manager whose controls show this manager's texts (none for a free-standing one).
    explicit CLangManagerUI(CPaintManagerUI* pOwner = nullptr);
    ~CLangManagerUI();
    CLangManagerUI(const CLangManagerUI&) = delete;
    CLangManagerUI& operator=(const CLangManagerUI&) = delete;

    // Sets the language folder (e.g. "Lang\\English") and short name, then
    // reloads the string table from that folder.
    static void SetLanguage(LPCTSTR pstrPath, LPCTSTR pstrName);
    static LPCTSTR GetLangPath();
    static LPCTSTR GetLangName();
    // text1 / text2 of the string-table entry, or "" (the default argument is
    // accepted for callers' convenience but never returned).
    static LPCTSTR GetString(int id, LPCTSTR pstrDefault = nullptr);
    static LPCTSTR GetStringExtra(int id, LPCTSTR pstrDefault = nullptr);

    // A new package for the skin file, or null when that name was added before.
    CLangPackageUI* AddPackage(LPCTSTR pstrSkinName);
    CLangPackageUI* GetPackage(LPCTSTR pstrSkinName) const;
    // Rebuilds every package of this manager from the current language folder; the owner's controls are
    // laid out and painted again with the new texts.
    void ReloadLanguage();

protected:
    friend class CPaintManagerUI;
    static bool LoadStringTable();
    static bool LoadStringTableResource(STRINGorID xml, LPCTSTR type = nullptr);
    static bool LoadStringTableResource(const CXmlNodeUI& document);
    static void ReleaseStringTable();

private:
    // "Lang\\English" + "MainFrame.xml" -> "Lang\\English\\MainFrame.lng".
    static CUIString PackageFileName(LPCTSTR pstrSkinName);
    CLangPackageUI* CreatePackage(LPCTSTR pstrSkinName);

    // The language chosen for the process, and its string table.
    static CUIString s_sLangPath;
    static CUIString s_sLangName;
    static std::map<int, tagStringTable> m_mStringTable;

    std::map<std::wstring, std::unique_ptr<CLangPackageUI>> m_mPackages;
    std::vector<std::wstring> m_aSkinNames;
    CPaintManagerUI* m_pOwner;
};

} // namespace Veneer
