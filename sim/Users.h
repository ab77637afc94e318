#pragma once
// The unit's user accounts, read from a small text file, one account per line:
//   "name:password:role" or "name:password:role:dialback:ipmask", role "admin" or "user";
//   blank lines and lines starting with '#' are ignored. The password may hold ':'.
// The same list travels to and from an administrator's viewer (AccountsList.h).

#include <string>
#include <vector>

namespace sim {

struct User {
  std::string name;
  std::string password;
  bool admin = false;
  std::string dialback;            // empty: the account is never called back
  std::string ipMask = "*.*.*.*";  // where the account may connect from
};

class UserList {
 public:
  static constexpr std::size_t MAX_ACCOUNTS = 127;

  // admin / admin (administrator), operator / operator and night / shift.
  static UserList Default();
  // Throws std::runtime_error naming the line that is wrong.
  static UserList Parse(const std::string& text);
  static UserList Load(const std::string& path);
  // A list an administrator sent: every field must fit its slot in the unit's table, names
  // must differ even ignoring case, and one account at least must be an administrator.
  // Throws std::runtime_error saying what is wrong.
  static UserList FromAdministrator(std::vector<User> users);

  // The file form, as Parse reads it.
  std::string Format() const;
  // Replaces the file whole (a new file renamed over it), so a crash never leaves half a list.
  void Save(const std::string& path) const;

  const User* Find(const std::string& name) const;
  const std::vector<User>& All() const { return m_users; }

 private:
  std::vector<User> m_users;
};

}  // namespace sim
