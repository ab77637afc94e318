#pragma once
// What the address book and the favourites book share: their entries are kept
// sorted by name without regard to case, live in INI sections named by a
// prefix and the entry's name, and report failures in their own wording.

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/TextError.h"
#include "settings/IniFile.h"
#include "settings/TextNoCase.h"

namespace settings {

// "WritePrivateProfileString failed: section, key, value" when the write fails.
void WriteOrThrow(IniFile& ini, std::string_view section, std::string_view key,
                  std::string_view value);
// The names of the sections that start with prefix, prefix included.
std::vector<std::string> SectionsWithPrefix(const IniFile& ini, std::string_view prefix);

// Where a new entry named name goes: before the first whose name compares
// greater, so equal names keep their order of insertion.
template <class Entry, class NameOf>
size_t SortedPosition(const std::vector<Entry>& entries, std::string_view name, NameOf nameOf) {
  const auto it = std::find_if(entries.begin(), entries.end(), [&](const Entry& entry) {
    return CompareNoCase(nameOf(entry), name) > 0;
  });
  return static_cast<size_t>(it - entries.begin());
}

// Runs body; a text failure leaves as prefix + its text, anything else as
// unknownText.
template <class Body>
decltype(auto) WrapBookErrors(std::string_view prefix, std::string_view unknownText, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (const TextError& e) {
    throw TextError(std::string(prefix) + e.Text());
  } catch (...) {
    throw TextError(std::string(unknownText));
  }
}

}  // namespace settings
