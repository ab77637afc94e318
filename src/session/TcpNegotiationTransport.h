#pragma once
// The negotiation over the freshly connected TCP socket.

#include <string>

#include "platform/StopSignal.h"
#include "platform/TcpSocket.h"
#include "session/ConnectionReport.h"
#include "session/NegotiationTransport.h"

namespace session {

class TcpNegotiationTransport : public NegotiationTransport {
 public:
  static constexpr int READ_WAIT_MS = 5000;
  // Lets a unit that dropped the line settle before the next address is tried.
  static constexpr int CLOSED_PAUSE_MS = 1000;

  // Every wait ends early when stop is raised.
  TcpNegotiationTransport(platform::TcpSocket& socket, std::string productName,
                          ConnectionReport& report, const platform::StopSignal& stop,
                          int readWaitMs = READ_WAIT_MS, int closedPauseMs = CLOSED_PAUSE_MS);

  size_t Read(uint8_t* buffer, size_t size) override;
  bool Write(const uint8_t* data, size_t size) override;

 private:
  platform::TcpSocket& m_socket;
  std::string m_productName;
  ConnectionReport& m_report;
  const platform::StopSignal& m_stop;
  int m_readWaitMs;
  int m_closedPauseMs;
};

}  // namespace session
