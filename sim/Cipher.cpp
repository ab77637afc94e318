#include "Cipher.h"

#include <openssl/sha.h>

#include <cstring>
#include <stdexcept>

namespace sim {

SessionKeys SessionKeys::FromPassword(const std::string& password) {
  SessionKeys keys;
  unsigned char digest[SHA_DIGEST_LENGTH];
  SHA1(reinterpret_cast<const unsigned char*>(password.data()), password.size(), digest);
  BF_set_key(&keys.m_blowfish, SHA_DIGEST_LENGTH, digest);

  // The DES keys come from the digest read as a C string, so it stops at its first zero.
  char text[SHA_DIGEST_LENGTH + 1] = {};
  std::memcpy(text, digest, SHA_DIGEST_LENGTH);
  DES_cblock key1, key2;
  DES_string_to_2keys(text, &key1, &key2);
  for (int i = 0; i < 8; ++i) keys.m_key3[i] = key1[i] ^ key2[i];
  key1[7] = key2[7] = keys.m_key3[7] = 0;
  DES_set_key_unchecked(&key1, &keys.m_des[0]);
  DES_set_key_unchecked(&key2, &keys.m_des[1]);
  DES_set_key_unchecked(&keys.m_key3, &keys.m_des[2]);
  return keys;
}

Bytes SessionKeys::ChallengeAnswer(const std::string& challenge) const {
  Bytes block(challenge.begin(), challenge.end());
  block.resize((challenge.size() + 1 + 7) / 8 * 8, 0);
  Blowfish(block, BF_ENCRYPT);
  return block;
}

void SessionKeys::Blowfish(Bytes& data, int direction) const {
  for (std::size_t at = 0; at + 8 <= data.size(); at += 8) {
    BF_LONG words[2] = {GetLe32(&data[at]), GetLe32(&data[at + 4])};
    if (direction == BF_ENCRYPT)
      BF_encrypt(words, &m_blowfish);
    else
      BF_decrypt(words, &m_blowfish);
    SetLe32(&data[at], words[0]);
    SetLe32(&data[at + 4], words[1]);
  }
}

void SessionKeys::TripleDes(Bytes& data, int direction) const {
  // Every packet starts its feedback afresh from key 3.
  DES_cblock feedback;
  std::memcpy(feedback, m_key3, sizeof feedback);
  int position = 0;
  // The call takes the schedules as mutable though it only reads them.
  DES_key_schedule schedules[3] = {m_des[0], m_des[1], m_des[2]};
  DES_ede3_cfb64_encrypt(data.data(), data.data(), static_cast<long>(data.size()), &schedules[0],
                         &schedules[1], &schedules[2], &feedback, &position, direction);
}

void SessionKeys::Encrypt(int cipher, Bytes& data) const {
  switch (cipher) {
    case 10:
    case CIPHER_NONE:
      return;
    case CIPHER_TRIPLE_DES:
      return TripleDes(data, DES_ENCRYPT);
    case CIPHER_BLOWFISH:
      return Blowfish(data, BF_ENCRYPT);
  }
  throw std::runtime_error("cannot encrypt with cipher " + std::to_string(cipher));
}

void SessionKeys::Decrypt(int cipher, Bytes& data) const {
  switch (cipher) {
    case 10:
    case CIPHER_NONE:
      return;
    case CIPHER_TRIPLE_DES:
      return TripleDes(data, DES_DECRYPT);
    case CIPHER_BLOWFISH:
      return Blowfish(data, BF_DECRYPT);
  }
  throw std::runtime_error("cannot decrypt with cipher " + std::to_string(cipher));
}

std::size_t PaddedSize(int cipher, std::size_t n) {
  return cipher == CIPHER_TRIPLE_DES || cipher == CIPHER_BLOWFISH ? (n + 7) / 8 * 8 : n;
}

}  // namespace sim
