#include "Modems.h"

#include "modem/ModemDatabase.h"
#include "settings/IniFile.h"

namespace orbctl {

void ListModems(const Options& options, std::ostream& out) {
  settings::IniFile ini(options.ini);
  const std::string path = modem::ModemDatabase::PathBeside(options.ini);
  const std::vector<modem::InstalledModem> modems = modem::ModemDatabase(path, ini).List();
  if (modems.empty()) {
    out << "No modems are installed (" << path << ").\n";
    return;
  }
  for (const modem::InstalledModem& installed : modems)
    out << installed.model << "\t" << installed.port << "\n";
}

}  // namespace orbctl
