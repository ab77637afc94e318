#pragma once
// The line the unit prints (with --log-commands) for a command a logged-in viewer gives it,
// so a script can see that the command arrived.

#include <optional>
#include <string>

#include "Packet.h"

namespace sim {

// "REPAINT" or "THROUGHPUT_OBSERVED <rate>"; nothing for any other packet.
std::optional<std::string> CommandNote(const Packet& packet);
// For a flash image written: "FLASH WRITTEN <bytes> bytes kind <kind>".
std::string FlashWrittenNote(std::size_t bytes, int kind);

}  // namespace sim
