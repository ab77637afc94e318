#include "input/KeyboardState.h"

namespace input {

void ScanTable::Store(uint32_t message, uint32_t wParam, uint32_t lParam) {
  Keystroke& entry = m_keys[(lParam >> 16) & 0xFF];
  entry.Set(message, wParam, lParam);
}

void ScanTable::AllUp() {
  for (Keystroke& key : m_keys) {
    key = Keystroke();
    key.SetUp(true);
  }
}

}  // namespace input
