// The modem engine against a scripted modem on a pseudo-terminal: answers and
// their classes, time-outs, echo, the command sequence of initialisation, the
// dial string, the hang-up, and the port's own failures.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "modem/AnswerReader.h"
#include "modem/ModemFixture.h"
#include "modem/ModemSettings.h"
#include "modem/ResponseClasses.h"
#include "platform/SerialPort.h"
#include "platform/TextError.h"
#include "support/PtyPair.h"

namespace {

using modem::CLASS_CONNECT;
using modem::CLASS_OK;

double SecondsOf(const std::function<void()>& body) {
  const auto start = std::chrono::steady_clock::now();
  body();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST(ModemAnswers, ClassesMatchWithEchoAndLineEnds) {
  modem::ResponseClasses classes;
  classes.Add(modem::ExpandLineEnds("<cr><lf>OK<cr><lf>"), CLASS_OK);
  classes.Add(modem::ExpandLineEnds("<cr><lf>CONNECT 57600<cr><lf>"), CLASS_CONNECT);
  classes.Add(modem::ExpandLineEnds("<cr><lf>CONNECT 115200<cr><lf>"), CLASS_CONNECT);
  classes.Add("\r\nBUSY\r\n", modem::CLASS_BUSY);
  struct Case {
    const char* command;
    const char* answer;
    int expected;
    int verdict;
  } cases[] = {
      {"ATZ\r", "ATZ\r\r\nOK\r\n", CLASS_OK, 1},  // echoed command, then the answer
      {"ATZ\r", "\r\nOK\r\n", CLASS_OK, 1},       // no echo
      {"ATZ\r", "OK\r\n", CLASS_OK, 1},           // other line ends
      {"ATZ\r", "\r\nBUSY\r\n", CLASS_OK, -1},    // another class
      {"ATZ\r", "\r\nOKAY\r\n", CLASS_OK, -1},    // not an answer of the table
      {"", "\r\nCARRIER 57600\r\n\r\nCONNECT 57600\r\n", CLASS_CONNECT, 1},  // the last line counts
      {"ATZ\r", "", CLASS_OK, 0},
      {"ATA\r", "ATA\r", CLASS_CONNECT, -1},  // only the echo: the modem is still training
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    EXPECT_EQ(modem::JudgeAnswer(classes, c.command, c.answer, c.expected), c.verdict);
  }
  // Between the delimiters of two entries lies an empty text, which is no answer.
  const struct {
    const char* answer;
    bool connect;
  } connects[] = {
      {"\r\nCONNECT 115200\r\n", true},
      {"CONNECT 57600", true},
      {"\r\nCONNECT 9600\r\n", false},
      {"", false},
      {"\r\n", false},
      {" \r\n\r\n ", false},
  };
  for (const auto& c : connects) {
    SCOPED_TRACE(c.answer);
    EXPECT_EQ(classes.Contains(CLASS_CONNECT, c.answer), c.connect);
  }
  EXPECT_EQ(classes.Classify(""), -1);
  EXPECT_EQ(classes.Classify("\r\nBUSY\r\n"), modem::CLASS_BUSY);
  EXPECT_EQ(classes.Classify("\r\nHELLO\r\n"), -1);
  EXPECT_EQ(classes.List(CLASS_OK), "``\r\nOK\r\n``");
  EXPECT_EQ(classes.Name(modem::CLASS_RING), "A call is ringing in messages");
  EXPECT_EQ(classes.Name(12), "");
}

TEST(ModemAnswers, ExpectDoesNotRetryTheByteThatBrokeAMatch) {
  const auto seen = [](const std::string& text, const std::string& input) {
    modem::ExpectMatch match(text);
    bool found = false;
    for (char c : input) found = match.Feed(static_cast<uint8_t>(c)) || found;
    return found;
  };
  EXPECT_FALSE(seen("CONNECT", "CONCONNECT"));
  EXPECT_TRUE(seen("CONNECT", "xxCONNECT 57600"));
  EXPECT_TRUE(seen("CONNECT ", "CONNECXCONNECT "));
}

TEST(ModemSettings, DefaultsAreWrittenAndABadBaudIsReplaced) {
  TempDir dir;
  settings::IniFile ini(dir.File("Remote.ini"));
  modem::ModemTimings timings = modem::ReadModemTimings(ini);
  EXPECT_EQ(timings.responseMain, 1000);
  EXPECT_EQ(timings.baud, 57600);
  EXPECT_TRUE(timings.baudWarning.empty());
  for (const auto& [key, value] : std::vector<std::pair<const char*, const char*>>{
           {"ResponseTimingMain", "1000"},
           {"ResponseTimingInterchar", "100"},
           {"COMBaud", "57600"},
           {"RLSDToggleTime", "500"},
           {"Possible-COMBaud:",
            "110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, "
            "128000, 256000"}})
    EXPECT_EQ(ini.Read("MODEMS", key, "", 200), value) << key;

  for (const char* bad : {"1200", "12O0", ""}) {
    ini.Write("MODEMS", "COMBaud", bad);
    timings = modem::ReadModemTimings(ini);
    EXPECT_EQ(timings.baud, 57600);
    EXPECT_EQ(timings.baudWarning, std::string("The 'COMBaud=' line in your .INI file has an "
                                               "invalid value: ") +
                                       bad + "\nBaud rate is being set to 57600.");
    EXPECT_EQ(ini.Read("MODEMS", "COMBaud", "", 200), "57600");
  }
  ini.Write("MODEMS", "COMBaud", "115200");
  ini.Write("MODEMS", "ResponseTimingMain", "0");
  timings = modem::ReadModemTimings(ini);
  EXPECT_EQ(timings.baud, 115200);
  EXPECT_EQ(timings.responseMain, 1000);
  EXPECT_EQ(modem::ReadWaitForRingTime(ini), 50000);
  EXPECT_EQ(modem::ReadWaitForConnectTime(ini), 80000);
  EXPECT_EQ(ini.Read("MODEMS", "WaitForRingTime", "", 200), "50000");
}

TEST(SerialPort, NamesTimeOutsAndFailures) {
  EXPECT_EQ(platform::SerialPort::DevicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(platform::SerialPort::DevicePath("COM12"), "/dev/ttyS11");
  EXPECT_EQ(platform::SerialPort::DevicePath("/dev/ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(platform::SerialPort::DevicePath("COMX"), "COMX");

  platform::SerialPort missing;
  EXPECT_FALSE(missing.Open("/dev/no-such-port", 57600));
  EXPECT_NE(missing.ErrorText().find("No such file"), std::string::npos);

  PtyPair pty;
  platform::SerialPort port, second;
  ASSERT_TRUE(port.Open(pty.SlavePath(), 57600)) << port.ErrorText();
  EXPECT_FALSE(second.Open(pty.SlavePath(), 57600));
  EXPECT_EQ(second.ErrorText(), "The port is in use by another program.\n");
  EXPECT_FALSE(port.HasModemLines());  // a pseudo-terminal has none

  uint8_t buffer[16];
  // Nothing comes: the total time-out.
  EXPECT_NEAR(SecondsOf([&] { EXPECT_EQ(port.Read(buffer, 16, 300, 50), 0); }), 0.3, 0.15);
  // A pause longer than the inter-character time-out ends the read early.
  std::thread talker([&] {
    pty.Write("ab");
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    pty.Write("cd");
  });
  EXPECT_EQ(port.Read(buffer, 16, 2000, 100), 2);
  EXPECT_EQ(port.Read(buffer, 16, 2000, 100), 2);
  talker.join();
  // A raised stop ends a wait at once.
  platform::StopSignal stop;
  stop.Raise();
  EXPECT_EQ(port.Read(buffer, 16, 5000, 0, stop.Fd()), platform::SerialPort::READ_STOPPED);
}

TEST(ModemEngine, InitialisesWithEveryCommandInOrder) {
  ModemOnPty line({});
  ASSERT_TRUE(line.Open());
  EXPECT_TRUE(line.engine->Initialize());
  EXPECT_EQ(line.peer.Commands(), (std::vector<std::string>{"ATZ\r", "AT&F\r", "ATS0=0\r",
                                                            "AT\\N4\r", "AT&K3\r", "AT%C0\r"}));
}

TEST(ModemEngine, InitialisationFailuresNameTheCommand) {
  struct Case {
    ModemScript script;
    std::string failure;
  } cases[] = {
      {{.failing = {"AT&F\r"}}, "Failed on this command: AT&F\r"},
      {{.failing = {"ATZ\r"}}, "Modem reset failed:\nATZ\r\r\nERROR\r\n"},
      {{.echo = false, .mute = true}, "Modem reset failed.  No reply to:\n  ATZ\r"},
      {{.mute = true}, "Modem reset failed:\nATZ\r"},  // only the echo came
      {{.failing = {"AT&K3\r"}}, "Error setting hardware flow control."},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.failure);
    ModemOnPty line(c.script);
    ASSERT_TRUE(line.Open());
    try {
      line.engine->Initialize();
      ADD_FAILURE() << "initialised";
    } catch (const TextError& e) {
      EXPECT_EQ(e.Text(), c.failure);
    }
  }
}

TEST(ModemEngine, WithoutCheckingResponsesASilentModemInitialises) {
  ModemOnPty line({.mute = true});
  line.ini.Write("MODEMS", "CheckResponses", "FALSE");
  ASSERT_TRUE(line.Open());
  EXPECT_TRUE(line.engine->Initialize());
}

TEST(ModemEngine, DialsWithToneOrPulseAndHearsTheResult) {
  for (const bool tone : {true, false}) {
    ModemOnPty line({.dialResult = "BUSY"});
    ASSERT_TRUE(line.Open());
    ASSERT_TRUE(line.engine->Dial("5551234", tone));
    EXPECT_EQ(line.engine->ExpectAnswerType(tone ? "ATDT5551234\r" : "ATDP5551234\r",
                                            modem::CLASS_BUSY, 2000, 100),
              1);
    EXPECT_EQ(line.peer.Commands(),
              std::vector<std::string>{tone ? "ATDT5551234\r" : "ATDP5551234\r"});
  }
}

TEST(ModemEngine, SilenceTimesOutAndAStopCutsEveryWait) {
  ModemOnPty line({.mute = true});
  ASSERT_TRUE(line.Open());
  // 500 ms for the modem to settle, then the whole answer time.
  const double silent =
      SecondsOf([&] { EXPECT_EQ(line.engine->ExpectAnswerType("AT\r", 0, 400, 50), 0); });
  EXPECT_GE(silent, 0.85);
  EXPECT_LT(silent, 2.0);  // a loaded machine stretches it, a hang does not end
  line.stop.Raise();
  EXPECT_LT(SecondsOf([&] { EXPECT_FALSE(line.engine->Initialize()); }), 0.45);
}

TEST(ModemEngine, HangsUpWithGuardedEscapeAndItsOwnCommandThenCloses) {
  // A port without modem lines: the escape and the modem's Hangup command.
  PtyPair pty;
  TempDir dir;
  settings::IniFile ini(dir.File("Remote.ini"));
  WriteTestModemDatabase(dir.File("modems.ini"), pty.SlavePath());
  platform::StopSignal stop;
  modem::Modem engine(modem::ModemDatabase(dir.File("modems.ini"), ini).Find(TEST_MODEM),
                       modem::ReadModemTimings(ini), ini, stop);
  std::string error;
  ASSERT_TRUE(engine.Line().OpenPort(error));
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  std::string heard;
  std::vector<double> at;
  std::thread far([&] {
    while (heard.size() < 7) {
      const int byte = pty.ReadByte(5000);
      if (byte < 0) return;
      heard += static_cast<char>(byte);
      at.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    pty.Write("\r\nOK\r\n");
  });
  EXPECT_TRUE(engine.Disconnect());
  far.join();
  EXPECT_EQ(heard, "+++ATH\r");
  ASSERT_EQ(at.size(), 7u);
  EXPECT_GE(at[0], 1.0);          // a quiet second before the escape
  EXPECT_GE(at[3] - at[2], 1.0);  // and after it
  EXPECT_FALSE(engine.Line().IsOpen());
  EXPECT_EQ(pty.ReadByte(300), -1);
  EXPECT_TRUE(pty.HungUp());
}

TEST(ModemEngine, ACableIsNeverHungUpAndOpenFailuresAreWorded) {
  ModemOnPty line({.direct = true}, TEST_CABLE);
  ASSERT_TRUE(line.engine->IsNullModem());
  ASSERT_TRUE(line.Open());
  EXPECT_TRUE(line.engine->Disconnect());
  EXPECT_TRUE(line.engine->Line().IsOpen());
  EXPECT_TRUE(line.engine->Line().IsCarrierUp());

  ModemOnPty busy({}, TEST_CABLE);
  ASSERT_TRUE(busy.Open());
  modem::Modem second(busy.engine->Parameters(), {}, busy.ini, busy.stop);
  std::string error;
  EXPECT_FALSE(second.Line().OpenPort(error));
  EXPECT_EQ(error, "Error opening modem port: " + busy.peer.Path() +
                       "\nThe port is in use by another program.\n");
}
