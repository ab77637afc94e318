#pragma once
// The negotiation over a modem or cable line that has just come up.

#include "modem/Modem.h"
#include "session/NegotiationTransport.h"

namespace session {

class ModemNegotiationTransport : public NegotiationTransport {
 public:
  static constexpr int READ_TOTAL_MS = 15000;
  static constexpr int READ_INTERCHAR_MS = 100;

  explicit ModemNegotiationTransport(modem::Modem& modem) : m_modem(modem) {}

  size_t Read(uint8_t* buffer, size_t size) override;
  bool Write(const uint8_t* data, size_t size) override;
  std::vector<uint8_t> ReadStrayBytes(size_t maxBytes) override;

 private:
  modem::Modem& m_modem;
};

}  // namespace session
