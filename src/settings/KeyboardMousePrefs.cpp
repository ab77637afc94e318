#include "settings/KeyboardMousePrefs.h"

#include <algorithm>

#include "platform/Format.h"
#include "settings/EditError.h"
#include "settings/MiscSettings.h"
#include "settings/TextNoCase.h"

namespace settings {
namespace {

constexpr const char* APPLY_FAILURE = "Unable to apply the changes";

int Clamped(int value, ThresholdRange range) { return std::clamp(value, range.low, range.high); }

void Write(IniFile& ini, std::string_view key, std::string_view value) {
  if (!WriteMisc(ini, key, value))
    throw EditError(APPLY_FAILURE,
                    "Error occured in OnApply().\n" + Format("Could not write %.*s to %s.",
                                                             static_cast<int>(key.size()),
                                                             key.data(), ini.Path().c_str()));
}

}  // namespace

KeyboardMousePrefs ReadKeyboardMousePrefs(IniFile& ini) {
  KeyboardMousePrefs prefs;
  for (size_t i = 0; i < HOTKEY_KEYS.size(); ++i)
    prefs.hotkeys[i] = UpperCase(ReadMisc(ini, HOTKEY_KEYS[i].key));
  prefs.triggerKeys = ReadMisc(ini, "TRIGGER_KEYS");
  if (std::find(TRIGGER_CHOICES.begin(), TRIGGER_CHOICES.end(), prefs.triggerKeys) ==
      TRIGGER_CHOICES.end())
    prefs.triggerKeys = TRIGGER_BOTH;
  prefs.escapeByHotkey = ReadMiscFlag(ini, "ESCAPE_BY_HOTKEY");
  prefs.scrollUsingArrows = ReadMiscFlag(ini, "SCROLL_USING_ARROWS");
  prefs.escapeBySlowMouse = ReadMiscFlag(ini, "ESCAPE_BY_SLOWMOUSE");
  prefs.escapeByFastMouse = ReadMiscFlag(ini, "ESCAPE_BY_FASTMOUSE");
  prefs.fastMouseThreshold = Clamped(ReadMiscNumber(ini, "FAST_MOUSE_THRESHOLD"), FAST_MOUSE_RANGE);
  prefs.slowMouseThreshold = Clamped(ReadMiscNumber(ini, "SLOW_MOUSE_THRESHOLD"), SLOW_MOUSE_RANGE);
  prefs.repaintDelayMs = PeekMiscNumber(ini, "RepaintDelayMS");
  return prefs;
}

void CheckKeyboardMousePrefs(const KeyboardMousePrefs& prefs) {
  if (!prefs.escapeByHotkey && !prefs.escapeBySlowMouse && !prefs.escapeByFastMouse)
    throw EditError(APPLY_FAILURE,
                    "Pass-through needs a way out: keep the hotkey, the slow mouse or the fast "
                    "mouse on.");
  for (size_t i = 0; i < HOTKEY_KEYS.size(); ++i) {
    if (TrimBlanks(prefs.hotkeys[i]).empty())
      throw EditError(APPLY_FAILURE, std::string(HOTKEY_KEYS[i].label) + " has no hotkey.");
    for (size_t j = 0; j < i; ++j) {
      if (SameNoCase(prefs.hotkeys[i], prefs.hotkeys[j]))
        throw EditError(APPLY_FAILURE, std::string(HOTKEY_KEYS[j].label) + " and " +
                                           std::string(HOTKEY_KEYS[i].label) +
                                           " share the hotkey " + prefs.hotkeys[i] + ".");
    }
  }
}

void WriteKeyboardMousePrefs(IniFile& ini, const KeyboardMousePrefs& prefs) {
  CheckKeyboardMousePrefs(prefs);
  for (size_t i = 0; i < HOTKEY_KEYS.size(); ++i) Write(ini, HOTKEY_KEYS[i].key, prefs.hotkeys[i]);
  Write(ini, "TRIGGER_KEYS", prefs.triggerKeys.empty() ? TRIGGER_BOTH : prefs.triggerKeys);
  Write(ini, "ESCAPE_BY_HOTKEY", prefs.escapeByHotkey ? "T" : "F");
  Write(ini, "SCROLL_USING_ARROWS", prefs.scrollUsingArrows ? "T" : "F");
  Write(ini, "ESCAPE_BY_SLOWMOUSE", prefs.escapeBySlowMouse ? "T" : "F");
  Write(ini, "ESCAPE_BY_FASTMOUSE", prefs.escapeByFastMouse ? "T" : "F");
  Write(ini, "FAST_MOUSE_THRESHOLD", Format("%d", prefs.fastMouseThreshold));
  Write(ini, "SLOW_MOUSE_THRESHOLD", Format("%d", prefs.slowMouseThreshold));
  Write(ini, "RepaintDelayMS", Format("%d", prefs.repaintDelayMs));
}

}  // namespace settings
