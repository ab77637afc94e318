// The local lock keys follow the unit's in pass-through and come back after.

#include <gtest/gtest.h>

#include "KeyboardFixture.h"
#include "input/VirtualKeys.h"

using namespace input;
using platform::HeadlessKeyboard;
using platform::LOCK_CAPS;
using platform::LOCK_NUM;
using platform::LOCK_SCROLL;
using platform::VK_CAPITAL;
using platform::VK_NUMLOCK;
using Synthetic = HeadlessKeyboard::SyntheticKey;

class LockLightsTest : public KeyboardTest {
 protected:
  void Leds(uint8_t lights) { Pipeline().HandleKbdLEDs(PacketHeader(KBD_LEDS, lights)); }
};

TEST_F(LockLightsTest, InPassThroughTheUnitsStatesApplyAtOnce) {
  EnterPassthru();
  EXPECT_TRUE(keyboard.SyntheticKeys().empty());  // both sides all off
  const int grabs = keyboard.GrabCount();
  Leds(0x06);
  EXPECT_EQ(keyboard.LockLights(), LOCK_NUM | LOCK_CAPS);
  EXPECT_EQ(keyboard.SyntheticKeys(), (std::vector<Synthetic>{{VK_NUMLOCK, 0x45, false},
                                                              {VK_NUMLOCK, 0x45, true},
                                                              {VK_CAPITAL, 0x3A, false},
                                                              {VK_CAPITAL, 0x3A, true}}));
  // The keyboard is let go until the window thread has handled the synthetic
  // keys, then taken again.
  EXPECT_FALSE(keyboard.IsGrabbed());
  EXPECT_FALSE(Pipeline().IsPassthru());
  EXPECT_TRUE(Pipeline().Lights().IsSettingStates());
  window.Advance(1);
  EXPECT_FALSE(Pipeline().Lights().IsSettingStates());
  EXPECT_EQ(keyboard.GrabCount(), grabs + 1);
  EXPECT_TRUE(keyboard.IsGrabbed());
  EXPECT_TRUE(Pipeline().IsPassthru());
  EXPECT_EQ(Pipeline().Lights().LocalStates(), 0);
  EXPECT_TRUE(SentKeys().empty());
}

TEST_F(LockLightsTest, OutsidePassThroughOnlyTheUnitsStatesAreKept) {
  Leds(LOCK_CAPS);
  EXPECT_EQ(Pipeline().Lights().RemoteStates(), LOCK_CAPS);
  EXPECT_EQ(keyboard.LockLights(), 0);
  EXPECT_TRUE(keyboard.SyntheticKeys().empty());
  // Entering takes the unit's; leaving gives the local user's back.
  EnterPassthru();
  EXPECT_EQ(keyboard.LockLights(), LOCK_CAPS);
  Pipeline().ForcePassthruMode(false);
  EXPECT_EQ(keyboard.LockLights(), 0);
  EXPECT_EQ(keyboard.SyntheticKeys().size(), 4u);
}

TEST_F(LockLightsTest, MatchingStatesSynthesiseNothing) {
  keyboard.SetLockLights(LOCK_NUM | LOCK_SCROLL);
  EXPECT_EQ(Pipeline().ReadLocalLockLights(), LOCK_NUM | LOCK_SCROLL);
  Leds(LOCK_NUM | LOCK_SCROLL);
  EnterPassthru();
  Leds(LOCK_NUM | LOCK_SCROLL);
  Pipeline().ForcePassthruMode(false);
  EXPECT_TRUE(keyboard.SyntheticKeys().empty());
}

TEST_F(LockLightsTest, KeysArrivingWhileTheLightsChangeStayLocal) {
  EnterPassthru();
  window.Post([this] { Press(VK_CAPITAL, 0x3A); });
  Leds(LOCK_CAPS);
  window.RunPending();
  window.Advance(1);
  EXPECT_TRUE(Pipeline().State().m_localKeys.IsDown(0x3A));
  EXPECT_TRUE(SentKeys().empty());
  EXPECT_TRUE(Pipeline().IsPassthru());
}

TEST_F(LockLightsTest, PacedKeysWaitWhileTheLightsChange) {
  EnterPassthru();
  Pipeline().TypeKeys({EventFor(DOWN, 'A', DownData(0x1E)), EventFor(UP, 'A', UpData(0x1E))}, 20,
                      {}, {});
  // The key-up falls due while the lights are being set: it waits for them.
  window.Skip(20);
  Leds(LOCK_CAPS);
  window.Advance(0);
  EXPECT_EQ(SentKeys().size(), 1u);
  window.Advance(20);
  EXPECT_EQ(SentKeys(),
            (std::vector<SentKey>{Key(DOWN, 'A', 0x001E0001), Key(UP, 'A', 0xC01E0001)}));
}

TEST_F(LockLightsTest, LightsThatCannotBeSetCloseTheConnection) {
  EnterPassthru();
  keyboard.FailSyntheticKeys("No keyboard extension on this display.");
  Leds(LOCK_CAPS);
  EXPECT_EQ(session.failureTitle, "Can't control keyboard lights.\n");
  EXPECT_EQ(session.failureText, "Can't control keyboard lights.\n");
  EXPECT_EQ(session.disconnects, 1);
  // Pass-through is as it was, keyboard taken again.
  EXPECT_TRUE(Pipeline().IsPassthru());
  EXPECT_TRUE(keyboard.IsGrabbed());
}

TEST_F(LockLightsTest, TheUnitsStatesWaitForTheLockKeysSentDownToBeReleased) {
  EnterPassthru();
  Press(VK_SHIFT, SCAN_LSHIFT);
  Leds(LOCK_CAPS);
  // The shift key is still down on the unit: the lights wait, the keys do not.
  window.Advance(3 * LED_WAIT_MS);
  EXPECT_EQ(keyboard.LockLights(), 0);
  EXPECT_EQ(Pipeline().Lights().RemoteStates(), 0);
  Press('A', 0x1E, 0);
  Release(VK_SHIFT, SCAN_LSHIFT);
  EXPECT_EQ(SentKeys().size(), 3u);
  // A newer report takes the place of the waiting one.
  Leds(LOCK_NUM);
  window.Advance(LED_WAIT_MS);
  EXPECT_EQ(keyboard.LockLights(), LOCK_NUM);
  EXPECT_EQ(Pipeline().Lights().RemoteStates(), LOCK_NUM);
  window.Advance(1);
  EXPECT_TRUE(Pipeline().IsPassthru());
}

TEST_F(LockLightsTest, TheWaitForLockKeysHasABound) {
  EnterPassthru();
  Press(VK_CAPITAL, 0x3A);
  Leds(LOCK_CAPS);
  // Looked at every 20 ms, 51 times at most: the lights come at 1,020 ms.
  window.Advance(LED_WAIT_TRIES * LED_WAIT_MS - 1);
  EXPECT_EQ(keyboard.LockLights(), 0);
  window.Advance(1);
  EXPECT_EQ(keyboard.LockLights(), LOCK_CAPS);
  EXPECT_TRUE(Pipeline().IsSentKeyDown(0x3A));
}
