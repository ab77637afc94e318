#pragma once
// The remote devices page: the unit's serial ports and the devices they take,
// from the configuration document the unit sent (or a local file). The
// operator installs and uninstalls devices and edits their properties on the
// page's own copy; Apply sends the document back.

#include <optional>

#include "admin/ConfigDocument.h"
#include "ui/PreferencesPage.h"
#include "ui/UnitAdmin.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace ui {

class PropertyEditor;

class DevicesPage : public PreferencesPage {
 public:
  DevicesPage(platform::OperatorDialogs& dialogs, const UnitAdmin& unit);

  QString Name() const override { return "DEVICES"; }
  bool AdministratorOnly() const override { return true; }
  // Sends the document; throws "Error sending changes to remote." with the cause.
  void Apply() override;

  // Runs the property editor; tests work it here before it shows.
  void SetEditorRunner(std::function<int(PropertyEditor&)> run) { m_runEditor = std::move(run); }

  // None until a usable document came.
  const std::optional<admin::ConfigDocument>& Document() const { return m_document; }
  QLabel& Message() { return *m_message; }
  QListWidget& Ports() { return *m_ports; }
  QListWidget& Devices() { return *m_devices; }
  QPushButton& InstallButton() { return *m_install; }
  QLabel& InstallNote() { return *m_installNote; }
  QPushButton& PropertiesButton() { return *m_properties; }
  QPushButton& FromFileButton() { return *m_fromFile; }
  QPushButton& SaveToFileButton() { return *m_saveToFile; }

 private:
  void Take(admin::ConfigDocument document);
  void FillPorts();
  void FillDevices();
  void UpdateButtons();
  std::string SelectedPort() const;
  std::string SelectedDevice() const;
  // Runs an action of the page; a failure shows its text with the detail.
  void Act(const std::string& text, const std::string& detail, const std::function<void()>& action);
  void OnInstall();
  void OnProperties();
  void OnFromFile();
  void OnSaveToFile();

  UnitAdmin m_unit;
  std::optional<admin::ConfigDocument> m_document;
  QLabel* m_message = nullptr;
  QListWidget* m_ports = nullptr;
  QListWidget* m_devices = nullptr;
  QPushButton* m_install = nullptr;
  QLabel* m_installNote = nullptr;
  QPushButton* m_properties = nullptr;
  QPushButton* m_fromFile = nullptr;
  QPushButton* m_saveToFile = nullptr;
  std::function<int(PropertyEditor&)> m_runEditor;
};

}  // namespace ui
