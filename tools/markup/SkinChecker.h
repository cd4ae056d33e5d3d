#pragma once
// Reads a skin folder and reports what the window builder would silently get wrong.

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <pugixml.hpp>

namespace markup {

class SkinChecker
{
public:
    explicit SkinChecker(const std::filesystem::path& folder);

    // Checks every markup file and language package; the reports go to lines, errors first marked "error:".
    void Run();
    const std::vector<std::wstring>& GetReports() const { return m_reports; }
    int GetErrorCount() const { return m_nErrors; }

private:
    void CheckFile(const std::filesystem::path& file);
    void CheckElement(const std::wstring& where, std::set<int>& ids, const pugi::xml_node& node);
    void CheckControlAttribute(const std::wstring& where, std::set<int>& ids, const pugi::xml_node& node,
                               const pugi::xml_attribute& attr);
    void CheckImage(const std::wstring& where, const pugi::xml_attribute& attr);
    void CheckLanguages();
    bool Exists(const std::wstring& name) const;
    void Error(const std::wstring& text);
    void Warning(const std::wstring& text);

    std::filesystem::path m_folder;
    std::set<std::wstring> m_styles;
    // Language ids each markup file uses, by file stem (its package is Lang/<language>/<stem>.lng).
    std::map<std::wstring, std::set<int>> m_usedIds;
    std::vector<std::wstring> m_reports;
    int m_nErrors = 0;
};

} // namespace markup
