#pragma once
// System keys kept for the local desktop: in pass-through, with system keys
// set to stay local, Alt+Tab, Alt+Esc, Ctrl+Esc and the Windows keys leave
// pass-through and are played to the local desktop instead, and the unit is
// told that the modifiers it saw go down are up again. Ctrl+Alt+Del only
// lifts the modifiers on the unit. Window thread only.

#include <cstdint>

#include "input/HotkeySettings.h"
#include "input/KeySender.h"
#include "input/KeyboardState.h"
#include "input/PassThrough.h"
#include "platform/Desktop.h"

namespace input {

class SysKeyTable {
 public:
  SysKeyTable(KeyboardState& state, KeySender& sender, PassThrough& passThrough,
              platform::KeyboardDevice& keyboard, const HotkeySettings& settings);

  // True when the key was one of the table's and has been acted on.
  bool HandleLocalSysKeys(const Keystroke& key);

 private:
  KeyboardState& m_state;
  KeySender& m_sender;
  PassThrough& m_passThrough;
  platform::KeyboardDevice& m_keyboard;
  const HotkeySettings& m_settings;
};

}  // namespace input
