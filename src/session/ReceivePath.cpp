#include "session/ReceivePath.h"

#include <algorithm>
#include <memory>

#include "platform/Clock.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/PacketTypes.h"
#include "session/PostedPacket.h"

namespace session {
ReceivePath::ReceivePath(RingBuffer& ring, ReceiveLink& link, const PayloadCipher& cipher,
                         const EventPoster& events, SessionCounters& counters,
                         const SessionHooks& hooks, const platform::CalendarClock& clock)
    : m_ring(ring),
      m_link(link),
      m_cipher(cipher),
      m_events(events),
      m_counters(counters),
      m_hooks(hooks),
      m_clock(clock),
      m_payload(MAX_RECEIVED_PAYLOAD) {}

void ReceivePath::Receive(const uint8_t* bytes, size_t count) {
  while (count > 0) {
    // With no room at all the buffer holds more than any packet can be, so
    // the write below reports the overflow.
    const size_t free = m_ring.FreeSpace();
    const size_t piece = free == 0 ? count : std::min(count, free);
    m_ring.Write(bytes, piece);
    HandlePackets();
    bytes += piece;
    count -= piece;
  }
}

void ReceivePath::HandlePackets() {
  bool video = false;
  try {
    for (;;) {
      PacketHeader header;
      const int32_t length = GetPacket(m_ring, m_link, header, m_payload.data(),
                                       static_cast<int32_t>(m_payload.size()));
      if (length == -1) {
        if (video && m_hooks.video) m_hooks.video->AfterSegments();
        return;
      }
      if (header.type == SEGMENT || header.type == MULTISEGMENT) {
        HandleVideo(header, length);
        video = true;
      } else {
        Queue(header, length);
      }
    }
  } catch (const TextError& e) {
    throw TextError("HandlePackets encountered an error:\n" + e.Text());
  }
}

void ReceivePath::HandleVideo(PacketHeader& header, int32_t length) {
  if (header.encrypted) m_cipher.DecryptPayload(m_payload.data(), header.PayloadSize, header);
  ++m_counters.videoSegments;
  m_counters.videoSegmentMode = header.type == SEGMENT ? 0 : 3;
  if (m_hooks.video) m_hooks.video->HandleSegment(header, m_payload.data(), length);
}

void ReceivePath::Queue(const PacketHeader& header, int32_t length) {
  if ((header.type == RESIZE || header.type == ONE_TO_ONE) && m_hooks.video)
    NoteSizeReply(header, length);
  const uint32_t queueNumber = ++m_counters.queueNumber;
  m_counters.lastQueued = queueNumber;
  ++m_counters.receivedPackets;

  // Shared, as a task is copyable; only the task ever holds it.
  auto packet = std::make_shared<PostedPacket>(header, m_payload.data(),
                                               static_cast<size_t>(length), queueNumber);
  const SessionHooks& hooks = m_hooks;
  if (!m_events.Post([&hooks, packet] {
        if (hooks.observer) hooks.observer->OnPacket(*packet);
      }))
    Trace("The view no longer takes packets; %s dropped.\n", PacketTypeName(header.type));
  TraceLevel(5, "Posting packet: %s\n", PacketTypeName(header.type));
  TraceLevel(4, "Queueing %3d ", header.type);

  if (m_counters.keepAliveStamp != 0) m_counters.keepAliveStamp = m_clock.Seconds();
}

// The posted packet stays as received (the dispatcher decrypts it), so the
// size is read from a decrypted copy.
void ReceivePath::NoteSizeReply(const PacketHeader& header, int32_t length) {
  const auto tell = [&](const uint8_t* payload, int32_t size) {
    if (header.type == RESIZE)
      m_hooks.video->OnResizeEcho(payload, size);
    else
      m_hooks.video->OnOneToOneReply(payload, size);
  };
  if (!header.encrypted) {
    tell(m_payload.data(), length);
    return;
  }
  std::vector<uint8_t> copy(m_payload.begin(), m_payload.begin() + length);
  m_cipher.DecryptPayload(copy.data(), copy.size(), header);
  tell(copy.data(), std::min<int32_t>(length, header.DataSize));
}

}  // namespace session
