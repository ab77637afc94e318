#pragma once
// A packet on its way from the monitor thread to the window thread: the header
// as received (PayloadSize without the checksum, the payload still encrypted
// when it was sent so), the payload, and the number it was queued under. The
// task that carries it to the window thread owns it.

#include <cstdint>
#include <vector>

#include "protocol/PacketHeader.h"

namespace session {

class PostedPacket {
 public:
  PostedPacket(const PacketHeader& header, const uint8_t* payload, size_t length,
               uint32_t queueNumber)
      : m_header(header), m_payload(payload, payload + length), m_queueNumber(queueNumber) {}

  PacketHeader& Header() { return m_header; }
  const PacketHeader& Header() const { return m_header; }
  // Decrypted in place by the dispatcher.
  std::vector<uint8_t>& Payload() { return m_payload; }
  const std::vector<uint8_t>& Payload() const { return m_payload; }
  uint32_t QueueNumber() const { return m_queueNumber; }

 private:
  PacketHeader m_header;
  std::vector<uint8_t> m_payload;
  uint32_t m_queueNumber;
};

}  // namespace session
