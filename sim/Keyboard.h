#pragma once
// The target computer's keyboard, a US one: which keys are held and its three lock states,
// and what each key the viewer sends types on the target.

#include <bitset>
#include <cstdint>
#include <optional>

#include "KeyEvent.h"

namespace sim {

// Lock-state bits, as KBD_LEDS carries them.
enum LockBit : std::uint8_t { SCROLL_LOCK = 1, NUM_LOCK = 2, CAPS_LOCK = 4 };

class Keyboard {
 public:
  // Applies one key. Answers what the target's editor receives: a printable character, '\b'
  // for Backspace, '\t' for Tab, '\n' for Enter; nothing for any other key, a key-up, or a
  // key struck while Ctrl or Alt is held (a shortcut, not text).
  std::optional<char> Apply(const KeyEvent& key);

  std::uint8_t Locks() const { return m_locks; }

  // The viewer is gone: every key it left held goes up. The lock states stay, as they would
  // on the target.
  void ReleaseAll() { m_down.reset(); }

 private:
  bool Held(std::uint8_t scan) const;

  // Indexed by scan code, plus 256 for extended keys (right Ctrl is not left Ctrl).
  std::bitset<512> m_down;
  std::uint8_t m_locks = 0;
};

}  // namespace sim
