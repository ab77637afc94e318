#pragma once
// The fixed 10-byte header in front of every packet after negotiation. The
// in-memory record is converted to and from wire bytes explicitly, so neither
// padding nor the host's byte order can leak onto the wire.

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr size_t PACKET_HEADER_SIZE = 10;
inline constexpr size_t PACKET_CHECKSUM_SIZE = 4;
inline constexpr uint8_t PACKET_SIGNATURE_1 = 0x71;  // 'q'
inline constexpr uint8_t PACKET_SIGNATURE_2 = 0x76;  // 'v'

struct PacketHeader {
  uint8_t signature1 = PACKET_SIGNATURE_1;
  uint8_t signature2 = PACKET_SIGNATURE_2;
  // Bytes after the header as sent: the (possibly padded) payload plus the
  // checksum; 0 when there is no payload.
  uint16_t PayloadSize = 0;
  // Meaningful bytes before encryption; bounds texts inside a padded payload.
  uint16_t DataSize = 0;
  uint8_t type = 0;
  uint8_t subtype = 0;
  uint8_t encrypted = 0;
  uint8_t reserved = 0;

  PacketHeader() = default;
  PacketHeader(uint8_t type, uint8_t subtype, uint16_t payloadSize = 0, uint16_t dataSize = 0)
      : PayloadSize(payloadSize), DataSize(dataSize), type(type), subtype(subtype) {}

  bool HasSignature() const {
    return signature1 == PACKET_SIGNATURE_1 && signature2 == PACKET_SIGNATURE_2;
  }

  void Serialise(uint8_t* out) const;
  std::array<uint8_t, PACKET_HEADER_SIZE> ToBytes() const;
  static PacketHeader Parse(const uint8_t* bytes);

  bool operator==(const PacketHeader&) const = default;
};
