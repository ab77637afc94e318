#pragma once
// The packets that agree the session options when a link opens. They travel
// bare on the byte stream, before any framed packet; multi-byte fields are
// little-endian.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace session {

enum NegotiationKind : uint8_t {
  NEG_REQUEST = 31,
  NEG_ACK = 32,
  NEG_NAK = 33,  // a counter-proposal
  NEG_REJECT = 34,
};

enum NegotiationOptionId : uint8_t {
  OPTION_ZERO = 0,  // the viewer sends it; the unit never may
  OPTION_PROTOCOL = 1,
  OPTION_VERSION = 2,
  OPTION_ENCRYPTION_TYPES = 3,
  OPTION_ENCRYPTION = 4,
  OPTION_INACTIVITY_TIMEOUT = 5,
  OPTION_SPECIAL_ENCRYPTION = 6,
  OPTION_SEGMENT_MODE = 7,
};

inline constexpr size_t NEG_HEADER_BYTES = 4;
inline constexpr size_t NEG_OPTION_HEADER_BYTES = 3;
inline constexpr size_t NEG_MAX_OPTIONS = 100;
// Options that would take a written packet beyond this are left out.
inline constexpr size_t NEG_MAX_PACKET_BYTES = 1024;
// The longest option area (and so option data) a received packet may announce.
inline constexpr size_t NEG_MAX_READ_LENGTH = 127;

struct NegotiationOption {
  uint8_t id = 0;
  std::vector<uint8_t> data;

  static NegotiationOption Byte(uint8_t id, uint8_t value);
  static NegotiationOption Int32(uint8_t id, uint32_t value);
  static NegotiationOption Text(uint8_t id, std::string_view text);

  // The data read as a little-endian number of up to four bytes; missing bytes
  // count as zero, so a short option never reads past its data.
  uint32_t Value() const;
  bool operator==(const NegotiationOption&) const = default;
};

struct NegotiationPacket {
  uint8_t kind = NEG_REQUEST;
  uint8_t id = 0;
  std::vector<NegotiationOption> options;

  // Throws once the packet already holds NEG_MAX_OPTIONS options.
  void AddOption(NegotiationOption option);
  // Head and options in order, leaving out any option that would not fit in
  // NEG_MAX_PACKET_BYTES; the head's length counts only what was written.
  std::vector<uint8_t> Serialize() const;
  bool operator==(const NegotiationPacket&) const = default;
};

bool IsNegotiationKind(uint8_t kind);
// "request", "ack", "nak", "reject", or "unknown".
const char* NegotiationKindName(uint8_t kind);
// Bytes as upper-case hex pairs separated by blanks, for the trace.
std::string HexBytes(const uint8_t* data, size_t size);
inline std::string HexBytes(const std::vector<uint8_t>& bytes) {
  return HexBytes(bytes.data(), bytes.size());
}

}  // namespace session
