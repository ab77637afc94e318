#pragma once
// An X key event as the key message the keyboard pipeline and the unit know:
// the virtual-key code and the key data with its set-1 scan code. X keycodes
// on Linux are the kernel's key codes plus 8, and the kernel numbers the
// keys of a PC keyboard by their set-1 scan codes, so the scan code follows
// from the keycode; the extended bit and the virtual-key codes follow the
// viewer's key table (navigation keys without the extended bit, DEL with it),
// with the keys the table lacks (right Ctrl and Alt, keypad Enter, the
// Windows and menu keys) marked extended as a PC keyboard sends them.

#include <cstdint>
#include <optional>

namespace ui {

struct TranslatedKey {
  uint32_t message = 0;  // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN or WM_SYSKEYUP
  int virtualKey = 0;
  uint32_t keyData = 0;
};

struct KeyEventFacts {
  uint32_t xKeycode = 0;
  bool down = true;
  bool autoRepeat = false;  // a repeated down: the key was already down
  bool altHeld = false;     // Alt is down with this key (the context bit)
  bool numLock = false;     // the keypad gives digits rather than movement
};

// Nothing for a keycode no PC key has.
std::optional<TranslatedKey> TranslateKey(const KeyEventFacts& facts);

// The X keycode of a virtual-key code, for reading and injecting keys; 0
// when no key gives it.
uint32_t XKeycodeForVirtualKey(int virtualKey);

}  // namespace ui
