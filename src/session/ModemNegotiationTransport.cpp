#include "session/ModemNegotiationTransport.h"

#include "platform/TextError.h"
#include "platform/Trace.h"

namespace session {

size_t ModemNegotiationTransport::Read(uint8_t* buffer, size_t size) {
  int read = 0;
  if (!m_modem.Line().Read(buffer, size, read, READ_TOTAL_MS, READ_INTERCHAR_MS) || read <= 0)
    throw TextError(
        "CModemNegotiate::Read(): failed -- timed out waiting to fill buffer. Read 0 bytes.\n");
  return static_cast<size_t>(read);
}

bool ModemNegotiationTransport::Write(const uint8_t* data, size_t size) {
  Trace("CModemNegotiate::Write() %d bytes: %s\n", static_cast<int>(size),
        std::string(reinterpret_cast<const char*>(data), size).c_str());
  return m_modem.Line().Send(data, size);
}

std::vector<uint8_t> ModemNegotiationTransport::ReadStrayBytes(size_t maxBytes) {
  std::vector<uint8_t> bytes(maxBytes);
  int read = 0;
  if (!m_modem.Line().Read(bytes.data(), bytes.size(), read, 100, 100)) read = 0;
  bytes.resize(static_cast<size_t>(read));
  return bytes;
}

}  // namespace session
