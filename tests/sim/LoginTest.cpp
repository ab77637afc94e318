#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "sim/RunningUnit.h"
#include "sim/ViewerClient.h"

using client::Bytes;
using client::Viewer;

namespace {

sim::UnitOptions WithUsers(int cipher) {
  sim::UnitOptions options;
  options.encryption = cipher;
  options.users = sim::UserList::Parse("admin:admin:admin\n# a comment\noperator:pass:word:user\n");
  return options;
}

std::string Text(const client::Frame& f) { return std::string(f.data.begin(), f.data.end()); }

}  // namespace

class SimLogin : public testing::TestWithParam<int> {};

TEST_P(SimLogin, GrantsRightsAndThenSpeaksTheSessionCipher) {
  const int cipher = GetParam();
  RunningUnit running(WithUsers(cipher));
  struct Case {
    const char* user;
    const char* password;
    int subtype;
  };
  for (const Case& c : {Case{"admin", "admin", 2}, Case{"operator", "pass:word", 1}}) {
    SCOPED_TRACE(c.user);
    Viewer viewer(running.port);
    viewer.Negotiate();
    EXPECT_EQ(viewer.Challenge(), "");
    ASSERT_EQ(viewer.Login(c.user, c.password), c.subtype);
    EXPECT_EQ(viewer.Challenge().size(), 16u);

    const client::Frame size = viewer.ReceiveType(73);
    EXPECT_EQ(size.encrypted, cipher == 11 ? 0 : 1);
    ASSERT_EQ(size.data.size(), 8u);
    EXPECT_EQ(client::Le32(&size.data[0]), 1024u);

    const Bytes stamp = {0xDE, 0xAD, 0xBE, 0xEF};
    viewer.Send(46, 0, stamp);
    const client::Frame echo = viewer.ReceiveType(47);
    EXPECT_EQ(echo.subtype, 0);
    EXPECT_EQ(echo.data, stamp);
    EXPECT_EQ(echo.payloadSize, cipher == 11 ? 8 : 12);

    const Bytes test(2500, 0x5A);
    viewer.Send(170, 0, test);
    EXPECT_EQ(viewer.ReceiveType(170).data, test);
    viewer.Send(50, 0, {});
    EXPECT_TRUE(viewer.ClosedByUnit());
  }
}

INSTANTIATE_TEST_SUITE_P(EachCipher, SimLogin, testing::Values(11, 12, 13));

TEST(SimLoginLimits, ThreeWrongAnswersEndTheSession) {
  for (bool refuseAll : {false, true}) {
    sim::UnitOptions options;
    options.refuseLogin = refuseAll;
    RunningUnit running(options);
    Viewer viewer(running.port);
    viewer.Negotiate();
    const std::string password = refuseAll ? "admin" : "wrong";
    EXPECT_EQ(viewer.Login("admin", password), 0);
    EXPECT_EQ(viewer.Login("nobody", "admin"), 0);
    EXPECT_EQ(viewer.Login("admin", password), 0);
    EXPECT_EQ(Text(viewer.ReceiveType(60)), std::string("Too many login attempts.") + '\0');
    EXPECT_TRUE(viewer.ClosedByUnit());
  }
}

TEST(SimLoginLimits, TextMessageFollowsTheLogin) {
  sim::UnitOptions options;
  options.textMessage = "Welcome.";
  options.textMessageSeconds = 5;
  options.challengeLength = 17;
  RunningUnit running(options);
  Viewer viewer(running.port);
  viewer.Negotiate();
  ASSERT_EQ(viewer.Login("admin", "admin"), 2);
  EXPECT_EQ(viewer.Challenge().size(), 17u);
  const client::Frame text = viewer.ReceiveType(60);
  EXPECT_EQ(text.subtype, 5);
  EXPECT_EQ(Text(text), std::string("Welcome.") + '\0');
}

TEST(SimLoginLimits, UsersFileErrorsNameTheLine) {
  for (const char* text :
       {"admin:admin\n", "a:b:root\n", ":x:user\n", "", "a:1:user\na:2:admin\n"}) {
    SCOPED_TRACE(text);
    EXPECT_THROW(sim::UserList::Parse(text), std::runtime_error);
  }
  EXPECT_EQ(sim::UserList::Parse("x:y:user\r\n").Find("x")->password, "y");
}

TEST(SimLoginLimits, TheUnitsTimersEndTheSessionWithTheirText) {
  struct Case {
    const char* text;
    bool logIn;
    std::function<void(sim::UnitOptions&)> set;
  };
  const Case cases[] = {
      {"Time expired for logging in", false,
       [](sim::UnitOptions& o) { o.loginTimeoutSeconds = 1; }},
      {"Inactivity timer expired.", true, [](sim::UnitOptions& o) { o.inactivitySeconds = 1; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    sim::UnitOptions options;
    c.set(options);
    RunningUnit running(options);
    Viewer viewer(running.port);
    viewer.Negotiate();
    if (c.logIn) {
      ASSERT_EQ(viewer.Login("admin", "admin"), 2);
    }
    EXPECT_EQ(Text(viewer.ReceiveType(60)), std::string(c.text) + '\0');
    EXPECT_TRUE(viewer.ClosedByUnit());
  }
}

TEST(SimLoginLimits, KeepAlivesRepeatUnlessStopped) {
  for (bool stopped : {false, true}) {
    sim::UnitOptions options;
    options.keepAliveSeconds = 1;
    options.faults.noKeepAlive = stopped;
    RunningUnit running(options);
    Viewer viewer(running.port);
    viewer.Negotiate();
    EXPECT_EQ(viewer.Receive().type, 45);  // the first comes at once
    EXPECT_EQ(viewer.Receive().type, 200);
    if (stopped) {
      EXPECT_THROW(viewer.ReceiveType(45), std::runtime_error);  // read time-out
    } else {
      EXPECT_EQ(viewer.ReceiveType(45).subtype, 1);
    }
  }
}
