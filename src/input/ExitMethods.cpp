#include "input/ExitMethods.h"

#include <string_view>

#include "input/HotkeySettings.h"
#include "settings/MiscSettings.h"

namespace input {
namespace {

constexpr size_t BUFFER = 200;

std::string ReadFresh(const settings::IniFile& ini, std::string_view key) {
  return ini.Read(settings::MISC_SECTION, key, "-", BUFFER);
}

bool IsOn(const settings::IniFile& ini, std::string_view key) {
  return ReadFresh(ini, key).starts_with('T');
}

std::string ExitText(const settings::IniFile& ini, std::string_view hotkeyKey) {
  std::string text;
  if (IsOn(ini, "ESCAPE_BY_HOTKEY")) {
    const bool downUp = ReadFresh(ini, "TRIGGER_KEYS") == TRIGGER_CTRL_DOWN_UP;
    text = std::string(downUp ? TRIGGER_CTRL_DOWN_UP : TRIGGER_CTRL_ALT) + " " +
           ReadFresh(ini, hotkeyKey);
  } else if (IsOn(ini, "ESCAPE_BY_SLOWMOUSE")) {
    text = "Slow mouse movement.";
  } else if (IsOn(ini, "ESCAPE_BY_FASTMOUSE")) {
    text = "Fast mouse movement.";
  }
  return text.empty() ? NO_EXIT_METHOD_TEXT : text;
}

}  // namespace

ExitMethods ReadExitMethods(settings::IniFile& ini) {
  return {settings::ReadMiscFlag(ini, "ESCAPE_BY_HOTKEY"),
          settings::ReadMiscFlag(ini, "ESCAPE_BY_SLOWMOUSE"),
          settings::ReadMiscFlag(ini, "ESCAPE_BY_FASTMOUSE")};
}

ExitMethods ToggleExitMethod(settings::IniFile& ini, ExitMethod method) {
  ExitMethods methods = ReadExitMethods(ini);
  switch (method) {
    case ExitMethod::Hotkey:
      methods.hotkey = !methods.hotkey || !(methods.slowMouse || methods.fastMouse);
      break;
    case ExitMethod::SlowMouse:
      methods.slowMouse = !methods.slowMouse;
      break;
    case ExitMethod::FastMouse:
      methods.fastMouse = !methods.fastMouse;
      break;
  }
  if (!methods.slowMouse && !methods.fastMouse) methods.hotkey = true;
  settings::WriteMisc(ini, "ESCAPE_BY_HOTKEY", methods.hotkey ? "T" : "F");
  settings::WriteMisc(ini, "ESCAPE_BY_SLOWMOUSE", methods.slowMouse ? "T" : "F");
  settings::WriteMisc(ini, "ESCAPE_BY_FASTMOUSE", methods.fastMouse ? "T" : "F");
  return methods;
}

std::string GetPassthruExitText(const settings::IniFile& ini) {
  return ExitText(ini, "HOTKEY_PASSTHROUGH");
}

std::string GetFullScreenExitText(const settings::IniFile& ini) {
  return ExitText(ini, "HOTKEY_FULL_SCREEN");
}

}  // namespace input
