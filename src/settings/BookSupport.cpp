#include "settings/BookSupport.h"

#include <cctype>

namespace settings {

int CompareNoCase(std::string_view a, std::string_view b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca - cb;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && CompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

void WriteOrThrow(IniFile& ini, std::string_view section, std::string_view key,
                  std::string_view value) {
  if (!ini.Write(section, key, value)) {
    std::string text = "WritePrivateProfileString failed: ";
    text.append(section).append(", ").append(key).append(", ").append(value);
    throw TextError(text);
  }
}

std::vector<std::string> SectionsWithPrefix(const IniFile& ini, std::string_view prefix) {
  std::vector<std::string> names = ini.SectionNames();
  std::erase_if(names, [&](const std::string& name) { return !StartsWithNoCase(name, prefix); });
  return names;
}

}  // namespace settings
