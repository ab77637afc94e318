// USERS_LIST from the unit. Input: the DataSize (16-bit), then the payload. A
// list is either refused with a text or held exactly: built again it reads
// back as the same list.

#include <vector>

#include "FuzzSupport.h"
#include "admin/UsersPacket.h"
#include "platform/TextError.h"
#include "protocol/PacketTypes.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallFormattingSink();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  PacketHeader header(USERS_LIST, 0);
  header.DataSize = input.Word();
  const auto rest = input.Rest();
  // Exactly the payload's bytes, so a read past them is seen.
  const std::vector<uint8_t> payload(rest.begin(), rest.end());
  admin::LoginsList list;
  try {
    list = admin::ReadUsersList(header, payload.data(), payload.size());
  } catch (const TextError&) {
    return 0;
  }
  fuzz::Require(list.Count() <= admin::LOGIN_SLOTS, "more accounts than slots");
  std::vector<uint8_t> built;
  try {
    built = admin::BuildUsersPayload(list);
  } catch (const TextError& e) {
    fuzz::Require(e.Text() == "Too many users in the database.\n", "a held list cannot be built");
    return 0;
  }
  PacketHeader back(USERS_LIST, 1);
  back.DataSize = static_cast<uint16_t>(built.size());
  fuzz::Require(admin::ReadUsersList(back, built.data(), built.size()) == list,
                "a list built again reads back different");
  return 0;
}
