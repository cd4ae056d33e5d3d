#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "ui/core/UIXmlDocument.h"
#include "ui/support/StringOrId.h"
#include "ui/support/UIString.h"

namespace Veneer {

// Asked for texts the resource table does not hold (by id and type).
class IQueryControlText
{
public:
    virtual ~IQueryControlText() = default;
    // The text, or null when there is none.
    virtual LPCWSTR QueryControlText(LPCWSTR lpstrId, LPCWSTR lpstrType) = 0;
};

// The process-wide table that maps resource ids to image and markup paths
// and to texts, plus the whole-file readers every UI file goes through.
class CResourceManager
{
public:
    static CResourceManager* GetInstance();
    // Frees the instance; the next GetInstance makes a fresh one.
    void Release();

    // The index document: an id reads the module resource (type given), text
    // beginning with "<" is markup, anything else a file name.
    bool LoadResource(STRINGorID xml, LPCTSTR type = nullptr);
    // Walks the "Res" child of the given node.
    bool LoadResource(const CXmlNodeUI& root);
    void ResetResourceMap();
    LPCTSTR GetImagePath(LPCTSTR lpstrId) const;   // null when unmapped
    LPCTSTR GetXmlPath(LPCTSTR lpstrId) const;     // null when unmapped

    void SetLanguage(LPCTSTR pstrLanguage) { m_sLanguage = pstrLanguage; }
    LPCTSTR GetLanguage() const { return m_sLanguage; }
    // Text entries of a language file (file name or markup text).
    bool LoadLanguage(LPCTSTR pstrXml);

    void SetTextQueryInterface(IQueryControlText* pInterface) { m_pQuerypInterface = pInterface; }
    // Empty for no id; the mapped text; else the query interface's answer
    // (remembered, empty when it has none); without one, the id itself.
    LPCTSTR GetText(LPCTSTR lpstrId, LPCTSTR lpstrType = nullptr);
    void ReloadText();
    void ResetTextMap();

    // ---- whole-file readers ---------------------------------------------------
    enum ReadStatus
    {
        ReadOk,
        ReadOpenFailed,      // "Error opening file"
        ReadEmpty,           // "File is empty"
        ReadTooLarge,        // "File too large"
        ReadShort,           // "Could not read file"
        ReadZipOpenFailed,   // "Error opening zip file"
        ReadNotInZip,        // "Could not find ziped file"
        ReadUnzipFailed      // "Could not unzip file"
    };
    static const DWORD kMaxMarkupSize = 4 * 1024 * 1024;   // 4 MiB accepted, one byte more refused
    static LPCTSTR GetReadStatusText(ReadStatus status);
    // Reads a file named relative to the resource location: the resource
    // folder, or the resource zip when one is set (backslashes become "/",
    // the entry is found ignoring case). nMaxSize 0 means no limit. A name
    // never leaves the skin: in a folder, a name with a drive or a ".." step
    // is refused, and so is every name when the folder is not a full path.
    static ReadStatus ReadResourceFile(LPCTSTR pstrName, DWORD nMaxSize, std::vector<BYTE>& data);
    // "X:\..." or "\\server\..." (either slash): a path that does not depend on
    // the current drive or directory.
    static bool IsFullPath(LPCTSTR path);
    // Where the resource archive file is: its name as it stands when that is
    // a full path, else the name joined to the resource folder when that is
    // one, else "" (no archive).
    static CUIString GetArchivePath();
    // Reads a file named by a full path; a relative name (which would be
    // found in the working directory) reads nothing. Nothing (false) on any
    // failure or short read.
    static bool ReadPlainFile(LPCTSTR pstrPath, DWORD nMaxSize, std::vector<BYTE>& data);
    // Locates a module resource; the bytes stay owned by the module.
    static bool FindModuleResource(STRINGorID res, LPCTSTR type, HINSTANCE instance, const BYTE** ppData,
                                   DWORD* pSize);

private:
    CResourceManager() = default;
    ~CResourceManager() = default;
    CResourceManager(const CResourceManager&) = delete;
    CResourceManager& operator=(const CResourceManager&) = delete;

    CXmlDocumentUI m_xml;
    std::map<std::wstring, std::wstring> m_mImageHashMap;
    std::map<std::wstring, std::wstring> m_mXmlHashMap;
    std::map<std::wstring, std::wstring> m_mTextResourceHashMap;
    IQueryControlText* m_pQuerypInterface = nullptr;
    CUIString m_sLanguage;
};

} // namespace Veneer
