#include "protocol/PacketHeader.h"

#include "protocol/LittleEndian.h"

void PacketHeader::Serialise(uint8_t* out) const {
  out[0] = signature1;
  out[1] = signature2;
  StoreLE16(out + 2, PayloadSize);
  StoreLE16(out + 4, DataSize);
  out[6] = type;
  out[7] = subtype;
  out[8] = encrypted;
  out[9] = reserved;
}

std::array<uint8_t, PACKET_HEADER_SIZE> PacketHeader::ToBytes() const {
  std::array<uint8_t, PACKET_HEADER_SIZE> bytes{};
  Serialise(bytes.data());
  return bytes;
}

PacketHeader PacketHeader::Parse(const uint8_t* bytes) {
  PacketHeader header;
  header.signature1 = bytes[0];
  header.signature2 = bytes[1];
  header.PayloadSize = LoadLE16(bytes + 2);
  header.DataSize = LoadLE16(bytes + 4);
  header.type = bytes[6];
  header.subtype = bytes[7];
  header.encrypted = bytes[8];
  header.reserved = bytes[9];
  return header;
}
