#include "modem/Modem.h"

#include <utility>

#include "modem/AnswerReader.h"
#include "platform/TextError.h"
#include "platform/Trace.h"

namespace modem {
namespace {

constexpr int ANSWER_SETTLE_MS = 500;
constexpr size_t ANSWER_READ = 99;
constexpr int ESCAPE_GUARD_MS = 1100;
constexpr int DTR_CHECKS = 12;
constexpr int ESCAPE_CHECKS = 10;
constexpr int ESCAPE_CHECK_MS = 500;
constexpr const char* PLAIN_HANGUP = "ATH\r";

}  // namespace

Modem::Modem(ModemParameters parameters, const ModemTimings& timings, settings::IniFile& ini,
             const platform::StopSignal& stop)
    : m_parameters(std::move(parameters)),
      m_timings(timings),
      m_ini(ini),
      m_stop(stop),
      m_line(m_parameters.portName, m_timings.baud, m_parameters.IsNullModem(), stop) {}

bool Modem::Pause(int milliseconds) const { return m_stop.WaitFor(milliseconds); }

bool Modem::Expect(std::string_view text, int totalMs) {
  ExpectMatch match{std::string(text)};
  std::string seen;
  for (;;) {
    uint8_t byte = 0;
    int read = 0;
    if (!m_line.Read(&byte, 1, read, totalMs, 0) || read == 0) {
      Trace("Expect() returns false, string not found.\n");
      return false;
    }
    if (seen.size() < LAST_ANSWER_SIZE) seen += static_cast<char>(byte);
    if (match.Feed(byte)) {
      Trace("Expect() returns true, string found.\n");
      return true;
    }
  }
}

bool Modem::SendExpect(std::string_view send, std::string_view expect) {
  m_line.ClearBuffer();
  if (send.empty()) return false;
  if (!m_line.Send(send)) return false;
  return Expect(expect, 1000);
}

int Modem::ExpectAnswerType(std::string_view command, int expectedClass, int totalMs,
                            int intercharMs) {
  if (!ReadCheckResponses(m_ini)) return 1;
  if (totalMs == -1) totalMs = m_timings.responseMain;
  if (intercharMs == -1) intercharMs = m_timings.responseInterchar;
  Trace(
      "Modem::ExpectAnswerType -- Starting - \n   command was: %s\n   looking for: %d\n   "
      "timeout: %d\n   intercharTimeout: %d\n",
      std::string(command).c_str(), expectedClass, totalMs, intercharMs);
  if (Pause(ANSWER_SETTLE_MS)) return 0;
  uint8_t buffer[ANSWER_READ];
  int read = 0;
  if (!m_line.Read(buffer, sizeof buffer, read, totalMs, intercharMs)) return 0;
  if (read == 0) {
    Trace("Modem::ExpectAnswerType -- Timed out.\n");
    return 0;
  }
  const std::string answer(reinterpret_cast<const char*>(buffer), static_cast<size_t>(read));
  {
    std::lock_guard copy(m_answerLock);
    m_lastAnswer = answer.substr(0, LAST_ANSWER_SIZE - 1);
  }
  const int verdict = JudgeAnswer(m_parameters.responses, command, answer, expectedClass);
  Trace(verdict == 1 ? "Modem::ExpectAnswerType -- it was an answer of the expected class.\n"
                     : "Modem::ExpectAnswerType -- it was some other class, failed.\n");
  return verdict;
}

bool Modem::Initialize() {
  Trace("Modem::Initialize()\n");
  if (!m_line.IsOpen()) return false;
  m_line.ClearBuffer();
  const auto command = [this](const std::string& text) {
    return m_line.Send(text) && ExpectAnswerType(text, CLASS_OK, -1, -1) == 1;
  };
  const std::string& reset = m_parameters.reset;
  if (!command(reset) && !command(reset)) {
    if (m_stop.IsRaised()) return false;
    if (LastAnswer().empty()) throw TextError("Modem reset failed.  No reply to:\n  " + reset);
    throw TextError("Modem reset failed:\n" + LastAnswer());
  }
  for (const std::string& init : m_parameters.init) {
    if (command(init)) continue;
    if (m_stop.IsRaised()) return false;
    throw TextError("Failed on this command: " + init);
  }
  m_line.ClearBuffer();
  const std::string& prefix = m_parameters.prefix;
  const std::string& terminator = m_parameters.terminator;
  if (!m_parameters.userInit.empty()) {
    Trace("Sending user supplied init string: %s\n", m_parameters.userInit.c_str());
    if (!command(prefix + m_parameters.userInit + terminator))
      throw TextError("User init string failed: " + m_parameters.userInit);
  }
  if (!command(prefix + m_parameters.errorControlForced + terminator))
    throw TextError("Error setting forced error control.");
  if (!command(prefix + m_parameters.flowControlHard + terminator))
    throw TextError("Error setting hardware flow control.");
  if (!command(prefix + m_parameters.compressionOff + terminator))
    throw TextError("Error setting Compression_Off.");
  return true;
}

bool Modem::Dial(const std::string& number, bool tone) {
  const std::string text = m_parameters.prefix + m_parameters.dialPrefix +
                           (tone ? m_parameters.tone : m_parameters.pulse) + number +
                           m_parameters.terminator;
  Trace("Modem::Dial() sending: %s.\n", text.c_str());
  return m_line.Send(text);
}

bool Modem::Answer() {
  if (!m_line.Send(m_parameters.answer)) return false;
  return WaitForConnect(30000);
}

bool Modem::WaitForConnect(int totalMs) {
  if (Pause(ANSWER_SETTLE_MS)) return false;
  uint8_t early[80];
  int read = 0;
  if (!m_line.Read(early, sizeof early, read, 1, 400)) return false;
  // A modem that connects at once has said so in what is skipped here; one
  // that echoes may have sent only the echo yet, while it trains.
  const std::string skipped(reinterpret_cast<const char*>(early), static_cast<size_t>(read));
  if (m_parameters.responses.Contains(CLASS_CONNECT, StripEcho(skipped, m_parameters.answer)))
    return true;
  return ExpectAnswerType({}, CLASS_CONNECT, totalMs, 40) > 0;
}

void Modem::Escape() {
  Trace("DTR failed, trying +++, first sleep 1100\n");
  if (Pause(ESCAPE_GUARD_MS)) return;
  m_line.Send("+++");
  if (Pause(ESCAPE_GUARD_MS)) return;
  // The modem's own hang-up command where the database gives one.
  m_line.Send(m_parameters.hangup.empty() ? std::string_view(PLAIN_HANGUP)
                                          : std::string_view(m_parameters.hangup));
}

void Modem::HangUpLine() {
  if (!m_line.IsOpen()) return;
  if (!m_line.HasModemLines()) {
    // Nothing tells whether the carrier went; the modem's answer is read
    // for the trace, and closing the port finishes the job.
    Escape();
    const int answered = ExpectAnswerType({}, CLASS_OK, 2000, -1);
    Trace("Hang-up answered: %d %s\n", answered, LastAnswer().c_str());
    return;
  }
  Trace("CLRDTR\n");
  m_line.SetDTR(false);
  for (int i = 0; i < DTR_CHECKS && m_line.IsCarrierUp(); ++i)
    if (Pause(m_timings.rlsdToggle)) return;
  Trace("SETDTR\n");
  m_line.SetDTR(true);
  if (Pause(m_timings.rlsdToggle)) return;
  if (m_line.IsCarrierUp()) {
    Escape();
    for (int i = 0; i < ESCAPE_CHECKS && m_line.IsCarrierUp(); ++i)
      if (Pause(ESCAPE_CHECK_MS)) return;
  }
  if (m_line.IsCarrierUp() && !m_stop.IsRaised()) {
    Trace("Disconnect gave up.\n");
    throw TextError("Could not disconnect modem.\n");
  }
}

bool Modem::Disconnect() {
  if (IsNullModem()) return true;
  Trace("Disconnecting.\n");
  if (!m_line.IsOpen()) {
    Trace("Modem handle is already closed, returning.\n");
    return true;
  }
  HangUpLine();
  Trace("Disconnect succeeded.\n");
  m_line.Close();
  return true;
}

std::string Modem::LastAnswer() const {
  std::lock_guard copy(m_answerLock);
  return m_lastAnswer;
}

}  // namespace modem
