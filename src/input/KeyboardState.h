#pragma once
// What the parts of the keyboard share on the window thread: the mode flags
// of pass-through and the last state seen of every local key.

#include <array>
#include <cstdint>

#include "input/Keystroke.h"

namespace input {

// One keystroke record per scan code; every entry starts as a key-up.
class ScanTable {
 public:
  ScanTable() { AllUp(); }

  const Keystroke& operator[](uint8_t scan) const { return m_keys[scan]; }
  // Stores the key under its scan code.
  void Store(const Keystroke& key);
  bool IsDown(uint8_t scan) const { return !m_keys[scan].IsUp(); }
  void Mark(uint8_t scan, bool down) { m_keys[scan].SetUp(!down); }
  void AllUp();

 private:
  std::array<Keystroke, 256> m_keys;
};

struct KeyboardState {
  // Keys and mouse go to the unit.
  bool m_passThrough = false;
  // Set and cleared with m_passThrough, but kept while the lock keys are set.
  bool m_durablePassThrough = false;
  // A pass-through toggle is running: keys meanwhile are swallowed.
  bool m_inPassThroughTransition = false;
  // Swallow the pass-through (full-screen) hotkey's key until its key-up.
  bool m_blockPassThroughKey = false;
  bool m_blockFullScreenKey = false;
  ScanTable m_localKeys;
};

}  // namespace input
