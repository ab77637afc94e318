// The unit on a serial line, driven through a pseudo-terminal as the viewer's port would be:
// the modem's commands, a call with its escape and hang-up, the cable, the resending after
// line errors and the call-back.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "Hayes.h"
#include "ModemCall.h"
#include "SerialUnit.h"
#include "sim/ReferenceDecoder.h"
#include "sim/ViewerClient.h"

using client::Viewer;

namespace {

constexpr std::uint8_t CALL_BACK = 232, NEW_SIZE = 73, SERVER_CONFIG_DATA = 247, RESEND_FROM = 242,
                       REPAINT = 240, RESIZE = 70;
const std::string CONNECT = "\r\nCONNECT 57600\r\n";

// The unit on a fresh pseudo-terminal, for the length of a test; counts the ended sessions.
struct SerialFixture {
  explicit SerialFixture(sim::UnitOptions options = {}) : unit(Quick(std::move(options), ended)) {
    path = unit.Start();
  }
  static sim::UnitOptions Quick(sim::UnitOptions options, std::atomic<int>& ended) {
    options.serial.pty = true;
    options.serial.connectDelayMs = 100;
    options.serial.ringIntervalMs = 200;
    options.keepAliveSeconds = 0;
    options.frameIntervalMs = 0;
    options.onSessionEnd = [&ended] { ++ended; };
    return options;
  }
  bool Ended(int count) {
    for (int i = 0; i < 500 && ended < count; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return ended == count;
  }

  std::atomic<int> ended{0};
  sim::SerialUnit unit;
  std::string path;
};

void DialAndNegotiate(Viewer& viewer) {
  viewer.WriteText("ATDT5551234\r");
  ASSERT_EQ(viewer.ReadUntil(CONNECT), "ATDT5551234\r" + CONNECT);
  viewer.Negotiate();
}

// Escape characters count only after a second without data, and the escape only after one more.
void Escape(Viewer& viewer) {
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  viewer.WriteText("+++");
  EXPECT_EQ(viewer.ReadText(6), "\r\nOK\r\n");
}

// Finds the first marker of the run as the viewer does, skips the rest of the run.
void SkipToAfterMarkers(Viewer& viewer) {
  const client::Bytes marker = {0x71, 0x76, 0, 0, 0, 0, 243};
  std::size_t matched = 0;
  while (matched < marker.size()) matched = viewer.Read(1)[0] == marker[matched] ? matched + 1 : 0;
  const client::Bytes rest = viewer.Read(3);
  const int k = rest[0], n = rest[1];
  ASSERT_TRUE(k >= 1 && k <= n && n <= 20) << k << " of " << n;
  viewer.Read(std::size_t(n - k) * 10);
}

void AskToResend(Viewer& viewer, std::uint32_t received) {
  client::Bytes count;
  client::AddLe(count, received, 4);
  viewer.Send(RESEND_FROM, 0, count);
  SkipToAfterMarkers(viewer);
}

}  // namespace

TEST(SimHayes, ParsesTheActionsAndTheDialString) {
  struct Case {
    const char* line;
    sim::Action action;
    const char* number;
    bool pulse;
  };
  const Case cases[] = {
      {"ATDT5551234", sim::Action::Dial, "5551234", false},
      {"atdp 555 1234", sim::Action::Dial, "5551234", true},
      {"ATD", sim::Action::Dial, "", false},
      {"ATE0V1D9,5551234", sim::Action::Dial, "9,5551234", false},
      {"ATA", sim::Action::Answer, "", false},
      {"+++ATH0", sim::Action::HangUp, "", false},
      {"ATO", sim::Action::Online, "", false},
      {"AT&FE0V1&C1&D2S0=0", sim::Action::None, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    sim::Hayes hayes;
    bool answered = false;
    const sim::Command command = hayes.Execute(c.line, answered);
    EXPECT_TRUE(answered);
    EXPECT_EQ(command.action, c.action);
    EXPECT_EQ(command.result, sim::Result::Ok);
    EXPECT_EQ(command.number, c.number);
    EXPECT_EQ(command.pulse, c.pulse);
  }
}

TEST(SimModem, EchoesAndAnswersCommands) {
  SerialFixture fixture;
  Viewer viewer(fixture.path);
  struct Row {
    const char* sent;
    std::string answer;  // echo included
  };
  const Row rows[] = {
      {"ATZ\r", "ATZ\r\r\nOK\r\n"},
      {"AT&F&C1&D2\r", "AT&F&C1&D2\r\r\nOK\r\n"},
      {"ATE0V1\r", "ATE0V1\r\r\nOK\r\n"},  // the echo stops after this line
      {"ATS0=0 X4 +IFC=2,2;\r", "\r\nOK\r\n"},
      {"ATK\r", "\r\nERROR\r\n"},
      {"no command here\r", ""},
      {"ATV0\r", "0\r"},
      {"ATO\r", "3\r"},  // no call to go back to
      {"ATV1E1\r", "\r\nOK\r\n"},
      {"ATA\r", "ATA\r\r\nNO CARRIER\r\n"},  // nothing rings
      {"ATH\r", "ATH\r\r\nOK\r\n"},
      {"ATDP123\r", "ATDP123\r" + CONNECT},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sent);
    viewer.WriteText(std::string(row.sent));
    EXPECT_EQ(viewer.ReadText(row.answer.size()), row.answer);
  }
  EXPECT_TRUE(viewer.Quiet(200));
}

TEST(SimModem, DialFaultsAnswerInPlaceOfConnect) {
  struct Case {
    bool sim::Faults::*fault;
    std::string result;
  };
  for (const Case& c : {Case{&sim::Faults::dialBusy, "\r\nBUSY\r\n"},
                        Case{&sim::Faults::dialNoAnswer, "\r\nNO ANSWER\r\n"}}) {
    SCOPED_TRACE(c.result);
    sim::UnitOptions options;
    options.faults.*c.fault = true;
    SerialFixture fixture(options);
    Viewer viewer(fixture.path);
    for (int attempt = 0; attempt < 2; ++attempt) {
      viewer.WriteText("ATDT5551234\r");
      EXPECT_EQ(viewer.ReadUntil(c.result), "ATDT5551234\r" + c.result);
    }
    viewer.WriteText("AT\r");
    EXPECT_EQ(viewer.ReadUntil("\r\nOK\r\n"), "AT\r\r\nOK\r\n");
    EXPECT_EQ(fixture.ended, 0);
  }
}

TEST(SimModem, CallCarriesTheSessionAcrossAnEscapeUntilHangUp) {
  SerialFixture fixture;
  Viewer viewer(fixture.path);
  DialAndNegotiate(viewer);
  ASSERT_EQ(viewer.Login("admin", "admin"), 2);
  viewer.ReceiveType(SERVER_CONFIG_DATA);  // the last an administrator's login brings

  Escape(viewer);
  viewer.WriteText("ATO\r");
  EXPECT_EQ(viewer.ReadUntil(CONNECT), "ATO\r" + CONNECT);
  viewer.Send(46, 0, {1, 2, 3, 4});  // PING, answered only on the call
  EXPECT_EQ(viewer.ReceiveType(47).data, (client::Bytes{1, 2, 3, 4}));

  Escape(viewer);
  viewer.WriteText("ATH\r");
  EXPECT_EQ(viewer.ReadUntil("\r\nOK\r\n"), "ATH\r\r\nOK\r\n");
  EXPECT_TRUE(fixture.Ended(1));
  // Back in command mode, ready for the next call.
  DialAndNegotiate(viewer);
}

TEST(SimModem, EscapeIsHeardWhileTheViewerStopsReading) {
  SerialFixture fixture;
  Viewer viewer(fixture.path);
  DialAndNegotiate(viewer);
  ASSERT_EQ(viewer.Login("admin", "admin"), 2);
  client::Bytes size;
  client::AddLe(size, 1024, 4);
  client::AddLe(size, 768, 4);
  viewer.Send(RESIZE, 0, size);  // a picture larger than the line holds
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  viewer.WriteText("+++");
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  viewer.WriteText("ATH\r");
  viewer.ReadUntil("\r\nOK\r\n");
  EXPECT_EQ(viewer.ReadUntil("\r\nOK\r\n"), "ATH\r\r\nOK\r\n");
  EXPECT_TRUE(fixture.Ended(1));
}

TEST(SimModem, PlusesWithoutBothGuardsAreData) {
  const sim::UnitOptions options;
  const std::atomic<bool> stop{false};
  sim::Line line = sim::Line::OpenPty();
  sim::Modem modem(line, options.serial, stop);
  Viewer viewer(line.Path());
  sim::ModemCall call(modem, options, stop);
  viewer.WriteText("ab+++cd");  // no silence before
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  viewer.WriteText("++");  // silence before and after, but too few
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  viewer.WriteText("x");
  std::string data;
  std::uint8_t byte = 0;
  for (int i = 0; i < 500 && data.size() < 10; ++i)
    if (call.ReadSome(&byte, 1, 10) == 1) data += char(byte);
  EXPECT_EQ(data, "ab+++cd++x");
  EXPECT_TRUE(viewer.Quiet(100));  // nothing was taken for an escape
}

TEST(SimModem, UnitEndingTheCallDropsTheCarrier) {
  sim::UnitOptions options;
  options.faults.dropCarrier = true;
  SerialFixture fixture(options);
  Viewer viewer(fixture.path);
  DialAndNegotiate(viewer);
  ASSERT_EQ(viewer.Login("admin", "admin"), 2);
  viewer.Send(REPAINT, 0, {});
  viewer.ReadUntil("\r\nNO CARRIER\r\n");
  EXPECT_TRUE(fixture.Ended(1));
}

TEST(SimCable, AnswersTheDialThenTakesTheNegotiation) {
  sim::UnitOptions options;
  options.serial.direct = true;
  SerialFixture fixture(options);
  {
    Viewer viewer(fixture.path);
    viewer.WriteText("ATD\r");
    EXPECT_EQ(viewer.ReadText(CONNECT.size()), CONNECT);
    viewer.Negotiate();
    EXPECT_EQ(viewer.Login("admin", "admin"), 2);
  }
  EXPECT_TRUE(fixture.Ended(1));
}

TEST(SimResync, MarkersThenThePacketsTheViewerLost) {
  sim::UnitOptions options;
  options.serial.direct = true;
  options.nativeWidth = 64;  // a picture of one video packet
  options.nativeHeight = 48;
  options.frameIntervalMs = 0;
  options.faults.noiseRate = 1;  // every packet after the first video packet is hit
  SerialFixture fixture(options);
  Viewer viewer(fixture.path);
  viewer.WriteText("ATD\r");
  viewer.ReadUntil(CONNECT);
  viewer.Negotiate();
  ASSERT_EQ(viewer.Login("admin", "admin"), 2);
  viewer.ReceiveType(SERVER_CONFIG_DATA);
  viewer.Send(REPAINT, 0, {});
  EXPECT_EQ(viewer.Receive().type, 11);  // the picture, which starts the compressed stream
  EXPECT_ANY_THROW(viewer.Receive());    // FILL_BMP_WITH_COLOR, broken by the noise

  // ASK_USER_QUESTIONS, LOGGED_IN, NEW_SIZE, USERS_LIST and SERVER_CONFIG_DATA came through:
  // the fill is what must come again, clean.
  AskToResend(viewer, 5);
  const client::Frame again = viewer.Receive();
  EXPECT_EQ(again.type, 65);
  EXPECT_EQ(again.data.size(), 11u);
}

TEST(SimCallBack, RingsAnswersAndShakesHandsBeforeGrantingTheLogin) {
  sim::UnitOptions options;
  options.serial.callBack = true;
  SerialFixture fixture(options);
  Viewer viewer(fixture.path);
  DialAndNegotiate(viewer);
  viewer.Answer("admin", "admin");
  viewer.ReceiveType(CALL_BACK);

  // The viewer's hang-up, the way a port without modem lines does it.
  Escape(viewer);
  viewer.WriteText("ATH\r");
  viewer.ReadUntil("\r\nOK\r\n");
  viewer.ReadUntil("\r\nRING\r\n");
  viewer.WriteText("ATA\r");
  EXPECT_EQ(viewer.ReadUntil(CONNECT), "ATA\r" + CONNECT);
  viewer.WriteText("hello from bnvk");
  EXPECT_EQ(viewer.ReadText(14), "Hello from orb");
  EXPECT_EQ(viewer.AwaitLoggedIn(), 2);
  EXPECT_EQ(viewer.ReceiveType(NEW_SIZE).data, (client::Bytes{0, 4, 0, 0, 0, 3, 0, 0}));
  EXPECT_EQ(fixture.ended, 0);
}

TEST(SimCallBack, WithoutRingTheUnitDropsTheLineAndGivesUp) {
  sim::UnitOptions options;
  options.serial.callBack = true;
  options.faults.noRing = true;
  SerialFixture fixture(options);
  Viewer viewer(fixture.path);
  DialAndNegotiate(viewer);
  viewer.Answer("admin", "admin");
  viewer.ReceiveType(CALL_BACK);
  viewer.ReadUntil("\r\nNO CARRIER\r\n");  // the viewer did not hang up in time
  EXPECT_TRUE(fixture.Ended(1));
  EXPECT_TRUE(viewer.Quiet(600));
}

TEST(SimResync, PictureIsExactAgainAfterLineNoise) {
  const std::string dump =
      testing::TempDir() + "orbsim_noise_" + std::to_string(::getpid()) + ".ppm";
  sim::UnitOptions options;
  options.serial.direct = true;
  options.faults.noiseRate = 0.1;
  options.dumpFramePath = dump;
  SerialFixture fixture(options);
  Viewer viewer(fixture.path);
  viewer.WriteText("ATD\r");
  viewer.ReadUntil(CONNECT);
  viewer.Negotiate();
  ASSERT_EQ(viewer.Login("admin", "admin"), 2);

  // As the viewer does: count what is not video, and on a broken packet ask for the rest again.
  std::uint32_t received = 2;
  int resyncs = 0;
  client::ReferenceDecoder decoder;
  client::Bytes size;
  client::AddLe(size, 320, 4);
  client::AddLe(size, 200, 4);
  viewer.Send(RESIZE, 0, size);
  // The line is clean up to the first video packet; a few pictures asked for again give the
  // noise more to hit.
  for (int round = 0; round < 6; ++round) {
    if (round > 0) viewer.Send(REPAINT, 0, {});
    while (!viewer.Quiet(500)) {
      client::Frame frame;
      try {
        frame = viewer.Receive();
      } catch (const std::runtime_error&) {
        ++resyncs;
        AskToResend(viewer, received);
        continue;
      }
      if (frame.type != 10 && frame.type != 11) ++received;
      if (frame.type == RESIZE)
        decoder.Resize(int(client::Le32(&frame.data[0])), int(client::Le32(&frame.data[4])));
      decoder.Apply(frame);
    }
  }
  EXPECT_GT(resyncs, 0);
  std::ifstream file(dump, std::ios::binary);
  const std::string ppm((std::istreambuf_iterator<char>(file)), {});
  const std::string header = "P6\n320 200\n255\n";
  ASSERT_EQ(ppm.substr(0, header.size()), header);
  EXPECT_TRUE(std::string(decoder.Rgb().begin(), decoder.Rgb().end()) == ppm.substr(header.size()));
  std::remove(dump.c_str());
}
