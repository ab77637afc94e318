#pragma once
// The unframed option exchange that opens every connection, seen from the unit: it answers
// the viewer's request, then proposes its own options until the viewer acknowledges them.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Bytes.h"
#include "Link.h"
#include "Options.h"

namespace sim {

enum NegotiationKind : std::uint8_t {
  NEG_REQUEST = 31,
  NEG_ACK = 32,
  NEG_NAK = 33,
  NEG_REJECT = 34
};

enum NegotiationOptionId : std::uint8_t {
  OPT_PROTOCOL = 1,
  OPT_VERSION = 2,
  OPT_ENCRYPTION_TYPES = 3,
  OPT_ENCRYPTION = 4,
  OPT_INACTIVITY = 5,
  OPT_SPECIAL_TYPE = 6,
  OPT_SEGMENT_MODE = 7,
};

struct NegotiationOption {
  std::uint8_t id = 0;
  Bytes data;
};

struct NegotiationPacket {
  std::uint8_t kind = NEG_REQUEST;
  std::uint8_t id = 0;
  std::vector<NegotiationOption> options;

  Bytes Serialize() const;
  const NegotiationOption* Find(std::uint8_t optionId) const;
};

// Reads one packet; throws std::runtime_error on a bad kind, a silent peer or a stop request.
NegotiationPacket ReadNegotiationPacket(Link& link, int timeoutMs, const std::atomic<bool>& stop);

// What both sides settled on; options the viewer refused are left empty.
struct Agreement {
  std::optional<int> encryption;
  std::optional<int> specialType;
  std::optional<std::int32_t> segmentMode;
  std::optional<std::uint32_t> inactivitySeconds;
  std::string viewerVersion;
};

// The unit's own request, built from the options.
NegotiationPacket UnitRequest(const UnitOptions& options, bool busy, std::uint8_t id);

// The acknowledgement of the viewer's request: its options as they came, except that the
// "encryption types" mask is narrowed to the ciphers this unit offers.
NegotiationPacket AnswerViewerRequest(const NegotiationPacket& request, const UnitOptions& options);

// Runs the whole exchange on a fresh connection. A busy unit proposes protocol 1 and returns
// after the viewer's answer. Throws std::runtime_error when the viewer misbehaves or gives up.
Agreement Negotiate(Link& link, const UnitOptions& options, bool busy,
                    const std::atomic<bool>& stop);

}  // namespace sim
