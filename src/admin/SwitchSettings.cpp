#include "admin/SwitchSettings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "admin/SwitchKeyCodes.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/PacketTypes.h"
#include "settings/TextNoCase.h"

namespace admin {
namespace {

constexpr int LOAD_GRID_CATEGORY = 2210;
constexpr int HEADER_LINES = 5;
constexpr size_t MAX_DETAILS = 500;
constexpr size_t READ_PIECE = 999;
constexpr size_t MAX_PAYLOAD = 60000;
constexpr const char* READONLY_MARKER = "readonly ";

enum SwitchError {
  INVALID_LINE_ENDING = 1,
  BLANK_LINE,
  COMMENT_LINE,
  INVALID_SWITCH_TYPE,
  MISSING_DELIMITER_1,
  MISSING_DELIMITER_2,
  MISSING_DELIMITER_3,
  NON_NUMERIC_PORT,
  FIRST_PORT_NOT_1,
  PORTS_NOT_CONTIGUOUS,
  NO_PORTS,
  COMPUTER_NAME_LENGTH,
  KEY_CODE_PARSE_ERROR,
};

constexpr std::array<const char*, 14> ERROR_TEXTS = {
    "",
    "Invalid line ending",
    "Blank lines are not supported",
    "Comment lines are not supported",
    "Invalid switch type",
    "Missing delimeter 1",
    "Missing delimeter 2",
    "Missing delimeter 3",
    "Non-numeric port number",
    "The first Port number should be 1",
    "Port numbers are to be contiguous",
    "No Ports specified",
    "Computer name must be 1 to 32 characters",
    "Key code parse error",
};

// A file's CR stays on its line until here: it is no part of the table.
std::string Trim(const std::string& line) {
  const size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

std::string TrimLeading(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

std::string LineError(int line, int code) {
  char text[160];
  std::snprintf(text, sizeof text, "Line %d: %s\n", line, ERROR_TEXTS[code]);
  return text;
}

// 0 when the text is no port number from 1 to 9,999.
int PortNumber(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1 ||
      value > MAX_SWITCH_PORTS)
    return 0;
  return value;
}

void AddDetails(std::string& details, const std::string& more) {
  if (details.size() > MAX_DETAILS) return;
  details += more;
  if (details.size() > MAX_DETAILS) details += "\n:\n:\n:\n";
}

}  // namespace

struct SwitchSettings::Parsed {
  int type = 0;
  std::string typeName;
  std::vector<SwitchRow> rows;
  std::string warnings;
};

SwitchSettings::SwitchSettings(SwitchModelNames models) : m_models(std::move(models)) {}

int SwitchSettings::TypeOf(const std::string& line) const {
  static constexpr std::array<int, 3> MODEL_TYPES = {
      SWITCH_TYPE_FIRST_MODEL, SWITCH_TYPE_SECOND_MODEL, SWITCH_TYPE_THIRD_MODEL};
  for (size_t i = 0; i < m_models.size(); ++i)
    if (!m_models[i].empty() && settings::SameNoCase(line, m_models[i])) return MODEL_TYPES[i];
  if (settings::SameNoCase(line, "standalone")) return SWITCH_TYPE_STANDALONE;
  if (settings::SameNoCase(line, "custom")) return SWITCH_TYPE_CUSTOM;
  return 0;
}

std::string SwitchSettings::Validate(const std::string& text, Parsed& parsed) const {
  std::string details;
  int lineNumber = 0;
  int lastPort = 0;
  size_t at = 0;
  while (at < text.size()) {
    ++lineNumber;
    const size_t end = text.find('\n', at);
    if (end == std::string::npos) return LineError(lineNumber, INVALID_LINE_ENDING);
    const std::string line = Trim(text.substr(at, end - at));
    at = end + 1;
    if (lineNumber <= HEADER_LINES) {
      if (const int type = TypeOf(line); type != 0) {
        parsed.type = type;
        parsed.typeName = line;
      }
      continue;
    }
    if (parsed.type == 0) return LineError(lineNumber, INVALID_SWITCH_TYPE);
    if (line.empty()) return LineError(lineNumber, BLANK_LINE);
    if (line.front() == ';') return LineError(lineNumber, COMMENT_LINE);
    const size_t first = line.find('`');
    if (first == std::string::npos) return LineError(lineNumber, MISSING_DELIMITER_1);
    const size_t second = line.find('`', first + 1);
    if (second == std::string::npos) return LineError(lineNumber, MISSING_DELIMITER_2);
    const size_t third = line.find('`', second + 1);
    if (third == std::string::npos) return LineError(lineNumber, MISSING_DELIMITER_3);

    SwitchRow row;
    row.port = TrimLeading(line.substr(first + 1, second - first - 1));
    if (!row.port.empty()) {
      const int port = PortNumber(row.port);
      if (port == 0) return LineError(lineNumber, NON_NUMERIC_PORT);
      if (lastPort == 0 && port != 1) return LineError(lineNumber, FIRST_PORT_NOT_1);
      if (lastPort != 0 && port != lastPort + 1) return LineError(lineNumber, PORTS_NOT_CONTIGUOUS);
      lastPort = port;
    }
    row.name = TrimLeading(line.substr(second + 1, third - second - 1));
    if (row.name.empty() || row.name.size() > MAX_COMPUTER_NAME)
      return LineError(lineNumber, COMPUTER_NAME_LENGTH);
    const NormalisedKeyCodes keys = NormaliseKeyCodes(line.substr(third + 1));
    if (keys.invalid) {
      AddDetails(details, keys.details);
      return LineError(lineNumber, KEY_CODE_PARSE_ERROR) + details;
    }
    if (!keys.details.empty())
      AddDetails(parsed.warnings, "Line " + std::to_string(lineNumber) + ":\n" + keys.details);
    row.keyCodes = keys.text;
    parsed.rows.push_back(std::move(row));
  }
  if (parsed.rows.empty()) return LineError(lineNumber, NO_PORTS);
  if (parsed.typeName == "standalone" && parsed.rows.size() != 1)
    return "'Standalone' must have exactly one port.";
  if (parsed.typeName == "demo" && parsed.rows.size() != 8)
    return "Demo switch file must have exactly eight port entrys.";
  return {};
}

std::string SwitchSettings::LoadGridFromString(const std::string& text,
                                               const std::string& sourceName) {
  return WrapErrors("SwitchSettings", "LoadGridFromString", [&] {
    Parsed parsed;
    // A text from the wire ends at its zero.
    const std::string table = text.substr(0, text.find('\0'));
    std::string problems = Validate(table, parsed);
    if (!problems.empty()) return problems;
    std::istringstream lines(table);
    std::string line;
    for (int number = 1; number <= HEADER_LINES && std::getline(lines, line); ++number)
      TraceCategory(5, LOAD_GRID_CATEGORY, "SPECIAL LINE %d = %s\n", number, Trim(line).c_str());
    Trace("Switch table loaded from %s: %zu ports\n", sourceName.c_str(), parsed.rows.size());
    m_type = parsed.type;
    m_typeName = parsed.typeName;
    m_rows = std::move(parsed.rows);
    m_warnings = std::move(parsed.warnings);
    return std::string();
  });
}

std::string SwitchSettings::TypeName() const {
  switch (m_type) {
    case SWITCH_TYPE_FIRST_MODEL:
      return m_models[0];
    case SWITCH_TYPE_SECOND_MODEL:
      return m_models[1];
    case SWITCH_TYPE_STANDALONE:
      return "standalone";
    case SWITCH_TYPE_CUSTOM:
      return "custom";
    default:
      return m_typeName;
  }
}

bool SwitchSettings::SameTable(const SwitchSettings& other) const {
  if (m_type != other.m_type || m_rows.size() != other.m_rows.size()) return false;
  for (size_t i = 0; i < m_rows.size(); ++i) {
    const SwitchRow& mine = m_rows[i];
    const SwitchRow& theirs = other.m_rows[i];
    if (PortNumber(mine.port) != PortNumber(theirs.port) || mine.name != theirs.name ||
        mine.keyCodes != theirs.keyCodes)
      return false;
  }
  return true;
}

std::string SwitchSettings::TableToString(bool useLF) const {
  return SwitchTableText(TypeName(), m_rows, useLF);
}

std::string SwitchTableText(const std::string& typeName, const std::vector<SwitchRow>& rows,
                            bool useLF) {
  const std::string end = useLF ? "\n" : "\r\n";
  std::string text = end + typeName + end + end + end + end;
  for (const SwitchRow& row : rows) {
    const std::string port = TrimLeading(row.port);
    text += (port.empty() ? READONLY_MARKER : "") + std::string("`") + port + "`" + row.name + "`" +
            row.keyCodes + end;
  }
  return text;
}

std::string SwitchSettings::ReadInFile(const std::string& fileName) {
  std::ifstream file(fileName, std::ios::binary);
  if (!file) throw TextError("Could not open file.");
  std::string text;
  char piece[READ_PIECE];
  while (file.read(piece, sizeof piece) || file.gcount() > 0)
    text.append(piece, static_cast<size_t>(file.gcount()));
  return LoadGridFromString(text, fileName);
}

void SwitchSettings::WriteOutFile(const std::string& fileName) const {
  const std::string text = TableToString(false);
  std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
  if (!file.write(text.data(), static_cast<std::streamsize>(text.size())) || !file.flush())
    throw TextError("Could not write the file " + fileName + ".");
}

void SwitchSettings::SetPortCount(int count) {
  if (count < 1 || count > MAX_SWITCH_PORTS) throw TextError("Must be a number between 1 and 9999");
  while (m_rows.size() > static_cast<size_t>(count)) m_rows.pop_back();
  while (m_rows.size() < static_cast<size_t>(count))
    m_rows.push_back({std::to_string(m_rows.size() + 1), "", ""});
}

std::string SwitchSettingsText(const PacketHeader& header, const uint8_t* payload, size_t length) {
  if (!payload) return {};
  const std::string text(reinterpret_cast<const char*>(payload),
                         std::min<size_t>(header.DataSize, length));
  return text.substr(0, text.find('\0'));
}

void RequestSwitchSettings(PacketSender& sender) {
  PacketHeader header(REQUEST_SWITCH_SETTINGS, 0);
  sender.SendPacket(header);
}

void SendSwitchSettings(PacketSender& sender, const SwitchSettings& table) {
  const std::string text = table.TableToString(true);
  if (text.size() + 1 > MAX_PAYLOAD)
    throw TextError("The switch table is too long for one packet.");
  PacketHeader header(SWITCH_SETTINGS, 0);
  sender.SendPacket(header, {text.c_str(), text.size() + 1});
}

}  // namespace admin
