#pragma once
// Cuts whole packets out of the receive ring buffer and checks them. What it
// needs from the session (its state, resynchronising a serial line, reporting
// a bad checksum to the unit) it asks through ReceiveLink.

#include <cstdint>
#include <span>
#include <string>

#include "protocol/PacketHeader.h"
#include "protocol/RingBuffer.h"

class ReceiveLink {
 public:
  virtual ~ReceiveLink() = default;
  virtual bool IsConnected() const = 0;
  // A modem or cable link whose line is up: a broken stream is mended by
  // resynchronising instead of ending the connection.
  virtual bool IsSerialLineUp() const = 0;
  // Asks the unit to resend and empties the ring buffer.
  virtual void Resynchronise() = 0;
  // Sends the subtype-2 PING that tells the unit a checksum failed; its
  // payload is the two pieces in order.
  virtual void SendBadChecksumReport(std::span<const uint8_t> headerStart,
                                     std::span<const uint8_t> payload) = 0;
  virtual void SetFailureTitle(const std::string& title) = 0;
};

inline constexpr const char* BAD_SIGNATURE_TEXT =
    "Improper data stream -- new packet does not start where expected.";
inline constexpr const char* BAD_CHECKSUM_TEXT = "Improper data stream -- CRC failed.";

// Takes the oldest whole packet out of ring: fills header (its PayloadSize no
// longer counting the checksum) and payload, and returns the payload length.
// Returns -1, consuming nothing, while no whole packet is buffered, and after
// resynchronising. Throws on a broken stream that cannot be resynchronised.
int32_t GetPacket(RingBuffer& ring, ReceiveLink& link, PacketHeader& header, uint8_t* payload,
                  int32_t bufferSize);
