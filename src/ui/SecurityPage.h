#pragma once
// The SECURITY page: the unit's login accounts as the unit sent them, added
// to, edited and removed through the user details dialog, and sent back whole
// in Apply. The page works on its own copy, so a cancelled sheet sends nothing.

#include <optional>

#include "admin/LoginsList.h"
#include "ui/PreferencesPage.h"
#include "ui/UnitAdmin.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace ui {

class UserDetailsDialog;

class SecurityPage : public PreferencesPage {
 public:
  SecurityPage(platform::OperatorDialogs& dialogs, const UnitAdmin& unit);

  QString Name() const override { return "SECURITY"; }
  bool AdministratorOnly() const override { return true; }
  // Sends the list; throws "There was a problem in SendUsers():\n" and the cause.
  void Apply() override;

  // Runs the user details dialog; tests answer it here before it shows.
  void SetDialogRunner(std::function<int(UserDetailsDialog&)> run) { m_runDialog = std::move(run); }

  const admin::LoginsList& Shown() const { return m_list; }
  QTableWidget& Table() { return *m_table; }
  QLabel& Message() { return *m_message; }
  QPushButton& AddButton() { return *m_add; }
  QPushButton& EditButton() { return *m_edit; }
  QPushButton& RemoveButton() { return *m_remove; }

 private:
  void Fill();
  std::optional<size_t> Selected() const;
  void OnAdd();
  void OnEdit();
  void OnRemove();
  void RunDetails(std::optional<size_t> editing);

  UnitAdmin m_unit;
  admin::LoginsList m_list;
  QTableWidget* m_table = nullptr;
  QLabel* m_message = nullptr;
  QPushButton* m_add = nullptr;
  QPushButton* m_edit = nullptr;
  QPushButton* m_remove = nullptr;
  std::function<int(UserDetailsDialog&)> m_runDialog;
};

}  // namespace ui
