// orbctl power against the simulated unit and the strip on its serial port.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "OrbctlRun.h"
#include "settings/TempDir.h"
#include "support/SimProcess.h"

using testing::HasSubstr;

namespace {

const std::string PROFILE =
    "A strip that wants a pause before it confirms\r\n"
    "Name,Strip1\r\nPort,2\r\nBaudRate,9600\r\nDataBits,8\r\nStopBits,1\r\nParity,none\r\n"
    "ReadDelay,100\r\nFlowControl,Off\r\nUseRTSCTS,0\r\n"
    "Init,\\x1B\r\nOutlet 1 On,on 1\\r`\\x0D\r\nExit,bye\\\\\r\n";

std::string ProfileFile(const TempDir& dir, const std::string& text) {
  const std::string path = dir.File("strip.PowerSwitch");
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(OrbctlPower, ACommandReachesTheStripWithItsPause) {
  TempDir dir;
  SimProcess sim({"--log-strip", "--power-profile", ProfileFile(dir, PROFILE)});
  const std::vector<std::string> login = {"--connect", sim.Address(), "--user",
                                          "admin",     "--password",  "admin"};
  auto args = login;
  args.insert(args.end(), {"power", "send", "Outlet 1 On"});
  const OrbctlRun run = Orbctl(dir, sim, args);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("on 1\r\nOK\r\n"));

  EXPECT_EQ(sim.WaitForLine("STRIP OPEN").value_or(""),
            "STRIP OPEN port 2 baud 9600 timeout 500 parity 0 data 8 flow 0 stop 1 rtscts 0");
  EXPECT_EQ(sim.WaitForLine("STRIP WRITE").value_or(""), "STRIP WRITE +0ms 1B");
  EXPECT_THAT(sim.WaitForLine("STRIP WRITE").value_or(""), HasSubstr("ms 6F 6E 20 31 0D"));
  const std::string paused = sim.WaitForLine("STRIP WRITE").value_or("");
  EXPECT_THAT(paused, testing::EndsWith("ms 0D"));
  const int pauseMs = std::atoi(paused.c_str() + std::string("STRIP WRITE +").size());
  // The strip sees the pause shortened by however much longer the first piece
  // took to arrive than the second, which a loaded machine makes a few hundred ms.
  EXPECT_GE(pauseMs, 500);
  EXPECT_LE(pauseMs, 2500);
  EXPECT_THAT(sim.WaitForLine("STRIP WRITE").value_or(""), HasSubstr("ms 62 79 65 5C"));
  EXPECT_TRUE(sim.WaitForLine("STRIP CLOSE"));
  ASSERT_TRUE(sim.WaitUntilFree());

  // The unit's active copy is what show prints.
  args = login;
  args.insert(args.end(), {"power", "show"});
  const OrbctlRun shown = Orbctl(dir, sim, args);
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_THAT(shown.out, HasSubstr("Port\t2\n"));
  EXPECT_THAT(shown.out, HasSubstr("Command\tOutlet 1 On\ton 1\\r`\\x0D\n"));
}

TEST(OrbctlPower, ABrokenLocalProfileIsRefusedBeforeConnecting) {
  TempDir dir;
  const std::string twoPorts = PROFILE + "Port,3\r\n";
  const std::string file = ProfileFile(dir, twoPorts);
  // Nothing listens here: a run that got as far as connecting would fail with status 1.
  const OrbctlRun run = Orbctl(dir, {"--connect", "127.0.0.1:1", "--user", "admin", "--password",
                                     "admin", "power", "send", "Outlet 1 On", "--profile", file});
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, HasSubstr("Required fields missing, misspelled or duplicated."));
  const OrbctlRun unknown =
      Orbctl(dir, {"power", "send", "Outlet 9 On", "--profile", ProfileFile(dir, PROFILE)});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_THAT(unknown.err, HasSubstr("no command 'Outlet 9 On'"));
}

}  // namespace
