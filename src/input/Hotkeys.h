#pragma once
// Keys that are commands for the viewer: a hotkey pressed with left Ctrl and
// Alt held ("LCtrl+Alt"), or pressed within 2,000 ms after left Ctrl went
// down and up ("LCtrl-down LCtrl-up"). The hotkeys toggle pass-through and
// full screen, refresh the picture, and send Ctrl-Alt-Del or Alt-Tab to the
// remote computer. Window thread only.

#include <cstdint>
#include <functional>

#include "input/HotkeySettings.h"
#include "input/InputEnvironment.h"
#include "input/KeyPacer.h"
#include "input/KeySender.h"
#include "input/KeyboardState.h"
#include "input/PassThrough.h"
#include "platform/WindowThread.h"

namespace input {

// The LCtrl-down LCtrl-up trigger lasts this long after its first key.
inline constexpr uint32_t TRIGGER_WINDOW_MS = 2000;
inline constexpr const char* NEXT_WINDOW_FAILURE = "Unable to switch to the next window";

class Hotkeys {
 public:
  Hotkeys(const InputEnvironment& env, KeyboardState& state, KeySender& sender,
          PassThrough& passThrough, KeyPacer& pacer, const HotkeySettings& settings);

  // True when the key was used as a command.
  bool HandleCtrlAltHotkeys(const Keystroke& key);
  bool HandleCtrlDnCtrlUpHotkeys(const Keystroke& key);
  // triggered: by the LCtrl-down LCtrl-up form, whose keys are no longer held.
  // ctrlKeyData, altKeyData: the held Ctrl and Alt keys' data otherwise.
  bool HandleHotKeys(const Keystroke& key, bool triggered, uint32_t ctrlKeyData,
                     uint32_t altKeyData);

 private:
  void TogglePassthru(bool triggered, uint32_t ctrlKeyData, uint32_t altKeyData);
  void ToggleFullScreen(bool triggered);
  void FinishFullScreenToggle();
  void SendCtrlAltDel(bool triggered);
  void Refresh();
  // The locally held Ctrl and Alt go up on the local desktop.
  void LiftLocalCtrlAlt(const char* ctrlTrace);
  // Ctrl and Alt marked down again when the operator still holds them.
  void RemarkHeldCtrlAlt();
  void ClearTriggers();

  const InputEnvironment& m_env;
  KeyboardState& m_state;
  KeySender& m_sender;
  PassThrough& m_passThrough;
  KeyPacer& m_pacer;
  const HotkeySettings& m_settings;
  std::function<uint32_t()> m_tickCount;
  // Ticks when the trigger's first and second keys were seen; 0: not seen.
  uint32_t m_triggerOneTime = 0;
  uint32_t m_triggerTwoTime = 0;
  platform::Timer m_fullScreenStep;
};

}  // namespace input
