#include <gtest/gtest.h>

#include "session/ConnectionState.h"
#include "session/LineSpeed.h"
#include "session/TargetAddress.h"
#include "support/TraceRecorder.h"

using namespace session;

TEST(TargetAddress, PortOnlyAfterTheSixthCharacter) {
  struct Case {
    const char* text;
    const char* host;
    uint16_t port;
    bool hasPort;
  };
  const Case cases[] = {
      {"10.0.0.5:6000", "10.0.0.5", 6000, true},
      {"host:80", "host:80", 5678, false},  // colon at index 4
      {"abcde:1", "abcde:1", 5678, false},  // colon at index 5
      {"abcdef:1", "abcdef", 1, true},      // colon at index 6
      {"unit.example.org", "unit.example.org", 5678, false},
      {"192.168.0.99:99999", "192.168.0.99", 0, true},  // no such port: refused, not wrapped
      {"192.168.0.99:x", "192.168.0.99", 0, true},
  };
  for (const Case& c : cases) {
    const TargetAddress target = ParseTargetAddress(c.text);
    EXPECT_EQ(target.host, c.host) << c.text;
    EXPECT_EQ(target.port, c.port) << c.text;
    EXPECT_EQ(target.hasPort, c.hasPort) << c.text;
  }
}

TEST(LineSpeed, RateFromTheEchoedStamp) {
  EXPECT_EQ(LineRate(1000, 1999), 80000);
  EXPECT_STREQ(CompressionFor(80000), "ZLib");
  EXPECT_EQ(LineRate(1000, 1009), 8000000);
  EXPECT_STREQ(CompressionFor(8000000), "RLE");
  EXPECT_STREQ(CompressionFor(ZLIB_RATE_LIMIT), "ZLib");
  EXPECT_EQ(LineRate(0xFFFFFFF0u, 0x00000003u), 10000 / 20 * 8000);  // across the wrap
  EXPECT_EQ(LineRate(1001, 1000), 0);  // a stamp from the future divides by 2^32, not 0
}

TEST(SessionState, EveryChangeIsTracedOnce) {
  TraceRecorder trace;
  SessionState state;
  EXPECT_FALSE(state.IsConnected());
  EXPECT_TRUE(state.TransitionFrom(ConnectionState::Idle, ConnectionState::Connecting));
  EXPECT_FALSE(state.TransitionFrom(ConnectionState::Idle, ConnectionState::Connecting));
  EXPECT_TRUE(state.IsConnecting());
  state.Transition(ConnectionState::Connected);
  state.Transition(ConnectionState::LoggedIn);
  EXPECT_TRUE(state.IsConnected());
  EXPECT_TRUE(state.IsLoggedIn());
  state.Transition(ConnectionState::Idle);
  state.Transition(ConnectionState::Idle);
  EXPECT_EQ(trace.Lines(),
            (std::vector<std::string>{"Idle --> Connecting\n", "Connecting --> Connected\n",
                                      "Connected --> Logged in\n", "Logged in --> Idle\n"}));
}
