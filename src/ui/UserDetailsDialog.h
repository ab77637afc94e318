#pragma once
// The user details dialog: one account of the logins list, checked as the
// operator types by the same rules the list is changed with. The first broken
// rule shows in the status line and OK stays disabled until none is left.
// Passwords show as asterisks; an existing account's password fields start
// with placeholders, and an account whose fields were not touched keeps its
// stored password.

#include <QDialog>
#include <array>
#include <optional>

#include "admin/UserDetails.h"
#include "platform/Desktop.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {

class UserDetailsDialog : public QDialog {
 public:
  // editing: the account's index in list, none for a new account.
  UserDetailsDialog(QWidget* parent, platform::OperatorDialogs& dialogs,
                    const admin::LoginsList& list, std::optional<size_t> editing);

  // What the fields hold now.
  admin::UserDetails Details() const;

  QLineEdit& UserId() { return *m_userId; }
  QLineEdit& Password() { return *m_password; }
  QLineEdit& Confirmation() { return *m_confirmation; }
  QLineEdit& Dialback() { return *m_dialback; }
  QLineEdit& MaskPart(size_t index) { return *m_mask.at(index); }
  QComboBox& Administrator() { return *m_administrator; }
  QLabel& Status() { return *m_status; }
  QPushButton& OkButton() { return *m_ok; }

 private:
  QLineEdit* AddField(const QString& characters, int length, const QString& extra = {});
  void OnMaskEdited(size_t index);
  void OnAdministratorChosen();
  void Check();

  platform::OperatorDialogs& m_dialogs;
  const admin::LoginsList& m_list;
  std::optional<size_t> m_editing;
  QLineEdit* m_userId = nullptr;
  QLineEdit* m_password = nullptr;
  QLineEdit* m_confirmation = nullptr;
  QLineEdit* m_dialback = nullptr;
  std::array<QLineEdit*, 4> m_mask{};
  QComboBox* m_administrator = nullptr;
  QLabel* m_status = nullptr;
  QPushButton* m_ok = nullptr;
  // The password fields the operator has typed into.
  bool m_passwordTyped = false;
  bool m_confirmationTyped = false;
};

}  // namespace ui
