#pragma once
// The accounts list as it travels in USERS_LIST, both ways: the count (32-bit), then for each
// account six fields, each a length byte and that many bytes of zero-terminated text: name,
// password, "T" or "F" (the viewer holds a new password), dialback number ("#" for none), IP
// mask and privilege in decimal (0 administrator, 1 user).

#include "Bytes.h"
#include "Users.h"

namespace sim {

// The list as the unit sends it; every password-changed field is "F".
Bytes EncodeAccountsList(const UserList& users);

// The payload of a list an administrator sent. An account marked "F" keeps the password the
// unit holds for its name (the viewer may hold a placeholder); a new account or one marked "T"
// takes the password sent. Throws std::runtime_error saying what is malformed or not allowed.
UserList DecodeAccountsList(const Bytes& payload, const UserList& current);

}  // namespace sim
