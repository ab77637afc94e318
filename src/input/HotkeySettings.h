#pragma once
// The keyboard's settings of the MISC section: the five hotkeys (by key name),
// the two keystrokes of the LCtrl-down LCtrl-up trigger (in the text form),
// which trigger forms are on, and where system keys go.

#include <string>
#include <string_view>
#include <vector>

#include "input/Keystroke.h"
#include "settings/IniFile.h"
#include "settings/KeyboardMousePrefs.h"

namespace input {

using settings::TRIGGER_BOTH;
using settings::TRIGGER_CTRL_ALT;
using settings::TRIGGER_CTRL_DOWN_UP;
inline constexpr std::string_view SYS_KEYS_TO_REMOTE = "SyskeysAreSentToRemoteServer";
inline constexpr std::string_view SYS_KEYS_TO_LOCAL = "SyskeysAreSentToLocalMachine";

struct HotkeySettings {
  HotkeySettings();

  // Reads every key afresh. A text that is no keystroke leaves its key at the
  // default; the errors are returned, one per bad key, for the operator.
  std::vector<std::string> Read(settings::IniFile& ini);

  bool CtrlAltTriggers() const;
  bool CtrlDownUpTriggers() const;

  Keystroke m_hotkeyPassthru;
  Keystroke m_hotkeyCtrlAltDel;
  Keystroke m_hotkeyAltTab;
  Keystroke m_hotkeyFullScreen;
  Keystroke m_hotkeyRefresh;
  Keystroke m_triggerOne;
  Keystroke m_triggerTwo;
  std::string triggerKeys;
  bool hotkeysEnabled = true;
  bool scrollWithArrows = true;
  bool sysKeysToRemote = true;
};

// A hotkey matches a key of the same scan code going the same way, so only
// key-downs match.
bool MatchesHotkey(const Keystroke& hotkey, const Keystroke& key);

}  // namespace input
