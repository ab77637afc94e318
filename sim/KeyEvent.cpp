#include "KeyEvent.h"

#include <cstdio>

namespace sim {

namespace {

constexpr std::size_t KEY_PAYLOAD_SIZE = 21;

const char* MessageName(std::uint32_t message) {
  switch (message) {
    case WM_KEYDOWN:
      return "WM_KEYDOWN";
    case WM_KEYUP:
      return "WM_KEYUP";
    case WM_CHAR:
      return "WM_CHAR";
    case WM_DEADCHAR:
      return "WM_DEADCHAR";
    case WM_SYSKEYDOWN:
      return "WM_SYSKEYDOWN";
    case WM_SYSKEYUP:
      return "WM_SYSKEYUP";
    case WM_SYSCHAR:
      return "WM_SYSCHAR";
    case WM_SYSDEADCHAR:
      return "WM_SYSDEADCHAR";
    case WM_HOOKED_KEY:
      return "WM_HOOKED_KEY";
    default:
      return nullptr;
  }
}

}  // namespace

std::optional<KeyEvent> ReadKeyEvent(const Packet& packet) {
  if (packet.data.size() < KEY_PAYLOAD_SIZE) return std::nullopt;
  std::uint8_t plain[KEY_PAYLOAD_SIZE];
  for (std::size_t i = 0; i < KEY_PAYLOAD_SIZE; ++i)
    plain[i] = static_cast<std::uint8_t>(packet.data[i] - packet.subtype);
  KeyEvent key;
  key.message = GetLe32(plain);
  key.virtualKey = GetLe32(plain + 4);
  key.keyData = GetLe32(plain + 8);
  for (std::size_t i = 0; i < key.modifiers.size(); ++i) key.modifiers[i] = plain[12 + i];
  return key;
}

std::string KeyLine(const KeyEvent& key) {
  char message[16];
  if (const char* name = MessageName(key.message))
    std::snprintf(message, sizeof message, "%s", name);
  else
    std::snprintf(message, sizeof message, "%08X", key.message);
  char line[96];
  int used = std::snprintf(line, sizeof line, "KEY %s %08X %08X mods", message, key.virtualKey,
                           key.keyData);
  for (std::uint8_t m : key.modifiers)
    used += std::snprintf(line + used, sizeof line - used, " %02X", m);
  return line;
}

}  // namespace sim
