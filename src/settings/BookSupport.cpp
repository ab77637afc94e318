#include "settings/BookSupport.h"

namespace settings {

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
