#pragma once
// The keys as the unit saw them: orb-sim's --log-keys lines, and the lines a
// text typed on a US keyboard must make there, each key down and up once, in
// order, with left Shift held around the upper-case letters.

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "support/SimProcess.h"

namespace acceptance {

struct UsKey {
  char character;
  int virtualKey;
  int scanCode;
};

// The keys the tests type: letters, digits, the space bar and Enter.
inline constexpr UsKey US_KEYS[] = {
    {'q', 'Q', 0x10}, {'w', 'W', 0x11},  {'e', 'E', 0x12},   {'r', 'R', 0x13}, {'t', 'T', 0x14},
    {'y', 'Y', 0x15}, {'u', 'U', 0x16},  {'i', 'I', 0x17},   {'o', 'O', 0x18}, {'p', 'P', 0x19},
    {'a', 'A', 0x1E}, {'s', 'S', 0x1F},  {'d', 'D', 0x20},   {'f', 'F', 0x21}, {'g', 'G', 0x22},
    {'h', 'H', 0x23}, {'j', 'J', 0x24},  {'k', 'K', 0x25},   {'l', 'L', 0x26}, {'z', 'Z', 0x2C},
    {'x', 'X', 0x2D}, {'c', 'C', 0x2E},  {'v', 'V', 0x2F},   {'b', 'B', 0x30}, {'n', 'N', 0x31},
    {'m', 'M', 0x32}, {'1', '1', 0x02},  {'2', '2', 0x03},   {'3', '3', 0x04}, {'4', '4', 0x05},
    {'5', '5', 0x06}, {'6', '6', 0x07},  {'7', '7', 0x08},   {'8', '8', 0x09}, {'9', '9', 0x0A},
    {'0', '0', 0x0B}, {' ', 0x20, 0x39}, {'\n', 0x0D, 0x1C},
};
inline constexpr UsKey LEFT_SHIFT = {0, 0x10, 0x2A};

// "KEY <message> <virtual key> <key data>", as orb-sim prints it before the
// modifier bytes, which are left out: what is compared is which keys went
// down and up, in which order, and how often.
inline std::string KeyLine(const UsKey& key, bool down) {
  const unsigned data = (down ? 0u : 0xC0000000u) | static_cast<unsigned>(key.scanCode) << 16 | 1u;
  char line[64];
  std::snprintf(line, sizeof line, "KEY %s %08X %08X", down ? "WM_KEYDOWN" : "WM_KEYUP",
                static_cast<unsigned>(key.virtualKey), data);
  return line;
}

inline std::vector<std::string> KeyLinesFor(const std::string& text) {
  std::vector<std::string> lines;
  for (char c : text) {
    const bool upper = c >= 'A' && c <= 'Z';
    const char plain = upper ? static_cast<char>(c - 'A' + 'a') : c;
    for (const UsKey& key : US_KEYS) {
      if (key.character != plain) continue;
      if (upper) lines.push_back(KeyLine(LEFT_SHIFT, true));
      lines.push_back(KeyLine(key, true));
      lines.push_back(KeyLine(key, false));
      if (upper) lines.push_back(KeyLine(LEFT_SHIFT, false));
    }
  }
  return lines;
}

// The KEY lines the unit logs from now on, without their modifier bytes:
// until there are `count`, then
// whatever else comes while the line stays quiet a moment, so that a key
// sent twice shows too.
inline std::vector<std::string> UnitKeys(SimProcess& unit, size_t count,
                                         std::chrono::milliseconds timeout) {
  constexpr std::chrono::milliseconds QUIET(500);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::vector<std::string> lines;
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    // A key that never stops coming ends the wait too.
    if (now > deadline + std::chrono::seconds(2)) return lines;
    const auto wait = lines.size() < count && now < deadline
                          ? std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now)
                          : QUIET;
    const auto line = unit.WaitForLine("KEY ", wait);
    if (!line) return lines;
    lines.push_back(line->substr(0, line->find(" mods")));
  }
}

// Forgets the keys the unit has had so far (a hotkey's modifiers reach it
// before the viewer knows they are a hotkey).
inline void ForgetUnitKeys(SimProcess& unit) { UnitKeys(unit, 0, std::chrono::milliseconds(0)); }

// Keys the operator presses for the viewer itself: Shift, Ctrl, Alt, left and right.
inline bool IsModifierLine(const std::string& line) {
  for (const char* key : {"00000010", "00000011", "00000012", "000000A0", "000000A1", "000000A2",
                          "000000A3", "000000A4", "000000A5"})
    if (line.find(std::string(" ") + key + " ") != std::string::npos) return true;
  return false;
}

inline std::vector<std::string> WithoutModifiers(const std::vector<std::string>& lines) {
  std::vector<std::string> kept;
  for (const std::string& line : lines)
    if (!IsModifierLine(line)) kept.push_back(line);
  return kept;
}

// The virtual keys the unit was last told are down: each key it was sent
// must be let go again.
inline std::vector<std::string> KeysLeftDown(const std::vector<std::string>& lines) {
  std::vector<std::string> down;
  for (const std::string& line : lines) {
    char message[32] = {}, key[16] = {};
    if (std::sscanf(line.c_str(), "KEY %31s %15s", message, key) != 2) continue;
    const bool pressed = std::string(message).find("DOWN") != std::string::npos;
    std::erase(down, std::string(key));
    if (pressed) down.push_back(key);
  }
  return down;
}

}  // namespace acceptance
