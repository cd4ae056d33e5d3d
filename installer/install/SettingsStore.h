#pragma once
// The settings the installer leaves for the product: "Configures.ini" on the system drive and the install
// folder in the registry. The installer never reads them back.
#include <string>

class CSettingsStore
{
public:
    // "<drive of systemDir>:\tarvix\Lumbra\Configures.ini" (for example D:\Windows\System32 gives
    // D:\tarvix\Lumbra\Configures.ini). Pure: creates nothing.
    static std::wstring ConfigIniPathForSystemDir(const wchar_t* systemDir);

    // The path above for this machine's system folder; makes sure its folder exists on every call (each level
    // made with the installer's protection when missing, a link in its place replaced: CSafeFolder).
    static std::wstring GetConfigIniPath();

    // "Platform"/"Platform" = "" (every start). Both writes go through a handle to the checked file, never by
    // name, and leave the file's permissions as they are.
    static void WritePlatformSetting();
    // "Language"/"LanguageType" = "1" (after a successful install).
    static void WriteLanguageSetting();

    // HKEY_LOCAL_MACHINE "Software\tarvix\Lumbra" value "Path" = installDir (32-bit registry view). The key is
    // the package's to create: when it is missing nothing is written. True when the value was written.
    static bool WriteInstallPath(const std::wstring& installDir);

    static const wchar_t* const kProductKey; // "Software\\tarvix\\Lumbra"
};
