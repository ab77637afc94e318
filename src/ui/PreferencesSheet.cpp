#include "ui/PreferencesSheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace ui {

PreferencesSheet::PreferencesSheet(QWidget* parent, platform::OperatorDialogs& dialogs,
                                   bool administrator)
    : QDialog(parent), m_dialogs(dialogs), m_administrator(administrator) {
  setWindowTitle("Preferences");
  auto* layout = new QVBoxLayout(this);
  m_tabs = new QTabWidget(this);
  layout->addWidget(m_tabs);
  auto* buttons = new QDialogButtonBox(this);
  m_ok = buttons->addButton(QDialogButtonBox::Ok);
  m_cancel = buttons->addButton(QDialogButtonBox::Cancel);
  m_apply = buttons->addButton(QDialogButtonBox::Apply);
  layout->addWidget(buttons);
  connect(m_ok, &QPushButton::clicked, this, [this] { accept(); });
  connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
  connect(m_apply, &QPushButton::clicked, this, [this] { ApplyChanges(); });
  UpdateApplyButton();
}

bool PreferencesSheet::AddPage(std::unique_ptr<PreferencesPage> page) {
  if (page->AdministratorOnly() && !m_administrator) return false;
  page->SetModifiedHandler([this] { UpdateApplyButton(); });
  m_pages.push_back(page.get());
  const QString name = page->Name();
  m_tabs->addTab(page.release(), name);
  return true;
}

PreferencesPage* PreferencesSheet::Page(const QString& name) const {
  for (PreferencesPage* page : m_pages)
    if (page->Name() == name) return page;
  return nullptr;
}

bool PreferencesSheet::ShowPage(const QString& name) {
  PreferencesPage* page = Page(name);
  if (page) m_tabs->setCurrentWidget(page);
  return page != nullptr;
}

bool PreferencesSheet::ApplyChanges() {
  bool wrote = false;
  bool refused = false;
  for (PreferencesPage* page : m_pages) {
    if (!page->IsModified()) continue;
    try {
      page->Apply();
      page->SetModified(false);
      wrote = true;
    } catch (const std::exception& e) {
      m_tabs->setCurrentWidget(page);
      ShowRefusal(m_dialogs, e, "Unable to apply the changes");
      refused = true;
      break;
    }
  }
  // What was written is taken up even when a later page refused.
  if (wrote && m_onApplied) m_onApplied();
  return !refused;
}

void PreferencesSheet::accept() {
  if (ApplyChanges()) QDialog::accept();
}

void PreferencesSheet::UpdateApplyButton() {
  bool modified = false;
  for (const PreferencesPage* page : m_pages) modified = modified || page->IsModified();
  m_apply->setEnabled(modified);
}

}  // namespace ui
