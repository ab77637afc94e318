#pragma once
// The preferences sheet: a tab per page, with OK, Cancel and Apply. Apply
// (and OK) writes the pages the operator changed; Cancel writes nothing.
// Pages for administrators are left out for other operators, so a page is
// added by writing its class and adding it where the sheet is built.

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Desktop.h"
#include "ui/PreferencesPage.h"

class QPushButton;
class QTabWidget;

namespace ui {

class PreferencesSheet : public QDialog {
 public:
  PreferencesSheet(QWidget* parent, platform::OperatorDialogs& dialogs, bool administrator);

  // The sheet takes the page; false (and the page dropped) when it is for
  // administrators and the operator is not one.
  bool AddPage(std::unique_ptr<PreferencesPage> page);
  // Brings the named page to the front; false when the sheet has no such page.
  bool ShowPage(const QString& name);
  // Writes every changed page, in tab order. A refusal is shown to the
  // operator with its page brought to the front; pages after it stay unwritten.
  bool ApplyChanges();
  // Called after changes were written, so the running viewer can take them up.
  void SetAppliedHandler(std::function<void()> handler) { m_onApplied = std::move(handler); }

  PreferencesPage* Page(const QString& name) const;
  QPushButton& OkButton() { return *m_ok; }
  QPushButton& CancelButton() { return *m_cancel; }
  QPushButton& ApplyButton() { return *m_apply; }

  // OK closes the sheet only once its changes are written.
  void accept() override;

 private:
  void UpdateApplyButton();

  platform::OperatorDialogs& m_dialogs;
  bool m_administrator;
  QTabWidget* m_tabs = nullptr;
  QPushButton* m_ok = nullptr;
  QPushButton* m_cancel = nullptr;
  QPushButton* m_apply = nullptr;
  std::vector<PreferencesPage*> m_pages;  // owned by the tab widget
  std::function<void()> m_onApplied;
};

}  // namespace ui
