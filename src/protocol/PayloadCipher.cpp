#include "protocol/PayloadCipher.h"

// The wire format needs Blowfish's and DES's single-block primitives, which
// OpenSSL 3 keeps only in its deprecated low-level interface.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>
#include <openssl/des.h>

#include <cstring>

#include "platform/Format.h"
#include "platform/TextError.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"

struct PayloadCipher::Keys {
  BF_KEY blowfish;
  DES_key_schedule des1, des2, des3;
  DES_cblock feedbackStart;
};

PayloadCipher::PayloadCipher() : m_keys(std::make_unique<Keys>()) {
  const std::array<uint8_t, 20> noKey{};
  SetKeys(noKey, DesKey{}, DesKey{}, DesKey{});
}

PayloadCipher::~PayloadCipher() = default;

void PayloadCipher::SetKeys(std::span<const uint8_t> blowfishKey, const DesKey& key1,
                            const DesKey& key2, const DesKey& key3) {
  BF_set_key(&m_keys->blowfish, static_cast<int>(blowfishKey.size()), blowfishKey.data());
  DES_cblock block;
  std::memcpy(block, key1.data(), sizeof block);
  DES_set_key_unchecked(&block, &m_keys->des1);
  std::memcpy(block, key2.data(), sizeof block);
  DES_set_key_unchecked(&block, &m_keys->des2);
  std::memcpy(block, key3.data(), sizeof block);
  DES_set_key_unchecked(&block, &m_keys->des3);
  std::memcpy(m_keys->feedbackStart, key3.data(), sizeof m_keys->feedbackStart);
}

int PayloadCipher::CipherFor(const PacketHeader& header, bool decrypting) const {
  const int session = m_sessionCipher;
  // The user list never travels in plain: before login it uses the cipher the
  // unit named for it. Only the unit's own lists (subtype 1) arrive that way.
  if (header.type == USERS_LIST && session == ENCRYPTION_NONE &&
      (!decrypting || header.subtype == 1))
    return m_types.GetSpecial();
  return session;
}

void PayloadCipher::EncryptPayload(std::span<uint8_t> buffer, PacketHeader& header) const {
  const int cipher = CipherFor(header, false);
  const size_t dataSize = header.DataSize;
  header.encrypted = 0;
  switch (cipher) {
    case 10:
    case ENCRYPTION_NONE:
      header.PayloadSize = header.DataSize;
      return;
    case ENCRYPTION_TRIPLE_DES:
    case ENCRYPTION_BLOWFISH:
      break;
    default:
      throw TextError(Format("Unsupported encryption standard in EncryptPayload() : %d.",
                             m_sessionCipher.load()));
  }
  const size_t padded = PaddedSize(dataSize);
  if (buffer.size() < padded)
    throw TextError(Format("Payload buffer of %zu bytes cannot hold %zu encrypted bytes.",
                           buffer.size(), padded));
  if (cipher == ENCRYPTION_TRIPLE_DES)
    TripleDes(buffer.data(), padded, true);
  else
    BlowfishEncryptBlocks(buffer.data(), padded);
  header.PayloadSize = static_cast<uint16_t>(padded);
  header.encrypted = 1;
}

void PayloadCipher::DecryptPayload(uint8_t* payload, size_t length,
                                   const PacketHeader& header) const {
  const int cipher = CipherFor(header, true);
  const size_t size = header.PayloadSize;
  switch (cipher) {
    case 10:
    case ENCRYPTION_NONE:
      return;
    case ENCRYPTION_TRIPLE_DES:
    case ENCRYPTION_BLOWFISH:
      break;
    default:
      throw TextError(Format("Unsupported encryption standard in DecryptPayload() : %d.",
                             m_sessionCipher.load()));
  }
  if (size > length)
    throw TextError(
        Format("Encrypted payload size %zu exceeds the %zu bytes received.", size, length));
  if (cipher == ENCRYPTION_TRIPLE_DES) {
    TripleDes(payload, size, false);
    return;
  }
  if (size % CIPHER_BLOCK_SIZE != 0)
    throw TextError(
        Format("Encrypted payload size %zu is not a whole number of 8-byte blocks.", size));
  BlowfishDecryptBlocks(payload, size);
}

namespace {
// Each block is two 32-bit words in little-endian byte order, first word left.
template <class Primitive>
void ForEachBlowfishBlock(uint8_t* data, size_t length, Primitive primitive) {
  for (size_t offset = 0; offset + CIPHER_BLOCK_SIZE <= length; offset += CIPHER_BLOCK_SIZE) {
    BF_LONG words[2] = {LoadLE32(data + offset), LoadLE32(data + offset + 4)};
    primitive(words);
    StoreLE32(data + offset, static_cast<uint32_t>(words[0]));
    StoreLE32(data + offset + 4, static_cast<uint32_t>(words[1]));
  }
}
}  // namespace

void PayloadCipher::BlowfishEncryptBlocks(uint8_t* data, size_t length) const {
  ForEachBlowfishBlock(data, length, [&](BF_LONG* words) { BF_encrypt(words, &m_keys->blowfish); });
}

void PayloadCipher::BlowfishDecryptBlocks(uint8_t* data, size_t length) const {
  ForEachBlowfishBlock(data, length, [&](BF_LONG* words) { BF_decrypt(words, &m_keys->blowfish); });
}

void PayloadCipher::TripleDes(uint8_t* data, size_t length, bool encrypting) const {
  // Every packet starts its feedback afresh, so a lost packet spoils only itself.
  DES_cblock feedback;
  std::memcpy(feedback, m_keys->feedbackStart, sizeof feedback);
  int position = 0;
  DES_ede3_cfb64_encrypt(data, data, static_cast<long>(length), &m_keys->des1, &m_keys->des2,
                         &m_keys->des3, &feedback, &position,
                         encrypting ? DES_ENCRYPT : DES_DECRYPT);
}
