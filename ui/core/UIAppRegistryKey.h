#pragma once

#include <windows.h>
#include "ui/support/UIString.h"

namespace Veneer {

// Small profile store of the application object. Two modes:
// - registry: a company key is set; values live under
//   HKEY_CURRENT_USER\software\<company>\<application>\<section>;
// - INI file: no company key; the profile name is the path of the INI file.
// Reads fall back to the caller's default on any failure; writes return FALSE
// when nothing could be stored.
class CUIAppRegistryKey
{
public:
    CUIAppRegistryKey();
    virtual ~CUIAppRegistryKey();

    virtual UINT ReadInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault);
    virtual BOOL WriteInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue);
    virtual CUIString ReadString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault);
    // A null value deletes the entry; a null entry deletes the whole section.
    virtual BOOL WriteString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue);
    // On success *ppData receives a buffer allocated with new[] that the caller
    // releases with delete[]; *pBytes its size. On failure *ppData is null.
    virtual BOOL ReadBinary(LPCWSTR lpszSection, LPCWSTR lpszEntry, BYTE** ppData, UINT* pBytes);
    virtual BOOL WriteBinary(LPCWSTR lpszSection, LPCWSTR lpszEntry, const BYTE* pData, UINT nBytes);

    // Raw accessors behind the operations above, in whichever mode is active.
    // They report success instead of substituting a default.
    virtual bool GetValue(LPCWSTR lpszSection, LPCWSTR lpszEntry, CUIString& sValue);
    virtual bool GetValue(LPCWSTR lpszSection, LPCWSTR lpszEntry, DWORD& dwValue);
    virtual bool SetValue(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue);
    virtual bool SetValue(LPCWSTR lpszSection, LPCWSTR lpszEntry, DWORD dwValue);

    // Replaces both strings (either may be null). A null company selects the
    // INI-file mode with lpszAppName as the file path.
    void SetRegistryKey(LPCWSTR lpszRegistryKey, LPCWSTR lpszAppName);
    LPCWSTR GetRegistryKey() const { return m_pszRegistryKey; }
    LPCWSTR GetProfileName() const { return m_pszProfileName; }
    bool IsRegistryMode() const { return m_pszRegistryKey != nullptr; }

    CUIAppRegistryKey(const CUIAppRegistryKey&) = delete;
    CUIAppRegistryKey& operator=(const CUIAppRegistryKey&) = delete;

protected:
    // Opens (creating on demand) the application key, or the section below
    // it. The caller closes the returned key; null on failure.
    HKEY GetAppRegistryKey();
    HKEY GetSectionKey(LPCWSTR lpszSection);

    LPWSTR m_pszRegistryKey;
    LPWSTR m_pszProfileName;
};

} // namespace Veneer
