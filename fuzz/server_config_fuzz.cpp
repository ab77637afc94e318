// The unit's configuration document as SERVER_CONFIG_DATA brings it. Input:
// the subtype, DataSize (16-bit), then the payload. The text handed on never
// holds more than the packet's meaningful bytes (plain) or the declared
// length (compressed), and a bad document fails only with a text.

#include <vector>

#include "FuzzSupport.h"
#include "admin/ServerConfigData.h"
#include "platform/TextError.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallFormattingSink();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  PacketHeader header(SERVER_CONFIG_DATA, input.Byte());
  header.DataSize = input.Word();
  const auto rest = input.Rest();
  // Exactly the payload's bytes, so a read past them is seen.
  const std::vector<uint8_t> payload(rest.begin(), rest.end());
  const size_t meaningful = std::min<size_t>(header.DataSize, payload.size());
  try {
    const std::string text = admin::HandleServerConfigData(header, payload.data(), payload.size());
    if (header.subtype == 1) {
      fuzz::Require(meaningful >= 4, "compressed document accepted without its length");
      fuzz::Require(text.size() <= LoadLE32(payload.data()), "more text than declared");
      fuzz::Require(text.size() <= static_cast<size_t>(admin::MAX_SERVER_CONFIG_LENGTH),
                    "document over the limit");
    } else {
      fuzz::Require(text.size() <= meaningful, "plain text longer than the packet's data");
      fuzz::Require(text.find('\0') == std::string::npos, "plain text runs past its terminator");
    }
  } catch (const TextError&) {
    fuzz::Require(header.subtype == 1, "a plain document was refused");
  }
  return 0;
}
