#pragma once
// The option exchange that opens every link: the viewer proposes its terms and
// the unit answers, then the unit proposes and the viewer judges. Shared by the
// TCP and the modem links; runs on the connect thread.

#include <cstdint>
#include <optional>
#include <string>

#include "session/ConnectionReport.h"
#include "session/NegotiationPacket.h"
#include "session/NegotiationResult.h"
#include "session/NegotiationTransport.h"

namespace session {

enum class OptionVerdict { Accept, Counter, Reject };

class Negotiator {
 public:
  // viewerVersion is sent as the version option; productName names the unit in
  // the failover text.
  Negotiator(std::string viewerVersion, std::string productName, ConnectionReport& report);

  // True when both sides agreed. Result() holds what was agreed, and the busy
  // mark even when the negotiation failed.
  bool NegotiateConnection(NegotiationTransport& transport);
  const NegotiationResult& Result() const { return m_result; }

  // Sends the viewer's request until an answer is acceptable (at most 8 times).
  std::optional<NegotiationPacket> SendRequestLoop(NegotiationTransport& transport,
                                                   const char* requester);
  bool SendRequest(NegotiationTransport& transport);
  // 0, or -1 when the first byte starts no packet (packet then holds only that
  // byte as its kind). A malformed packet throws; nothing past it is read.
  int ReadPacket(NegotiationTransport& transport, NegotiationPacket& packet);
  bool WritePacket(NegotiationTransport& transport, const NegotiationPacket& packet);
  // Whether the answer to the viewer's request can end the request loop.
  bool ProcessResponse(NegotiationPacket& answer);

  // Judges one option of the unit's request; a counter-proposal changes it.
  OptionVerdict EvaluateRequestOption(NegotiationOption& option);
  // Judges one option of an answer to the viewer's request; true when changed.
  bool EvaluateResponseOption(NegotiationOption& option);
  // The reject, nak or ack for a request of the unit.
  NegotiationPacket AnswerRequest(const NegotiationPacket& request);

 private:
  // Answers the unit's requests until one is acked; returns that ack.
  std::optional<NegotiationPacket> AnswerRemoteRequests(NegotiationTransport& transport);
  void ReadExactly(NegotiationTransport& transport, uint8_t* buffer, size_t size);
  void TakeOver(const NegotiationPacket& agreed);

  std::string m_viewerVersion;
  std::string m_productName;
  ConnectionReport& m_report;
  NegotiationResult m_result;
  // Requests are numbered for the whole run, not per link.
  uint8_t m_nextRequestId = 9;
};

}  // namespace session
