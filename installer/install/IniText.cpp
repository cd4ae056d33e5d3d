#include "installer/install/IniText.h"

#include <windows.h>

namespace {

const std::string kByteOrderMark = "\xFF\xFE";

bool SameText(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

std::wstring Trim(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L" \t\r");
    if (first == std::wstring::npos)
        return std::wstring();
    return text.substr(first, text.find_last_not_of(L" \t\r") - first + 1);
}

std::wstring Decode(const std::string& bytes, bool wide)
{
    std::wstring text;
    if (wide) {
        for (size_t i = kByteOrderMark.size(); i + 1 < bytes.size(); i += 2)
            text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8));
    } else {
        for (char c : bytes)
            text += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return text;
}

std::string Encode(const std::wstring& text, bool wide)
{
    std::string bytes = wide ? kByteOrderMark : std::string();
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        if (wide)
            bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

std::wstring SetIn(std::wstring text, const std::wstring& section, const std::wstring& key, const std::wstring& value)
{
    const std::wstring entry = key + L"=" + value;
    size_t insertAt = std::wstring::npos; // after the section's last entry, while inside it
    bool inside = false;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find(L'\n', at);
        const size_t next = (end == std::wstring::npos) ? text.size() : end + 1;
        const std::wstring raw = text.substr(at, (end == std::wstring::npos ? text.size() : end) - at);
        const size_t keep = raw.size() - ((!raw.empty() && raw.back() == L'\r') ? 1 : 0);
        const std::wstring line = Trim(raw);
        if (!line.empty() && line[0] == L'[') {
            if (inside)
                break;
            const size_t close = line.find(L']');
            inside = SameText(Trim(line.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1)),
                              section);
            insertAt = inside ? next : insertAt;
        } else if (inside && !line.empty()) {
            const size_t equals = line.find(L'=');
            if (equals != std::wstring::npos && SameText(Trim(line.substr(0, equals)), key))
                return text.replace(at, keep, entry);
            insertAt = next;
        }
        at = next;
    }
    if (insertAt == std::wstring::npos) {
        if (!text.empty() && text.back() != L'\n')
            text += L"\r\n";
        return text + L"[" + section + L"]\r\n" + entry + L"\r\n";
    }
    const bool lineEnded = insertAt == 0 || text[insertAt - 1] == L'\n';
    return text.insert(insertAt, (lineEnded ? L"" : L"\r\n") + entry + L"\r\n");
}

} // namespace

std::string CIniText::SetValue(const std::string& bytes, const std::wstring& section, const std::wstring& key,
                               const std::wstring& value)
{
    const bool wide = bytes.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0;
    return Encode(SetIn(Decode(bytes, wide), section, key, value), wide);
}
