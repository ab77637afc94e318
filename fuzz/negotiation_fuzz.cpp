// The option exchange that opens a link, against a unit that says whatever the
// input says. Input: a chunking seed, a mode byte (bit 0: the link hands over
// stray bytes after garbage, as a modem line does; bits 1-4: the write that
// fails, 0 for none), then the unit's bytes. Past the end the link times out.
//
// Whatever the unit says, the viewer writes only well-formed packets, stops
// after its bounded number of attempts, and agrees only by acknowledging.

#include <algorithm>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "platform/TextError.h"
#include "session/Negotiator.h"

namespace {

using namespace session;

constexpr size_t MAX_CHUNK = 40;
// Eight requests of ours and eight answers to the unit's.
constexpr size_t MAX_WRITES = 16;

class Report : public ConnectionReport {
 public:
  void SetFailureText(const std::string& text) override { failure = text; }
  void AppendFailoverText(const std::string& text) override { failover += text; }
  std::string failure, failover;
};

class Link : public NegotiationTransport {
 public:
  Link(std::basic_string_view<uint8_t> bytes, uint8_t seed, bool strays, int failingWrite)
      : m_bytes(bytes),
        m_chunker(seed, MAX_CHUNK),
        m_strays(strays),
        m_failingWrite(failingWrite) {}

  size_t Read(uint8_t* buffer, size_t size) override {
    fuzz::Require(size > 0, "a read of nothing");
    if (m_at == m_bytes.size()) throw TextError("Timed out while attempting to read.\n");
    const size_t n = std::min(size, m_chunker.Next(m_bytes.size() - m_at));
    std::copy_n(m_bytes.data() + m_at, n, buffer);
    m_at += n;
    return n;
  }
  bool Write(const uint8_t* data, size_t size) override {
    CheckWellFormed(data, size);
    written.emplace_back(data, data + size);
    fuzz::Require(written.size() <= MAX_WRITES, "the negotiation keeps writing");
    return static_cast<int>(written.size()) != m_failingWrite;
  }
  std::vector<uint8_t> ReadStrayBytes(size_t maxBytes) override {
    if (!m_strays) return {};
    const size_t n = std::min(maxBytes, m_bytes.size() - m_at);
    std::vector<uint8_t> stray(m_bytes.begin() + m_at, m_bytes.begin() + m_at + n);
    m_at += n;
    return stray;
  }

  std::vector<std::vector<uint8_t>> written;

 private:
  static void CheckWellFormed(const uint8_t* data, size_t size) {
    fuzz::Require(size >= NEG_HEADER_BYTES && size <= NEG_MAX_PACKET_BYTES,
                  "negotiation packet of an impossible size");
    fuzz::Require(IsNegotiationKind(data[0]), "negotiation packet of no known kind");
    fuzz::Require(size_t{data[2]} + (size_t{data[3]} << 8) == size - NEG_HEADER_BYTES,
                  "option area length disagrees with the bytes written");
    size_t at = NEG_HEADER_BYTES;
    while (at < size) {
      fuzz::Require(size - at >= NEG_OPTION_HEADER_BYTES, "option cut in its head");
      at += NEG_OPTION_HEADER_BYTES + (data[at + 1] | size_t{data[at + 2]} << 8);
    }
    fuzz::Require(at == size, "option runs past the packet");
  }

  std::basic_string_view<uint8_t> m_bytes;
  size_t m_at = 0;
  fuzz::Chunker m_chunker;
  bool m_strays;
  int m_failingWrite;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallFormattingSink();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const uint8_t seed = input.Byte();
  const uint8_t mode = input.Byte();
  Link link(input.Rest(), seed, mode & 1, (mode >> 1) & 15);
  Report report;
  Negotiator negotiate("TSV1.53b", "Tessaline", report);

  const bool agreed = negotiate.NegotiateConnection(link);
  const NegotiationResult& result = negotiate.Result();
  fuzz::Require(result.unitVersion.size() <= 32, "unit version longer than accepted");
  if (agreed) {
    fuzz::Require(!link.written.empty() && link.written.back()[0] == NEG_ACK,
                  "agreed without acknowledging the unit's request");
    fuzz::Require(report.failover.ends_with("The remote is an Tessaline\n"),
                  "agreement not reported in the failover text");
  } else {
    fuzz::Require(report.failover.empty() || report.failover.ends_with("Negotiation failed.\n"),
                  "failed negotiation without its failover text");
  }
  return 0;
}
