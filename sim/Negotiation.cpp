#include "Negotiation.h"

#include <algorithm>
#include <stdexcept>

#include "Log.h"

namespace sim {

namespace {

constexpr std::size_t MAX_OPTION_AREA = 1024;  // the viewer never writes a larger packet
constexpr int MAX_ROUNDS = 8;

NegotiationOption ByteOption(std::uint8_t id, int value) {
  return {id, Bytes{static_cast<std::uint8_t>(value)}};
}

NegotiationOption WordOption(std::uint8_t id, std::uint32_t value) {
  NegotiationOption option{id, {}};
  PutLe32(option.data, value);
  return option;
}

std::string Hex(const Bytes& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string text;
  for (auto b : bytes) {
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

void TakeOver(const NegotiationPacket& ack, Agreement& agreement) {
  for (const auto& option : ack.options) {
    const bool isByte = option.data.size() == 1;
    const bool isWord = option.data.size() == 4;
    if (option.id == OPT_ENCRYPTION && isByte) agreement.encryption = option.data[0];
    if (option.id == OPT_SPECIAL_TYPE && isByte) agreement.specialType = option.data[0];
    if (option.id == OPT_SEGMENT_MODE && isWord)
      agreement.segmentMode = static_cast<std::int32_t>(GetLe32(option.data.data()));
    if (option.id == OPT_INACTIVITY && isWord)
      agreement.inactivitySeconds = GetLe32(option.data.data());
  }
}

void Write(Link& link, const NegotiationPacket& packet) {
  const Bytes bytes = packet.Serialize();
  Log("negotiation: sending kind %d id %d, %zu bytes: %s", packet.kind, packet.id, bytes.size(),
      Hex(bytes).c_str());
  link.SendAll(bytes);
}

}  // namespace

Bytes NegotiationPacket::Serialize() const {
  Bytes area;
  for (const auto& option : options) {
    area.push_back(option.id);
    PutLe16(area, static_cast<std::uint32_t>(option.data.size()));
    area.insert(area.end(), option.data.begin(), option.data.end());
  }
  Bytes out{kind, id};
  PutLe16(out, static_cast<std::uint32_t>(area.size()));
  out.insert(out.end(), area.begin(), area.end());
  return out;
}

const NegotiationOption* NegotiationPacket::Find(std::uint8_t optionId) const {
  for (const auto& option : options)
    if (option.id == optionId) return &option;
  return nullptr;
}

NegotiationPacket ReadNegotiationPacket(Link& link, int timeoutMs, const std::atomic<bool>& stop) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::uint8_t head[4];
  ReadExact(link, head, 1, deadline, stop);
  if (head[0] < NEG_REQUEST || head[0] > NEG_REJECT)
    throw std::runtime_error("negotiation: unexpected byte " + std::to_string(head[0]));
  ReadExact(link, head + 1, 3, deadline, stop);
  NegotiationPacket packet;
  packet.kind = head[0];
  packet.id = head[1];
  std::size_t remaining = GetLe16(head + 2);
  if (remaining > MAX_OPTION_AREA)
    throw std::runtime_error("negotiation: option area of " + std::to_string(remaining) + " bytes");
  while (remaining > 0) {
    if (remaining < 3) throw std::runtime_error("negotiation: option area ends inside an option");
    std::uint8_t optionHead[3];
    ReadExact(link, optionHead, 3, deadline, stop);
    NegotiationOption option{optionHead[0], Bytes(GetLe16(optionHead + 1))};
    if (option.data.size() > remaining - 3)
      throw std::runtime_error("negotiation: option longer than its packet");
    ReadExact(link, option.data.data(), option.data.size(), deadline, stop);
    remaining -= 3 + option.data.size();
    Log("negotiation: got option %d length %zu data %s", option.id, option.data.size(),
        Hex(option.data).c_str());
    packet.options.push_back(std::move(option));
  }
  Log("negotiation: got kind %d id %d with %zu options", packet.kind, packet.id,
      packet.options.size());
  return packet;
}

NegotiationPacket UnitRequest(const UnitOptions& options, bool busy, std::uint8_t id) {
  NegotiationPacket request{NEG_REQUEST, id, {}};
  if (busy)
    request.options.push_back(ByteOption(OPT_PROTOCOL, 1));
  else if (options.protocol)
    request.options.push_back(ByteOption(OPT_PROTOCOL, *options.protocol));
  if (options.versionString)
    request.options.push_back(
        {OPT_VERSION, Bytes(options.versionString->begin(), options.versionString->end())});
  if (options.encryptionTypes)
    request.options.push_back(ByteOption(OPT_ENCRYPTION_TYPES, *options.encryptionTypes));
  if (options.encryption)
    request.options.push_back(ByteOption(OPT_ENCRYPTION, *options.encryption));
  if (options.inactivitySeconds)
    request.options.push_back(WordOption(OPT_INACTIVITY, *options.inactivitySeconds));
  if (options.specialType)
    request.options.push_back(ByteOption(OPT_SPECIAL_TYPE, *options.specialType));
  if (options.segmentMode)
    request.options.push_back(
        WordOption(OPT_SEGMENT_MODE, static_cast<std::uint32_t>(*options.segmentMode)));
  return request;
}

NegotiationPacket AnswerViewerRequest(const NegotiationPacket& request,
                                      const UnitOptions& options) {
  NegotiationPacket ack = request;
  ack.kind = NEG_ACK;
  for (auto& option : ack.options)
    if (option.id == OPT_ENCRYPTION_TYPES && option.data.size() == 1)
      option.data[0] &= static_cast<std::uint8_t>(options.encryptionTypes.value_or(7));
  return ack;
}

Agreement Negotiate(Link& link, const UnitOptions& options, bool busy,
                    const std::atomic<bool>& stop) {
  constexpr int READ_TIMEOUT_MS = 10000;
  Agreement agreement;
  const NegotiationPacket viewerRequest = ReadNegotiationPacket(link, READ_TIMEOUT_MS, stop);
  if (viewerRequest.kind != NEG_REQUEST)
    throw std::runtime_error("negotiation: the viewer did not start with a request");
  if (const auto* version = viewerRequest.Find(OPT_VERSION))
    agreement.viewerVersion.assign(version->data.begin(), version->data.end());
  Write(link, AnswerViewerRequest(viewerRequest, options));

  NegotiationPacket proposal = UnitRequest(options, busy, 1);
  for (int round = 0; round < MAX_ROUNDS; ++round) {
    proposal.id = static_cast<std::uint8_t>(round + 1);
    Write(link, proposal);
    const NegotiationPacket answer = ReadNegotiationPacket(link, READ_TIMEOUT_MS, stop);
    if (answer.id != proposal.id)
      throw std::runtime_error("negotiation: answer carries id " + std::to_string(answer.id) +
                               ", expected " + std::to_string(proposal.id));
    if (busy) return agreement;
    if (answer.kind == NEG_ACK) {
      TakeOver(answer, agreement);
      return agreement;
    }
    if (answer.kind == NEG_REJECT) {
      // Drop what the viewer cannot accept and propose the rest again.
      auto& own = proposal.options;
      own.erase(std::remove_if(own.begin(), own.end(),
                               [&](const NegotiationOption& o) { return answer.Find(o.id); }),
                own.end());
    } else if (answer.kind == NEG_NAK) {
      for (auto& own : proposal.options)
        if (const auto* counter = answer.Find(own.id)) own.data = counter->data;
    } else {
      throw std::runtime_error("negotiation: the viewer answered with a request");
    }
  }
  throw std::runtime_error("negotiation incomplete after 8 rounds");
}

}  // namespace sim
