#include "ui/PreferencesCommand.h"

#include "modem/ModemDatabase.h"
#include "ui/Commands.h"
#include "ui/ConnectionPage.h"
#include "ui/DevicesPage.h"
#include "ui/GeneralPage.h"
#include "ui/PowerStripPage.h"
#include "ui/SecurityPage.h"
#include "ui/SwitchPage.h"

namespace ui {
namespace {

std::vector<std::string> InstalledModemNames(settings::IniFile& ini) {
  return modem::OfferedModels(
      modem::ModemDatabase(modem::ModemDatabase::PathBeside(ini.Path()), ini), ini);
}

QString PageOf(uint32_t commandId) {
  switch (commandId) {
    case ID_SETTINGS_KEYBOARD_MOUSE:
      return "GENERAL";
    case ID_SETTINGS_SECURITY:
      return "SECURITY";
    case ID_SETTINGS_SWITCH:
      return "SWITCH";
    case ID_SETTINGS_POWER_STRIP:
      return "POWERSTRIP";
    default:
      return "CONNECTION";
  }
}

}  // namespace

std::unique_ptr<PreferencesSheet> MakePreferencesSheet(
    QWidget* parent, core::ViewerCore& core, platform::OperatorDialogs& dialogs, uint32_t commandId,
    const admin::SwitchModelNames& switchModels) {
  settings::IniFile& ini = core.Ini();
  // The login's verdict outlives the link, so the link is asked too.
  const bool administrator = core.Login().IsAdministrator() && core.Session().IsLoggedIn();
  auto sheet = std::make_unique<PreferencesSheet>(parent, dialogs, administrator);
  sheet->AddPage(std::make_unique<ConnectionPage>(dialogs, ini, InstalledModemNames(ini)));
  sheet->AddPage(std::make_unique<GeneralPage>(dialogs, ini));
  if (administrator) {
    const UnitAdmin unit{core.Session(), core.Dispatcher(), switchModels};
    sheet->AddPage(std::make_unique<SecurityPage>(dialogs, unit));
    sheet->AddPage(std::make_unique<SwitchPage>(dialogs, unit));
    sheet->AddPage(std::make_unique<DevicesPage>(dialogs, unit));
    view::KVMDispatcher& dispatcher = core.Dispatcher();
    const admin::PowerStripLink link{core.Session(), core.Window(), dispatcher.FileReply(),
                                     dispatcher.SerialReply()};
    sheet->AddPage(std::make_unique<PowerStripPage>(dialogs, PowerStripUnit{dispatcher, link}));
  }
  // Keyboard, mouse and the repaint delay take up their settings afresh; the
  // address book is read at each connect.
  sheet->SetAppliedHandler([&core] {
    core.Keyboard().ReadSettings();
    core.Mouse().ReadSettings();
    core.Bitmap().Repaint().ReadRepaintDelay(core.Ini());
  });
  // The unit's pages are missing, not hidden, for an operator who may not use them.
  if (!sheet->ShowPage(PageOf(commandId)))
    dialogs.MessageBox("Preferences",
                       "This tab is active only when you are logged into " +
                           core.Session().TargetLocation() + " as an administrator.",
                       platform::DialogButtons::Ok, platform::DialogIcon::Information);
  return sheet;
}

void RunPreferences(QWidget* parent, core::ViewerCore& core, platform::OperatorDialogs& dialogs,
                    uint32_t commandId, const admin::SwitchModelNames& switchModels) {
  std::unique_ptr<PreferencesSheet> sheet;
  try {
    sheet = MakePreferencesSheet(parent, core, dialogs, commandId, switchModels);
  } catch (const std::exception& e) {
    dialogs.ShowError("Unable to set the preferences", e.what());
    return;
  }
  sheet->exec();
}

}  // namespace ui
