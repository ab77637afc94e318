#include <gtest/gtest.h>

#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/TextError.h"
#include "protocol/PacketTypes.h"
#include "protocol/PayloadCipher.h"

namespace {
std::string ErrorText(const std::function<void()>& body) {
  try {
    body();
  } catch (const TextError& e) {
    return e.Text();
  }
  return "(no error)";
}

const PayloadCipher::DesKey KEY1{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0x00};
const PayloadCipher::DesKey KEY2{0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x00};
const PayloadCipher::DesKey KEY3{0x13, 0x57, 0x9B, 0xDF, 0x02, 0x46, 0x8A, 0x00};

class PayloadCipherTest : public ::testing::Test {
 protected:
  PayloadCipherTest() {
    std::vector<uint8_t> blowfishKey(20);
    for (size_t i = 0; i < blowfishKey.size(); ++i) blowfishKey[i] = static_cast<uint8_t>(i * 7);
    m_cipher.SetKeys(blowfishKey, KEY1, KEY2, KEY3);
  }

  // Encrypts data as a packet of the given type would be; returns the payload.
  std::vector<uint8_t> Encrypt(const std::vector<uint8_t>& data, PacketHeader& header) {
    std::vector<uint8_t> buffer(PaddedSize(data.size()), 0);
    std::copy(data.begin(), data.end(), buffer.begin());
    header.DataSize = static_cast<uint16_t>(data.size());
    m_cipher.EncryptPayload(buffer, header);
    buffer.resize(header.PayloadSize);
    return buffer;
  }

  PayloadCipher m_cipher;
};
}  // namespace

TEST(EncryptionTypes, KnowsTheThreeCiphers) {
  EncryptionTypes types;
  EXPECT_EQ(types.Name(11), "NONE");
  EXPECT_EQ(types.Name(12), "TRIPLE DES");
  EXPECT_EQ(types.Name(13), "BLOWFISH");
  EXPECT_EQ(types.Name(10), "Unsupported Encryption Type");
  EXPECT_EQ(types.Name(14), "Unsupported Encryption Type");
  EXPECT_TRUE(EncryptionTypes::IsValid(11));
  EXPECT_FALSE(EncryptionTypes::IsValid(10));
  EXPECT_EQ(EncryptionTypes::Index(13), 2);
  EXPECT_EQ(ErrorText([] { EncryptionTypes::Index(0); }),
            "Attempt to use an unsupported encryption type!");
  EXPECT_EQ(ErrorText([] { EncryptionType(14); }),
            "Attempt to create an unsupported encryption type.");

  EXPECT_FALSE(types.IsOffered(12));
  types.SetOffered(12, true);
  EXPECT_TRUE(types.IsOffered(12));
  EXPECT_FALSE(types.IsOffered(13));
  EXPECT_EQ(ErrorText([&] { types.SetOffered(9, true); }),
            "Attempt to use an unsupported encryption type!");
}

TEST(EncryptionTypes, SpecialTypeIsAbsentUntilSet) {
  EncryptionTypes types;
  EXPECT_EQ(types.GetSpecial(), -1);
  types.SetSpecial(13);
  EXPECT_EQ(types.GetSpecial(), 13);
  EXPECT_EQ(ErrorText([&] { types.SetSpecial(14); }),
            "Attempt to set an unsupported encryption type as the special data encryption type!");
  EXPECT_EQ(types.GetSpecial(), 13);
  types.ClearSpecial();
  EXPECT_EQ(types.GetSpecial(), -1);
}

TEST_F(PayloadCipherTest, RoundTripsEveryLength) {
  for (int cipher : {ENCRYPTION_NONE, ENCRYPTION_TRIPLE_DES, ENCRYPTION_BLOWFISH}) {
    m_cipher.SetSessionCipher(cipher);
    for (size_t length : {0, 1, 7, 8, 9, 16, 17, 1000, 60000}) {
      SCOPED_TRACE(testing::Message() << cipher << " " << length);
      std::vector<uint8_t> data(length);
      for (size_t i = 0; i < length; ++i) data[i] = static_cast<uint8_t>(i * 31 + 5);
      PacketHeader header(KBD, 0);
      auto payload = Encrypt(data, header);
      EXPECT_EQ(header.encrypted, cipher == ENCRYPTION_NONE ? 0 : 1);
      EXPECT_EQ(header.PayloadSize, cipher == ENCRYPTION_NONE ? length : PaddedSize(length));
      if (length >= 8 && cipher != ENCRYPTION_NONE) {
        EXPECT_NE(std::memcmp(payload.data(), data.data(), 8), 0);
      }
      m_cipher.DecryptPayload(payload.data(), payload.size(), header);
      EXPECT_TRUE(std::equal(data.begin(), data.end(), payload.begin()));
    }
  }
}

TEST_F(PayloadCipherTest, BlowfishTakesEachBlockAsTwoLittleEndianWords) {
  // The published all-zero Blowfish vector, 4EF99745 6198DD78, in this word order.
  const std::vector<uint8_t> zeroKey(8, 0);
  m_cipher.SetKeys(zeroKey, KEY1, KEY2, KEY3);
  m_cipher.SetSessionCipher(ENCRYPTION_BLOWFISH);
  PacketHeader header(KBD, 0);
  const auto payload = Encrypt(std::vector<uint8_t>(16, 0), header);
  const std::vector<uint8_t> block{0x45, 0x97, 0xF9, 0x4E, 0x78, 0xDD, 0x98, 0x61};
  EXPECT_EQ(std::vector<uint8_t>(payload.begin(), payload.begin() + 8), block);
  EXPECT_EQ(std::vector<uint8_t>(payload.begin() + 8, payload.end()), block);

  std::vector<uint8_t> challenge(16, 0);
  m_cipher.BlowfishEncryptBlocks(challenge.data(), challenge.size());
  EXPECT_EQ(challenge, payload);
}

TEST_F(PayloadCipherTest, TripleDesIsCfb64RestartingFromKey3EveryPacket) {
  m_cipher.SetSessionCipher(ENCRYPTION_TRIPLE_DES);
  std::vector<uint8_t> data(13);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(0xA0 + i);

  // Cipher feedback by hand: each keystream block is the EDE encryption of the
  // previous ciphertext block, the first one of key 3.
  DES_key_schedule s1, s2, s3;
  DES_cblock key;
  std::memcpy(key, KEY1.data(), 8);
  DES_set_key_unchecked(&key, &s1);
  std::memcpy(key, KEY2.data(), 8);
  DES_set_key_unchecked(&key, &s2);
  std::memcpy(key, KEY3.data(), 8);
  DES_set_key_unchecked(&key, &s3);
  std::vector<uint8_t> expected(16, 0);
  std::copy(data.begin(), data.end(), expected.begin());
  DES_cblock feedback;
  std::memcpy(feedback, KEY3.data(), 8);
  for (size_t block = 0; block < 2; ++block) {
    DES_cblock keystream;
    DES_ecb3_encrypt(&feedback, &keystream, &s1, &s2, &s3, DES_ENCRYPT);
    for (size_t i = 0; i < 8; ++i) expected[block * 8 + i] ^= keystream[i];
    std::memcpy(feedback, expected.data() + block * 8, 8);
  }

  PacketHeader first(KBD, 0), second(MOUSE, 255);
  EXPECT_EQ(Encrypt(data, first), expected);
  EXPECT_EQ(Encrypt(data, second), expected);
}

TEST_F(PayloadCipherTest, UsersListUsesTheSpecialTypeWhileTheSessionIsPlain) {
  const std::vector<uint8_t> data(12, 0x33);
  PacketHeader list(USERS_LIST, 1);
  EXPECT_EQ(ErrorText([&] { Encrypt(data, list); }),
            "Unsupported encryption standard in EncryptPayload() : 11.");
  EXPECT_EQ(list.encrypted, 0);

  m_cipher.Types().SetSpecial(ENCRYPTION_BLOWFISH);
  auto payload = Encrypt(data, list);
  EXPECT_EQ(list.encrypted, 1);
  EXPECT_EQ(list.PayloadSize, 16);

  // The unit's list (subtype 1) is decrypted with the special type; any other
  // subtype is left as it came.
  PacketHeader other = list;
  other.subtype = 0;
  auto untouched = payload;
  m_cipher.DecryptPayload(untouched.data(), untouched.size(), other);
  EXPECT_EQ(untouched, payload);
  m_cipher.DecryptPayload(payload.data(), payload.size(), list);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), payload.begin()));

  // Once the session has a cipher of its own, the list uses it.
  m_cipher.SetSessionCipher(ENCRYPTION_TRIPLE_DES);
  PacketHeader sessionList(USERS_LIST, 1);
  const auto viaSession = Encrypt(data, sessionList);
  PacketHeader kbd(KBD, 1);
  EXPECT_EQ(viaSession, Encrypt(data, kbd));
}

TEST_F(PayloadCipherTest, UnsupportedCiphersAndMalformedPayloadsAreRefused) {
  std::vector<uint8_t> buffer(16, 0);
  PacketHeader header(KBD, 0, 16, 16);
  m_cipher.SetSessionCipher(0);
  EXPECT_EQ(ErrorText([&] { m_cipher.EncryptPayload(buffer, header); }),
            "Unsupported encryption standard in EncryptPayload() : 0.");
  EXPECT_EQ(ErrorText([&] { m_cipher.DecryptPayload(buffer.data(), buffer.size(), header); }),
            "Unsupported encryption standard in DecryptPayload() : 0.");
  PacketHeader list(USERS_LIST, 1, 16, 16);
  m_cipher.SetSessionCipher(ENCRYPTION_NONE);
  EXPECT_EQ(ErrorText([&] { m_cipher.DecryptPayload(buffer.data(), buffer.size(), list); }),
            "Unsupported encryption standard in DecryptPayload() : 11.");

  // Sizes from the wire are never trusted beyond the bytes present.
  m_cipher.SetSessionCipher(ENCRYPTION_BLOWFISH);
  PacketHeader tooLong(KBD, 0, 24, 20);
  EXPECT_EQ(ErrorText([&] { m_cipher.DecryptPayload(buffer.data(), buffer.size(), tooLong); }),
            "Encrypted payload size 24 exceeds the 16 bytes received.");
  PacketHeader ragged(KBD, 0, 13, 13);
  EXPECT_EQ(ErrorText([&] { m_cipher.DecryptPayload(buffer.data(), buffer.size(), ragged); }),
            "Encrypted payload size 13 is not a whole number of 8-byte blocks.");
  PacketHeader noRoom(KBD, 0, 0, 17);
  EXPECT_EQ(ErrorText([&] { m_cipher.EncryptPayload(buffer, noRoom); }),
            "Payload buffer of 16 bytes cannot hold 24 encrypted bytes.");
}
