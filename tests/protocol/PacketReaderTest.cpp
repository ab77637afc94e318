#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/TextError.h"
#include "protocol/PacketForming.h"
#include "protocol/PacketReader.h"
#include "protocol/PacketTypes.h"
#include "support/RecordingReceiveLink.h"
#include "support/TraceRecorder.h"

namespace {
struct Packet {
  uint8_t type;
  uint8_t subtype;
  int cipher;
  std::vector<uint8_t> data;
};

std::vector<uint8_t> Form(const Packet& p, PayloadCipher& cipher) {
  cipher.SetSessionCipher(p.cipher);
  PacketHeader header(p.type, p.subtype);
  return FormPacket(header, cipher, {p.data.data(), p.data.size()});
}

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 13);
  return bytes;
}

class GetPacketTest : public ::testing::Test {
 protected:
  void Feed(const std::vector<uint8_t>& bytes) { m_ring.Write(bytes.data(), bytes.size()); }
  int32_t Get() { return GetPacket(m_ring, m_link, m_header, m_payload.data(), kBufferSize); }
  std::string ErrorFromGet() {
    try {
      Get();
    } catch (const TextError& e) {
      return e.Text();
    }
    return "(no error)";
  }

  static constexpr int32_t kBufferSize = 60000;
  RingBuffer m_ring;
  RecordingReceiveLink m_link{m_ring};
  PayloadCipher m_cipher;
  PacketHeader m_header;
  std::vector<uint8_t> m_payload = std::vector<uint8_t>(kBufferSize);
};
}  // namespace

TEST_F(GetPacketTest, WaitsForTheWholePacketWithoutConsuming) {
  const auto packet = Form({TEXT_MSG, 5, ENCRYPTION_NONE, Pattern(30, 1)}, m_cipher);
  for (size_t have : {size_t{0}, size_t{9}, size_t{10}, packet.size() - 1}) {
    m_ring.Clear();
    m_ring.Write(packet.data(), have);
    EXPECT_EQ(Get(), -1) << have;
    EXPECT_EQ(m_ring.Count(), have);
  }
  m_ring.Write(packet.data() + packet.size() - 1, 1);
  ASSERT_EQ(Get(), 30);
  EXPECT_EQ(m_header.type, TEXT_MSG);
  EXPECT_EQ(m_header.subtype, 5);
  EXPECT_EQ(m_header.PayloadSize, 30);
  EXPECT_EQ(std::vector<uint8_t>(m_payload.begin(), m_payload.begin() + 30), Pattern(30, 1));
  EXPECT_TRUE(m_ring.IsEmpty());

  Feed(packet);
  m_link.connected = false;
  EXPECT_EQ(Get(), -1);
  EXPECT_EQ(m_ring.Count(), packet.size());
}

TEST_F(GetPacketTest, AnEmptyPacketHasNoChecksum) {
  Feed(Form({REPAINT, 0, ENCRYPTION_NONE, {}}, m_cipher));
  EXPECT_EQ(Get(), 0);
  EXPECT_EQ(m_header.type, REPAINT);
  EXPECT_TRUE(m_ring.IsEmpty());
}

TEST_F(GetPacketTest, BrokenFramingEndsATcpStreamAndResynchronisesASerialLine) {
  auto badSignature = Form({KBD, 0, ENCRYPTION_NONE, Pattern(8, 3)}, m_cipher);
  badSignature[1] = 'x';
  const auto tooShort = PacketHeader(KBD, 0, 3, 3).ToBytes();
  const auto oversized = PacketHeader(KBD, 0, 60001, 60001).ToBytes();
  const struct {
    std::vector<uint8_t> bytes;
    std::string failure;
    std::string title;
    std::string traced;
  } cases[] = {
      {badSignature, BAD_SIGNATURE_TEXT, BAD_SIGNATURE_TEXT,
       "Improper data stream, packet signature not found where expected.\n"},
      {{tooShort.begin(), tooShort.end()},
       BAD_SIGNATURE_TEXT,
       BAD_SIGNATURE_TEXT,
       "Improper data stream, payload size 3 cannot hold a checksum.\n"},
      {{oversized.begin(), oversized.end()},
       "Error in GetPacket().\nA packet is available, but the function was called with a buffer "
       "too small to receive it.\nBuffer size: 60000\nPayload size: 60001\n",
       "",
       "Buffer size: 60000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failure);
    m_ring.Clear();
    RecordingReceiveLink link(m_ring);
    Feed(c.bytes);
    try {
      GetPacket(m_ring, link, m_header, m_payload.data(), kBufferSize);
      ADD_FAILURE() << "no error";
    } catch (const TextError& e) {
      EXPECT_EQ(e.Text(), c.failure);
    }
    EXPECT_EQ(link.failureTitle, c.title);
    EXPECT_EQ(m_ring.Count(), c.bytes.size());
    EXPECT_EQ(link.resynchronisations, 0);

    TraceRecorder trace;
    link.serialLineUp = true;
    EXPECT_EQ(GetPacket(m_ring, link, m_header, m_payload.data(), kBufferSize), -1);
    EXPECT_EQ(link.resynchronisations, 1);
    EXPECT_EQ(trace.Count(c.traced), 1u);
  }
}

TEST_F(GetPacketTest, ABadChecksumIsReportedToTheUnitBeforeFailing) {
  auto packet = Form({MOUSE, 255, ENCRYPTION_NONE, Pattern(20, 9)}, m_cipher);
  packet.back() ^= 0x01;
  const auto next = Form({KBD, 0, ENCRYPTION_NONE, Pattern(4, 1)}, m_cipher);
  Feed(packet);
  Feed(next);
  TraceRecorder trace;
  EXPECT_EQ(ErrorFromGet(), "Improper data stream -- CRC failed.");
  EXPECT_EQ(m_link.failureTitle, "Improper data stream -- CRC failed.");
  ASSERT_EQ(m_link.reports, 1);
  std::vector<uint8_t> expected(packet.begin(), packet.begin() + 4);
  const auto data = Pattern(20, 9);
  expected.insert(expected.end(), data.begin(), data.end());
  EXPECT_EQ(m_link.report, expected);
  EXPECT_EQ(trace.Count("We have a bad checksum.\n"), 1u);
  EXPECT_EQ(m_ring.Count(), next.size());

  m_ring.Clear();
  Feed(packet);
  m_link.serialLineUp = true;
  EXPECT_EQ(Get(), -1);
  EXPECT_EQ(m_link.resynchronisations, 1);
  EXPECT_EQ(m_link.reports, 1);
  EXPECT_EQ(trace.Count("CRC Error\n"), 1u);
}

// One stream of varied packets must come out the same however it is cut into
// receives.
TEST(GetPacketFraming, CutsTheSamePacketsFromEverySplitOfTheStream) {
  const std::vector<Packet> packets = {
      {KEEP_ALIVE, 30, ENCRYPTION_NONE, {}},
      {PING, 0, ENCRYPTION_NONE, Pattern(4, 7)},
      {TEXT_MSG, 0, ENCRYPTION_BLOWFISH, Pattern(1, 65)},
      {SEGMENT, 0, ENCRYPTION_TRIPLE_DES, Pattern(50000, 3)},
      {REPAINT, 0, ENCRYPTION_TRIPLE_DES, {}},
      {KBD, 0, ENCRYPTION_TRIPLE_DES, Pattern(17, 200)},
      {SERVER_CONFIG_DATA, 1, ENCRYPTION_BLOWFISH, Pattern(9000, 11)},
      {MOUSE, 255, ENCRYPTION_NONE, Pattern(59996, 5)},
      {DISCONNECT, 0, ENCRYPTION_BLOWFISH, {}},
  };
  PayloadCipher cipher;
  std::vector<uint8_t> stream;
  for (const Packet& p : packets) {
    const auto bytes = Form(p, cipher);
    stream.insert(stream.end(), bytes.begin(), bytes.end());
  }

  for (size_t chunk :
       {size_t{1}, size_t{2}, size_t{3}, size_t{7}, size_t{50}, size_t{4096}, stream.size()}) {
    SCOPED_TRACE(chunk);
    RingBuffer ring;
    RecordingReceiveLink link(ring);
    PacketHeader header;
    std::vector<uint8_t> payload(60000);
    std::vector<Packet> received;
    size_t offset = 0;
    while (offset < stream.size()) {
      // A receive larger than the room left goes in as pieces that fit.
      size_t n = std::min({chunk, stream.size() - offset, ring.FreeSpace()});
      ring.Write(stream.data() + offset, n);
      offset += n;
      int32_t length;
      while ((length = GetPacket(ring, link, header, payload.data(), 60000)) >= 0) {
        ASSERT_EQ(length, header.PayloadSize);
        const Packet& sent = packets.at(received.size());
        cipher.SetSessionCipher(sent.cipher);
        if (header.encrypted) cipher.DecryptPayload(payload.data(), length, header);
        received.push_back({header.type,
                            header.subtype,
                            sent.cipher,
                            {payload.begin(), payload.begin() + header.DataSize}});
      }
    }
    EXPECT_TRUE(ring.IsEmpty());
    ASSERT_EQ(received.size(), packets.size());
    for (size_t i = 0; i < packets.size(); ++i) {
      EXPECT_EQ(received[i].type, packets[i].type) << i;
      EXPECT_EQ(received[i].subtype, packets[i].subtype) << i;
      EXPECT_EQ(received[i].data, packets[i].data) << i;
    }
    EXPECT_EQ(link.resynchronisations + link.reports, 0);
  }
}
