#pragma once
// A mouse or wheel event of the view as the window message the mouse pipeline
// and the unit know: the message number, the button and key state in wParam
// (MK_*; for the wheel the delta, 120 a notch, in the high word), and the
// position in lParam, x in the low word and y in the high word as signed
// 16-bit numbers: client coordinates, the screen's for the wheel as the
// classic wheel message has it.

#include <cstdint>
#include <optional>

class QSinglePointEvent;

namespace ui {

struct MouseMessage {
  uint32_t message = 0;
  uint32_t wParam = 0;
  uint32_t lParam = 0;
  friend bool operator==(const MouseMessage&, const MouseMessage&) = default;
};

// Nothing for a button beyond the three, or a wheel turned only sideways.
std::optional<MouseMessage> TranslateMouse(const QSinglePointEvent& event);

}  // namespace ui
