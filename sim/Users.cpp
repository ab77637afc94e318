#include "Users.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sim {

UserList UserList::Default() {
  UserList list;
  list.m_users.push_back({"admin", "admin", true});
  return list;
}

UserList UserList::Parse(const std::string& text) {
  UserList list;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const auto first = line.find(':');
    const auto last = line.rfind(':');
    const std::string where = "users file line " + std::to_string(number) + ": ";
    if (first == std::string::npos || first == last || first == 0)
      throw std::runtime_error(where + "expected name:password:admin|user");
    const std::string role = line.substr(last + 1);
    if (role != "admin" && role != "user")
      throw std::runtime_error(where + "the role must be admin or user, not '" + role + "'");
    User user{line.substr(0, first), line.substr(first + 1, last - first - 1), role == "admin"};
    if (user.name.size() > 100) throw std::runtime_error(where + "name longer than 100");
    if (list.Find(user.name)) throw std::runtime_error(where + "duplicate name " + user.name);
    list.m_users.push_back(std::move(user));
  }
  if (list.m_users.empty()) throw std::runtime_error("users file holds no account");
  return list;
}

UserList UserList::Load(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read users file " + path);
  std::ostringstream text;
  text << file.rdbuf();
  return Parse(text.str());
}

const User* UserList::Find(const std::string& name) const {
  for (const auto& user : m_users)
    if (user.name == name) return &user;
  return nullptr;
}

}  // namespace sim
