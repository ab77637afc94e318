#pragma once
// The installed modems: modems.ini, an INI file beside the settings file, one
// section per modem in the order they are enumerated. Its keys carry the
// names the platform's modem installation uses: Model, AttachedTo, PORTNAME,
// Reset, Answer, Hangup, UserInit, Init.1 ... Init.n, Settings.Prefix and the
// other Settings values, and one Response.<answer>=<class> line per answer.
// "<cr>" and "<lf>" stand for the line-end characters in every value and
// answer.

#include <string>
#include <string_view>
#include <vector>

#include "modem/ModemParameters.h"
#include "settings/IniFile.h"

namespace modem {

inline constexpr const char* MODEM_DATABASE_FILE = "modems.ini";

struct InstalledModem {
  std::string model;
  std::string port;
};

class ModemDatabase {
 public:
  // modems.ini in the directory of the settings file at settingsPath.
  static std::string PathBeside(const std::string& settingsPath);

  // settings is the viewer's own file (for FallbackCOMPort).
  ModemDatabase(std::string path, settings::IniFile& settings);

  // Every installed modem with the port it is attached to, in file order.
  std::vector<InstalledModem> List() const;
  bool IsInstalled(std::string_view model) const;
  // The first installed modem of that model, with its commands and answers.
  // Throws the failure as text: an unknown model, a response class that is
  // not a number.
  ModemParameters Find(std::string_view model) const;

 private:
  std::string PortName(const std::string& section) const;

  settings::IniFile m_file;
  settings::IniFile& m_settings;
};

// The models the connection settings offer: the installed ones while the
// MODEMS key EnableModems is on, none otherwise.
std::vector<std::string> OfferedModels(const ModemDatabase& database, settings::IniFile& settings);

}  // namespace modem
