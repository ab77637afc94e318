// orbctl run as the operator runs it, against the unit simulator.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "OrbctlRun.h"
#include "settings/TempDir.h"
#include "support/SimProcess.h"

using testing::HasSubstr;

namespace {

constexpr const char* NO_PASSWORD =
    "No password: give --password-file, ORB_PASSWORD or --password, or run on a terminal.";
constexpr const char* NO_USER =
    "No user name to log in with: give --user, or store UserID in the MISC section.";

std::string UsersFile(const TempDir& dir, const std::string& lines) {
  const std::string path = dir.File("users.txt");
  std::ofstream(path) << lines;
  return path;
}

}  // namespace

TEST(Orbctl, PingLogsInUnderEachAgreedCipher) {
  struct Case {
    const char* encryption;
    const char* name;
  };
  for (const Case c : {Case{"12", "TRIPLE DES"}, Case{"13", "BLOWFISH"}, Case{"11", "NONE"}}) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    SimProcess sim({"--encryption", c.encryption, "--version-string", "ORB9.99"});
    const OrbctlRun run =
        Orbctl(dir, {"--connect", sim.Address(), "--user", "admin", "--password", "admin", "ping"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("Unit version: ORB9.99\n"));
    EXPECT_THAT(run.out, HasSubstr("Rights: administrator\n"));
    EXPECT_THAT(run.out, HasSubstr(std::string("Cipher: ") + c.name + "\n"));
    EXPECT_THAT(run.out, HasSubstr(" ms\n"));
    // The run left the operator's address book as it was, created on first use.
    const std::string ini = ReadWholeFile(dir.File("Remote.ini"));
    EXPECT_THAT(ini, HasSubstr("CURRSELTEXT=Default"));
    EXPECT_THAT(ini, testing::Not(HasSubstr("127.0.0.1")));
    // ...and the trace log's settings, every key written out, as the viewer leaves them.
    EXPECT_THAT(ini, HasSubstr("[LOGGING]\r\nLogToPossibilities=DEBUG_WINDOW, IP, LOGFILE, "
                               "NONE\r\nLogTo=DEBUG_WINDOW\r\nPath=log.txt\r\nThreshold=5\r\n"
                               "ShowTimeStamp=YES\r\nShowCategory=YES\r\nCategories=NONE\r\n"
                               "PossibleCategories=Misc, "));
  }
}

TEST(Orbctl, StoredAnswersLongNamesAndLongChallengesLogIn) {
  TempDir dir;
  const std::string name(100, 'n');
  SimProcess sim({"--users", UsersFile(dir, name + ":pw:user\n"), "--challenge-length", "199"});
  // The stored password answers without a prompt; the name is cut to 100.
  std::ofstream(dir.File("Remote.ini")) << "[MISC]\r\nPassword=pw\r\n";
  const OrbctlRun run =
      Orbctl(dir, {"--connect", sim.Address(), "--user", name + std::string(20, 'x'), "ping"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("Rights: user\n"));
}

TEST(Orbctl, FailuresEndWithTheViewersTextAndStatusOne) {
  struct Case {
    const char* what;
    std::vector<std::string> simFlags;
    std::vector<std::string> credentials;
    const char* text;
  };
  const Case cases[] = {
      {"no cipher agreed",
       {"--encryption", "none"},
       {"--user", "admin", "--password", "admin"},
       "Unsupported encryption standard in EncryptPayload() : 0."},
      {"wrong password", {}, {"--user", "admin", "--password", "nope"}, "refused the login"},
      {"busy unit",
       {"--busy"},
       {"--user", "admin", "--password", "admin"},
       "is active with another connection"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    SimProcess sim(c.simFlags);
    std::vector<std::string> args = {"--connect", sim.Address()};
    args.insert(args.end(), c.credentials.begin(), c.credentials.end());
    args.push_back("ping");
    const OrbctlRun run = Orbctl(dir, args);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr(c.text));
    EXPECT_EQ(run.out, "");
  }
}

// The password from each of its sources in turn; without one, and with no terminal to ask,
// orbctl stops before the unit sees a session.
TEST(Orbctl, LoginAnswerSourcesAndTheirOrder) {
  TempDir dir;
  const std::string right = dir.File("right.txt"), wrong = dir.File("wrong.txt");
  std::ofstream(right) << "admin\r\nsecond line\n";
  std::ofstream(wrong) << "nope";
  const std::string missing = dir.File("missing.txt");
  struct Case {
    const char* what;
    std::vector<std::string> options;
    std::vector<std::string> environment;
    int status;
    std::string err;
    bool withUser = true;
  };
  const Case cases[] = {
      {"no user, no terminal", {"--password", "admin"}, {}, 2, std::string(NO_USER) + "\n", false},
      {"none, no terminal", {}, {}, 2, std::string(NO_PASSWORD) + "\n"},
      {"empty variable", {}, {"ORB_PASSWORD="}, 2, std::string(NO_PASSWORD) + "\n"},
      {"file, CR LF cut", {"--password-file", right}, {}, 0, ""},
      {"variable", {}, {"ORB_PASSWORD=admin"}, 0, ""},
      {"option before file", {"--password", "admin", "--password-file", wrong}, {}, 0, ""},
      {"file before variable", {"--password-file", right}, {"ORB_PASSWORD=nope"}, 0, ""},
      {"unreadable file",
       {"--password-file", missing},
       {"ORB_PASSWORD=admin"},
       2,
       "--password-file: cannot read '" + missing + "' (No such file or directory).\n"},
  };
  SimProcess sim({});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> args = {"--connect", sim.Address()};
    if (c.withUser) args.insert(args.end(), {"--user", "admin"});
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back("ping");
    const OrbctlRun run = Orbctl(dir, args, c.environment);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.err, c.err);
    // Every session the unit took on has ended, and was this run's.
    ASSERT_TRUE(sim.WaitUntilIdle());
    int sessions = 0;
    while (sim.WaitForLine("SESSION STARTED", std::chrono::milliseconds(0))) ++sessions;
    EXPECT_EQ(sessions, c.status == 0 ? 1 : 0);
  }
}

TEST(Orbctl, UnreachableOrSilentUnitsFailInTime) {
  TempDir dir;
  // Nothing listens on a port just released.
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const std::string target = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  OrbctlRun run = Orbctl(dir, {"--connect", target, "--user", "a", "--password", "b", "ping"});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("could not be reached"));

  // A unit that accepts and never speaks.
  ASSERT_EQ(::listen(probe, 1), 0);
  run = Orbctl(
      dir, {"--connect", target, "--user", "a", "--password", "b", "--timeout-ms", "1500", "ping"});
  ::close(probe);
  EXPECT_EQ(run.status, 1);
  EXPECT_LT(run.seconds, 3.0);
  EXPECT_THAT(run.err, HasSubstr("1500 ms"));
}

TEST(Orbctl, HelpVersionAndUsageErrors) {
  TempDir dir;
  OrbctlRun run = Orbctl(dir, {"--help"});
  EXPECT_EQ(run.status, 0);
  for (const char* option : {"--ini", "--connect", "--user", "--password", "--password-file",
                             "ORB_PASSWORD", "--size", "--timeout-ms", "--version", "ping",
                             "type TEXT [--key-delay-ms N]", "ctrl-alt-del", "alt-tab"})
    EXPECT_THAT(run.out, HasSubstr(option));
  // Every command and subcommand answers --help (or -h) with its own entries,
  // before anything else of its arguments is checked.
  const std::pair<std::vector<std::string>, const char*> help[] = {
      {{"users", "--help"}, "users passwd ID PW"},
      {{"users", "add", "--help"}, "users add ID --new-password PW"},
      {{"switch", "-h"}, "switch put FILE"},
      {{"config", "put", "--help"}, "config put FILE"},
      {{"power", "--help"}, "power send COMMAND"},
      {{"file", "get", "--help"}, "file get UNIT_PATH LOCAL_FILE"},
      {{"flash", "--help"}, "flash IMAGE"},
      {{"screenshot", "--help"}, "screenshot FILE [--settle-ms N]"},
      {{"type", "abc", "--help"}, "type TEXT [--key-delay-ms N]"},
      {{"line-speed", "--help"}, "line-speed slow|fast"},
      {{"modems", "--help"}, "modems "},
  };
  for (const auto& [args, entry] : help) {
    SCOPED_TRACE(entry);
    run = Orbctl(dir, args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.rfind("Usage: orbctl [OPTIONS] " + args[0], 0), 0u) << run.out;
    EXPECT_THAT(run.out, HasSubstr(entry));
  }
  // A subcommand's help is its own entry only.
  run = Orbctl(dir, {"users", "remove", "-h"});
  EXPECT_THAT(run.out, HasSubstr("Usage: orbctl [OPTIONS] users remove ..."));
  EXPECT_THAT(run.out, testing::Not(HasSubstr("users list")));
  run = Orbctl(dir, {"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_THAT(run.out, testing::MatchesRegex("TSV[0-9]+\\.[0-9]+[a-z0-9]*\n"));
  // Bad usage is told as it stands, the option's name whole, with status 2.
  const std::pair<std::vector<std::string>, const char*> usage[] = {
      {{"--size", "12x"}, "--size: expected a number"},
      {{"--size", "0x0"}, "--size: expected a number from 1 to 4096, not '0'"},
      {{"--bogus"}, "Unknown option '--bogus'"},
      {{"frobnicate"}, "Unknown command 'frobnicate'"},
      {{}, "No command given"},
      {{"--timeout-ms"}, "--timeout-ms: a value is missing"},
      {{"screenshot", "shot.jpg"}, "screenshot: the file must end in .bmp or .png"},
      {{"type"}, "type: the text to type is missing."},
      {{"type", "caf\xC3\xA9"}, "type: No key of a US keyboard types '\xC3\xA9' (U+00E9)."},
      {{"type", "a", "--key-delay-ms", "-1"}, "--key-delay-ms: expected a number from 0 to 60000"},
      {{"type", "a", "b"}, "type takes one text, not also 'b'"},
      {{"alt-tab", "now"}, "alt-tab takes no arguments, not 'now'."},
  };
  for (const auto& [args, text] : usage) {
    SCOPED_TRACE(text);
    run = Orbctl(dir, args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind(text, 0), 0u) << run.err;
  }
}

// What the unit receives of each key verb, as orb-sim logs it, key by key.
TEST(Orbctl, KeyVerbsReachTheUnitKeyByKey) {
  TempDir dir;
  SimProcess sim({"--log-keys"});
  const std::string none = " mods 00 00 00 00 00 00 00 00 00";
  const std::string shift = " mods 01 00 00 01 00 00 00 00 00";
  const struct {
    std::vector<std::string> verb;
    std::vector<std::string> lines;
  } cases[] = {
      {{"type", "--key-delay-ms", "1", "Hi!\n"},
       {"KEY WM_KEYDOWN 00000010 002A0001" + shift, "KEY WM_KEYDOWN 00000048 00230001" + shift,
        "KEY WM_KEYUP 00000048 C0230001" + shift, "KEY WM_KEYUP 00000010 C02A0001" + none,
        "KEY WM_KEYDOWN 00000049 00170001" + none, "KEY WM_KEYUP 00000049 C0170001" + none,
        "KEY WM_KEYDOWN 00000010 002A0001" + shift, "KEY WM_KEYDOWN 00000031 00020001" + shift,
        "KEY WM_KEYUP 00000031 C0020001" + shift, "KEY WM_KEYUP 00000010 C02A0001" + none,
        "KEY WM_KEYDOWN 0000000D 001C0001" + none, "KEY WM_KEYUP 0000000D C01C0001" + none}},
      // The seven punctuation keys whose key-table rows read a wrong scan code.
      {{"type", "--key-delay-ms", "0", "[;/"},
       {"KEY WM_KEYDOWN 000000DB 001A0001" + none, "KEY WM_KEYUP 000000DB C01A0001" + none,
        "KEY WM_KEYDOWN 000000BA 00270001" + none, "KEY WM_KEYUP 000000BA C0270001" + none,
        "KEY WM_KEYDOWN 000000BF 00350001" + none, "KEY WM_KEYUP 000000BF C0350001" + none}},
      {{"ctrl-alt-del"},
       {"KEY WM_KEYDOWN 00000011 001D0001" + none, "KEY WM_KEYDOWN 00000012 20380001" + none,
        "KEY WM_KEYDOWN 0000002E 01530001" + none, "KEY WM_KEYUP 0000002E A1530001" + none,
        "KEY WM_KEYUP 00000012 C0380001" + none, "KEY WM_KEYUP 00000011 C01D0001" + none}},
      {{"alt-tab"},
       {"KEY WM_SYSKEYDOWN 00000012 20380001" + none, "KEY WM_KEYDOWN 00000009 000F0001" + none,
        "KEY WM_KEYUP 00000009 C00F0001" + none, "KEY WM_SYSKEYUP 00000012 C0380001" + none}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.verb[0]);
    std::vector<std::string> args = {"--connect", sim.Address(), "--user",
                                     "admin",     "--password",  "admin"};
    args.insert(args.end(), c.verb.begin(), c.verb.end());
    const OrbctlRun run = Orbctl(dir, args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    for (const std::string& line : c.lines) EXPECT_EQ(sim.WaitForLine("KEY "), line);
    ASSERT_TRUE(sim.WaitUntilFree());
  }
}
