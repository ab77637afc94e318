#include "modem/ModemDatabase.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <utility>

#include "modem/ModemSettings.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "settings/TextNoCase.h"

namespace modem {
namespace {

constexpr size_t VALUE_BUFFER = 4096;
constexpr size_t MAX_RESPONSES = 1000;
constexpr std::string_view RESPONSE_PREFIX = "Response.";
constexpr std::string_view INIT_PREFIX = "Init.";

bool StartsNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         settings::SameNoCase(text.substr(0, prefix.size()), prefix);
}

// The class of a response line: a number from 0 to 255 (the one byte the
// platform's table holds), or nothing.
std::optional<int> ResponseClass(std::string_view value) {
  int number = -1;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || end != value.data() + value.size() || number < 0 || number > 255)
    return std::nullopt;
  return number;
}

void LoadResponses(const std::vector<std::pair<std::string, std::string>>& entries,
                   ResponseClasses& responses) {
  size_t count = 0;
  for (const auto& [key, value] : entries) {
    if (!StartsNoCase(key, RESPONSE_PREFIX)) continue;
    if (++count > MAX_RESPONSES) break;
    const std::optional<int> responseClass = ResponseClass(value);
    if (!responseClass) throw TextError("Expected binary entries only.");
    // Classes beyond the table are not the viewer's concern.
    if (*responseClass >= RESPONSE_CLASS_COUNT) continue;
    responses.Add(ExpandLineEnds(std::string_view(key).substr(RESPONSE_PREFIX.size())),
                  *responseClass);
  }
}

// Init.1 ... Init.n in the order of their numbers.
std::vector<std::string> InitCommands(
    const std::vector<std::pair<std::string, std::string>>& entries) {
  std::vector<std::pair<int, std::string>> numbered;
  for (const auto& [key, value] : entries) {
    if (!StartsNoCase(key, INIT_PREFIX)) continue;
    const std::string_view digits = std::string_view(key).substr(INIT_PREFIX.size());
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size()) continue;
    numbered.emplace_back(number, ExpandLineEnds(value));
  }
  std::stable_sort(numbered.begin(), numbered.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> commands;
  for (auto& [number, command] : numbered) commands.push_back(std::move(command));
  return commands;
}

}  // namespace

std::string ModemDatabase::PathBeside(const std::string& settingsPath) {
  return (std::filesystem::absolute(settingsPath).parent_path() / MODEM_DATABASE_FILE).string();
}

ModemDatabase::ModemDatabase(std::string path, settings::IniFile& settings)
    : m_file(std::move(path)), m_settings(settings) {}

std::vector<InstalledModem> ModemDatabase::List() const {
  std::vector<InstalledModem> modems;
  for (const std::string& section : m_file.SectionNames()) {
    std::string model = m_file.Read(section, "Model", "", VALUE_BUFFER);
    if (model.empty()) continue;
    modems.push_back({std::move(model), PortName(section)});
  }
  return modems;
}

bool ModemDatabase::IsInstalled(std::string_view model) const {
  if (model.empty()) return false;
  for (const std::string& section : m_file.SectionNames())
    if (m_file.Read(section, "Model", "", VALUE_BUFFER) == model) return true;
  return false;
}

ModemParameters ModemDatabase::Find(std::string_view model) const {
  for (const std::string& section : m_file.SectionNames()) {
    if (model.empty() || m_file.Read(section, "Model", "", VALUE_BUFFER) != model) continue;
    const auto value = [&](const char* key) {
      return ExpandLineEnds(m_file.Read(section, key, "", VALUE_BUFFER));
    };
    const std::vector<std::pair<std::string, std::string>> entries = m_file.Entries(section);
    ModemParameters modem;
    modem.model = std::string(model);
    modem.portName = PortName(section);
    modem.reset = value("Reset");
    modem.answer = value("Answer");
    modem.hangup = value("Hangup");
    modem.userInit = value("UserInit");
    modem.init = InitCommands(entries);
    modem.prefix = value("Settings.Prefix");
    modem.terminator = value("Settings.Terminator");
    modem.dialPrefix = value("Settings.DialPrefix");
    modem.tone = value("Settings.Tone");
    modem.pulse = value("Settings.Pulse");
    modem.errorControlForced = value("Settings.ErrorControl_Forced");
    modem.flowControlHard = value("Settings.FlowControl_Hard");
    modem.compressionOff = value("Settings.Compression_Off");
    LoadResponses(entries, modem.responses);
    Trace("Found modem = %s\n", modem.model.c_str());
    return modem;
  }
  throw TextError("Could not find info in the registry for this modem: " + std::string(model));
}

std::string ModemDatabase::PortName(const std::string& section) const {
  std::string port = m_file.Read(section, "AttachedTo", "", VALUE_BUFFER);
  if (port.empty()) port = m_file.Read(section, "PORTNAME", "", VALUE_BUFFER);
  if (port.empty()) port = ReadFallbackCOMPort(m_settings);
  return port;
}

std::vector<std::string> OfferedModels(const ModemDatabase& database, settings::IniFile& settings) {
  std::vector<std::string> models;
  if (!ReadEnableModems(settings)) return models;
  for (const InstalledModem& installed : database.List()) models.push_back(installed.model);
  return models;
}

}  // namespace modem
