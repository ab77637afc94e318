#pragma once
// What the monitor thread does with the bytes it receives: appends them to the
// ring buffer, cuts whole packets out, decodes video on the spot and posts
// every other packet to the window thread as an owned PostedPacket, in a task
// that hands it to the observer (SessionObserver::OnPacket).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Clock.h"
#include "protocol/PacketReader.h"
#include "protocol/PayloadCipher.h"
#include "protocol/RingBuffer.h"
#include "session/EventPoster.h"
#include "session/SessionCounters.h"
#include "session/SessionHooks.h"

namespace session {

// The largest payload the viewer accepts.
inline constexpr int32_t MAX_RECEIVED_PAYLOAD = 60000;

class ReceivePath {
 public:
  ReceivePath(RingBuffer& ring, ReceiveLink& link, const PayloadCipher& cipher,
              const EventPoster& events, SessionCounters& counters, const SessionHooks& hooks,
              const platform::CalendarClock& clock = platform::SystemCalendarClock());

  // Appends one receive. A receive larger than the free space goes in in
  // pieces, the whole packets cut out between them, so a unit that sends a
  // large packet and more behind it never overflows the buffer; bytes that
  // cannot form a packet still do ("Ring buffer overflowed.").
  void Receive(const uint8_t* bytes, size_t count);
  // Cuts and hands on every whole packet buffered.
  void HandlePackets();

 private:
  void HandleVideo(PacketHeader& header, int32_t length);
  void Queue(const PacketHeader& header, int32_t length);
  void NoteSizeReply(const PacketHeader& header, int32_t length);

  RingBuffer& m_ring;
  ReceiveLink& m_link;
  const PayloadCipher& m_cipher;
  const EventPoster& m_events;
  SessionCounters& m_counters;
  const SessionHooks& m_hooks;
  const platform::CalendarClock& m_clock;
  std::vector<uint8_t> m_payload;
};

}  // namespace session
