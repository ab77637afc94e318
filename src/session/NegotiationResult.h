#pragma once
// What the unit and the viewer agreed when the link opened; the session
// controller takes it over once the connection is reported up.

#include <cstdint>
#include <string>

namespace session {

// Bits of the offered-cipher mask.
inline constexpr uint8_t OFFERED_NONE = 1;
inline constexpr uint8_t OFFERED_BLOWFISH = 2;
inline constexpr uint8_t OFFERED_TRIPLE_DES = 4;

struct NegotiationResult {
  uint8_t offeredCiphers = 0;      // OFFERED_* bits
  uint8_t sessionCipher = 0;       // cipher id to switch to after login; 0 = none agreed
  uint8_t specialDataCipher = 0;   // cipher id for the special data (user list)
  uint32_t inactivityTimeout = 0;  // the unit's, shown and sent back by the security page
  int32_t videoSegmentMode = 0;
  std::string unitVersion;
  bool busy = false;  // the unit is serving another viewer
};

}  // namespace session
