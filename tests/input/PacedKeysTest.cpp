// Keys paced by the window thread's clock: the remote key commands and typed text.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "KeyboardFixture.h"
#include "input/FixedSequences.h"
#include "input/KeyPacer.h"
#include "input/UsKeyboardText.h"
#include "input/VirtualKeys.h"

using namespace input;
using testing::HasSubstr;

namespace {

std::vector<SentKey> Keys(std::span<const KeyEvent> events) {
  std::vector<SentKey> keys;
  for (const KeyEvent& event : events)
    keys.push_back(Key(event.message, event.wParam, event.lParam));
  return keys;
}

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
  std::vector<SentKey> expected = Keys(CTRL_ALT_DEL_SEQUENCE);
  for (const SentKey& key : Keys(ALT_TAB_SEQUENCE)) expected.push_back(key);
  EXPECT_EQ(SentKeys(), expected);
  EXPECT_TRUE(Pipeline().IsIdle());
  EXPECT_FALSE(window.HasTimer(KEY_PACER_TIMER));
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
  EXPECT_EQ(SentKeys(), Keys(ALT_TAB_SEQUENCE));
}

// In pass-through or not: a paste's progress dialog takes the focus, which ends
// pass-through, and the text must still arrive whole.
TEST_F(KeyboardTest, TypedTextReachesTheUnitWithTheShiftItWasTypedWith) {
  for (const bool passthru : {true, false}) {
    SCOPED_TRACE(passthru);
    Rebuild();
    session.sent.clear();
    if (passthru) EnterPassthru();
    const auto followKeyboard = [this](const Keystroke& key) {
      keyboard.PressByUser(static_cast<int>(key.VirtualKey()), static_cast<int>(key.GetOEMCode()),
                           (key.KeyData() & KEY_EXTENDED) != 0, key.IsUp());
    };
    Pipeline().TypeKeys(UsKeystrokesFor("Hi"), 20, followKeyboard, {});
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
