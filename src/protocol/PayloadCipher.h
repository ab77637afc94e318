#pragma once
// The payload cipher of one session: which cipher is in force, the keys the
// login derived, and the set of ciphers with the unit's choices. The session
// controller owns one; every thread that sends or receives reads it.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "protocol/EncryptionTypes.h"
#include "protocol/PacketHeader.h"

inline constexpr size_t CIPHER_BLOCK_SIZE = 8;

// n rounded up to whole cipher blocks.
constexpr size_t PaddedSize(size_t n) {
  return (n + CIPHER_BLOCK_SIZE - 1) / CIPHER_BLOCK_SIZE * CIPHER_BLOCK_SIZE;
}

class PayloadCipher {
 public:
  using DesKey = std::array<uint8_t, 8>;

  PayloadCipher();
  ~PayloadCipher();
  PayloadCipher(const PayloadCipher&) = delete;
  PayloadCipher& operator=(const PayloadCipher&) = delete;

  EncryptionTypes& Types() { return m_types; }
  const EncryptionTypes& Types() const { return m_types; }

  // "NONE" (11) until login; whatever was negotiated afterwards, even an id
  // no cipher answers to, so that sending then fails loudly instead of going
  // out in plain.
  int SessionCipher() const { return m_sessionCipher; }
  void SetSessionCipher(int id) { m_sessionCipher = id; }

  // Installs the keys derived at login. key3 is also where the triple-DES
  // feedback starts for every packet. Schedules are built without parity or
  // weak-key checks, as the unit does.
  void SetKeys(std::span<const uint8_t> blowfishKey, const DesKey& key1, const DesKey& key2,
               const DesKey& key3);

  // Encrypts header.DataSize bytes of buffer in place when the chosen cipher
  // calls for it, and sets the header's encrypted flag and PayloadSize (the
  // padded length). The buffer must hold PaddedSize(DataSize) bytes.
  void EncryptPayload(std::span<uint8_t> buffer, PacketHeader& header) const;
  // Decrypts header.PayloadSize bytes (checksum already removed) in place.
  void DecryptPayload(uint8_t* payload, size_t length, const PacketHeader& header) const;

  // Blowfish over each whole 8-byte block of data in place (a shorter tail
  // stays as it is). The login's challenge answer is made this way.
  void BlowfishEncryptBlocks(uint8_t* data, size_t length) const;

 private:
  struct Keys;

  int CipherFor(const PacketHeader& header, bool decrypting) const;
  void BlowfishDecryptBlocks(uint8_t* data, size_t length) const;
  void TripleDes(uint8_t* data, size_t length, bool encrypting) const;

  EncryptionTypes m_types;
  std::atomic<int> m_sessionCipher{ENCRYPTION_NONE};
  std::unique_ptr<Keys> m_keys;
};
