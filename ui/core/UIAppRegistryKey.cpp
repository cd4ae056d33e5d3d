#include "ui/core/UIAppRegistryKey.h"

#include <memory>
#include <new>
#include <string.h>
#include <wchar.h>

namespace Veneer {

namespace {

const REGSAM kAppKeyAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;
const DWORD kIniBufferChars = 4096;

LPWSTR DuplicateString(LPCWSTR psz)
{
    if (psz == nullptr) return nullptr;
    size_t n = wcslen(psz) + 1;
    LPWSTR p = new (std::nothrow) wchar_t[n];
    if (p != nullptr) wmemcpy(p, psz, n);
    return p;
}

// Closes a registry key when it leaves scope.
class CRegKeyHolder
{
public:
    explicit CRegKeyHolder(HKEY hKey) : m_hKey(hKey) {}
    ~CRegKeyHolder() { if (m_hKey != nullptr) ::RegCloseKey(m_hKey); }
    HKEY Get() const { return m_hKey; }
    CRegKeyHolder(const CRegKeyHolder&) = delete;
    CRegKeyHolder& operator=(const CRegKeyHolder&) = delete;
private:
    HKEY m_hKey;
};

HKEY CreateSubKey(HKEY hParent, LPCWSTR pszName)
{
    HKEY hKey = nullptr;
    DWORD dwDisposition = 0;
    if (::RegCreateKeyExW(hParent, pszName, 0, nullptr, REG_OPTION_NON_VOLATILE, kAppKeyAccess, nullptr,
                          &hKey, &dwDisposition) != ERROR_SUCCESS)
        return nullptr;
    return hKey;
}

} // namespace

CUIAppRegistryKey::CUIAppRegistryKey()
    : m_pszRegistryKey(nullptr), m_pszProfileName(nullptr)
{
}

CUIAppRegistryKey::~CUIAppRegistryKey()
{
    delete[] m_pszRegistryKey;
    delete[] m_pszProfileName;
}

void CUIAppRegistryKey::SetRegistryKey(LPCWSTR lpszRegistryKey, LPCWSTR lpszAppName)
{
    delete[] m_pszRegistryKey;
    delete[] m_pszProfileName;
    m_pszRegistryKey = DuplicateString(lpszRegistryKey);
    m_pszProfileName = DuplicateString(lpszAppName);
}

HKEY CUIAppRegistryKey::GetAppRegistryKey()
{
    if (m_pszRegistryKey == nullptr || m_pszProfileName == nullptr) return nullptr;
    CRegKeyHolder software(CreateSubKey(HKEY_CURRENT_USER, L"software"));
    if (software.Get() == nullptr) return nullptr;
    CRegKeyHolder company(CreateSubKey(software.Get(), m_pszRegistryKey));
    if (company.Get() == nullptr) return nullptr;
    return CreateSubKey(company.Get(), m_pszProfileName);
}

HKEY CUIAppRegistryKey::GetSectionKey(LPCWSTR lpszSection)
{
    if (lpszSection == nullptr) return nullptr;
    CRegKeyHolder app(GetAppRegistryKey());
    if (app.Get() == nullptr) return nullptr;
    return CreateSubKey(app.Get(), lpszSection);
}

bool CUIAppRegistryKey::GetValue(LPCWSTR lpszSection, LPCWSTR lpszEntry, CUIString& sValue)
{
    if (lpszSection == nullptr || lpszEntry == nullptr) return false;
    if (IsRegistryMode()) {
        CRegKeyHolder key(GetSectionKey(lpszSection));
        if (key.Get() == nullptr) return false;
        DWORD dwType = 0;
        DWORD cbData = 0;
        if (::RegQueryValueExW(key.Get(), lpszEntry, nullptr, &dwType, nullptr, &cbData) != ERROR_SUCCESS)
            return false;
        if (dwType != REG_SZ && dwType != REG_EXPAND_SZ) return false;
        // Room for a terminator the stored data may lack.
        DWORD nChars = cbData / sizeof(wchar_t) + 1;
        std::unique_ptr<wchar_t[]> pBuf(new (std::nothrow) wchar_t[nChars]);
        if (!pBuf) return false;
        DWORD cbRead = cbData;
        if (::RegQueryValueExW(key.Get(), lpszEntry, nullptr, &dwType, reinterpret_cast<BYTE*>(pBuf.get()), &cbRead) != ERROR_SUCCESS)
            return false;
        DWORD nRead = cbRead / sizeof(wchar_t);
        if (nRead >= nChars) nRead = nChars - 1;
        pBuf[nRead] = L'\0';
        sValue = pBuf.get();
        return true;
    }
    if (m_pszProfileName == nullptr) return false;
    // A marker default tells "absent" apart from an empty value.
    static const wchar_t kAbsent[] = L"\x01\x02absent\x02\x01";
    std::unique_ptr<wchar_t[]> pBuf(new (std::nothrow) wchar_t[kIniBufferChars]);
    if (!pBuf) return false;
    ::GetPrivateProfileStringW(lpszSection, lpszEntry, kAbsent, pBuf.get(), kIniBufferChars, m_pszProfileName);
    if (wcscmp(pBuf.get(), kAbsent) == 0) return false;
    sValue = pBuf.get();
    return true;
}

bool CUIAppRegistryKey::GetValue(LPCWSTR lpszSection, LPCWSTR lpszEntry, DWORD& dwValue)
{
    if (lpszSection == nullptr || lpszEntry == nullptr) return false;
    if (IsRegistryMode()) {
        CRegKeyHolder key(GetSectionKey(lpszSection));
        if (key.Get() == nullptr) return false;
        DWORD dwType = 0;
        DWORD dwData = 0;
        DWORD cbData = sizeof(dwData);
        if (::RegQueryValueExW(key.Get(), lpszEntry, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwData), &cbData) != ERROR_SUCCESS)
            return false;
        if (dwType != REG_DWORD || cbData != sizeof(dwData)) return false;
        dwValue = dwData;
        return true;
    }
    CUIString sText;
    if (!GetValue(lpszSection, lpszEntry, sText)) return false;
    // Same reading as GetPrivateProfileIntW: leading decimal digits, optional sign.
    dwValue = static_cast<DWORD>(::GetPrivateProfileIntW(lpszSection, lpszEntry, 0, m_pszProfileName));
    return true;
}

bool CUIAppRegistryKey::SetValue(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue)
{
    if (lpszSection == nullptr) return false;
    if (IsRegistryMode()) {
        if (lpszEntry == nullptr) {
            CRegKeyHolder app(GetAppRegistryKey());
            if (app.Get() == nullptr) return false;
            return ::RegDeleteKeyW(app.Get(), lpszSection) == ERROR_SUCCESS;
        }
        CRegKeyHolder key(GetSectionKey(lpszSection));
        if (key.Get() == nullptr) return false;
        if (lpszValue == nullptr)
            return ::RegDeleteValueW(key.Get(), lpszEntry) == ERROR_SUCCESS;
        DWORD cb = static_cast<DWORD>((wcslen(lpszValue) + 1) * sizeof(wchar_t));
        return ::RegSetValueExW(key.Get(), lpszEntry, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpszValue), cb) == ERROR_SUCCESS;
    }
    if (m_pszProfileName == nullptr) return false;
    return ::WritePrivateProfileStringW(lpszSection, lpszEntry, lpszValue, m_pszProfileName) != FALSE;
}

bool CUIAppRegistryKey::SetValue(LPCWSTR lpszSection, LPCWSTR lpszEntry, DWORD dwValue)
{
    if (lpszSection == nullptr || lpszEntry == nullptr) return false;
    if (IsRegistryMode()) {
        CRegKeyHolder key(GetSectionKey(lpszSection));
        if (key.Get() == nullptr) return false;
        return ::RegSetValueExW(key.Get(), lpszEntry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                                sizeof(dwValue)) == ERROR_SUCCESS;
    }
    wchar_t szText[16];
    _snwprintf(szText, 16, L"%d", static_cast<int>(dwValue));
    szText[15] = L'\0';
    return SetValue(lpszSection, lpszEntry, szText);
}

UINT CUIAppRegistryKey::ReadInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault)
{
    if (!IsRegistryMode()) {
        if (m_pszProfileName == nullptr || lpszSection == nullptr || lpszEntry == nullptr)
            return static_cast<UINT>(nDefault);
        return ::GetPrivateProfileIntW(lpszSection, lpszEntry, nDefault, m_pszProfileName);
    }
    DWORD dwValue = 0;
    if (!GetValue(lpszSection, lpszEntry, dwValue)) return static_cast<UINT>(nDefault);
    return dwValue;
}

BOOL CUIAppRegistryKey::WriteInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue)
{
    return SetValue(lpszSection, lpszEntry, static_cast<DWORD>(nValue)) ? TRUE : FALSE;
}

CUIString CUIAppRegistryKey::ReadString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault)
{
    CUIString sValue;
    if (GetValue(lpszSection, lpszEntry, sValue)) return sValue;
    return CUIString(lpszDefault);
}

BOOL CUIAppRegistryKey::WriteString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue)
{
    return SetValue(lpszSection, lpszEntry, lpszValue) ? TRUE : FALSE;
}

BOOL CUIAppRegistryKey::ReadBinary(LPCWSTR lpszSection, LPCWSTR lpszEntry, BYTE** ppData, UINT* pBytes)
{
    if (ppData == nullptr || pBytes == nullptr) return FALSE;
    *ppData = nullptr;
    *pBytes = 0;
    if (lpszSection == nullptr || lpszEntry == nullptr) return FALSE;
    if (IsRegistryMode()) {
        CRegKeyHolder key(GetSectionKey(lpszSection));
        if (key.Get() == nullptr) return FALSE;
        DWORD dwType = 0;
        DWORD cbData = 0;
        if (::RegQueryValueExW(key.Get(), lpszEntry, nullptr, &dwType, nullptr, &cbData) != ERROR_SUCCESS)
            return FALSE;
        if (dwType != REG_BINARY) return FALSE;
        std::unique_ptr<BYTE[]> pData(new (std::nothrow) BYTE[cbData > 0 ? cbData : 1]);
        if (!pData) return FALSE;
        if (::RegQueryValueExW(key.Get(), lpszEntry, nullptr, &dwType, pData.get(), &cbData) != ERROR_SUCCESS)
            return FALSE;
        *ppData = pData.release();
        *pBytes = cbData;
        return TRUE;
    }
    // The INI form keeps bytes as pairs of letters 'A'..'P' (one per nibble).
    CUIString sText;
    if (!GetValue(lpszSection, lpszEntry, sText)) return FALSE;
    int nLen = sText.GetLength();
    if (nLen % 2 != 0) return FALSE;
    for (int i = 0; i < nLen; ++i) {
        wchar_t ch = sText.GetAt(i);
        if (ch < L'A' || ch > L'P') return FALSE;
    }
    UINT nBytes = static_cast<UINT>(nLen / 2);
    BYTE* pData = new (std::nothrow) BYTE[nBytes > 0 ? nBytes : 1];
    if (pData == nullptr) return FALSE;
    for (UINT i = 0; i < nBytes; ++i) {
        pData[i] = static_cast<BYTE>(((sText.GetAt(2 * i) - L'A') << 4) | (sText.GetAt(2 * i + 1) - L'A'));
    }
    *ppData = pData;
    *pBytes = nBytes;
    return TRUE;
}

BOOL CUIAppRegistryKey::WriteBinary(LPCWSTR lpszSection, LPCWSTR lpszEntry, const BYTE* pData, UINT nBytes)
{
    if (lpszSection == nullptr || lpszEntry == nullptr) return FALSE;
    if (pData == nullptr && nBytes != 0) return FALSE;
    if (IsRegistryMode()) {
        CRegKeyHolder key(GetSectionKey(lpszSection));
        if (key.Get() == nullptr) return FALSE;
        return ::RegSetValueExW(key.Get(), lpszEntry, 0, REG_BINARY, pData, nBytes) == ERROR_SUCCESS ? TRUE : FALSE;
    }
    std::unique_ptr<wchar_t[]> pText(new (std::nothrow) wchar_t[static_cast<size_t>(nBytes) * 2 + 1]);
    if (!pText) return FALSE;
    for (UINT i = 0; i < nBytes; ++i) {
        pText[2 * i] = static_cast<wchar_t>(L'A' + (pData[i] >> 4));
        pText[2 * i + 1] = static_cast<wchar_t>(L'A' + (pData[i] & 0x0F));
    }
    pText[static_cast<size_t>(nBytes) * 2] = L'\0';
    return SetValue(lpszSection, lpszEntry, pText.get()) ? TRUE : FALSE;
}

} // namespace Veneer
