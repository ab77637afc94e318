#include "session/NegotiationPacket.h"

#include "platform/Format.h"
#include "platform/TextError.h"

namespace session {

NegotiationOption NegotiationOption::Byte(uint8_t id, uint8_t value) { return {id, {value}}; }

NegotiationOption NegotiationOption::Int32(uint8_t id, uint32_t value) {
  return {id,
          {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
           static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)}};
}

NegotiationOption NegotiationOption::Text(uint8_t id, std::string_view text) {
  return {id, std::vector<uint8_t>(text.begin(), text.end())};
}

uint32_t NegotiationOption::Value() const {
  uint32_t value = 0;
  for (size_t i = 0; i < data.size() && i < 4; ++i) value |= uint32_t{data[i]} << (8 * i);
  return value;
}

void NegotiationPacket::AddOption(NegotiationOption option) {
  if (options.size() >= NEG_MAX_OPTIONS)
    throw TextError(Format("A negotiation packet holds at most %zu options.", NEG_MAX_OPTIONS));
  options.push_back(std::move(option));
}

std::vector<uint8_t> NegotiationPacket::Serialize() const {
  std::vector<uint8_t> bytes{kind, id, 0, 0};
  for (const NegotiationOption& option : options) {
    const size_t size = NEG_OPTION_HEADER_BYTES + option.data.size();
    if (bytes.size() + size > NEG_MAX_PACKET_BYTES) continue;
    bytes.push_back(option.id);
    bytes.push_back(static_cast<uint8_t>(option.data.size()));
    bytes.push_back(static_cast<uint8_t>(option.data.size() >> 8));
    bytes.insert(bytes.end(), option.data.begin(), option.data.end());
  }
  const size_t area = bytes.size() - NEG_HEADER_BYTES;
  bytes[2] = static_cast<uint8_t>(area);
  bytes[3] = static_cast<uint8_t>(area >> 8);
  return bytes;
}

bool IsNegotiationKind(uint8_t kind) { return kind >= NEG_REQUEST && kind <= NEG_REJECT; }

const char* NegotiationKindName(uint8_t kind) {
  switch (kind) {
    case NEG_REQUEST:
      return "request";
    case NEG_ACK:
      return "ack";
    case NEG_NAK:
      return "nak";
    case NEG_REJECT:
      return "reject";
    default:
      return "unknown";
  }
}

std::string HexBytes(const uint8_t* data, size_t size) {
  static constexpr char DIGITS[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(size * 3);
  for (size_t i = 0; i < size; ++i) {
    if (i > 0) text += ' ';
    text += DIGITS[data[i] >> 4];
    text += DIGITS[data[i] & 15];
  }
  return text;
}

}  // namespace session
