// The administrator's pages over the dispatcher that keeps what the unit
// sent, with a session that records what they send; then the SECURITY page
// in the real window against orb-sim.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <fstream>
#include <sstream>

#include "WindowFixture.h"
#include "admin/ServerConfigData.h"
#include "admin/UsersPacket.h"
#include "protocol/PacketTypes.h"
#include "settings/EditError.h"
#include "settings/IniFile.h"
#include "settings/MiscSettings.h"
#include "support/SimProcess.h"
#include "ui/Commands.h"
#include "ui/DevicesPage.h"
#include "ui/PreferencesCommand.h"
#include "ui/PropertyEditor.h"
#include "ui/SecurityPage.h"
#include "ui/SwitchPage.h"
#include "ui/UserDetailsDialog.h"
#include "ui/ViewerWindow.h"
#include "view/DispatcherFixture.h"

namespace {

using platform::HeadlessDialogs;

constexpr const char* SWITCH_TABLE = "\ncustom\n\n\n\n`1`Alpha`LCtrl-dn 1 LCtrl-up\n`2`Bravo`F2\n";

constexpr const char* DOCUMENT =
    "<?xml version=\"1.0\" encoding=\"US-ASCII\" standalone=\"yes\"?>\n\n"
    "<Document name=\"ORB 1.0\" save=\"yes\">\n"
    "<PORTS>\n"
    "<PORT Name=\"COM1\" Type=\"SerialPort\"><DevType1>Modem</DevType1>"
    "<DevType2>PowerSwitch</DevType2></PORT>\n"
    "<PORT Name=\"COM2\" Type=\"SerialPort\"><DevType1>PowerSwitch</DevType1></PORT>\n"
    "</PORTS>\n<DEVICES>\n"
    "<DEVICE Name=\"Modem1\" Type=\"Modem\"><Installed>COM1</Installed>"
    "<Rings Edit=\"2\" Min=\"1\" Max=\"9\">2</Rings>"
    "<Speed Edit=\"3\">57600,9600,57600</Speed></DEVICE>\n"
    "<DEVICE Name=\"Strip1\" Type=\"PowerSwitch\"><Outlets Edit=\"2\" Min=\"1\" "
    "Max=\"8\">8</Outlets></DEVICE>\n"
    "</DEVICES>\n<PROPERTIES></PROPERTIES>\n<HELPSECTION></HELPSECTION>\n</Document>\n";

admin::LoginAccount Account(std::string id, std::string dialback, std::string mask, bool admin) {
  admin::LoginAccount account;
  account.userId = std::move(id);
  account.password = "secret";
  account.dialback = std::move(dialback);
  account.ipMask = std::move(mask);
  account.privilege = admin ? admin::PRIVILEGE_ADMINISTRATOR : admin::PRIVILEGE_USER;
  return account;
}

// One administrator and one user, as the unit sends them.
admin::LoginsList UnitAccounts() {
  admin::LoginsList list;
  list.Append(Account("admin", "#", "*.*.*.*", true));
  list.Append(Account("night", "555-0123", "192.168.1.*", false));
  return list;
}

std::vector<std::string> Row(QTableWidget& table, int row) {
  std::vector<std::string> cells;
  for (int column = 0; column < table.columnCount(); ++column)
    cells.push_back(table.item(row, column)->text().toStdString());
  return cells;
}

class AdminPagesTest : public DispatcherTest {
 protected:
  AdminPagesTest() {
    TestApp();
    session.loggedIn = true;
  }

  void SendUsersFromUnit(const admin::LoginsList& list) {
    Feed(USERS_LIST, 1, admin::BuildUsersPayload(list));
  }
  // The packets of one type the pages sent.
  std::vector<SentPacket> Sent(uint8_t type) const {
    std::vector<SentPacket> found;
    for (const SentPacket& packet : session.sent)
      if (packet.header.type == type) found.push_back(packet);
    return found;
  }
  admin::LoginsList SentUsers() const {
    const std::vector<SentPacket> users = Sent(USERS_LIST);
    EXPECT_EQ(users.size(), 1u);
    const SentPacket& packet = users.back();
    return admin::ReadUsersList(packet.header, packet.payload.data(), packet.payload.size());
  }
  std::string LastError() const {
    const auto call = dialogs.Last(HeadlessDialogs::Kind::Error);
    return call ? call->title + " | " + call->text : std::string();
  }

  ui::UnitAdmin Unit() { return {session, dispatcher, {"Model A", "Model B", "Model C"}}; }
};

// Fills and accepts the user details dialog when the page runs it.
auto Answer(std::function<void(ui::UserDetailsDialog&)> fill, bool accept = true) {
  return [fill, accept](ui::UserDetailsDialog& dialog) {
    fill(dialog);
    if (!accept || !dialog.OkButton().isEnabled()) return int(QDialog::Rejected);
    return int(QDialog::Accepted);
  };
}

TEST_F(AdminPagesTest, SecurityPageShowsTheAccountsAndSendsThemBackWithAnAddedOne) {
  SendUsersFromUnit(UnitAccounts());
  ui::SecurityPage page(dialogs, Unit());
  ASSERT_EQ(page.Table().rowCount(), 2);
  EXPECT_EQ(Row(page.Table(), 0), (std::vector<std::string>{"admin", "", "*.*.*.*", "YES"}));
  EXPECT_EQ(Row(page.Table(), 1),
            (std::vector<std::string>{"night", "555-0123", "192.168.1.*", "NO"}));

  page.SetDialogRunner(Answer([](ui::UserDetailsDialog& d) {
    d.UserId().setText("carol");
    d.Password().setText("pw/1");
    d.Confirmation().setText("pw/1");
    d.Dialback().setText("555 12-34");
    d.MaskPart(3).setText("7");
    d.Administrator().setCurrentText("YES");
  }));
  page.AddButton().click();
  EXPECT_TRUE(page.IsModified());
  EXPECT_TRUE(session.sent.empty());
  page.Apply();

  admin::LoginsList expected = UnitAccounts();
  admin::LoginAccount carol = Account("carol", "555 12-34", "*.*.*.7", true);
  carol.password = "pw/1";
  carol.passwordChanged = true;
  expected.Append(carol);
  // The reader clears the flag; the payload carries it as "T".
  const std::vector<uint8_t> payload = Sent(USERS_LIST).at(0).payload;
  EXPECT_EQ(payload, admin::BuildUsersPayload(expected));
  EXPECT_EQ(Sent(USERS_LIST).at(0).header.subtype, admin::USERS_LIST_SENT_SUBTYPE);
}

TEST_F(AdminPagesTest, EditingWithoutTouchingThePasswordKeepsIt) {
  SendUsersFromUnit(UnitAccounts());
  ui::SecurityPage page(dialogs, Unit());
  page.Table().selectRow(1);
  page.SetDialogRunner(Answer([](ui::UserDetailsDialog& d) {
    // The placeholders are there, never the password itself.
    EXPECT_NE(d.Password().text(), "secret");
    EXPECT_EQ(d.Password().echoMode(), QLineEdit::Password);
    d.Dialback().setText("");
  }));
  page.EditButton().click();
  page.Apply();
  admin::LoginsList expected = UnitAccounts();
  expected.At(1).dialback = "#";
  EXPECT_EQ(Sent(USERS_LIST).at(0).payload, admin::BuildUsersPayload(expected));
}

TEST_F(AdminPagesTest, TheDetailsDialogShowsTheFirstBrokenRuleAndKeepsOkDisabled) {
  const admin::LoginsList list = UnitAccounts();
  struct Case {
    std::function<void(ui::UserDetailsDialog&)> fill;
    std::string shown;
  };
  const std::vector<Case> cases = {
      {[](auto& d) { d.UserId().setText(""); }, "User ID may not be blank."},
      {[](auto& d) { d.UserId().setText("NIGHT"); }, "User ID already present."},
      {[](auto& d) { d.Password().setText("a"); }, "Passwords don't match."},
      {[](auto& d) { d.Dialback().setText("555,"); },
       "The dialback cannot start or end in a comma or a hyphen."},
      {[](auto& d) { d.MaskPart(1).setText("1*"); }, "Cannot contain * and numbers"},
      {[](auto& d) { d.MaskPart(2).setText("256"); }, "Must be 0 - 255 or *"},
      {[](auto& d) { d.MaskPart(0).setText(""); },
       "The dotted quads should have a number or an asterisk."},
  };
  for (const Case& c : cases) {
    ui::UserDetailsDialog dialog(nullptr, dialogs, list, std::nullopt);
    dialog.UserId().setText("carol");
    ASSERT_TRUE(dialog.OkButton().isEnabled());
    c.fill(dialog);
    EXPECT_EQ(dialog.Status().text().toStdString(), c.shown);
    EXPECT_FALSE(dialog.OkButton().isEnabled()) << c.shown;
  }

  // A character outside a field's set is refused as it is typed.
  ui::UserDetailsDialog typing(nullptr, dialogs, list, std::nullopt);
  for (const auto& [field, key] : {std::pair{&typing.UserId(), '/'}, {&typing.Dialback(), 'x'}}) {
    field->setText("12");
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(key));
    QApplication::sendEvent(field, &press);
    EXPECT_EQ(field->text(), "12") << key;
  }

  // The last administrator keeps the privilege.
  ui::UserDetailsDialog dialog(nullptr, dialogs, list, 0);
  dialog.Administrator().setCurrentText("NO");
  EXPECT_EQ(dialog.Administrator().currentText(), "YES");
  EXPECT_NE(LastError().find("This is the last account with administration privileges."),
            std::string::npos);
  EXPECT_TRUE(dialog.OkButton().isEnabled());
}

TEST_F(AdminPagesTest, SecurityPageRefusalsAndCancelSendNothing) {
  SendUsersFromUnit(UnitAccounts());
  ui::SecurityPage page(dialogs, Unit());
  // The last administrator cannot go.
  page.Table().selectRow(0);
  page.RemoveButton().click();
  EXPECT_NE(LastError().find("This is the last administrator account"), std::string::npos);
  // A dialog cancelled, or left with a broken rule, changes nothing.
  page.SetDialogRunner(Answer([](auto& d) { d.UserId().setText("dave"); }, false));
  page.AddButton().click();
  page.SetDialogRunner(Answer([](auto& d) { d.UserId().setText("Admin"); }));
  page.AddButton().click();
  EXPECT_EQ(page.Shown(), UnitAccounts());
  EXPECT_FALSE(page.IsModified());

  // A full list takes no more.
  admin::LoginsList full = UnitAccounts();
  while (full.Count() < admin::MAX_ACCOUNTS)
    full.Append(Account("u" + std::to_string(full.Count()), "#", "*.*.*.*", false));
  SendUsersFromUnit(full);
  ui::SecurityPage fullPage(dialogs, Unit());
  int runs = 0;
  fullPage.SetDialogRunner([&](auto&) { return ++runs, int(QDialog::Rejected); });
  fullPage.AddButton().click();
  EXPECT_EQ(runs, 0);
  EXPECT_NE(LastError().find("Lab has the maximum number of accounts."), std::string::npos);

  // The link gone: Apply refuses rather than report a send that never went.
  fullPage.Table().selectRow(5);
  fullPage.RemoveButton().click();
  session.connected = false;
  EXPECT_THROW(fullPage.Apply(), TextError);
  EXPECT_TRUE(session.sent.empty());
}

TEST_F(AdminPagesTest, PagesSayWhenTheUnitHasSentNothing) {
  ui::SecurityPage security(dialogs, Unit());
  EXPECT_EQ(security.Message().text(), "Lab has sent no accounts list yet.");
  EXPECT_FALSE(security.AddButton().isEnabled());
  ui::DevicesPage devices(dialogs, Unit());
  EXPECT_EQ(devices.Message().text(), "Lab has sent no configuration document yet.");
  EXPECT_EQ(devices.Ports().count(), 0);
  // A list that could not be read is said so, and not edited.
  std::vector<uint8_t> spoilt = admin::BuildUsersPayload(UnitAccounts());
  spoilt[0] = 3;
  Feed(USERS_LIST, 1, spoilt);
  ui::SecurityPage faulty(dialogs, Unit());
  EXPECT_TRUE(faulty.Message().text().startsWith("The accounts list from Lab could not be read"));
  EXPECT_EQ(faulty.Table().rowCount(), 0);
  EXPECT_FALSE(faulty.AddButton().isEnabled());
}

TEST_F(AdminPagesTest, SwitchPageAsksForTheTableEditsItAndSendsItChecked) {
  ui::SwitchPage page(dialogs, Unit());
  ASSERT_EQ(Sent(REQUEST_SWITCH_SETTINGS).size(), 1u);
  EXPECT_EQ(page.Message().text(), "Waiting for the switch table from Lab.");
  Feed(SWITCH_SETTINGS, 0, Text(SWITCH_TABLE));
  page.TakeUpUnitTable();
  EXPECT_TRUE(page.Message().text().isEmpty());
  ASSERT_EQ(page.Grid().rowCount(), 2);
  EXPECT_EQ(Row(page.Grid(), 0), (std::vector<std::string>{"1", "Alpha", "LCtrl-dn 1 LCtrl-up"}));

  page.PortCount().setValue(3);
  page.Grid().item(2, 1)->setText("Charlie");
  page.Grid().item(2, 2)->setText("ctrl F3");
  EXPECT_TRUE(page.IsModified());

  // Saved with CR LF, read back the same.
  const std::string file = dir.File("ports");
  dialogs.Script(HeadlessDialogs::Answer::Text(file));
  page.SaveButton().click();
  std::ifstream saved(file + ".switch", std::ios::binary);
  std::stringstream bytes;
  bytes << saved.rdbuf();
  EXPECT_EQ(bytes.str(),
            "\r\ncustom\r\n\r\n\r\n\r\n`1`Alpha`LCtrl-dn 1 LCtrl-up\r\n`2`Bravo`F2\r\n"
            "`3`Charlie`LCtrl F3\r\n");

  page.Apply();
  const SentPacket sent = Sent(SWITCH_SETTINGS).at(0);
  EXPECT_EQ(std::string(sent.payload.begin(), sent.payload.end()),
            std::string("\ncustom\n\n\n\n`1`Alpha`LCtrl-dn 1 LCtrl-up\n`2`Bravo`F2\n"
                        "`3`Charlie`LCtrl F3\n") +
                '\0');

  // Lowering the count asks; No keeps the rows.
  dialogs.Script(HeadlessDialogs::Answer::Choose(platform::DialogChoice::No));
  page.PortCount().setValue(1);
  EXPECT_EQ(page.Grid().rowCount(), 3);
  EXPECT_EQ(page.PortCount().value(), 3);
  EXPECT_EQ(dialogs.Last(HeadlessDialogs::Kind::YesNo)->text,
            "Deleting the last 2 ports from the table, OK?");
}

TEST_F(AdminPagesTest, SwitchPageSendsNothingWhileTheTableHasProblems) {
  Feed(SWITCH_SETTINGS, 0, Text(SWITCH_TABLE));
  ui::SwitchPage page(dialogs, Unit());
  EXPECT_TRUE(Sent(REQUEST_SWITCH_SETTINGS).empty());
  page.Grid().item(1, 0)->setText("3");
  page.Grid().item(0, 2)->setText("LCtrl-down");
  try {
    page.Apply();
    ADD_FAILURE() << "a table with problems was sent";
  } catch (const TextError& e) {
    EXPECT_EQ(e.Text(),
              "The following problems were found with the pattern:\n\nLine 6: Key code parse "
              "error\nInvalid entry  LCtrl-down  removed.\n");
  }
  page.SendButton().click();
  EXPECT_NE(LastError().find("Key code parse error"), std::string::npos);
  EXPECT_TRUE(Sent(SWITCH_SETTINGS).empty());

  // A table that comes in over the operator's edits leaves them; one with
  // problems is said so and not taken up.
  Feed(SWITCH_SETTINGS, 0, Text(SWITCH_TABLE));
  page.TakeUpUnitTable();
  EXPECT_EQ(page.Message().text(), "A switch table came from Lab; your edits are kept.");
  page.SetModified(false);
  Feed(SWITCH_SETTINGS, 0, Text("\ncustom\n\n\n\n`2`Bravo`F2\n"));
  page.TakeUpUnitTable();
  EXPECT_EQ(page.Message().text(),
            "The following problems were found with the pattern:\n\nLine 6: The first Port "
            "number should be 1\n");
  EXPECT_EQ(page.Grid().item(1, 0)->text(), "3");
}

std::vector<std::string> Texts(QListWidget& list) {
  std::vector<std::string> texts;
  for (int row = 0; row < list.count(); ++row)
    texts.push_back(list.item(row)->text().toStdString());
  return texts;
}

TEST_F(AdminPagesTest, DevicesPageInstallsEditsAndSendsTheDocument) {
  Feed(SERVER_CONFIG_DATA, 0, Text(DOCUMENT));
  ui::DevicesPage page(dialogs, Unit());
  EXPECT_EQ(Texts(page.Ports()), (std::vector<std::string>{"*COM1", "COM2"}));
  EXPECT_EQ(page.InstallButton().text(), "Toggle Install");
  EXPECT_FALSE(page.InstallButton().isEnabled());

  page.Ports().setCurrentRow(1);
  EXPECT_EQ(Texts(page.Devices()), (std::vector<std::string>{"Strip1"}));
  page.Devices().setCurrentRow(0);
  EXPECT_EQ(page.InstallButton().text(), "Install");
  page.InstallButton().click();
  EXPECT_EQ(Texts(page.Ports()), (std::vector<std::string>{"*COM1", "*COM2"}));
  // The port now holds a power strip: its button rests and the page says why.
  EXPECT_FALSE(page.InstallButton().isEnabled());
  EXPECT_TRUE(page.InstallNote().text().startsWith("The install button is inactive"));

  // A number within its limits is stored; one outside them cannot be typed.
  page.Ports().setCurrentRow(0);
  page.Devices().setCurrentRow(0);
  page.SetEditorRunner([](ui::PropertyEditor& editor) {
    editor.Names().setCurrentRow(1);
    EXPECT_EQ(editor.Limits().text(), "From 1 to 9");
    EXPECT_EQ(editor.NumberValue().maximum(), 9);
    editor.NumberValue().setValue(5);
    emit editor.NumberValue().editingFinished();
    editor.Names().setCurrentRow(2);
    EXPECT_EQ(editor.ChoiceValue().count(), 2);
    return int(QDialog::Accepted);
  });
  page.PropertiesButton().click();
  EXPECT_TRUE(page.IsModified());

  page.Apply();
  SentPacket sent = Sent(SERVER_CONFIG_DATA).at(0);
  EXPECT_EQ(sent.header.subtype, 1);
  // The recording session leaves the sizes to the wire.
  sent.header.PayloadSize = sent.header.DataSize = static_cast<uint16_t>(sent.payload.size());
  const admin::ConfigDocument back = admin::ConfigDocument::FillFromString(
      admin::HandleServerConfigData(sent.header, sent.payload.data(), sent.payload.size()));
  EXPECT_EQ(back.InstalledOn("Strip1"), "COM2");
  EXPECT_EQ(back.Find("DEVICE", "Modem1")->Property("Rings")->value, "5");
  EXPECT_EQ(back, *page.Document());
}

TEST_F(AdminPagesTest, DevicesPageRefusalsLeaveTheDocumentAsItWas) {
  Feed(SERVER_CONFIG_DATA, 0, Text("<Document name=\"ORB 1.0\""));
  ui::DevicesPage spoilt(dialogs, Unit());
  EXPECT_TRUE(spoilt.Message().text().startsWith("Config data from server was invalid."));
  EXPECT_FALSE(spoilt.Document());

  Feed(SERVER_CONFIG_DATA, 0, Text(DOCUMENT));
  ui::DevicesPage page(dialogs, Unit());
  const admin::ConfigDocument before = *page.Document();
  dialogs.Script(HeadlessDialogs::Answer::Text(dir.File("missing.xml")));
  page.FromFileButton().click();
  EXPECT_NE(LastError().find("Error reading file. | Error occured in OnBUTTONFromFile()"),
            std::string::npos);
  EXPECT_EQ(*page.Document(), before);
  EXPECT_FALSE(page.IsModified());

  // Saved and read back, the same document.
  dialogs.Script(HeadlessDialogs::Answer::Text(dir.File("unit.xml")));
  page.SaveToFileButton().click();
  dialogs.Script(HeadlessDialogs::Answer::Text(dir.File("unit.xml")));
  page.FromFileButton().click();
  EXPECT_EQ(*page.Document(), before);

  // The link gone: nothing sent, the refusal titled as the page's.
  session.connected = false;
  try {
    page.Apply();
    ADD_FAILURE() << "sent without a link";
  } catch (const settings::EditError& e) {
    EXPECT_EQ(e.Text(), "Error sending changes to remote.");
  }
  EXPECT_TRUE(Sent(SERVER_CONFIG_DATA).empty());
}

TEST_F(AdminPagesTest, CancelledSheetSendsNothing) {
  SendUsersFromUnit(UnitAccounts());
  Feed(SERVER_CONFIG_DATA, 0, Text(DOCUMENT));
  Feed(SWITCH_SETTINGS, 0, Text(SWITCH_TABLE));
  ui::PreferencesSheet sheet(nullptr, dialogs, true);
  sheet.AddPage(std::make_unique<ui::SecurityPage>(dialogs, Unit()));
  sheet.AddPage(std::make_unique<ui::SwitchPage>(dialogs, Unit()));
  sheet.AddPage(std::make_unique<ui::DevicesPage>(dialogs, Unit()));
  auto& security = dynamic_cast<ui::SecurityPage&>(*sheet.Page("SECURITY"));
  security.Table().selectRow(1);
  security.RemoveButton().click();
  dynamic_cast<ui::SwitchPage&>(*sheet.Page("SWITCH")).Grid().item(0, 1)->setText("Zulu");
  auto& devices = dynamic_cast<ui::DevicesPage&>(*sheet.Page("DEVICES"));
  devices.Ports().setCurrentRow(0);
  devices.Devices().setCurrentRow(0);
  devices.InstallButton().click();
  EXPECT_TRUE(sheet.ApplyButton().isEnabled());
  sheet.CancelButton().click();
  EXPECT_TRUE(session.sent.empty());

  // An operator who is no administrator is offered none of them.
  ui::PreferencesSheet plain(nullptr, dialogs, false);
  EXPECT_FALSE(plain.AddPage(std::make_unique<ui::SecurityPage>(dialogs, Unit())));
}

bool WaitUntil(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > 10000) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

TEST(AdminPagesSessionTest, AnAccountAddedOnTheSecurityPageReachesTheUnit) {
  TestApp();
  TempDir dir;
  const std::string users = dir.File("users.txt");
  std::ofstream(users) << "admin:admin:admin\noperator:operator:user\n";
  SimProcess sim({"--users", users});
  const ui::ViewerWindowSetup setup = TestWindowSetup(dir);
  WriteQuietFirstRun(setup.iniPath);
  ui::ViewerWindow window(setup);
  window.Show();
  // Before the administrator's login the unit's pages are not there to open.
  HeadlessDialogs told;
  EXPECT_EQ(ui::MakePreferencesSheet(nullptr, window.Core(), told, ui::ID_SETTINGS_SWITCH)
                ->Page("SWITCH"),
            nullptr);
  EXPECT_NE(told.Last(HeadlessDialogs::Kind::MessageBox)->text.find("This tab is active only when"),
            std::string::npos);
  {
    QTimer answers;
    QObject::connect(&answers, &QTimer::timeout, [] {
      if (auto* question = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
        question->setTextValue("admin");
        question->accept();
      }
    });
    answers.start(10);
    window.RunConnectProgress(sim.Address());
  }
  const view::KVMDispatcher& dispatcher = window.Core().Dispatcher();
  ASSERT_TRUE(WaitUntil([&] { return dispatcher.ReceiveCount(USERS_LIST) > 0; }));

  auto sheet =
      ui::MakePreferencesSheet(nullptr, window.Core(), window.Dialogs(), ui::ID_SETTINGS_SECURITY);
  auto* page = dynamic_cast<ui::SecurityPage*>(sheet->Page("SECURITY"));
  ASSERT_NE(page, nullptr);
  ASSERT_NE(sheet->Page("SWITCH"), nullptr);
  ASSERT_EQ(page->Table().rowCount(), 2);
  page->SetDialogRunner(Answer([](ui::UserDetailsDialog& d) {
    d.UserId().setText("carol");
    d.Password().setText("pw-9");
    d.Confirmation().setText("pw-9");
  }));
  page->AddButton().click();
  ASSERT_TRUE(sheet->ApplyChanges());
  EXPECT_TRUE(WaitUntil([&] {
    return ReadAll(users).find("carol:pw-9:user") != std::string::npos;
  })) << ReadAll(users);
  // The accounts the unit had are kept, their passwords as they were.
  EXPECT_NE(ReadAll(users).find("operator:operator:user"), std::string::npos);
}

}  // namespace
