// The packet cutter over the ring buffer, fed a byte stream in arbitrary
// pieces. Input: a flags byte (bit 0: a serial link whose line is up; the
// other bits move the ring's start so packets wrap around its end), a chunking
// seed, then the stream.
//
// On a TCP link the packets cut, and the failure that ends the stream, must
// not depend on how the stream was split; on a serial link nothing may throw.
// Every packet handed out must carry a checksum that matches.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "platform/TextError.h"
#include "protocol/Checksum.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketReader.h"
#include "protocol/RingBuffer.h"

namespace {

constexpr int32_t PAYLOAD_BUFFER = 60000;
constexpr size_t MAX_CHUNK = 3000;

class Link : public ReceiveLink {
 public:
  Link(RingBuffer& ring, bool serialLineUp) : m_ring(ring), m_serial(serialLineUp) {}
  bool IsConnected() const override { return true; }
  bool IsSerialLineUp() const override { return m_serial; }
  void Resynchronise() override {
    ++resyncs;
    m_ring.Clear();
  }
  void SendBadChecksumReport(std::span<const uint8_t> headerStart,
                             std::span<const uint8_t> payload) override {
    fuzz::Require(!m_serial, "bad checksum reported on a serial link");
    fuzz::Require(headerStart.size() == 4, "bad checksum report without the header's start");
    fuzz::Require(payload.size() + 4 <= PAYLOAD_BUFFER, "bad checksum report too long");
    ++reports;
  }
  void SetFailureTitle(const std::string& title) override { this->title = title; }

  int resyncs = 0;
  int reports = 0;
  std::string title;

 private:
  RingBuffer& m_ring;
  bool m_serial;
};

struct Cut {
  uint8_t type, subtype;
  std::vector<uint8_t> payload;
  bool operator==(const Cut&) const = default;
};

struct Outcome {
  std::vector<Cut> packets;
  std::optional<std::string> failure;
  std::string title;
  int reports = 0;
};

// Hands out every whole packet buffered; false once the stream has failed.
bool Drain(RingBuffer& ring, Link& link, Outcome& outcome, std::vector<uint8_t>& buffer) {
  for (;;) {
    PacketHeader header;
    int32_t length;
    try {
      length = GetPacket(ring, link, header, buffer.data(), PAYLOAD_BUFFER);
    } catch (const TextError& e) {
      fuzz::Require(!link.IsSerialLineUp(), "a serial link with its line up threw");
      outcome.failure = e.Text();
      return false;
    }
    if (length < 0) return true;
    fuzz::Require(length + 4 <= PAYLOAD_BUFFER, "payload longer than the buffer");
    fuzz::Require(header.PayloadSize == length, "PayloadSize still counts the checksum");
    fuzz::Require(header.HasSignature(), "packet without its signature");
    if (length > 0)
      fuzz::Require(Checksum(buffer.data(), length) == LoadLE32(buffer.data() + length),
                    "packet handed out with a wrong checksum");
    outcome.packets.push_back(
        {header.type, header.subtype, {buffer.begin(), buffer.begin() + length}});
  }
}

Outcome Run(std::basic_string_view<uint8_t> stream, bool serial, size_t ringStart,
            fuzz::Chunker chunker) {
  static const std::vector<uint8_t> filler(RingBuffer::DEFAULT_CAPACITY);
  RingBuffer ring;
  ring.Write(filler.data(), ringStart);
  std::vector<uint8_t> scratch(ringStart);
  ring.Consume(scratch.data(), ringStart);

  Link link(ring, serial);
  Outcome outcome;
  std::vector<uint8_t> buffer(PAYLOAD_BUFFER);
  size_t at = 0;
  while (at < stream.size()) {
    // As the receive path does: what does not fit waits for packets to be cut.
    const size_t size = std::min(chunker.Next(stream.size() - at), ring.FreeSpace());
    fuzz::Require(size > 0, "ring buffer full without a whole packet in it");
    ring.Write(stream.data() + at, size);
    at += size;
    if (!Drain(ring, link, outcome, buffer)) break;
  }
  outcome.title = link.title;
  outcome.reports = link.reports;
  fuzz::Require(serial || link.resyncs == 0, "a TCP link resynchronised");
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallFormattingSink();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const uint8_t flags = input.Byte();
  const uint8_t seed = input.Byte();
  const auto stream = input.Rest();
  const bool serial = flags & 1;
  const size_t ringStart = RingBuffer::DEFAULT_CAPACITY - (flags >> 1) * 64;

  const Outcome chunked = Run(stream, serial, ringStart, fuzz::Chunker(seed, MAX_CHUNK));
  if (serial) return 0;
  const Outcome whole = Run(stream, serial, 0, fuzz::Chunker(0, MAX_CHUNK));
  fuzz::Require(chunked.packets == whole.packets, "packets depend on how the stream was split");
  fuzz::Require(chunked.failure == whole.failure, "failure depends on how the stream was split");
  fuzz::Require(chunked.title == whole.title, "failure title depends on the split");
  fuzz::Require(chunked.reports == whole.reports, "checksum report depends on the split");
  fuzz::Require(whole.reports == (whole.failure && *whole.failure == BAD_CHECKSUM_TEXT),
                "a checksum failure without its report to the unit, or a report without one");
  return 0;
}
