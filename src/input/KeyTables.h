#pragma once
// The two tables behind keystroke texts: the names of the keyboard messages,
// and the 99 named keys offered for hotkeys. Settings files and switch files
// hold these names and texts, so both keep their order and their oddities.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "input/KeyMessages.h"
#include "input/Keystroke.h"

namespace input {

struct KeyMessageName {
  const char* name;
  uint32_t message;
};

// Searched in order; the first equal name wins, so "WM_KEYDOWN" and
// "WM_KEYFIRST" both read as 0x100.
inline constexpr std::array<KeyMessageName, 10> g_keyMessageNames{{
    {"WM_KEYDOWN", WM_KEYDOWN},
    {"WM_KEYFIRST", WM_KEYFIRST},
    {"WM_KEYUP", WM_KEYUP},
    {"WM_CHAR", WM_CHAR},
    {"WM_DEADCHAR", WM_DEADCHAR},
    {"WM_SYSKEYDOWN", WM_SYSKEYDOWN},
    {"WM_SYSKEYUP", WM_SYSKEYUP},
    {"WM_SYSCHAR", WM_SYSCHAR},
    {"WM_SYSDEADCHAR", WM_SYSDEADCHAR},
    {"WM_KEYLAST", WM_KEYLAST},
}};

// The text form of the named key (exact, upper-case name), or nullptr.
const char* KeyTextForName(std::string_view name);

// The named keys as records, in table order. Filled on first use, from any
// thread, and read-only afterwards; usable from static initialisers.
class KeystrokeTable {
 public:
  static constexpr size_t SIZE = 99;

  const std::vector<Keystroke>& Rows() const;
  auto begin() const { return Rows().begin(); }
  auto end() const { return Rows().end(); }
  size_t size() const { return Rows().size(); }
  const Keystroke& operator[](size_t index) const { return Rows()[index]; }
};

inline constexpr KeystrokeTable g_keystrokeTable;

}  // namespace input
