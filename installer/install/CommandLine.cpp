#include "installer/install/CommandLine.h"

#include <cwchar>
#include <cwctype>
#include <vector>

namespace {

struct Token
{
    std::wstring text; // quotes removed
    size_t start;      // where it begins in the line
};

std::vector<Token> Tokenise(const std::wstring& line)
{
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == L' ' || line[i] == L'\t'))
            ++i;
        if (i >= line.size())
            break;
        Token token{std::wstring(), i};
        bool quoted = false;
        for (; i < line.size() && (quoted || (line[i] != L' ' && line[i] != L'\t')); ++i) {
            if (line[i] == L'"')
                quoted = !quoted;
            else
                token.text += line[i];
        }
        tokens.push_back(token);
    }
    return tokens;
}

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix)
{
    const size_t length = wcslen(prefix);
    return text.size() >= length && _wcsnicmp(text.c_str(), prefix, length) == 0;
}

std::wstring Unquoted(std::wstring text)
{
    std::wstring out;
    for (wchar_t c : text)
        if (c != L'"')
            out += c;
    const size_t last = out.find_last_not_of(L" \t");
    return last == std::wstring::npos ? std::wstring() : out.substr(0, last + 1);
}

// "C:\..." or "\\server\share...": a folder the package can be given as it is, wherever it is started from.
// Not a device ("\\.\pipe", "\\?\...").
bool IsAbsolute(const std::wstring& path)
{
    const bool drive = path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    const bool unc = path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'.' && path[2] != L'?';
    return drive || unc;
}

// Characters no file or folder name can hold; a colon only after the drive letter.
bool HasForbiddenCharacters(const std::wstring& path)
{
    for (size_t i = 0; i < path.size(); ++i) {
        const wchar_t c = path[i];
        if (c < L' ' || wcschr(L"<>|?*", c) != nullptr || (c == L':' && i != 1))
            return true;
    }
    return false;
}

// Both paths end up in the package's command line, with the file names added to them: kept well inside it.
const size_t kLongestFolder = 200;
const size_t kLongestLogFile = 240;

} // namespace

bool CCommandLine::Refuse(const std::wstring& why)
{
    if (m_strError.empty())
        m_strError = why;
    return false;
}

CCommandLine CCommandLine::Parse(const wchar_t* arguments)
{
    CCommandLine parsed;
    const std::wstring line = arguments != nullptr ? arguments : L"";
    for (const Token& token : Tokenise(line)) {
        if (StartsWithNoCase(token.text, L"/D=")) {
            // The rest of the line is the folder: it may hold spaces without quotes.
            parsed.m_strFolder = Unquoted(line.substr(line.find(L'=', token.start) + 1));
            if (!IsAbsolute(parsed.m_strFolder))
                parsed.Refuse(L"/D= needs a full path such as C:\\Programs");
            if (parsed.m_strFolder.size() > kLongestFolder)
                parsed.Refuse(L"/D= folder too long");
            if (HasForbiddenCharacters(parsed.m_strFolder))
                parsed.Refuse(L"/D= folder holds characters no folder name can have");
            break;
        }
        if (_wcsicmp(token.text.c_str(), L"/S") == 0)
            parsed.m_bSilent = true;
        else if (token.text == L"/?")
            parsed.m_bUsage = true;
        else if (StartsWithNoCase(token.text, L"/LOG=")) {
            parsed.m_strLogFile = token.text.substr(5);
            if (!IsAbsolute(parsed.m_strLogFile))
                parsed.Refuse(L"/LOG= needs a full path such as C:\\Logs\\Lumbra.log");
            if (parsed.m_strLogFile.size() > kLongestLogFile)
                parsed.Refuse(L"/LOG= path too long");
            if (HasForbiddenCharacters(parsed.m_strLogFile))
                parsed.Refuse(L"/LOG= path holds characters no file name can have");
        } else
            parsed.Refuse(L"unknown switch " + token.text);
    }
    if (parsed.IsValid() && !parsed.m_bSilent && !parsed.m_strFolder.empty())
        parsed.Refuse(L"/D= is only taken with /S");
    return parsed;
}

std::wstring CCommandLine::GetPackageLogFile() const
{
    if (m_strLogFile.empty())
        return std::wstring();
    const size_t name = m_strLogFile.find_last_of(L"\\/");
    const size_t dot = m_strLogFile.find_last_of(L'.');
    const bool hasExtension = dot != std::wstring::npos && (name == std::wstring::npos || dot > name + 1);
    return m_strLogFile.substr(0, hasExtension ? dot : std::wstring::npos) + L".package.log";
}

const wchar_t* CCommandLine::UsageText(bool chinese)
{
    if (chinese)
        return L"Pavonel.exe [/S] [/LOG=<文件>] [/D=<文件夹>]\n\n"
               L"/S\t无界面安装（与点击“立即安装”相同）\n"
               L"/LOG=<文件>\t同时把日志写到该文件\n"
               L"/D=<文件夹>\t安装到该文件夹（必须放在最后，可含空格）\n"
               L"/?\t显示本说明\n\n"
               L"退出码：0 已安装，3010 已安装、需要重启，1602 已取消，1603 安装失败，1618 已有安装程序在运行，"
               L"1639 命令行无效";
    return L"Pavonel.exe [/S] [/LOG=<file>] [/D=<folder>]\n\n"
           L"/S\tinstall without a window (as a click on Install Now)\n"
           L"/LOG=<file>\twrite the support log to this file as well\n"
           L"/D=<folder>\tinstall into this folder (last switch; spaces allowed)\n"
           L"/?\tshow this text\n\n"
           L"Exit codes: 0 installed, 3010 installed (restart needed), 1602 cancelled, 1603 failed, "
           L"1618 another installer is running, 1639 invalid command line";
}
