#pragma once
// The change the installer makes to the product's settings file: one key of one section set, every other byte
// kept. The system's profile functions do the same, but only by file name, and in a folder other users may
// change a name is what cannot be trusted: the settings store writes through a handle it has checked instead.
#include <string>

class CIniText
{
public:
    // `bytes`: the file as stored, UTF-16 (little-endian, after its byte-order mark) or one byte per character
    // (then `section`, `key` and `value` must be ASCII). Sections and keys match ignoring case, as the profile
    // functions match them; a missing key ends its section, a missing section ends the file.
    static std::string SetValue(const std::string& bytes, const std::wstring& section, const std::wstring& key,
                                const std::wstring& value);
};
