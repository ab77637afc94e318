#include "input/Hotkeys.h"

#include <utility>

#include "input/FixedSequences.h"
#include "input/FlagScope.h"
#include "input/VirtualKeys.h"
#include "platform/Clock.h"
#include "platform/Trace.h"
#include "protocol/PacketTypes.h"

namespace input {
namespace {

// Right Alt of other layouts is AltGr, which the platform reports as left
// Ctrl with right Alt; on the US layout it is a plain Alt.
constexpr const char* US_LAYOUT = "00000409";

bool IsExtended(const Keystroke& key) { return (key.KeyData() & KEY_EXTENDED) != 0; }

}  // namespace

Hotkeys::Hotkeys(const InputEnvironment& env, KeyboardState& state, KeySender& sender,
                 PassThrough& passThrough, KeyPacer& pacer, const HotkeySettings& settings)
    : m_env(env),
      m_state(state),
      m_sender(sender),
      m_passThrough(passThrough),
      m_pacer(pacer),
      m_settings(settings),
      m_tickCount(env.tickCount ? env.tickCount : platform::GetTickCount),
      m_fullScreenStep(env.window) {}

bool Hotkeys::HandleCtrlAltHotkeys(const Keystroke& key) {
  if (!m_settings.hotkeysEnabled || !m_settings.CtrlAltTriggers()) return false;
  TraceLevel(5, "message %x  wparam %x   lparam %x\n", key.Message(), key.VirtualKey(),
             key.KeyData());
  const Keystroke& ctrl = m_state.m_localKeys[SCAN_CTRL];
  const Keystroke& alt = m_state.m_localKeys[SCAN_ALT];
  TraceLevel(5, "Ctrl %d    Alt %d\n", !ctrl.IsUp(), !alt.IsUp());
  if (ctrl.IsUp() || alt.IsUp()) return false;

  const uint32_t scan = key.GetOEMCode();
  const bool arrow = scan == SCAN_ARROW_UP || scan == SCAN_ARROW_DOWN || scan == SCAN_ARROW_LEFT ||
                     scan == SCAN_ARROW_RIGHT;
  if (m_settings.scrollWithArrows && !key.IsUp() && arrow) {
    const platform::ScrollBar bar = scan == SCAN_ARROW_UP || scan == SCAN_ARROW_DOWN
                                        ? platform::ScrollBar::Vertical
                                        : platform::ScrollBar::Horizontal;
    if (m_env.scrollLine && m_env.view.GetScrollBar(bar).visible)
      m_env.scrollLine(bar, scan == SCAN_ARROW_DOWN || scan == SCAN_ARROW_RIGHT);
    return false;
  }
  if (m_env.keyboard.LayoutName() != US_LAYOUT && !key.IsUp() && !IsExtended(ctrl) &&
      IsExtended(alt)) {
    m_sender.SendBalancedKeystroke(Keystroke(WM_KEYUP, VK_CONTROL, 0xC01D0001), false);
    return false;
  }
  TraceLevel(5, "Sending OEM code to Hotkeys: %x\n", scan);
  return HandleHotKeys(key, false, ctrl.KeyData(), alt.KeyData());
}

bool Hotkeys::HandleCtrlDnCtrlUpHotkeys(const Keystroke& key) {
  if (!m_settings.hotkeysEnabled || !m_settings.CtrlDownUpTriggers()) return false;
  TraceLevel(5, "CdCu triggers are active.\n");
  const uint32_t now = m_tickCount();
  if (Keystroke::IsSameKey(key, m_settings.m_triggerOne)) {
    m_triggerOneTime = now;
    TraceLevel(5, "Trigger key one. %d\n", now);
    return false;
  }
  if (m_triggerOneTime != 0) {
    TraceLevel(5, "Trigger 1\n");
    const uint32_t elapsed = now - m_triggerOneTime;
    if (elapsed > TRIGGER_WINDOW_MS) {
      TraceLevel(5, "Clear because timeout.  %d - %d = %d\n", now, m_triggerOneTime, elapsed);
      ClearTriggers();
      return false;
    }
    if (Keystroke::IsSameKey(key, m_settings.m_triggerTwo)) {
      m_triggerTwoTime = now;
      TraceLevel(5, "Trigger key two. %d\n", now);
      return false;
    }
  }
  if (m_triggerTwoTime != 0) {
    TraceLevel(5, "Both trigger keys seen -- evaluating this key as possible command.\n");
    if (m_env.session.IsLoggedIn() && HandleHotKeys(key, true, 0, 0)) {
      ClearTriggers();
      return true;
    }
  }
  ClearTriggers();
  return false;
}

bool Hotkeys::HandleHotKeys(const Keystroke& key, bool triggered, uint32_t ctrlKeyData,
                            uint32_t altKeyData) {
  TraceLevel(5, "HandleHotKeys\n");
  if (MatchesHotkey(m_settings.m_hotkeyPassthru, key)) {
    TogglePassthru(triggered, ctrlKeyData, altKeyData);
    return true;
  }
  if (MatchesHotkey(m_settings.m_hotkeyRefresh, key)) {
    Refresh();
    return true;
  }
  if (MatchesHotkey(m_settings.m_hotkeyFullScreen, key)) {
    ToggleFullScreen(triggered);
    return true;
  }
  TraceLevel(5, "Keystroke.GetOEMCode() %x   g_orb.m_hotkeyCtrlAltDel.GetOEMCode() %x\n",
             key.GetOEMCode(), m_settings.m_hotkeyCtrlAltDel.GetOEMCode());
  if (MatchesHotkey(m_settings.m_hotkeyCtrlAltDel, key)) {
    SendCtrlAltDel(triggered);
    return true;
  }
  if (MatchesHotkey(m_settings.m_hotkeyAltTab, key)) {
    TraceLevel(5, "--- Got Alt-Tab signal, so sending a bunch of keystrokes. ---\n");
    m_sender.SendBalancedKeystroke(Keystroke(WM_KEYUP, VK_CONTROL, 0xE01D0001), false);
    QueueFixedSequence(m_pacer, m_sender, ALT_TAB_SEQUENCE, [this](const std::string& failure) {
      m_env.dialogs.ShowError(NEXT_WINDOW_FAILURE, failure);
    });
    return true;
  }
  return false;
}

void Hotkeys::TogglePassthru(bool triggered, uint32_t ctrlKeyData, uint32_t altKeyData) {
  TraceLevel(5, "--- toggle passthru ---\n");
  {
    FlagScope transition(m_state.m_inPassThroughTransition);
    if (!triggered) {
      m_state.m_blockPassThroughKey = true;
      TraceLevel(5, "Setting flag to block passthru key till comes up.\n");
      if (!m_state.m_passThrough) LiftLocalCtrlAlt("LIFT CONTROL KEY\n");
    }
    const bool wasPassthru = m_state.m_passThrough;
    m_passThrough.OnACTIONSPassThrough();
    RemarkHeldCtrlAlt();
    // The held Ctrl and Alt (and Shift) reached the unit as downs while in
    // pass-through; their key-ups will not.
    if (!triggered && wasPassthru && !m_state.m_passThrough) {
      m_sender.SendBalancedKeystroke(
          Keystroke(WM_KEYUP, VK_CONTROL, ctrlKeyData == 0x001D0001 ? 0xC01D0001 : 0xC11D0001),
          false);
      m_sender.SendBalancedKeystroke(
          Keystroke(WM_KEYUP, VK_MENU, altKeyData == 0x20380001 ? 0xC0380001 : 0xC1380001), false);
      if (m_state.m_localKeys.IsDown(SCAN_LSHIFT))
        m_sender.SendBalancedKeystroke(Keystroke(WM_KEYUP, VK_SHIFT, 0xC02A0001), false);
      if (m_state.m_localKeys.IsDown(SCAN_RSHIFT))
        m_sender.SendBalancedKeystroke(Keystroke(WM_KEYUP, VK_SHIFT, 0xC0360001), false);
    }
  }
  TraceLevel(5, "Transitioning to passthru done.\n");
}

void Hotkeys::ToggleFullScreen(bool triggered) {
  TraceLevel(5, "Transitioning full screen - BEGIN.\n");
  TraceLevel(5, "--- toggle full screen ---\n");
  if (!triggered) {
    m_state.m_blockFullScreenKey = true;
    LiftLocalCtrlAlt("LIFT CTRL KEY\n");
    // The local Ctrl and Alt key-ups are handled before the toggle goes on.
    m_fullScreenStep.StartOnce(0, [this] { FinishFullScreenToggle(); });
    return;
  }
  FinishFullScreenToggle();
}

void Hotkeys::FinishFullScreenToggle() {
  // The window may carry the toggle out later, after a teaching dialog; a
  // block whose key-up that dialog took ends at the key's next press.
  m_env.view.ToggleFullScreen();
  const Keystroke& passthruKey = m_settings.m_hotkeyPassthru;
  m_env.keyboard.SendSyntheticKey(static_cast<int>(passthruKey.VirtualKey()),
                                  static_cast<int>(passthruKey.GetOEMCode()), true);
  RemarkHeldCtrlAlt();
  TraceLevel(5, "Transitioning full screen - END.\n");
}

void Hotkeys::SendCtrlAltDel(bool triggered) {
  TraceLevel(5, "--- Got Ctrl-Alt-Del signal, so sending a bunch of keystrokes. ---\n");
  // Outside pass-through (or after the trigger form) the unit has not seen
  // Ctrl and Alt go down.
  if (triggered || !m_state.m_passThrough) {
    m_sender.SendBalancedKeystroke(Keystroke(WM_KEYDOWN, VK_CONTROL, 0x001D0001), false);
    m_sender.SendBalancedKeystroke(Keystroke(WM_SYSKEYDOWN, VK_MENU, 0x20380001), false);
  }
  m_sender.SendBalancedKeystroke(Keystroke(WM_KEYDOWN, VK_DELETE, 0x21530001), false);
  m_sender.SendBalancedKeystroke(Keystroke(WM_KEYUP, VK_DELETE, 0xE1530001), false);
  m_sender.SendBalancedKeystroke(Keystroke(WM_SYSKEYUP, VK_MENU, 0xC0380001), false);
  m_sender.SendBalancedKeystroke(Keystroke(WM_KEYUP, VK_CONTROL, 0xE01D0001), false);
}

void Hotkeys::Refresh() {
  PacketHeader header(REPAINT, 0);
  m_env.session.SendPacket(header);
}

void Hotkeys::LiftLocalCtrlAlt(const char* ctrlTrace) {
  ScanTable& local = m_state.m_localKeys;
  TraceLevel(5, "%s", ctrlTrace);
  m_env.keyboard.SendSyntheticKey(IsExtended(local[SCAN_CTRL]) ? VK_RCONTROL : VK_LCONTROL,
                                  SCAN_CTRL, true);
  TraceLevel(5, "LIFT ALT KEY\n");
  m_env.keyboard.SendSyntheticKey(IsExtended(local[SCAN_ALT]) ? VK_RMENU : VK_LMENU, SCAN_ALT,
                                  true);
  local.Mark(SCAN_CTRL, false);
  local.Mark(SCAN_ALT, false);
}

void Hotkeys::RemarkHeldCtrlAlt() {
  if (!m_env.keyboard.IsKeyDown(VK_CONTROL) || !m_env.keyboard.IsKeyDown(VK_MENU)) return;
  m_state.m_localKeys.Mark(SCAN_CTRL, true);
  m_state.m_localKeys.Mark(SCAN_ALT, true);
}

void Hotkeys::ClearTriggers() {
  m_triggerOneTime = 0;
  m_triggerTwoTime = 0;
}

}  // namespace input
