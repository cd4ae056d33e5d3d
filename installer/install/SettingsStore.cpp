#include "installer/install/SettingsStore.h"

#include "installer/install/DownloadFolder.h"
#include "installer/net/InstallLog.h"
#include "installer/net/TextConvert.h"

#include <windows.h>
#include <imagehlp.h>

#include <cstring>
#include <cwchar>

const wchar_t* const CSettingsStore::kProductKey = L"Software\\tarvix\\Lumbra";

namespace {

std::wstring VendorFolderForSystemDir(const wchar_t* systemDir)
{
    const wchar_t drive = (systemDir != nullptr && systemDir[0] != L'\0') ? systemDir[0] : L'C';
    return std::wstring(1, drive) + L":\\tarvix";
}

std::wstring ConfigFolderForSystemDir(const wchar_t* systemDir)
{
    return VendorFolderForSystemDir(systemDir) + L"\\Lumbra\\";
}

std::wstring SystemDirectory()
{
    wchar_t folder[260] = {};
    GetSystemDirectoryW(folder, 260);
    return folder;
}

// A tiny owner so the key is closed on every path.
class CRegKey
{
public:
    ~CRegKey()
    {
        if (m_hKey != nullptr)
            RegCloseKey(m_hKey);
    }
    HKEY* Receive() { return &m_hKey; }
    HKEY Get() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

} // namespace

std::wstring CSettingsStore::ConfigIniPathForSystemDir(const wchar_t* systemDir)
{
    return ConfigFolderForSystemDir(systemDir) + L"Configures.ini";
}

std::wstring CSettingsStore::GetConfigIniPath()
{
    const std::wstring system = SystemDirectory();
    // The settings folder sits in the system drive's download folder. Made here first (on every start), that
    // folder must get the same protection as when an install run makes it, not the drive root's open
    // permissions; the settings folder below inherits it (users may read, not change).
    CDownloadFolder::CreateProtected(VendorFolderForSystemDir(system.c_str()));
    char folder[260];
    WideToUtf8(folder, ConfigFolderForSystemDir(system.c_str()).c_str(), sizeof(folder));
    MakeSureDirectoryPathExists(folder);
    return ConfigIniPathForSystemDir(system.c_str());
}

void CSettingsStore::WritePlatformSetting()
{
    const std::wstring path = GetConfigIniPath();
    const BOOL ok = WritePrivateProfileStringW(L"Platform", L"Platform", L"", path.c_str());
    CInstallLog::Write(L"platform setting %ls in %ls", ok ? L"written" : L"not written", path.c_str());
}

void CSettingsStore::WriteLanguageSetting()
{
    const std::wstring path = GetConfigIniPath();
    const BOOL ok = WritePrivateProfileStringW(L"Language", L"LanguageType", L"1", path.c_str());
    CInstallLog::Write(L"language setting %ls in %ls", ok ? L"written" : L"not written", path.c_str());
}

bool CSettingsStore::WriteInstallPath(const std::wstring& installDir)
{
    REGSAM access = KEY_ALL_ACCESS;
#ifdef _WIN64
    access |= KEY_WOW64_32KEY; // the product is 32-bit: its key lives in the 32-bit view
#endif
    CRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, access, key.Receive()) != ERROR_SUCCESS) {
        CInstallLog::Write(L"registry key HKLM\\%ls missing: install path not recorded", kProductKey);
        return false;
    }
    // The product reads the whole 260-character buffer: the text, zero-filled after it.
    wchar_t buffer[260] = {};
    const size_t count = installDir.size() < 259 ? installDir.size() : 259;
    std::memcpy(buffer, installDir.data(), count * sizeof(wchar_t));
    const LONG status = RegSetValueExW(key.Get(), L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(buffer),
                                       sizeof(buffer));
    CInstallLog::Write(L"registry Path %ls: %ls", status == ERROR_SUCCESS ? L"written" : L"not written",
                       installDir.c_str());
    return status == ERROR_SUCCESS;
}
