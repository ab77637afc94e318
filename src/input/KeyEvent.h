#pragma once
// One key as the view delivers it to the keyboard pipeline: which physical
// key, which way it went and what was held with it. Typed text and the fixed
// remote key commands are made of the same values. The KBD packet's message
// number and key data are formed from it where a keystroke record is made
// (Keystroke::FromEvent).

#include <cstdint>

namespace input {

struct KeyEvent {
  uint32_t virtualKey = 0;
  uint8_t scanCode = 0;   // set-1 scan code
  bool extended = false;  // the scan code's E0 prefix
  bool down = true;       // the transition: pressed, or released
  bool wasDown = false;   // the key was down before (a repeat, a release)
  bool altHeld = false;   // Alt is down with this key
  bool system = false;    // a system key: Alt itself, keys with Alt, F10
  bool grabbed = false;   // a system key taken through the keyboard grab
  uint16_t repeatCount = 1;
  friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

}  // namespace input
