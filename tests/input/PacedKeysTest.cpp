// Keys paced by the window thread's clock: the remote key commands and typed text.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "KeyboardFixture.h"
#include "input/KeyPacer.h"
#include "input/UsKeyboardText.h"
#include "input/VirtualKeys.h"

using namespace input;
using testing::HasSubstr;

namespace {

// As the unit has always been sent them: Alt down as a plain key with the Alt
// bit, Del up without its previous-down bit.
const std::vector<SentKey> CTRL_ALT_DEL_KEYS{
    Key(WM_KEYDOWN, 0x11, 0x001D0001), Key(WM_KEYDOWN, 0x12, 0x20380001),
    Key(WM_KEYDOWN, 0x2E, 0x01530001), Key(WM_KEYUP, 0x2E, 0xA1530001),
    Key(WM_KEYUP, 0x12, 0xC0380001),   Key(WM_KEYUP, 0x11, 0xC01D0001)};
const std::vector<SentKey> ALT_TAB_KEYS{
    Key(WM_SYSKEYDOWN, 0x12, 0x20380001), Key(WM_KEYDOWN, 0x09, 0x000F0001),
    Key(WM_KEYUP, 0x09, 0xC00F0001), Key(WM_SYSKEYUP, 0x12, 0xC0380001)};

}  // namespace

TEST_F(KeyboardTest, RemoteKeyCommandsGoOutFiftyMillisecondsApartWithoutModifiers) {
  keyboard.PressByUser(VK_SHIFT, SCAN_LSHIFT, false, false);  // not reported
  Pipeline().SendCtrlAltDel();
  Pipeline().SendAltTab();  // follows, never mixed in
  EXPECT_EQ(SentKeys().size(), 1u);
  window.Advance(49);
  EXPECT_EQ(SentKeys().size(), 1u);
  window.Advance(1);
  EXPECT_EQ(SentKeys().size(), 2u);
  window.Advance(8 * 50);
  std::vector<SentKey> expected = CTRL_ALT_DEL_KEYS;
  expected.insert(expected.end(), ALT_TAB_KEYS.begin(), ALT_TAB_KEYS.end());
  EXPECT_EQ(SentKeys(), expected);
  EXPECT_TRUE(Pipeline().IsIdle());
  EXPECT_EQ(window.RunningTimers(), 0u);
}

TEST_F(KeyboardTest, AFailedRemoteKeyCommandIsReportedAndDropsTheRestOfItsKeys) {
  session.failSends = true;
  Pipeline().SendCtrlAltDel();
  session.failSends = false;
  Pipeline().SendAltTab();
  window.Advance(10 * 50);
  const auto error = dialogs.Last(platform::HeadlessDialogs::Kind::Error);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->title, "Unable to reboot remote computer");
  EXPECT_THAT(error->text, HasSubstr("In SendKeystroke()\nError sending"));
  EXPECT_EQ(SentKeys(), ALT_TAB_KEYS);
}

// In pass-through or not: a paste's progress dialog takes the focus, which ends
// pass-through, and the text must still arrive whole.
TEST_F(KeyboardTest, TypedTextReachesTheUnitWithTheShiftItWasTypedWith) {
  for (const bool passthru : {true, false}) {
    SCOPED_TRACE(passthru);
    Rebuild();
    session.sent.clear();
    if (passthru) EnterPassthru();
    const auto followKeyboard = [this](const KeyEvent& key) {
      keyboard.PressByUser(static_cast<int>(key.virtualKey), key.scanCode, key.extended, !key.down);
    };
    Pipeline().TypeKeys(UsKeyEventsFor("Hi"), 20, followKeyboard, {});
    window.Advance(5 * 20);
    SentKey shiftDown = Key(DOWN, VK_SHIFT, 0x002A0001), hDown = Key(DOWN, 'H', 0x00230001),
            hUp = Key(UP, 'H', 0xC0230001);
    shiftDown.modifiers = hDown.modifiers = hUp.modifiers = {1, 0, 0, 1, 0, 0, 0, 0, 0};
    EXPECT_EQ(SentKeys(),
              (std::vector<SentKey>{shiftDown, hDown, hUp, Key(UP, VK_SHIFT, 0xC02A0001),
                                    Key(DOWN, 'I', 0x00170001), Key(UP, 'I', 0xC0170001)}));
    EXPECT_TRUE(Pipeline().IsIdle());
  }
}
