#include "input/HotkeySettings.h"

#include "platform/TextError.h"
#include "settings/MiscSettings.h"

namespace input {
namespace {

Keystroke FromText(std::string_view text) {
  Keystroke key;
  key.Set(std::string(text).c_str());
  return key;
}

}  // namespace

HotkeySettings::HotkeySettings()
    : m_hotkeyPassthru(settings::FindMiscKey("HOTKEY_PASSTHROUGH").readDefault),
      m_hotkeyCtrlAltDel(settings::FindMiscKey("HOTKEY_CTRL_ALT_DEL").readDefault),
      m_hotkeyAltTab(settings::FindMiscKey("HOTKEY_ALT_TAB").readDefault),
      m_hotkeyFullScreen(settings::FindMiscKey("HOTKEY_FULL_SCREEN").readDefault),
      m_hotkeyRefresh(settings::FindMiscKey("HOTKEY_REFRESH").readDefault),
      m_triggerOne(FromText(settings::FindMiscKey("TriggerOneKeystroke").readDefault)),
      m_triggerTwo(FromText(settings::FindMiscKey("TriggerTwoKeystroke").readDefault)),
      triggerKeys(TRIGGER_BOTH) {}

std::vector<std::string> HotkeySettings::Read(settings::IniFile& ini) {
  std::vector<std::string> errors;
  const auto read = [&](Keystroke& target, std::string_view name, bool byName) {
    try {
      const std::string text = settings::ReadMisc(ini, name);
      target = byName ? Keystroke(text) : FromText(text);
    } catch (const TextError& e) {
      errors.push_back(e.Text());
    }
  };
  read(m_hotkeyPassthru, "HOTKEY_PASSTHROUGH", true);
  read(m_hotkeyCtrlAltDel, "HOTKEY_CTRL_ALT_DEL", true);
  read(m_hotkeyAltTab, "HOTKEY_ALT_TAB", true);
  read(m_hotkeyFullScreen, "HOTKEY_FULL_SCREEN", true);
  read(m_hotkeyRefresh, "HOTKEY_REFRESH", true);
  read(m_triggerOne, "TriggerOneKeystroke", false);
  read(m_triggerTwo, "TriggerTwoKeystroke", false);
  triggerKeys = settings::ReadMisc(ini, "TRIGGER_KEYS");
  hotkeysEnabled = settings::ReadMiscFlag(ini, "ESCAPE_BY_HOTKEY");
  scrollWithArrows = settings::ReadMiscFlag(ini, "SCROLL_USING_ARROWS");
  sysKeysToRemote = settings::ReadMisc(ini, "SYS_KEYS_ARE") == SYS_KEYS_TO_REMOTE;
  return errors;
}

bool HotkeySettings::CtrlAltTriggers() const {
  return triggerKeys == TRIGGER_CTRL_ALT || triggerKeys == TRIGGER_BOTH;
}

bool HotkeySettings::CtrlDownUpTriggers() const {
  return triggerKeys == TRIGGER_CTRL_DOWN_UP || triggerKeys == TRIGGER_BOTH;
}

bool MatchesHotkey(const Keystroke& hotkey, const Keystroke& key) {
  return hotkey.GetOEMCode() == key.GetOEMCode() && hotkey.IsUp() == key.IsUp();
}

}  // namespace input
