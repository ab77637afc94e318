// orbctl over a serial line against the independent unit simulator behind its
// own modem (or cable) on a pseudo-terminal, with the shipped modems.ini
// example pointed at that line: a call and a login, a busy number, a
// call-back, and a picture that line noise cannot spoil.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "settings/TempDir.h"
#include "support/Pictures.h"
#include "support/SimProcess.h"

namespace {

constexpr const char* MODEM = "Standard Hayes Compatible MODEM";
constexpr const char* CABLE = "Communications cable between two computers";

// Remote.ini whose current entry is reached through the model, and the
// shipped modems.ini with every port on the simulator's line.
void InstallModems(const TempDir& dir, const std::string& model, const std::string& port) {
  std::string example =
      Slurp((std::filesystem::path(__FILE__).parent_path() / "../../modems.ini.example").string());
  for (const std::string shipped : {"AttachedTo=/dev/ttyUSB0", "AttachedTo=COM1"}) {
    const size_t at = example.find(shipped);
    ASSERT_NE(at, std::string::npos);
    example.replace(at, shipped.size(), "AttachedTo=" + port);
  }
  std::ofstream(dir.File("modems.ini")) << example;
  std::ofstream(dir.File("Remote.ini"))
      << "[MISC]\r\nCURRSELTEXT=Unit\r\n\r\n[TARGET-Unit]\r\nAddress=5551234\r\n"
      << "ConnectionType=" << model << "\r\nColorRendering=Color always\r\n\r\n"
      << "[MODEMS]\r\nWaitForRingTime=20000\r\n";
}

int Orbctl(const TempDir& dir, const std::string& arguments) {
  const std::string command = "cd " + dir.Path().string() + " && " + ORB_BIN_DIR +
                              "/orbctl --ini Remote.ini --user admin --password admin "
                              "--timeout-ms 60000 " +
                              arguments + " </dev/null >out.txt 2>err.txt";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(ModemSim, PingsThroughTheModemTheCableAndACallBack) {
  struct Case {
    const char* name;
    const char* model;
    std::vector<std::string> flags;
  } cases[] = {
      {"modem", MODEM, {"--connect-delay-ms", "500"}},
      {"cable", CABLE, {"--direct"}},
      {"call-back",
       MODEM,
       {"--connect-delay-ms", "500", "--call-back", "--ring-interval-ms", "700"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    SimProcess sim(c.flags, SimProcess::Line::Pty);
    InstallModems(dir, c.model, sim.PtyPath());
    ASSERT_EQ(Orbctl(dir, "ping"), 0) << Slurp(dir.File("err.txt"));
    EXPECT_NE(Slurp(dir.File("out.txt")).find("Rights: administrator"), std::string::npos);
  }
}

TEST(ModemSim, ABusyNumberIsReported) {
  TempDir dir;
  SimProcess sim({"--fault-busy", "--connect-delay-ms", "200"}, SimProcess::Line::Pty);
  InstallModems(dir, MODEM, sim.PtyPath());
  EXPECT_EQ(Orbctl(dir, "ping"), 1);
  EXPECT_EQ(Slurp(dir.File("err.txt")), "Modem/Serial connection failed.\n");
}

TEST(ModemSim, LineNoiseLeavesThePictureExact) {
  TempDir dir;
  const std::string reference = dir.File("unit.ppm");
  // One packet in twenty broken (the simulator's noise is seeded): each break
  // is mended by resynchronising, and a whole picture follows.
  SimProcess sim({"--connect-delay-ms", "200", "--fault-noise", "0.05", "--frame-interval-ms", "0",
                  "--dump-frame", reference},
                 SimProcess::Line::Pty);
  InstallModems(dir, MODEM, sim.PtyPath());
  std::ofstream(dir.File("Remote.ini"), std::ios::app)
      << "\r\n[LOGGING]\r\nLogTo=LOGFILE\r\nPath=log.txt\r\nThreshold=5\r\nCategories=ALL\r\n";
  ASSERT_EQ(Orbctl(dir, "--size 800x600 screenshot shot.bmp --settle-ms 3000"), 0)
      << Slurp(dir.File("err.txt"));
  EXPECT_NE(Slurp(dir.File("log.txt")).find("Success resych."), std::string::npos);
  const Picture expected = ReadPpm(reference);
  const Picture saved = ReadBmp(dir.File("shot.bmp"));
  EXPECT_EQ(saved.width, expected.width);
  EXPECT_EQ(saved.height, expected.height);
  EXPECT_TRUE(saved.rgb == expected.rgb) << "the pictures differ";
}
