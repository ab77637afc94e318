#include "admin/UserDetails.h"

#include <algorithm>
#include <cctype>

#include "platform/TextError.h"

namespace admin {
namespace {

constexpr int MAX_MASK_PART = 255;

std::string UserIdCharacters() {
  std::string set = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  return set + USER_ID_MARKS;
}

std::string PasswordCharacters() { return UserIdCharacters() + "/"; }

// What a masked field refuses as it is typed: a character outside its set, or
// more than it holds.
std::string CheckTyped(const std::string& label, const std::string& text, const std::string& set,
                       size_t limit) {
  if (text.find_first_not_of(set) != std::string::npos) return "Must be one of: " + set;
  if (text.size() > limit)
    return label + " holds at most " + std::to_string(limit) + " characters.";
  return {};
}

std::string CheckUserId(const LoginsList& list, std::optional<size_t> editing,
                        const std::string& id) {
  if (id.empty()) return "User ID may not be blank.";
  if (std::string typed = CheckTyped("User ID", id, UserIdCharacters(), MAX_TYPED_CHARACTERS);
      !typed.empty())
    return typed;
  const size_t found = list.Find(id);
  if (found != list.Count() && found != editing) return "User ID already present.";
  return {};
}

std::string CheckPassword(const UserDetails& details) {
  if (!details.password && !details.confirmation) return {};
  const std::string password = details.password.value_or("");
  const std::string confirmation = details.confirmation.value_or("");
  for (const std::string* text : {&password, &confirmation})
    if (std::string typed =
            CheckTyped("Password", *text, PasswordCharacters(), MAX_TYPED_CHARACTERS);
        !typed.empty())
      return typed;
  if (password != confirmation) return "Passwords don't match.";
  return {};
}

std::string CheckDialback(const std::string& dialback) {
  if (std::string typed =
          CheckTyped("Dialback Number", dialback, DIALBACK_CHARACTERS, MAX_TYPED_CHARACTERS);
      !typed.empty())
    return typed;
  if (!dialback.empty() && (std::string(",-").find(dialback.front()) != std::string::npos ||
                            std::string(",-").find(dialback.back()) != std::string::npos))
    return "The dialback cannot start or end in a comma or a hyphen.";
  return {};
}

std::string CheckAdministrator(const LoginsList& list, std::optional<size_t> editing,
                               bool administrator) {
  if (!administrator && editing && list.At(*editing).IsAdministrator() &&
      list.CountAdministrators() < 2)
    return "This is the last account with administration privileges. You can't remove the "
           "administrator privilege until you create another account with that privilege.";
  return {};
}

std::string JoinedMask(const std::array<std::string, 4>& parts) {
  if (std::all_of(parts.begin(), parts.end(), [](const std::string& p) { return p.empty(); }))
    return "*.*.*.*";
  return parts[0] + "." + parts[1] + "." + parts[2] + "." + parts[3];
}

}  // namespace

UserDetails DetailsOf(const LoginAccount& account) {
  UserDetails details;
  details.userId = account.userId;
  details.dialback = ShownDialback(account.dialback);
  details.ipMask = IpMaskParts(account.ipMask);
  details.administrator = account.IsAdministrator();
  return details;
}

std::array<std::string, 4> IpMaskParts(const std::string& mask) {
  std::array<std::string, 4> parts;
  size_t start = 0;
  for (size_t i = 0; i < parts.size(); ++i) {
    const size_t dot = mask.find('.', start);
    if ((dot == std::string::npos) != (i == parts.size() - 1))
      throw TextError("The IP mask '" + mask + "' is not four dotted parts.");
    parts[i] = mask.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    start = dot + 1;
  }
  return parts;
}

std::string CheckIpMaskPart(const std::string& part) {
  if (part.empty()) return "The dotted quads should have a number or an asterisk.";
  if (std::string typed =
          CheckTyped("An IP mask part", part, IP_MASK_CHARACTERS, IP_MASK_PART_CHARACTERS);
      !typed.empty())
    return typed;
  if (part == "*") return {};
  if (part.find('*') != std::string::npos) return "Cannot contain * and numbers";
  if (std::stoi(part) > MAX_MASK_PART) return "Must be 0 - 255 or *";
  return {};
}

std::string CheckUserDetails(const LoginsList& list, std::optional<size_t> editing,
                             const UserDetails& details) {
  if (editing && *editing >= list.Count())
    throw TextError("Error in RemoveFromPasswordList(): Index out of range.");
  for (const std::string& text : {CheckUserId(list, editing, details.userId),
                                  CheckPassword(details), CheckDialback(details.dialback)})
    if (!text.empty()) return text;
  // Four empty parts stand for any address; one empty part is a mistake.
  if (JoinedMask(details.ipMask) != "*.*.*.*")
    for (const std::string& part : details.ipMask)
      if (std::string text = CheckIpMaskPart(part); !text.empty()) return text;
  return CheckAdministrator(list, editing, details.administrator);
}

void ApplyUserDetails(LoginsList& list, std::optional<size_t> editing, const UserDetails& details) {
  if (const std::string broken = CheckUserDetails(list, editing, details); !broken.empty())
    throw TextError(broken);
  LoginAccount account = editing ? list.At(*editing) : LoginAccount{};
  account.userId = details.userId;
  if (details.password) {
    account.password = *details.password;
    account.passwordChanged = true;
  }
  account.dialback = details.dialback.empty() ? NO_DIALBACK : details.dialback;
  account.ipMask = JoinedMask(details.ipMask);
  account.privilege = details.administrator ? PRIVILEGE_ADMINISTRATOR : PRIVILEGE_USER;
  if (editing)
    list.At(*editing) = std::move(account);
  else
    list.Append(std::move(account));
}

std::string CheckAdd(const LoginsList& list, const std::string& unitName) {
  if (list.Count() >= MAX_ACCOUNTS)
    return unitName +
           " has the maximum number of accounts.  You must delete some before adding new ones.";
  return {};
}

std::string CheckRemove(const LoginsList& list, size_t index) {
  if (index >= list.Count())
    throw TextError("Error in RemoveFromPasswordList(): Index out of range.");
  if (list.At(index).IsAdministrator() && list.CountAdministrators() < 2)
    return "This is the last administrator account, and there must always be at least one "
           "administrator account, therefore it can't be removed, but it can be renamed.";
  return {};
}

}  // namespace admin
