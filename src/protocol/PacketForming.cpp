#include "protocol/PacketForming.h"

#include <array>
#include <cstring>
#include <new>

#include "protocol/Checksum.h"
#include "protocol/LittleEndian.h"

namespace {
[[noreturn]] void FormingFailed() {
  Trace("Error forming packet. \n");
  throw TextError(FORMING_ERROR_TEXT);
}

bool IsUsed(const PayloadPiece& piece) { return piece.data != nullptr && piece.length > 0; }
}  // namespace

std::vector<uint8_t> FormPacket(PacketHeader& header, const PayloadCipher& cipher,
                                PayloadPiece piece1, PayloadPiece piece2, PayloadPiece piece3) {
  const std::array<PayloadPiece, 3> pieces{piece1, piece2, piece3};
  size_t dataSize = 0;
  for (const PayloadPiece& piece : pieces)
    if (IsUsed(piece)) dataSize += piece.length;
  // Refused rather than wrapped to 16 bits, which would send a cut payload
  // under a size that no longer describes it.
  if (dataSize > MAX_PACKET_DATA) FormingFailed();

  std::vector<uint8_t> packet;
  try {
    // Zeroed, so that padding never carries stale memory onto the wire and
    // equal data always gives equal packets.
    packet.assign(PACKET_HEADER_SIZE + PaddedSize(dataSize) + PACKET_CHECKSUM_SIZE, 0);
  } catch (const std::bad_alloc&) {
    FormingFailed();
  }
  uint8_t* const payload = packet.data() + PACKET_HEADER_SIZE;
  size_t offset = 0;
  for (const PayloadPiece& piece : pieces) {
    if (!IsUsed(piece)) continue;
    std::memcpy(payload + offset, piece.data, piece.length);
    offset += piece.length;
  }
  header.DataSize = static_cast<uint16_t>(dataSize);
  header.PayloadSize = header.DataSize;

  ReportSendErrors(
      [&] { cipher.EncryptPayload(std::span<uint8_t>(payload, PaddedSize(dataSize)), header); });
  size_t payloadSize = header.PayloadSize;
  if (payloadSize > 0) {
    StoreLE32(payload + payloadSize, Checksum(payload, payloadSize));
    payloadSize += PACKET_CHECKSUM_SIZE;
    header.PayloadSize = static_cast<uint16_t>(payloadSize);
  }
  packet.resize(PACKET_HEADER_SIZE + payloadSize);
  header.Serialise(packet.data());
  return packet;
}
