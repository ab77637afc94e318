#include "session/Negotiator.h"

#include <utility>

#include "platform/Format.h"
#include "platform/TextError.h"
#include "platform/Trace.h"

namespace session {
namespace {

constexpr int MAX_ATTEMPTS = 8;
constexpr size_t MAX_UNIT_VERSION = 32;
constexpr size_t MAX_STRAY_BYTES = 79;
constexpr const char* REMOTE = "Remote";

bool IsCipherId(uint32_t value) { return value >= 11 && value <= 13; }

}  // namespace

Negotiator::Negotiator(std::string viewerVersion, std::string productName, ConnectionReport& report)
    : m_viewerVersion(std::move(viewerVersion)),
      m_productName(std::move(productName)),
      m_report(report) {}

bool Negotiator::NegotiateConnection(NegotiationTransport& transport) {
  Trace("START NegotiateConnection()\n");
  m_result = {};
  Trace("Sending requirements to remote.\n");
  const std::optional<NegotiationPacket> answer = SendRequestLoop(transport, "Viewer");
  if (!answer) return false;
  if (answer->kind != NEG_ACK) {
    Trace("Viewer:No options 1\n");
    return false;
  }
  TakeOver(*answer);
  Trace("Remote responded\n");

  const std::optional<NegotiationPacket> ours = AnswerRemoteRequests(transport);
  if (!ours) return false;
  TakeOver(*ours);
  return true;
}

std::optional<NegotiationPacket> Negotiator::SendRequestLoop(NegotiationTransport& transport,
                                                             const char* requester) {
  Trace("SendRequestLoop()\n");
  try {
    for (int attempt = 0; attempt < MAX_ATTEMPTS; ++attempt) {
      Trace("   Send Viewer request\n");
      if (!SendRequest(transport)) throw TextError("The request could not be sent.");
      Trace("Waiting for reply\n");
      Trace("   ProcessResponse()\n");
      NegotiationPacket answer;
      ReadPacket(transport, answer);
      if (ProcessResponse(answer)) return answer;
    }
    Trace("%s:Negotiation incomplete\n", requester);
  } catch (const std::exception& e) {
    Trace("%s:%s\n", requester, e.what());
  }
  return std::nullopt;
}

bool Negotiator::SendRequest(NegotiationTransport& transport) {
  Trace("SendRequest()\n");
  NegotiationPacket request{NEG_REQUEST, m_nextRequestId++, {}};
  request.AddOption(NegotiationOption::Byte(OPTION_ZERO, 0));
  request.AddOption(NegotiationOption::Text(OPTION_VERSION, m_viewerVersion));
  request.AddOption(NegotiationOption::Byte(OPTION_ENCRYPTION_TYPES,
                                            OFFERED_NONE | OFFERED_BLOWFISH | OFFERED_TRIPLE_DES));
  return WritePacket(transport, request);
}

void Negotiator::ReadExactly(NegotiationTransport& transport, uint8_t* buffer, size_t size) {
  // A link may hand over a packet in pieces.
  while (size > 0) {
    const size_t got = transport.Read(buffer, size);
    if (got == 0 || got > size) throw TextError("The link gave no data during the negotiation.");
    buffer += got;
    size -= got;
  }
}

int Negotiator::ReadPacket(NegotiationTransport& transport, NegotiationPacket& packet) {
  packet = {};
  uint8_t kind = 0;
  ReadExactly(transport, &kind, 1);
  packet.kind = kind;
  if (!IsNegotiationKind(kind)) {
    const std::vector<uint8_t> stray = transport.ReadStrayBytes(MAX_STRAY_BYTES);
    Trace("Negotiator::ReadPacket(): Rejecting unexpected char: %d\n", kind);
    Trace("Other stuff that was about to be read: \n%s\n", HexBytes(stray).c_str());
    return -1;
  }

  uint8_t head[3];
  ReadExactly(transport, head, sizeof head);
  packet.id = head[0];
  size_t remaining = head[1] | (size_t{head[2]} << 8);
  Trace("Negotiator::ReadPacket(): type = %d   id = %d   len = %zu\n", kind, packet.id, remaining);
  if (remaining > NEG_MAX_READ_LENGTH)
    throw TextError(
        Format("The remote's negotiation packet announces %zu bytes of options; at "
               "most %zu are accepted.",
               remaining, NEG_MAX_READ_LENGTH));

  while (remaining > 0) {
    if (remaining < NEG_OPTION_HEADER_BYTES)
      throw TextError("The remote's negotiation packet ends inside an option.");
    uint8_t optionHead[NEG_OPTION_HEADER_BYTES];
    ReadExactly(transport, optionHead, sizeof optionHead);
    remaining -= NEG_OPTION_HEADER_BYTES;
    const size_t length = optionHead[1] | (size_t{optionHead[2]} << 8);
    if (length > remaining)
      throw TextError(
          Format("Negotiation option %d claims %zu bytes, but its packet has only %zu "
                 "left.",
                 optionHead[0], length, remaining));
    NegotiationOption option{optionHead[0], std::vector<uint8_t>(length)};
    ReadExactly(transport, option.data.data(), length);
    remaining -= length;
    Trace("Negotiator::ReadPacket(): option type %d  length %zu  data %s\n", option.id, length,
          HexBytes(option.data).c_str());
    packet.AddOption(std::move(option));
  }
  Trace("Got %s packet\n", NegotiationKindName(kind));
  return 0;
}

bool Negotiator::WritePacket(NegotiationTransport& transport, const NegotiationPacket& packet) {
  const std::vector<uint8_t> bytes = packet.Serialize();
  Trace("Negotiator::WritePacket()  %zu bytes\n    %s\n", bytes.size(), HexBytes(bytes).c_str());
  return transport.Write(bytes.data(), bytes.size());
}

bool Negotiator::ProcessResponse(NegotiationPacket& answer) {
  Trace("Negotiator::ProcessResponse()\n");
  if (answer.kind == NEG_ACK) {
    Trace("Remote agreed to protocol terms.\n");
    return true;
  }
  const char* reason = "-- no valid response was received.\n";
  if (answer.kind == NEG_REQUEST) {
    reason = "propose options.";
  } else if (answer.kind == NEG_NAK) {
    reason = "propose alternatives.";
  } else if (answer.kind == NEG_REJECT) {
    reason = "give up.";
    m_report.SetFailureText("Other side gave up (rejected our terms).\n");
  }
  Trace("Remote's response is to %s\n", reason);

  bool changed = false;
  int position = 1;
  for (NegotiationOption& option : answer.options) {
    Trace("    %d.  len %zu  type %d  data %s\n", position++, option.data.size(), option.id,
          HexBytes(option.data).c_str());
    changed |= EvaluateResponseOption(option);
  }
  return !changed;
}

bool Negotiator::EvaluateResponseOption(NegotiationOption& option) {
  if (option.id != OPTION_ENCRYPTION) return false;
  const uint8_t value = option.data.empty() ? 0 : option.data[0];
  if (value < 8) return false;
  option.data.assign(1, static_cast<uint8_t>(value % 8));
  return true;
}

OptionVerdict Negotiator::EvaluateRequestOption(NegotiationOption& option) {
  const uint32_t value = option.Value();
  switch (option.id) {
    case OPTION_PROTOCOL:
      if (value == 1) {
        m_result.busy = true;
        return OptionVerdict::Reject;
      }
      return OptionVerdict::Accept;
    case OPTION_VERSION:
      if (option.data.size() > MAX_UNIT_VERSION) return OptionVerdict::Reject;
      m_result.unitVersion.assign(option.data.begin(), option.data.end());
      return OptionVerdict::Accept;
    case OPTION_ENCRYPTION:
      if (IsCipherId(value)) return OptionVerdict::Accept;
      option = NegotiationOption::Byte(OPTION_ENCRYPTION, 13);
      return OptionVerdict::Counter;
    case OPTION_INACTIVITY_TIMEOUT:
      return OptionVerdict::Accept;
    case OPTION_SPECIAL_ENCRYPTION:
      return IsCipherId(value) ? OptionVerdict::Accept : OptionVerdict::Reject;
    case OPTION_SEGMENT_MODE:
      if (static_cast<int32_t>(value) < 4) return OptionVerdict::Accept;
      option = NegotiationOption::Int32(OPTION_SEGMENT_MODE, 3);
      return OptionVerdict::Counter;
    default:  // 0, the viewer's own encryption types, and unknown ids
      return OptionVerdict::Reject;
  }
}

NegotiationPacket Negotiator::AnswerRequest(const NegotiationPacket& request) {
  NegotiationPacket reject{NEG_REJECT, request.id, {}};
  NegotiationPacket nak{NEG_NAK, request.id, {}};
  for (const NegotiationOption& original : request.options) {
    NegotiationOption option = original;
    switch (EvaluateRequestOption(option)) {
      case OptionVerdict::Reject:
        reject.AddOption(original);
        break;
      case OptionVerdict::Counter:
        nak.AddOption(std::move(option));
        break;
      case OptionVerdict::Accept:
        break;
    }
  }
  if (!reject.options.empty()) {
    Trace("Tell remote we reject it's terms.\n");
    m_report.SetFailureText("We rejected other side's terms.\n");
    return reject;
  }
  if (!nak.options.empty()) {
    Trace("Send counter proposal to remote.\n");
    return nak;
  }
  Trace("Tell remote we accept it's terms.\n");
  NegotiationPacket ack = request;
  ack.kind = NEG_ACK;
  return ack;
}

std::optional<NegotiationPacket> Negotiator::AnswerRemoteRequests(NegotiationTransport& transport) {
  Trace("Evaluating remote's configuration requests\n");
  try {
    for (int attempt = 0; attempt < MAX_ATTEMPTS; ++attempt) {
      NegotiationPacket request;
      // A stray byte is no request: acking it would agree to nothing.
      if (ReadPacket(transport, request) != 0) continue;
      NegotiationPacket answer = AnswerRequest(request);
      if (!WritePacket(transport, answer)) throw TextError("The answer could not be sent.");
      if (answer.kind == NEG_ACK) {
        m_report.AppendFailoverText("The remote is an " + m_productName + "\n");
        return answer;
      }
    }
    Trace("%s:Negotiation incomplete\n", REMOTE);
  } catch (const std::exception& e) {
    Trace("%s:%s\n", REMOTE, e.what());
  }
  m_report.AppendFailoverText("Negotiation failed.\n");
  return std::nullopt;
}

void Negotiator::TakeOver(const NegotiationPacket& agreed) {
  Trace("***** All options negotiated *****\n");
  for (const NegotiationOption& option : agreed.options) {
    const uint32_t value = option.Value();
    switch (option.id) {
      case OPTION_ENCRYPTION_TYPES:
        m_result.offeredCiphers |= value & (OFFERED_NONE | OFFERED_BLOWFISH | OFFERED_TRIPLE_DES);
        break;
      case OPTION_ENCRYPTION:
        m_result.sessionCipher = static_cast<uint8_t>(value);
        break;
      case OPTION_INACTIVITY_TIMEOUT:
        m_result.inactivityTimeout = value;
        break;
      case OPTION_SPECIAL_ENCRYPTION:
        m_result.specialDataCipher = static_cast<uint8_t>(value);
        break;
      case OPTION_SEGMENT_MODE:
        m_result.videoSegmentMode = static_cast<int32_t>(value);
        break;
      default:
        break;
    }
  }
}

}  // namespace session
