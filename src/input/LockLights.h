#pragma once
// Num Lock, Caps Lock and Scroll Lock: while the operator types into the
// remote computer the local lock keys follow the unit's states (KBD_LEDS);
// when pass-through ends they return to the local user's own. Window thread
// only.

#include <cstdint>

#include "input/KeyboardState.h"
#include "platform/Desktop.h"
#include "platform/WindowThread.h"
#include "protocol/PacketHeader.h"
#include "session/Session.h"

namespace input {

inline constexpr const char* CANT_CONTROL_LIGHTS = "Can't control keyboard lights.\n";

class LockLights {
 public:
  LockLights(KeyboardState& state, platform::KeyboardDevice& keyboard,
             platform::WindowThread& window, session::Session& session);

  // KBD_LEDS: the lock-state byte is the subtype; in pass-through it applies at once.
  void HandleKbdLEDs(const PacketHeader& header);
  // The local lock keys' toggle states as a lock-state byte.
  uint8_t GetKeyboardLights() const;
  // Toggles each local lock key that differs. The synthetic keys stay local:
  // pass-through is suspended around them. Throws the platform's failure.
  void SetKbdLockStates(bool num, bool caps, bool scroll);
  // The local lock keys set to a lock-state byte. A failure closes the
  // connection with "Can't control keyboard lights.\n".
  void SetLocalStates(uint8_t lights);
  void ApplyRemoteStates() { SetLocalStates(m_ucKbdLEDsBrenvik); }
  // Back to the local user's states.
  void RestoreKeyboardState();
  // Takes in the local user's states now; returns them.
  uint8_t StoreLocalStates();

  // The lock keys are being set: pass-through is suspended meanwhile.
  bool IsSettingStates() const { return m_setting; }
  uint8_t RemoteStates() const { return m_ucKbdLEDsBrenvik; }
  uint8_t LocalStates() const { return m_ucKbdLEDsLocalKVM; }

 private:
  KeyboardState& m_state;
  platform::KeyboardDevice& m_keyboard;
  platform::WindowThread& m_window;
  session::Session& m_session;
  // Kept here rather than on the session: only the keyboard reads and writes
  // them, on the window thread.
  uint8_t m_ucKbdLEDsBrenvik = 0;
  uint8_t m_ucKbdLEDsLocalKVM = 0;
  bool m_setting = false;
};

}  // namespace input
