#pragma once
// The unit's configuration document as it arrives in SERVER_CONFIG_DATA:
// plain text, or (subtype 1) a length word and a flushed, unterminated
// deflate stream.

#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/PacketHeader.h"

namespace view {

inline constexpr int32_t MAX_SERVER_CONFIG_LENGTH = 400000;

// The configuration text; throws TextError with the unit's fault named.
std::string HandleServerConfigData(const PacketHeader& header, const uint8_t* payload,
                                   size_t length);

}  // namespace view
