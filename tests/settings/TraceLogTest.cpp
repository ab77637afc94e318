#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "platform/Format.h"
#include "platform/TextError.h"
#include "settings/TempDir.h"
#include "settings/TraceCategories.h"
#include "settings/TraceLog.h"

using namespace settings;
using platform::TRACE_NO_CATEGORY;
using platform::TRACE_NO_LEVEL;

namespace {

// Routes the trace front to one log for the life of a test.
class Installed {
 public:
  explicit Installed(platform::TraceSink* sink) : m_previous(platform::InstallTraceSink(sink)) {}
  ~Installed() { platform::InstallTraceSink(m_previous); }

 private:
  platform::TraceSink* m_previous;
};

class TraceLogTest : public ::testing::Test {
 protected:
  TraceLogTest() { RegisterAllCategories(m_log); }

  // Writes the LOGGING keys given, then has the log read the section.
  void Configure(std::initializer_list<std::pair<const char*, const char*>> keys) {
    for (const auto& [key, value] : keys) ASSERT_TRUE(m_ini.Write("LOGGING", key, value));
    m_log.ReadSettings(m_ini);
  }
  std::string Logging(const char* key) { return m_ini.Read("LOGGING", key, "<absent>", 5000); }

  TempDir m_dir;
  IniFile m_ini{m_dir.File("Remote.ini")};
  uint32_t m_tick = 1000000;
  TraceLog m_log{m_dir.Path(), [this] { return m_tick; }};
};

}  // namespace

TEST_F(TraceLogTest, FreshFileGetsTheWholeLoggingSectionInOrder) {
  EXPECT_EQ(ReadWholeFile(m_dir.File("Filters.txt")), "");
  m_log.ReadSettings(m_ini);
  EXPECT_EQ(m_log.Mode(), TraceMode::DEBUG_WINDOW);
  Installed installed(&m_log);
  Trace("first\n");
  Trace("second\n");

  std::string possible;
  for (std::string_view name : {"Misc",
                                "BMP-Dirty/Stale",
                                "RingBuffer",
                                "CxxNegotiate",
                                "PacketTiming",
                                "MouseDrawTime",
                                "DrawTime",
                                "MouseAccel",
                                "MonitorxxThread",
                                "ConnectTCPIP",
                                "CDialogUserDetails",
                                "ToolbarCombos",
                                "BlockLeftoverVideo",
                                "SendPacket",
                                "ErrorRecovery",
                                "MouseLatency",
                                "KBD_LEDs",
                                "FlyoutMenus",
                                "EncryptRandStr",
                                "LocalSysKeys",
                                "HandleHotkeys",
                                "HandleCtrlAltHotkeys",
                                "HandleKeystrokes",
                                "HandleHotKeys",
                                "HandleCtrlDnCtrlUpHotkeys",
                                "Keystroke",
                                "Send Key",
                                "HandleMouseMove",
                                "MouseGesture Stuff",
                                "bDirectionSame",
                                "SwitchSettings",
                                "OnSize-NewSize",
                                "OneToOne",
                                "KVMMessageHandler",
                                "MyWndProc",
                                "PaintWindow",
                                "AddScrollBarsIfNeeded",
                                "OnSize",
                                "ForcePassthruMode",
                                "OnTimer",
                                "OnViewType",
                                "SendUsers",
                                "LoadGridFromString",
                                "GetPacket",
                                "HandleInterval",
                                "Win9xFixup",
                                "ViewFullScreen",
                                "ActionsPassThrough",
                                "SendInitialPackets",
                                "MonitorModemThread",
                                "ModemConnect",
                                "CRegistry",
                                "CWinModemParameters",
                                "HandlePackets",
                                "Modem",
                                "XMLProcessing"}) {
    possible += std::string(name) + ", ";
  }
  EXPECT_EQ(ReadWholeFile(m_ini.Path()),
            "[LOGGING]\r\n"
            "LogToPossibilities=DEBUG_WINDOW, IP, LOGFILE, NONE\r\n"
            "LogTo=DEBUG_WINDOW\r\n"
            "Path=log.txt\r\n"
            "Threshold=5\r\n"
            "ShowTimeStamp=YES\r\n"
            "ShowCategory=YES\r\n"
            "Categories=NONE\r\n"
            "PossibleCategories=" +
                possible + "\r\n");
}

TEST_F(TraceLogTest, NoneModeWritesNothingAndNeverListsTheCategories) {
  Configure({{"LogTo", "NONE"}, {"Categories", "ALL"}});
  Installed installed(&m_log);
  Trace("dropped\n");
  TraceLevel(-1, "dropped\n");
  EXPECT_FALSE(m_log.Accepts(10, 910));
  EXPECT_EQ(Logging("PossibleCategories"), "<absent>");
}

TEST_F(TraceLogTest, LogToKeepsOnlyFragmentsOfTheListAndFallsBack) {
  struct Case {
    const char* logTo;
    const char* writtenBack;
    TraceMode mode;
  };
  for (const Case& c :
       {Case{"IP", "IP", TraceMode::IP}, Case{"LOGFILE", "LOGFILE", TraceMode::LOGFILE},
        Case{"NONE", "NONE", TraceMode::NONE},
        Case{"logfile", "DEBUG_WINDOW", TraceMode::DEBUG_WINDOW},
        Case{"LOG", "LOG", TraceMode::DEBUG_WINDOW}, Case{"NE", "NE", TraceMode::DEBUG_WINDOW},
        Case{"", "DEBUG_WINDOW", TraceMode::DEBUG_WINDOW},
        Case{"FILE", "FILE", TraceMode::DEBUG_WINDOW},
        Case{"SERIAL", "DEBUG_WINDOW", TraceMode::DEBUG_WINDOW}}) {
    SCOPED_TRACE(c.logTo);
    Configure({{"LogTo", c.logTo}});
    EXPECT_EQ(m_log.Mode(), c.mode);
    EXPECT_EQ(Logging("LogTo"), c.writtenBack);
  }
}

TEST_F(TraceLogTest, ThresholdFallsBackToFiveOutsideZeroToTen) {
  struct Case {
    const char* threshold;
    int effective;
  };
  for (const Case& c : {Case{"11", 5}, Case{"-3", 5}, Case{"0", 0}, Case{"10", 10},
                        Case{"7 levels", 7}, Case{"high", 0}}) {
    SCOPED_TRACE(c.threshold);
    Configure({{"Threshold", c.threshold}});
    EXPECT_EQ(m_log.Threshold(), c.effective);
    EXPECT_EQ(Logging("Threshold"), c.threshold);
  }

  Configure({{"Threshold", "0"}, {"Categories", "SendPacket"}});
  EXPECT_TRUE(m_log.Accepts(1, TRACE_NO_CATEGORY));
  EXPECT_TRUE(m_log.Accepts(0, 910));

  Configure({{"Threshold", "10"}});
  EXPECT_TRUE(m_log.Accepts(TRACE_NO_LEVEL, TRACE_NO_CATEGORY)) << "Trace has no level";
  EXPECT_TRUE(m_log.Accepts(-1, TRACE_NO_CATEGORY));
  EXPECT_TRUE(m_log.Accepts(-1, 910));
  EXPECT_TRUE(m_log.Accepts(10, 910));
  EXPECT_FALSE(m_log.Accepts(9, TRACE_NO_CATEGORY));
  EXPECT_FALSE(m_log.Accepts(9, 910));
}

TEST_F(TraceLogTest, CategoriesAreMatchedTrimmedAndIgnoringCase) {
  Configure({{"Categories", " handlehotkeys ,\tkbd_leds\t,  bogus,Send Key,MOUSEGESTURE STUFF"}});
  struct Case {
    int id;
    bool enabled;
  };
  for (const Case& c : {Case{1111, true}, Case{1114, true}, Case{1000, true}, Case{1021, true},
                        Case{1049, true}, Case{1050, false}, Case{1150, true}, Case{1201, true},
                        Case{910, false}, Case{1112, false}, Case{150, false}}) {
    EXPECT_EQ(m_log.IsEnabled(c.id), c.enabled) << c.id;
    EXPECT_EQ(m_log.Accepts(5, c.id), c.enabled) << c.id;
  }
  EXPECT_FALSE(m_log.Accepts(4, 1111)) << "below the threshold";
}

TEST_F(TraceLogTest, AllEnablesEveryNamedRangeAndNothingElse) {
  Configure({{"Categories", "all"}});
  for (int id : {1, 99, 100, 149, 420, 1410, 3100}) EXPECT_TRUE(m_log.IsEnabled(id)) << id;
  for (int id : {0, 150, 199, 401, 3101, 9999, 10000, -5}) EXPECT_FALSE(m_log.IsEnabled(id)) << id;
}

TEST_F(TraceLogTest, DefaultSettingsPassPlainLinesButNoCategories) {
  Configure({{"LogTo", "LOGFILE"}, {"ShowTimeStamp", "no"}});
  Installed installed(&m_log);
  Trace("plain\n");
  TraceLevel(5, "level %d\n", 5);
  TraceLevel(4, "level %d\n", 4);
  TraceCategory(10, 910, "category\n");
  EXPECT_EQ(ReadWholeFile(m_dir.File("log.txt")), "plain\r\nlevel 5\r\n");
}

TEST_F(TraceLogTest, LogFileLinesCarryStampAndCategoryWithCrLf) {
  WriteWholeFile(m_dir.File("trace.log"), "from an earlier run\n");
  Configure({{"LogTo", "LOGFILE"}, {"Path", "trace.log"}, {"Categories", "SwitchSettings"}});
  Installed installed(&m_log);
  m_tick = 3723456;  // 62 min 3 s 456 ms
  TraceCategory(5, 1300, "a\nb\n");
  m_tick = 5;
  Trace("c\r\n");
  TraceSettingsBanner();
  const std::string stars(55, '*');
  EXPECT_EQ(ReadWholeFile(m_dir.File("trace.log")),
            " 2m  3s 456ms  SwitchSettings: a\r\nb\r\n"
            " 0m  0s   5ms c\r\r\n"
            " 0m  0s   5ms " +
                stars + "\r\n" +
                " 0m  0s   5ms ******* MODIFY TRACING OPTIONS IN REMOTE.INI **********\r\n"
                " 0m  0s   5ms " +
                stars + "\r\n");
}

TEST_F(TraceLogTest, LogFileOpenIsRetriedAtMostEveryFiveSeconds) {
  Configure({{"LogTo", "LOGFILE"}, {"Path", "later/trace.log"}, {"ShowTimeStamp", "N"}});
  Installed installed(&m_log);
  Trace("lost, no directory\n");
  std::filesystem::create_directory(m_dir.File("later"));
  m_tick += TraceLog::LOGFILE_RETRY_MS;
  Trace("lost, too soon to retry\n");
  m_tick += 1;
  Trace("kept\n");
  Trace("kept too\n");
  EXPECT_EQ(ReadWholeFile(m_dir.File("later/trace.log")), "kept\r\nkept too\r\n");
  EXPECT_EQ(Logging("Path"), "later/trace.log");
}

TEST_F(TraceLogTest, ConcurrentLinesNeverInterleave) {
  Configure({{"LogTo", "LOGFILE"}, {"ShowTimeStamp", "N"}});
  Installed installed(&m_log);
  const std::string body(300, 'x');
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &body] {
      for (int i = 0; i < 100; ++i) Trace("%d %s\n", t, body.c_str());
    });
  }
  for (auto& thread : threads) thread.join();
  const std::string content = ReadWholeFile(m_dir.File("log.txt"));
  size_t lines = 0;
  for (size_t at = 0; at < content.size(); ++lines) {
    const size_t end = content.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(content.substr(at + 2, end - at - 2), body);
    at = end + 2;
  }
  EXPECT_EQ(lines, 400u);
}

TEST_F(TraceLogTest, IpSinkSendsEveryCharacterAndReconnectsAfterThirtySeconds) {
  // A loopback address of its own keeps parallel runs off each other's port.
  std::mt19937 random(std::random_device{}());
  platform::TcpSocket listener;
  std::string address;
  for (int attempt = 0; attempt < 20 && !listener.IsOpen(); ++attempt) {
    address = Format("127.0.%d.%d", static_cast<int>(random() % 250 + 1),
                     static_cast<int>(random() % 250 + 2));
    listener.Listen(address, TraceLog::IP_PORT);
  }
  ASSERT_TRUE(listener.IsOpen());
  Configure({{"LogTo", "IP"}, {"Path", address.c_str()}, {"ShowTimeStamp", "N"}});
  Installed installed(&m_log);

  auto receive = [](platform::TcpSocket& socket, size_t size) {
    std::string got(size, '\0');
    size_t have = 0;
    while (have < size) {
      const int n = socket.Receive(got.data() + have, size - have, 5000);
      if (n <= 0) break;
      have += static_cast<size_t>(n);
    }
    return got.substr(0, have);
  };

  const std::string longLine = std::string(platform::TRACE_MAX_LINE + 100, 'L');
  Trace("hello\n");
  Trace("%s", longLine.c_str());
  platform::TcpSocket first = listener.Accept(5000);
  ASSERT_TRUE(first.IsOpen());
  EXPECT_EQ(receive(first, 6), "hello\n");
  EXPECT_EQ(receive(first, platform::TRACE_MAX_LINE), std::string(platform::TRACE_MAX_LINE, 'L'));

  // The receiver goes away: lines are dropped until the next attempt is due.
  first.Close();
  for (int i = 0; i < 3; ++i) {
    Trace("lost\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_FALSE(listener.Accept(100).IsOpen()) << "no reconnect before 30 s";
  m_tick += TraceLog::IP_RETRY_MS + 1;
  Trace("back\n");
  platform::TcpSocket second = listener.Accept(5000);
  ASSERT_TRUE(second.IsOpen());
  EXPECT_EQ(receive(second, 5), "back\n");
}

TEST_F(TraceLogTest, UnreachableReceiverDropsLinesWithoutFailing) {
  Configure({{"LogTo", "IP"}, {"Path", "not an address"}});
  Installed installed(&m_log);
  Trace("dropped\n");
  Configure({{"LogTo", "IP"}, {"Path", "127.0.0.1"}});  // nothing listens on 127.0.0.1:5679
  Trace("dropped\n");
  EXPECT_EQ(m_log.LastError(), "");
}

TEST(TraceLogDebugWindow, WritesToStandardErrorOnlyWhenAsked) {
  TempDir dir;
  IniFile ini(dir.File("Remote.ini"));
  ASSERT_TRUE(ini.Write("LOGGING", "ShowTimeStamp", "no"));
  for (const bool asked : {false, true}) {
    if (asked) ::setenv("TSV_DEBUG_WINDOW", "1", 1);
    TraceLog log(dir.Path());
    log.ReadSettings(ini);
    ::unsetenv("TSV_DEBUG_WINDOW");
    Installed installed(&log);
    testing::internal::CaptureStderr();
    Trace("%s\n", std::string(200, 'd').c_str());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), asked ? std::string(200, 'd') + "\n" : "");
  }
}

TEST(TraceCategories, RegistrationMapsRangesAndIsBounded) {
  TempDir dir;
  TraceLog log(dir.Path());
  log.RegisterCategory(7, -1, "Seven");
  log.RegisterCategory(20, 22, "Twenty");
  log.EnableCategory("SEVEN");
  log.EnableCategory("twenty");
  EXPECT_TRUE(log.IsEnabled(7));
  EXPECT_FALSE(log.IsEnabled(8));
  EXPECT_TRUE(log.IsEnabled(22));
  EXPECT_FALSE(log.IsEnabled(23));
  EXPECT_EQ(log.PossibleCategories(), "Seven, Twenty, ");
  EXPECT_THROW(log.RegisterCategory(9990, 10000, "TooFar"), TextError);
  EXPECT_THROW(log.RegisterCategory(-1, -1, "Negative"), TextError);
  for (int i = 3; i <= TraceLog::MAX_CATEGORY_NAMES; ++i) log.RegisterCategory(100 + i, -1, "N");
  EXPECT_THROW(log.RegisterCategory(5000, -1, "OneTooMany"), TextError);
}

TEST(TraceCategories, PasswordsAreMaskedInTraceLines) {
  EXPECT_EQ(Format("Password: %s\n", MaskedSecret("hunter2").c_str()), "Password: ********\n");
  EXPECT_EQ(MaskedSecret("a much longer secret than eight"), "********");
  EXPECT_EQ(MaskedSecret(""), "");
}
