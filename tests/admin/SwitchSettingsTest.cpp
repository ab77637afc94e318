#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "admin/SwitchKeyCodes.h"
#include "admin/SwitchSettings.h"
#include "platform/TextError.h"
#include "protocol/PacketTypes.h"
#include "support/FakeSession.h"

namespace admin {
namespace {

const SwitchModelNames MODELS = {"Four Port", "Eight Port", "demo"};

std::string Table(const std::string& type, const std::string& ports) {
  return "\n" + type + "\n\n\n\n" + ports;
}

TEST(SwitchSettingsTest, EachFaultStopsAtItsLineWithItsText) {
  struct Case {
    std::string text;
    std::string problems;
  };
  const Case cases[] = {
      {Table("custom", "`1`A`Q"), "Line 6: Invalid line ending\n"},
      {Table("custom", "`1`A`Q\n\n`2`B`W\n"), "Line 7: Blank lines are not supported\n"},
      {Table("custom", "; note\n"), "Line 6: Comment lines are not supported\n"},
      {Table("no such switch", "`1`A`Q\n"), "Line 6: Invalid switch type\n"},
      {Table("custom", "1 A Q\n"), "Line 6: Missing delimeter 1\n"},
      {Table("custom", "`1 A Q\n"), "Line 6: Missing delimeter 2\n"},
      {Table("custom", "`1`A Q\n"), "Line 6: Missing delimeter 3\n"},
      {Table("custom", "`one`A`Q\n"), "Line 6: Non-numeric port number\n"},
      {Table("custom", "`10000`A`Q\n"), "Line 6: Non-numeric port number\n"},
      {Table("custom", "`2`A`Q\n"), "Line 6: The first Port number should be 1\n"},
      {Table("custom", "`1`A`Q\n`2`B`W\n`4`C`E\n"), "Line 8: Port numbers are to be contiguous\n"},
      {Table("custom", ""), "Line 5: No Ports specified\n"},
      {Table("custom", "`1``Q\n"), "Line 6: Computer name must be 1 to 32 characters\n"},
      {Table("custom", "`1`" + std::string(33, 'n') + "`Q\n"),
       "Line 6: Computer name must be 1 to 32 characters\n"},
      {Table("custom", "`1`A`LCtrl-dn Q LCtrl-down\n"),
       "Line 6: Key code parse error\nInvalid entry  LCtrl-down  removed.\n"},
      {Table("standalone", "`1`A`Q\n`2`B`W\n"), "'Standalone' must have exactly one port."},
      {Table("demo", "`1`A`Q\n"), "Demo switch file must have exactly eight port entrys."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SwitchSettings table(MODELS);
    ASSERT_EQ(table.LoadGridFromString(Table("custom", "`1`Kept`Q\n"), "test"), "");
    EXPECT_EQ(table.LoadGridFromString(c.text, "test"), c.problems);
    // A text with problems leaves the table as it was.
    ASSERT_EQ(table.Rows().size(), 1u);
    EXPECT_EQ(table.Rows()[0].name, "Kept");
  }
}

// However the type line was spelt, the table is written with the type's own
// name; only a third model's keeps its line as read.
TEST(SwitchSettingsTest, GoodTablesAndTheirTypes) {
  std::string eight;
  for (int port = 1; port <= 8; ++port)
    eight += "`" + std::to_string(port) + "`PC`F" + std::to_string(port) + "\n";
  struct Case {
    std::string type;
    int code;
    std::string written;
    std::string rows = "`1`A`Q\n";
  };
  const Case cases[] = {{"FOUR PORT", SWITCH_TYPE_FIRST_MODEL, "Four Port"},
                        {"eight port", SWITCH_TYPE_SECOND_MODEL, "Eight Port"},
                        {"Standalone", SWITCH_TYPE_STANDALONE, "standalone"},
                        {"CUSTOM", SWITCH_TYPE_CUSTOM, "custom"},
                        {"DEMO", SWITCH_TYPE_THIRD_MODEL, "DEMO", eight}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    SwitchSettings table(MODELS);
    EXPECT_EQ(table.LoadGridFromString(Table(c.type, c.rows), "test"), "");
    EXPECT_EQ(table.Type(), c.code);
    EXPECT_EQ(table.TypeName(), c.written);
    EXPECT_EQ(table.TableToString(true).substr(0, c.written.size() + 2), "\n" + c.written + "\n");
  }
}

// The read-back after a put: the unit may spell the table its own way.
TEST(SwitchSettingsTest, TablesAreComparedByMeaning) {
  SwitchSettings sent(MODELS);
  ASSERT_EQ(sent.LoadGridFromString(Table("custom", "`1`Mail`LCtrl Q\n`2`Web`F2\n"), "test"), "");
  const std::pair<std::string, bool> held[] = {
      {Table("Custom", "`1`Mail`LCtrl Q\n`2`Web`F2\n"), true},
      {Table("CUSTOM", "`01`  Mail`ctrl Q\n`2`Web`F2\n"), true},
      {Table("Four Port", "`1`Mail`LCtrl Q\n`2`Web`F2\n"), false},
      {Table("custom", "`1`Mail`LCtrl Q\n"), false},
      {Table("custom", "`1`Mail`LCtrl Q\n`2`Mail2`F2\n"), false},
      {Table("custom", "`1`Mail`LCtrl W\n`2`Web`F2\n"), false},
      {Table("custom", "`1`Mail`LCtrl Q\nreadonly ``Web`F2\n"), false},
  };
  for (const auto& [text, same] : held) {
    SCOPED_TRACE(text);
    SwitchSettings unit(MODELS);
    ASSERT_EQ(unit.LoadGridFromString(text, "unit"), "");
    EXPECT_EQ(unit.SameTable(sent), same);
  }
}

TEST(SwitchKeyCodesTest, OldSpellingsAreWarningsAndUnknownTokensFaults) {
  struct Case {
    const char* codes;
    const char* text;
    const char* details;
    bool invalid;
  };
  const Case cases[] = {
      {"ctrl alt Delete", "LCtrl LAlt Delete",
       "Warning: ctrl converted to LCtrl\nWarning: alt converted to LAlt\n", false},
      {"shift return  x", "LShift Enter x",
       "Warning: shift converted to LShift\nWarning: return converted to Enter\n", false},
      {"LCtrl-dn Q LCtrl-up", "LCtrl-dn Q LCtrl-up", "", false},
      {"lctrl^kp+ ** f12-UP", "lctrl^kp+ ** f12-UP", "", false},
      {"Q Bogus W", "Q W", "Invalid entry  Bogus  removed.\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.codes);
    const NormalisedKeyCodes result = NormaliseKeyCodes(c.codes);
    EXPECT_EQ(result.text, c.text);
    EXPECT_EQ(result.details, c.details);
    EXPECT_EQ(result.invalid, c.invalid);
  }
}

TEST(SwitchSettingsTest, FileWireAndFileAgainKeepTheTable) {
  SwitchSettings table(MODELS);
  ASSERT_EQ(
      table.LoadGridFromString(
          Table("Eight Port",
                "`1`Mail server`ctrl Q\n readonly `  `Spare`F1\n`2`  Web`LAlt-dn W LAlt-up\n"),
          "test"),
      "");
  EXPECT_EQ(table.Warnings(), "Line 6:\nWarning: ctrl converted to LCtrl\n");
  const auto file = std::filesystem::temp_directory_path() / "switch-round-trip.txt";
  table.WriteOutFile(file.string());
  std::ifstream in(file, std::ios::binary);
  const std::string stored{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(stored,
            "\r\nEight Port\r\n\r\n\r\n\r\n`1`Mail server`LCtrl Q\r\nreadonly "
            "``Spare`F1\r\n`2`Web`LAlt-dn W "
            "LAlt-up\r\n");

  // To the unit and back: LF on the wire, its terminating zero.
  FakeSession session;
  SwitchSettings fromFile(MODELS);
  ASSERT_EQ(fromFile.ReadInFile(file.string()), "");
  SendSwitchSettings(session, fromFile);
  ASSERT_EQ(session.sent.size(), 1u);
  const std::vector<uint8_t>& payload = session.sent[0].payload;
  ASSERT_EQ(payload.back(), 0);
  PacketHeader header(SWITCH_SETTINGS, 0);
  header.DataSize = static_cast<uint16_t>(payload.size());
  const std::string wire = SwitchSettingsText(header, payload.data(), payload.size());
  EXPECT_EQ(wire.find('\r'), std::string::npos);
  SwitchSettings back(MODELS);
  ASSERT_EQ(back.LoadGridFromString(wire, "unit"), "");
  EXPECT_EQ(back.Rows(), table.Rows());
  back.WriteOutFile(file.string());
  std::ifstream again(file, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}), stored);
  std::filesystem::remove(file);
}

TEST(SwitchSettingsTest, PortCountGrowsAndShrinksAtTheEnd) {
  SwitchSettings table(MODELS);
  ASSERT_EQ(table.LoadGridFromString(Table("custom", "`1`A`Q\n`2`B`W\n"), "test"), "");
  table.SetPortCount(4);
  ASSERT_EQ(table.Rows().size(), 4u);
  EXPECT_EQ(table.Rows()[3].port, "4");
  table.SetPortCount(1);
  EXPECT_EQ(table.Rows(), (std::vector<SwitchRow>{{"1", "A", "Q"}}));
  for (const int refused : {0, 10000}) {
    try {
      table.SetPortCount(refused);
      ADD_FAILURE() << refused;
    } catch (const TextError& e) {
      EXPECT_EQ(e.Text(), "Must be a number between 1 and 9999");
    }
  }
  EXPECT_EQ(table.Rows().size(), 1u);
}

TEST(SwitchSettingsTest, AFileThatCannotBeOpenedIsSaidSo) {
  SwitchSettings table(MODELS);
  try {
    table.ReadInFile("/nonexistent/switch.txt");
    ADD_FAILURE();
  } catch (const TextError& e) {
    EXPECT_EQ(e.Text(), "Could not open file.");
  }
}

}  // namespace
}  // namespace admin
