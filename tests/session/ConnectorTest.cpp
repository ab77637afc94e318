#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/HeadlessDialogs.h"
#include "platform/HeadlessPointer.h"
#include "platform/HeadlessView.h"
#include "platform/MessageLoop.h"
#include "session/ConnectProgress.h"
#include "session/Connector.h"
#include "settings/AddressEntry.h"

using platform::HeadlessDialogs;
using namespace session;

namespace {

// The session's parts as the viewer assembles them.
struct SessionParts {
  explicit SessionParts(const SessionEnvironment& environment)
      : link(environment.ini, environment.productName),
        session(environment, link, failover),
        connector(environment, session, link, failover) {}
  Link link;
  FailoverWalk failover;
  UnitSession session;
  Connector connector;
};

class ConnectorFixture : public ::testing::Test {
 protected:
  ~ConnectorFixture() override {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }

  std::unique_ptr<SessionParts> MakeSession() {
    return std::make_unique<SessionParts>(
        SessionEnvironment{ini, loop, view, dialogs, pointer, "Tessaline", "TSV1.00"});
  }

  static std::filesystem::path MakeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orb-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    return pattern;
  }

  const std::filesystem::path m_dir = MakeTempDir();
  settings::IniFile ini{(m_dir / "Remote.ini").string()};
  platform::MessageLoop loop;
  platform::HeadlessView view;
  HeadlessDialogs dialogs;
  platform::HeadlessPointer pointer;
};

}  // namespace

TEST_F(ConnectorFixture, FirstRunWritesTheDefaultsAndTheDefaultUnit) {
  auto parts = MakeSession();
  Connector& connector = parts->connector;
  EXPECT_EQ(connector.CurrentTarget().Location(), "Default");
  EXPECT_EQ(connector.CurrentTarget().Addresses().Address(), "192.168.0.99");
  EXPECT_EQ(ini.Read("MISC", "CURRSELTEXT", "", 100), "Default");
  EXPECT_EQ(ini.Read("MISC", "KeepAliveTime", "", 100), "60");
  EXPECT_EQ(ini.Read("TARGET-Default", "Address", "", 100), "192.168.0.99");
  EXPECT_EQ(ini.Read("TARGET-Default", "ConnectionType", "", 100), "TCP/IP");
  EXPECT_EQ(ini.Read("TARGET-Default", "Servers", "", 100), "-01 -01 -01 -01 -01");
  // A second start finds the unit and leaves the file alone.
  ini.Write("MISC", "KeepAliveTime", "30");
  MakeSession();
  EXPECT_EQ(ini.Read("MISC", "KeepAliveTime", "", 100), "30");
}

TEST_F(ConnectorFixture, ConnectFailuresGoToTheOperatorOrToTheFailoverText) {
  settings::AddressEntry single("One", "10.0.0.1", "Color always", "X.25", false, "");
  single.SaveToINI(ini);
  settings::AddressEntry several("Two", "10.0.0.1", "Color always", "X.25", false, "");
  several.Addresses().AddSlot("X.25", "10.0.0.2", false);
  several.SaveToINI(ini);
  auto parts = MakeSession();
  Connector& connector = parts->connector;

  connector.Connect(0, "One");
  const auto error = dialogs.Last(HeadlessDialogs::Kind::Error);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->title, "Unable to connect.");
  EXPECT_EQ(error->text, "Could not connect: Connection type must be a modem or TCP/IP.");
  EXPECT_EQ(ini.Read("MISC", "CURRSELTEXT", "", 100), "One");

  dialogs.ClearCalls();
  ConnectProgress progress(connector, parts->session);
  progress.Open(1, "Two");
  EXPECT_TRUE(dialogs.Calls().empty());
  const ConnectProgress::Tick tick = progress.OnTimer();
  EXPECT_TRUE(tick.textChanged);
  EXPECT_EQ(tick.text, "Unable to connect.\nConnection type must be a modem or TCP/IP.\n\n");
  EXPECT_FALSE(progress.OnTimer().textChanged);
  EXPECT_FALSE(parts->session.IsConnected());
}

TEST(ConnectProgressText, BlankLinesAreShownOnce) {
  EXPECT_EQ(ConnectProgress::ForDisplay("a\r\n\r\n\r\n\r\nb\r\n\r\nc"), "a\r\n\r\nb\r\n\r\nc");
}
