#include <gtest/gtest.h>

#include "settings/EditError.h"
#include "settings/KeyboardMousePrefs.h"
#include "settings/MiscSettings.h"
#include "settings/TempDir.h"

using namespace settings;

namespace {

class KeyboardMousePrefsTest : public ::testing::Test {
 protected:
  std::string Misc(std::string_view key) { return m_ini.Read("MISC", key, "(missing)", 200); }

  TempDir m_dir;
  std::string m_path = m_dir.File("Remote.ini");
  IniFile m_ini{m_path};
};

KeyboardMousePrefs Valid() {
  KeyboardMousePrefs prefs;
  prefs.hotkeys = {"P", "F", "R", "A", "T"};
  prefs.triggerKeys = "Both";
  prefs.fastMouseThreshold = 1500;
  prefs.slowMouseThreshold = 1500;
  return prefs;
}

}  // namespace

TEST_F(KeyboardMousePrefsTest, ReadingShowsTheSettingsWithinThePageChoicesAndWritesNothing) {
  const KeyboardMousePrefs fresh = ReadKeyboardMousePrefs(m_ini);
  EXPECT_EQ(fresh, Valid());
  EXPECT_FALSE(std::filesystem::exists(m_path));

  WriteWholeFile(m_path,
                 "[MISC]\r\nHOTKEY_REFRESH=q\r\nTRIGGER_KEYS=Ctrl\r\nESCAPE_BY_HOTKEY=F\r\n"
                 "FAST_MOUSE_THRESHOLD=50\r\nSLOW_MOUSE_THRESHOLD=9000\r\nRepaintDelayMS=1500\r\n");
  const std::string before = ReadWholeFile(m_path);
  const KeyboardMousePrefs odd = ReadKeyboardMousePrefs(m_ini);
  EXPECT_EQ(odd.hotkeys[2], "Q");
  EXPECT_EQ(odd.triggerKeys, "Both");
  EXPECT_FALSE(odd.escapeByHotkey);
  EXPECT_EQ(odd.fastMouseThreshold, FAST_MOUSE_RANGE.low);
  EXPECT_EQ(odd.slowMouseThreshold, SLOW_MOUSE_RANGE.high);
  EXPECT_EQ(odd.repaintDelayMs, 101);
  EXPECT_EQ(ReadWholeFile(m_path), before);
}

TEST_F(KeyboardMousePrefsTest, EntriesThatWouldTrapTheOperatorOrHideACommandAreRefused) {
  struct Case {
    const char* what;
    void (*edit)(KeyboardMousePrefs&);
    const char* detail;  // empty: accepted
  };
  const Case cases[] = {
      {"valid", [](KeyboardMousePrefs&) {}, ""},
      {"hotkey exit only",
       [](KeyboardMousePrefs& p) { p.escapeBySlowMouse = p.escapeByFastMouse = false; }, ""},
      {"fast mouse only",
       [](KeyboardMousePrefs& p) { p.escapeByHotkey = p.escapeBySlowMouse = false; }, ""},
      {"no exit",
       [](KeyboardMousePrefs& p) {
         p.escapeByHotkey = p.escapeBySlowMouse = p.escapeByFastMouse = false;
       },
       "Pass-through needs a way out: keep the hotkey, the slow mouse or the fast mouse on."},
      {"shared key", [](KeyboardMousePrefs& p) { p.hotkeys[4] = "p"; },
       "Pass-through and Alt+Tab share the hotkey p."},
      {"no key", [](KeyboardMousePrefs& p) { p.hotkeys[2] = " "; }, "Refresh has no hotkey."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    KeyboardMousePrefs prefs = Valid();
    c.edit(prefs);
    try {
      WriteKeyboardMousePrefs(m_ini, prefs);
      EXPECT_STREQ(c.detail, "");
    } catch (const EditError& e) {
      EXPECT_EQ(e.Text(), "Unable to apply the changes");
      EXPECT_EQ(e.Detail(), c.detail);
    }
  }
}

TEST_F(KeyboardMousePrefsTest, AcceptedValuesAreWrittenAsThePipelineReadsThem) {
  KeyboardMousePrefs prefs = Valid();
  prefs.hotkeys[0] = "F12";
  prefs.triggerKeys = "LCtrl-down LCtrl-up";
  prefs.scrollUsingArrows = false;
  prefs.escapeByFastMouse = false;
  prefs.fastMouseThreshold = 6000;
  prefs.slowMouseThreshold = 500;
  prefs.repaintDelayMs = 0;
  WriteKeyboardMousePrefs(m_ini, prefs);
  EXPECT_EQ(Misc("HOTKEY_PASSTHROUGH"), "F12");
  EXPECT_EQ(Misc("TRIGGER_KEYS"), "LCtrl-down LCtrl-up");
  EXPECT_EQ(Misc("SCROLL_USING_ARROWS"), "F");
  EXPECT_EQ(Misc("ESCAPE_BY_HOTKEY"), "T");
  EXPECT_EQ(Misc("ESCAPE_BY_FASTMOUSE"), "F");
  EXPECT_EQ(Misc("FAST_MOUSE_THRESHOLD"), "6000");
  EXPECT_EQ(Misc("SLOW_MOUSE_THRESHOLD"), "500");
  EXPECT_EQ(Misc("RepaintDelayMS"), "0");
  EXPECT_EQ(ReadKeyboardMousePrefs(m_ini), prefs);

  IniFile unwritable(m_dir.Path().string());
  try {
    WriteKeyboardMousePrefs(unwritable, prefs);
    FAIL();
  } catch (const EditError& e) {
    EXPECT_EQ(e.Text(), "Unable to apply the changes");
    EXPECT_TRUE(e.Detail().starts_with("Error occured in OnApply().\nCould not write "));
  }
}
