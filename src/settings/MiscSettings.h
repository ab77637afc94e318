#pragma once
// The viewer-wide options of the MISC section: one table holding every key with
// the default and buffer size its readers use and the repair applied to a
// missing or out-of-range value, and the typed readers and writers built on it.
// A missing key is read as a sentinel starting with '-' and, for most keys, the
// real default is written back so the operator finds every key in the file.

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "settings/IniFile.h"

namespace settings {

inline constexpr std::string_view MISC_SECTION = "MISC";

// How old a change must be before the view paints it (RepaintDelayMS).
inline constexpr int REPAINT_DELAY_DEFAULT_MS = 101;
inline constexpr int REPAINT_DELAY_MAX_MS = 1000;

enum class MiscKind {
  Text,
  Number,
  Flag,         // true when the value starts with "T"
  FlagAnyCase,  // true when the value starts with "T" or "t"
};

struct MiscKey {
  std::string_view name;
  // Passed to the read; a value starting with '-' marks a sentinel.
  std::string_view readDefault;
  size_t bufferSize;
  MiscKind kind;
  // Used in place of a missing (sentinel) or rejected value; empty: none.
  std::string_view repairValue = {};
  // Whether the repair value is also written to the file.
  bool writeRepair = false;
  // Range test of numbers; nullptr accepts every number.
  bool (*accepts)(int value) = nullptr;
  // Raised when a write of this key fails; empty: the failure is only returned.
  std::string_view writeFailure = {};
};

// Every key of the section.
std::span<const MiscKey> MiscKeys();
// The key's table entry; throws TextError for a name the table does not hold.
const MiscKey& FindMiscKey(std::string_view name);
// Whether a value read with the key's sentinel default says the key is missing.
bool IsMissing(const MiscKey& key, std::string_view value);

// The key's value after the repair of a missing or rejected value (written
// back where the table says so).
std::string ReadMisc(IniFile& ini, std::string_view name);
int ReadMiscNumber(IniFile& ini, std::string_view name);
// The number ReadMiscNumber would give, without writing a repair back.
int PeekMiscNumber(IniFile& ini, std::string_view name);
bool ReadMiscFlag(IniFile& ini, std::string_view name);

// False when the file cannot be written; raises the key's failure text instead
// where the table holds one.
bool WriteMisc(IniFile& ini, std::string_view name, std::string_view value);
bool WriteMiscNumber(IniFile& ini, std::string_view name, int value);
// Writes "True" or "False".
bool WriteMiscFlag(IniFile& ini, std::string_view name, bool value);

// The teach flags (TEACH_PASSTHRU_EXIT_KEYS, TEACH_FULLSCREEN_EXIT_KEYS) are
// on when "1" or missing.
bool ReadTeachFlag(IniFile& ini, std::string_view name);
// On becomes "0", anything else "1"; a failed write raises failureText.
void ToggleTeachFlag(IniFile& ini, std::string_view name, std::string_view failureText);
inline constexpr std::string_view TEACH_FAILURE_MENU =
    "Could not suppress teaching of keystrokes for passthrough mode.";
inline constexpr std::string_view TEACH_FAILURE_COMMAND =
    "Could not suppress teaching of keystrokes for pass-through mode.";

// The values written on the first run, in the order they are written.
inline constexpr std::array<std::pair<std::string_view, std::string_view>, 15> FIRST_RUN_MISC{{
    {"KeepAliveTime", "60"},
    {"CURRSEL", "0"},
    {"CURRSELTEXT", "Default"},
    {"HOTKEY_PASSTHROUGH", "P"},
    {"HOTKEY_REFRESH", "R"},
    {"HOTKEY_FULL_SCREEN", "F"},
    {"HOTKEY_ALT_TAB", "T"},
    {"HOTKEY_CTRL_ALT_DEL", "A"},
    {"SCROLL_USING_ARROWS", "T"},
    {"ESCAPE_BY_HOTKEY", "T"},
    {"TRIGGER_KEYS", "Both"},
    {"ESCAPE_BY_FASTMOUSE", "T"},
    {"ESCAPE_BY_SLOWMOUSE", "T"},
    {"FAST_MOUSE_THRESHOLD", "1525"},
    {"SLOW_MOUSE_THRESHOLD", "875"},
}};
inline constexpr int FIRST_RUN_FAST_MOUSE_THRESHOLD = 1525;
inline constexpr int FIRST_RUN_SLOW_MOUSE_THRESHOLD = 875;

// Writes FIRST_RUN_MISC when no unit is selected yet (a fresh file). The
// caller then creates and saves the address book's "Default" entry, which the
// address book owns. Write failures are ignored: the viewer runs on defaults.
void WriteFirstRunDefaults(IniFile& ini);

}  // namespace settings
