#pragma once
// The user details dialog's rules, without the dialog: what an administrator
// may set on one account, each rule's text as the dialog shows it, and the
// changes to the logins list that the security page makes. A page or a
// command line fills UserDetails, asks for the first broken rule, and applies
// the details only when there is none.

#include <array>
#include <optional>
#include <string>

#include "admin/LoginsList.h"

namespace admin {

inline constexpr size_t MAX_TYPED_CHARACTERS = 16;
inline constexpr size_t IP_MASK_PART_CHARACTERS = 3;
// The characters each field accepts.
inline constexpr const char* USER_ID_MARKS = "~!@#$%^&*()_+|-=\\;:'\"<>?,.";
inline constexpr const char* DIALBACK_CHARACTERS = "0123456789 -,";
inline constexpr const char* IP_MASK_CHARACTERS = "0123456789*";

struct UserDetails {
  std::string userId;
  // Absent: the account keeps its stored password.
  std::optional<std::string> password;
  std::optional<std::string> confirmation;
  // Empty for none.
  std::string dialback;
  std::array<std::string, 4> ipMask{"*", "*", "*", "*"};
  bool administrator = false;
};

// The details as the dialog opens them for an existing account.
UserDetails DetailsOf(const LoginAccount& account);
// An IP mask as the four parts the dialog shows; throws when it is not four
// dotted parts.
std::array<std::string, 4> IpMaskParts(const std::string& mask);

// The first broken rule's text, empty when every rule passes. editing is the
// index of the account being edited, none for a new one.
std::string CheckUserDetails(const LoginsList& list, std::optional<size_t> editing,
                             const UserDetails& details);
// The text for one IP mask part, empty when it is good.
std::string CheckIpMaskPart(const std::string& part);

// Adds or edits the account after checking every rule; throws the first
// broken rule's text and leaves the list as it was.
void ApplyUserDetails(LoginsList& list, std::optional<size_t> editing, const UserDetails& details);

// The security page's refusals, empty when the action may go ahead.
std::string CheckAdd(const LoginsList& list, const std::string& unitName);
std::string CheckRemove(const LoginsList& list, size_t index);

}  // namespace admin
