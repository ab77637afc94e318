// The viewer's keyboard against the simulated unit: a lock key typed into the
// remote computer comes back as its lights.

#include <gtest/gtest.h>

#include "integration/ViewerHarness.h"
#include "platform/WindowMessages.h"
#include "support/SimProcess.h"

TEST(KeyboardWithSim, CapsLockComesBackAsTheUnitsLights) {
  SimProcess sim({});
  ViewerHarness viewer({sim.Address()});
  viewer.Connect();
  ASSERT_TRUE(viewer.RunUntil([&] { return viewer.orb->IsLoggedIn(); }));
  input::KeyboardPipeline& keyboard = viewer.core->Keyboard();
  keyboard.ForcePassthruMode(true);
  const uint8_t before = keyboard.Lights().RemoteStates();

  // Caps Lock pressed and released in pass-through: the unit toggles it and
  // says so, and the local light follows.
  EXPECT_TRUE(keyboard.HandleKeystrokes(platform::WM_KEYDOWN, platform::VK_CAPITAL, 0x003A0001));
  EXPECT_TRUE(keyboard.HandleKeystrokes(platform::WM_KEYUP, platform::VK_CAPITAL, 0xC03A0001));
  const uint8_t toggled = before ^ platform::LOCK_CAPS;
  ASSERT_TRUE(viewer.RunUntil([&] { return keyboard.Lights().RemoteStates() == toggled; }));
  EXPECT_EQ(viewer.keyboard.LockLights(), toggled);

  // Leaving pass-through gives the local user's lights back.
  keyboard.ForcePassthruMode(false);
  EXPECT_EQ(viewer.keyboard.LockLights(), keyboard.Lights().LocalStates());
  viewer.orb->Disconnect(true);
  EXPECT_TRUE(viewer.WaitForEnd());
}
