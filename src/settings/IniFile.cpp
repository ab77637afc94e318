#include "settings/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <optional>
#include <utility>

#include "settings/TextNoCase.h"

namespace settings {
namespace {

// Every store in the process shares one lock: several objects may name the
// same file, and a read must never meet a rewrite half done.
std::mutex& StoreLock() {
  static std::mutex lock;
  return lock;
}

using Lines = std::vector<std::string>;

// The section name of a header line "[name]", or nullopt for any other line.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = TrimBlanks(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  return TrimBlanks(line.substr(0, line.find(']')));
}

struct KeyLine {
  std::string_view key;
  std::string_view value;
};

// Key and raw value of a "key=value" line; nullopt for comments and lines
// without a key.
std::optional<KeyLine> KeyOf(std::string_view line) {
  const std::string_view trimmed = TrimBlanks(line);
  if (trimmed.empty() || trimmed.front() == ';') return std::nullopt;
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view key = TrimBlanks(line.substr(0, equals));
  if (key.empty()) return std::nullopt;
  return KeyLine{key, line.substr(equals + 1)};
}

std::string_view Unquote(std::string_view value) {
  value = TrimBlanks(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

std::string Cut(std::string_view value, size_t bufferSize) {
  if (bufferSize == 0) return {};
  return std::string(value.substr(0, bufferSize - 1));
}

// The file's lines without their ends (LF or CR LF); an absent file has none.
// nullopt when the file exists but cannot be read, so that a write never
// replaces content it could not see.
std::optional<Lines> Load(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return Lines{};
    return std::nullopt;
  }
  std::string content;
  char chunk[65536];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (got == 0) break;
    content.append(chunk, static_cast<size_t>(got));
  }
  ::close(fd);

  // Files saved by some editors start with a byte-order mark.
  if (content.starts_with("\xEF\xBB\xBF")) content.erase(0, 3);
  Lines lines;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    size_t stop = end;
    if (stop > start && content[stop - 1] == '\r') --stop;
    lines.emplace_back(content, start, stop - start);
    start = end + 1;
  }
  return lines;
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t wrote = ::write(fd, data.data() + done, data.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

// Writes the lines to a fresh file beside the target and renames it over the
// target, so a crash leaves either the old file or the new one, never a mix.
bool Save(const std::string& path, const Lines& lines) {
  std::string content;
  for (const std::string& line : lines) {
    content += line;
    content += "\r\n";
  }

  static std::atomic<unsigned> counter{0};
  const std::string temporary =
      path + ".~" + std::to_string(::getpid()) + "." + std::to_string(counter++);
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) ::fchmod(fd, existing.st_mode & 07777);
  const bool written = WriteAll(fd, content) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

// Names and values that would break the line structure (and so corrupt other
// keys when read back) are refused rather than written.
bool CanWrite(std::string_view section, std::string_view key, std::string_view value) {
  const std::string_view trimmedSection = TrimBlanks(section);
  const std::string_view trimmedKey = TrimBlanks(key);
  return !trimmedSection.empty() && !trimmedKey.empty() && !HasLineBreak(section) &&
         section.find(']') == section.npos && !HasLineBreak(key) && key.find('=') == key.npos &&
         trimmedKey.front() != ';' && trimmedKey.front() != '[' && !HasLineBreak(value);
}

// Index of the first line holding the key in any section of that name.
// Names are matched as they are stored: without surrounding blanks.
std::optional<size_t> FindKey(const Lines& lines, std::string_view section, std::string_view key) {
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  bool inSection = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (const auto name = SectionOf(lines[i])) {
      inSection = SameNoCase(*name, section);
    } else if (inSection) {
      const auto entry = KeyOf(lines[i]);
      if (entry && SameNoCase(entry->key, key)) return i;
    }
  }
  return std::nullopt;
}

// The line after the last non-blank line of the first section of that name.
std::optional<size_t> FindSectionEnd(const Lines& lines, std::string_view section) {
  section = TrimBlanks(section);
  std::optional<size_t> end;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (const auto name = SectionOf(lines[i])) {
      if (end) break;
      if (SameNoCase(*name, section)) end = i + 1;
    } else if (end && !TrimBlanks(lines[i]).empty()) {
      end = i + 1;
    }
  }
  return end;
}

}  // namespace

IniFile::IniFile(std::string path) : m_path(std::move(path)) {}

std::string IniFile::Read(std::string_view section, std::string_view key,
                          std::string_view defaultValue, size_t bufferSize) const {
  std::lock_guard lock(StoreLock());
  const std::optional<Lines> lines = Load(m_path);
  if (lines) {
    if (const auto index = FindKey(*lines, section, key)) {
      return Cut(Unquote(KeyOf((*lines)[*index])->value), bufferSize);
    }
  }
  return Cut(defaultValue, bufferSize);
}

std::vector<std::string> IniFile::SectionNames() const {
  std::lock_guard lock(StoreLock());
  std::vector<std::string> names;
  const std::optional<Lines> lines = Load(m_path);
  if (!lines) return names;
  for (const std::string& line : *lines) {
    const auto name = SectionOf(line);
    if (!name) continue;
    bool known = false;
    for (const std::string& seen : names) known = known || SameNoCase(seen, *name);
    if (!known) names.emplace_back(*name);
  }
  return names;
}

std::vector<std::pair<std::string, std::string>> IniFile::Entries(std::string_view section) const {
  std::lock_guard lock(StoreLock());
  std::vector<std::pair<std::string, std::string>> entries;
  const std::optional<Lines> lines = Load(m_path);
  if (!lines) return entries;
  section = TrimBlanks(section);
  bool inSection = false;
  for (const std::string& line : *lines) {
    if (const auto name = SectionOf(line)) {
      inSection = SameNoCase(*name, section);
      continue;
    }
    if (!inSection) continue;
    const auto entry = KeyOf(line);
    if (!entry) continue;
    bool known = false;
    for (const auto& seen : entries) known = known || SameNoCase(seen.first, entry->key);
    if (!known) entries.emplace_back(entry->key, Unquote(entry->value));
  }
  return entries;
}

bool IniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  if (!CanWrite(section, key, value)) return false;
  std::lock_guard lock(StoreLock());
  std::optional<Lines> lines = Load(m_path);
  if (!lines) return false;

  if (const auto index = FindKey(*lines, section, key)) {
    std::string& line = (*lines)[*index];
    line = std::string(KeyOf(line)->key) + "=" + std::string(value);
  } else if (const auto end = FindSectionEnd(*lines, section)) {
    lines->insert(lines->begin() + static_cast<std::ptrdiff_t>(*end),
                  std::string(TrimBlanks(key)) + "=" + std::string(value));
  } else {
    if (!lines->empty() && !TrimBlanks(lines->back()).empty()) lines->emplace_back();
    lines->push_back("[" + std::string(TrimBlanks(section)) + "]");
    lines->push_back(std::string(TrimBlanks(key)) + "=" + std::string(value));
  }
  return Save(m_path, *lines);
}

bool IniFile::DeleteSection(std::string_view section) {
  std::lock_guard lock(StoreLock());
  std::optional<Lines> lines = Load(m_path);
  if (!lines) return false;
  Lines kept;
  bool inSection = false;
  for (std::string& line : *lines) {
    if (const auto name = SectionOf(line)) inSection = SameNoCase(*name, TrimBlanks(section));
    if (!inSection) kept.push_back(std::move(line));
  }
  if (kept.size() == lines->size()) return true;
  return Save(m_path, kept);
}

}  // namespace settings
