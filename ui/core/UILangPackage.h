#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "ui/core/UIXmlNode.h"
#include "ui/support/StringOrId.h"
#include "ui/support/UIString.h"

namespace Veneer {

// The texts of one markup file in one language, keyed by the controls'
// resource ids: text, tooltip and tip value maps. The first entry for an id
// stays; an empty text is stored as empty (controls then keep their own).
class CLangPackageUI
{
public:
    CLangPackageUI();
    ~CLangPackageUI();
    CLangPackageUI(const CLangPackageUI&) = delete;
    CLangPackageUI& operator=(const CLangPackageUI&) = delete;

    LPCTSTR GetSkinFile() const { return m_sSkinFile; }
    void SetSkinFile(LPCTSTR pstrSkinFile) { m_sSkinFile = pstrSkinFile; }

    // The package file: an id reads the module resource, text beginning with
    // "<" is markup, anything else a file read through the resource location.
    // A missing or broken file leaves the package empty (false).
    bool LoadResource(STRINGorID xml, LPCTSTR type = nullptr);
    // Reads the "Text" children of the given document's "Language" element.
    bool LoadResource(const CXmlNodeUI& document);

    // 1 when added, 0 when the id already had an entry.
    int AddText(int id, LPCTSTR pstrText);
    int AddToolTip(int id, LPCTSTR pstrText);
    int AddTipValue(int id, LPCTSTR pstrText);
    // The text, or "" when the id has none.
    LPCTSTR GetText(int id) const;
    LPCTSTR GetToolTip(int id) const;
    LPCTSTR GetTipValue(int id) const;
    void ResetResource();

private:
    typedef std::map<int, std::wstring> TextMap;
    static int Add(TextMap& map, int id, LPCTSTR pstrText);
    static LPCTSTR Get(const TextMap& map, int id);

    CUIString m_sSkinFile;
    TextMap m_mTexts;
    TextMap m_mToolTips;
    TextMap m_mTipValues;
};

} // namespace Veneer
