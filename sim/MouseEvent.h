#pragma once
// One mouse message as the viewer sends it in a MOUSE packet, and the line --log-mouse
// prints for it.

#include <cstdint>
#include <optional>
#include <string>

#include "Packet.h"

namespace sim {

struct MouseEvent {
  std::uint32_t message = 0;  // 0x200 move, 0x201 left down ... 0x20A wheel
  std::uint32_t wParam = 0;   // button and key state; the wheel's delta in the high word
  std::uint32_t lParam = 0;   // the viewer's client position, x low, y high
  std::int32_t dx = 0;        // movement since the viewer's last MOUSE packet
  std::int32_t dy = 0;
};

// The message in a MOUSE packet; nothing when the payload is shorter than one.
std::optional<MouseEvent> ReadMouseEvent(const Packet& packet);

// "MOUSE <message> <wParam> <lParam> <dx> <dy>": message, wParam and lParam in 8 upper-case
// hex digits, the movement in signed decimal.
std::string MouseLine(const MouseEvent& mouse);

}  // namespace sim
