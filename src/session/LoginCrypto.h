#pragma once
// The password never travels: the unit's challenge goes back encrypted under a
// Blowfish key made from the password's SHA-1 digest, and the same digest
// gives the session's triple-DES keys.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/PayloadCipher.h"

namespace session {

// The challenge answer's buffer: a longer challenge is refused.
inline constexpr size_t CHALLENGE_OUTPUT_SIZE = 200;

struct LoginKeys {
  std::array<uint8_t, 20> blowfish{};  // the SHA-1 digest of the password
  PayloadCipher::DesKey key1{}, key2{}, key3{};
};

// The keys one password gives. The DES keys come from the digest read as a
// text (up to its first zero byte), key 3 = key 1 XOR key 2, and byte 7 of
// each is cleared.
LoginKeys DeriveLoginKeys(std::string_view password);

// Installs the password's keys in cipher, then encrypts the text (zero-padded
// to whole 8-byte blocks) into output with Blowfish. Returns the answer's
// length, the text length rounded up to a multiple of 8. Throws TextError when
// the answer would not fit outputSize.
size_t EncryptRandomString(uint8_t* output, size_t outputSize, const uint8_t* text,
                           size_t textLength, std::string_view password, PayloadCipher& cipher);

// Lower-case hexadecimal, two digits per byte. Throws TextError for more than
// CHALLENGE_OUTPUT_SIZE bytes.
std::string BinToHex(const uint8_t* data, size_t length);

}  // namespace session
