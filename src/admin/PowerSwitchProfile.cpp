#include "admin/PowerSwitchProfile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/TextError.h"

namespace admin {
namespace {

constexpr std::array<const char*, 9> SETTING_NAMES = {"BaudRate", "DataBits",  "StopBits",
                                                      "Parity",   "ReadDelay", "FlowControl",
                                                      "Name",     "Port",      "UseRTSCTS"};
constexpr std::array<uint32_t, 11> BAUD_RATES = {300,   600,   1200,  2400,   4800,  9600,
                                                 19200, 38400, 57600, 115200, 230400};
constexpr uint32_t DEFAULT_READ_TIMEOUT_MS = 500;

std::optional<uint32_t> Number(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  const std::string_view digits = *text;
  const size_t start = digits.find_first_not_of(' ');
  const size_t end = digits.find_last_not_of(' ');
  if (start == std::string_view::npos) return std::nullopt;
  uint32_t value = 0;
  const char* first = digits.data() + start;
  const char* last = digits.data() + end + 1;
  const auto [stop, error] = std::from_chars(first, last, value);
  if (error != std::errc() || stop != last) return std::nullopt;
  return value;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

size_t Occurrences(const std::vector<ProfileEntry>& entries, std::string_view name) {
  return static_cast<size_t>(std::count_if(entries.begin(), entries.end(),
                                           [&](const ProfileEntry& e) { return e.name == name; }));
}

}  // namespace

std::vector<ProfileEntry> ProfileEntries(std::string_view text) {
  std::vector<ProfileEntry> entries;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const size_t comma = line.find(',');
    if (comma == std::string_view::npos) continue;
    entries.push_back({std::string(line.substr(0, comma)), std::string(line.substr(comma + 1))});
  }
  return entries;
}

bool IsSettingName(std::string_view name) {
  return std::string_view(RESERVED_NAMES).find("~" + std::string(name) + "~") !=
         std::string_view::npos;
}

std::optional<std::string> ProfileValue(std::string_view text, std::string_view name) {
  for (ProfileEntry& entry : ProfileEntries(text))
    if (entry.name == name) return std::move(entry.value);
  return std::nullopt;
}

bool HasRequiredFields(std::string_view text) { return RequiredFieldNotes(text).empty(); }

std::string RequiredFieldNotes(std::string_view text) {
  const std::vector<ProfileEntry> entries = ProfileEntries(text);
  std::string notes;
  for (const char* name : SETTING_NAMES) {
    const size_t count = Occurrences(entries, name);
    if (count == 0)
      notes += "Note: the required field '" + std::string(name) + "' is missing.\r\n";
    else if (count > 1)
      notes += "Note: the required field '" + std::string(name) + "' occurs " +
               std::to_string(count) + " times; it must occur once.\r\n";
  }
  return notes;
}

ProfileCommands CommandsOf(std::string_view text) {
  ProfileCommands result;
  for (ProfileEntry& entry : ProfileEntries(text)) {
    if (IsSettingName(entry.name)) continue;
    if (result.commands.size() == MAX_COMMANDS) {
      result.lost = true;
      break;
    }
    result.commands.push_back(std::move(entry));
  }
  return result;
}

const ProfileEntry* FindCommand(const ProfileCommands& commands, std::string_view name) {
  for (const ProfileEntry& command : commands.commands)
    if (command.name == name) return &command;
  return nullptr;
}

std::string Unescape(std::string_view value) {
  std::string bytes;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      bytes += value[i];
      continue;
    }
    switch (value[i + 1]) {
      case '\\':
        bytes += '\\';
        break;
      case 'b':
        bytes += '\b';
        break;
      case 'r':
        bytes += '\r';
        break;
      case 'n':
        bytes += '\n';
        break;
      case 't':
        bytes += '\t';
        break;
      case 'x': {
        const int high = i + 2 < value.size() ? HexDigit(value[i + 2]) : -1;
        const int low = i + 3 < value.size() ? HexDigit(value[i + 3]) : -1;
        if (high < 0 || low < 0)
          throw TextError("The escape \\x must be followed by two hexadecimal digits: '" +
                          std::string(value) + "'.");
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default:
        bytes += '\\';
        continue;
    }
    ++i;
  }
  return bytes;
}

std::vector<std::string> CommandPieces(std::string_view value) {
  std::vector<std::string> pieces;
  for (;;) {
    const size_t pause = value.find('`');
    pieces.push_back(Unescape(value.substr(0, pause)));
    if (pause == std::string_view::npos) break;
    value.remove_prefix(pause + 1);
  }
  if (pieces.size() > MAX_PIECES)
    throw TextError("A command may pause at most " + std::to_string(MAX_PIECES - 1) +
                    " times; this one pauses " + std::to_string(pieces.size() - 1) + " times.");
  return pieces;
}

SerialSettings SerialSettingsOf(std::string_view text) {
  SerialSettings settings;
  const std::optional<uint32_t> baud = Number(ProfileValue(text, "BaudRate"));
  if (!baud || std::find(BAUD_RATES.begin(), BAUD_RATES.end(), *baud) == BAUD_RATES.end())
    throw TextError("Invalid or missing baud rate.");
  settings.baudRate = *baud;
  const std::optional<std::string> timeout = ProfileValue(text, "Timeout");
  settings.readTimeoutMs =
      timeout ? Number(timeout).value_or(DEFAULT_READ_TIMEOUT_MS) : DEFAULT_READ_TIMEOUT_MS;
  const std::optional<uint32_t> port = Number(ProfileValue(text, "Port"));
  if (!port || *port > 255)
    throw TextError(
        "A port must be specified in the config file, but that is missing in this file.");
  settings.port = static_cast<uint8_t>(*port);
  const std::string parity = ProfileValue(text, "Parity").value_or("");
  settings.parity = parity == "none" ? 0 : parity == "odd" ? 1 : 2;
  const std::optional<uint32_t> dataBits = Number(ProfileValue(text, "DataBits"));
  if (!dataBits || *dataBits < 5 || *dataBits > 8)
    throw TextError("Remote has invalid or missing value for 'data bits'");
  settings.dataBits = static_cast<uint8_t>(*dataBits);
  settings.flowControl = ProfileValue(text, "FlowControl") == "On" ? 1 : 0;
  const std::optional<uint32_t> stopBits = Number(ProfileValue(text, "StopBits"));
  if (!stopBits || (*stopBits != 1 && *stopBits != 2))
    throw TextError("Remote has invalid or missing value for 'stop bits'");
  settings.stopBits = static_cast<uint8_t>(*stopBits);
  settings.useRtsCts = Number(ProfileValue(text, "UseRTSCTS")).value_or(0) != 0 ? 1 : 0;
  return settings;
}

std::vector<uint8_t> SerialOpenPayload(const SerialSettings& settings) {
  std::vector<uint8_t> payload;
  for (const uint32_t word : {settings.baudRate, settings.readTimeoutMs})
    for (int shift = 0; shift < 32; shift += 8)
      payload.push_back(static_cast<uint8_t>(word >> shift));
  payload.insert(payload.end(),
                 {settings.port, settings.parity, settings.dataBits, settings.flowControl,
                  settings.stopBits, settings.useRtsCts, 0, 0});
  return payload;
}

std::string ReadProfileFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw TextError("Could not open '" + path + "'.");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw TextError("Could not read '" + path + "'.");
  return text;
}

void WriteProfileFile(const std::string& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) throw TextError("Write failed.");
}

}  // namespace admin
