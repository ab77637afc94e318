#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "admin/PowerStripControl.h"
#include "admin/PowerSwitchFiles.h"
#include "admin/PowerSwitchProfile.h"
#include "platform/MessageLoop.h"
#include "platform/TextError.h"
#include "protocol/PacketTypes.h"

namespace admin {
namespace {

const std::string SETTINGS =
    "Name,Strip\r\nPort,2\r\nBaudRate,9600\r\nDataBits,8\r\nStopBits,1\r\nParity,none\r\n"
    "ReadDelay,100\r\nFlowControl,Off\r\nUseRTSCTS,0\r\n";

std::string Without(std::string text, const std::string& line) {
  text.erase(text.find(line), line.size());
  return text;
}

// The unit as the control sees it: every request is kept with the time it
// left, and answered at once with the next status of the script (or not at
// all once the script is used up). Its one reply slot stands for both.
struct ScriptedUnit : PacketSender, ReplySlot {
  struct Request {
    uint8_t type;
    uint8_t subtype;
    std::string bytes;
    std::chrono::steady_clock::time_point at;
  };
  void SendPacket(PacketHeader& header, PayloadPiece piece1, PayloadPiece, PayloadPiece) override {
    const char* bytes = static_cast<const char*>(piece1.data);
    sent.push_back({header.type, header.subtype, std::string(bytes, bytes ? piece1.length : 0),
                    std::chrono::steady_clock::now()});
    if (!answers.empty()) {
      const int32_t status = answers.front();
      answers.erase(answers.begin());
      SetStatus(status);
    }
  }
  std::string Text() const override { return text; }
  std::vector<Request> sent;
  std::vector<int32_t> answers;
  std::string text;
};

struct PowerStripControlTest : ::testing::Test {
  PowerStripLink Link() { return {unit, loop, unit, unit}; }
  // Starts what is queued and runs the window thread until it has ended;
  // the failure's text, empty when all went through.
  std::string Run(PowerStripControl& control) {
    std::optional<std::string> failure;
    control.Start([&](const std::string& ended) { failure = ended; });
    EXPECT_TRUE(loop.RunUntil([&] { return failure.has_value(); }, 10000));
    return failure.value_or("(still running)");
  }
  ScriptedUnit unit;
  platform::MessageLoop loop;
  std::vector<std::string> statusLines;
};

TEST(PowerSwitchProfileTest, EachSettingMustOccurExactlyOnce) {
  struct Case {
    std::string text;
    bool passes;
  };
  const Case cases[] = {
      {SETTINGS, true},
      {"A comment, with a comma is an entry\r\n" + SETTINGS, true},
      {"words without a comma\r\n" + SETTINGS + "On,\\x31\r\n", true},
      {SETTINGS + "Port,3\r\n", false},
      {Without(SETTINGS, "Port,2\r\n"), false},
      {Without(SETTINGS, "Port,2\r\n") + "port,2\r\n", false},
      {Without(SETTINGS, "Name,Strip\r\n") + "Name\r\n", false},
      {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HasRequiredFields(c.text), c.passes) << c.text;
    EXPECT_EQ(RequiredFieldNotes(c.text).empty(), c.passes) << c.text;
  }
  EXPECT_NE(RequiredFieldNotes(SETTINGS + "Port,3\r\n").find("'Port' occurs 2 times"),
            std::string::npos);
}

TEST(PowerSwitchProfileTest, CommandsAreTheOtherEntriesAtMostOneHundred) {
  std::string text = "a comment line\r\n" + SETTINGS;
  for (int i = 1; i <= 101; ++i)
    text += "Cmd" + std::to_string(i) + ",x,y" + std::to_string(i) + "\r\n";
  const ProfileCommands commands = CommandsOf(text);
  EXPECT_TRUE(commands.lost);
  ASSERT_EQ(commands.commands.size(), MAX_COMMANDS);
  EXPECT_EQ(commands.commands.front().name, "Cmd1");
  EXPECT_EQ(commands.commands.front().value, "x,y1");
  EXPECT_EQ(commands.commands.back().name, "Cmd100");
  EXPECT_FALSE(CommandsOf(SETTINGS + "On,1\n").lost);
  EXPECT_EQ(CommandsOf(SETTINGS + "On,1\n").commands.size(), 1u);
}

TEST(PowerSwitchProfileTest, EscapesStandForTheirBytes) {
  struct Case {
    std::string value;
    std::string bytes;
  };
  const Case cases[] = {
      {"\\x0D", "\r"},          {"\\r", "\r"},
      {"\\x0d\\x1b", "\r\x1b"}, {"a\\\\b", "a\\b"},
      {"\\b\\t\\n", "\b\t\n"},  {"\\q", "\\q"},
      {"end\\", "end\\"},       {"\\x00", std::string(1, '\0')},
  };
  for (const Case& c : cases) EXPECT_EQ(Unescape(c.value), c.bytes) << c.value;
  for (const char* bad : {"\\x4", "\\xZZ", "\\x"}) EXPECT_THROW(Unescape(bad), TextError) << bad;
}

TEST(PowerSwitchProfileTest, BackquotesCutACommandIntoAtMostFiftyPieces) {
  EXPECT_EQ(CommandPieces("on 1\\r`\\x0D"), (std::vector<std::string>{"on 1\r", "\r"}));
  EXPECT_EQ(CommandPieces("plain").size(), 1u);
  EXPECT_EQ(CommandPieces(std::string(MAX_PIECES - 1, '`')).size(), MAX_PIECES);
  EXPECT_THROW(CommandPieces(std::string(MAX_PIECES, '`')), TextError);
}

TEST(PowerSwitchProfileTest, SerialSettingsNameTheFirstBadOne) {
  struct Case {
    std::string line;
    std::string replacement;
    std::string error;
  };
  const Case cases[] = {
      {"BaudRate,9600\r\n", "BaudRate,9601\r\n", "Invalid or missing baud rate."},
      {"BaudRate,9600\r\n", "", "Invalid or missing baud rate."},
      {"Port,2\r\n", "",
       "A port must be specified in the config file, but that is missing in this file."},
      {"DataBits,8\r\n", "DataBits,9\r\n", "Remote has invalid or missing value for 'data bits'"},
      {"StopBits,1\r\n", "StopBits,x\r\n", "Remote has invalid or missing value for 'stop bits'"},
  };
  for (const Case& c : cases) {
    std::string text = SETTINGS;
    text.replace(text.find(c.line), c.line.size(), c.replacement);
    try {
      SerialSettingsOf(text);
      ADD_FAILURE() << c.replacement;
    } catch (const TextError& e) {
      EXPECT_EQ(e.Text(), c.error);
    }
  }
  const SerialSettings settings =
      SerialSettingsOf("Parity,odd\nFlowControl,On\nTimeout,250\nUseRTSCTS,1\n" + SETTINGS);
  EXPECT_EQ(SerialOpenPayload(settings),
            (std::vector<uint8_t>{0x80, 0x25, 0, 0, 250, 0, 0, 0, 2, 1, 8, 1, 1, 1, 0, 0}));
  EXPECT_EQ(SerialSettingsOf(SETTINGS).readTimeoutMs, 500u);
  EXPECT_EQ(SerialSettingsOf(Without(SETTINGS, "Parity,none\r\n") + "Parity,even\r\n").parity, 2);
}

TEST(PowerSwitchProfileTest, NothingBrokenIsStoredOnTheUnit) {
  const auto modemOn1 = [](int port) { return port == 1; };
  EXPECT_EQ(StoreProblem("", modemOn1), "Empty file -- nothing to save.");
  EXPECT_EQ(StoreProblem(SETTINGS + "Port,3\r\n", modemOn1), FIELDS_WRONG);
  EXPECT_EQ(StoreProblem(Without(SETTINGS, "Port,2\r\n") + "Port,1\r\n", modemOn1),
            "A modem is installed on this serial port.  Change the port and try again.");
  EXPECT_NE(StoreProblem(SETTINGS + std::string(MAX_PROFILE_CHARS, 'x'), modemOn1), "");
  EXPECT_EQ(StoreProblem(SETTINGS, modemOn1), "");
  EXPECT_EQ(PutFilePayload("/p", "ab"), std::string("\3\0\0\0\3\0\0\0/p\0ab\0", 14));
}

TEST_F(PowerStripControlTest, StoringReportsEachStatusOfTheUnit) {
  const struct {
    std::vector<int32_t> answers;
    std::string error;
  } cases[] = {{{0}, ""},
               {{1}, "Could not overwrite remote file."},
               {{2}, "Could not open file for writing."}};
  for (const auto& c : cases) {
    unit.answers = c.answers;
    ReplyWait wait(loop);
    std::optional<std::string> failure;
    StoreActiveProfile(Link(), wait, SETTINGS, [&](const std::string& ended) { failure = ended; });
    ASSERT_TRUE(loop.RunUntil([&] { return failure.has_value(); }, 1000));
    EXPECT_EQ(*failure, c.error);
    EXPECT_EQ(unit.sent.back().type, PUT_FILE);
    EXPECT_EQ(unit.sent.back().subtype, 1);
    EXPECT_EQ(unit.sent.back().bytes, PutFilePayload(ACTIVE_PROFILE_PATH, SETTINGS));
  }
}

TEST_F(PowerStripControlTest, PiecesGoAboutASecondApartAndLongOnesInSeveralWrites) {
  unit.answers = {0, 0, 0, 0};
  PowerStripControl control(Link(), [this](const std::string& s) { statusLines.push_back(s); });
  const std::string longPiece(130, 'z');
  control.Send("on\\x0D`" + longPiece);
  EXPECT_EQ(Run(control), "");
  ASSERT_EQ(unit.sent.size(), 3u);
  EXPECT_EQ(unit.sent[0].type, SERIAL_WRITE);
  EXPECT_EQ(unit.sent[0].subtype, 2);
  EXPECT_EQ(unit.sent[0].bytes, "on\r");
  EXPECT_EQ(unit.sent[1].bytes, longPiece.substr(0, MAX_WRITE_BYTES));
  EXPECT_EQ(unit.sent[2].bytes, longPiece.substr(MAX_WRITE_BYTES));
  const auto pause = unit.sent[1].at - unit.sent[0].at;
  EXPECT_GE(pause, std::chrono::milliseconds(950));
  // Upper bounds only tell one pause from two, or from none, on a loaded machine.
  EXPECT_LT(pause, std::chrono::milliseconds(1900));
  EXPECT_LT(unit.sent[2].at - unit.sent[1].at, std::chrono::milliseconds(800));
  EXPECT_EQ(statusLines, (std::vector<std::string>{PAUSING, ""}));
}

TEST_F(PowerStripControlTest, AChoiceWhileOneGoesOutOrWithinAHundredMillisecondsIsIgnored) {
  unit.answers = {0, 0, 0};
  PowerStripControl control(Link(), [](const std::string&) {});
  EXPECT_TRUE(control.Choose("a"));
  std::optional<std::string> failure;
  control.Start([&](const std::string& ended) { failure = ended; });
  EXPECT_FALSE(control.Choose("a"));
  ASSERT_TRUE(loop.RunUntil([&] { return failure.has_value(); }, 1000));
  EXPECT_FALSE(control.Choose("a"));
  loop.RunFor(150);
  EXPECT_TRUE(control.Choose("b"));
  EXPECT_EQ(Run(control), "");
  ASSERT_EQ(unit.sent.size(), 2u);
  EXPECT_EQ(unit.sent[1].bytes, "b");
}

TEST_F(PowerStripControlTest, AnOpenTheUnitRefusesFails) {
  PowerStripControl control(Link(), [](const std::string&) {});
  unit.answers = {-1};
  control.Open(SerialSettingsOf(SETTINGS));
  EXPECT_EQ(Run(control), "Remote can't open the serial interface to power strip.");
  EXPECT_FALSE(control.IsOpen());
  unit.answers = {0};
  control.Open(SerialSettingsOf(SETTINGS));
  EXPECT_EQ(Run(control), "");
  EXPECT_TRUE(control.IsOpen());
  EXPECT_EQ(unit.sent.back().type, SERIAL_OPEN);
  EXPECT_EQ(unit.sent.back().bytes.size(), 16u);
}

// A run stops where it failed, after what went before, and the run queued
// behind it still goes.
TEST_F(PowerStripControlTest, AFailureDropsTheRestOfItsRunOnly) {
  PowerStripControl control(Link(), [this](const std::string& s) { statusLines.push_back(s); });
  unit.answers = {0, -1};
  unit.text = "strip";
  std::vector<std::string> ends;
  const auto record = [&](const std::string& ended) { ends.push_back(ended); };
  control.Send("ok");
  control.Send(std::string(MAX_PIECES, '`'));
  control.Send("never");
  control.Start(record);
  control.Send("lost");
  control.Read([](const std::string&) { ADD_FAILURE() << "read after a failed write"; });
  control.Start(record);
  std::string answer;
  control.Read([&](const std::string& text) { answer = text; });
  control.Start(record);
  unit.answers.push_back(0);
  ASSERT_TRUE(loop.RunUntil([&] { return ends.size() == 3; }, 1000));
  try {
    CommandPieces(std::string(MAX_PIECES, '`'));
  } catch (const TextError& e) {
    EXPECT_EQ(ends[0], e.Text());
  }
  EXPECT_EQ(ends[1], "Could not communicate with remote.");
  EXPECT_EQ(ends[2], "");
  EXPECT_EQ(answer, "strip");
  ASSERT_EQ(unit.sent.size(), 3u);
  EXPECT_EQ(unit.sent[0].bytes, "ok");
  EXPECT_EQ(unit.sent[1].bytes, "lost");
  EXPECT_EQ(unit.sent[2].type, SERIAL_READ);
  EXPECT_EQ(statusLines, (std::vector<std::string>{"", ""}));
}

TEST_F(PowerStripControlTest, AControlGoneDuringAPauseSendsNothingMore) {
  unit.answers = {0, 0};
  bool finished = false;
  auto control = std::make_unique<PowerStripControl>(
      Link(), [this](const std::string& s) { statusLines.push_back(s); });
  control->Send("on`off");
  control->Start([&](const std::string&) { finished = true; });
  ASSERT_TRUE(loop.RunUntil([&] { return !statusLines.empty(); }, 1000));
  EXPECT_EQ(statusLines, std::vector<std::string>{PAUSING});
  control.reset();
  loop.RunFor(PIECE_SPACING_POLLS * REPLY_POLL_INTERVAL_MS + 200);
  EXPECT_EQ(unit.sent.size(), 1u);
  EXPECT_FALSE(finished);
}

}  // namespace
}  // namespace admin
