#include "AccountsList.h"

#include <stdexcept>

namespace sim {

namespace {

constexpr const char* NO_DIALBACK = "#";
constexpr int FIELDS = 6;

void PutField(Bytes& out, const std::string& text) {
  if (text.size() + 1 > 0xFF) throw std::runtime_error("a field of '" + text + "' is too long");
  out.push_back(static_cast<std::uint8_t>(text.size() + 1));
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

// Reads one field, checking its length against what is left and its terminating zero.
class FieldReader {
 public:
  explicit FieldReader(const Bytes& payload) : m_payload(payload) {}

  std::uint32_t Count() {
    if (m_payload.size() < 4) throw std::runtime_error("shorter than its count");
    m_at = 4;
    return GetLe32(m_payload.data());
  }
  std::string Field(std::uint32_t account, int field) {
    const std::string where =
        "account " + std::to_string(account + 1) + ", field " + std::to_string(field + 1) + ": ";
    if (m_at >= m_payload.size()) throw std::runtime_error(where + "missing");
    const std::size_t length = m_payload[m_at++];
    if (length == 0 || m_at + length > m_payload.size())
      throw std::runtime_error(where + "its length runs past the end");
    const auto begin = m_payload.begin() + static_cast<std::ptrdiff_t>(m_at);
    const std::string text(begin, begin + static_cast<std::ptrdiff_t>(length - 1));
    if (m_payload[m_at + length - 1] != 0 || text.find('\0') != std::string::npos)
      throw std::runtime_error(where + "not one zero-terminated text");
    m_at += length;
    return text;
  }
  bool AtEnd() const { return m_at == m_payload.size(); }

 private:
  const Bytes& m_payload;
  std::size_t m_at = 0;
};

}  // namespace

Bytes EncodeAccountsList(const UserList& users) {
  Bytes out;
  PutLe32(out, static_cast<std::uint32_t>(users.All().size()));
  for (const auto& user : users.All()) {
    PutField(out, user.name);
    PutField(out, user.password);
    PutField(out, "F");
    PutField(out, user.dialback.empty() ? NO_DIALBACK : user.dialback);
    PutField(out, user.ipMask);
    PutField(out, user.admin ? "0" : "1");
  }
  return out;
}

UserList DecodeAccountsList(const Bytes& payload, const UserList& current) {
  FieldReader reader(payload);
  const std::uint32_t count = reader.Count();
  // Each account takes 12 bytes at least, so a count the payload cannot hold is refused before
  // anything is reserved for it.
  if (count > UserList::MAX_ACCOUNTS || count * 2 * FIELDS > payload.size())
    throw std::runtime_error("a count of " + std::to_string(count) + " accounts");
  std::vector<User> users;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string fields[FIELDS];
    for (int f = 0; f < FIELDS; ++f) fields[f] = reader.Field(i, f);
    const std::string& changed = fields[2];
    const std::string& privilege = fields[5];
    if (changed != "T" && changed != "F")
      throw std::runtime_error("account " + fields[0] + ": password changed is '" + changed +
                               "', not T or F");
    if (privilege.empty() || privilege.find_first_not_of("0123456789") != std::string::npos ||
        privilege.size() > 9)
      throw std::runtime_error("account " + fields[0] + ": privilege '" + privilege +
                               "' is not a number");
    User user{fields[0], fields[1], std::stoi(privilege) == 0,
              fields[3] == NO_DIALBACK ? "" : fields[3], fields[4]};
    const User* known = current.Find(user.name);
    if (changed == "F" && known) user.password = known->password;
    users.push_back(std::move(user));
  }
  if (!reader.AtEnd()) throw std::runtime_error("bytes left after the last account");
  return UserList::FromAdministrator(std::move(users));
}

}  // namespace sim
