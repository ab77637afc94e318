#pragma once
// Numbers the receive path keeps for the rest of the session, shared between
// the monitor thread that writes them and the window thread that reads them.

#include <atomic>
#include <cstdint>

namespace session {

struct SessionCounters {
  // The number of the last block posted to the window thread, for the whole
  // run: the first block of the program gets 1. Wraps.
  std::atomic<uint32_t> queueNumber{0};
  // The view's record of the last block queued and the last one the
  // dispatcher handled; both start again at 0 with each connection.
  std::atomic<uint32_t> lastQueued{0};
  std::atomic<uint32_t> lastHandled{0};
  // Non-video packets received, for RESEND_FROM; the modem link resets it.
  std::atomic<uint32_t> receivedPackets{0};
  std::atomic<uint32_t> videoSegments{0};
  // 0 after a SEGMENT, 3 after a MULTISEGMENT, or as negotiated.
  std::atomic<int32_t> videoSegmentMode{0};
  // Mouse traffic sent, for the view's statistics.
  std::atomic<uint32_t> mouseBytesSent{0};
  std::atomic<uint32_t> mousePayloadBytesSent{0};
  std::atomic<uint32_t> mousePacketsSent{0};
  // Calendar seconds of the unit's last sign of life; 0 while not armed.
  std::atomic<int64_t> keepAliveStamp{0};

  void ResetView() {
    lastQueued = 0;
    lastHandled = 0;
  }
};

}  // namespace session
