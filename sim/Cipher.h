#pragma once
// Payload ciphers of the session and the password-derived keys they use.

// The low-level block cipher calls are what the wire format is defined by.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>
#include <openssl/des.h>

#include <cstdint>
#include <string>

#include "Bytes.h"

namespace sim {

enum CipherId : int { CIPHER_NONE = 11, CIPHER_TRIPLE_DES = 12, CIPHER_BLOWFISH = 13 };

class SessionKeys {
 public:
  // The keys both sides derive from the password: Blowfish from its SHA-1 digest, three DES
  // keys from the digest taken as a text.
  static SessionKeys FromPassword(const std::string& password);

  // The login answer: the challenge (with its terminating zero) zero-padded to whole blocks,
  // each block Blowfish-encrypted.
  Bytes ChallengeAnswer(const std::string& challenge) const;

  // In place, for a cipher id; NONE (and 10) leave the bytes alone. Block ciphers work on
  // whole 8-byte blocks, so callers pad first. Unknown ids throw std::runtime_error.
  void Encrypt(int cipher, Bytes& data) const;
  void Decrypt(int cipher, Bytes& data) const;

 private:
  void Blowfish(Bytes& data, int direction) const;
  void TripleDes(Bytes& data, int direction) const;

  BF_KEY m_blowfish{};
  DES_key_schedule m_des[3]{};
  DES_cblock m_key3{};
};

// The bytes a cipher puts on the wire for a payload of n bytes.
std::size_t PaddedSize(int cipher, std::size_t n);

}  // namespace sim
