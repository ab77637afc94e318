#pragma once
// A text typed as a US keyboard (layout 00000409) types it: each character's
// key goes down and up, with left Shift held around the upper-case letters
// and shifted symbols. The keys carry the set-1 scan codes of that keyboard.

#include <string_view>
#include <vector>

#include "input/KeyEvent.h"

namespace input {

// Throws TextError naming the first character that no US key types (text is
// read as UTF-8).
std::vector<KeyEvent> UsKeyEventsFor(std::string_view text);

}  // namespace input
