#pragma once
// The keyboard of the view: every key event passes HandleKeystrokes, which
// decides whether it is a command for the viewer (a hotkey, or a system key
// kept for the local desktop), is swallowed, or goes to the unit. Keys go to
// the unit only while logged in and in pass-through. The pipeline owns its
// parts (sender, lock lights, pass-through, hotkeys, system keys) and is the
// session's keyboard link.
//
// Window thread only.

#include <cstdint>
#include <functional>
#include <vector>

#include "input/ExitMethods.h"
#include "input/HotkeySettings.h"
#include "input/Hotkeys.h"
#include "input/InputEnvironment.h"
#include "input/KeyEvent.h"
#include "input/KeyPacer.h"
#include "input/KeySender.h"
#include "input/KeyboardState.h"
#include "input/LockLights.h"
#include "input/PassThrough.h"
#include "input/SysKeyTable.h"
#include "platform/WindowThread.h"
#include "session/SessionHooks.h"

namespace input {

inline constexpr const char* CTRL_ALT_DEL_FAILURE = "Unable to reboot remote computer";

class KeyboardPipeline : public session::KeyboardLink {
 public:
  // Takes in the local lock states.
  explicit KeyboardPipeline(InputEnvironment env);

  // The view's first update: the MISC keys of the hotkeys, triggers and system
  // keys. A text that is no keystroke is shown to the operator; its key keeps
  // its default.
  void ReadSettings();

  // Every key of the view. True when it was consumed (sent, swallowed or a
  // command); false leaves it to the window's own handling. Throws when the
  // unit cannot be sent to.
  bool HandleKeystrokes(const KeyEvent& event);
  // The view lost or regained the keyboard focus.
  void HandleFocus(bool gained);

  bool IsPassthru() const { return m_state.m_passThrough; }
  void ForcePassthruMode(bool on) { m_passThrough.ForcePassthruMode(on); }
  void OnACTIONSPassThrough() { m_passThrough.OnACTIONSPassThrough(); }
  void HandleKbdLEDs(const PacketHeader& header) { m_lights.HandleKbdLEDs(header); }

  // The remote key commands, 50 ms between keys; a failure is shown to the
  // operator, or handed to onFailure when one is given.
  void SendCtrlAltDel(KeyPacer::FailureHandler onFailure = {});
  void SendAltTab(KeyPacer::FailureHandler onFailure = {});
  // Keys sent to the unit as if typed, gapMs apart; beforeEach (if any) runs
  // just before each, as the local keyboard changes.
  void TypeKeys(const std::vector<KeyEvent>& keys, uint32_t gapMs,
                std::function<void(const KeyEvent&)> beforeEach,
                KeyPacer::FailureHandler onFailure);
  // Nothing paced is waiting to be sent.
  bool IsIdle() const { return m_pacer.IsIdle(); }

  // Menu commands, written to the settings at once.
  void SetSysKeysToRemote(bool toRemote);
  ExitMethods ToggleExitMethod(ExitMethod method);

  // session::KeyboardLink.
  uint8_t ReadLocalLockLights() override;
  bool IsSentKeyDown(uint8_t scanCode) const { return m_sender.IsSentKeyDown(scanCode); }

  const KeyboardState& State() const { return m_state; }
  const KeySender& Sender() const { return m_sender; }
  const LockLights& Lights() const { return m_lights; }
  const HotkeySettings& Settings() const { return m_settings; }

 private:
  bool IsBlockedKey(bool& block, const Keystroke& hotkey, const Keystroke& key,
                    const char* downTrace, const char* upTrace);
  void OnKillFocus();

  InputEnvironment m_env;
  KeyboardState m_state;
  HotkeySettings m_settings;
  KeySender m_sender;
  LockLights m_lights;
  KeyPacer m_pacer;
  PassThrough m_passThrough;
  Hotkeys m_hotkeys;
  SysKeyTable m_sysKeys;
};

}  // namespace input
