#pragma once
// An X key event as the KeyEvent the keyboard pipeline takes: the virtual-key
// code and the set-1 scan code with its extended bit. X keycodes
// on Linux are the kernel's key codes plus 8, and the kernel numbers the
// keys of a PC keyboard by their set-1 scan codes, so the scan code follows
// from the keycode; the extended bit and the virtual-key codes follow the
// viewer's key table (navigation keys without the extended bit, DEL with it),
// with the keys the table lacks (right Ctrl and Alt, keypad Enter, the
// Windows and menu keys) marked extended as a PC keyboard sends them.

#include <cstdint>
#include <optional>

#include "input/KeyEvent.h"

namespace ui {

struct KeyEventFacts {
  uint32_t xKeycode = 0;
  bool down = true;
  bool autoRepeat = false;  // a repeated down: the key was already down
  bool altHeld = false;     // Alt is down with this key
  bool numLock = false;     // the keypad gives digits rather than movement
};

// Nothing for a keycode no PC key has. Never grabbed: the window knows that.
std::optional<input::KeyEvent> TranslateKey(const KeyEventFacts& facts);

// The X keycode of a virtual-key code, for reading and injecting keys; 0
// when no key gives it.
uint32_t XKeycodeForVirtualKey(int virtualKey);

}  // namespace ui
