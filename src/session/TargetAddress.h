#pragma once
// Where a TCP/IP address-book entry points: a host and a port. The port is
// written after the last colon, but only when that colon stands past the
// sixth character, so a short name such as "host:80" is read whole as a host.

#include <cstdint>
#include <string>

namespace session {

inline constexpr uint16_t DEFAULT_UNIT_PORT = 5678;
// Longest address text the connect thread takes from the target.
inline constexpr size_t MAX_ADDRESS_TEXT = 50;

struct TargetAddress {
  std::string host;
  uint16_t port = DEFAULT_UNIT_PORT;
  bool hasPort = false;
};

TargetAddress ParseTargetAddress(const std::string& text);

}  // namespace session
