// The receive path over a real socket, against a unit played by the test:
// how receives are cut into packets, and what a broken stream does.

#include <gtest/gtest.h>

#include "integration/ScriptedUnit.h"
#include "integration/ViewerHarness.h"
#include "platform/Clock.h"

using Event = ViewerHarness::Event;

namespace {

std::vector<uint8_t> Text(const std::string& text) { return {text.begin(), text.end() + 1}; }

std::vector<uint8_t> Join(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct Connected {
  ScriptedUnit unit;
  ViewerHarness viewer;
  explicit Connected(const ViewerHarness::Options& options = {})
      : viewer({unit.Address()}, options) {
    viewer.Connect();
    EXPECT_TRUE(viewer.WaitFor(Event::Connected));
    EXPECT_TRUE(unit.Negotiated());
    // The monitor thread's first act is a keep-alive; once it is here the
    // thread is receiving.
    EXPECT_TRUE(unit.ReceivePacketOfType(KEEP_ALIVE));
  }
};

}  // namespace

TEST(SessionStream, PacketsArePostedInArrivalOrderWithConsecutiveQueueNumbers) {
  Connected c;
  // Two packets in one receive.
  c.unit.Send(Join(ScriptedUnit::Packet(TEXT_MSG, Text("first")),
                   ScriptedUnit::Packet(TEXT_MSG, Text("second"))));
  ASSERT_TRUE(c.viewer.WaitForPackets(2));
  // One packet over two receives: nothing is posted after the first half.
  const std::vector<uint8_t> third = ScriptedUnit::Packet(TEXT_MSG, Text("third"));
  c.unit.Send({third.begin(), third.begin() + 12});
  c.viewer.RunUntil([] { return false; }, 200);
  EXPECT_EQ(c.viewer.packets.size(), 2u);
  c.unit.Send({third.begin() + 12, third.end()});
  ASSERT_TRUE(c.viewer.WaitForPackets(3));

  const char* texts[] = {"first", "second", "third"};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(c.viewer.packets[i]->Payload(), Text(texts[i]));
    EXPECT_EQ(c.viewer.packets[i]->QueueNumber(), c.viewer.packets[0]->QueueNumber() + i);
  }
  EXPECT_EQ(c.viewer.session->Counters().lastQueued, c.viewer.packets[2]->QueueNumber());
  EXPECT_TRUE(c.viewer.session->IsConnected());
}

// Without a repaint delay, the window thread hears of each receive's video at
// once; with one, the view timer alone finds it.
TEST(SessionStream, DecodedVideoIsAnnouncedToTheWindowOnlyWithoutARepaintDelay) {
  // Ten red pixels at the top left, uncompressed.
  const std::vector<uint8_t> video{0, 0, 0, 0, 0xF8, 0x00, 32 + 9};
  for (const int delay : {0, 101}) {
    ViewerHarness::Options options;
    options.repaintDelayMs = delay;
    Connected c(options);
    c.unit.Send(ScriptedUnit::Packet(SEGMENT, video, 1));
    c.unit.Send(ScriptedUnit::Packet(TEXT_MSG, Text("after the video")));
    ASSERT_TRUE(c.viewer.WaitForPackets(1));
    // The news follows the receive's last packet, so it may come after the text.
    if (delay == 0)
      EXPECT_TRUE(c.viewer.RunUntil([&] { return c.viewer.videoWritten > 0; }));
    else
      c.viewer.RunUntil([] { return false; }, 200);
    EXPECT_EQ(c.viewer.session->Counters().videoSegments, 1u);
    EXPECT_EQ(c.viewer.videoWritten, delay == 0 ? 1u : 0u) << "RepaintDelayMS " << delay;
  }
}

TEST(SessionStream, BrokenStreamEndsTheSessionWithItsText) {
  std::vector<uint8_t> oversize = ScriptedUnit::Packet(TEXT_MSG, Text("x"));
  oversize[2] = 0x61;  // PayloadSize 60,001
  oversize[3] = 0xEA;
  std::vector<uint8_t> badChecksum = ScriptedUnit::Packet(TEXT_MSG, Text("checked"));
  badChecksum.back() ^= 0xFF;
  const std::string signature = "Improper data stream -- new packet does not start where expected.";
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    std::string expected;
  };
  const Case cases[] = {
      {"garbage", std::vector<uint8_t>(64, '?'), signature},
      {"100,001 bytes that never form a packet", std::vector<uint8_t>(100001, 0x5A), signature},
      {"oversize", oversize, "Buffer size: 60000\nPayload size: 60001\n"},
      {"bad checksum", badChecksum, "Improper data stream -- CRC failed."},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    Connected c;
    c.unit.Send(test.bytes);
    ASSERT_TRUE(c.viewer.WaitFor(Event::Failure));
    EXPECT_FALSE(c.viewer.session->IsConnected());
    EXPECT_EQ(c.viewer.failures.at(0).title,
              "Something unexpected went wrong.  It may be necessary to restart the program to "
              "get stable performance.");
    const std::string text = c.viewer.failures.at(0).text;
    EXPECT_EQ(text.rfind("Error in MonitorTCPThread(): HandlePackets encountered an error:\n", 0),
              0u)
        << text;
    EXPECT_NE(text.find(test.expected), std::string::npos) << text;
    EXPECT_EQ(c.viewer.Count(Event::LinkEnded), 1u);
    EXPECT_TRUE(c.viewer.packets.empty());
    EXPECT_EQ(c.viewer.session->Cipher().SessionCipher(), ENCRYPTION_NONE);
    EXPECT_TRUE(c.viewer.pointer.IsVisible());
    if (test.expected.find("CRC") != std::string::npos) {
      // The unit is told which packet failed: a PING of subtype 2 carrying it.
      std::vector<uint8_t> report;
      ASSERT_TRUE(c.unit.ReceivePacketOfType(PING, &report));
      EXPECT_EQ(report.size(), 4 + Text("checked").size());
    }
    ASSERT_TRUE(c.viewer.RunUntil([&] { return !c.viewer.link->IsMonitorRunning(); }));
  }
}

TEST(SessionStream, SilentUnitFailsTheNegotiationAndTheConnectAttempt) {
  platform::TcpSocket listener;
  ASSERT_TRUE(listener.Listen("127.0.0.1", 0));
  ViewerHarness viewer({"127.0.0.1:" + std::to_string(listener.LocalPort())});
  viewer.Connect();
  platform::TcpSocket peer = listener.Accept(5000);  // accepts, never answers
  ASSERT_TRUE(viewer.WaitForConnectAttempt());
  EXPECT_EQ(viewer.session->Failure().Text(),
            "Tessaline could not complete the connection.\nThe remote did not respond like a "
            "compatible Tessaline.");
  EXPECT_FALSE(viewer.session->IsConnected());
  EXPECT_EQ(viewer.Count(Event::Connected), 0u);
}
