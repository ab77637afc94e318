#include "session/LoginCrypto.h"

// The unit derives its triple-DES keys with DES's two-key string-to-key
// function, which OpenSSL 3 keeps only in its deprecated interface.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>
#include <openssl/evp.h>

#include <cstring>

#include "platform/TextError.h"
#include "platform/Trace.h"

namespace session {
namespace {

PayloadCipher::DesKey ToKey(const DES_cblock& block) {
  PayloadCipher::DesKey key;
  std::memcpy(key.data(), block, key.size());
  return key;
}

}  // namespace

LoginKeys DeriveLoginKeys(std::string_view password) {
  LoginKeys keys;
  unsigned int digestLength = 0;
  if (EVP_Digest(password.data(), password.size(), keys.blowfish.data(), &digestLength, EVP_sha1(),
                 nullptr) != 1 ||
      digestLength != keys.blowfish.size())
    throw TextError("SHA-1 of the password failed.");

  const std::string digestText(
      reinterpret_cast<const char*>(keys.blowfish.data()),
      strnlen(reinterpret_cast<const char*>(keys.blowfish.data()), keys.blowfish.size()));
  DES_cblock block1, block2;
  DES_string_to_2keys(digestText.c_str(), &block1, &block2);
  keys.key1 = ToKey(block1);
  keys.key2 = ToKey(block2);
  for (size_t i = 0; i < keys.key3.size(); ++i) keys.key3[i] = keys.key1[i] ^ keys.key2[i];
  keys.key1[7] = keys.key2[7] = keys.key3[7] = 0;
  return keys;
}

size_t EncryptRandomString(uint8_t* output, size_t outputSize, const uint8_t* text,
                           size_t textLength, std::string_view password, PayloadCipher& cipher) {
  const std::string_view shown(reinterpret_cast<const char*>(text),
                               strnlen(reinterpret_cast<const char*>(text), textLength));
  Trace("Encrypting rand string %.*s\n", static_cast<int>(shown.size()), shown.data());

  const LoginKeys keys = DeriveLoginKeys(password);
  Trace("Hex form of sha-1 used to set BF key: %s\n",
        BinToHex(keys.blowfish.data(), keys.blowfish.size()).c_str());
  cipher.SetKeys(keys.blowfish, keys.key1, keys.key2, keys.key3);

  const size_t answerLength = PaddedSize(textLength);
  if (answerLength > outputSize)
    throw TextError("Error in EncryptRandomString():\nOutput buffer too small.");
  std::memset(output, 0, answerLength);
  std::memcpy(output, text, textLength);
  cipher.BlowfishEncryptBlocks(output, answerLength);
  return answerLength;
}

std::string BinToHex(const uint8_t* data, size_t length) {
  if (length > CHALLENGE_OUTPUT_SIZE) throw TextError("BinToHex, data too long.");
  static constexpr char DIGITS[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * length);
  for (size_t i = 0; i < length; ++i) {
    hex += DIGITS[data[i] >> 4];
    hex += DIGITS[data[i] & 0x0F];
  }
  return hex;
}

}  // namespace session
