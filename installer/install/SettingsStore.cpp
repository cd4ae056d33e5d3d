#include "installer/install/SettingsStore.h"

#include "installer/install/IniText.h"
#include "installer/install/SafeFolder.h"
#include "installer/net/InstallLog.h"

#include <cstring>

const wchar_t* const CSettingsStore::kProductKey = L"Software\\tarvix\\Lumbra";

namespace {

const wchar_t kConfigLevels[] = L"tarvix\\Lumbra";
const wchar_t kConfigName[] = L"Configures.ini";

std::wstring DriveRootForSystemDir(const wchar_t* systemDir)
{
    const wchar_t drive = (systemDir != nullptr && systemDir[0] != L'\0') ? systemDir[0] : L'C';
    return std::wstring(1, drive) + L":\\";
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

// The settings folder, level by level from the drive root. Anybody may make C:\tarvix and put a link at
// C:\tarvix\Lumbra that leads where only administrators may write: such a link is replaced by a folder of the
// installer's own, and the folders stay held while the file is written.
bool OpenConfigFolder(CSafeFolder& folder)
{
    const std::wstring root = DriveRootForSystemDir(SystemDirectory().c_str());
    std::wstring why;
    const bool opened = folder.Open(root, kConfigLevels, &why);
    for (const std::wstring& note : folder.GetNotes())
        CInstallLog::WriteLine(L"settings folder: " + note);
    if (!opened)
        CInstallLog::Write(L"settings folder %ls%ls not used: %ls", root.c_str(), kConfigLevels, why.c_str());
    return opened;
}

// The whole file; false for one no settings file would be (over 1 MiB) or one that cannot be read.
bool ReadAll(HANDLE file, std::string* bytes)
{
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > 1024 * 1024)
        return false;
    bytes->resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    return bytes->empty() || (ReadFile(file, &(*bytes)[0], static_cast<DWORD>(bytes->size()), &got, nullptr) &&
                              got == bytes->size());
}

// Through the checked handle, not by name: the product (as the user) may be allowed to change the file and
// the folder it is in, but no name it puts there can send this write anywhere else. The file's own
// permissions are left as they are.
bool WriteSetting(const wchar_t* section, const wchar_t* key, const wchar_t* value)
{
    CSafeFolder folder;
    if (!OpenConfigFolder(folder))
        return false;
    const size_t told = folder.GetNotes().size();
    std::wstring why = L"it cannot be read";
    CWinHandle file = folder.OpenFile(kConfigName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, true, &why);
    for (size_t i = told; i < folder.GetNotes().size(); ++i)
        CInstallLog::WriteLine(L"settings file: " + folder.GetNotes()[i]);
    std::string bytes;
    if (!file.IsValid() || !ReadAll(file.Get(), &bytes)) {
        CInstallLog::Write(L"settings file not written: %ls", why.c_str());
        return false;
    }
    const std::string text = CIniText::SetValue(bytes, section, key, value);
    DWORD done = 0;
    LARGE_INTEGER start = {};
    return SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN) &&
           WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr) &&
           done == text.size() && SetEndOfFile(file.Get());
}

} // namespace

std::wstring CSettingsStore::ConfigIniPathForSystemDir(const wchar_t* systemDir)
{
    return DriveRootForSystemDir(systemDir) + kConfigLevels + L"\\" + kConfigName;
}

std::wstring CSettingsStore::GetConfigIniPath()
{
    // The folder sits in the system drive's download folder: made here first (on every start), that folder
    // gets the same protection as when an install run makes it, not the drive root's open permissions.
    CSafeFolder folder;
    OpenConfigFolder(folder);
    return ConfigIniPathForSystemDir(SystemDirectory().c_str());
}

void CSettingsStore::WritePlatformSetting()
{
    const bool ok = WriteSetting(L"Platform", L"Platform", L"");
    CInstallLog::Write(L"platform setting %ls in %ls", ok ? L"written" : L"not written",
                       ConfigIniPathForSystemDir(SystemDirectory().c_str()).c_str());
}

void CSettingsStore::WriteLanguageSetting()
{
    const bool ok = WriteSetting(L"Language", L"LanguageType", L"1");
    CInstallLog::Write(L"language setting %ls in %ls", ok ? L"written" : L"not written",
                       ConfigIniPathForSystemDir(SystemDirectory().c_str()).c_str());
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
