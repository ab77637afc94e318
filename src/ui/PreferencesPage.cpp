#include "ui/PreferencesPage.h"

#include "settings/EditError.h"

namespace ui {

void PreferencesPage::SetModified(bool modified) {
  if (m_modified == modified) return;
  m_modified = modified;
  if (m_onModified) m_onModified();
}

bool PreferencesPage::Attempt(const std::function<void()>& edit) {
  try {
    edit();
    return true;
  } catch (const std::exception& e) {
    ShowRefusal(m_dialogs, e, "The change was refused.");
    return false;
  }
}

void ShowRefusal(platform::OperatorDialogs& dialogs, const std::exception& error,
                 const std::string& title) {
  if (const auto* edit = dynamic_cast<const settings::EditError*>(&error)) {
    dialogs.ShowError(edit->Text(), edit->Detail());
  } else {
    dialogs.ShowError(title, error.what());
  }
}

}  // namespace ui
