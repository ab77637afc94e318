#pragma once
// A key in the form the unit receives it in a KBD packet: the keyboard
// message number, the virtual-key code and the key data. Every key sent to the
// unit, every hotkey and trigger key, and the keystroke fields of switch tables
// are kept in this form. A record can be made from a KeyEvent, from the three
// numbers, from the text form "WM_KEYDOWN 00000041 001E0001" held in settings
// and switch files, or from a key name such as "CAP-LOCK".

#include <cstdint>
#include <string>
#include <string_view>

#include "input/KeyEvent.h"
#include "input/KeyMessages.h"

namespace input {

// Fields of the key data, laid out as the unit reads them.
inline constexpr uint32_t KEY_REPEAT_COUNT = 0x0000FFFF;
inline constexpr uint32_t KEY_EXTENDED = 0x01000000;
inline constexpr uint32_t KEY_RESERVED = 0x1E000000;
inline constexpr uint32_t KEY_CONTEXT = 0x20000000;  // Alt held
inline constexpr uint32_t KEY_PREVIOUS = 0x40000000;
inline constexpr uint32_t KEY_TRANSITION = 0x80000000;  // set while the key goes up

class Keystroke {
 public:
  // Longest text form that Set accepts.
  static constexpr size_t MAX_TEXT = 79;

  // All numbers zero ("not set"), no name.
  Keystroke() = default;
  // As Set(message, virtualKey, keyData).
  Keystroke(uint32_t message, uint32_t virtualKey, uint32_t keyData);
  // The event's message (WM_HOOKED_KEY for a grabbed key, WM_SYSKEY* for a
  // system key, WM_KEY* otherwise) and key data.
  static Keystroke FromEvent(const KeyEvent& event);
  // The three numbers kept whole, reserved bits included: a key the unit is
  // to receive exactly as given.
  static Keystroke Unmasked(uint32_t message, uint32_t virtualKey, uint32_t keyData);
  // The key of the key table with this name, compared after upper-casing (so
  // "f" is "F"); the record keeps the upper-cased name. Throws "Can't convert
  // string to keystroke." for a name the table does not hold.
  explicit Keystroke(std::string_view name);

  // Reads the text form: a message name of the message table, a blank, the
  // virtual-key code in hexadecimal, a blank, the key data in hexadecimal
  // (stored as read, reserved bits included). Reading is lenient: lower-case
  // digits, fewer digits, a "0x" prefix and trailing text after the digits
  // pass. A text that does not start with "WM_" (a null pointer too) leaves
  // the record as it is. On a malformed text it throws
  // "Error in Keystroke::Set(const char* szStr):\n" + the cause and leaves the
  // record as it was.
  void Set(const char* szStr);
  // Stores the three numbers; bits 25-28 of the key data are reserved and
  // always stored clear.
  void Set(uint32_t message, uint32_t virtualKey, uint32_t keyData);
  // Turns the record into the key going up (or down): the transition bit, and
  // the message for WM_KEY* and WM_SYSKEY*; other messages keep theirs.
  void SetUp(bool up);

  uint32_t Message() const { return m_message; }
  uint32_t VirtualKey() const { return m_virtualKey; }
  uint32_t KeyData() const { return m_keyData; }
  // The name the record was made from; empty unless made by name. GetName()
  // looks the key up by its virtual-key code instead.
  const std::string& Name() const { return m_name; }
  bool IsUp() const { return (m_keyData & KEY_TRANSITION) != 0; }

  // The scan code: bits 16-23 of the key data.
  uint32_t GetOEMCode() const { return (m_keyData >> 16) & 0xFF; }
  // The name of the first key of the key table with this virtual-key code, or
  // "-unknown-". Both shift keys share one code, so either answers "RSH".
  std::string GetName() const;
  // One line describing the record, for the keyboard traces.
  std::string Dump() const;

  // Same virtual-key code, and the same transition, context and extended bits;
  // message, scan code and repeat count do not count.
  static bool IsSameKey(const Keystroke& a, const Keystroke& b);

  bool operator==(const Keystroke&) const = default;

 private:
  uint32_t m_message = 0;
  uint32_t m_virtualKey = 0;
  uint32_t m_keyData = 0;
  std::string m_name;
};

}  // namespace input
