#include "admin/UsersPacket.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>

#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"

namespace admin {
namespace {

constexpr int SEND_USERS_CATEGORY = 2200;
constexpr size_t COUNT_WORD = 4;
// "T" or "F" and its zero.
constexpr size_t CHANGED_FIELD = 2;
// A signed 32-bit number in decimal and its zero.
constexpr size_t PRIVILEGE_FIELD = 12;

class FieldReader {
 public:
  FieldReader(const uint8_t* bytes, size_t size) : m_bytes(bytes), m_size(size) {}
  size_t Offset() const { return m_at; }

  uint32_t Count() {
    if (m_size < COUNT_WORD) throw TextError("USERS_LIST is too short to hold its count.");
    m_at = COUNT_WORD;
    return LoadLE32(m_bytes);
  }

  // One length-prefixed text whose zero ends it exactly, of at most slot bytes.
  std::string Text(const char* field, size_t account, size_t slot) {
    if (m_at >= m_size) throw Fault(field, account, "is missing");
    const size_t length = m_bytes[m_at];
    const uint8_t* start = m_bytes + m_at + 1;
    if (length == 0 || length > m_size - m_at - 1) throw Fault(field, account, "is cut short");
    if (start[length - 1] != 0 || std::find(start, start + length - 1, 0) != start + length - 1)
      throw Fault(field, account, "is not one zero-terminated text");
    if (length > slot)
      throw Fault(field, account, "is longer than its " + std::to_string(slot - 1) + " characters");
    m_at += 1 + length;
    return std::string(reinterpret_cast<const char*>(start), length - 1);
  }

  static TextError Fault(const char* field, size_t account, const std::string& what) {
    return TextError("USERS_LIST: the " + std::string(field) + " of account " +
                     std::to_string(account + 1) + " " + what + ".");
  }

 private:
  const uint8_t* m_bytes;
  size_t m_size;
  size_t m_at = 0;
};

int32_t Privilege(const std::string& text, size_t account) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    throw FieldReader::Fault("privilege", account, "is not a decimal number");
  return value;
}

void AppendField(std::vector<uint8_t>& out, const std::string& text, size_t slot,
                 const char* field) {
  if (text.size() + 1 > slot || text.find('\0') != std::string::npos)
    throw TextError("A " + std::string(field) + " does not fit its " + std::to_string(slot - 1) +
                    " characters.");
  out.push_back(static_cast<uint8_t>(text.size() + 1));
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

bool IsBlankOnly(const std::string& text) {
  return text.find_first_not_of(' ') == std::string::npos;
}

}  // namespace

LoginsList ReadUsersList(const PacketHeader& header, const uint8_t* payload, size_t length) {
  FieldReader reader(payload, payload ? std::min<size_t>(header.DataSize, length) : 0);
  const uint32_t count = reader.Count();
  if (count > LOGIN_SLOTS)
    throw TextError("USERS_LIST holds " + std::to_string(count) + " accounts, more than the " +
                    std::to_string(LOGIN_SLOTS) + " the list has room for.");
  LoginsList list;
  for (size_t i = 0; i < count; ++i) {
    LoginAccount account;
    account.userId = reader.Text("user ID", i, USER_ID_SLOT);
    account.password = reader.Text("password", i, PASSWORD_SLOT);
    // The unit's own flag says nothing to the viewer: a new password is ours to mark.
    reader.Text("password-changed field", i, CHANGED_FIELD);
    // No number, however the unit spells it, is held as the "#" it is sent back as.
    account.dialback = reader.Text("dialback number", i, DIALBACK_SLOT);
    if (IsBlankOnly(account.dialback)) account.dialback = NO_DIALBACK;
    account.ipMask = reader.Text("IP mask", i, IP_MASK_SLOT);
    account.privilege = Privilege(reader.Text("privilege", i, PRIVILEGE_FIELD), i);
    list.Append(std::move(account));
  }
  return list;
}

std::vector<uint8_t> BuildUsersPayload(const LoginsList& list) {
  std::vector<uint8_t> out(COUNT_WORD);
  StoreLE32(out.data(), static_cast<uint32_t>(list.Count()));
  for (const LoginAccount& account : list.Accounts()) {
    AppendField(out, account.userId, USER_ID_SLOT, "user ID");
    AppendField(out, account.password, PASSWORD_SLOT, "password");
    AppendField(out, account.passwordChanged ? "T" : "F", CHANGED_FIELD, "password-changed field");
    AppendField(out, IsBlankOnly(account.dialback) ? NO_DIALBACK : account.dialback, DIALBACK_SLOT,
                "dialback number");
    AppendField(out, account.ipMask, IP_MASK_SLOT, "IP mask");
    AppendField(out, std::to_string(account.privilege), PRIVILEGE_FIELD, "privilege");
    // The password itself never reaches the trace.
    TraceCategory(5, SEND_USERS_CATEGORY, "User: %s  password changed: %s\n",
                  account.userId.c_str(), account.passwordChanged ? "T" : "F");
    if (out.size() > MAX_USERS_PAYLOAD) throw TextError("Too many users in the database.\n");
  }
  return out;
}

void SendUsers(PacketSender& sender, const LoginsList& list) {
  const std::vector<uint8_t> payload = BuildUsersPayload(list);
  PacketHeader header(USERS_LIST, USERS_LIST_SENT_SUBTYPE);
  sender.SendPacket(header, {payload.data(), payload.size()});
}

}  // namespace admin
