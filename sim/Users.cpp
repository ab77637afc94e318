#include "Users.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sim {

namespace {

constexpr std::size_t MAX_FIELD = 100;

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const auto end = line.find(separator, start);
    fields.push_back(line.substr(start, end - start));
    if (end == std::string::npos) return fields;
    start = end + 1;
  }
}

bool IsRole(const std::string& text) { return text == "admin" || text == "user"; }

std::string Lower(std::string text) {
  for (auto& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool IsMaskPart(const std::string& part) {
  if (part == "*") return true;
  if (part.empty() || part.size() > 3) return false;
  if (!std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  return std::stoi(part) <= 255;
}

void CheckFields(const User& user) {
  const std::string who = "account '" + user.name + "': ";
  if (user.name.empty()) throw std::runtime_error("an account has no name");
  // Each field of the accounts list travels behind a length byte.
  if (user.name.size() > MAX_FIELD || user.password.size() > MAX_FIELD ||
      user.dialback.size() > MAX_FIELD)
    throw std::runtime_error(who + "name, password or dialback longer than " +
                             std::to_string(MAX_FIELD));
  if (user.dialback.find_first_not_of("0123456789 -,") != std::string::npos)
    throw std::runtime_error(who + "a dialback number holds digits, blanks, '-' and ',' only");
  const auto parts = Split(user.ipMask, '.');
  if (parts.size() != 4 || !std::all_of(parts.begin(), parts.end(), IsMaskPart))
    throw std::runtime_error(who + "the IP mask must be four parts, each 0 to 255 or *, not '" +
                             user.ipMask + "'");
}

// The role is the last field, or the third from last when a dialback number and an IP mask
// follow it; everything between the name and the role is the password.
User ParseLine(const std::string& line) {
  const auto fields = Split(line, ':');
  if (fields.size() < 3 || fields[0].empty())
    throw std::runtime_error("expected name:password:admin|user[:dialback:ipmask]");
  std::size_t role = fields.size() - 1;
  if (!IsRole(fields[role]) && fields.size() >= 5 && IsRole(fields[role - 2])) role -= 2;
  if (!IsRole(fields[role]))
    throw std::runtime_error("the role must be admin or user, not '" + fields.back() + "'");
  User user;
  user.name = fields[0];
  user.password = fields[1];
  for (std::size_t i = 2; i < role; ++i) user.password += ":" + fields[i];
  user.admin = fields[role] == "admin";
  if (role != fields.size() - 1) {
    user.dialback = fields[role + 1];
    user.ipMask = fields[role + 2];
  }
  return user;
}

}  // namespace

UserList UserList::Default() {
  UserList list;
  list.m_users = {{"admin", "admin", true, "", "*.*.*.*"},
                  {"operator", "operator", false, "", "*.*.*.*"},
                  {"night", "shift", false, "555-0123", "192.168.1.*"}};
  return list;
}

UserList UserList::FromAdministrator(std::vector<User> users) {
  // The slots of the unit's table, terminating zero included.
  constexpr std::size_t NAME_SLOT = 41, PASSWORD_SLOT = 41, DIALBACK_SLOT = 21, MASK_SLOT = 16;
  if (users.empty()) throw std::runtime_error("no account");
  if (users.size() > MAX_ACCOUNTS)
    throw std::runtime_error(std::to_string(users.size()) + " accounts, more than " +
                             std::to_string(MAX_ACCOUNTS));
  for (std::size_t i = 0; i < users.size(); ++i) {
    const User& user = users[i];
    CheckFields(user);
    const std::string who = "account '" + user.name + "': ";
    if (user.name.size() >= NAME_SLOT || user.password.size() >= PASSWORD_SLOT ||
        user.dialback.size() >= DIALBACK_SLOT || user.ipMask.size() >= MASK_SLOT)
      throw std::runtime_error(who + "a field is too long for the unit's table");
    for (std::size_t j = 0; j < i; ++j)
      if (Lower(users[j].name) == Lower(user.name))
        throw std::runtime_error("duplicate name " + user.name);
  }
  // Without an administrator nobody could ever change the accounts again.
  if (std::none_of(users.begin(), users.end(), [](const User& u) { return u.admin; }))
    throw std::runtime_error("no administrator account");
  UserList list;
  list.m_users = std::move(users);
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
    try {
      User user = ParseLine(line);
      CheckFields(user);
      if (list.Find(user.name)) throw std::runtime_error("duplicate name " + user.name);
      list.m_users.push_back(std::move(user));
    } catch (const std::runtime_error& e) {
      throw std::runtime_error("users file line " + std::to_string(number) + ": " + e.what());
    }
  }
  if (list.m_users.empty()) throw std::runtime_error("users file holds no account");
  if (list.m_users.size() > MAX_ACCOUNTS)
    throw std::runtime_error("users file holds more than " + std::to_string(MAX_ACCOUNTS) +
                             " accounts");
  return list;
}

UserList UserList::Load(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read users file " + path);
  std::ostringstream text;
  text << file.rdbuf();
  return Parse(text.str());
}

std::string UserList::Format() const {
  std::string text = "# name:password:admin|user[:dialback:ipmask]\n";
  for (const auto& user : m_users) {
    text += user.name + ":" + user.password + ":" + (user.admin ? "admin" : "user");
    if (!user.dialback.empty() || user.ipMask != "*.*.*.*")
      text += ":" + user.dialback + ":" + user.ipMask;
    text += "\n";
  }
  return text;
}

void UserList::Save(const std::string& path) const {
  const std::string fresh = path + ".new";
  {
    std::ofstream file(fresh, std::ios::binary | std::ios::trunc);
    file << Format();
    file.close();
    if (!file) throw std::runtime_error("cannot write users file " + fresh);
  }
  if (std::rename(fresh.c_str(), path.c_str()) != 0)
    throw std::runtime_error("cannot replace users file " + path);
}

const User* UserList::Find(const std::string& name) const {
  for (const auto& user : m_users)
    if (user.name == name) return &user;
  return nullptr;
}

}  // namespace sim
