#include "modem/Modem.h"

#include <utility>
#include <vector>

#include "modem/AnswerReader.h"
#include "platform/TextError.h"
#include "platform/Trace.h"

namespace modem {
namespace {

constexpr int WRITE_TIMEOUT_MS = 3000;
constexpr int ANSWER_SETTLE_MS = 500;
constexpr size_t ANSWER_READ = 99;
constexpr int ESCAPE_GUARD_MS = 1100;
constexpr int DTR_CHECKS = 12;
constexpr int ESCAPE_CHECKS = 10;
constexpr int ESCAPE_CHECK_MS = 500;
constexpr const char* PLAIN_HANGUP = "ATH\r";

std::string Printable(const uint8_t* bytes, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    const char c = static_cast<char>(bytes[i]);
    text += (c >= 32 && c < 127) ? c : '.';
  }
  return text;
}

}  // namespace

Modem::Modem(ModemParameters parameters, const ModemTimings& timings, settings::IniFile& ini,
               const platform::StopSignal& stop)
    : m_parameters(std::move(parameters)), m_timings(timings), m_ini(ini), m_stop(stop) {}

Modem::~Modem() { Close(); }

bool Modem::OpenPort(std::string& error) {
  Close();
  std::lock_guard lock(m_portLock);
  if (!m_port.Open(m_parameters.portName, m_timings.baud)) {
    error += "Error opening modem port: " + m_parameters.portName + "\n" + m_port.ErrorText();
    return false;
  }
  Trace("CreateFile succeeded.\n");
  m_open = true;
  return true;
}

void Modem::Close() {
  std::lock_guard lock(m_portLock);
  m_port.Close();
  m_open = false;
}

void Modem::CloseAfterFailure() {
  // Closing drops DTR, which is the hang-up a failing port can still take.
  Close();
}

bool Modem::Pause(int milliseconds) const { return m_stop.WaitFor(milliseconds); }

bool Modem::Read(uint8_t* buffer, size_t count, int& read, int totalMs, int intercharMs) {
  read = 0;
  std::string failure;
  {
    std::lock_guard lock(m_portLock);
    if (!m_port.IsOpen()) return false;
    const int got = m_port.Read(buffer, count, totalMs, intercharMs, m_stop.Fd());
    if (got == platform::SerialPort::READ_STOPPED) return false;
    if (got == platform::SerialPort::READ_FAILED) {
      failure = m_port.ErrorText();
    } else {
      read = got;
    }
  }
  if (!failure.empty()) {
    CloseAfterFailure();
    throw TextError("Read Error\n" + failure);
  }
  if (read > 0) {
    TraceLevel(4, "Read %d bytes\n", read);
    TraceLevel(4, "First 20 bytes read were: %s\n",
               Printable(buffer, std::min<size_t>(20, static_cast<size_t>(read))).c_str());
  }
  std::lock_guard copy(m_copyLock);
  m_lastRead.assign(reinterpret_cast<const char*>(buffer),
                    std::min<size_t>(LAST_COPY_SIZE, static_cast<size_t>(read)));
  return true;
}

bool Modem::Send(const uint8_t* data, size_t length) {
  bool sent = false;
  {
    std::lock_guard lock(m_portLock);
    sent = m_port.IsOpen() && m_port.Write(data, length, WRITE_TIMEOUT_MS, m_stop.Fd());
    if (!sent && m_port.IsOpen() && !m_stop.IsRaised()) {
      Trace("Send() failed to send all data, but no error code.  %s\n", m_port.ErrorText().c_str());
      m_port.Close();
      m_open = false;
    }
  }
  {
    std::lock_guard copy(m_copyLock);
    m_lastSent.assign(reinterpret_cast<const char*>(data), std::min(LAST_COPY_SIZE, length));
  }
  TraceLevel(4, "Send()  WriteFile() returns %d    BuffSize %d   sent %d bytes\n    %s\n",
             sent ? 1 : 0, static_cast<int>(length), sent ? static_cast<int>(length) : 0,
             Printable(data, std::min<size_t>(length, 80)).c_str());
  return sent;
}

bool Modem::Send(std::string_view text) {
  return Send(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void Modem::ClearBuffer() {
  std::vector<uint8_t> discard(8000);
  std::lock_guard lock(m_portLock);
  if (m_port.IsOpen()) m_port.Read(discard.data(), discard.size(), 50, 2, m_stop.Fd());
}

bool Modem::Expect(std::string_view text, int totalMs) {
  ExpectMatch match{std::string(text)};
  std::string seen;
  for (;;) {
    uint8_t byte = 0;
    int read = 0;
    if (!Read(&byte, 1, read, totalMs, 0) || read == 0) {
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
  ClearBuffer();
  if (send.empty()) return false;
  if (!Send(send)) return false;
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
  if (!Read(buffer, sizeof buffer, read, totalMs, intercharMs)) return 0;
  if (read == 0) {
    Trace("Modem::ExpectAnswerType -- Timed out.\n");
    return 0;
  }
  const std::string answer(reinterpret_cast<const char*>(buffer), static_cast<size_t>(read));
  {
    std::lock_guard copy(m_copyLock);
    m_lastAnswer = answer.substr(0, LAST_ANSWER_SIZE - 1);
  }
  const int verdict = JudgeAnswer(m_parameters.responses, command, answer, expectedClass);
  Trace(verdict == 1 ? "Modem::ExpectAnswerType -- it was an answer of the expected class.\n"
                     : "Modem::ExpectAnswerType -- it was some other class, failed.\n");
  return verdict;
}

int Modem::ClassifyResponse(std::string_view answer) const {
  return m_parameters.responses.Classify(answer);
}

bool Modem::Initialize() {
  Trace("Modem::Initialize()\n");
  if (!IsOpen()) return false;
  ClearBuffer();
  const auto command = [this](const std::string& text) {
    return Send(text) && ExpectAnswerType(text, CLASS_OK, -1, -1) == 1;
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
  ClearBuffer();
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
  return Send(text);
}

bool Modem::Answer() {
  if (!Send(m_parameters.answer)) return false;
  return WaitForConnect(30000);
}

bool Modem::WaitForConnect(int totalMs) {
  if (Pause(ANSWER_SETTLE_MS)) return false;
  uint8_t early[80];
  int read = 0;
  if (!Read(early, sizeof early, read, 1, 400)) return false;
  // A modem that connects at once has said so in what is skipped here.
  const std::string skipped(reinterpret_cast<const char*>(early), static_cast<size_t>(read));
  if (read > 0 &&
      m_parameters.responses.Contains(CLASS_CONNECT, StripEcho(skipped, m_parameters.answer)))
    return true;
  return ExpectAnswerType({}, CLASS_CONNECT, totalMs, 40) > 0;
}

bool Modem::WaitForRing(int rings, int totalMs) {
  ClearBuffer();
  if (rings <= 0) return true;
  while (ExpectAnswerType({}, CLASS_RING, totalMs, -1) == 1)
    if (--rings == 0) return true;
  return false;
}

void Modem::Hangup() {
  if (IsNullModem()) return;
  Send(m_parameters.hangup);
}

void Modem::Escape() {
  Trace("DTR failed, trying +++, first sleep 1100\n");
  if (Pause(ESCAPE_GUARD_MS)) return;
  Send("+++");
  if (Pause(ESCAPE_GUARD_MS)) return;
  // The modem's own hang-up command where the database gives one.
  Send(m_parameters.hangup.empty() ? std::string_view(PLAIN_HANGUP)
                                   : std::string_view(m_parameters.hangup));
}

void Modem::HangUpLine() {
  if (!IsOpen()) return;
  if (!HasModemLines()) {
    // Nothing tells whether the carrier went; the modem's answer is read
    // for the trace, and closing the port finishes the job.
    Escape();
    const int answered = ExpectAnswerType({}, CLASS_OK, 2000, -1);
    Trace("Hang-up answered: %d %s\n", answered, LastAnswer().c_str());
    return;
  }
  Trace("CLRDTR\n");
  {
    std::lock_guard lock(m_portLock);
    m_port.SetDTR(false);
  }
  for (int i = 0; i < DTR_CHECKS && IsCarrierUp(); ++i)
    if (Pause(m_timings.rlsdToggle)) return;
  Trace("SETDTR\n");
  {
    std::lock_guard lock(m_portLock);
    m_port.SetDTR(true);
  }
  if (Pause(m_timings.rlsdToggle)) return;
  if (IsCarrierUp()) {
    Escape();
    for (int i = 0; i < ESCAPE_CHECKS && IsCarrierUp(); ++i)
      if (Pause(ESCAPE_CHECK_MS)) return;
  }
  if (IsCarrierUp() && !m_stop.IsRaised()) {
    Trace("Disconnect gave up.\n");
    throw TextError("Could not disconnect modem.\n");
  }
}

bool Modem::Disconnect() {
  if (IsNullModem()) return true;
  Trace("Disconnecting.\n");
  if (!IsOpen()) {
    Trace("Modem handle is already closed, returning.\n");
    return true;
  }
  HangUpLine();
  Trace("Disconnect succeeded.\n");
  Close();
  return true;
}

bool Modem::IsCarrierUp() const {
  std::lock_guard lock(m_portLock);
  if (!m_port.IsOpen()) return false;
  const std::optional<platform::ModemLines> lines = m_port.Lines();
  if (!lines) return true;
  return IsNullModem() ? lines->dataSetReady : lines->carrier;
}

bool Modem::HasModemLines() const {
  std::lock_guard lock(m_portLock);
  return m_port.HasModemLines();
}

std::string Modem::TakeLineErrors() {
  std::lock_guard lock(m_portLock);
  return m_port.TakeErrorNames();
}

std::string Modem::LastAnswer() const {
  std::lock_guard copy(m_copyLock);
  return m_lastAnswer;
}

std::string Modem::LastRead() const {
  std::lock_guard copy(m_copyLock);
  return m_lastRead;
}

std::string Modem::LastSent() const {
  std::lock_guard copy(m_copyLock);
  return m_lastSent;
}

}  // namespace modem
