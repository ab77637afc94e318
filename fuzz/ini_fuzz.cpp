// The INI store over a file written from the input. Input: a byte that picks
// the section to delete, then the file's content up to the first zero byte,
// then the section, key and value of one write, separated by zero bytes.
//
// A write makes its value readable and changes no other key; deleting a
// section leaves every other section as it was. Keys are probed by the names
// that appear before an equals sign anywhere in the file.

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "settings/IniFile.h"

namespace {

constexpr size_t MAX_PROBES = 24;
constexpr size_t READ_BUFFER = 256;
constexpr const char* ABSENT =
    "\x01"
    "absent";

std::string g_path;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// What a stored value reads back as: blanks trimmed, one pair of quotes removed.
std::string AsRead(std::string_view value) {
  value = Trim(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value.substr(0, READ_BUFFER - 1));
}

using Probe = std::pair<std::string, std::string>;  // section, key

std::vector<Probe> Probes(const settings::IniFile& ini, std::string_view content) {
  std::vector<std::string> keys;
  size_t start = 0;
  while (start < content.size() && keys.size() < MAX_PROBES) {
    size_t end = content.find('\n', start);
    if (end == content.npos) end = content.size();
    const std::string_view line = content.substr(start, end - start);
    if (const size_t equals = line.find('='); equals != line.npos)
      keys.emplace_back(Trim(line.substr(0, equals)));
    start = end + 1;
  }
  std::vector<Probe> probes;
  for (const std::string& section : ini.SectionNames())
    for (const std::string& key : keys)
      if (probes.size() < MAX_PROBES * MAX_PROBES) probes.emplace_back(section, key);
  return probes;
}

std::vector<std::string> ReadAll(const settings::IniFile& ini, const std::vector<Probe>& probes) {
  std::vector<std::string> values;
  for (const auto& [section, key] : probes) {
    values.push_back(ini.Read(section, key, ABSENT, READ_BUFFER));
    fuzz::Require(values.back().size() < READ_BUFFER, "read longer than its buffer");
  }
  return values;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallFormattingSink();
  char pattern[] = "/tmp/orb-ini-fuzz-XXXXXX";
  if (!::mkdtemp(pattern)) fuzz::Fail("no temporary directory");
  g_path = std::string(pattern) + "/Remote.ini";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view all(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const size_t zero = all.find('\0', start);
    if (zero == all.npos) break;
    parts.push_back(all.substr(start, zero - start));
    start = zero + 1;
  }
  parts.push_back(all.substr(start));
  parts.resize(4);
  const std::string_view content = parts[0], section = parts[1], key = parts[2], value = parts[3];

  std::ofstream(g_path, std::ios::binary | std::ios::trunc).write(content.data(), content.size());
  settings::IniFile ini(g_path);
  const std::vector<std::string> sections = ini.SectionNames();
  const std::vector<Probe> probes = Probes(ini, content);
  const std::vector<std::string> before = ReadAll(ini, probes);

  if (ini.Write(section, key, value)) {
    fuzz::Require(ini.Read(section, key, ABSENT, READ_BUFFER) == AsRead(value),
                  "a written value does not read back");
    const std::vector<std::string> after = ReadAll(ini, probes);
    for (size_t i = 0; i < probes.size(); ++i)
      if (!(SameName(probes[i].first, section) && SameName(probes[i].second, key)))
        fuzz::Require(after[i] == before[i], "a write changed another key");
    const std::vector<std::string> now = ini.SectionNames();
    fuzz::Require(
        now.size() >= sections.size() && std::equal(sections.begin(), sections.end(), now.begin()),
        "a write lost or reordered a section");
  }

  if (sections.empty()) return 0;
  const std::string& doomed = sections[data[0] % sections.size()];
  const std::vector<std::string> kept = ReadAll(ini, probes);
  fuzz::Require(ini.DeleteSection(doomed), "a section could not be deleted");
  const std::vector<std::string> left = ReadAll(ini, probes);
  for (size_t i = 0; i < probes.size(); ++i) {
    if (SameName(probes[i].first, doomed))
      fuzz::Require(left[i] == ABSENT, "a deleted section's key still reads");
    else
      fuzz::Require(left[i] == kept[i], "deleting a section changed another");
  }
  ::unlink(g_path.c_str());
  return 0;
}
