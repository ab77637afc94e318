#pragma once
// What the keyboard-and-mouse preference page edits: the five hotkeys (by key
// name), the trigger form, the hotkey and arrow-scrolling flags, and the two
// mouse exit gestures with their thresholds, and how long the view waits before
// it paints a change, all in the MISC section. The page
// edits a copy and writes it only when accepted.

#include <array>
#include <string>
#include <string_view>

#include "settings/IniFile.h"
#include "settings/MiscSettings.h"

namespace settings {

inline constexpr std::string_view TRIGGER_CTRL_ALT = "LCtrl+Alt";
inline constexpr std::string_view TRIGGER_CTRL_DOWN_UP = "LCtrl-down LCtrl-up";
inline constexpr std::string_view TRIGGER_BOTH = "Both";
inline constexpr std::array<std::string_view, 3> TRIGGER_CHOICES{
    TRIGGER_CTRL_ALT, TRIGGER_CTRL_DOWN_UP, TRIGGER_BOTH};

struct HotkeyKey {
  std::string_view key;    // in MISC
  std::string_view label;  // the command it gives
};
// The hotkeys, in the order the page lists them.
inline constexpr std::array<HotkeyKey, 5> HOTKEY_KEYS{{
    {"HOTKEY_PASSTHROUGH", "Pass-through"},
    {"HOTKEY_FULL_SCREEN", "Full screen"},
    {"HOTKEY_REFRESH", "Refresh"},
    {"HOTKEY_CTRL_ALT_DEL", "Ctrl+Alt+Del"},
    {"HOTKEY_ALT_TAB", "Alt+Tab"},
}};

struct ThresholdRange {
  int low;
  int high;
};
// The page's sliders.
inline constexpr ThresholdRange FAST_MOUSE_RANGE{100, 6000};
inline constexpr ThresholdRange SLOW_MOUSE_RANGE{500, 3000};

struct KeyboardMousePrefs {
  std::array<std::string, HOTKEY_KEYS.size()> hotkeys;  // key names, as HOTKEY_KEYS
  std::string triggerKeys;
  bool escapeByHotkey = true;
  bool scrollUsingArrows = true;
  bool escapeBySlowMouse = true;
  bool escapeByFastMouse = true;
  int fastMouseThreshold = 0;
  int slowMouseThreshold = 0;
  int repaintDelayMs = REPAINT_DELAY_DEFAULT_MS;

  bool operator==(const KeyboardMousePrefs&) const = default;
};

// The settings as the page shows them: a trigger form that is none of the
// three choices shows as "Both", thresholds are held within their sliders, a
// repaint delay out of range shows as its default. Reading writes nothing.
KeyboardMousePrefs ReadKeyboardMousePrefs(IniFile& ini);
// Refuses (EditError) what would leave the operator stuck or a command
// unreachable: no way out of pass-through, a hotkey without a key, two
// commands on one key.
void CheckKeyboardMousePrefs(const KeyboardMousePrefs& prefs);
// Checks, then writes every key: flags as "T"/"F", numbers as "%d".
void WriteKeyboardMousePrefs(IniFile& ini, const KeyboardMousePrefs& prefs);

}  // namespace settings
