#pragma once
// Names in settings (sections, keys, entries, trace categories) compare
// without regard to ASCII case, and values lose surrounding blanks.

#include <string>
#include <string_view>

namespace settings {

// Negative, zero or positive as a compares to b, ignoring ASCII case.
int CompareNoCase(std::string_view a, std::string_view b);
bool SameNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
std::string UpperCase(std::string_view text);
// Without the spaces and tabs at either end.
std::string_view TrimBlanks(std::string_view text);

}  // namespace settings
