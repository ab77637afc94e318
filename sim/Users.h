#pragma once
// The unit's user accounts, read from a small text file:
//   one account per line, "name:password:admin" or "name:password:user";
//   blank lines and lines starting with '#' are ignored.

#include <optional>
#include <string>
#include <vector>

namespace sim {

struct User {
  std::string name;
  std::string password;
  bool admin = false;
};

class UserList {
 public:
  static UserList Default();  // one administrator, admin / admin
  // Throws std::runtime_error naming the line that is wrong.
  static UserList Parse(const std::string& text);
  static UserList Load(const std::string& path);

  const User* Find(const std::string& name) const;
  const std::vector<User>& All() const { return m_users; }

 private:
  std::vector<User> m_users;
};

}  // namespace sim
