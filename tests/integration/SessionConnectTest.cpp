// The session controller against the simulated unit: connecting, failing
// over, a busy unit, a lost link.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "integration/ViewerHarness.h"
#include "session/LineSpeed.h"
#include "support/SimProcess.h"
#include "support/TraceRecorder.h"

using Event = ViewerHarness::Event;

namespace {

// A loopback address nobody listens on.
std::string RefusingAddress() {
  platform::TcpSocket probe;
  probe.Listen("127.0.0.1", 0);
  return "127.0.0.1:" + std::to_string(probe.LocalPort());
}

}  // namespace

TEST(SessionWithSim, ConnectsNegotiatesMeasuresTheLineAndDisconnects) {
  TraceRecorder trace;  // outlives the viewer's threads
  SimProcess sim({"--keepalive-s", "60"});
  ViewerHarness viewer({sim.Address()});
  viewer.Connect();
  ASSERT_TRUE(viewer.WaitFor(Event::Connected));
  EXPECT_TRUE(viewer.session->IsConnected());
  EXPECT_EQ(viewer.view.Title(), "Tessaline Viewer - Unit");
  EXPECT_EQ(viewer.connector->Negotiated().sessionCipher, 13);
  EXPECT_EQ(viewer.connector->Negotiated().unitVersion, "ORB2.10");
  EXPECT_EQ(viewer.connector->FailoverText(),
            "Trying: " + sim.Address() + "\r\nThe remote is an Tessaline\n");

  // The unit's keep-alive, then its login questions, in order.
  ASSERT_TRUE(viewer.WaitForPackets(2));
  EXPECT_EQ(viewer.packets[0]->Header().type, KEEP_ALIVE);
  EXPECT_EQ(viewer.packets[1]->Header().type, ASK_USER_QUESTIONS);
  EXPECT_EQ(viewer.packets[1]->QueueNumber(), viewer.packets[0]->QueueNumber() + 1);

  session::SendTimingPacket(*viewer.session);
  ASSERT_TRUE(viewer.RunUntil([&] { return trace.Count("Baud rate (bits per second): ") > 0; }));

  viewer.session->Disconnect(true);
  EXPECT_FALSE(viewer.session->IsConnected());
  EXPECT_EQ(viewer.session->Cipher().SessionCipher(), ENCRYPTION_NONE);
  EXPECT_TRUE(viewer.pointer.IsVisible());
  EXPECT_EQ(viewer.pointer.AccelerationChanges().back(), (platform::MouseAcceleration{6, 10, 1}));
  ASSERT_TRUE(viewer.WaitFor(Event::LinkEnded));
  EXPECT_EQ(viewer.Count(Event::LinkEnded), 1u);
}

TEST(SessionWithSim, FailsOverToTheThirdAddress) {
  SimProcess sim({});
  const std::string first = RefusingAddress(), second = RefusingAddress();
  ViewerHarness viewer({first, second, sim.Address()});
  viewer.Connect();
  ASSERT_TRUE(viewer.WaitFor(Event::Connected));
  const std::string text = viewer.connector->FailoverText();
  EXPECT_EQ(ViewerHarness::Occurrences(text, "Trying: "), 3u) << text;
  EXPECT_NE(text.find("Trying: " + first + "\r\n-- Tessaline could not be reached.\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Trying: " + sim.Address() + "\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("All attempts failed."), std::string::npos);
  EXPECT_EQ(viewer.connector->CurrentTarget().Addresses().Address(), sim.Address());
}

TEST(SessionWithSim, OnlyAWalkOverSeveralAddressesEndsInAllAttemptsFailed) {
  for (const size_t addresses : {size_t{1}, size_t{2}}) {
    std::vector<std::string> list;
    for (size_t i = 0; i < addresses; ++i) list.push_back(RefusingAddress());
    ViewerHarness viewer(list);
    viewer.Connect();
    ASSERT_TRUE(viewer.WaitForConnectAttempt());
    const std::string text = viewer.connector->FailoverText();
    EXPECT_EQ(ViewerHarness::Occurrences(text, "Trying: "), addresses) << text;
    EXPECT_EQ(ViewerHarness::Occurrences(text, "\n\nAll attempts failed.\n"), addresses - 1)
        << text;
    EXPECT_EQ(viewer.session->Failure().Title(), "-- Tessaline could not be reached.\n");
    EXPECT_FALSE(viewer.session->IsConnected());
    EXPECT_EQ(viewer.Count(Event::Connected), 0u);
  }
}

TEST(SessionWithSim, BusyUnitSaysSo) {
  SimProcess sim({"--busy"});
  ViewerHarness viewer({sim.Address()});
  viewer.Connect();
  ASSERT_TRUE(viewer.WaitForConnectAttempt());
  EXPECT_EQ(viewer.session->Failure().Text(),
            "-- The Tessaline is active with another connection.\n");
  EXPECT_NE(viewer.connector->FailoverText().find("active with another connection"),
            std::string::npos);
  EXPECT_FALSE(viewer.session->IsConnected());
}

TEST(SessionWithSim, KeepAliveExpiryClosesTheLinkAndSaysWhy) {
  SimProcess sim({"--fault-no-keepalive"});
  ViewerHarness viewer({sim.Address()}, 60);
  viewer.Connect();
  ASSERT_TRUE(viewer.WaitFor(Event::Connected));
  // Armed by the unit's first KEEP_ALIVE; a minute without one is not yet too long.
  ASSERT_TRUE(viewer.RunUntil([&] { return viewer.session->Counters().keepAliveStamp != 0; }));
  viewer.clock.Advance(60);
  viewer.RunUntil([] { return false; }, 50);
  EXPECT_TRUE(viewer.session->IsConnected());
  ASSERT_TRUE(viewer.WaitForKeepAliveLoss());
  EXPECT_FALSE(viewer.session->IsConnected());
  ASSERT_EQ(viewer.failures.size(), 1u);
  EXPECT_EQ(viewer.failures[0].title, "The connection with Tessaline was lost.");
  EXPECT_EQ(viewer.failures[0].text,
            "No packet was received within the keep-alive period, currently set to 60 seconds.");
  // Closed before the operator is told.
  ASSERT_EQ(viewer.Count(Event::LinkEnded), 1u);
  EXPECT_LT(std::find(viewer.events.begin(), viewer.events.end(), Event::LinkEnded),
            std::find(viewer.events.begin(), viewer.events.end(), Event::Failure));
}

// Killed or stopped, a logged-in unit is reported at once, and the keep-alive
// watch ends with the link: no second report a minute later.
TEST(SessionWithSim, UnitDyingEndsTheSessionAndIsReportedAtOnce) {
  for (const int signal : {SIGTERM, SIGKILL}) {
    SCOPED_TRACE(signal);
    auto sim = std::make_unique<SimProcess>(std::vector<std::string>{});
    ViewerHarness viewer({sim->Address()});
    viewer.Connect();
    ASSERT_TRUE(viewer.WaitFor(Event::LoggedIn));
    EXPECT_TRUE(viewer.session->IsLoggedIn());
    // The observer hears what the login was granted: rights and the session's cipher.
    ASSERT_EQ(viewer.grants.size(), 1u);
    EXPECT_TRUE(viewer.grants[0].administrator);
    EXPECT_EQ(viewer.grants[0].cipher, viewer.session->Cipher().SessionCipher());
    EXPECT_NE(viewer.grants[0].cipher, ENCRYPTION_NONE);
    ASSERT_TRUE(viewer.RunUntil([&] { return viewer.session->Counters().keepAliveStamp != 0; }));
    sim->Kill(signal);
    ASSERT_TRUE(viewer.RunUntil([&] { return viewer.Count(Event::Failure) > 0; }, 2000));
    ASSERT_TRUE(viewer.RunUntil([&] { return !viewer.link->IsMonitorRunning(); }));
    EXPECT_FALSE(viewer.session->IsConnected());
    // A unit that dies with our bytes still unread resets the connection
    // rather than closing it: the receive error path.
    EXPECT_THAT(viewer.failures.at(0).title,
                ::testing::AnyOf("Socket closed.", "TCP error. Disconnected. Idle."));
    EXPECT_THAT(viewer.failures.at(0).text, ::testing::HasSubstr("The session has ended."));
    EXPECT_EQ(viewer.Count(Event::LinkEnded), 1u);
    EXPECT_TRUE(viewer.pointer.IsVisible());
    viewer.clock.Advance(10 * 60);
    viewer.RunUntil([] { return false; }, 100);
    EXPECT_EQ(viewer.Count(Event::Failure), 1u);
  }
}
