#include "MouseEvent.h"

#include <cstdio>

#include "Bytes.h"

namespace sim {

namespace {

constexpr std::size_t MOUSE_PAYLOAD_SIZE = 20;

}  // namespace

std::optional<MouseEvent> ReadMouseEvent(const Packet& packet) {
  if (packet.data.size() < MOUSE_PAYLOAD_SIZE) return std::nullopt;
  const std::uint8_t* bytes = packet.data.data();
  return MouseEvent{GetLe32(bytes), GetLe32(bytes + 4), GetLe32(bytes + 8),
                    static_cast<std::int32_t>(GetLe32(bytes + 12)),
                    static_cast<std::int32_t>(GetLe32(bytes + 16))};
}

std::string MouseLine(const MouseEvent& mouse) {
  char line[80];
  std::snprintf(line, sizeof line, "MOUSE %08X %08X %08X %d %d", mouse.message, mouse.wParam,
                mouse.lParam, mouse.dx, mouse.dy);
  return line;
}

}  // namespace sim
