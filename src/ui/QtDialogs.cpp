#include "ui/QtDialogs.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <sstream>

#include "ui/ErrorDialog.h"

namespace ui {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QMessageBox::Icon ToIcon(platform::DialogIcon icon) {
  switch (icon) {
    case platform::DialogIcon::Information:
      return QMessageBox::Information;
    case platform::DialogIcon::Warning:
      return QMessageBox::Warning;
    case platform::DialogIcon::Error:
      return QMessageBox::Critical;
    case platform::DialogIcon::Question:
      return QMessageBox::Question;
    case platform::DialogIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToButtons(platform::DialogButtons buttons) {
  switch (buttons) {
    case platform::DialogButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case platform::DialogButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case platform::DialogButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case platform::DialogButtons::RetryCancel:
      return QMessageBox::Retry | QMessageBox::Cancel;
    case platform::DialogButtons::Ok:
      break;
  }
  return QMessageBox::Ok;
}

platform::DialogChoice ToChoice(int button) {
  switch (button) {
    case QMessageBox::Yes:
      return platform::DialogChoice::Yes;
    case QMessageBox::No:
      return platform::DialogChoice::No;
    case QMessageBox::Retry:
      return platform::DialogChoice::Retry;
    case QMessageBox::Cancel:
      return platform::DialogChoice::Cancel;
    default:
      return platform::DialogChoice::Ok;
  }
}

std::optional<std::string> Chosen(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

}  // namespace

platform::DialogChoice QtDialogs::MessageBox(const std::string& title, const std::string& text,
                                             platform::DialogButtons buttons,
                                             platform::DialogIcon icon) {
  QMessageBox box(ToIcon(icon), Q(title), Q(text), ToButtons(buttons), m_parent);
  return ToChoice(box.exec());
}

void QtDialogs::ShowError(const std::string& title, const std::string& details) {
  std::string versions = m_versions.productName + " Viewer version: " + m_versions.viewerVersion;
  if (!m_versions.unitVersion.empty())
    versions += "\nVersion of last " + m_versions.productName +
                " connected: " + m_versions.unitVersion.substr(0, m_versions.unitVersion.find(' '));
  ErrorDialog dialog(m_parent, Q(title), Q(details), Q(versions));
  dialog.exec();
}

void QtDialogs::ShowText(const std::string& title, const std::string& text) {
  QDialog dialog(m_parent);
  dialog.setWindowTitle(Q(title));
  auto* layout = new QVBoxLayout(&dialog);
  auto* box = new QPlainTextEdit(Q(text), &dialog);
  box->setReadOnly(true);
  layout->addWidget(box);
  dialog.resize(600, 400);
  dialog.exec();
}

void QtDialogs::ShowTimedMessage(const std::string& title, const std::string& text, int seconds) {
  QMessageBox box(QMessageBox::Information, Q(title), Q(text), QMessageBox::Ok, m_parent);
  QTimer::singleShot(std::max(0, seconds) * 1000, &box, [&box] { box.accept(); });
  box.exec();
}

bool QtDialogs::AskYesNo(const std::string& title, const std::string& text) {
  return MessageBox(title, text, platform::DialogButtons::YesNo, platform::DialogIcon::Question) ==
         platform::DialogChoice::Yes;
}

platform::TeachingAnswer QtDialogs::TeachExitKeys(const std::string& title,
                                                  const std::string& text) {
  QMessageBox box(QMessageBox::Information, Q(title), Q(text),
                  QMessageBox::Ok | QMessageBox::Cancel, m_parent);
  auto* dontShow = new QCheckBox("Don't show this again", &box);
  box.setCheckBox(dontShow);
  const bool proceed = box.exec() == QMessageBox::Ok;
  return {proceed, dontShow->isChecked()};
}

std::optional<std::string> QtDialogs::Prompt(const std::string& title, const std::string& prompt,
                                             const std::string& initial, bool password) {
  QInputDialog dialog(m_parent);
  dialog.setWindowTitle(Q(title));
  dialog.setLabelText(Q(prompt));
  dialog.setTextValue(Q(initial));
  dialog.setTextEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue().toStdString();
}

std::optional<std::string> QtDialogs::PromptText(const std::string& title,
                                                 const std::string& prompt,
                                                 const std::string& initial) {
  return Prompt(title, prompt, initial, false);
}

std::optional<std::string> QtDialogs::PromptPassword(const std::string& title,
                                                     const std::string& prompt) {
  return Prompt(title, prompt, "", true);
}

std::string QtDialogs::QtFilter(const std::string& filter) {
  std::istringstream in(filter);
  std::string description, pattern, out;
  while (std::getline(in, description, '|') && std::getline(in, pattern, '|')) {
    if (!out.empty()) out += ";;";
    out += description + " (" + pattern + ")";
  }
  return out;
}

std::optional<std::string> QtDialogs::ChooseFileToOpen(const std::string& title,
                                                       const std::string& filter) {
  return Chosen(QFileDialog::getOpenFileName(m_parent, Q(title), {}, Q(QtFilter(filter))));
}

std::optional<std::string> QtDialogs::ChooseFileToSave(const std::string& title,
                                                       const std::string& filter,
                                                       const std::string& suggestedName) {
  const std::string start = suggestedName.find('*') == std::string::npos ? suggestedName : "";
  return Chosen(QFileDialog::getSaveFileName(m_parent, Q(title), Q(start), Q(QtFilter(filter))));
}

}  // namespace ui
