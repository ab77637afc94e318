// Keys that are commands for the viewer, and the way in and out of pass-through.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "KeyboardFixture.h"
#include "input/ExitMethods.h"
#include "input/PassThrough.h"
#include "input/VirtualKeys.h"

using namespace input;
using platform::HeadlessDialogs;
using testing::HasSubstr;

namespace {

constexpr uint32_t ALT_DOWN = 0x20380001;
constexpr uint8_t SCAN_P = 0x19;

}  // namespace

class HotkeyTest : public KeyboardTest {
 protected:
  // Left Ctrl and left Alt held, as the view receives them.
  void HoldCtrlAlt() {
    Press(VK_CONTROL, SCAN_CTRL);
    Feed(SYSDOWN, VK_MENU, ALT_DOWN);
  }
  // A letter pressed with Alt held.
  bool AltLetter(uint32_t letter, uint8_t scan, bool up = false) {
    return Feed(up ? SYSUP : SYSDOWN, letter, (up ? 0xE0000000 : 0x20000000) | DownData(scan));
  }
};

TEST_F(HotkeyTest, CtrlDownCtrlUpThenHotkeyWithinTwoSeconds) {
  for (const uint32_t elapsed : {2000u, 2001u}) {
    SCOPED_TRACE(elapsed);
    Rebuild();
    const uint32_t start = ticks;
    Press(VK_CONTROL, SCAN_CTRL);
    ticks = start + 300;
    Release(VK_CONTROL, SCAN_CTRL);
    ticks = start + elapsed;
    const bool command = elapsed <= TRIGGER_WINDOW_MS;
    EXPECT_EQ(Press('P', SCAN_P), command);
    EXPECT_EQ(Pipeline().IsPassthru(), command);
  }
}

TEST_F(HotkeyTest, CtrlAltHotkeyTogglesPassThroughAndSwallowsItsKeyUp) {
  // In: the held Ctrl and Alt are lifted on the local desktop, not sent.
  keyboard.PressByUser(VK_CONTROL, SCAN_CTRL, false, false);
  keyboard.PressByUser(VK_MENU, SCAN_ALT, false, false);
  HoldCtrlAlt();
  EXPECT_TRUE(AltLetter('P', SCAN_P));
  EXPECT_TRUE(Pipeline().IsPassthru());
  using Synthetic = platform::HeadlessKeyboard::SyntheticKey;
  EXPECT_EQ(keyboard.SyntheticKeys(),
            (std::vector<Synthetic>{{VK_LCONTROL, SCAN_CTRL, true}, {VK_LMENU, SCAN_ALT, true}}));
  EXPECT_TRUE(Pipeline().State().m_blockPassThroughKey);
  EXPECT_TRUE(AltLetter('P', SCAN_P, true));
  EXPECT_FALSE(Pipeline().State().m_blockPassThroughKey);
  EXPECT_TRUE(session.sent.empty());

  // Out: the unit saw Ctrl and Alt go down in pass-through, so they go up.
  keyboard.PressByUser(VK_CONTROL, SCAN_CTRL, false, false);
  keyboard.PressByUser(VK_MENU, SCAN_ALT, false, false);
  HoldCtrlAlt();
  EXPECT_TRUE(AltLetter('P', SCAN_P));
  EXPECT_FALSE(Pipeline().IsPassthru());
  SentKey ctrlDown = Key(DOWN, VK_CONTROL, 0x001D0001), altDown = Key(SYSDOWN, VK_MENU, ALT_DOWN);
  ctrlDown.modifiers = altDown.modifiers = {0, 1, 1, 0, 0, 1, 0, 1, 0};
  EXPECT_EQ(SentKeys(), (std::vector<SentKey>{ctrlDown, altDown, Key(UP, VK_CONTROL, 0xC01D0001),
                                              Key(UP, VK_MENU, 0xC0380001)}));
}

// The quad view has no one computer for the keys to go to: neither the hotkey
// nor the command (menu, login, a click) begins pass-through there.
TEST_F(HotkeyTest, NoPassThroughInTheQuadView) {
  quadView = true;
  HoldCtrlAlt();
  AltLetter('P', SCAN_P);
  EXPECT_FALSE(Pipeline().IsPassthru());
  Pipeline().OnACTIONSPassThrough();
  EXPECT_FALSE(Pipeline().IsPassthru());
  Pipeline().ForcePassthruMode(true);
  EXPECT_FALSE(Pipeline().IsPassthru());
  EXPECT_FALSE(Pipeline().State().m_durablePassThrough);
  quadView = false;
  Pipeline().OnACTIONSPassThrough();
  EXPECT_TRUE(Pipeline().IsPassthru());
}

TEST_F(HotkeyTest, RemoteKeyCommandsByHotkey) {
  // Ctrl-Alt-Del outside pass-through: the unit gets the modifiers too, at once.
  HoldCtrlAlt();
  EXPECT_TRUE(AltLetter('A', 0x1E));
  EXPECT_EQ(SentKeys(), (std::vector<SentKey>{
                            Key(DOWN, VK_CONTROL, 0x001D0001), Key(SYSDOWN, VK_MENU, 0x20380001),
                            Key(DOWN, VK_DELETE, 0x21530001), Key(UP, VK_DELETE, 0xE1530001),
                            Key(SYSUP, VK_MENU, 0xC0380001), Key(UP, VK_CONTROL, 0xE01D0001)}));

  // Alt-Tab in pass-through: Ctrl up, then the fixed sequence, 50 ms apart.
  EnterPassthru();
  HoldCtrlAlt();
  session.sent.clear();
  EXPECT_TRUE(AltLetter('T', 0x14));
  EXPECT_EQ(SentKeys().size(), 2u);
  window.Advance(3 * 50);
  EXPECT_EQ(SentKeys(),
            (std::vector<SentKey>{Key(UP, VK_CONTROL, 0xE01D0001),
                                  Key(SYSDOWN, VK_MENU, 0x20380001), Key(DOWN, VK_TAB, 0x000F0001),
                                  Key(UP, VK_TAB, 0xC00F0001), Key(SYSUP, VK_MENU, 0xC0380001)}));

  // Refresh: the unit sends the whole picture again.
  session.sent.clear();
  HoldCtrlAlt();
  EXPECT_TRUE(AltLetter('R', 0x13));
  ASSERT_FALSE(session.sent.empty());
  EXPECT_EQ(session.sent.back().header.type, REPAINT);
}

TEST_F(HotkeyTest, FullScreenHotkeyTogglesTheViewAndSwallowsItsKeyUp) {
  HoldCtrlAlt();
  EXPECT_TRUE(AltLetter('F', 0x21));
  // The toggle follows once the local Ctrl and Alt key-ups are handled.
  EXPECT_FALSE(view.IsFullScreen());
  window.Advance(1);
  EXPECT_TRUE(view.IsFullScreen());
  // The pass-through hotkey's key is lifted locally.
  EXPECT_EQ(keyboard.SyntheticKeys().back(),
            (platform::HeadlessKeyboard::SyntheticKey{'P', SCAN_P, true}));
  EXPECT_TRUE(AltLetter('F', 0x21, true));
  EXPECT_FALSE(Pipeline().State().m_blockFullScreenKey);

  // Leaving pass-through leaves full screen too.
  EnterPassthru();
  Pipeline().ForcePassthruMode(false);
  EXPECT_FALSE(view.IsFullScreen());

  // The hotkey's key-up taken by a dialog on the way: its repeats are still
  // swallowed, but the key's next press is the operator typing, and reaches
  // the unit whole.
  EnterPassthru();
  Release(VK_CONTROL, SCAN_CTRL);
  Feed(SYSUP, VK_MENU, 0xC0380001);
  HoldCtrlAlt();
  EXPECT_TRUE(AltLetter('F', 0x21));
  window.Advance(1);
  Release(VK_CONTROL, SCAN_CTRL);
  Feed(SYSUP, VK_MENU, 0xC0380001);
  EXPECT_TRUE(Pipeline().State().m_blockFullScreenKey);
  EXPECT_TRUE(Feed(DOWN, 'F', DownData(0x21) | KEY_PREVIOUS));
  session.sent.clear();
  EXPECT_TRUE(Press('F', 0x21));
  EXPECT_TRUE(Release('F', 0x21));
  EXPECT_FALSE(Pipeline().State().m_blockFullScreenKey);
  EXPECT_EQ(SentKeys(),
            (std::vector<SentKey>{Key(DOWN, 'F', 0x00210001), Key(UP, 'F', 0xC0210001)}));
}

TEST_F(HotkeyTest, ArrowsScrollAndAltGrIsNoHotkey) {
  view.SetScrollBar(platform::ScrollBar::Vertical, {true, 0, 767, 500, 0});
  HoldCtrlAlt();
  EXPECT_FALSE(Press(0x28, SCAN_ARROW_DOWN));
  EXPECT_FALSE(Press(0x25, SCAN_ARROW_LEFT));  // no horizontal bar
  EXPECT_EQ(
      scrolls,
      (std::vector<std::pair<platform::ScrollBar, bool>>{{platform::ScrollBar::Vertical, true}}));

  // Right Alt with left Ctrl is AltGr on other layouts: the unit's Ctrl is
  // lifted as AltGr goes down, and the key goes on as a character.
  for (const char* layout : {"00000407", "00000409"}) {
    SCOPED_TRACE(layout);
    keyboard.SetLayoutName(layout);
    Rebuild();
    EnterPassthru();
    Press(VK_CONTROL, SCAN_CTRL);
    Feed(SYSDOWN, VK_MENU, 0x21380001);
    EXPECT_TRUE(AltLetter('Q', 0x10));
    std::vector<SentKey> sent = SentKeys();
    for (SentKey& key : sent) key.modifiers = {};
    std::vector<SentKey> expected = {Key(DOWN, VK_CONTROL, 0x001D0001),
                                     Key(SYSDOWN, VK_MENU, 0x21380001),
                                     Key(SYSDOWN, 'Q', 0x20100001)};
    if (layout == std::string("00000407"))
      expected.insert(expected.begin() + 1, Key(UP, VK_CONTROL, 0xC01D0001));
    EXPECT_EQ(sent, expected);
  }
}

TEST_F(HotkeyTest, EnteringTeachesTheWayOutUnlessDeclined) {
  ini.Write("MISC", "TEACH_PASSTHRU_EXIT_KEYS", "1");
  Pipeline().OnACTIONSPassThrough();  // the dialog closed without OK
  EXPECT_FALSE(Pipeline().IsPassthru());
  const auto taught = dialogs.Last(HeadlessDialogs::Kind::Teaching);
  ASSERT_TRUE(taught);
  EXPECT_EQ(taught->text, std::string(TEACH_OPENING) + "LCtrl+Alt P");

  dialogs.Script(HeadlessDialogs::Answer::ChooseTicked(platform::DialogChoice::Ok));
  Pipeline().OnACTIONSPassThrough();
  EXPECT_TRUE(Pipeline().IsPassthru());
  EXPECT_EQ(ini.Read("MISC", "TEACH_PASSTHRU_EXIT_KEYS", "", 100), "0");
  EXPECT_TRUE(keyboard.IsGrabbed());
  EXPECT_FALSE(pointer.IsVisible());
  EXPECT_EQ(pointer.Confinement(), view.WindowRect());
  EXPECT_EQ(pointer.CursorMoves().back(), (platform::Point{108 + 512, 154 + 384}));
  EXPECT_EQ(pointer.GetAcceleration(), (platform::MouseAcceleration{0, 0, 0}));
  EXPECT_EQ(view.StatusText(STATUS_PANE_MESSAGE), "Regain control with: LCtrl+Alt P");

  Pipeline().OnACTIONSPassThrough();
  EXPECT_FALSE(Pipeline().IsPassthru());
  EXPECT_FALSE(keyboard.IsGrabbed());
  EXPECT_TRUE(pointer.IsVisible());
  EXPECT_FALSE(pointer.Confinement());
  EXPECT_EQ(pointer.GetAcceleration(), (platform::MouseAcceleration{6, 10, 1}));
  EXPECT_EQ(dialogs.Count(HeadlessDialogs::Kind::Teaching), 2u);

  // Only a logged-in viewer has a remote computer to hand the keyboard to.
  session.loggedIn = false;
  Pipeline().OnACTIONSPassThrough();
  EXPECT_FALSE(Pipeline().IsPassthru());
}

TEST_F(HotkeyTest, ExitTextsNameTheMethodInForce) {
  const struct {
    const char* hotkey;
    const char* trigger;
    const char* slow;
    const char* fast;
    const char* text;
  } cases[] = {
      {"T", "Both", "T", "T", "LCtrl+Alt P"},
      {"T", "LCtrl-down LCtrl-up", "T", "T", "LCtrl-down LCtrl-up P"},
      {"F", "Both", "T", "T", "Slow mouse movement."},
      {"F", "Both", "F", "T", "Fast mouse movement."},
      {"F", "Both", "F", "F", "Please configure program to select keystrokes and hotkeys."},
  };
  for (const auto& c : cases) {
    ini.Write("MISC", "ESCAPE_BY_HOTKEY", c.hotkey);
    ini.Write("MISC", "TRIGGER_KEYS", c.trigger);
    ini.Write("MISC", "ESCAPE_BY_SLOWMOUSE", c.slow);
    ini.Write("MISC", "ESCAPE_BY_FASTMOUSE", c.fast);
    EXPECT_EQ(GetPassthruExitText(ini), c.text);
  }
  ini.Write("MISC", "ESCAPE_BY_HOTKEY", "T");
  EXPECT_EQ(GetFullScreenExitText(ini), "LCtrl+Alt F");
}

TEST_F(HotkeyTest, AtLeastOneExitMethodStaysOn) {
  const struct {
    const char* before;  // hotkey, slow, fast
    ExitMethod toggled;
    const char* after;
  } cases[] = {
      {"TTT", ExitMethod::Hotkey, "FTT"},    {"FTT", ExitMethod::Hotkey, "TTT"},
      {"TFF", ExitMethod::Hotkey, "TFF"},    {"FTF", ExitMethod::SlowMouse, "TFF"},
      {"FFT", ExitMethod::FastMouse, "TFF"}, {"TTT", ExitMethod::FastMouse, "TTF"},
  };
  const char* keys[] = {"ESCAPE_BY_HOTKEY", "ESCAPE_BY_SLOWMOUSE", "ESCAPE_BY_FASTMOUSE"};
  for (const auto& c : cases) {
    for (int i = 0; i < 3; ++i) ini.Write("MISC", keys[i], std::string(1, c.before[i]));
    const ExitMethods methods = Pipeline().ToggleExitMethod(c.toggled);
    std::string written;
    for (const char* key : keys) written += ini.Read("MISC", key, "", 10);
    EXPECT_EQ(written, c.after) << c.before;
    EXPECT_EQ(methods.hotkey, c.after[0] == 'T');
    EXPECT_EQ(Pipeline().Settings().hotkeysEnabled, c.after[0] == 'T');
  }
  // With the hotkey method off, LCtrl+Alt+P is an ordinary key.
  EXPECT_FALSE(Pipeline().ToggleExitMethod(ExitMethod::Hotkey).hotkey);
  HoldCtrlAlt();
  EXPECT_FALSE(AltLetter('P', SCAN_P));
}

TEST_F(HotkeyTest, BadKeyTextsAreReportedAndKeepTheirDefaults) {
  ini.Write("MISC", "HOTKEY_PASSTHROUGH", "CAPS");
  ini.Write("MISC", "TriggerOneKeystroke", "WM_KEYPRESS 00000011 001d0001");
  Rebuild();
  const auto error = dialogs.Last(HeadlessDialogs::Kind::Error);
  ASSERT_TRUE(error);
  EXPECT_THAT(error->text, HasSubstr("Can't convert string to keystroke.\n"));
  EXPECT_THAT(error->text, HasSubstr("Error in Keystroke::Set(const char* szStr):\n"
                                     "Message not found in table.\n"));
  EXPECT_EQ(Pipeline().Settings().m_hotkeyPassthru.Name(), "P");
  EXPECT_EQ(Pipeline().Settings().m_triggerOne.KeyData(), 0x001D0001u);
}
