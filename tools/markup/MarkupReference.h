#pragma once
// Writes the markup reference (docs/markup.md) from the attribute tables.

#include <string>

namespace markup {

class MarkupReference
{
public:
    static std::string Markdown();
};

} // namespace markup
