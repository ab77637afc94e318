#pragma once
// The unit's configuration document as SERVER_CONFIG_DATA carries it both
// ways: plain text, or (subtype 1) a length word and a flushed, unterminated
// deflate stream.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/PacketHeader.h"
#include "protocol/PacketSender.h"

namespace admin {

inline constexpr int32_t MAX_SERVER_CONFIG_LENGTH = 400000;

// The configuration text; throws TextError with the unit's fault named.
std::string HandleServerConfigData(const PacketHeader& header, const uint8_t* payload,
                                   size_t length);

// The payload of a compressed SERVER_CONFIG_DATA for text: the length of the
// text with its terminating zero, then the flushed deflate stream. Throws when
// the stream does not inflate back to the same text or the packet cannot hold it.
std::vector<uint8_t> CompressServerConfig(const std::string& text);

// Sends text as a compressed SERVER_CONFIG_DATA (subtype 1).
void SendServerConfig(PacketSender& sender, const std::string& text);

}  // namespace admin
