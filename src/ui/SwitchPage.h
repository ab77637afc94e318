#pragma once
// The SWITCH page: the table of the KVM switch's ports, as the unit sent it
// or as read from a file, edited in a grid and checked by the table's own
// rules before it is saved or sent. The unit is asked for its table when the
// page opens without one; the table is taken up when it comes in.

#include <QTimer>
#include <cstdint>

#include "admin/SwitchSettings.h"
#include "ui/PreferencesPage.h"
#include "ui/UnitAdmin.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace ui {

class SwitchPage : public PreferencesPage {
 public:
  SwitchPage(platform::OperatorDialogs& dialogs, const UnitAdmin& unit);

  QString Name() const override { return "SWITCH"; }
  bool AdministratorOnly() const override { return true; }
  // Sends the table; throws its problems, and sends nothing, when it has any.
  void Apply() override;

  // The table the grid shows; throws its problems under their heading.
  admin::SwitchSettings Checked() const;
  // Takes up a table the unit sent since the last look.
  void TakeUpUnitTable();

  QTableWidget& Grid() { return *m_grid; }
  QComboBox& SwitchType() { return *m_type; }
  QSpinBox& PortCount() { return *m_ports; }
  QLabel& Message() { return *m_message; }
  QPushButton& LoadButton() { return *m_load; }
  QPushButton& SaveButton() { return *m_save; }
  QPushButton& SendButton() { return *m_send; }

 private:
  void Show(const admin::SwitchSettings& table);
  void OnPortCount(int count);
  void OnLoad();
  void OnSave();
  void OnSend();

  UnitAdmin m_unit;
  // The receive count of the table last taken up from the unit.
  uint32_t m_taken = 0;
  bool m_filling = false;
  QTimer m_watch;
  QLabel* m_message = nullptr;
  QComboBox* m_type = nullptr;
  QSpinBox* m_ports = nullptr;
  QTableWidget* m_grid = nullptr;
  QPushButton* m_load = nullptr;
  QPushButton* m_save = nullptr;
  QPushButton* m_send = nullptr;
};

}  // namespace ui
