// The whole receiving side of the viewer (session controller, login,
// dispatcher, video decoder into the frame buffer) against a simulated unit
// that misbehaves in one way per test. Each fault must end in the operator's
// text for it, with the link closed through Disconnect, within a bounded
// time, and with the settings file left as it was.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "integration/ViewerHarness.h"
#include "protocol/PacketTypes.h"
#include "support/SimProcess.h"
#include "support/TraceRecorder.h"

using Event = ViewerHarness::Event;

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

class Viewer : public ViewerHarness {
 public:
  explicit Viewer(const std::string& address, int keepAliveSeconds = 60)
      : ViewerHarness({address}, keepAliveSeconds) {}

  int Segments() const { return static_cast<int>(core->Video().Segments()); }
  // Logged in, and the first video written into the frame buffer.
  bool WaitForPicture() {
    return RunUntil([&] { return session->IsLoggedIn() && Segments() > 0; });
  }
  std::string IniContent() const { return ReadFile(core->Ini().Path()); }

  // Closed as Disconnect closes a link: nothing of the session left in force.
  void ExpectClosedThroughDisconnect() {
    EXPECT_FALSE(session->IsConnected());
    EXPECT_FALSE(session->IsLoggedIn());
    EXPECT_EQ(Count(Event::LinkEnded), 1u);
    EXPECT_EQ(session->Cipher().SessionCipher(), ENCRYPTION_NONE);
    EXPECT_TRUE(pointer.IsVisible());
  }
};

}  // namespace

// Faults that break the stream or silence the unit: the session ends, and the
// operator is told why.
TEST(FaultInjection, BrokenStreamOrSilentUnitEndsTheSessionWithItsText) {
  const std::string unexpected =
      "Something unexpected went wrong.  It may be necessary to restart the program to get "
      "stable performance.";
  const std::string monitor = "Error in MonitorTCPThread(): HandlePackets encountered an error:\n";
  const std::string lost = "The connection with Tessaline was lost.";
  const std::string silent =
      "No packet was received within the keep-alive period, currently set to 2 seconds.";
  struct Case {
    std::vector<std::string> flags;
    std::string title;
    std::string text;     // the start of the failure text
    bool silent = false;  // the keep-alive watch must notice
  };
  const Case cases[] = {
      {{"--fault-bad-checksum"}, unexpected, monitor + "Improper data stream -- CRC failed."},
      {{"--fault-oversize"},
       unexpected,
       monitor + "Error in GetPacket().\nA packet is available, but the function was called with a "
                 "buffer too small to receive it.\nBuffer size: 60000\nPayload size: "},
      {{"--fault-garbage"},
       unexpected,
       monitor + "Improper data stream -- new packet does not start where expected."},
      {{"--fault-finished-stream"},
       unexpected,
       monitor + "Error getting interval.\nZLib decompression error.\n"},
      {{"--fault-stall"}, lost, silent, true},
      {{"--fault-no-keepalive"}, lost, silent, true},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.flags.front());
    TraceRecorder trace;  // outlives the viewer's threads
    SimProcess sim(test.flags);
    Viewer viewer(sim.Address(), 2);
    const std::string settings = viewer.IniContent();
    viewer.Connect();
    ASSERT_TRUE(viewer.RunUntil([&] { return viewer.session->IsLoggedIn(); }));
    if (test.silent)
      ASSERT_TRUE(viewer.WaitForKeepAliveLoss());
    else
      ASSERT_TRUE(viewer.RunUntil([&] { return viewer.Count(Event::Failure) > 0; }));
    ASSERT_TRUE(viewer.WaitForEnd());
    ASSERT_EQ(viewer.failures.size(), 1u);
    EXPECT_EQ(viewer.failures[0].title, test.title);
    EXPECT_EQ(viewer.failures[0].text.rfind(test.text, 0), 0u) << viewer.failures[0].text;
    EXPECT_EQ(viewer.Count(Event::Failure), 1u);
    viewer.ExpectClosedThroughDisconnect();
    EXPECT_EQ(viewer.IniContent(), settings);
  }
}

TEST(FaultInjection, UnitClosingMidPacketClosesTheLink) {
  TraceRecorder trace;
  SimProcess sim({"--fault-close-mid-packet"});
  Viewer viewer(sim.Address());
  const std::string settings = viewer.IniContent();
  viewer.Connect();
  ASSERT_TRUE(viewer.RunUntil([&] { return viewer.Count(Event::LinkEnded) > 0; }));
  ASSERT_TRUE(viewer.WaitForEnd());
  // A unit that closes with our bytes still unread resets the connection
  // instead: the receive error path. Once logged in, the operator is told, once.
  EXPECT_THAT(viewer.session->Failure().Title(),
              ::testing::AnyOf("Socket closed.", "TCP error. Disconnected. Idle.", ""));
  // Half a packet is no packet: nothing of it reached the decoder.
  EXPECT_EQ(viewer.Segments(), 0);
  EXPECT_LE(viewer.Count(Event::Failure), 1u);
  viewer.ExpectClosedThroughDisconnect();
  EXPECT_EQ(viewer.IniContent(), settings);
}

TEST(FaultInjection, RefusedLoginNeverLogsInAndEndsWhenTheUnitCloses) {
  TraceRecorder trace;
  SimProcess sim({"--refuse-login"});
  Viewer viewer(sim.Address());
  const std::string settings = viewer.IniContent();
  viewer.Connect();
  ASSERT_TRUE(viewer.RunUntil([&] { return viewer.Count(Event::LinkEnded) > 0; }));
  ASSERT_TRUE(viewer.WaitForEnd());
  EXPECT_GE(viewer.core->Login().Refusals(), 1);
  // The unit's reason reaches the operator, collected for the connect dialog
  // or shown, even when it arrives as the link goes down.
  const auto box = viewer.dialogs.Last(platform::HeadlessDialogs::Kind::MessageBox);
  EXPECT_TRUE(viewer.session->Failure().AttemptMessages().find("Too many login attempts.") !=
                  std::string::npos ||
              (box && box->text == "Too many login attempts."));
  // A unit that closes with our bytes still unread resets the connection
  // instead: the receive error path, which leaves no title.
  EXPECT_THAT(viewer.session->Failure().Title(), ::testing::AnyOf("Socket closed.", ""));
  viewer.ExpectClosedThroughDisconnect();
  EXPECT_EQ(viewer.IniContent(), settings);
}

// Faults the viewer rides out: the session stays up and video keeps coming.
TEST(FaultInjection, UnknownTypeAndOversizedScreenLeaveTheSessionUp) {
  for (const char* flag : {"--fault-unknown-type", "--fault-big-screen"}) {
    SCOPED_TRACE(flag);
    TraceRecorder trace;
    SimProcess sim({flag});
    Viewer viewer(sim.Address());
    const std::string settings = viewer.IniContent();
    viewer.Connect();
    ASSERT_TRUE(viewer.WaitForPicture());
    ASSERT_TRUE(viewer.RunUntil([&] {
      return viewer.core->Dispatcher().UnknownTypeCount() +
                 viewer.core->Dispatcher().ReceiveCount(NEW_SIZE) >
             0;
    }));
    const int segments = viewer.Segments();
    ASSERT_TRUE(viewer.RunUntil([&] { return viewer.Segments() > segments; }));
    EXPECT_TRUE(viewer.session->IsLoggedIn());
    EXPECT_EQ(viewer.Count(Event::Failure), 0u);
    EXPECT_NE(viewer.core->Bitmap().Size(), (platform::Size{1601, 1200}));

    viewer.session->Disconnect(true);
    // The closing command is posted, so it may still be queued when the link is down.
    ASSERT_TRUE(viewer.RunUntil(
        [&] { return viewer.core->IsLinkEnded() && viewer.Count(Event::LinkEnded) > 0; }));
    viewer.ExpectClosedThroughDisconnect();
    EXPECT_EQ(viewer.IniContent(), settings);
  }
}

TEST(FaultInjection, BusyUnitIsNeverConnected) {
  TraceRecorder trace;
  SimProcess sim({"--busy"});
  Viewer viewer(sim.Address());
  const std::string settings = viewer.IniContent();
  viewer.Connect();
  ASSERT_TRUE(viewer.WaitForEnd());
  EXPECT_EQ(viewer.session->Failure().Text(),
            "-- The Tessaline is active with another connection.\n");
  EXPECT_EQ(viewer.Count(Event::Connected), 0u);
  EXPECT_FALSE(viewer.session->IsConnected());
  EXPECT_EQ(viewer.IniContent(), settings);
}
