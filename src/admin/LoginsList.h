#pragma once
// The unit's login accounts as the viewer holds them between the USERS_LIST
// that brought them and the one that sends them back: one list shared by the
// packet reader, the security page and the user details checks.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace admin {

// Slots the list has room for, and accounts an administrator may create.
inline constexpr size_t LOGIN_SLOTS = 128;
inline constexpr size_t MAX_ACCOUNTS = 127;
// Slot sizes, each with its terminating zero.
inline constexpr size_t USER_ID_SLOT = 41;
inline constexpr size_t PASSWORD_SLOT = 41;
inline constexpr size_t DIALBACK_SLOT = 21;
inline constexpr size_t IP_MASK_SLOT = 16;

inline constexpr int32_t PRIVILEGE_ADMINISTRATOR = 0;
inline constexpr int32_t PRIVILEGE_USER = 1;
// A dialback number of "#" means none.
inline constexpr const char* NO_DIALBACK = "#";

struct LoginAccount {
  std::string userId;
  std::string password;
  std::string dialback = NO_DIALBACK;
  std::string ipMask = "0.0.0.0";
  int32_t privilege = PRIVILEGE_USER;
  // The viewer holds a new password for the account.
  bool passwordChanged = false;

  bool IsAdministrator() const { return privilege == PRIVILEGE_ADMINISTRATOR; }
  bool operator==(const LoginAccount&) const = default;
};

class LoginsList {
 public:
  const std::vector<LoginAccount>& Accounts() const { return m_accounts; }
  size_t Count() const { return m_accounts.size(); }
  const LoginAccount& At(size_t index) const { return m_accounts.at(index); }
  LoginAccount& At(size_t index) { return m_accounts.at(index); }

  // Throws when every slot is in use.
  void Append(LoginAccount account);
  // Later accounts move down by one.
  void Remove(size_t index);
  void Clear() { m_accounts.clear(); }
  size_t CountAdministrators() const;
  // The account whose ID equals id ignoring case; Count() when none.
  size_t Find(const std::string& id) const;

  bool operator==(const LoginsList&) const = default;

 private:
  std::vector<LoginAccount> m_accounts;
};

// The dialback number as the security page shows it: empty for none.
std::string ShownDialback(const std::string& dialback);

}  // namespace admin
