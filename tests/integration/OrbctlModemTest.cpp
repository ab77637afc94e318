// orbctl over a serial line: the settings file's current entry names a modem
// (or a cable) of modems.ini, and ping runs over it against the scripted
// modem and unit; modems lists what modems.ini holds.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "settings/AddressEntry.h"
#include "settings/IniFile.h"
#include "settings/MiscSettings.h"
#include "settings/TempDir.h"
#include "support/ModemDatabaseText.h"
#include "support/ScriptedModem.h"

namespace {

struct OrbctlResult {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Contents(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// orbctl in dir, without a terminal; the scripted peer keeps running in this
// process meanwhile.
OrbctlResult Orbctl(const TempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(),
              {std::string(ORB_BIN_DIR) + "/orbctl", "--ini", dir.File("Remote.ini")});
  const std::string outPath = dir.File("out.txt"), errPath = dir.File("err.txt");
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  OrbctlResult run;
  int status = 0;
  ::waitpid(pid, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = Contents(outPath);
  run.err = Contents(errPath);
  return run;
}

void TargetOverModem(const TempDir& dir, const std::string& model, const std::string& port) {
  settings::IniFile ini(dir.File("Remote.ini"));
  settings::WriteFirstRunDefaults(ini);
  ini.Write("MISC", "CURRSELTEXT", "Unit");
  settings::AddressEntry("Unit", "5551234", "Color always", model, false, "").SaveToINI(ini);
  WriteTestModemDatabase(dir.File("modems.ini"), port);
}

}  // namespace

TEST(OrbctlModem, PingsOverAModemAndACable) {
  for (const bool direct : {false, true}) {
    SCOPED_TRACE(direct ? "cable" : "modem");
    ScriptedModem peer({.direct = direct});
    TempDir dir;
    TargetOverModem(dir, direct ? TEST_CABLE : TEST_MODEM, peer.Path());
    const OrbctlResult run =
        Orbctl(dir, {"--user", "admin", "--password", "admin", "--timeout-ms", "30000", "ping"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Ping: "), std::string::npos) << run.out;
    EXPECT_TRUE(peer.LoggedIn());
  }
}

TEST(OrbctlModem, ListsTheInstalledModemsAndSaysWhenThereAreNone) {
  TempDir dir;
  OrbctlResult run = Orbctl(dir, {"modems"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "No modems are installed (" + dir.File("modems.ini") + ").\n");
  WriteTestModemDatabase(dir.File("modems.ini"), "/dev/ttyUSB1");
  run = Orbctl(dir, {"modems"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            std::string(TEST_MODEM) + "\t/dev/ttyUSB1\n" + TEST_CABLE + "\t/dev/ttyUSB1\n");
  EXPECT_EQ(Orbctl(dir, {"modems", "extra"}).status, 2);
}
