#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include "QtApp.h"
#include "platform/HeadlessDialogs.h"
#include "settings/AddressBook.h"
#include "settings/MiscSettings.h"
#include "settings/TempDir.h"
#include "ui/Commands.h"
#include "ui/ConnectionPage.h"
#include "ui/GeneralPage.h"
#include "ui/PreferencesCommand.h"
#include "ui/PreferencesSheet.h"
#include "ui/ViewerWindow.h"

namespace {

using platform::HeadlessDialogs;

class PreferencesTest : public ::testing::Test {
 protected:
  PreferencesTest() {
    TestApp();
    // A book of two locations, Plant (selected, with a failover address) and Lab.
    settings::AddressBook book;
    book.InsertItem("Plant", "10.0.0.5", "Color always", "TCP/IP", false, "");
    book.Item(0).Addresses().AddSlot("TCP/IP", "plant.example.net", false);
    book.InsertItem("Lab", "10.0.0.9", "Grey always", "TCP/IP", false, "");
    book.SetCurrentSelection(book.GetIndex("Plant"));
    settings::WriteFirstRunDefaults(m_ini);
    book.SaveToINI(m_ini);
  }

  std::unique_ptr<ui::PreferencesSheet> Sheet() {
    auto sheet = std::make_unique<ui::PreferencesSheet>(nullptr, m_dialogs, false);
    sheet->AddPage(std::make_unique<ui::ConnectionPage>(m_dialogs, m_ini,
                                                        std::vector<std::string>{"Office Modem"}));
    sheet->AddPage(std::make_unique<ui::GeneralPage>(m_dialogs, m_ini));
    return sheet;
  }
  static ui::ConnectionPage& Connection(ui::PreferencesSheet& sheet) {
    return dynamic_cast<ui::ConnectionPage&>(*sheet.Page("CONNECTION"));
  }
  static ui::GeneralPage& General(ui::PreferencesSheet& sheet) {
    return dynamic_cast<ui::GeneralPage&>(*sheet.Page("GENERAL"));
  }
  std::string File() const { return ReadWholeFile(m_path); }
  std::string Read(const std::string& section, const char* key) {
    return m_ini.Read(section, key, "(missing)", 200);
  }
  // The title and detail of the last refusal shown.
  std::pair<std::string, std::string> LastRefusal() const {
    const auto call = m_dialogs.Last(HeadlessDialogs::Kind::Error);
    return call ? std::pair{call->title, call->text} : std::pair<std::string, std::string>{};
  }

  TempDir m_dir;
  std::string m_path = m_dir.File("Remote.ini");
  settings::IniFile m_ini{m_path};
  HeadlessDialogs m_dialogs;
};

// Adds a location "Annex" reached first by TCP/IP, then by a pulse-dialled modem.
void AddAnnex(ui::ConnectionPage& page, HeadlessDialogs& dialogs) {
  dialogs.Script(HeadlessDialogs::Answer::Text("Annex"));
  page.AddLocationButton().click();
  page.AddressEdit().setText("192.168.1.20:6000");
  page.Rendering().setCurrentText("Grey -> Color");
  page.AddFailoverButton().click();
  page.AddressEdit().setText("5551234");
  page.UsingChoice().setCurrentText("Office Modem");
  page.PulseDial().setChecked(true);
}

}  // namespace

TEST_F(PreferencesTest, ConnectionEditsReachTheFileOnApplyAndNotBefore) {
  auto sheet = Sheet();
  ui::ConnectionPage& page = Connection(*sheet);
  EXPECT_EQ(page.Locations().currentItem()->text(), "Plant");
  EXPECT_EQ(page.Addresses().rowCount(), 2);
  EXPECT_EQ(page.Addresses().item(1, 2)->text(), "n/a");
  EXPECT_FALSE(sheet->ApplyButton().isEnabled());

  const std::string before = File();
  AddAnnex(page, m_dialogs);
  EXPECT_EQ(page.Addresses().item(1, 2)->text(), "Pulse");
  EXPECT_EQ(File(), before);
  EXPECT_TRUE(sheet->ApplyButton().isEnabled());

  sheet->ApplyButton().click();
  EXPECT_EQ(LastRefusal().first, "");
  EXPECT_FALSE(sheet->ApplyButton().isEnabled());
  EXPECT_EQ(Read("TARGET-Annex", "Address"), "192.168.1.20:6000");
  EXPECT_EQ(Read("TARGET-Annex", "ColorRendering"), "Grey -> Color");
  EXPECT_EQ(Read("TARGET-Annex", "ConnectionType"), "TCP/IP");
  EXPECT_EQ(Read("TARGET-Annex", "IsPulseDial"), "(missing)");
  EXPECT_EQ(Read("TARGET-Annex", "Address2"), "5551234");
  EXPECT_EQ(Read("TARGET-Annex", "ConnectionType2"), "Office Modem");
  EXPECT_EQ(Read("TARGET-Annex", "IsPulseDial2"), "T");
  EXPECT_EQ(Read("MISC", "CURRSELTEXT"), "Annex");
  EXPECT_EQ(Read("MISC", "CURRSEL"), "0");
  // The other entries are kept, with their failover addresses.
  EXPECT_EQ(Read("TARGET-Plant", "Address2"), "plant.example.net");
  EXPECT_EQ(Read("TARGET-Lab", "ColorRendering"), "Grey always");
}

TEST_F(PreferencesTest, CancelWritesNothingOfAnyPage) {
  const std::string before = File();
  auto sheet = Sheet();
  AddAnnex(Connection(*sheet), m_dialogs);
  Connection(*sheet).DeleteLocationButton().click();
  ui::GeneralPage& general = General(*sheet);
  general.Hotkey(0).setCurrentText("F12");
  general.FastMouseThreshold().setValue(4000);
  sheet->CancelButton().click();
  EXPECT_EQ(sheet->result(), QDialog::Rejected);
  EXPECT_EQ(File(), before);
}

TEST_F(PreferencesTest, RefusedConnectionEditsAreShownWithTheirTextAndChangeNothing) {
  struct Case {
    const char* what;
    std::optional<std::string> prompted;  // the name typed, when the action asks for one
    void (*act)(ui::ConnectionPage&);
    const char* title;
  };
  const Case cases[] = {
      {"empty name", "  ", [](ui::ConnectionPage& p) { p.AddLocationButton().click(); },
       "Unable to add the location to the list"},
      {"name in use", "plant", [](ui::ConnectionPage& p) { p.AddLocationButton().click(); },
       "Unable to add the location to the list"},
      {"rename to a sentinel", "-lab",
       [](ui::ConnectionPage& p) { p.RenameLocationButton().click(); },
       "Unable to edit the selected location name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto sheet = Sheet();
    ui::ConnectionPage& page = Connection(*sheet);
    if (c.prompted) m_dialogs.Script(HeadlessDialogs::Answer::Text(*c.prompted));
    c.act(page);
    EXPECT_EQ(LastRefusal().first, c.title);
    EXPECT_EQ(page.Book().Count(), 2);
    EXPECT_EQ(page.Book().Item(1).Location(), "Plant");
    EXPECT_FALSE(sheet->ApplyButton().isEnabled());
    m_dialogs.ClearCalls();
  }

  auto sheet = Sheet();
  ui::ConnectionPage& page = Connection(*sheet);
  page.DeleteLocationButton().click();
  EXPECT_EQ(page.Book().Count(), 1);
  EXPECT_EQ(page.Locations().currentItem()->text(), "Lab");
  page.DeleteLocationButton().click();
  EXPECT_EQ(LastRefusal().first, "The last item can't be deleted.");
  EXPECT_EQ(page.Book().Count(), 1);

  for (int added = 1; added < 10; ++added) page.AddFailoverButton().click();
  EXPECT_EQ(page.Addresses().rowCount(), 10);
  EXPECT_FALSE(page.AddFailoverButton().isEnabled());
}

TEST_F(PreferencesTest, GeneralSettingsAreWrittenOnOkAndTheRunningKeyboardAndMouseTakeThemUp) {
  ui::ViewerWindowSetup setup;
  setup.iniPath = m_path;
  setup.productName = "Tessaline";
  setup.traceLog = false;
  ui::ViewerWindow window(setup);
  window.Show();
  auto sheet =
      ui::MakePreferencesSheet(nullptr, window.Core(), m_dialogs, ui::ID_SETTINGS_KEYBOARD_MOUSE);
  ui::GeneralPage& page = General(*sheet);
  EXPECT_EQ(sheet->findChild<QTabWidget*>()->currentWidget(), &page);
  EXPECT_EQ(page.Hotkey(0).currentText(), "P");
  EXPECT_EQ(page.TriggerKeys().currentText(), "Both");
  EXPECT_EQ(page.FastMouseThreshold().value(), 1525);

  page.Hotkey(0).setCurrentText("F12");
  page.TriggerKeys().setCurrentText("LCtrl-down LCtrl-up");
  page.ScrollUsingArrows().setChecked(false);
  page.EscapeByFastMouse().setChecked(false);
  page.FastMouseThreshold().setValue(6000);
  page.SlowMouseThreshold().setValue(600);
  EXPECT_EQ(page.RepaintDelay().value(), 101);
  page.RepaintDelay().setValue(0);
  sheet->OkButton().click();
  EXPECT_EQ(sheet->result(), QDialog::Accepted);

  EXPECT_EQ(Read("MISC", "HOTKEY_PASSTHROUGH"), "F12");
  EXPECT_EQ(Read("MISC", "TRIGGER_KEYS"), "LCtrl-down LCtrl-up");
  EXPECT_EQ(Read("MISC", "SCROLL_USING_ARROWS"), "F");
  EXPECT_EQ(Read("MISC", "ESCAPE_BY_FASTMOUSE"), "F");
  EXPECT_EQ(Read("MISC", "FAST_MOUSE_THRESHOLD"), "6000");
  EXPECT_EQ(Read("MISC", "SLOW_MOUSE_THRESHOLD"), "600");
  const input::HotkeySettings& running = window.Core().Keyboard().Settings();
  EXPECT_EQ(running.m_hotkeyPassthru, input::Keystroke("F12"));
  EXPECT_EQ(running.triggerKeys, "LCtrl-down LCtrl-up");
  EXPECT_FALSE(running.scrollWithArrows);
  EXPECT_FALSE(window.Core().Mouse().Settings().fastExit);
  EXPECT_EQ(window.Core().Mouse().Settings().fastThreshold, 6000);
  EXPECT_EQ(window.Core().Mouse().Settings().slowThreshold, 600);
  EXPECT_EQ(Read("MISC", "RepaintDelayMS"), "0");
  EXPECT_EQ(window.Core().Bitmap().Repaint().RepaintDelay(), 0u);
}

TEST_F(PreferencesTest, TheSettingsCommandsOpenTheSheetOnTheirPageAndTheUnitBoxFollowsIt) {
  ui::ViewerWindowSetup setup;
  setup.iniPath = m_path;
  setup.productName = "Tessaline";
  setup.traceLog = false;
  ui::ViewerWindow window(setup);
  window.Show();
  EXPECT_EQ(window.Frame().TargetBox().count(), 2);

  // Runs once the command's sheet is up, then closes it.
  const auto whenOpen = [](std::function<void(ui::PreferencesSheet&)> act) {
    QTimer::singleShot(0, [act] {
      auto* sheet = dynamic_cast<ui::PreferencesSheet*>(QApplication::activeModalWidget());
      ASSERT_NE(sheet, nullptr);
      act(*sheet);
      if (sheet->isVisible()) sheet->reject();
    });
  };
  QString shown;
  whenOpen([&](ui::PreferencesSheet& sheet) {
    shown = sheet.findChild<QTabWidget*>()->tabText(sheet.findChild<QTabWidget*>()->currentIndex());
  });
  window.OnCommand(ui::ID_SETTINGS_KEYBOARD_MOUSE);
  EXPECT_EQ(shown, "GENERAL");

  whenOpen([&](ui::PreferencesSheet& sheet) {
    ui::ConnectionPage& page = Connection(sheet);
    shown = sheet.findChild<QTabWidget*>()->tabText(sheet.findChild<QTabWidget*>()->currentIndex());
    page.Locations().setCurrentRow(0);
    page.DeleteLocationButton().click();
    sheet.OkButton().click();
  });
  window.OnCommand(ui::ID_SETTINGS_CONNECTIONS);
  EXPECT_EQ(shown, "CONNECTION");
  ASSERT_EQ(window.Frame().TargetBox().count(), 1);
  EXPECT_EQ(window.Frame().TargetBox().itemText(0), "Plant");
  EXPECT_EQ(Read("TARGET-Lab", "Location"), "(missing)");
}

TEST_F(PreferencesTest, RefusedGeneralSettingsKeepTheSheetOpenAndTheFileAsItWas) {
  struct Case {
    const char* what;
    void (*edit)(ui::GeneralPage&);
    const char* detail;
  };
  const Case cases[] = {
      {"no way out",
       [](ui::GeneralPage& p) {
         p.EscapeByHotkey().setChecked(false);
         p.EscapeBySlowMouse().setChecked(false);
         p.EscapeByFastMouse().setChecked(false);
       },
       "Pass-through needs a way out: keep the hotkey, the slow mouse or the fast mouse on."},
      {"one key for two commands", [](ui::GeneralPage& p) { p.Hotkey(2).setCurrentText("P"); },
       "Pass-through and Refresh share the hotkey P."},
      {"no key", [](ui::GeneralPage& p) { p.Hotkey(4).setCurrentIndex(-1); },
       "Alt+Tab: Can't convert string to keystroke."},
  };
  const std::string before = File();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto sheet = Sheet();
    c.edit(General(*sheet));
    sheet->OkButton().click();
    EXPECT_NE(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(LastRefusal().first, "Unable to apply the changes");
    EXPECT_EQ(LastRefusal().second, c.detail);
    EXPECT_EQ(File(), before);
  }
}

TEST_F(PreferencesTest, PagesForAdministratorsAreShownToAdministratorsOnly) {
  struct AdminPage : ui::PreferencesPage {
    using PreferencesPage::PreferencesPage;
    QString Name() const override { return "SECURITY"; }
    bool AdministratorOnly() const override { return true; }
    void Apply() override {}
  };
  for (const bool administrator : {false, true}) {
    ui::PreferencesSheet sheet(nullptr, m_dialogs, administrator);
    EXPECT_EQ(sheet.AddPage(std::make_unique<AdminPage>(m_dialogs)), administrator);
    EXPECT_EQ(sheet.ShowPage("SECURITY"), administrator);
  }
}
