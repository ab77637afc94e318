#include "settings/MiscSettings.h"

#include "platform/Format.h"
#include "platform/TextError.h"
#include "settings/LeadingInt.h"
#include "settings/TextNoCase.h"

namespace settings {
namespace {

using enum MiscKind;

constexpr bool ResynchTimeoutInRange(int ms) { return ms >= 500 && ms <= 30000; }
// 0 switches the hold off; other values shorter than 2 s would drop blocks early.
constexpr bool BlockTimeToLiveAccepted(int ms) { return ms == 0 || ms >= 2000; }
// Above a second the picture would visibly lag behind the unit.
constexpr bool RepaintDelayInRange(int ms) { return ms >= 0 && ms <= REPAINT_DELAY_MAX_MS; }
constexpr bool ConnectTimeInRange(int ms) { return ms > 0 && ms <= 120000; }

constexpr MiscKey MISC_KEYS[] = {
    {"KeepAliveTime", "60", 80, Number},
    {"IPConnectTimeMS", "---", 80, Number, "5000", false, ConnectTimeInRange},
    {"ResynchTimeoutMS", "-", 200, Number, "9000", true, ResynchTimeoutInRange},
    {"BlockTimeToLive", "-", 100, Number, "6000", true, BlockTimeToLiveAccepted},
    {"RepaintDelayMS", "-", 80, Number, "101", true, RepaintDelayInRange},
    {"EncryptionTypeClientPrefers", "13", 200, Number},
    {"VIEW_TYPE", "scaled", 200, Text},
    {"AUTO_SIZE", "T", 200, Flag, {}, false, nullptr, "Error writing AUTO_SIZE to INI file."},
    {"DONT_ENLARGE", "F", 200, Flag, {}, false, nullptr, "Error writing DONT_ENLARGE to INI file."},
    {"PROGRESSIVE_RENDERING", "Color always", 200, Text},
    {"SYS_KEYS_ARE", "SyskeysAreSentToRemoteServer", 200, Text},
    {"TRIGGER_KEYS", "Both", 200, Text},
    {"HOTKEY_PASSTHROUGH", "P", 200, Text},
    {"HOTKEY_CTRL_ALT_DEL", "A", 200, Text},
    {"HOTKEY_ALT_TAB", "T", 200, Text},
    {"HOTKEY_FULL_SCREEN", "F", 200, Text},
    {"HOTKEY_REFRESH", "R", 80, Text},
    {"TriggerOneKeystroke", "WM_KEYDOWN 00000011 001d0001", 80, Text},
    {"TriggerTwoKeystroke", "WM_KEYUP 00000011 c01d0001", 80, Text},
    {"SCROLL_USING_ARROWS", "T", 200, Flag},
    {"ESCAPE_BY_HOTKEY", "T", 200, Flag},
    {"ESCAPE_BY_SLOWMOUSE", "T", 200, Flag},
    {"ESCAPE_BY_FASTMOUSE", "T", 200, Flag},
    {"FAST_MOUSE_THRESHOLD", "1500", 200, Number},
    {"SLOW_MOUSE_THRESHOLD", "1500", 200, Number},
    {"TEACH_PASSTHRU_EXIT_KEYS", "---", 100, Text, "1", false},
    {"TEACH_FULLSCREEN_EXIT_KEYS", "---", 100, Text, "1", false},
    {"MouseAccelOpen", "F", 80, Flag},
    {"MouseAccel0", "0", 80, Number},
    {"MouseAccel1", "0", 80, Number},
    {"MouseAccel2", "0", 80, Number},
    {"TopMost", "-", 80, FlagAnyCase, "False", true},
    {"UserID", "~", 80, Text},
    {"Password", "~", 80, Text},
    {"CURRSEL", "****", 2000, Number},
    {"CURRSELTEXT", "---", 80, Text},
    {"CURRSELFavorite", "****", 80, Number},
    {"CURRFavorite", "****", 80, Number},
    {"CURRFavTEXT", "-", 80, Text},
    {"FavoriteLayout", "-", 80, Text},
};

}  // namespace

std::span<const MiscKey> MiscKeys() { return MISC_KEYS; }

const MiscKey& FindMiscKey(std::string_view name) {
  for (const MiscKey& key : MISC_KEYS) {
    if (SameNoCase(key.name, name)) return key;
  }
  throw TextError(
      Format("Unknown MISC setting \"%.*s\".", static_cast<int>(name.size()), name.data()));
}

bool IsMissing(const MiscKey& key, std::string_view value) {
  if (key.readDefault.starts_with('-')) return value.starts_with('-');
  return value == key.readDefault;
}

namespace {

// The stored value, or the repair value in place of a missing or rejected one.
std::string ReadRepaired(IniFile& ini, const MiscKey& key, bool& repaired) {
  std::string value = ini.Read(MISC_SECTION, key.name, key.readDefault, key.bufferSize);
  const bool rejected = key.accepts != nullptr && !key.accepts(LeadingInt(value));
  repaired = !key.repairValue.empty() && (IsMissing(key, value) || rejected);
  return repaired ? std::string(key.repairValue) : value;
}

}  // namespace

std::string ReadMisc(IniFile& ini, std::string_view name) {
  const MiscKey& key = FindMiscKey(name);
  bool repaired = false;
  std::string value = ReadRepaired(ini, key, repaired);
  if (repaired && key.writeRepair) ini.Write(MISC_SECTION, key.name, value);
  return value;
}

int PeekMiscNumber(IniFile& ini, std::string_view name) {
  bool repaired = false;
  return LeadingInt(ReadRepaired(ini, FindMiscKey(name), repaired));
}

int ReadMiscNumber(IniFile& ini, std::string_view name) { return LeadingInt(ReadMisc(ini, name)); }

bool ReadMiscFlag(IniFile& ini, std::string_view name) {
  const std::string value = ReadMisc(ini, name);
  if (value.starts_with('T')) return true;
  return FindMiscKey(name).kind == FlagAnyCase && value.starts_with('t');
}

bool WriteMisc(IniFile& ini, std::string_view name, std::string_view value) {
  const MiscKey& key = FindMiscKey(name);
  if (ini.Write(MISC_SECTION, key.name, value)) return true;
  if (!key.writeFailure.empty()) throw TextError(std::string(key.writeFailure));
  return false;
}

bool WriteMiscNumber(IniFile& ini, std::string_view name, int value) {
  return WriteMisc(ini, name, Format("%d", value));
}

bool WriteMiscFlag(IniFile& ini, std::string_view name, bool value) {
  return WriteMisc(ini, name, value ? "True" : "False");
}

bool ReadTeachFlag(IniFile& ini, std::string_view name) { return ReadMisc(ini, name) == "1"; }

void ToggleTeachFlag(IniFile& ini, std::string_view name, std::string_view failureText) {
  if (!WriteMisc(ini, name, ReadTeachFlag(ini, name) ? "0" : "1")) {
    throw TextError(std::string(failureText));
  }
}

void WriteFirstRunDefaults(IniFile& ini) {
  for (const auto& [name, value] : FIRST_RUN_MISC) ini.Write(MISC_SECTION, name, value);
}

}  // namespace settings
