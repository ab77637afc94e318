// Finding the stream again: the marker run read off a scripted line.

#include <gtest/gtest.h>

#include <chrono>

#include "modem/Modem.h"
#include "modem/ModemDatabase.h"
#include "modem/Resynch.h"
#include "protocol/PacketHeader.h"
#include "protocol/PacketTypes.h"
#include "settings/TempDir.h"
#include "support/ModemDatabaseText.h"
#include "support/PtyPair.h"

namespace {

std::vector<uint8_t> Marker(uint8_t k, uint8_t n) {
  return {PACKET_SIGNATURE_1, PACKET_SIGNATURE_2, 0, 0, 0, 0, ERROR_RESYNC, k, n, 0};
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> bytes;
  for (const auto& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
  return bytes;
}

struct Line {
  Line() : ini(dir.File("Remote.ini")) {
    WriteTestModemDatabase(dir.File("modems.ini"), pty.SlavePath());
    engine = std::make_unique<modem::Modem>(
        modem::ModemDatabase(dir.File("modems.ini"), ini).Find(TEST_CABLE), modem::ModemTimings{},
        ini, stop);
    std::string error;
    EXPECT_TRUE(engine->Line().OpenPort(error));
  }
  int NextByte() {
    uint8_t byte = 0;
    int read = 0;
    engine->Line().Read(&byte, 1, read, 500, 0);
    return read == 1 ? byte : -1;
  }
  PtyPair pty;
  TempDir dir;
  settings::IniFile ini;
  platform::StopSignal stop;
  std::unique_ptr<modem::Modem> engine;
};

}  // namespace

TEST(Resynch, FindsAMarkerAndSkipsTheRestOfTheRun) {
  struct Case {
    const char* name;
    std::vector<uint8_t> line;
  } cases[] = {
      {"garbage, then marker 2 of 3", Join({{0x01, 'q', 'v', 0}, Marker(2, 3), Marker(3, 3)})},
      {"the last marker", Join({Marker(3, 3)})},
      {"a broken start eats the byte that broke it",
       Join({{'q', 'v', 0, 0}, Marker(1, 2), Marker(2, 2)})},
      {"unrealistic runs are passed over",
       Join({Marker(1, 0), Marker(1, 21), Marker(4, 3), Marker(5, 5)})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Line line;
    line.pty.Write(Join({c.line, {0xAB, 0xCD}}));
    EXPECT_TRUE(modem::WaitForResynch(line.engine->Line(), 3000));
    // The next byte is the first of what the unit resends.
    EXPECT_EQ(line.NextByte(), 0xAB);
  }
}

TEST(Resynch, GivesUpAtTheTimeLimitOrWhenTheRunIsCutShort) {
  Line line;
  line.pty.Write(std::vector<uint8_t>{'q', 'v', 'x'});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(modem::WaitForResynch(line.engine->Line(), 600));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(seconds, 0.6);
  EXPECT_LT(seconds, 2.0);

  Line cut;
  cut.pty.Write(Join({Marker(1, 3), {1, 2, 3}}));  // two markers promised, three bytes sent
  EXPECT_FALSE(modem::WaitForResynch(cut.engine->Line(), 600));

  Line stopped;
  stopped.stop.Raise();
  EXPECT_FALSE(modem::WaitForResynch(stopped.engine->Line(), 5000));
}
