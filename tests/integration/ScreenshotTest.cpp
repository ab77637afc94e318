// orbctl screenshot against the unit simulator: the saved picture must be the
// simulator's own picture, pixel for pixel, whatever the encoding and cipher.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "settings/TempDir.h"
#include "support/Pictures.h"
#include "support/SimProcess.h"

namespace {

// Runs orbctl in dir; the exit status, with standard error in err.txt.
int Orbctl(const TempDir& dir, const std::string& address, const std::string& arguments) {
  const std::string command =
      "cd " + dir.Path().string() + " && " + ORB_BIN_DIR + "/orbctl --ini Remote.ini --connect " +
      address + " --user admin --password admin " + arguments + " </dev/null >out.txt 2>err.txt";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(OrbctlScreenshot, SavesTheUnitsPictureExactlyInEachEncodingAndCipher) {
  struct Case {
    const char* encoding;
    const char* cipher;
  };
  for (const Case c : {Case{"raw", "13"}, Case{"segment", "13"}, Case{"multisegment", "13"},
                       Case{"multisegment", "11"}, Case{"multisegment", "12"}}) {
    SCOPED_TRACE(std::string(c.encoding) + " / " + c.cipher);
    TempDir dir;
    const std::string reference = dir.File("unit.ppm");
    SimProcess sim({"--encoding", c.encoding, "--encryption", c.cipher, "--frame-interval-ms", "0",
                    "--dump-frame", reference});
    ASSERT_EQ(Orbctl(dir, sim.Address(), "--size 800x600 screenshot shot.bmp"), 0)
        << Slurp(dir.File("err.txt"));
    const Picture expected = ReadPpm(reference);
    const Picture saved = ReadBmp(dir.File("shot.bmp"));
    // The view fitted itself to the unit's native size before asking for it.
    EXPECT_EQ(saved.width, 1024);
    EXPECT_EQ(saved.height, 768);
    EXPECT_EQ(saved.width, expected.width);
    EXPECT_EQ(saved.height, expected.height);
    EXPECT_TRUE(saved.rgb == expected.rgb) << "the pictures differ";
  }
}

TEST(OrbctlScreenshot, WritesPngAndRefusesOtherFileTypes) {
  TempDir dir;
  SimProcess sim({"--frame-interval-ms", "0"});
  ASSERT_EQ(Orbctl(dir, sim.Address(), "screenshot shot.png --settle-ms 200"), 0)
      << Slurp(dir.File("err.txt"));
  EXPECT_EQ(Slurp(dir.File("shot.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");

  ASSERT_TRUE(sim.WaitUntilFree());
  EXPECT_EQ(Orbctl(dir, sim.Address(), "screenshot shot.jpg"), 2);
  EXPECT_NE(Slurp(dir.File("err.txt")).find(".bmp or .png"), std::string::npos);
}

TEST(OrbctlScreenshot, ALiveScreenIsTakenAsItStandsUnlessTimeRunsOutFirst) {
  TempDir dir;
  SimProcess sim({"--frame-interval-ms", "50"});
  // The settle time is well above the gap between two frames of a unit slowed
  // by instrumentation, and the time allowed ends before the live-screen rule
  // could take the picture.
  EXPECT_EQ(Orbctl(dir, sim.Address(), "--timeout-ms 2500 screenshot --settle-ms 1000 early.bmp"),
            1);
  EXPECT_NE(Slurp(dir.File("err.txt")).find("The picture did not settle"), std::string::npos);
  EXPECT_FALSE(std::ifstream(dir.File("early.bmp")).good());

  ASSERT_TRUE(sim.WaitUntilFree());
  ASSERT_EQ(Orbctl(dir, sim.Address(), "screenshot live.bmp"), 0) << Slurp(dir.File("err.txt"));
  EXPECT_EQ(Slurp(dir.File("live.bmp")).size(), 54u + 768u * 1024u * 3u);
}
