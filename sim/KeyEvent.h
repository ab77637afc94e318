#pragma once
// One key as the viewer sends it in a KBD packet, and the line --log-keys prints for it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "Packet.h"

namespace sim {

// Keyboard message numbers the viewer puts in a KBD packet.
enum KeyMessage : std::uint32_t {
  WM_KEYDOWN = 0x100,
  WM_KEYUP = 0x101,
  WM_CHAR = 0x102,
  WM_DEADCHAR = 0x103,
  WM_SYSKEYDOWN = 0x104,
  WM_SYSKEYUP = 0x105,
  WM_SYSCHAR = 0x106,
  WM_SYSDEADCHAR = 0x107,
  WM_HOOKED_KEY = 1107,  // a key the viewer's keyboard grab caught; its key data tells up or down
};

struct KeyEvent {
  std::uint32_t message = 0;
  std::uint32_t virtualKey = 0;
  // Repeat count in bits 0-15, scan code in 16-23, extended key in 24, transition in 31.
  std::uint32_t keyData = 0;
  // The viewer's own modifier keys when it sent the key: Shift, Alt, Ctrl, left Shift, right
  // Shift, left Alt, right Alt, left Ctrl, right Ctrl; 1 down, 0 up.
  std::array<std::uint8_t, 9> modifiers{};

  std::uint8_t Scan() const { return (keyData >> 16) & 0xFF; }
  bool Extended() const { return (keyData >> 24) & 1; }
  bool Released() const { return (keyData >> 31) & 1; }
};

// The key in a KBD packet, each payload byte unscrambled by subtracting the subtype; nothing
// when the payload is shorter than a key.
std::optional<KeyEvent> ReadKeyEvent(const Packet& packet);

// "KEY <message> <virtual key> <key data> mods <nine bytes>": the message by name when it is
// one of KeyMessage, else as eight hex digits; numbers in upper-case hex.
std::string KeyLine(const KeyEvent& key);

}  // namespace sim
