#include "session/LineSpeed.h"

#include <array>
#include <random>

#include "platform/Clock.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"

namespace session {

int32_t LineRate(uint32_t sentTick, uint32_t nowTick) {
  // The tick count wraps; the difference taken in 32 bits stays right. Adding
  // the millisecond in 64 bits keeps any stamp the unit echoes (even one a
  // millisecond ahead of us) from dividing by zero.
  const uint64_t elapsed = static_cast<uint64_t>(nowTick - sentTick) + 1;
  return static_cast<int32_t>(10000 / elapsed * 8000);
}

const char* CompressionFor(int32_t rate) { return rate <= ZLIB_RATE_LIMIT ? "ZLib" : "RLE"; }

void SendTimingPacket(PacketSender& sender) {
  try {
    std::array<uint8_t, LINE_TEST_PAYLOAD> payload;
    std::independent_bits_engine<std::default_random_engine, 8, unsigned> random(
        std::random_device{}());
    for (uint8_t& byte : payload) byte = static_cast<uint8_t>(random());
    StoreLE32(payload.data(), platform::GetTickCount());
    PacketHeader header(THROUGHPUT_TEST_PACKET, 0);
    sender.SendPacket(header, {payload.data(), payload.size()});
    Trace("Sending THROUGHPUT_TEST_PACKET\n");
  } catch (const TextError& e) {
    throw TextError("There was a problem in COrb::SendTimingPacket()\n" + e.Text());
  }
}

void HandleTestPacket(PacketSender& sender, const uint8_t* payload, size_t length) {
  try {
    // A reply too short to hold the stamp measures nothing.
    if (length < 4) throw TextError("The test packet came back without its time stamp.");
    const int32_t rate = LineRate(LoadLE32(payload), platform::GetTickCount());
    TraceCategory(5, 10, "Baud rate (bits per second): %d  so using %s compression.\n", rate,
                  CompressionFor(rate));
    SendObservedRate(sender, rate);
  } catch (const TextError& e) {
    throw TextError("Error in HandleTestPacket():\n" + e.Text());
  } catch (...) {
    throw TextError("Error in handleTestPacket(): Unknown error.");
  }
}

void SendObservedRate(PacketSender& sender, int32_t rate) {
  std::array<uint8_t, 4> payload;
  StoreLE32(payload.data(), static_cast<uint32_t>(rate));
  PacketHeader header(THROUGHPUT_OBSERVED, 0);
  sender.SendPacket(header, {payload.data(), payload.size()});
}

}  // namespace session
