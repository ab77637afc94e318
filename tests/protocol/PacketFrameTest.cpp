#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/TextError.h"
#include "protocol/Checksum.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketForming.h"
#include "protocol/PacketTypes.h"
#include "support/TraceRecorder.h"

namespace {
std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
}  // namespace

TEST(PacketHeader, HasTheWireLayoutAndParsesBack) {
  PacketHeader header(KBD, 3, 0x1234, 0xABCD);
  header.encrypted = 1;
  header.reserved = 0x5A;
  const auto bytes = header.ToBytes();
  const std::vector<uint8_t> expected{0x71, 0x76, 0x34, 0x12, 0xCD, 0xAB, 20, 3, 1, 0x5A};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), expected);
  EXPECT_EQ(PacketHeader::Parse(bytes.data()), header);
  EXPECT_TRUE(header.HasSignature());
  for (size_t i : {0, 1}) {
    auto damaged = expected;
    damaged[i] ^= 0x20;
    EXPECT_FALSE(PacketHeader::Parse(damaged.data()).HasSignature());
  }
}

TEST(Checksum, IsTheCommonCrc32) {
  const auto abc = Bytes("abc");
  EXPECT_EQ(Checksum(abc.data(), abc.size()), 0x352441C2u);
  const auto digits = Bytes("123456789");
  EXPECT_EQ(Checksum(digits.data(), digits.size()), 0xCBF43926u);
  EXPECT_EQ(Checksum(nullptr, 0), 0u);
}

TEST(PacketTypeName, NamesTheCatalogue) {
  const struct {
    int type;
    const char* name;
  } cases[] = {
      {SEGMENT, "SEGMENT"},
      {KBD_LEDS, "KBD_LEDS"},
      {PING_RESPONSE, "PING_RESPONSE"},
      {CALL_BACK, "CALL_BACK "},
      {USERS_LIST, "USERS_LIST"},
      {REQUEST_SWITCH_SETTINGS, "REQUEST_SWITCH_SETTINGS"},
      {GET_FILE, "Unknown"},
      {SERIAL_READ, "Unknown"},
      {0, "Unknown"},
      {255, "Unknown"},
      {-1, "Unknown"},
  };
  for (const auto& c : cases) EXPECT_STREQ(PacketTypeName(c.type), c.name) << c.type;
}

class FormPacketTest : public ::testing::Test {
 protected:
  PayloadCipher m_cipher;
};

TEST_F(FormPacketTest, AnEmptyPacketIsTheBareHeader) {
  for (int cipher : {ENCRYPTION_NONE, ENCRYPTION_BLOWFISH}) {
    m_cipher.SetSessionCipher(cipher);
    PacketHeader header(REPAINT, 0, 99, 99);
    const uint8_t ignored = 1;
    const auto packet = FormPacket(header, m_cipher, {&ignored, 0}, {nullptr, 5});
    ASSERT_EQ(packet.size(), PACKET_HEADER_SIZE);
    EXPECT_EQ(header.PayloadSize, 0);
    EXPECT_EQ(header.DataSize, 0);
    EXPECT_EQ(PacketHeader::Parse(packet.data()), header);
  }
}

TEST_F(FormPacketTest, SizesFollowTheCipher) {
  const struct {
    int cipher;
    size_t dataSize;
    uint16_t payloadSize;
    uint8_t encrypted;
  } cases[] = {
      {ENCRYPTION_NONE, 1, 5, 0},
      {10, 3, 7, 0},
      {ENCRYPTION_BLOWFISH, 1, 12, 1},
      {ENCRYPTION_BLOWFISH, 16, 20, 1},
      {ENCRYPTION_TRIPLE_DES, 1, 12, 1},
      {ENCRYPTION_TRIPLE_DES, 17, 28, 1},
      {ENCRYPTION_NONE, MAX_PACKET_DATA, MAX_PACKET_DATA + 4, 0},
      {ENCRYPTION_BLOWFISH, MAX_PACKET_DATA, MAX_PACKET_DATA + 4, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cipher << " " << c.dataSize);
    m_cipher.SetSessionCipher(c.cipher);
    const std::vector<uint8_t> data(c.dataSize, 0x42);
    PacketHeader header(KBD, 7);
    const auto packet = FormPacket(header, m_cipher, {data.data(), data.size()});
    EXPECT_EQ(header.DataSize, c.dataSize);
    EXPECT_EQ(header.PayloadSize, c.payloadSize);
    EXPECT_EQ(header.encrypted, c.encrypted);
    ASSERT_EQ(packet.size(), PACKET_HEADER_SIZE + c.payloadSize);
    EXPECT_EQ(PacketHeader::Parse(packet.data()), header);
    const uint8_t* payload = packet.data() + PACKET_HEADER_SIZE;
    const size_t sent = c.payloadSize - PACKET_CHECKSUM_SIZE;
    EXPECT_EQ(LoadLE32(payload + sent), Checksum(payload, sent));
  }
}

TEST_F(FormPacketTest, ConcatenatesTheUsedPiecesInOrder) {
  const auto a = Bytes("ab"), b = Bytes("cde"), c = Bytes("f");
  PacketHeader header(TEXT_MSG, 0);
  const auto packet =
      FormPacket(header, m_cipher, {a.data(), a.size()}, {nullptr, 9}, {b.data(), b.size()});
  EXPECT_EQ(std::string(packet.begin() + PACKET_HEADER_SIZE, packet.end() - 4), "abcde");
  const auto all = FormPacket(header, m_cipher, {a.data(), a.size()}, {b.data(), b.size()},
                              {c.data(), c.size()});
  EXPECT_EQ(std::string(all.begin() + PACKET_HEADER_SIZE, all.end() - 4), "abcdef");
  EXPECT_EQ(header.DataSize, 6);
}

TEST_F(FormPacketTest, FailuresCarryTheSendingTexts) {
  TraceRecorder trace;
  const std::vector<uint8_t> data(10, 1);
  m_cipher.SetSessionCipher(0);
  PacketHeader header(KBD, 0);
  try {
    FormPacket(header, m_cipher, {data.data(), data.size()});
    FAIL();
  } catch (const TextError& e) {
    EXPECT_EQ(e.Text(), "Error sending: Unsupported encryption standard in EncryptPayload() : 0.");
  }
  EXPECT_EQ(header.encrypted, 0);
  EXPECT_EQ(trace.Count("Error sending: Unsupported encryption standard"), 1u);

  // More than a 16-bit PayloadSize can describe is refused, never cut.
  m_cipher.SetSessionCipher(ENCRYPTION_NONE);
  const std::vector<uint8_t> half(MAX_PACKET_DATA / 2 + 1, 1);
  try {
    FormPacket(header, m_cipher, {half.data(), half.size()}, {half.data(), half.size()});
    FAIL();
  } catch (const TextError& e) {
    EXPECT_EQ(e.Text(),
              "Error forming packet in SendPacket.\nThis is commonly caused by passing payload "
              "values by value rather than reference.\n");
  }
  EXPECT_EQ(trace.Count("Error forming packet. \n"), 1u);
}

TEST(ReportSendErrors, WordsWriteFailuresLikeEncryptionFailures) {
  TraceRecorder trace;
  EXPECT_EQ(ReportSendErrors([] { return 3; }), 3);
  try {
    ReportSendErrors([] { throw TextError("error code 10054"); });
    FAIL();
  } catch (const TextError& e) {
    EXPECT_EQ(e.Text(), "Error sending: error code 10054");
  }
  try {
    ReportSendErrors([] { throw 5; });
    FAIL();
  } catch (const TextError& e) {
    EXPECT_EQ(e.Text(), "Unknown error in SendPacket(). \n");
  }
  EXPECT_EQ(trace.Lines(), (std::vector<std::string>{"Error sending: error code 10054\n",
                                                     "Unknown error in SendPacket(). \n"}));
}
