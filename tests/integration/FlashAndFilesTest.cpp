// orbctl's flash, file, refresh and line-speed verbs against the unit simulator: what is sent
// reaches the unit whole, and a refusal or a bad name is said so with its exit status.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OrbctlRun.h"
#include "settings/TempDir.h"
#include "support/SimProcess.h"

using testing::HasSubstr;

namespace {

OrbctlRun AsUser(const TempDir& dir, SimProcess& sim, std::vector<std::string> verb,
                 const std::string& user = "admin") {
  std::vector<std::string> args = {"--connect",  sim.Address(), "--user",       user,
                                   "--password", user,          "--timeout-ms", "8000"};
  args.insert(args.end(), verb.begin(), verb.end());
  return Orbctl(dir, sim, args);
}

std::string Image(const TempDir& dir, const std::string& name, size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 13 % 256);
  WriteWholeFile(dir.File(name), bytes);
  return dir.File(name);
}

}  // namespace

TEST(FlashVerb, AWholeImageIsWrittenByTheUnit) {
  const std::pair<const char*, size_t> images[] = {{"orb.bin", 10000}, {"orb.FlashPCI.bin", 9992}};
  TempDir dir;
  SimProcess sim({"--log-commands"});
  for (const auto& [name, size] : images) {
    const OrbctlRun run = AsUser(dir, sim, {"flash", Image(dir, name, size)});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Flash update sent.\n");
    const auto written = sim.WaitForLine("FLASH WRITTEN");
    ASSERT_TRUE(written) << name;
    EXPECT_EQ(*written, "FLASH WRITTEN " + std::to_string(size) + " bytes kind " +
                            (std::string(name).find(".FlashPCI") != std::string::npos ? "2" : "1"));
    ASSERT_TRUE(sim.WaitUntilFree());
  }
}

TEST(FlashVerb, ARefusedImageFailsTheCommand) {
  TempDir dir;
  SimProcess sim({"--flash-fail", "--log-commands"});
  const OrbctlRun run = AsUser(dir, sim, {"flash", Image(dir, "orb.bin", 7000)});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("Flash not updated: the unit could not write the image."));
  EXPECT_EQ(run.out, "");
}

TEST(FlashVerb, ANameOfNoImageKindIsRefusedBeforeConnecting) {
  TempDir dir;
  SimProcess sim({"--log-commands"});
  const OrbctlRun run = AsUser(dir, sim, {"flash", Image(dir, "IMAGE.BIN", 100)});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "This file is not a flash update.  Flash updates should have an extension of '.bin'\n");
  // Nobody came: the unit never served a session.
  EXPECT_FALSE(sim.WaitForLine("SESSION STARTED", std::chrono::milliseconds(300)));
}

TEST(FileVerb, AFilePutComesBackTheSame) {
  TempDir dir;
  SimProcess sim({});
  const std::string bytes("line one\r\n\0binary\xff", 19);
  WriteWholeFile(dir.File("sent.dat"), bytes);
  OrbctlRun run = AsUser(dir, sim, {"file", "put", dir.File("sent.dat"), "/mnt/flash/Quil/a.dat"});
  ASSERT_EQ(run.status, 0) << run.err;
  run = AsUser(dir, sim, {"file", "get", "/mnt/flash/Quil/a.dat", dir.File("back.dat")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadWholeFile(dir.File("back.dat")), bytes);

  run = AsUser(dir, sim, {"file", "get", "/mnt/flash/Quil/missing", dir.File("none.dat")});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("could not read the file"));
  run = AsUser(dir, sim, {"file", "get", "/etc/passwd", dir.File("none.dat")});
  EXPECT_EQ(run.status, 2);
}

TEST(RemoteCommands, RefreshAndLineSpeedReachTheUnit) {
  TempDir dir;
  SimProcess sim({"--log-commands"});
  const std::pair<std::vector<std::string>, std::string> commands[] = {
      {{"refresh"}, "REPAINT"},
      {{"line-speed", "slow"}, "THROUGHPUT_OBSERVED 28000"},
      {{"line-speed", "fast"}, "THROUGHPUT_OBSERVED 1000000"},
  };
  for (const auto& [verb, line] : commands) {
    const OrbctlRun run = AsUser(dir, sim, verb);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(sim.WaitForLine(line)) << line;
    ASSERT_TRUE(sim.WaitUntilFree());
  }
  EXPECT_EQ(AsUser(dir, sim, {"line-speed", "medium"}).status, 2);
}
