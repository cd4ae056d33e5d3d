#pragma once
// Where the package is downloaded and where the product goes.
#include <string>

class CInstallPaths
{
public:
    static const wchar_t* const kPackageFileName; // "CORVEX_Online.exe"
    static const wchar_t* const kProductMarker;   // "Lumbra"
    // Below the machine's program data: where the installer keeps what needs a folder of its own (private
    // download folders, the support log when the temporary folder is not safe to write).
    static const wchar_t* const kPrivateFolder;   // "Tarvix\\Pavonel"

    // The user's desktop folder ("" when the shell cannot say).
    static std::wstring GetDesktopDir();
    // The machine's program data folder, as the system records it ("" when unknown).
    static std::wstring GetProgramDataDir();

    // Drive letter of `desktopDir` (upper case; the system drive when it does not start with a drive letter and
    // a colon, as an empty or network path does) followed by ":\tarvix".
    static std::wstring DownloadFolderFor(const std::wstring& desktopDir);
    // The same drive followed by ":\Program Files (x86)\tarvix\Lumbra\".
    static std::wstring DefaultInstallDirFor(const std::wstring& desktopDir);

    // The folder handed to the package, always ending in a backslash: the chosen text followed by "\" when it
    // already names the product folder (case-sensitive "Lumbra"), else followed by "\Lumbra\"; without a
    // chosen text, the default folder. At most 259 characters.
    static std::wstring DeriveInstallDir(const std::wstring& desktopDir, bool hasChosenText,
                                         const std::wstring& chosenText);
    // The folder derived from the chosen `folder` fits those 259 characters, so that nothing is cut from it.
    static bool FitsInstallDir(const std::wstring& folder);
};
