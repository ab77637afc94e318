#pragma once
// One page of the preferences sheet. A page edits its own copy of what it
// shows and writes it only in Apply, so a cancelled sheet leaves the settings
// as they were. The sheet applies only pages the operator changed.

#include <QString>
#include <QWidget>
#include <functional>

#include "platform/Desktop.h"

namespace ui {

class PreferencesPage : public QWidget {
 public:
  explicit PreferencesPage(platform::OperatorDialogs& dialogs) : m_dialogs(dialogs) {}

  // The tab's name, by which a command opens the sheet on it ("CONNECTION").
  virtual QString Name() const = 0;
  // Pages that change the unit are offered to an administrator only.
  virtual bool AdministratorOnly() const { return false; }
  // Writes the page's edits. Throws settings::EditError (title and detail)
  // or TextError when refused; the edits stay for the operator to mend.
  virtual void Apply() = 0;

  bool IsModified() const { return m_modified; }
  void SetModified(bool modified);
  // Told whenever the page becomes modified or unmodified.
  void SetModifiedHandler(std::function<void()> handler) { m_onModified = std::move(handler); }

 protected:
  // Runs an edit; a refusal is shown to the operator. True when it went through.
  bool Attempt(const std::function<void()>& edit);
  platform::OperatorDialogs& Dialogs() { return m_dialogs; }

 private:
  platform::OperatorDialogs& m_dialogs;
  std::function<void()> m_onModified;
  bool m_modified = false;
};

// A refusal as the operator sees it: an EditError's title and detail, any
// other failure under the title given.
void ShowRefusal(platform::OperatorDialogs& dialogs, const std::exception& error,
                 const std::string& title);

}  // namespace ui
