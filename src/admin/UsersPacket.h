#pragma once
// USERS_LIST both ways: the count, then per account six length-prefixed
// zero-terminated texts (ID, password, password changed, dialback, IP mask,
// privilege). A list that cannot be held exactly as it came is refused, so
// an edit never sends back a list the unit did not send.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "admin/LoginsList.h"
#include "protocol/PacketHeader.h"
#include "protocol/PacketSender.h"

namespace admin {

inline constexpr size_t MAX_USERS_PAYLOAD = 9800;
inline constexpr uint8_t USERS_LIST_SENT_SUBTYPE = 1;

// The list the unit sent (DataSize bounds the meaningful bytes); every
// account's password-changed flag is cleared. Throws TextError naming the fault.
LoginsList ReadUsersList(const PacketHeader& header, const uint8_t* payload, size_t length);

// The payload for list; throws "Too many users in the database.\n" past 9,800
// bytes and a text for a field that does not fit its slot.
std::vector<uint8_t> BuildUsersPayload(const LoginsList& list);

// Sends list as USERS_LIST subtype 1.
void SendUsers(PacketSender& sender, const LoginsList& list);

}  // namespace admin
