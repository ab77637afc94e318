// orbctl's administration verbs against the unit simulator: what an
// administrator changes reaches the unit exactly, and whatever breaks a rule,
// fails to check or is refused is said so, with nothing changed.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OrbctlRun.h"
#include "settings/TempDir.h"
#include "support/SimProcess.h"

using testing::HasSubstr;

namespace {

const std::string USERS = "admin:admin:admin\noperator:operator:user\n";

struct Unit {
  explicit Unit(const TempDir& dir, std::vector<std::string> flags = {})
      : usersFile(dir.File("users.txt")) {
    WriteWholeFile(usersFile, USERS);
    flags.insert(flags.end(), {"--users", usersFile});
    sim = std::make_unique<SimProcess>(flags);
  }
  std::string usersFile;
  std::unique_ptr<SimProcess> sim;
};

OrbctlRun As(const TempDir& dir, const Unit& unit, const std::string& user,
             const std::string& password, std::vector<std::string> verb) {
  std::vector<std::string> args = {"--connect", unit.sim->Address(), "--user", user, "--password",
                                   password,    "--timeout-ms",      "8000"};
  args.insert(args.end(), verb.begin(), verb.end());
  return Orbctl(dir, *unit.sim, args);
}

OrbctlRun Admin(const TempDir& dir, const Unit& unit, std::vector<std::string> verb) {
  return As(dir, unit, "admin", "admin", std::move(verb));
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

}  // namespace

TEST(AdminVerbs, AccountsEditedReachTheUnit) {
  TempDir dir;
  Unit unit(dir);
  OrbctlRun run = Admin(dir, unit, {"users", "list"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "User ID\tDialback Number\tIP Mask\tAdmin\n"
            "admin\t\t*.*.*.*\tYES\noperator\t\t*.*.*.*\tNO\n");

  run = Admin(dir, unit,
              {"users", "add", "bob", "--new-password", "b0b/x", "--dialback", "555-1", "--ip-mask",
               "127.0.*.*"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(ReadWholeFile(unit.usersFile), HasSubstr("\nbob:b0b/x:user:555-1:127.0.*.*\n"));
  run = As(dir, unit, "bob", "b0b/x", {"ping"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("Rights: user\n"));

  run = Admin(dir, unit, {"users", "passwd", "BOB", "n3w"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(As(dir, unit, "bob", "n3w", {"ping"}).status, 0);
  EXPECT_EQ(As(dir, unit, "bob", "b0b/x", {"ping"}).status, 1);
  // The other accounts went back as they came.
  EXPECT_THAT(ReadWholeFile(unit.usersFile),
              HasSubstr("admin:admin:admin\noperator:operator:user\nbob:n3w:user"));

  run = Admin(dir, unit, {"users", "remove", "bob"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Admin(dir, unit, {"users", "list"}).out,
            "User ID\tDialback Number\tIP Mask\tAdmin\n"
            "admin\t\t*.*.*.*\tYES\noperator\t\t*.*.*.*\tNO\n");
}

TEST(AdminVerbs, ABrokenRuleSendsNothing) {
  TempDir dir;
  Unit unit(dir);
  const std::string before = ReadWholeFile(unit.usersFile);
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"add", "bad id", "--new-password", "x"}, "users bad id: Must be one of: "},
      {{"add", "Operator", "--new-password", "x"}, "users Operator: User ID already present."},
      {{"add", "x", "--new-password", "x", "--dialback", "555,"},
       "users x: The dialback cannot start or end in a comma or a hyphen."},
      {{"add", "x", "--new-password", "x", "--ip-mask", "10.1*.0.0"},
       "users x: Cannot contain * and numbers"},
      {{"add", "x", "--new-password", "x", "--ip-mask", "10.0.0.256"},
       "users x: Must be 0 - 255 or *"},
      {{"remove", "admin"}, "users admin: This is the last administrator account"},
      {{"passwd", "nobody", "x"}, "users: the unit has no account 'nobody'."},
  };
  for (const auto& [verb, text] : cases) {
    SCOPED_TRACE(text);
    std::vector<std::string> args = {"users"};
    args.insert(args.end(), verb.begin(), verb.end());
    const OrbctlRun run = Admin(dir, unit, args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind(text, 0), 0u) << run.err;
  }
  EXPECT_EQ(ReadWholeFile(unit.usersFile), before);
}

TEST(AdminVerbs, SwitchTableFileToUnitAndBack) {
  TempDir dir;
  Unit unit(dir);
  const std::string file = dir.File("switch.txt");
  OrbctlRun run = Admin(dir, unit, {"switch", "get", file});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string table = ReadWholeFile(file);
  EXPECT_EQ(table.rfind("\r\ncustom\r\n\r\n\r\n\r\n`1`Alpha`", 0), 0u) << table;

  const std::string edited = Replaced(table, "`1`Alpha`", "`1`Mail server`");
  WriteWholeFile(file, edited);
  run = Admin(dir, unit, {"switch", "put", file});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string again = dir.File("again.txt");
  ASSERT_EQ(Admin(dir, unit, {"switch", "get", again}).status, 0);
  EXPECT_EQ(ReadWholeFile(again), edited);

  // A file with a problem is listed and never sent.
  WriteWholeFile(file, Replaced(edited, "`2`", "`4`"));
  run = Admin(dir, unit, {"switch", "put", file});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "The following problems were found with the pattern:\n\n"
            "Line 7: Port numbers are to be contiguous\n");
  ASSERT_EQ(Admin(dir, unit, {"switch", "get", again}).status, 0);
  EXPECT_EQ(ReadWholeFile(again), edited);
}

TEST(AdminVerbs, ConfigurationDocumentFileToUnitAndBack) {
  TempDir dir;
  Unit unit(dir);
  const std::string file = dir.File("unit.xml");
  OrbctlRun run = Admin(dir, unit, {"config", "get", file});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string document = ReadWholeFile(file);
  EXPECT_EQ(
      document.rfind("<?xml version=\"1.0\" encoding=\"US-ASCII\" standalone=\"yes\"?>\r\n\r\n"
                     "<Document ",
                     0),
      0u)
      << document;

  const std::string edited =
      Replaced(document, "LongName=\"Serial port 2\"", "LongName=\"Serial port 2\" Note=\"spare\"");
  WriteWholeFile(file, edited);
  run = Admin(dir, unit, {"config", "put", file});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string again = dir.File("again.xml");
  ASSERT_EQ(Admin(dir, unit, {"config", "get", again}).status, 0);
  EXPECT_EQ(ReadWholeFile(again), edited);

  WriteWholeFile(file, "<Document name=\"ORB 1.0\">\r\n<PORTS>\r\n");
  run = Admin(dir, unit, {"config", "put", file});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "config put " + file +
                         ": Error in FillFromString()\nError on Line: 3\nError on Column: 0\n"
                         "premature eof\n");
}

TEST(AdminVerbs, RefusalsAndSpoiltRecordsFailTheCommand) {
  TempDir dir;
  const std::string switchFile = dir.File("switch.txt");
  const std::string configFile = dir.File("unit.xml");
  {
    Unit unit(dir);
    ASSERT_EQ(Admin(dir, unit, {"switch", "get", switchFile}).status, 0);
    ASSERT_EQ(Admin(dir, unit, {"config", "get", configFile}).status, 0);
    const OrbctlRun run = As(dir, unit, "operator", "operator", {"users", "list"});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("no administrator rights"));
  }
  {
    Unit refusing(dir, {"--refuse-admin"});
    const std::vector<std::string> changes[] = {{"users", "add", "x", "--new-password", "x"},
                                                {"switch", "put", switchFile},
                                                {"config", "put", configFile}};
    for (const auto& verb : changes) {
      SCOPED_TRACE(verb[0]);
      const OrbctlRun run = Admin(dir, refusing, verb);
      EXPECT_EQ(run.status, 1);
      EXPECT_THAT(run.err, HasSubstr("The unit did not take the change: "));
    }
  }
  Unit spoiling(dir, {"--malformed-admin"});
  const std::pair<std::vector<std::string>, std::string> reads[] = {
      {{"users", "list"}, "USERS_LIST: the user ID of account 3 is missing."},
      {{"switch", "get", dir.File("x.txt")}, "Invalid line ending"},
      {{"config", "get", dir.File("x.xml")}, "ZLib decompression error"},
  };
  for (const auto& [verb, text] : reads) {
    SCOPED_TRACE(verb[0]);
    const OrbctlRun run = Admin(dir, spoiling, verb);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr(text));
  }
}
