#pragma once
// The private-profile store: a classic INI file read and written one key at a
// time. Every operation opens, reads or rewrites, and closes the file by
// itself under one process-wide lock; writes replace the file atomically.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace settings {

class IniFile {
 public:
  explicit IniFile(std::string path);
  const std::string& Path() const { return m_path; }

  // The stored value (blanks trimmed, surrounding quotes removed), or the default
  // when the key or the section is absent; cut to bufferSize - 1 characters.
  std::string Read(std::string_view section, std::string_view key, std::string_view defaultValue,
                   size_t bufferSize) const;
  // Every section name, in file order.
  std::vector<std::string> SectionNames() const;
  // The keys of the section with their values (as Read gives them), in file
  // order; a key written twice counts once, with its first value.
  std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;
  // Creates the file, section or key as needed; false when the file cannot be written.
  bool Write(std::string_view section, std::string_view key, std::string_view value);
  // Removes the section with all its keys; false when the file cannot be written.
  bool DeleteSection(std::string_view section);

 private:
  std::string m_path;
};

}  // namespace settings
