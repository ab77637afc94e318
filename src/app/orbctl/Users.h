#pragma once
// orbctl users: the unit's login accounts. The unit sends its list after an
// administrator logs in; an edit applies the user details rules to that list
// and sends the whole list back, or sends nothing when a rule is broken.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "HeadlessClient.h"
#include "admin/UserDetails.h"

namespace orbctl {

struct UsersRequest {
  enum class Action { List, Add, Remove, Passwd };
  Action action = Action::List;
  std::string userId;
  std::optional<std::string> password;
  std::optional<std::string> dialback;
  std::optional<std::string> ipMask;
  bool administrator = false;
};

// list | add ID --new-password PW [--dialback N] [--ip-mask M] [--admin] |
// remove ID | passwd ID PW. Throws UsageError.
UsersRequest ParseUsersArguments(const std::vector<std::string>& arguments);

// Throws UsageError for a broken rule (nothing sent), TextError for the link.
void RunUsers(HeadlessClient& client, const UsersRequest& request, std::ostream& out);

// The list as the security page shows it, a header and one row per account.
void PrintUsers(const admin::LoginsList& list, std::ostream& out);

}  // namespace orbctl
