#pragma once
// The link the negotiation runs over: the TCP socket or the modem line. The
// negotiation owns the link while it runs, on the connect thread.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace session {

class NegotiationTransport {
 public:
  virtual ~NegotiationTransport() = default;
  // Reads at least one and at most size bytes; throws a text when nothing can
  // be read (time-out, link closed).
  virtual size_t Read(uint8_t* buffer, size_t size) = 0;
  // False when the bytes could not be sent.
  virtual bool Write(const uint8_t* data, size_t size) = 0;
  // After a byte that starts no packet: whatever else is waiting on the line,
  // up to maxBytes, so the trace shows what the far end was saying. Only a
  // line that keeps talking after garbage (a modem) has anything to give.
  virtual std::vector<uint8_t> ReadStrayBytes(size_t maxBytes) {
    (void)maxBytes;
    return {};
  }
};

}  // namespace session
