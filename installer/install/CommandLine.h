#pragma once
// The installer's switches for administrators: "/S" installs without a window, "/D=<folder>" (the last
// switch; the rest of the line, spaces included, quotes optional) names the folder as the folder picker would,
// "/LOG=<file>" writes the support log there as well (and has the package write its own log beside it), "/?"
// asks for the usage. Case does not matter.
#include <string>

class CCommandLine
{
public:
    // `arguments`: the command line without the program (what wWinMain receives).
    static CCommandLine Parse(const wchar_t* arguments);

    bool IsValid() const { return m_strError.empty(); }
    // Why the line was refused, for the log ("" when valid).
    const std::wstring& GetError() const { return m_strError; }
    bool IsSilent() const { return m_bSilent; }
    bool WantsUsage() const { return m_bUsage; }
    bool HasSwitches() const { return m_bSilent || m_bUsage || !m_strFolder.empty() || !m_strLogFile.empty(); }
    const std::wstring& GetFolder() const { return m_strFolder; }
    const std::wstring& GetLogFile() const { return m_strLogFile; }
    // Where the package writes its own log: beside GetLogFile(), its name's extension replaced by
    // ".package.log" (C:\Logs\Lumbra.log gives C:\Logs\Lumbra.package.log); "" without /LOG=.
    std::wstring GetPackageLogFile() const;

    // The text of the usage box, in English or Simplified Chinese.
    static const wchar_t* UsageText(bool chinese);

private:
    bool Refuse(const std::wstring& why);

    bool m_bSilent = false;
    bool m_bUsage = false;
    std::wstring m_strFolder;
    std::wstring m_strLogFile;
    std::wstring m_strError;
};
