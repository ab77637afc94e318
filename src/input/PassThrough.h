#pragma once
// Pass-through mode: the keyboard and mouse belong to the remote computer.
// Entering it takes the keyboard (the grab, so system keys reach the unit),
// hides and confines the cursor, switches mouse acceleration off and gives
// the local lock keys the unit's states; leaving gives all of it back.
// Window thread only.

#include "input/HotkeySettings.h"
#include "input/InputEnvironment.h"
#include "input/KeySender.h"
#include "input/KeyboardState.h"
#include "input/LockLights.h"

namespace input {

inline constexpr int STATUS_PANE_MESSAGE = 0;
inline constexpr const char* TEACH_OPENING =
    "Your system is presently configured to exit this mode with: \n\n";
inline constexpr const char* REGAIN_CONTROL = "Regain control with: ";
// What the status bar says once keys stay on this computer again.
inline constexpr const char* PASSTHRU_OFF =
    "Pass-through off: keys stay here. Click into the view to send them to the remote computer.";

class PassThrough {
 public:
  PassThrough(const InputEnvironment& env, KeyboardState& state, KeySender& sender,
              LockLights& lights, const HotkeySettings& settings);

  // The operator's command (menu, hotkey, local system keys, focus loss):
  // leaves pass-through, or enters it, first teaching the way out unless the
  // operator declined that. Only while logged in; a failure is shown to the
  // operator.
  void OnACTIONSPassThrough();
  // Enters or leaves at once.
  void ForcePassthruMode(bool on);
  // The view has the focus again: no local key is held any more, and a
  // pass-through that was interrupted takes keyboard and mouse again.
  void OnFocusRegained();

 private:
  void Toggle();
  // False when the operator cancelled the teaching dialog.
  bool Teach();

  const InputEnvironment& m_env;
  KeyboardState& m_state;
  KeySender& m_sender;
  LockLights& m_lights;
  const HotkeySettings& m_settings;
};

}  // namespace input
