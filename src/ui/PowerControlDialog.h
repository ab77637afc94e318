#pragma once
// The "Power Switch Control Center": opens the strip's serial port on the
// unit with the profile's settings, sends the command the operator chooses
// (with the profile's Init first and Exit last), and shows what the strip
// answered. Every failure is told to the operator; the port is closed when
// the dialog ends. Only opening waits, before the dialog shows; a command and
// the leaving run on while the dialog does.

#include <QDialog>
#include <optional>

#include "admin/PowerStripControl.h"
#include "platform/Desktop.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace ui {

class PowerControlDialog : public QDialog {
 public:
  PowerControlDialog(QWidget* parent, platform::OperatorDialogs& dialogs,
                     const admin::PowerStripLink& link, const std::string& profile);

  // Opens the port and sends Init, and waits for both; false (the operator
  // told why) when the dialog should not be shown.
  bool Open();
  // Sends Exit and closes the port first, then ends the dialog.
  void done(int result) override;

  QListWidget& Commands() { return *m_commands; }
  QPushButton& SendButton() { return *m_send; }
  QPlainTextEdit& Answers() { return *m_answers; }
  QLabel& Status() { return *m_status; }
  // The chosen command, as the Send button sends it; its answer shows once read.
  void SendChosen();

 private:
  void Fail(const std::string& text);
  void QueueNamed(const char* name);

  platform::OperatorDialogs& m_dialogs;
  std::string m_profile;
  admin::ProfileCommands m_list;
  admin::PowerStripControl m_control;
  bool m_leaving = false;
  QListWidget* m_commands = nullptr;
  QPushButton* m_send = nullptr;
  QPlainTextEdit* m_answers = nullptr;
  QLabel* m_status = nullptr;
};

}  // namespace ui
