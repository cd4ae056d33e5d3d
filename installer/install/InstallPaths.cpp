#include "installer/install/InstallPaths.h"

#include <windows.h>
#include <shlobj.h>

#include <cwctype>

const wchar_t* const CInstallPaths::kPackageFileName = L"CORVEX_Online.exe";
const wchar_t* const CInstallPaths::kProductMarker = L"Lumbra";
const wchar_t* const CInstallPaths::kPrivateFolder = L"Tarvix\\Pavonel";

namespace {

bool StartsWithDriveLetter(const std::wstring& folder)
{
    return folder.size() >= 2 && folder[1] == L':' &&
           ((folder[0] >= L'A' && folder[0] <= L'Z') || (folder[0] >= L'a' && folder[0] <= L'z'));
}

// A desktop redirected to a share (\\server\share\Desktop) or one the shell cannot name has no drive of its
// own: the folders then go on the system drive.
wchar_t DriveLetterOf(const std::wstring& folder)
{
    if (StartsWithDriveLetter(folder))
        return static_cast<wchar_t>(towupper(folder[0]));
    wchar_t system[260] = {};
    GetSystemDirectoryW(system, 260);
    return system[0] != L'\0' ? system[0] : L'C';
}

const size_t kLongestInstallDir = 259;

std::wstring Limit(std::wstring text)
{
    if (text.size() > kLongestInstallDir)
        text.resize(kLongestInstallDir);
    return text;
}

// A picked drive root ("D:\\") already ends in a backslash: do not double it.
std::wstring UncutInstallDir(const std::wstring& chosenText)
{
    std::wstring folder = chosenText;
    while (folder.size() > 1 && folder.back() == L'\\')
        folder.pop_back();
    if (folder.find(CInstallPaths::kProductMarker) != std::wstring::npos)
        return folder + L"\\";
    return folder + L"\\Lumbra\\";
}

} // namespace

std::wstring CInstallPaths::GetDesktopDir()
{
    wchar_t desktop[260] = {};
    if (!SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE))
        return std::wstring();
    return desktop;
}

std::wstring CInstallPaths::GetProgramDataDir()
{
    wchar_t programData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, programData)))
        return std::wstring();
    return programData;
}

std::wstring CInstallPaths::DownloadFolderFor(const std::wstring& desktopDir)
{
    return std::wstring(1, DriveLetterOf(desktopDir)) + L":\\tarvix";
}

std::wstring CInstallPaths::DefaultInstallDirFor(const std::wstring& desktopDir)
{
    return std::wstring(1, DriveLetterOf(desktopDir)) + L":\\Program Files (x86)\\tarvix\\Lumbra\\";
}

std::wstring CInstallPaths::DeriveInstallDir(const std::wstring& desktopDir, bool hasChosenText,
                                             const std::wstring& chosenText)
{
    // An empty text would give "\Lumbra\" relative to the current drive: keep the default then.
    if (!hasChosenText || chosenText.empty())
        return Limit(DefaultInstallDirFor(desktopDir));
    return Limit(UncutInstallDir(chosenText));
}

bool CInstallPaths::FitsInstallDir(const std::wstring& folder)
{
    return UncutInstallDir(folder).size() <= kLongestInstallDir;
}
