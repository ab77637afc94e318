#include "modem/Resynch.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/Trace.h"
#include "protocol/PacketHeader.h"
#include "protocol/PacketTypes.h"

namespace modem {
namespace {

// What a marker's first seven bytes are: signature, no payload, no data, the type.
constexpr std::array<uint8_t, 7> MARKER_START = {PACKET_SIGNATURE_1, PACKET_SIGNATURE_2, 0, 0, 0, 0,
                                                 ERROR_RESYNC};

}  // namespace

bool WaitForResynch(ModemLine& line, int timeLimitMs) {
  const auto start = std::chrono::steady_clock::now();
  const auto elapsed = [&] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
  };
  Trace("Waiting %d ms\n", timeLimitMs);
  const int half = timeLimitMs / 2;
  size_t matched = 0;
  for (;;) {
    uint8_t byte = 0;
    int read = 0;
    if (!line.Read(&byte, 1, read, 50, 0)) return false;
    bool completed = false;
    if (read == 1) {
      if (byte != MARKER_START[matched]) {
        if (matched > 1)
          Trace("Mismatch at %d  (%d - %d)\n", static_cast<int>(matched), byte,
                MARKER_START[matched]);
        // The byte that broke the match is not tried as the start of another.
        matched = 0;
      } else if (++matched == MARKER_START.size()) {
        completed = true;
      }
    }
    if (elapsed() > timeLimitMs) {
      Trace("timeout.\n");
      return false;
    }
    if (!completed) continue;
    matched = 0;
    std::array<uint8_t, 3> rest{};
    if (!line.Read(rest.data(), rest.size(), read, half, half) || read < 3) {
      Trace("could not read remaining 3 bytes of packet.\n");
      return false;
    }
    const int k = rest[0];
    const int n = rest[1];
    Trace("success finding marker %d of %d\n", k, n);
    if (k < 1 || k > n || n > MAX_MARKERS) {
      Trace("unrealistic sequence values.\n");
      continue;
    }
    const int toss = (n - k) * static_cast<int>(PACKET_HEADER_SIZE);
    Trace("reading and tossing an additonal %d bytes.\n", toss);
    if (toss == 0) return true;
    std::vector<uint8_t> markers(static_cast<size_t>(toss));
    if (line.Read(markers.data(), markers.size(), read, half, half) && read == toss) return true;
    Trace("Could not read remaining sequence packets, got %d bytes when expecting %d\n", read,
          toss);
    return false;
  }
}

}  // namespace modem
