#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "FileStore.h"
#include "settings/TempDir.h"
#include "sim/RunningUnit.h"
#include "sim/ViewerClient.h"

using client::Bytes;
using client::Frame;
using client::Viewer;
using testing::HasSubstr;

namespace {

constexpr std::uint8_t TEXT_MSG = 60, PING = 46, PING_RESPONSE = 47, DISCONNECT = 50,
                       GET_FILE = 122, PUT_FILE = 124, USERS_LIST = 150, SERVER_CONFIG_DATA = 247,
                       SWITCH_SETTINGS = 250, REQUEST_SWITCH_SETTINGS = 252;

struct Account {
  std::string name, password, changed, dialback, mask, privilege;
  bool operator==(const Account&) const = default;
};

const std::vector<Account> DEFAULT_ACCOUNTS = {
    {"admin", "admin", "F", "#", "*.*.*.*", "0"},
    {"operator", "operator", "F", "#", "*.*.*.*", "1"},
    {"night", "shift", "F", "555-0123", "192.168.1.*", "1"}};

const std::string DEFAULT_TABLE =
    "\ncustom\n\n\n\n`1`Alpha`LCtrl-dn 1 LCtrl-up\n`2`Bravo`LCtrl-dn 2 LCtrl-up\n"
    "`3`Charlie`ScrollLock ScrollLock 3 Enter\n";

// Count, then six length-prefixed zero-terminated fields per account; `count` may lie.
Bytes AccountsPayload(const std::vector<Account>& accounts,
                      std::optional<std::uint32_t> count = std::nullopt) {
  Bytes out;
  client::AddLe(out, count.value_or(std::uint32_t(accounts.size())), 4);
  for (const Account& a : accounts)
    for (const std::string* field :
         {&a.name, &a.password, &a.changed, &a.dialback, &a.mask, &a.privilege}) {
      out.push_back(std::uint8_t(field->size() + 1));
      out.insert(out.end(), field->begin(), field->end());
      out.push_back(0);
    }
  return out;
}

std::vector<Account> ParseAccounts(const Bytes& payload) {
  if (payload.size() < 4) throw std::runtime_error("no count");
  std::size_t at = 4;
  auto field = [&]() {
    if (at >= payload.size() || at + 1 + payload[at] > payload.size() || payload[at] == 0 ||
        payload[at + payload[at]] != 0)
      throw std::runtime_error("field past the end or without its zero");
    const std::string text(payload.begin() + at + 1, payload.begin() + at + payload[at]);
    at += 1 + payload[at];
    return text;
  };
  std::vector<Account> accounts(client::Le32(payload.data()));
  for (Account& a : accounts) a = {field(), field(), field(), field(), field(), field()};
  if (at != payload.size()) throw std::runtime_error("bytes after the last account");
  return accounts;
}

Bytes Text(const std::string& text) {
  Bytes out(text.begin(), text.end());
  out.push_back(0);
  return out;
}

// The length with the zero, then the text and its zero deflated with a sync flush, or with
// the stream finished.
Bytes CompressedDocument(const std::string& text, int flush = Z_SYNC_FLUSH) {
  const Bytes in = Text(text);
  Bytes out(4 + compressBound(uLong(in.size())) + 64);
  z_stream z{};
  deflateInit(&z, Z_DEFAULT_COMPRESSION);
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = uInt(in.size());
  z.next_out = out.data() + 4;
  z.avail_out = uInt(out.size() - 4);
  deflate(&z, flush);
  out.resize(4 + z.total_out);
  deflateEnd(&z);
  out[0] = std::uint8_t(in.size());
  out[1] = std::uint8_t(in.size() >> 8);
  out[2] = std::uint8_t(in.size() >> 16);
  out[3] = 0;
  return out;
}

// Inflates a subtype-1 document as the viewer must: once, with a sync flush, into exactly the
// declared length; anything but Z_OK is the result code as text.
std::string InflateDocument(const Frame& f) {
  if (f.subtype != 1 || f.data.size() < 4) return "not compressed";
  const std::uint32_t length = client::Le32(f.data.data());
  std::string out(length, '?');
  z_stream z{};
  inflateInit(&z);
  z.next_in = const_cast<Bytef*>(f.data.data() + 4);
  z.avail_in = uInt(f.data.size() - 4);
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = length;
  const int result = inflate(&z, Z_SYNC_FLUSH);
  const uLong produced = z.total_out;
  inflateEnd(&z);
  if (result != Z_OK) return "zlib " + std::to_string(result);
  if (produced != length || out.back() != '\0') return "wrong length";
  out.pop_back();
  return out;
}

std::string Message(const Frame& f) { return std::string(f.data.begin(), f.data.end()); }

sim::UnitOptions WithCipher(int cipher) {
  sim::UnitOptions options;
  options.encryption = cipher;
  options.keepAliveSeconds = 0;
  options.frameIntervalMs = 0;
  return options;
}

// A viewer logged in; an administrator's has taken in the list and the document.
struct LoggedIn {
  LoggedIn(int port, const std::string& user, const std::string& password) : viewer(port) {
    viewer.Negotiate();
    rights = viewer.Login(user, password);
    if (rights == 2) {
      accounts = viewer.ReceiveType(USERS_LIST);
      document = viewer.ReceiveType(SERVER_CONFIG_DATA);
    }
  }
  // Waits until the unit has handled everything sent before; returns the types it sent
  // meanwhile.
  std::vector<int> Settle() {
    viewer.Send(PING, 0, {9, 9, 9, 9});
    std::vector<int> types;
    for (Frame f = viewer.Receive(); f.type != PING_RESPONSE; f = viewer.Receive())
      types.push_back(f.type);
    return types;
  }
  std::string SwitchTable() {
    viewer.Send(REQUEST_SWITCH_SETTINGS, 0, {});
    const Frame f = viewer.ReceiveType(SWITCH_SETTINGS);
    return std::string(f.data.begin(), f.data.end());
  }
  ~LoggedIn() {
    viewer.Send(DISCONNECT, 0, {});
    viewer.ClosedByUnit();
  }

  Viewer viewer;
  int rights = 0;
  Frame accounts, document;
};

void ExpectDefaultRecords(int port) {
  LoggedIn admin(port, "admin", "admin");
  EXPECT_EQ(ParseAccounts(admin.accounts.data), DEFAULT_ACCOUNTS);
  EXPECT_EQ(InflateDocument(admin.document), sim::DefaultConfigDocument());
  EXPECT_EQ(admin.SwitchTable(), DEFAULT_TABLE + '\0');
}

}  // namespace

class SimAdministration : public testing::TestWithParam<int> {};

TEST_P(SimAdministration, AnAdministratorsLoginBringsTheAccountsAndTheDocument) {
  RunningUnit running(WithCipher(GetParam()));
  {
    LoggedIn admin(running.port, "admin", "admin");
    ASSERT_EQ(admin.rights, 2);
    // Never in plain: without a session cipher the list takes the one agreed for it.
    EXPECT_EQ(admin.accounts.subtype, 1);
    EXPECT_EQ(admin.accounts.encrypted, 1);
    EXPECT_EQ(ParseAccounts(admin.accounts.data), DEFAULT_ACCOUNTS);

    const std::string document = InflateDocument(admin.document);
    EXPECT_EQ(client::Le32(admin.document.data.data()), document.size() + 1);
    EXPECT_THAT(document, HasSubstr("<Document name=\"ORB 1.0\""));
    EXPECT_THAT(document, HasSubstr("<Installed Edit=\"0\">COM1</Installed>"));
    EXPECT_TRUE(admin.Settle().empty());
  }
  LoggedIn user(running.port, "operator", "operator");
  ASSERT_EQ(user.rights, 1);
  EXPECT_THAT(user.Settle(), testing::Not(testing::Contains(USERS_LIST)));
}

INSTANTIATE_TEST_SUITE_P(EachCipher, SimAdministration, testing::Values(11, 12, 13));

TEST(SimAdministrationChanges, ASentAccountsListDecidesWhoLogsInAndIsWrittenBack) {
  TempDir dir;
  const std::string file = dir.File("users.txt");
  WriteWholeFile(file, "admin:admin:admin\noperator:operator:user\n");
  sim::UnitOptions options = WithCipher(11);
  options.users = sim::UserList::Load(file);
  options.usersFile = file;
  RunningUnit running(options);
  {
    LoggedIn admin(running.port, "admin", "admin");
    // The administrator's own password is a placeholder marked unchanged: the unit keeps its own.
    admin.viewer.Send(USERS_LIST, 1,
                      AccountsPayload({{"admin", "*******", "F", "#", "*.*.*.*", "0"},
                                       {"newbie", "fresh", "T", "#", "10.0.0.*", "1"},
                                       {"boss", "pw2", "T", "555-1,2", "*.*.*.*", "0"}}));
    EXPECT_TRUE(admin.Settle().empty());
  }
  struct Case {
    const char* user;
    const char* password;
    int rights;
  };
  for (const Case& c : {Case{"operator", "operator", 0}, Case{"newbie", "fresh", 1},
                        Case{"boss", "pw2", 2}, Case{"admin", "admin", 2}}) {
    SCOPED_TRACE(c.user);
    LoggedIn viewer(running.port, c.user, c.password);
    EXPECT_EQ(viewer.rights, c.rights);
    if (c.rights == 2) {
      EXPECT_EQ(ParseAccounts(viewer.accounts.data)[1],
                (Account{"newbie", "fresh", "F", "#", "10.0.0.*", "1"}));
    }
  }
  EXPECT_EQ(sim::UserList::Load(file).Find("newbie")->password, "fresh");
  EXPECT_THAT(ReadWholeFile(file), HasSubstr("\nboss:pw2:admin:555-1,2:*.*.*.*\n"));
}

TEST(SimAdministrationChanges, SwitchTableAndDocumentAreReplacedForLaterRequestsAndLogins) {
  RunningUnit running(WithCipher(13));
  const std::string table = "\ncustom\n\n\n\n`1`Web`LAlt-dn 1 LAlt-up\n`2`Mail`F12\n";
  const std::string document =
      "<?xml version=\"1.0\"?>\n\n<Document name=\"ORB 1.0\" "
      "save=\"no\">\n</Document>\n";
  {
    LoggedIn admin(running.port, "admin", "admin");
    const std::string before = admin.SwitchTable();
    EXPECT_EQ(before, DEFAULT_TABLE + '\0');
    admin.viewer.Send(SWITCH_SETTINGS, 0, Text(table));
    EXPECT_EQ(admin.SwitchTable(), table + '\0');
    admin.viewer.Send(SERVER_CONFIG_DATA, 1, CompressedDocument(document));
    // An empty one asks for the unit's document again.
    admin.viewer.Send(SERVER_CONFIG_DATA, 0, {});
    EXPECT_EQ(InflateDocument(admin.viewer.ReceiveType(SERVER_CONFIG_DATA)), document);
  }
  {
    LoggedIn admin(running.port, "admin", "admin");
    EXPECT_EQ(InflateDocument(admin.document), document);
    EXPECT_EQ(admin.SwitchTable(), table + '\0');
    // Any other subtype carries the text itself.
    admin.viewer.Send(SERVER_CONFIG_DATA, 0, Text(sim::DefaultConfigDocument()));
    EXPECT_TRUE(admin.Settle().empty());
  }
  LoggedIn admin(running.port, "admin", "admin");
  EXPECT_EQ(InflateDocument(admin.document), sim::DefaultConfigDocument());
}

TEST(SimAdministrationChanges, RefusedChangesLeaveTheRecordsAndSayWhy) {
  const Account admin = DEFAULT_ACCOUNTS[0], user = DEFAULT_ACCOUNTS[1];
  struct Case {
    const char* name;
    std::function<void(sim::UnitOptions&)> set;
    const char* user;
    std::uint8_t type, subtype;
    Bytes payload;
    bool plain;
    const char* text;
  };
  const Case cases[] = {
      {"refusing unit", [](sim::UnitOptions& o) { o.refuseAdmin = true; }, "admin", SWITCH_SETTINGS,
       0, Text(DEFAULT_TABLE), false,
       "Switch settings not changed: this unit does not accept changes."},
      {"ordinary user",
       {},
       "operator",
       USERS_LIST,
       1,
       AccountsPayload({admin}),
       false,
       "User accounts not changed: only an administrator may change them."},
      {"count past the accounts",
       {},
       "admin",
       USERS_LIST,
       1,
       AccountsPayload({admin, user}, 3),
       false,
       "User accounts not changed: account 3, field 1: missing."},
      {"no administrator left",
       {},
       "admin",
       USERS_LIST,
       1,
       AccountsPayload({user}),
       false,
       "User accounts not changed: no administrator account."},
      {"list in plain", [](sim::UnitOptions& o) { o.encryption = 11; }, "admin", USERS_LIST, 1,
       AccountsPayload({admin}), true, "User accounts not changed: the list came in plain."},
      {"CR LF on the wire",
       {},
       "admin",
       SWITCH_SETTINGS,
       0,
       Text("\ncustom\r\n\n\n\n`1`A`F1\n"),
       false,
       "Switch settings not changed: a CR in the text; lines end with LF alone."},
      {"table without its zero",
       {},
       "admin",
       SWITCH_SETTINGS,
       0,
       Bytes(DEFAULT_TABLE.begin(), DEFAULT_TABLE.end()),
       false,
       "Switch settings not changed: the text has no terminating zero."},
      {"finished stream",
       {},
       "admin",
       SERVER_CONFIG_DATA,
       1,
       CompressedDocument(sim::DefaultConfigDocument(), Z_FINISH),
       false,
       "Device configuration not changed: the zlib stream was finished; it must end with a "
       "sync flush."},
      {"over 400,000 bytes",
       {},
       "admin",
       SERVER_CONFIG_DATA,
       1,
       Bytes{0x81, 0x1A, 0x06, 0, 1},
       false,
       "Device configuration not changed: a declared length of 400001."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::UnitOptions options = WithCipher(13);
    if (c.set) c.set(options);
    RunningUnit running(options);
    {
      LoggedIn viewer(running.port, c.user, c.user);
      viewer.viewer.Send(c.type, c.subtype, c.payload, c.plain);
      EXPECT_EQ(Message(viewer.viewer.ReceiveType(TEXT_MSG)), std::string(c.text) + '\0');
    }
    ExpectDefaultRecords(running.port);
  }
}

TEST(SimAdministrationChanges, MalformedFlagSpoilsWhatTheUnitSends) {
  sim::UnitOptions options = WithCipher(13);
  options.faults.malformedAdmin = true;
  RunningUnit running(options);
  LoggedIn admin(running.port, "admin", "admin");
  EXPECT_EQ(client::Le32(admin.accounts.data.data()), 4u);  // it holds three
  EXPECT_THROW(ParseAccounts(admin.accounts.data), std::runtime_error);
  EXPECT_EQ(InflateDocument(admin.document), "zlib " + std::to_string(Z_DATA_ERROR));
  const std::string table = admin.SwitchTable();
  EXPECT_EQ(table, DEFAULT_TABLE.substr(0, DEFAULT_TABLE.size() - 3));  // no LF, no zero
}

TEST(SimAdministrationFiles, StoredFilesAreReadBackAndBadRequestsRefused) {
  auto put = [](const std::string& path, const std::string& text) {
    Bytes out;
    client::AddLe(out, std::uint32_t(path.size() + 1), 4);
    client::AddLe(out, std::uint32_t(text.size() + 1), 4);
    for (const std::string* s : {&path, &text}) {
      out.insert(out.end(), s->begin(), s->end());
      out.push_back(0);
    }
    return out;
  };
  const std::string path = "/mnt/flash/Quil/TestPutFile.txt";
  const std::string text = "hello fileSend 02-18\n";
  RunningUnit running(WithCipher(12));
  LoggedIn admin(running.port, "admin", "admin");
  Viewer& viewer = admin.viewer;
  viewer.Send(GET_FILE, 0, Text(path));
  EXPECT_EQ(viewer.ReceiveType(GET_FILE).subtype, 0);  // nothing there yet

  viewer.Send(PUT_FILE, 1, put(path, text));
  EXPECT_EQ(viewer.ReceiveType(PUT_FILE).subtype, 0);
  viewer.Send(GET_FILE, 0, Text(path));
  const Frame got = viewer.ReceiveType(GET_FILE);
  EXPECT_EQ(got.subtype, 1);
  ASSERT_EQ(got.data.size(), 4 + text.size());
  EXPECT_EQ(client::Le32(got.data.data()), text.size());
  EXPECT_EQ(std::string(got.data.begin() + 4, got.data.end()), text);

  Bytes lengthsOff = put(path, text);
  lengthsOff[4] += 1;
  for (const Bytes& bad : {put("/etc/passwd", text), put("/mnt/flash/Quil/../x", text),
                           put("/mnt/flash/Quil/", text), lengthsOff, Bytes{1, 0}}) {
    viewer.Send(PUT_FILE, 1, bad);
    EXPECT_EQ(viewer.ReceiveType(PUT_FILE).subtype, 2);
  }

  // A unit that takes no changes will not overwrite a file it holds, nor open a new one.
  sim::FileStore store;
  store.Put({PUT_FILE, 1, put(path, text)}, false);
  EXPECT_EQ(store.Put({PUT_FILE, 1, put(path, "new")}, true).subtype, 1);
  EXPECT_EQ(store.Put({PUT_FILE, 1, put(path + "2", "new")}, true).subtype, 2);
  EXPECT_EQ(store.Files().at(path), Bytes(text.begin(), text.end()));
}
