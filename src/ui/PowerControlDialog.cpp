#include "ui/PowerControlDialog.h"

#include <QFont>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/OperatorWait.h"

namespace ui {
namespace {

constexpr const char* TITLE = "Power Switch Control Center";

}  // namespace

PowerControlDialog::PowerControlDialog(QWidget* parent, platform::OperatorDialogs& dialogs,
                                       const admin::PowerStripLink& link,
                                       const std::string& profile)
    : QDialog(parent),
      m_dialogs(dialogs),
      m_profile(profile),
      m_list(admin::CommandsOf(profile)),
      m_control(link, [this](const std::string& status) {
        m_status->setText(QString::fromStdString(status));
      }) {
  setWindowTitle(TITLE);
  auto* layout = new QVBoxLayout(this);
  m_commands = new QListWidget(this);
  for (const admin::ProfileEntry& command : m_list.commands)
    m_commands->addItem(QString::fromStdString(command.name));
  layout->addWidget(m_commands);
  m_send = new QPushButton("Send", this);
  layout->addWidget(m_send);
  m_answers = new QPlainTextEdit(this);
  m_answers->setReadOnly(true);
  QFont fixed("Courier New");
  fixed.setStyleHint(QFont::TypeWriter);
  m_answers->setFont(fixed);
  layout->addWidget(m_answers);
  m_status = new QLabel(this);
  layout->addWidget(m_status);
  connect(m_send, &QPushButton::clicked, this, [this] { SendChosen(); });
  connect(m_commands, &QListWidget::itemDoubleClicked, this, [this] { SendChosen(); });
}

bool PowerControlDialog::Open() {
  if (m_list.lost)
    m_dialogs.MessageBox(TITLE, admin::TOO_MANY_COMMANDS, platform::DialogButtons::Ok,
                         platform::DialogIcon::Warning);
  try {
    m_control.Open(admin::SerialSettingsOf(m_profile));
  } catch (const std::exception& e) {
    Fail(e.what());
    return false;
  }
  QueueNamed("Init");
  std::string failure;
  OperatorWait wait;
  m_control.Start([&](const std::string& ended) {
    failure = ended;
    wait.Done();
  });
  if (!wait.Run()) {
    m_control.Cancel();
    return false;
  }
  if (failure.empty()) return true;
  Fail(failure);
  // A port opened before Init failed is closed again; the failure is told already.
  if (m_control.IsOpen()) {
    try {
      m_control.Close();
    } catch (const std::exception&) {
    }
  }
  return false;
}

void PowerControlDialog::SendChosen() {
  const int row = m_commands->currentRow();
  if (!m_control.IsOpen() || m_leaving || row < 0) return;
  if (!m_control.Choose(m_list.commands[static_cast<size_t>(row)].value)) return;
  m_control.Read([this](const std::string& answer) {
    m_answers->appendPlainText(QString::fromStdString(answer));
  });
  m_control.Start([this](const std::string& failure) {
    if (!failure.empty()) Fail(failure);
  });
}

void PowerControlDialog::QueueNamed(const char* name) {
  if (const admin::ProfileEntry* command = admin::FindCommand(m_list, name))
    m_control.Send(command->value);
}

void PowerControlDialog::Fail(const std::string& text) {
  m_dialogs.ShowError(TITLE, admin::CONTROL_FAILED + text);
}

void PowerControlDialog::done(int result) {
  if (m_leaving) return;
  if (!m_control.IsOpen()) return QDialog::done(result);
  m_leaving = true;
  // After a command still going out, if there is one.
  QueueNamed("Exit");
  m_control.Start([this, result](const std::string& failure) {
    if (!failure.empty()) {
      Fail(failure);
    } else {
      try {
        m_control.Close();
      } catch (const std::exception& e) {
        Fail(e.what());
      }
    }
    QDialog::done(result);
  });
}

}  // namespace ui
