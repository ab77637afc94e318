#include "input/KeyboardState.h"

namespace input {

void ScanTable::Store(const Keystroke& key) {
  m_keys[key.GetOEMCode()].Set(key.Message(), key.VirtualKey(), key.KeyData());
}

void ScanTable::AllUp() {
  for (Keystroke& key : m_keys) {
    key = Keystroke();
    key.SetUp(true);
  }
}

}  // namespace input
