#include "protocol/PacketReader.h"

#include <array>

#include "platform/Format.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/Checksum.h"
#include "protocol/LittleEndian.h"

namespace {
// A broken stream: resynchronised on a serial line that is up, else fatal
// (the failure also becoming the session's failure title when it is one).
int32_t StreamBroken(ReceiveLink& link, const std::string& traceLine, const std::string& failure,
                     bool isTitle) {
  if (link.IsSerialLineUp()) {
    Trace("%s", traceLine.c_str());
    link.Resynchronise();
    return -1;
  }
  if (isTitle) link.SetFailureTitle(failure);
  throw TextError(failure);
}
}  // namespace

int32_t GetPacket(RingBuffer& ring, ReceiveLink& link, PacketHeader& header, uint8_t* payload,
                  int32_t bufferSize) {
  if (!link.IsConnected()) return -1;
  std::array<uint8_t, PACKET_HEADER_SIZE> headerBytes;
  if (ring.Peek(headerBytes.data(), headerBytes.size()) < headerBytes.size()) return -1;
  const PacketHeader peeked = PacketHeader::Parse(headerBytes.data());

  if (!peeked.HasSignature())
    return StreamBroken(link, "Improper data stream, packet signature not found where expected.\n",
                        BAD_SIGNATURE_TEXT, true);
  const size_t payloadSize = peeked.PayloadSize;
  // Too short to hold the checksum that must end every payload: the frame
  // cannot be where the header claims, so the stream has lost its framing.
  if (payloadSize > 0 && payloadSize <= PACKET_CHECKSUM_SIZE)
    return StreamBroken(
        link,
        Format("Improper data stream, payload size %zu cannot hold a checksum.\n", payloadSize),
        BAD_SIGNATURE_TEXT, true);
  if (bufferSize < 0 || payloadSize > static_cast<size_t>(bufferSize)) {
    const std::string text = Format(
        "Error in GetPacket().\nA packet is available, but the function was called with a buffer "
        "too small to receive it.\nBuffer size: %d\nPayload size: %zu\n",
        bufferSize, payloadSize);
    return StreamBroken(link, text, text, false);
  }
  if (ring.Count() < PACKET_HEADER_SIZE + payloadSize) return -1;

  Trace("A whole packet is available.\n");
  if (ring.Consume(headerBytes.data(), headerBytes.size()) < headerBytes.size()) return -1;
  // The session may empty the buffer from another thread at any moment; what
  // was not there to take is not a packet.
  if (ring.Consume(payload, payloadSize) < payloadSize) return -1;
  header = peeked;
  if (payloadSize == 0) return 0;

  const size_t dataSize = payloadSize - PACKET_CHECKSUM_SIZE;
  header.PayloadSize = static_cast<uint16_t>(dataSize);
  if (Checksum(payload, dataSize) == LoadLE32(payload + dataSize))
    return static_cast<int32_t>(dataSize);

  if (link.IsSerialLineUp()) {
    Trace("CRC Error\n");
    link.Resynchronise();
    return -1;
  }
  try {
    link.SendBadChecksumReport(std::span<const uint8_t>(headerBytes.data(), 4),
                               std::span<const uint8_t>(payload, dataSize));
  } catch (const TextError& e) {
    // The broken stream is the failure to report, not the report's own fate.
    Trace("%s\n", e.what());
  }
  Trace("We have a bad checksum.\n");
  link.SetFailureTitle(BAD_CHECKSUM_TEXT);
  throw TextError(BAD_CHECKSUM_TEXT);
}
