#pragma once
// Num Lock, Caps Lock and Scroll Lock: while the operator types into the
// remote computer the local lock keys follow the unit's states (KBD_LEDS);
// when pass-through ends they return to the local user's own. Window thread
// only.

#include <cstdint>

#include "input/KeySender.h"
#include "input/KeyboardState.h"
#include "platform/Desktop.h"
#include "platform/WindowThread.h"
#include "protocol/PacketHeader.h"
#include "session/Session.h"

namespace input {

inline constexpr const char* CANT_CONTROL_LIGHTS = "Can't control keyboard lights.\n";
// The unit's lock states wait while a lock or shift key it was sent is still
// down: looked at every LED_WAIT_MS, LED_WAIT_TRIES times at most.
inline constexpr int LED_WAIT_TRIES = 51;
inline constexpr uint32_t LED_WAIT_MS = 20;

class LockLights {
 public:
  LockLights(KeyboardState& state, const KeySender& sender, platform::KeyboardDevice& keyboard,
             platform::WindowThread& window, session::Session& session);

  // KBD_LEDS: the lock-state byte is the subtype; in pass-through it applies
  // once the lock and shift keys sent to the unit are up again (or the wait
  // ran out), so that the lights are not set under a key still held. A newer
  // KBD_LEDS during the wait takes the place of the one waiting.
  void HandleKbdLEDs(const PacketHeader& header);
  // The local lock keys' toggle states as a lock-state byte.
  uint8_t GetKeyboardLights() const;
  // Toggles each local lock key that differs. The synthetic keys stay local:
  // pass-through is suspended until the window thread has handled what was
  // queued before them (a timer, not a nested pump). Throws the platform's
  // failure, with pass-through back as it was.
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
  void ApplyKbdLEDs(uint8_t lights);
  bool AreLockKeysSentDown() const;
  // Pass-through off, and the grab with it, while the synthetic keys are
  // handled; the local user's states are not to take them in.
  void SuspendPassthru();
  // The synthetic keys are handled: pass-through back on, unless it was left meanwhile.
  void ResumePassthru();

  KeyboardState& m_state;
  const KeySender& m_sender;
  platform::KeyboardDevice& m_keyboard;
  session::Session& m_session;
  // Kept here rather than on the session: only the keyboard reads and writes
  // them, on the window thread.
  uint8_t m_ucKbdLEDsBrenvik = 0;
  uint8_t m_ucKbdLEDsLocalKVM = 0;
  bool m_setting = false;
  bool m_suspended = false;
  uint8_t m_savedLocal = 0;
  platform::Timer m_settle;
  platform::Timer m_ledWait;
  int m_ledWaitTries = 0;
  uint8_t m_waitingLeds = 0;
};

}  // namespace input
