#include "CommandNote.h"

namespace sim {

std::optional<std::string> CommandNote(const Packet& packet) {
  if (packet.type == REPAINT) return "REPAINT";
  if (packet.type == THROUGHPUT_OBSERVED && packet.data.size() >= 4)
    return "THROUGHPUT_OBSERVED " +
           std::to_string(static_cast<std::int32_t>(GetLe32(packet.data.data())));
  return std::nullopt;
}

std::string FlashWrittenNote(std::size_t bytes, int kind) {
  return "FLASH WRITTEN " + std::to_string(bytes) + " bytes kind " + std::to_string(kind);
}

}  // namespace sim
