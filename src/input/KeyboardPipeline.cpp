#include "input/KeyboardPipeline.h"

#include <utility>

#include "input/Cursor.h"
#include "input/FixedSequences.h"
#include "input/KbdPacket.h"
#include "input/VirtualKeys.h"
#include "platform/Trace.h"
#include "settings/MiscSettings.h"

namespace input {

KeyboardPipeline::KeyboardPipeline(InputEnvironment env)
    : m_env(std::move(env)),
      m_sender(m_env.session, m_env.keyboard,
               m_env.scrambleKey ? m_env.scrambleKey : RandomScrambleKey),
      m_lights(m_state, m_sender, m_env.keyboard, m_env.window, m_env.session),
      // Paced keys wait while the lock keys are set: with pass-through
      // suspended they would not reach the unit.
      m_pacer(m_env.window, [this] { return m_lights.IsSettingStates(); }),
      m_passThrough(m_env, m_state, m_sender, m_lights, m_settings),
      m_hotkeys(m_env, m_state, m_sender, m_passThrough, m_pacer, m_settings),
      m_sysKeys(m_state, m_sender, m_passThrough, m_env.keyboard, m_settings) {
  // The local user's lock states as the viewer starts, given back whenever
  // pass-through ends before any key was typed locally.
  TraceLevel(5, "m_ucKbdLEDsLocalKVM = %d  @ end of CMainFrm\n", m_lights.StoreLocalStates());
}

void KeyboardPipeline::ReadSettings() {
  const std::vector<std::string> errors = m_settings.Read(m_env.ini);
  if (errors.empty()) return;
  std::string details;
  for (const std::string& error : errors) details += error + "\n";
  Trace("%s", details.c_str());
  m_env.dialogs.ShowError("Unable to read the keyboard settings", details);
}

bool KeyboardPipeline::HandleKeystrokes(const KeyEvent& event) {
  const Keystroke key = Keystroke::FromEvent(event);
  TraceLevel(5, "HK: %s\n", key.Dump().c_str());
  TraceLevel(5, "Passthru %d   Durable %d\n", m_state.m_passThrough, m_state.m_durablePassThrough);
  m_state.m_localKeys.Store(key);
  if (!m_env.session.IsConnected()) return false;

  if (IsBlockedKey(m_state.m_blockPassThroughKey, m_settings.m_hotkeyPassthru, key,
                   "Passthru key is down, disregard this key.\n",
                   "Passthru key going up. After this, accept key.\n"))
    return true;
  if (m_state.m_inPassThroughTransition) {
    TraceLevel(5, "In passthru transition, igore this key.\n");
    return true;
  }
  if (IsBlockedKey(m_state.m_blockFullScreenKey, m_settings.m_hotkeyFullScreen, key,
                   "Fullscreen key is down, disregard this key.\n",
                   "Fullscreen key going up. After this, accept key.\n"))
    return true;
  // Windows 95/98/Me alone needed Tab and Esc fixed up here (with a follow-up key).
  if (m_sysKeys.HandleLocalSysKeys(key)) return true;
  if (m_hotkeys.HandleCtrlAltHotkeys(key)) return true;
  if (m_hotkeys.HandleCtrlDnCtrlUpHotkeys(key)) return true;

  if (m_env.session.IsLoggedIn() && m_state.m_passThrough) {
    // The local desktop takes Ctrl+Alt+Del for itself; the unit must not
    // reboot the remote computer too. The menu and the hotkey send it there.
    const ScanTable& local = m_state.m_localKeys;
    if (local.IsDown(SCAN_CTRL) && local.IsDown(SCAN_ALT) && local.IsDown(SCAN_DEL)) {
      m_sender.MarkSentUp(SCAN_DEL);
      TraceLevel(5, "HandleKeystrokes: Trying to keep Ctrl+Alt+Del from being sent across\n");
      return true;
    }
    TraceLevel(5, "NO COMMANDS APPLIED, JUST SEND THE KEY OUT.\n");
    m_sender.SendBalancedKeystroke(key, true);
    return true;
  }
  if (!m_state.m_durablePassThrough) m_lights.StoreLocalStates();
  return false;
}

bool KeyboardPipeline::IsBlockedKey(bool& block, const Keystroke& hotkey, const Keystroke& key,
                                    const char* downTrace, const char* upTrace) {
  if (!block || key.GetOEMCode() != hotkey.GetOEMCode()) return false;
  // A fresh press (no previous-down bit) means the hotkey's release went to
  // another window while the mode changed: the block is stale, and this is a
  // key the operator typed.
  if (!key.IsUp() && (key.KeyData() & KEY_PREVIOUS) == 0) {
    block = false;
    return false;
  }
  if (key.IsUp()) {
    block = false;
    TraceLevel(5, "%s", upTrace);
  } else {
    TraceLevel(5, "%s", downTrace);
  }
  return true;
}

void KeyboardPipeline::HandleFocus(bool gained) {
  if (gained)
    m_passThrough.OnFocusRegained();
  else
    OnKillFocus();
}

// Whatever the unit holds down goes up: the keys' own key-ups will go to
// another window. That holds outside pass-through too (a key held while a
// mouse gesture left the mode).
void KeyboardPipeline::OnKillFocus() {
  if (m_state.m_passThrough) m_passThrough.OnACTIONSPassThrough();
  ReleaseCursor(m_env.pointer);
  m_sender.LiftSentKeys();
}

void KeyboardPipeline::SendCtrlAltDel(KeyPacer::FailureHandler onFailure) {
  if (!onFailure)
    onFailure = [this](const std::string& failure) {
      m_env.dialogs.ShowError(CTRL_ALT_DEL_FAILURE, failure);
    };
  QueueFixedSequence(m_pacer, m_sender, CTRL_ALT_DEL_SEQUENCE, std::move(onFailure));
}

void KeyboardPipeline::SendAltTab(KeyPacer::FailureHandler onFailure) {
  if (!onFailure)
    onFailure = [this](const std::string& failure) {
      m_env.dialogs.ShowError(NEXT_WINDOW_FAILURE, failure);
    };
  QueueFixedSequence(m_pacer, m_sender, ALT_TAB_SEQUENCE, std::move(onFailure));
}

void KeyboardPipeline::TypeKeys(const std::vector<KeyEvent>& keys, uint32_t gapMs,
                                std::function<void(const KeyEvent&)> beforeEach,
                                KeyPacer::FailureHandler onFailure) {
  std::vector<KeyPacer::Step> steps;
  steps.reserve(keys.size());
  for (const KeyEvent& key : keys)
    // Typed text is a command for the unit, like Ctrl+Alt+Del: it needs no
    // pass-through, which a dialog taking the focus would end half way.
    steps.push_back([this, key, beforeEach] {
      if (beforeEach) beforeEach(key);
      m_sender.SendBalancedKeystroke(Keystroke::FromEvent(key), true);
    });
  m_pacer.Queue(std::move(steps), gapMs, std::move(onFailure));
}

void KeyboardPipeline::SetSysKeysToRemote(bool toRemote) {
  settings::WriteMisc(m_env.ini, "SYS_KEYS_ARE", toRemote ? SYS_KEYS_TO_REMOTE : SYS_KEYS_TO_LOCAL);
  m_settings.sysKeysToRemote = toRemote;
}

ExitMethods KeyboardPipeline::ToggleExitMethod(ExitMethod method) {
  const ExitMethods methods = input::ToggleExitMethod(m_env.ini, method);
  m_settings.hotkeysEnabled = methods.hotkey;
  return methods;
}

uint8_t KeyboardPipeline::ReadLocalLockLights() { return m_lights.StoreLocalStates(); }

}  // namespace input
