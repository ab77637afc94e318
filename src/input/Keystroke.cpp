#include "input/Keystroke.h"

#include <algorithm>
#include <cstring>

#include "input/KeyTables.h"
#include "platform/Format.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "settings/TextNoCase.h"

namespace input {
namespace {

TextError SetError(const char* cause) {
  return TextError(std::string("Error in Keystroke::Set(const char* szStr):\n") + cause);
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads one field as the C library's strtoul reads base 16 where long is 32
// bits (the width these texts were written for): leading white space, a sign,
// a "0x" prefix, then digits up to the first non-digit; a value too large for
// 32 bits reads as 0xFFFFFFFF. Never reads past the field, so an empty field
// reads as 0 instead of taking the next field's number.
uint32_t ReadHex(std::string_view field) {
  size_t i = 0;
  while (i < field.size() && IsSpace(field[i])) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  if (i + 2 < field.size() && field[i] == '0' && (field[i + 1] == 'x' || field[i + 1] == 'X') &&
      HexDigit(field[i + 2]) >= 0)
    i += 2;
  constexpr uint64_t TOO_LARGE = 0x100000000;
  uint64_t value = 0;
  for (; i < field.size() && HexDigit(field[i]) >= 0; ++i)
    value = std::min(value * 16 + static_cast<uint64_t>(HexDigit(field[i])), TOO_LARGE);
  if (value == TOO_LARGE) return 0xFFFFFFFF;
  const auto result = static_cast<uint32_t>(value);
  return negative ? 0u - result : result;
}

}  // namespace

Keystroke::Keystroke(uint32_t message, uint32_t virtualKey, uint32_t keyData) {
  Set(message, virtualKey, keyData);
}

Keystroke Keystroke::FromEvent(const KeyEvent& event) {
  uint32_t message = event.down ? WM_KEYDOWN : WM_KEYUP;
  if (event.grabbed)
    message = WM_HOOKED_KEY;
  else if (event.system)
    message = event.down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
  uint32_t keyData = event.repeatCount | uint32_t{event.scanCode} << 16;
  if (event.extended) keyData |= KEY_EXTENDED;
  if (event.altHeld) keyData |= KEY_CONTEXT;
  if (event.wasDown) keyData |= KEY_PREVIOUS;
  if (!event.down) keyData |= KEY_TRANSITION;
  return Keystroke(message, event.virtualKey, keyData);
}

Keystroke::Keystroke(std::string_view name) {
  std::string upper = settings::UpperCase(name);
  if (const char* text = KeyTextForName(upper)) Set(text);
  if (m_message == 0) throw TextError("Can't convert string to keystroke.");
  m_name = std::move(upper);
}

Keystroke Keystroke::Unmasked(uint32_t message, uint32_t virtualKey, uint32_t keyData) {
  Keystroke key(message, virtualKey, keyData);
  key.m_keyData = keyData;
  return key;
}

void Keystroke::Set(const char* szStr) {
  if (szStr == nullptr) return;
  const std::string_view text(szStr, strnlen(szStr, MAX_TEXT + 1));
  if (text.size() > MAX_TEXT) throw SetError("String too long.");
  // Other texts in a keystroke field are not keystrokes and are left alone.
  if (!text.starts_with("WM_")) return;

  const size_t first = text.find(' ');
  if (first == std::string_view::npos) throw SetError("First space character missing.");
  const std::string_view messageName = text.substr(0, first);
  const KeyMessageName* entry = nullptr;
  for (const KeyMessageName& candidate : g_keyMessageNames) {
    if (messageName == candidate.name) {
      entry = &candidate;
      break;
    }
  }
  if (entry == nullptr) throw SetError("Message not found in table.");
  const size_t second = text.find(' ', first + 1);
  if (second == std::string_view::npos) throw SetError("Second space character is missing.");

  // Only a text read to the end changes the record, so a caller that catches
  // the error still holds the record it had.
  m_message = entry->message;
  m_virtualKey = ReadHex(text.substr(first + 1, second - first - 1));
  m_keyData = ReadHex(text.substr(second + 1));
}

void Keystroke::Set(uint32_t message, uint32_t virtualKey, uint32_t keyData) {
  m_message = message;
  m_virtualKey = virtualKey;
  m_keyData = keyData & ~KEY_RESERVED;
}

void Keystroke::SetUp(bool up) {
  if (up)
    m_keyData |= KEY_TRANSITION;
  else
    m_keyData &= ~KEY_TRANSITION;
  if (m_message == WM_KEYDOWN || m_message == WM_KEYUP)
    m_message = up ? WM_KEYUP : WM_KEYDOWN;
  else if (m_message == WM_SYSKEYDOWN || m_message == WM_SYSKEYUP)
    m_message = up ? WM_SYSKEYUP : WM_SYSKEYDOWN;
}

std::string Keystroke::GetName() const {
  for (const Keystroke& row : g_keystrokeTable) {
    TraceLevel(5, "%X  %X  %X <-->  %X  %X  %X  %s\n", m_message, m_virtualKey, m_keyData,
               row.m_message, row.m_virtualKey, row.m_keyData, row.m_name.c_str());
    if (row.m_virtualKey == m_virtualKey) return row.m_name;
  }
  return "-unknown-";
}

std::string Keystroke::Dump() const {
  std::string flags = IsUp() ? "KeyUp    " : "KeyDown  ";
  if (m_keyData & KEY_CONTEXT) flags += "Alted  ";
  if (m_keyData & KEY_EXTENDED) flags += "ExtendedKey  ";
  return Format("message=0x%x wParam=0x%x lParam=0x%8x rpt-cnt=%d OEM=0x%2x char %3s  flags %s",
                m_message, m_virtualKey, m_keyData, static_cast<int>(m_keyData & KEY_REPEAT_COUNT),
                GetOEMCode(), GetName().c_str(), flags.c_str());
}

bool Keystroke::IsSameKey(const Keystroke& a, const Keystroke& b) {
  constexpr uint32_t SAME_BITS = KEY_TRANSITION | KEY_CONTEXT | KEY_EXTENDED;
  return a.m_virtualKey == b.m_virtualKey && (a.m_keyData & SAME_BITS) == (b.m_keyData & SAME_BITS);
}

}  // namespace input
