#pragma once
// The line speed test: the unit echoes a packet stamped with the tick count,
// and the round trip gives the rate the unit chooses its compression by.

#include <cstddef>
#include <cstdint>

#include "protocol/PacketSender.h"

namespace session {

inline constexpr int LINE_TEST_PAYLOAD = 2500;
// At or below this rate the unit's zlib compression pays off; above, RLE.
inline constexpr int32_t ZLIB_RATE_LIMIT = 180000;
// The rates the slow-line and fast-line commands pretend.
inline constexpr int32_t PRETEND_LOW_SPEED = 28000;
inline constexpr int32_t PRETEND_HIGH_SPEED = 1000000;

// Bits per second for a test packet stamped at sentTick and back at nowTick.
int32_t LineRate(uint32_t sentTick, uint32_t nowTick);
const char* CompressionFor(int32_t rate);

// The test packet, stamped with the tick count; throws the failure as text.
void SendTimingPacket(PacketSender& sender);
// The unit's echo of it: the rate measured is told to the unit.
void HandleTestPacket(PacketSender& sender, const uint8_t* payload, size_t length);
// The rate the unit chooses its compression by, measured or pretended.
void SendObservedRate(PacketSender& sender, int32_t rate);

}  // namespace session
