// The viewer's keyboard against the simulated unit: a lock key typed into the
// remote computer comes back as its lights.

#include <gtest/gtest.h>

#include "integration/ViewerHarness.h"
#include "support/SimProcess.h"

TEST(KeyboardWithSim, CapsLockComesBackAsTheUnitsLights) {
  SimProcess sim({});
  ViewerHarness viewer({sim.Address()});
  viewer.Connect();
  ASSERT_TRUE(viewer.RunUntil([&] { return viewer.session->IsLoggedIn(); }));
  input::KeyboardPipeline& keyboard = viewer.core->Keyboard();
  keyboard.ForcePassthruMode(true);
  const uint8_t before = keyboard.Lights().RemoteStates();

  // Caps Lock pressed and released in pass-through: the unit toggles it and
  // says so, and the local light follows.
  const input::KeyEvent capsDown{.virtualKey = platform::VK_CAPITAL, .scanCode = 0x3A};
  input::KeyEvent capsUp = capsDown;
  capsUp.down = false;
  capsUp.wasDown = true;
  EXPECT_TRUE(viewer.core->HandleKey(capsDown));
  EXPECT_TRUE(viewer.core->HandleKey(capsUp));
  const uint8_t toggled = before ^ platform::LOCK_CAPS;
  ASSERT_TRUE(viewer.RunUntil([&] { return keyboard.Lights().RemoteStates() == toggled; }));
  EXPECT_EQ(viewer.keyboard.LockLights(), toggled);

  // Leaving pass-through gives the local user's lights back.
  keyboard.ForcePassthruMode(false);
  EXPECT_EQ(viewer.keyboard.LockLights(), keyboard.Lights().LocalStates());
  viewer.session->Disconnect(true);
  EXPECT_TRUE(viewer.WaitForEnd());
}
