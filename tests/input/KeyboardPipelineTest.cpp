// What reaches the unit of the keys the view receives.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "KeyboardFixture.h"
#include "input/VirtualKeys.h"

using namespace input;
using platform::HeadlessKeyboard;

namespace {

constexpr uint32_t ALT_DOWN = 0x20380001;  // WM_SYSKEYDOWN of left Alt

}  // namespace

TEST_F(KeyboardTest, OutsidePassThroughKeysStayLocal) {
  keyboard.SetLockLights(platform::LOCK_CAPS);
  EXPECT_FALSE(Press('A', 0x1E));
  EXPECT_FALSE(Release('A', 0x1E));
  EXPECT_TRUE(session.sent.empty());
  // The local user's lock states are taken in with every key handled locally.
  EXPECT_EQ(Pipeline().Lights().LocalStates(), platform::LOCK_CAPS);

  EnterPassthru();
  session.connected = false;
  EXPECT_FALSE(Press('A', 0x1E));
  EXPECT_TRUE(session.sent.empty());
}

TEST_F(KeyboardTest, KeysGoOutBalanced) {
  EnterPassthru();
  // The release of the key that started pass-through is dropped...
  EXPECT_TRUE(Release('P', 0x19));
  EXPECT_TRUE(Press('A', 0x1E));
  // ...auto-repeat downs are sent...
  EXPECT_TRUE(Feed(DOWN, 'A', 0x401E0001));
  EXPECT_TRUE(Release('A', 0x1E));
  // ...a second key-up is not, except Print Screen's, which comes without its key-down.
  EXPECT_TRUE(Release('A', 0x1E));
  EXPECT_TRUE(Release(0x2C, 0x37));
  EXPECT_TRUE(Release(0x2C, 0x37));
  EXPECT_EQ(SentKeys(),
            (std::vector<SentKey>{Key(DOWN, 'A', 0x001E0001), Key(DOWN, 'A', 0x401E0001),
                                  Key(UP, 'A', 0xC01E0001), Key(UP, 0x2C, 0xC0370001),
                                  Key(UP, 0x2C, 0xC0370001)}));
  // Keys captured by the grab keep their message number on the wire.
  session.sent.clear();
  EXPECT_TRUE(Feed(WM_HOOKED_KEY, VK_TAB, DownData(SCAN_TAB)));
  EXPECT_EQ(SentKeys(), (std::vector<SentKey>{Key(WM_HOOKED_KEY, VK_TAB, 0x000F0001)}));
}

TEST_F(KeyboardTest, KbdPacketCarriesModifiersAndIsScrambledBySubtype) {
  scrambleKey = 0x20;
  EnterPassthru();
  keyboard.PressByUser(VK_SHIFT, SCAN_LSHIFT, false, false);
  ASSERT_TRUE(Press('B', 0x30));
  ASSERT_EQ(session.sent.size(), 1u);
  EXPECT_EQ(session.sent[0].header.type, KBD);
  EXPECT_EQ(session.sent[0].header.subtype, 0x20);
  // 0x100, 0x42, 0x00300001, then Shift and left Shift down, each byte plus 0x20.
  EXPECT_EQ(session.sent[0].payload,
            (std::vector<uint8_t>{0x20, 0x21, 0x20, 0x20, 0x62, 0x20, 0x20, 0x20, 0x21, 0x20, 0x50,
                                  0x20, 0x21, 0x20, 0x20, 0x21, 0x20, 0x20, 0x20, 0x20, 0x20}));

  std::array<uint8_t, 3> bytes{0xF0, 0x00, 0xE0};
  Scramble(bytes, 0x20);
  EXPECT_EQ(bytes, (std::array<uint8_t, 3>{0x10, 0x20, 0x00}));
  // rand()'s range maps onto 0..254.
  for (const auto& [random, key] : {std::pair{0, 0}, {128, 0}, {129, 1}, {32767, 254}})
    EXPECT_EQ(ScrambleKeyFor(random), key) << random;
}

TEST_F(KeyboardTest, CtrlAltDelHeldLocallyIsKeptFromTheUnit) {
  EnterPassthru();
  Press(VK_CONTROL, SCAN_CTRL);
  Feed(SYSDOWN, VK_MENU, ALT_DOWN);
  EXPECT_TRUE(Press(VK_DELETE, SCAN_DEL, KEY_EXTENDED));
  EXPECT_TRUE(Pipeline().Sender().Sent(SCAN_DEL).IsUp());
  EXPECT_TRUE(Release(VK_DELETE, SCAN_DEL, KEY_EXTENDED));
  EXPECT_EQ(SentKeys(), (std::vector<SentKey>{Key(DOWN, VK_CONTROL, 0x001D0001),
                                              Key(SYSDOWN, VK_MENU, ALT_DOWN)}));
}

TEST_F(KeyboardTest, LosingFocusLiftsWhatTheUnitHoldsAndLeavesPassThrough) {
  EnterPassthru();
  keyboard.PressByUser(VK_SHIFT, SCAN_LSHIFT, false, false);
  Press(VK_SHIFT, SCAN_LSHIFT);
  EXPECT_TRUE(Pipeline().IsSentKeyDown(SCAN_LSHIFT));
  session.sent.clear();

  Pipeline().HandleFocus(false);
  // The key-down record turned round: only the transition bit changes.
  SentKey shiftUp = Key(UP, VK_SHIFT, 0x802A0001);
  shiftUp.modifiers = {1, 0, 0, 1, 0, 0, 0, 0, 0};  // as the keyboard stands
  EXPECT_EQ(SentKeys(), std::vector<SentKey>{shiftUp});
  EXPECT_FALSE(Pipeline().IsSentKeyDown(SCAN_LSHIFT));
  EXPECT_FALSE(Pipeline().IsPassthru());
  EXPECT_TRUE(pointer.IsVisible());
  EXPECT_FALSE(pointer.Confinement());
  EXPECT_FALSE(keyboard.IsGrabbed());
}

TEST_F(KeyboardTest, SystemKeysKeptLocalLeavePassThroughForTheLocalDesktop) {
  Pipeline().SetSysKeysToRemote(false);
  EXPECT_EQ(ini.Read("MISC", "SYS_KEYS_ARE", "", 200), "SyskeysAreSentToLocalMachine");
  using Synthetic = HeadlessKeyboard::SyntheticKey;

  // Alt+Tab: played to the local desktop; the unit's Alt goes up.
  EnterPassthru();
  Feed(SYSDOWN, VK_MENU, ALT_DOWN);
  session.sent.clear();
  EXPECT_TRUE(Feed(SYSDOWN, VK_TAB, 0x200F0001));
  EXPECT_FALSE(Pipeline().IsPassthru());
  EXPECT_EQ(keyboard.SyntheticKeys(), (std::vector<Synthetic>{{VK_LMENU, SCAN_ALT, false},
                                                              {VK_TAB, SCAN_TAB, false},
                                                              {VK_TAB, SCAN_TAB, true},
                                                              {VK_LMENU, SCAN_ALT, true}}));
  EXPECT_EQ(SentKeys(), std::vector<SentKey>{Key(SYSUP, VK_MENU, 0xC0380001)});

  // Ctrl+Alt+Del: the local desktop sees it; the unit's modifiers go up.
  EnterPassthru();
  Press(VK_CONTROL, SCAN_CTRL);
  Feed(SYSDOWN, VK_MENU, ALT_DOWN);
  session.sent.clear();
  EXPECT_TRUE(Press(VK_DELETE, SCAN_DEL, KEY_EXTENDED));
  EXPECT_TRUE(Pipeline().IsPassthru());
  EXPECT_EQ(SentKeys(), (std::vector<SentKey>{Key(SYSUP, VK_MENU, 0xC0380001),
                                              Key(UP, VK_CONTROL, 0xC01D0001)}));

  // The Windows key: to the local desktop; the unit never saw it go down.
  Release(VK_CONTROL, SCAN_CTRL);
  session.sent.clear();
  const size_t before = keyboard.SyntheticKeys().size();
  EXPECT_TRUE(Press(VK_LWIN, 0x5B, KEY_EXTENDED));
  EXPECT_FALSE(Pipeline().IsPassthru());
  const auto synthetic = keyboard.SyntheticKeys();
  EXPECT_EQ(std::vector<Synthetic>(synthetic.begin() + static_cast<long>(before), synthetic.end()),
            (std::vector<Synthetic>{{VK_LWIN, 0x5B, false}, {VK_LWIN, 0x5B, true}}));
  EXPECT_TRUE(SentKeys().empty());
}
