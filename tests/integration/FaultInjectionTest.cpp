// The whole receiving side of the viewer (session controller, login,
// dispatcher, video decoder into the frame buffer) against a simulated unit
// that misbehaves in one way per test. Each fault must end in the operator's
// text for it, with the link closed through Disconnect, within a bounded
// time, and with the settings file left as it was.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/HeadlessDialogs.h"
#include "platform/HeadlessPointer.h"
#include "platform/HeadlessView.h"
#include "platform/MessageLoop.h"
#include "platform/WindowMessages.h"
#include "protocol/PacketTypes.h"
#include "session/Login.h"
#include "session/Orb.h"
#include "settings/Address.h"
#include "settings/IniFile.h"
#include "settings/MiscSettings.h"
#include "settings/TempDir.h"
#include "support/SimProcess.h"
#include "support/TraceRecorder.h"
#include "video/FrameBitmap.h"
#include "video/VideoDecoder.h"
#include "view/KVMDispatcher.h"
#include "view/OrbSessionPort.h"

using session::CMD_CLOSED;
using session::CMD_CONNECTED;
using session::CMD_REPORT_FAILURE;

namespace {

constexpr uint32_t WAIT_MS = 15000;

// The video path as the monitor thread drives it.
class VideoPath : public session::VideoSink {
 public:
  explicit VideoPath(settings::IniFile& ini) : bmp(ini), decoder(bmp) {}

  bool InitDecompression() override { return decoder.ResetZLib(); }
  void HandleSegment(const PacketHeader& header, const uint8_t* payload, int32_t length) override {
    decoder.HandleInterval(header, payload, static_cast<size_t>(length));
    ++segments;
  }
  void StartBlock() override { bmp.SetBlockUpdates(true); }
  void ClearBlock() override { bmp.SetBlockUpdates(false); }
  void OnResizeEcho(const uint8_t* payload, int32_t length) override {
    bmp.EndBlockOnResizeEcho(payload, static_cast<size_t>(length));
  }

  video::CFrameBitmap bmp;
  video::VideoDecoder decoder;
  std::atomic<int> segments{0};
};

// The frame buffer as the dispatcher sizes it.
class FrameHandlers : public view::VideoHandlers {
 public:
  explicit FrameHandlers(video::CFrameBitmap& bmp) : m_bmp(bmp) {}
  platform::Size FrameSize() const override { return m_bmp.Size(); }
  void ResizeFrameBuffer(platform::Size size) override {
    m_bmp.SetBitmapSize(size.width, size.height);
  }
  void EndBlock() override { m_bmp.SetBlockUpdates(false); }
  void HandleNewSize(session::PostedPacket&) override { ++newSizes; }

  int newSizes = 0;

 private:
  video::CFrameBitmap& m_bmp;
};

// One target, "Unit", written before the session controller reads it.
std::string PrepareSettings(const std::string& path, const std::string& address,
                            int keepAliveSeconds) {
  settings::IniFile ini(path);
  settings::WriteFirstRunDefaults(ini);
  ini.Write("MISC", "CURRSELTEXT", "Unit");
  ini.Write("MISC", "IPConnectTimeMS", "3000");
  ini.Write("MISC", "KeepAliveTime", std::to_string(keepAliveSeconds));
  settings::CAddress("Unit", address, "Color always", settings::TCP_IP, false, "").SaveToINI(ini);
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

class Viewer {
 public:
  explicit Viewer(const std::string& address, int keepAliveSeconds = 60)
      : ini(PrepareSettings(dir.File("Remote.ini"), address, keepAliveSeconds)),
        video(ini),
        frame(video.bmp),
        orb(session::OrbEnvironment{ini, loop, view, dialogs, pointer, "Tessaline", "TSV1.00"}),
        port(orb, ini),
        login(port, ini, dialogs, "Tessaline"),
        dispatcher(port, login, view, dialogs, "Tessaline") {
    login.SetGivenAnswers("admin", "admin");
    orb.SetHooks({&video, nullptr, nullptr});
    dispatcher.SetHandlers({&frame, nullptr, nullptr});
    loop.SetDispatcher([this](platform::Message& message) {
      if (message.window == platform::WindowId::View) {
        dispatcher.KVMMessageHandler(message);
      } else if (message.message == platform::WM_COMMAND) {
        commands.push_back(static_cast<uint32_t>(message.wParam));
        if (message.wParam == session::CMD_CONNECT_NEXT) orb.ConnectCurrentTarget();
      }
    });
    loop.SetTimer(1, session::VIEW_TIMER_MS, [this] { orb.KeepAliveTick(); });
  }
  ~Viewer() { loop.KillTimer(1); }

  void Connect() {
    orb.RewindFailover();
    port.BeginConnectAttempt();
    orb.ConnectCurrentTarget();
  }
  bool RunUntil(const std::function<bool()>& done) { return loop.RunUntil(done, WAIT_MS); }
  // Until the link is down and every thread of it has ended.
  bool WaitForEnd() {
    return RunUntil([&] { return LinkEnded(); });
  }
  size_t Count(uint32_t command) const {
    return std::count(commands.begin(), commands.end(), command);
  }
  bool LinkEnded() const {
    return !orb.IsConnected() && !orb.State().IsConnecting() && !orb.IsFailoverActive() &&
           !orb.IsMonitorRunning();
  }
  // Logged in, and the first video written into the frame buffer.
  bool WaitForPicture() {
    return RunUntil([&] { return orb.IsLoggedIn() && video.segments > 0; });
  }
  std::string IniContent() const { return ReadFile(ini.Path()); }

  // Closed as Disconnect closes a link: nothing of the session left in force.
  void ExpectClosedThroughDisconnect() {
    EXPECT_FALSE(orb.IsConnected());
    EXPECT_FALSE(orb.IsLoggedIn());
    EXPECT_EQ(Count(CMD_CLOSED), 1u);
    EXPECT_EQ(orb.Cipher().SessionCipher(), ENCRYPTION_NONE);
    EXPECT_TRUE(pointer.IsVisible());
  }

  TempDir dir;
  settings::IniFile ini;
  platform::MessageLoop loop;
  platform::HeadlessView view;
  platform::HeadlessDialogs dialogs;
  platform::HeadlessPointer pointer;
  VideoPath video;
  FrameHandlers frame;
  session::COrb orb;
  view::OrbSessionPort port;
  session::Login login;
  view::KVMDispatcher dispatcher;
  std::vector<uint32_t> commands;
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
    std::string text;  // the start of the failure text
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
      {{"--fault-stall", "--keepalive-s", "1"}, lost, silent},
      {{"--fault-no-keepalive", "--keepalive-s", "1"}, lost, silent},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.flags.front());
    TraceRecorder trace;  // outlives the viewer's threads
    SimProcess sim(test.flags);
    Viewer viewer(sim.Address(), 2);
    const std::string settings = viewer.IniContent();
    viewer.Connect();
    ASSERT_TRUE(viewer.RunUntil([&] { return viewer.orb.IsLoggedIn(); }));
    ASSERT_TRUE(viewer.RunUntil([&] { return viewer.Count(CMD_REPORT_FAILURE) > 0; }));
    ASSERT_TRUE(viewer.WaitForEnd());
    EXPECT_EQ(viewer.orb.FailureTitle(), test.title);
    EXPECT_EQ(viewer.orb.FailureText().rfind(test.text, 0), 0u) << viewer.orb.FailureText();
    EXPECT_EQ(viewer.Count(CMD_REPORT_FAILURE), 1u);
    viewer.ExpectClosedThroughDisconnect();
    EXPECT_EQ(viewer.IniContent(), settings);
  }
}

TEST(FaultInjection, UnitClosingMidPacketClosesTheLinkQuietly) {
  TraceRecorder trace;
  SimProcess sim({"--fault-close-mid-packet"});
  Viewer viewer(sim.Address());
  const std::string settings = viewer.IniContent();
  viewer.Connect();
  ASSERT_TRUE(viewer.RunUntil([&] { return viewer.Count(CMD_CLOSED) > 0; }));
  ASSERT_TRUE(viewer.WaitForEnd());
  // A unit that closes with our bytes still unread resets the connection
  // instead: the receive error path, which leaves no title.
  EXPECT_THAT(viewer.orb.FailureTitle(), ::testing::AnyOf("Socket closed.", ""));
  // Half a packet is no packet: nothing of it reached the decoder.
  EXPECT_EQ(viewer.video.segments, 0);
  EXPECT_EQ(viewer.Count(CMD_REPORT_FAILURE), 0u);
  viewer.ExpectClosedThroughDisconnect();
  EXPECT_EQ(viewer.IniContent(), settings);
}

TEST(FaultInjection, RefusedLoginNeverLogsInAndEndsWhenTheUnitCloses) {
  TraceRecorder trace;
  SimProcess sim({"--refuse-login"});
  Viewer viewer(sim.Address());
  const std::string settings = viewer.IniContent();
  viewer.Connect();
  ASSERT_TRUE(viewer.RunUntil([&] { return viewer.Count(CMD_CLOSED) > 0; }));
  ASSERT_TRUE(viewer.WaitForEnd());
  EXPECT_GE(viewer.login.Refusals(), 1);
  // The unit's reason reaches the operator, collected for the connect dialog
  // or shown, even when it arrives as the link goes down.
  const auto box = viewer.dialogs.Last(platform::HeadlessDialogs::Kind::MessageBox);
  EXPECT_TRUE(viewer.port.AttemptMessages().find("Too many login attempts.") != std::string::npos ||
              (box && box->text == "Too many login attempts."));
  // A unit that closes with our bytes still unread resets the connection
  // instead: the receive error path, which leaves no title.
  EXPECT_THAT(viewer.orb.FailureTitle(), ::testing::AnyOf("Socket closed.", ""));
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
    ASSERT_TRUE(viewer.RunUntil(
        [&] { return viewer.dispatcher.UnknownTypeCount() + viewer.frame.newSizes > 0; }));
    const int segments = viewer.video.segments;
    ASSERT_TRUE(viewer.RunUntil([&] { return viewer.video.segments > segments; }));
    EXPECT_TRUE(viewer.orb.IsLoggedIn());
    EXPECT_EQ(viewer.Count(CMD_REPORT_FAILURE), 0u);
    EXPECT_NE(viewer.video.bmp.Size(), (platform::Size{1601, 1200}));

    viewer.orb.Disconnect(true);
    // The closing command is posted, so it may still be queued when the link is down.
    ASSERT_TRUE(
        viewer.RunUntil([&] { return viewer.LinkEnded() && viewer.Count(CMD_CLOSED) > 0; }));
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
  EXPECT_EQ(viewer.orb.FailureText(), "-- The Tessaline is active with another connection.\n");
  EXPECT_EQ(viewer.Count(CMD_CONNECTED), 0u);
  EXPECT_FALSE(viewer.orb.IsConnected());
  EXPECT_EQ(viewer.IniContent(), settings);
}
