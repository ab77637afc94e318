#include <gtest/gtest.h>

#include "admin/UserDetails.h"
#include "admin/UsersPacket.h"
#include "platform/TextError.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"
#include "support/FakeSession.h"
#include "support/TraceRecorder.h"

namespace admin {
namespace {

LoginAccount Account(const std::string& id, int32_t privilege, const std::string& password = "pw") {
  LoginAccount account;
  account.userId = id;
  account.password = password;
  account.privilege = privilege;
  account.ipMask = "*.*.*.*";
  return account;
}

LoginsList TwoAccounts() {
  LoginsList list;
  list.Append(Account("admin", PRIVILEGE_ADMINISTRATOR, "secret"));
  list.Append(Account("guest", PRIVILEGE_USER));
  return list;
}

LoginsList ReadBack(const std::vector<uint8_t>& payload) {
  PacketHeader header(USERS_LIST, 1);
  header.DataSize = static_cast<uint16_t>(payload.size());
  return ReadUsersList(header, payload.data(), payload.size());
}

TEST(UserDetailsTest, EachRuleShowsItsText) {
  struct Case {
    const char* what;
    std::function<void(UserDetails&)> change;
    std::string text;
  };
  const Case cases[] = {
      {"good", [](UserDetails&) {}, ""},
      {"blank ID", [](UserDetails& d) { d.userId = ""; }, "User ID may not be blank."},
      {"ID in other case", [](UserDetails& d) { d.userId = "GUEST"; }, "User ID already present."},
      {"blank in ID", [](UserDetails& d) { d.userId = "a b"; },
       "Must be one of: ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
       "~!@#$%^&*()_+|-=\\;:'\"<>?,."},
      {"slash in ID", [](UserDetails& d) { d.userId = "a/b"; }, "Must be one of: "},
      {"long ID", [](UserDetails& d) { d.userId = std::string(17, 'a'); },
       "User ID holds at most 16 characters."},
      {"slash in password", [](UserDetails& d) { d.password = d.confirmation = "a/b"; }, ""},
      {"passwords differ", [](UserDetails& d) { d.confirmation = "other"; },
       "Passwords don't match."},
      {"dialback ends in comma", [](UserDetails& d) { d.dialback = "555,"; },
       "The dialback cannot start or end in a comma or a hyphen."},
      {"dialback starts with hyphen", [](UserDetails& d) { d.dialback = "-555"; },
       "The dialback cannot start or end in a comma or a hyphen."},
      {"dialback inner hyphen", [](UserDetails& d) { d.dialback = "555-1234, 9"; }, ""},
      {"dialback letter", [](UserDetails& d) { d.dialback = "555a"; },
       "Must be one of: 0123456789 -,"},
      {"empty mask part", [](UserDetails& d) { d.ipMask[2] = ""; },
       "The dotted quads should have a number or an asterisk."},
      {"star and digit", [](UserDetails& d) { d.ipMask[3] = "1*"; },
       "Cannot contain * and numbers"},
      {"part 256", [](UserDetails& d) { d.ipMask[0] = "256"; }, "Must be 0 - 255 or *"},
      {"part 255", [](UserDetails& d) { d.ipMask[0] = "255"; }, ""},
  };
  const LoginsList list = TwoAccounts();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UserDetails details;
    details.userId = "newbie";
    details.password = details.confirmation = "pw";
    c.change(details);
    const std::string text = CheckUserDetails(list, std::nullopt, details);
    if (c.text == "Must be one of: ")
      EXPECT_EQ(text.rfind(c.text, 0), 0u) << text;
    else
      EXPECT_EQ(text, c.text);
  }
}

TEST(UserDetailsTest, TheLastAdministratorStays) {
  LoginsList list = TwoAccounts();
  UserDetails demoted = DetailsOf(list.At(0));
  demoted.administrator = false;
  EXPECT_EQ(CheckUserDetails(list, 0, demoted),
            "This is the last account with administration privileges. You can't remove the "
            "administrator privilege until you create another account with that privilege.");
  EXPECT_EQ(CheckRemove(list, 0),
            "This is the last administrator account, and there must always be at least one "
            "administrator account, therefore it can't be removed, but it can be renamed.");
  EXPECT_EQ(CheckRemove(list, 1), "");
  EXPECT_THROW(CheckRemove(list, 2), TextError);

  UserDetails second;
  second.userId = "boss";
  second.password = second.confirmation = "pw";
  second.administrator = true;
  ApplyUserDetails(list, std::nullopt, second);
  EXPECT_EQ(CheckUserDetails(list, 0, demoted), "");
  EXPECT_EQ(CheckRemove(list, 0), "");
}

TEST(UserDetailsTest, AddIsRefusedOnlyAtTheMaximum) {
  LoginsList list;
  for (size_t i = 0; i < MAX_ACCOUNTS - 1; ++i) list.Append(Account("u" + std::to_string(i), 1));
  EXPECT_EQ(CheckAdd(list, "Orb"), "");
  list.Append(Account("last", 1));
  EXPECT_EQ(
      CheckAdd(list, "Orb"),
      "Orb has the maximum number of accounts.  You must delete some before adding new ones.");
}

TEST(UserDetailsTest, ABrokenRuleLeavesTheListAsItWas) {
  LoginsList list = TwoAccounts();
  UserDetails details;
  details.userId = "Admin";
  EXPECT_THROW(ApplyUserDetails(list, std::nullopt, details), TextError);
  EXPECT_EQ(list, TwoAccounts());
}

TEST(UsersPacketTest, OnlyANewPasswordIsMarkedChanged) {
  LoginsList list = TwoAccounts();
  // Editing an account without its password keeps it and sends "F".
  UserDetails guest = DetailsOf(list.At(1));
  guest.dialback = "";
  guest.ipMask = {"", "", "", ""};
  ApplyUserDetails(list, 1, guest);
  UserDetails admin = DetailsOf(list.At(0));
  admin.password = admin.confirmation = "n3w/pass";
  ApplyUserDetails(list, 0, admin);

  TraceRecorder trace;
  const std::vector<uint8_t> payload = BuildUsersPayload(list);
  const std::string bytes(payload.begin(), payload.end());
  EXPECT_EQ(bytes.substr(0, 4), std::string("\2\0\0\0", 4));
  const std::string adminBytes = std::string("\6admin\0", 7) + std::string("\x09n3w/pass\0", 10) +
                                 std::string("\2T\0", 3) + std::string("\2#\0", 3) +
                                 std::string("\x08*.*.*.*\0", 9) +
                                 std::string(
                                     "\2"
                                     "0\0",
                                     3);
  EXPECT_EQ(bytes.substr(4, adminBytes.size()), adminBytes);
  const std::string guestBytes = std::string("\6guest\0", 7) + std::string("\3pw\0", 4) +
                                 std::string("\2F\0", 3) + std::string("\2#\0", 3) +
                                 std::string("\x08*.*.*.*\0", 9) +
                                 std::string(
                                     "\2"
                                     "1\0",
                                     3);
  EXPECT_EQ(bytes.substr(4 + adminBytes.size()), guestBytes);
  EXPECT_EQ(trace.Count("User: admin"), 1u);
  EXPECT_EQ(trace.Count("n3w/pass"), 0u);
  EXPECT_EQ(trace.Count("pw"), 0u);

  // Back from the unit: the same accounts, no password marked new.
  const LoginsList back = ReadBack(payload);
  ASSERT_EQ(back.Count(), 2u);
  EXPECT_EQ(back.At(0).password, "n3w/pass");
  EXPECT_FALSE(back.At(0).passwordChanged);
  LoginsList expected = list;
  expected.At(0).passwordChanged = false;
  EXPECT_EQ(back, expected);
}

TEST(UsersPacketTest, AListIsExactlyTheListThatWentIn) {
  LoginsList list;
  for (int i = 0; i < 3; ++i) {
    LoginAccount account = Account("user" + std::to_string(i), i % 2, std::string(40, 'p'));
    account.dialback = i == 1 ? "555-1234" : "#";
    account.ipMask = "192.168.1.*";
    list.Append(account);
  }
  EXPECT_EQ(ReadBack(BuildUsersPayload(list)), list);
  EXPECT_EQ(ReadBack(BuildUsersPayload(LoginsList{})).Count(), 0u);

  // No dialback number, however the unit spells it, is held as the "#" it goes back as.
  for (const std::string& none : {std::string("\1\0", 2), std::string("\3  \0", 4)}) {
    const std::string bytes = std::string("\1\0\0\0\2a\0\2p\0\2F\0", 13) + none +
                              std::string(
                                  "\2*\0\2"
                                  "1\0",
                                  6);
    const LoginsList held = ReadBack(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    EXPECT_EQ(held.At(0).dialback, "#");
    EXPECT_EQ(ReadBack(BuildUsersPayload(held)), held);
  }
}

TEST(UsersPacketTest, ATooLongListIsNotSent) {
  LoginsList list;
  for (size_t i = 0; i < LOGIN_SLOTS; ++i)
    list.Append(Account(std::string(30, 'u') + std::to_string(i), 1, std::string(40, 'p')));
  FakeSession session;
  try {
    SendUsers(session, list);
    ADD_FAILURE();
  } catch (const TextError& e) {
    EXPECT_EQ(e.Text(), "Too many users in the database.\n");
  }
  EXPECT_TRUE(session.sent.empty());
}

TEST(UsersPacketTest, AListThatCannotBeHeldExactlyIsRefused) {
  const std::vector<uint8_t> good = BuildUsersPayload(TwoAccounts());
  auto changed = [&](size_t at, uint8_t value) {
    std::vector<uint8_t> bytes = good;
    bytes[at] = value;
    return bytes;
  };
  std::vector<uint8_t> longId = {1, 0, 0, 0, 42};
  longId.insert(longId.end(), 41, 'a');
  longId.push_back(0);
  struct Case {
    const char* what;
    std::vector<uint8_t> payload;
    std::string text;
  };
  const Case cases[] = {
      {"no count", {1, 0}, "USERS_LIST is too short to hold its count."},
      {"count past the slots",
       {129, 0, 0, 0},
       "USERS_LIST holds 129 accounts, more than the 128 the list has room for."},
      {"one account more than sent", changed(0, 3),
       "USERS_LIST: the user ID of account 3 is missing."},
      {"length past the end", changed(4, 200),
       "USERS_LIST: the user ID of account 1 is cut short."},
      {"no terminating zero", changed(10, 'x'),
       "USERS_LIST: the user ID of account 1 is not one zero-terminated text."},
      {"ID longer than its slot", longId,
       "USERS_LIST: the user ID of account 1 is longer than its 40 characters."},
      {"privilege not a number", changed(good.size() - 2, 'x'),
       "USERS_LIST: the privilege of account 2 is not a decimal number."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      ReadBack(c.payload);
      ADD_FAILURE();
    } catch (const TextError& e) {
      EXPECT_EQ(e.Text(), c.text);
    }
  }
}

}  // namespace
}  // namespace admin
