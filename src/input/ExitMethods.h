#pragma once
// How the operator gets out of pass-through and full screen: by hotkey, by a
// slow or by a fast mouse movement. The texts that say so are read afresh
// from the settings each time, and the menu keeps at least one method on.

#include <string>

#include "settings/IniFile.h"

namespace input {

inline constexpr const char* NO_EXIT_METHOD_TEXT =
    "Please configure program to select keystrokes and hotkeys.";

enum class ExitMethod { Hotkey, SlowMouse, FastMouse };

struct ExitMethods {
  bool hotkey = true;
  bool slowMouse = true;
  bool fastMouse = true;
};

ExitMethods ReadExitMethods(settings::IniFile& ini);
// The menu's toggle of one method, written at once as "T" or "F". The hotkey
// stays on unless a mouse method is on; turning off the last mouse method
// turns the hotkey on. Returns the methods now in force.
ExitMethods ToggleExitMethod(settings::IniFile& ini, ExitMethod method);

// "LCtrl+Alt P", "Slow mouse movement." ... or NO_EXIT_METHOD_TEXT.
std::string GetPassthruExitText(const settings::IniFile& ini);
// The same, naming the full-screen hotkey.
std::string GetFullScreenExitText(const settings::IniFile& ini);

}  // namespace input
