#include "ui/PowerStripPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "admin/FileRequest.h"
#include "admin/PowerStripDevices.h"
#include "admin/PowerSwitchFiles.h"
#include "admin/PowerSwitchProfile.h"
#include "platform/TextError.h"
#include "ui/OperatorWait.h"
#include "ui/PowerControlDialog.h"

namespace ui {
namespace {

constexpr const char* NOT_INSTALLED =
    "No power switch is installed.  Go to *Settings* *Remote Devices* to install one.";
constexpr const char* LOADING = "Loading values from remote...";
constexpr const char* TITLE = "Power Strip";

// The operator's file dialogs take "Description|*.ext" pairs without the
// closing bars.
std::string FileFilter() {
  std::string filter = admin::PROFILE_FILTER;
  while (!filter.empty() && filter.back() == '|') filter.pop_back();
  return filter;
}

std::optional<admin::ConfigDocument> Document(const view::KVMDispatcher& dispatcher) {
  try {
    return admin::ConfigDocument::FillFromString(dispatcher.ServerConfigText());
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

PowerStripPage::PowerStripPage(platform::OperatorDialogs& dialogs, const PowerStripUnit& unit)
    : PreferencesPage(dialogs),
      m_unit(unit),
      m_loadWait(unit.link.window),
      m_storeWait(unit.link.window) {
  auto* layout = new QVBoxLayout(this);
  auto* instructions = new QLabel(QString(admin::PROFILE_INSTRUCTIONS).replace("\r\n", "\n"), this);
  instructions->setWordWrap(true);
  layout->addWidget(instructions);
  m_message = new QLabel(this);
  m_message->setWordWrap(true);
  layout->addWidget(m_message);
  m_editor = new QPlainTextEdit(this);
  layout->addWidget(m_editor);
  auto* buttons = new QHBoxLayout;
  auto* load = new QPushButton("Load from File...", this);
  auto* save = new QPushButton("Save As...", this);
  auto* control = new QPushButton("Control Center...", this);
  for (QPushButton* button : {load, save, control}) buttons->addWidget(button);
  layout->addLayout(buttons);
  connect(load, &QPushButton::clicked, this, [this] { LoadFromFile(); });
  connect(save, &QPushButton::clicked, this, [this] { SaveAs(); });
  connect(control, &QPushButton::clicked, this, [this] { OpenControlCenter(); });
  connect(m_editor, &QPlainTextEdit::textChanged, this, [this] { SetModified(true); });
  m_runDialog = [](PowerControlDialog& dialog) {
    if (dialog.Open()) dialog.exec();
  };
}

void PowerStripPage::showEvent(QShowEvent* event) {
  PreferencesPage::showEvent(event);
  Activate();
}

void PowerStripPage::Activate() {
  if (m_activated) return;
  m_activated = true;
  const std::optional<admin::ConfigDocument> document = Document(m_unit.dispatcher);
  if (!document || !admin::PowerStripInstalled(*document)) {
    m_message->setText(NOT_INSTALLED);
    return;
  }
  m_message->setText(LOADING);
  try {
    admin::LoadActiveProfile(m_unit.link, m_loadWait,
                             [this](const std::string& failure, const std::string& text) {
                               if (failure.empty()) {
                                 SetText(text);
                                 m_message->clear();
                               } else {
                                 m_message->setText(QString::fromStdString(failure));
                               }
                               SetModified(false);
                             });
  } catch (const TextError& e) {
    m_message->setText(QString::fromStdString(e.Text()));
    SetModified(false);
  }
}

std::string PowerStripPage::Text() const {
  // The editor's lines end in LF; the profile's in CR LF.
  return m_editor->toPlainText().replace("\n", "\r\n").toStdString();
}

void PowerStripPage::SetText(const std::string& text) {
  m_editor->setPlainText(QString::fromStdString(text).replace("\r\n", "\n"));
}

void PowerStripPage::Apply() {
  const std::string text = Text();
  const std::optional<admin::ConfigDocument> document = Document(m_unit.dispatcher);
  const std::string problem = admin::StoreProblem(
      text, [&](int port) { return document && admin::ModemOnPort(*document, port); });
  if (!problem.empty()) throw TextError(problem);
  std::string failure;
  OperatorWait wait;
  admin::StoreActiveProfile(m_unit.link, m_storeWait, text, [&](const std::string& ended) {
    failure = ended;
    wait.Done();
  });
  if (!wait.Run()) {
    m_storeWait.Cancel();
    throw TextError(admin::NO_RESPONSE);
  }
  if (!failure.empty()) throw TextError(failure);
  SetModified(false);
}

void PowerStripPage::LoadFromFile() {
  const auto file = Dialogs().ChooseFileToOpen("Select Switch Settings File", FileFilter());
  if (!file) return;
  Attempt([&] {
    const std::string text = admin::ReadProfileFile(*file);
    const std::string notes = admin::RequiredFieldNotes(text);
    SetText(notes + text);
    if (!notes.empty())
      Dialogs().MessageBox(TITLE, "\r\nError info has been inserted at the top of the file.",
                           platform::DialogButtons::Ok, platform::DialogIcon::Warning);
  });
}

void PowerStripPage::SaveAs() {
  const std::string text = Text();
  if (text.empty()) {
    Dialogs().MessageBox(TITLE, "There is nothing to save, operation aborted.",
                         platform::DialogButtons::Ok, platform::DialogIcon::Information);
    return;
  }
  const std::string notes = admin::RequiredFieldNotes(text);
  if (!notes.empty()) {
    SetText(notes + text);
    Dialogs().MessageBox(TITLE,
                         "There were required fields missing, misspelled, or duplicated.\nNotes "
                         "have been added at the top of the text, please make corrections then "
                         "save.",
                         platform::DialogButtons::Ok, platform::DialogIcon::Warning);
    return;
  }
  auto file = Dialogs().ChooseFileToSave("Save As", FileFilter(),
                                         std::string("Current") + admin::PROFILE_EXTENSION);
  if (!file) return;
  const std::string extension = admin::PROFILE_EXTENSION;
  if (file->find('.', file->find_last_of('/') + 1) == std::string::npos) *file += extension;
  Attempt([&] { admin::WriteProfileFile(*file, text); });
}

void PowerStripPage::OpenControlCenter() {
  PowerControlDialog dialog(this, Dialogs(), m_unit.link, Text());
  m_runDialog(dialog);
}

}  // namespace ui
