#include "ui/PreferencesCommand.h"

#include "modem/ModemDatabase.h"
#include "ui/Commands.h"
#include "ui/ConnectionPage.h"
#include "ui/GeneralPage.h"

namespace ui {
namespace {

std::vector<std::string> InstalledModemNames(settings::IniFile& ini) {
  const modem::ModemDatabase modems(modem::ModemDatabase::PathBeside(ini.Path()), ini);
  std::vector<std::string> names;
  for (const modem::InstalledModem& installed : modems.List()) names.push_back(installed.model);
  return names;
}

QString PageOf(uint32_t commandId) {
  return commandId == ID_SETTINGS_KEYBOARD_MOUSE ? "GENERAL" : "CONNECTION";
}

}  // namespace

std::unique_ptr<PreferencesSheet> MakePreferencesSheet(QWidget* parent, core::ViewerCore& core,
                                                       platform::OperatorDialogs& dialogs,
                                                       uint32_t commandId) {
  settings::IniFile& ini = core.Ini();
  auto sheet = std::make_unique<PreferencesSheet>(parent, dialogs, core.Login().IsAdministrator());
  sheet->AddPage(std::make_unique<ConnectionPage>(dialogs, ini, InstalledModemNames(ini)));
  sheet->AddPage(std::make_unique<GeneralPage>(dialogs, ini));
  // Keyboard and mouse take up their settings afresh; the address book is
  // read at each connect.
  sheet->SetAppliedHandler([&core] {
    core.Keyboard().ReadSettings();
    core.Mouse().ReadSettings();
  });
  sheet->ShowPage(PageOf(commandId));
  return sheet;
}

void RunPreferences(QWidget* parent, core::ViewerCore& core, platform::OperatorDialogs& dialogs,
                    uint32_t commandId) {
  std::unique_ptr<PreferencesSheet> sheet;
  try {
    sheet = MakePreferencesSheet(parent, core, dialogs, commandId);
  } catch (const std::exception& e) {
    dialogs.ShowError("Unable to set the preferences", e.what());
    return;
  }
  sheet->exec();
}

}  // namespace ui
