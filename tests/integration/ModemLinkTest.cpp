// The viewer over a serial line, end to end against a scripted modem and unit
// on a pseudo-terminal: dialling and logging in, a direct cable, the texts of
// a failed call, the call-back hand-shake, and a stream that line noise
// breaks and the resynchronisation mends.

#include <gtest/gtest.h>

#include <fstream>

#include "integration/ModemViewer.h"
#include "protocol/PacketTypes.h"
#include "support/TraceRecorder.h"

namespace {

constexpr uint32_t CALL_MS = 30000;

bool LoggedInAndPinged(ViewerHarness& viewer, uint32_t replies = 2) {
  return viewer.RunUntil(
      [&] {
        return viewer.session->IsLoggedIn() &&
               viewer.core->Dispatcher().ReceiveCount(PING_RESPONSE) >= replies;
      },
      CALL_MS);
}

}  // namespace

TEST(ModemLink, DialsLogsInAndHangsUp) {
  TraceRecorder trace;
  ModemViewer line({});
  line.viewer.Connect();
  ASSERT_TRUE(LoggedInAndPinged(line.viewer)) << line.viewer.core->FailureText();
  const std::vector<std::string> commands = line.peer.Commands();
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands.front(), "ATZ\r");
  EXPECT_EQ(commands.back(), "ATDT5551234\r");

  line.viewer.session->Disconnect(true);
  ASSERT_TRUE(line.viewer.WaitForEnd());
  // Closing the port is the hang-up.
  ASSERT_TRUE(line.viewer.RunUntil([&] { return line.peer.LineClosed(); }, 5000));
}

TEST(ModemLink, ADirectCableNeedsNoModemCommands) {
  TraceRecorder trace;
  ModemViewer line({.direct = true}, TEST_CABLE);
  line.viewer.Connect();
  ASSERT_TRUE(LoggedInAndPinged(line.viewer)) << line.viewer.core->FailureText();
  EXPECT_EQ(line.peer.Commands(), std::vector<std::string>{"ATD\r"});
}

TEST(ModemLink, FailedCallsTellTheOperatorWhy) {
  TraceRecorder trace;
  struct Case {
    ModemScript script;
    std::string model;
    std::string failure;
  } cases[] = {
      {{.dialResult = "BUSY"}, TEST_MODEM, "Modem/Serial connection failed.\n"},
      {{.dialResult = "NO CARRIER"}, TEST_MODEM, "Modem/Serial connection failed.\n"},
      {{.direct = true, .answersDial = false},
       TEST_CABLE,
       "Can't connect, Tessaline did not reply.\n"},
      {{}, "Unknown MODEM", "Could not find info in the registry for this modem: Unknown MODEM"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failure);
    ModemViewer line(c.script, c.model);
    line.viewer.Connect();
    ASSERT_TRUE(line.viewer.RunUntil([&] { return line.viewer.core->IsLinkEnded(); }, CALL_MS));
    EXPECT_EQ(line.viewer.core->FailureText(), c.failure);
    EXPECT_FALSE(line.viewer.session->IsConnected());
  }
  // A cable that never answered was greeted five times.
}

TEST(ModemLink, APortThatCannotBeOpenedIsNamed) {
  TraceRecorder trace;
  ModemViewer line({});
  std::ofstream(line.viewer.dir.File("modems.ini"))
      << "[M]\nModel=Gone MODEM\nAttachedTo=/dev/no-such-tty\n";
  settings::AddressEntry target("Unit", "1", "Color always", "Gone MODEM", false, "");
  target.SaveToINI(line.viewer.core->Ini());
  line.viewer.connector->SelectUnit(0, "Unit");
  line.viewer.Connect();
  ASSERT_TRUE(line.viewer.RunUntil([&] { return line.viewer.core->IsLinkEnded(); }, CALL_MS));
  EXPECT_EQ(line.viewer.core->FailureText().rfind(
                "Could not connect to the modem -- open failed.\nGone MODEM\nError opening modem "
                "port: /dev/no-such-tty\n",
                0),
            0u)
      << line.viewer.core->FailureText();
}

TEST(ModemLink, TheUnitCallsBackAndTheLoginGoesOn) {
  TraceRecorder trace;
  // The answering modem echoes ATA at once and connects after its training:
  // within the viewer's first look at the answer, or well after it, when
  // only the echo has come by then.
  for (const int answerDelayMs : {1000, 1500}) {
    SCOPED_TRACE(answerDelayMs);
    ModemViewer line({.callBack = true, .answerDelayMs = answerDelayMs});
    line.viewer.Connect();
    ASSERT_TRUE(LoggedInAndPinged(line.viewer)) << line.viewer.core->FailureText();
    EXPECT_TRUE(line.peer.HungUpByEscape());
    EXPECT_TRUE(line.peer.Greeted());
    // The greeting waited for the carrier: a keystroke would have aborted the answer.
    EXPECT_EQ(line.peer.HeardWhileAnswering(), "");
    EXPECT_FALSE(line.viewer.link->IsCallBackInProgress());
  }
}

TEST(ModemLink, ACallBackFromAStrangerIsRefused) {
  TraceRecorder trace;
  ModemViewer line({.callBack = true, .callBackReply = "Hello from elsewhere"});
  line.viewer.Connect();
  ASSERT_TRUE(line.viewer.RunUntil([&] { return line.viewer.core->IsLinkEnded(); }, CALL_MS));
  EXPECT_EQ(line.viewer.core->FailureText(), "Got a call, but not from a Tessaline.\n");
  EXPECT_FALSE(line.viewer.session->IsLoggedIn());
}

TEST(ModemLink, LineNoiseIsMendedByResynchronising) {
  TraceRecorder trace;
  ModemViewer line({.corruptFirstReply = true});
  line.viewer.Connect();
  // The first reply is broken; the resent one arrives whole behind the markers.
  ASSERT_TRUE(LoggedInAndPinged(line.viewer)) << line.viewer.core->FailureText();
  // Only LOGGED_IN had been handed on when the checksum failed.
  EXPECT_EQ(line.peer.ResendRequests(), std::vector<uint32_t>{1});
  EXPECT_FALSE(line.viewer.link->IsResynchronising());
  EXPECT_TRUE(line.viewer.session->IsConnected());
  // And the link carries on.
  const uint32_t before = line.viewer.core->Dispatcher().ReceiveCount(PING_RESPONSE);
  PacketHeader ping(PING, 0);
  const std::vector<uint8_t> stamp = {1, 2, 3, 4};
  line.viewer.session->SendPacket(ping, {stamp.data(), stamp.size()});
  EXPECT_TRUE(LoggedInAndPinged(line.viewer, before + 1));
}
