// The POWERSTRIP page over the dispatcher, with a unit that answers the
// page's file requests at once through the dispatcher's file-reply mailbox,
// and Qt's main thread as the window thread the waits run on.

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "QtApp.h"
#include "admin/PowerSwitchFiles.h"
#include "admin/PowerSwitchProfile.h"
#include "platform/TextError.h"
#include "protocol/PacketTypes.h"
#include "ui/PowerControlDialog.h"
#include "ui/PowerStripPage.h"
#include "ui/QtWindowThread.h"
#include "view/DispatcherFixture.h"

namespace {

std::string Document(const std::string& stripInstalled) {
  return "<Document name=\"ORB 1.0\" save=\"yes\">\n<PORTS>\n"
         "<PORT Name=\"COM1\" Type=\"SerialPort\"><DevType1>Modem</DevType1></PORT>\n"
         "<PORT Name=\"COM2\" Type=\"SerialPort\"><DevType1>PowerSwitch</DevType1></PORT>\n"
         "</PORTS>\n<DEVICES>\n"
         "<DEVICE Name=\"Modem1\" Type=\"Modem\"><Installed>COM1</Installed></DEVICE>\n"
         "<DEVICE Name=\"Strip1\" Type=\"PowerSwitch\">" +
         stripInstalled +
         "</DEVICE>\n</DEVICES>\n<PROPERTIES></PROPERTIES>\n<HELPSECTION></HELPSECTION>\n"
         "</Document>\n";
}

const std::string PROFILE =
    "Name,Strip\r\nPort,2\r\nBaudRate,9600\r\nDataBits,8\r\nStopBits,1\r\nParity,none\r\n"
    "ReadDelay,100\r\nFlowControl,Off\r\nUseRTSCTS,0\r\nOn,on\\r\r\n";

class PowerStripPageTest : public DispatcherTest, public PacketSender {
 protected:
  PowerStripPageTest() { TestApp(); }

  // The unit: keeps each request and answers it as the dispatcher would see it.
  void SendPacket(PacketHeader& header, PayloadPiece piece, PayloadPiece, PayloadPiece) override {
    const auto* bytes = static_cast<const uint8_t*>(piece.data);
    requests.push_back({header, std::vector<uint8_t>(bytes, bytes + piece.length)});
    if (header.type == GET_FILE) {
      std::vector<uint8_t> reply = {static_cast<uint8_t>(PROFILE.size() + 1), 0, 0, 0};
      reply.insert(reply.end(), PROFILE.begin(), PROFILE.end());
      reply.push_back(0);
      Feed(GET_FILE, 1, reply);
    }
    if (header.type == PUT_FILE) Feed(PUT_FILE, putStatus, {});
    if (header.type == SERIAL_OPEN || header.type == SERIAL_WRITE) Feed(header.type, 0, {});
    if (header.type == SERIAL_READ) Feed(SERIAL_READ, 0, {2, 0, 0, 0, 'O', 'K'});
  }

  ui::PowerStripUnit Unit() {
    return {dispatcher, {*this, window, dispatcher.FileReply(), dispatcher.SerialReply()}};
  }
  // The types of the requests so far.
  std::vector<uint8_t> Types() const {
    std::vector<uint8_t> types;
    for (const SentPacket& p : requests) types.push_back(p.header.type);
    return types;
  }

  ui::QtWindowThread window;
  std::vector<SentPacket> requests;
  uint8_t putStatus = 0;
};

TEST_F(PowerStripPageTest, WithoutAnInstalledStripNothingIsAsked) {
  Feed(SERVER_CONFIG_DATA, 0, Text(Document("")));
  ui::PowerStripPage page(dialogs, Unit());
  page.Activate();
  EXPECT_EQ(page.Message().text().toStdString(),
            "No power switch is installed.  Go to *Settings* *Remote Devices* to install one.");
  EXPECT_TRUE(requests.empty());
}

TEST_F(PowerStripPageTest, TheUnitsProfileIsEditedAndStoredOnlyInApply) {
  Feed(SERVER_CONFIG_DATA, 0, Text(Document("<Installed>COM2</Installed>")));
  ui::PowerStripPage page(dialogs, Unit());
  page.Activate();
  EXPECT_EQ(page.Message().text().toStdString(), "Loading values from remote...");
  ASSERT_TRUE(RunQtUntil([&] { return page.Message().text().isEmpty(); }));
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].header.type, GET_FILE);
  EXPECT_EQ(page.Editor().toPlainText().toStdString(),
            QString::fromStdString(PROFILE).replace("\r\n", "\n").toStdString());
  EXPECT_FALSE(page.IsModified());

  // Edits alone send nothing: a cancelled sheet leaves the unit's copy alone.
  page.Editor().moveCursor(QTextCursor::End);
  page.Editor().insertPlainText("Off,off\\r");
  EXPECT_TRUE(page.IsModified());
  EXPECT_EQ(requests.size(), 1u);

  page.Apply();
  ASSERT_EQ(requests.size(), 2u);
  const std::string stored = PROFILE + "Off,off\\r";
  const std::string payload = admin::PutFilePayload(admin::ACTIVE_PROFILE_PATH, stored);
  EXPECT_EQ(requests[1].header.type, PUT_FILE);
  EXPECT_EQ(requests[1].header.subtype, 1);
  EXPECT_EQ(std::string(requests[1].payload.begin(), requests[1].payload.end()), payload);
  EXPECT_FALSE(page.IsModified());
}

TEST_F(PowerStripPageTest, ARefusedProfileIsNotStoredAndTheRefusalIsTold) {
  Feed(SERVER_CONFIG_DATA, 0, Text(Document("<Installed>COM2</Installed>")));
  ui::PowerStripPage page(dialogs, Unit());
  page.Activate();
  ASSERT_TRUE(RunQtUntil([&] { return page.Message().text().isEmpty(); }));
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"", "Empty file -- nothing to save."},
      {PROFILE + "Port,3\r\n", admin::FIELDS_WRONG},
      {QString::fromStdString(PROFILE).replace("Port,2", "Port,1").toStdString(),
       "A modem is installed on this serial port.  Change the port and try again."},
  };
  for (const auto& c : cases) {
    page.Editor().setPlainText(QString::fromStdString(c.text));
    try {
      page.Apply();
      ADD_FAILURE() << c.error;
    } catch (const TextError& e) {
      EXPECT_EQ(e.Text(), c.error);
    }
  }
  EXPECT_EQ(requests.size(), 1u);
  putStatus = 1;
  page.Editor().setPlainText(QString::fromStdString(PROFILE));
  EXPECT_THROW(page.Apply(), TextError);
  EXPECT_TRUE(page.IsModified());
}

TEST_F(PowerStripPageTest, TheControlCenterFramesTheChosenCommandWithInitAndExit) {
  const std::string profile = PROFILE + "Init,\\x1B\r\nExit,bye\r\n";
  {
    ui::PowerControlDialog dialog(nullptr, dialogs, Unit().link, profile);
    EXPECT_EQ(dialog.windowTitle(), "Power Switch Control Center");
    EXPECT_EQ(dialog.Answers().font().family(), "Courier New");
    ASSERT_TRUE(dialog.Open());
    dialog.Commands().setCurrentRow(0);  // "On"
    dialog.SendChosen();
    ASSERT_TRUE(RunQtUntil([&] { return !dialog.Answers().toPlainText().isEmpty(); }));
    EXPECT_EQ(dialog.Answers().toPlainText(), "OK");
    dialog.reject();
    ASSERT_TRUE(RunQtUntil([&] { return requests.back().header.type == SERIAL_CLOSE; }));
  }
  std::vector<std::pair<uint8_t, std::string>> seen;
  for (const SentPacket& p : requests)
    seen.push_back({p.header.type, std::string(p.payload.begin(), p.payload.end())});
  ASSERT_EQ(seen.size(), 6u);
  EXPECT_EQ(seen[0].first, SERIAL_OPEN);
  EXPECT_EQ(seen[1], std::make_pair(SERIAL_WRITE, std::string("\x1B")));
  EXPECT_EQ(seen[2], std::make_pair(SERIAL_WRITE, std::string("on\r")));
  EXPECT_EQ(seen[3].first, SERIAL_READ);
  EXPECT_EQ(seen[4], std::make_pair(SERIAL_WRITE, std::string("bye")));
  EXPECT_EQ(seen[5].first, SERIAL_CLOSE);

  // Settings the unit cannot open with are told, and nothing is sent.
  requests.clear();
  ui::PowerControlDialog broken(nullptr, dialogs, Unit().link, "Port,2\r\n");
  EXPECT_FALSE(broken.Open());
  EXPECT_EQ(dialogs.Last(platform::HeadlessDialogs::Kind::Error)->text,
            "Could not control power strip.\nInvalid or missing baud rate.");
  EXPECT_TRUE(requests.empty());
}

// The dialog ends only once the command going out, its answer, Exit and the
// close are through, in that order, however soon the operator leaves.
TEST_F(PowerStripPageTest, LeavingWhileACommandGoesOutWaitsForIt) {
  ui::PowerControlDialog dialog(nullptr, dialogs, Unit().link, PROFILE + "Exit,bye\r\n");
  ASSERT_TRUE(dialog.Open());
  dialog.Commands().setCurrentRow(0);
  dialog.setResult(-1);
  dialog.SendChosen();
  dialog.accept();
  dialog.reject();  // a second close while leaving changes nothing
  EXPECT_EQ(dialog.result(), -1);
  ASSERT_TRUE(RunQtUntil([&] { return dialog.result() != -1; }));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Answers().toPlainText(), "OK");
  EXPECT_EQ(Types(), (std::vector<uint8_t>{SERIAL_OPEN, SERIAL_WRITE, SERIAL_READ, SERIAL_WRITE,
                                           SERIAL_CLOSE}));
  EXPECT_FALSE(dialogs.Last(platform::HeadlessDialogs::Kind::Error).has_value());
}

}  // namespace
