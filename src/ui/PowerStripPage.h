#pragma once
// The POWERSTRIP page: the power strip profile, loaded from the unit when a
// strip is installed, edited as text, kept in local files, stored on the unit
// in Apply, and used by the "Power Switch Control Center". A profile whose
// required fields are wrong is stored nowhere. The unit's profile fills the
// page when it comes; Apply waits for the unit's word on storing it.

#include <functional>

#include "admin/PowerStripLink.h"
#include "admin/ReplyWait.h"
#include "ui/PreferencesPage.h"
#include "view/KVMDispatcher.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace ui {

class PowerControlDialog;

struct PowerStripUnit {
  const view::KVMDispatcher& dispatcher;  // the configuration document the unit sent
  admin::PowerStripLink link;
};

class PowerStripPage : public PreferencesPage {
 public:
  PowerStripPage(platform::OperatorDialogs& dialogs, const PowerStripUnit& unit);

  QString Name() const override { return "POWERSTRIP"; }
  bool AdministratorOnly() const override { return true; }
  // Stores the profile on the unit and waits for its answer; throws the
  // reason it was not stored.
  void Apply() override;

  // Runs the control dialog; tests take it here instead.
  void SetDialogRunner(std::function<void(PowerControlDialog&)> run) {
    m_runDialog = std::move(run);
  }

  // Once, when the page first shows: asks for the unit's profile, if a strip
  // is installed; it shows in the editor when it comes.
  void Activate();
  void LoadFromFile();
  void SaveAs();
  void OpenControlCenter();

  QPlainTextEdit& Editor() { return *m_editor; }
  QLabel& Message() { return *m_message; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::string Text() const;
  void SetText(const std::string& text);

  PowerStripUnit m_unit;
  bool m_activated = false;
  QLabel* m_message = nullptr;
  QPlainTextEdit* m_editor = nullptr;
  std::function<void(PowerControlDialog&)> m_runDialog;
  admin::ReplyWait m_loadWait;
  admin::ReplyWait m_storeWait;
};

}  // namespace ui
