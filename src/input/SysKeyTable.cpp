#include "input/SysKeyTable.h"

#include <vector>

#include "input/VirtualKeys.h"
#include "platform/Trace.h"

namespace input {
namespace {

enum class Match { Scan, VirtualKey };
enum class Needs { Nothing, Alt, Ctrl, CtrlAlt };

struct Action {
  enum Kind {
    Leave,         // leave pass-through
    Local,         // a key event on the local desktop
    Remote,        // a key for the unit, as given
    RemoteAltUp,   // Alt up for the unit, extended as it was sent
    RemoteCtrlUp,  // Ctrl up for the unit, likewise
  } kind;
  uint32_t a = 0;  // Local: virtual key; Remote: message
  uint32_t b = 0;  // Local: scan code; Remote: virtual key
  uint32_t c = 0;  // Local: 1 for up; Remote: key data
};

struct Row {
  Match match;
  uint32_t value;
  Needs needs;
  const char* trace;
  std::vector<Action> actions;
};

Action LocalKey(int virtualKey, uint8_t scan, bool up) {
  return {Action::Local, static_cast<uint32_t>(virtualKey), scan, up ? 1u : 0u};
}
Action RemoteKeyUp(uint32_t virtualKey, uint32_t keyData) {
  return {Action::Remote, WM_KEYUP, virtualKey, keyData};
}

const std::vector<Row>& Rows() {
  constexpr uint8_t SCAN_WIN_LEFT = 0x5B, SCAN_WIN_RIGHT = 0x5C, SCAN_APPS = 0x5D;
  static const std::vector<Row> rows = {
      {Match::Scan,
       SCAN_TAB,
       Needs::Alt,
       "HandleLocalSysKeys: AT while sys keys local.\n",
       {{Action::Leave},
        LocalKey(VK_LMENU, SCAN_ALT, false),
        LocalKey(VK_TAB, SCAN_TAB, false),
        LocalKey(VK_TAB, SCAN_TAB, true),
        LocalKey(VK_LMENU, SCAN_ALT, true),
        {Action::RemoteAltUp}}},
      {Match::Scan,
       SCAN_ESC,
       Needs::Alt,
       "HandleLocalSysKeys: AE while sys keys local.\n",
       {{Action::Leave},
        LocalKey(VK_MENU, SCAN_ALT, false),
        LocalKey(VK_ESCAPE, SCAN_ESC, false),
        LocalKey(VK_ESCAPE, SCAN_ESC, true),
        LocalKey(VK_MENU, SCAN_ALT, true),
        {Action::RemoteAltUp}}},
      {Match::VirtualKey,
       VK_ESCAPE,
       Needs::Ctrl,
       "HandleLocalSysKeys: CE\n",
       {{Action::RemoteCtrlUp},
        {Action::Leave},
        LocalKey(VK_CONTROL, SCAN_CTRL, true),
        LocalKey(VK_CONTROL, SCAN_CTRL, false),
        LocalKey(VK_ESCAPE, SCAN_ESC, false),
        LocalKey(VK_ESCAPE, SCAN_ESC, true),
        LocalKey(VK_CONTROL, SCAN_CTRL, true)}},
      // The local desktop sees Ctrl+Alt+Del itself.
      {Match::VirtualKey,
       VK_DELETE,
       Needs::CtrlAlt,
       "HandleLocalSysKeys: CAD with syskeys local-- exiting passthru.\n",
       {{Action::RemoteAltUp}, {Action::RemoteCtrlUp}}},
      {Match::VirtualKey,
       VK_LWIN,
       Needs::Nothing,
       "HandleLocalSysKeys: l/r windows key\n",
       {RemoteKeyUp(VK_LWIN, 0xC05B0001),
        {Action::Leave},
        LocalKey(VK_LWIN, SCAN_WIN_LEFT, false),
        LocalKey(VK_LWIN, SCAN_WIN_LEFT, true)}},
      {Match::VirtualKey,
       VK_RWIN,
       Needs::Nothing,
       "HandleLocalSysKeys: l/r windows key\n",
       {RemoteKeyUp(VK_RWIN, 0xC05C0001),
        {Action::Leave},
        LocalKey(VK_RWIN, SCAN_WIN_RIGHT, false),
        LocalKey(VK_RWIN, SCAN_WIN_RIGHT, true)}},
      {Match::VirtualKey,
       VK_APPS,
       Needs::Nothing,
       "HandleLocalSysKeys: l/r windows key\n",
       {RemoteKeyUp(VK_APPS, 0x8D5B0001),
        {Action::Leave},
        LocalKey(VK_APPS, SCAN_APPS, false),
        LocalKey(VK_APPS, SCAN_APPS, true)}},
  };
  return rows;
}

}  // namespace

SysKeyTable::SysKeyTable(KeyboardState& state, KeySender& sender, PassThrough& passThrough,
                         platform::KeyboardDevice& keyboard, const HotkeySettings& settings)
    : m_state(state),
      m_sender(sender),
      m_passThrough(passThrough),
      m_keyboard(keyboard),
      m_settings(settings) {}

bool SysKeyTable::HandleLocalSysKeys(const Keystroke& key) {
  if (!m_state.m_passThrough || m_settings.sysKeysToRemote) return false;
  if (key.IsUp()) return false;
  // What the unit was last told of Ctrl and Alt: those are what it holds down.
  const Keystroke& ctrl = m_sender.Sent(SCAN_CTRL);
  const Keystroke& alt = m_sender.Sent(SCAN_ALT);
  const auto holds = [&](Needs needs) {
    switch (needs) {
      case Needs::Nothing:
        return true;
      case Needs::Alt:
        return !alt.IsUp();
      case Needs::Ctrl:
        return !ctrl.IsUp();
      case Needs::CtrlAlt:
        return !ctrl.IsUp() && !alt.IsUp();
    }
    return false;
  };
  for (const Row& row : Rows()) {
    const uint32_t value = row.match == Match::Scan ? key.GetOEMCode() : key.VirtualKey();
    if (value != row.value || !holds(row.needs)) continue;
    TraceLevel(5, "%s", row.trace);
    // Read before the row's own sends change the entries.
    const uint32_t altUp = (alt.KeyData() & KEY_EXTENDED) ? 0xC1380001 : 0xC0380001;
    const uint32_t ctrlUp = (ctrl.KeyData() & KEY_EXTENDED) ? 0xC11D0001 : 0xC01D0001;
    for (const Action& action : row.actions) {
      switch (action.kind) {
        case Action::Leave:
          m_passThrough.OnACTIONSPassThrough();
          break;
        case Action::Local:
          m_keyboard.SendSyntheticKey(static_cast<int>(action.a), static_cast<int>(action.b),
                                      action.c != 0);
          break;
        case Action::Remote:
          m_sender.SendBalancedKeystroke(Keystroke::Unmasked(action.a, action.b, action.c), false);
          break;
        case Action::RemoteAltUp:
          m_sender.SendBalancedKeystroke(Keystroke(WM_SYSKEYUP, VK_MENU, altUp), false);
          break;
        case Action::RemoteCtrlUp:
          m_sender.SendBalancedKeystroke(Keystroke(WM_KEYUP, VK_CONTROL, ctrlUp), false);
          break;
      }
    }
    return true;
  }
  return false;
}

}  // namespace input
