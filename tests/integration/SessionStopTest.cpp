// The viewer, ended in each state of a session against a unit that never
// answers, ends within two seconds: its threads stop on request wherever they
// wait (host lookup, connect, negotiation, receive, a DISCONNECT's grace).

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "integration/ModemViewer.h"
#include "integration/ScriptedUnit.h"
#include "integration/ViewerHarness.h"
#include "platform/TcpSocket.h"
#include "support/SimProcess.h"
#include "support/TraceRecorder.h"

using Event = ViewerHarness::Event;

namespace {

constexpr double MAX_STOP_SECONDS = 2.0;

// A name server that never answers until the test is over. The lookup the
// viewer abandons outlives the test, so what it waits on is shared with it.
class HangingResolver {
 public:
  ~HangingResolver() { Release(); }
  platform::HostResolver Resolver() {
    return [state = m_state](const std::string&) -> std::optional<uint32_t> {
      std::unique_lock lock(state->mutex);
      state->asked = true;
      state->wake.wait(lock, [&] { return state->released; });
      return std::nullopt;
    };
  }
  bool Asked() {
    std::lock_guard lock(m_state->mutex);
    return m_state->asked;
  }
  void Release() {
    std::lock_guard lock(m_state->mutex);
    m_state->released = true;
    m_state->wake.notify_all();
  }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable wake;
    bool asked = false;
    bool released = false;
  };
  std::shared_ptr<State> m_state = std::make_shared<State>();
};

// A listener whose queue of connections is full: a further connect is never
// answered, so it waits for its whole time-out.
struct FullListener {
  FullListener() {
    EXPECT_TRUE(listener.Listen("127.0.0.1", 0, 0));
    EXPECT_TRUE(filler.Open());
    EXPECT_EQ(filler.Connect({*platform::ParseDottedIPv4("127.0.0.1"), listener.LocalPort()}), 0);
  }
  std::string Address() const { return "127.0.0.1:" + std::to_string(listener.LocalPort()); }
  platform::TcpSocket listener;
  platform::TcpSocket filler;
};

double SecondsToEnd(std::unique_ptr<core::ViewerCore>& core) {
  const auto start = std::chrono::steady_clock::now();
  core.reset();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Stays in the state for a while first, so the stop meets a thread that waits.
void Linger(ViewerHarness& viewer) {
  viewer.RunUntil([] { return false; }, 300);
}

}  // namespace

TEST(SessionStop, EndsInTimeInEveryState) {
  TraceRecorder trace;  // outlives the viewer's threads
  struct Case {
    const char* state;
    std::function<void(ViewerHarness&)> reach;
  };
  HangingResolver names;
  FullListener full;
  platform::TcpSocket mute, mutePeer;
  ASSERT_TRUE(mute.Listen("127.0.0.1", 0));
  const std::string muteAddress = "127.0.0.1:" + std::to_string(mute.LocalPort());

  const Case cases[] = {
      {"looking up",
       [&](ViewerHarness& viewer) {
         viewer.Connect();
         ASSERT_TRUE(viewer.RunUntil([&] { return names.Asked(); }));
         EXPECT_TRUE(viewer.connector->IsConnecting());
       }},
      {"connecting",
       [&](ViewerHarness& viewer) {
         viewer.Connect();
         Linger(viewer);
         EXPECT_TRUE(viewer.connector->IsConnecting());
       }},
      {"negotiating",
       [&](ViewerHarness& viewer) {
         viewer.Connect();
         mutePeer = mute.Accept(5000);
         ASSERT_TRUE(mutePeer.IsOpen());
         Linger(viewer);
         EXPECT_TRUE(viewer.connector->IsConnecting());
       }},
      {"logging in",
       [&](ViewerHarness& viewer) {
         viewer.Connect();
         ASSERT_TRUE(viewer.WaitFor(Event::Connected));
         Linger(viewer);
         EXPECT_TRUE(viewer.session->IsConnected());
         EXPECT_FALSE(viewer.session->IsLoggedIn());
       }},
      {"logged in",
       [&](ViewerHarness& viewer) {
         viewer.Connect();
         ASSERT_TRUE(viewer.RunUntil([&] { return viewer.session->IsLoggedIn(); }));
         Linger(viewer);
       }},
      {"disconnecting",
       [&](ViewerHarness& viewer) {
         viewer.Connect();
         ASSERT_TRUE(viewer.WaitFor(Event::Connected));
         viewer.session->Disconnect(true);
         EXPECT_FALSE(viewer.session->IsConnected());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    const std::string state = c.state;
    std::optional<ScriptedUnit> unit;
    std::optional<SimProcess> sim;
    std::string address = full.Address();
    if (state == "looking up") address = "unit.example.invalid";
    if (state == "negotiating") address = muteAddress;
    if (state == "logging in" || state == "disconnecting") address = unit.emplace().Address();
    if (state == "logged in")
      address = sim.emplace(std::vector<std::string>{"--fault-stall"}).Address();
    ViewerHarness::Options options;
    options.resolver = names.Resolver();
    ViewerHarness viewer({address}, options);
    viewer.core->Ini().Write("MISC", "IPConnectTimeMS", "60000");
    c.reach(viewer);
    EXPECT_LT(SecondsToEnd(viewer.core), MAX_STOP_SECONDS);
  }
}

// The same over a modem link: initialising the modem, waiting for the carrier
// after dialling, negotiating with a unit that never answers, logged in, and
// waiting for a call-back that never rings.
TEST(SessionStop, EndsInTimeInEveryModemState) {
  TraceRecorder trace;
  struct Case {
    const char* state;
    ModemScript script;
    std::function<bool(ModemViewer&)> reached;
  };
  const Case cases[] = {
      {"initialising", {}, [](ModemViewer& line) { return !line.peer.Commands().empty(); }},
      {"waiting for the carrier",
       {.dialDelayMs = 60000},
       [](ModemViewer& line) { return line.peer.DialTries() > 0; }},
      {"negotiating",
       {.unitAnswers = false},
       [](ModemViewer& line) { return line.peer.InDataMode(); }},
      {"logged in", {}, [](ModemViewer& line) { return line.viewer.session->IsLoggedIn(); }},
      {"waiting for the call-back ring",
       {.callBack = true, .rings = false},
       [](ModemViewer& line) { return line.peer.HungUpByEscape(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    ModemViewer line(c.script);
    line.viewer.Connect();
    ASSERT_TRUE(line.viewer.RunUntil([&] { return c.reached(line); }, 30000));
    Linger(line.viewer);
    EXPECT_LT(SecondsToEnd(line.viewer.core), MAX_STOP_SECONDS);
    // The port is closed with the viewer: the line is hung up.
    EXPECT_TRUE(line.peer.LineClosed());
  }
}
