#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "platform/TextError.h"
#include "settings/LeadingInt.h"
#include "settings/MiscSettings.h"
#include "settings/TempDir.h"

using namespace settings;

namespace {

const char* const ABSENT = "<absent>";

class MiscSettings : public ::testing::Test {
 protected:
  std::string Stored(const char* key) { return m_ini.Read("MISC", key, ABSENT, 5000); }
  void Store(const char* key, const char* value) { ASSERT_TRUE(m_ini.Write("MISC", key, value)); }

  TempDir m_dir;
  IniFile m_ini{m_dir.File("Remote.ini")};
};

}  // namespace

TEST(LeadingInt, ReadsTheLeadingNumberLikeAtoi) {
  struct Case {
    const char* text;
    int expected;
  };
  for (const Case& c : {Case{"9000", 9000}, Case{"  42abc", 42}, Case{"-17", -17}, Case{"+5", 5},
                        Case{"", 0}, Case{"abc", 0}, Case{"---", 0}, Case{"- 5", 0}, Case{"+-5", 0},
                        Case{"99999999999999999999", INT_MAX},
                        Case{"-99999999999999999999", INT_MIN}, Case{"3000000000", INT_MAX}}) {
    EXPECT_EQ(LeadingInt(c.text), c.expected) << '"' << c.text << '"';
  }
}

TEST_F(MiscSettings, TableHoldsEveryKeyOnceAndUnknownNamesFail) {
  std::set<std::string> seen;
  for (const MiscKey& key : MiscKeys()) {
    EXPECT_TRUE(seen.insert(std::string(key.name)).second) << key.name;
    EXPECT_GT(key.bufferSize, key.readDefault.size()) << key.name;
  }
  for (const auto& [name, value] : FIRST_RUN_MISC) EXPECT_TRUE(seen.count(std::string(name)));
  EXPECT_EQ(FindMiscKey("keepalivetime").name, "KeepAliveTime");
  EXPECT_THROW(FindMiscKey("NoSuchKey"), TextError);
}

// Each case: the stored value (or absent), what the reader gives, and what the
// file holds afterwards.
TEST_F(MiscSettings, RepairsMissingAndOutOfRangeValues) {
  struct Case {
    const char* key;
    const char* stored;
    const char* read;
    const char* after;
  };
  const Case cases[] = {
      {"ResynchTimeoutMS", nullptr, "9000", "9000"},
      {"ResynchTimeoutMS", "", "9000", "9000"},
      {"ResynchTimeoutMS", "499", "9000", "9000"},
      {"ResynchTimeoutMS", "500", "500", "500"},
      {"ResynchTimeoutMS", "30000", "30000", "30000"},
      {"ResynchTimeoutMS", "30001", "9000", "9000"},
      {"ResynchTimeoutMS", "-700", "9000", "9000"},
      {"BlockTimeToLive", nullptr, "6000", "6000"},
      {"BlockTimeToLive", "0", "0", "0"},
      {"BlockTimeToLive", "1", "6000", "6000"},
      {"BlockTimeToLive", "1999", "6000", "6000"},
      {"BlockTimeToLive", "2000", "2000", "2000"},
      {"RepaintDelayMS", nullptr, "101", "101"},
      {"RepaintDelayMS", "0", "0", "0"},
      {"RepaintDelayMS", "1000", "1000", "1000"},
      {"RepaintDelayMS", "1001", "101", "101"},
      {"RepaintDelayMS", "-1", "101", "101"},
      {"IPConnectTimeMS", nullptr, "5000", ABSENT},
      {"IPConnectTimeMS", "0", "5000", "0"},
      {"IPConnectTimeMS", "120000", "120000", "120000"},
      {"IPConnectTimeMS", "120001", "5000", "120001"},
      {"TopMost", nullptr, "False", "False"},
      {"TopMost", "true", "true", "true"},
      {"TEACH_PASSTHRU_EXIT_KEYS", nullptr, "1", ABSENT},
      {"TEACH_PASSTHRU_EXIT_KEYS", "0", "0", "0"},
      {"KeepAliveTime", nullptr, "60", ABSENT},
      {"CURRSELTEXT", nullptr, "---", ABSENT},
      {"CURRSEL", nullptr, "****", ABSENT},
      {"TriggerTwoKeystroke", nullptr, "WM_KEYUP 00000011 c01d0001", ABSENT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " = " + (c.stored ? c.stored : "(absent)"));
    m_ini.DeleteSection("MISC");
    if (c.stored) Store(c.key, c.stored);
    EXPECT_EQ(ReadMisc(m_ini, c.key), c.read);
    EXPECT_EQ(Stored(c.key), c.after);
  }
  EXPECT_EQ(ReadMiscNumber(m_ini, "IPConnectTimeMS"), 5000);
  EXPECT_EQ(ReadMiscNumber(m_ini, "CURRSEL"), 0);
}

TEST_F(MiscSettings, FlagsAreReadByTheirFirstCharacter) {
  struct Case {
    const char* key;
    const char* stored;
    bool expected;
  };
  for (const Case& c : {Case{"AUTO_SIZE", nullptr, true}, Case{"DONT_ENLARGE", nullptr, false},
                        Case{"AUTO_SIZE", "True", true}, Case{"AUTO_SIZE", "T", true},
                        Case{"AUTO_SIZE", "true", false}, Case{"AUTO_SIZE", "Yes", false},
                        Case{"TopMost", "true", true}, Case{"TopMost", "False", false},
                        Case{"TopMost", nullptr, false}, Case{"MouseAccelOpen", nullptr, false}}) {
    SCOPED_TRACE(std::string(c.key) + " = " + (c.stored ? c.stored : "(absent)"));
    m_ini.DeleteSection("MISC");
    if (c.stored) Store(c.key, c.stored);
    EXPECT_EQ(ReadMiscFlag(m_ini, c.key), c.expected);
  }
  ASSERT_TRUE(WriteMiscFlag(m_ini, "SCROLL_USING_ARROWS", false));
  EXPECT_EQ(Stored("SCROLL_USING_ARROWS"), "False");
  ASSERT_TRUE(WriteMiscNumber(m_ini, "MouseAccel2", -3));
  EXPECT_EQ(ReadMiscNumber(m_ini, "MouseAccel2"), -3);
}

TEST_F(MiscSettings, TeachFlagsToggleBetweenZeroAndOne) {
  EXPECT_TRUE(ReadTeachFlag(m_ini, "TEACH_FULLSCREEN_EXIT_KEYS"));
  ToggleTeachFlag(m_ini, "TEACH_FULLSCREEN_EXIT_KEYS", TEACH_FAILURE_MENU);
  EXPECT_EQ(Stored("TEACH_FULLSCREEN_EXIT_KEYS"), "0");
  EXPECT_FALSE(ReadTeachFlag(m_ini, "TEACH_FULLSCREEN_EXIT_KEYS"));
  ToggleTeachFlag(m_ini, "TEACH_FULLSCREEN_EXIT_KEYS", TEACH_FAILURE_MENU);
  EXPECT_EQ(Stored("TEACH_FULLSCREEN_EXIT_KEYS"), "1");
  Store("TEACH_FULLSCREEN_EXIT_KEYS", "yes");
  EXPECT_FALSE(ReadTeachFlag(m_ini, "TEACH_FULLSCREEN_EXIT_KEYS"));
  ToggleTeachFlag(m_ini, "TEACH_FULLSCREEN_EXIT_KEYS", TEACH_FAILURE_MENU);
  EXPECT_EQ(Stored("TEACH_FULLSCREEN_EXIT_KEYS"), "1");
}

TEST_F(MiscSettings, WritesWhoseFailureMattersRaiseTheirText) {
  // A directory where the file should be makes every write fail.
  IniFile broken(m_dir.File("broken.ini"));
  std::filesystem::create_directory(broken.Path());
  auto raised = [](auto&& write) {
    try {
      write();
    } catch (const TextError& e) {
      return e.Text();
    }
    return std::string("(nothing raised)");
  };
  EXPECT_EQ(raised([&] { WriteMiscFlag(broken, "AUTO_SIZE", true); }),
            "Error writing AUTO_SIZE to INI file.");
  EXPECT_EQ(raised([&] { WriteMiscFlag(broken, "DONT_ENLARGE", false); }),
            "Error writing DONT_ENLARGE to INI file.");
  EXPECT_EQ(
      raised([&] { ToggleTeachFlag(broken, "TEACH_PASSTHRU_EXIT_KEYS", TEACH_FAILURE_COMMAND); }),
      "Could not suppress teaching of keystrokes for pass-through mode.");
  EXPECT_FALSE(WriteMisc(broken, "VIEW_TYPE", "scrolled"));
  // Reads of a broken file fall back to the repaired defaults without raising.
  EXPECT_EQ(ReadMiscNumber(broken, "ResynchTimeoutMS"), 9000);
}

TEST_F(MiscSettings, FirstRunWritesTheListedKeysInOrder) {
  WriteFirstRunDefaults(m_ini);
  std::string expected = "[MISC]\r\n";
  for (const auto& [name, value] : FIRST_RUN_MISC) {
    expected += std::string(name) + "=" + std::string(value) + "\r\n";
  }
  EXPECT_EQ(ReadWholeFile(m_ini.Path()), expected);
  EXPECT_EQ(ReadMiscNumber(m_ini, "FAST_MOUSE_THRESHOLD"), FIRST_RUN_FAST_MOUSE_THRESHOLD);
  EXPECT_EQ(ReadMiscNumber(m_ini, "SLOW_MOUSE_THRESHOLD"), FIRST_RUN_SLOW_MOUSE_THRESHOLD);
}
