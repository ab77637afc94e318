#include "modem/ModemConnection.h"

#include <chrono>
#include <string_view>
#include <vector>

#include "modem/AnswerReader.h"
#include "platform/StopSignal.h"
#include "platform/TextError.h"
#include "platform/Trace.h"

namespace modem {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t LINE_READ = 1999;
constexpr int POLL_PAUSE_MS = 100;
constexpr int CABLE_PAUSE_MS = 500;
constexpr int RING_READ_MS = 300;
constexpr int GREETING_PAUSE_MS = 1000;
constexpr int GREETING_WAIT_MS = 10000;

enum class Verdict { Nothing, Connected, Failed, Other };

// What the modem said while the call is set up: its final result code counts.
Verdict Judge(const Modem& modem, std::string_view answer) {
  if (answer.empty()) return Verdict::Nothing;
  const ResponseClasses& classes = modem.Parameters().responses;
  if (classes.Contains(CLASS_CONNECT, answer)) return Verdict::Connected;
  for (int failed = CLASS_ERROR; failed <= CLASS_NO_ANSWER; ++failed)
    if (classes.Contains(failed, answer)) return Verdict::Failed;
  return Verdict::Other;
}

std::string ReadText(Modem& modem, size_t size, int totalMs, int intercharMs) {
  std::vector<uint8_t> buffer(size);
  int read = 0;
  if (!modem.Line().Read(buffer.data(), buffer.size(), read, totalMs, intercharMs)) return {};
  return std::string(buffer.begin(), buffer.begin() + read);
}

std::optional<std::string> DialModem(Modem& modem, const DialRequest& request,
                                     const StatusReport& status, const platform::StopSignal& stop) {
  try {
    modem.Initialize();
  } catch (const TextError& e) {
    return "Could not initialize modem.\n" + modem.Parameters().model + "\n" + e.Text();
  }
  if (stop.IsRaised()) return std::string(ABORTED_TEXT);
  status("Dialing " + request.number);
  if (!modem.Dial(request.number, !request.pulse)) {
    if (stop.IsRaised()) return std::string(ABORTED_TEXT);
    return "Can't dial " + modem.Parameters().portName + "\nWriteFile() probably failed.\n";
  }
  // The echo of the dial command; a modem that connects at once has said so here.
  const Verdict early = Judge(modem, ReadText(modem, 2000, 800, 100));
  if (early == Verdict::Connected) return std::nullopt;
  if (early == Verdict::Failed) return std::string("Modem/Serial connection failed.\n");
  Trace("Waiting for connect\n");
  const bool lines = modem.Line().HasModemLines();
  const auto deadline = Clock::now() + std::chrono::milliseconds(request.waitForConnectMs);
  while (Clock::now() < deadline) {
    if (stop.IsRaised()) return std::string(ABORTED_TEXT);
    const bool carrier = lines && modem.Line().IsCarrierUp();
    std::string answer;
    if (carrier)
      answer = ReadText(modem, LINE_READ, 500, 20);
    else
      // Without modem lines the answer alone tells what happened, so it is
      // given time to arrive whole.
      answer = ReadText(modem, LINE_READ, lines ? 10 : 500, 90);
    const Verdict verdict = Judge(modem, answer);
    if (verdict == Verdict::Connected) return std::nullopt;
    if (carrier && verdict != Verdict::Nothing)
      return "Could not connect to " + request.number +
             "\nWas expecting connect string from modem but got this instead:\n" + answer;
    if (verdict == Verdict::Failed) return std::string("Modem/Serial connection failed.\n");
    if (stop.WaitFor(POLL_PAUSE_MS)) return std::string(ABORTED_TEXT);
  }
  return std::string("Time allowed for connecting expired.\n");
}

std::optional<std::string> ShakeCableHands(Modem& modem, const DialRequest& request,
                                           const platform::StopSignal& stop) {
  Trace("Send expect ATD / Connect\n");
  for (int attempt = 0; attempt < CABLE_TRIES; ++attempt) {
    // The unit's serial port answers a dial command as a modem would.
    if (modem.SendExpect("ATD\r", "CONNECT ")) {
      Trace("DIRECT connect success.\n");
      return std::nullopt;
    }
    if (stop.IsRaised() || stop.WaitFor(CABLE_PAUSE_MS)) return std::string(ABORTED_TEXT);
  }
  return "Can't connect, " + request.productName + " did not reply.\n";
}

}  // namespace

std::optional<std::string> BringUpLine(Modem& modem, const DialRequest& request,
                                       const StatusReport& status) {
  const platform::StopSignal& stop = modem.Stop();
  std::optional<std::string> failure;
  if (modem.IsNullModem()) {
    Trace("Null modem case.\n");
    failure = ShakeCableHands(modem, request, stop);
  } else {
    Trace("Modem case (not null modem)\n");
    failure = DialModem(modem, request, status, stop);
  }
  if (failure) return failure;
  Trace("Flush read buffer\n");
  ReadText(modem, 2000, 800, 100);
  status("Determining if remote is an " + request.productName);
  if (stop.WaitFor(500)) return std::string(ABORTED_TEXT);
  modem.Line().ClearBuffer();
  return std::nullopt;
}

std::optional<std::string> AnswerCallBack(Modem& modem, int ringTimeMs,
                                          const std::string& productName,
                                          const StatusReport& status) {
  const platform::StopSignal& stop = modem.Stop();
  status("Hang up.");
  try {
    if (!modem.IsNullModem()) modem.HangUpLine();
  } catch (const TextError& e) {
    return e.Text();
  }
  modem.Line().ClearBuffer();
  status("Waiting for callback...\n");
  const auto deadline = Clock::now() + std::chrono::milliseconds(ringTimeMs);
  // One ring is enough: the call is answered as soon as it rings.
  for (;;) {
    if (stop.IsRaised()) return std::string(ABORTED_TEXT);
    if (Clock::now() > deadline) return std::string("Timed out waiting for call back.\n");
    if (modem.ExpectAnswerType({}, CLASS_RING, RING_READ_MS, -1) == 1) break;
  }
  Trace("Answering call.\n");
  if (!modem.Answer()) {
    if (stop.IsRaised()) return std::string(ABORTED_TEXT);
    return std::string("Modems could not negotiate a connection.\n");
  }
  Trace("Got modem call-back.\n");
  modem.Line().Send(CALL_BACK_GREETING);
  Trace("Waiting for response.\n");
  if (stop.WaitFor(GREETING_PAUSE_MS)) return std::string(ABORTED_TEXT);
  if (!modem.Expect(CALL_BACK_REPLY, GREETING_WAIT_MS)) {
    if (stop.IsRaised()) return std::string(ABORTED_TEXT);
    Trace("Nope, this isn't a ORB.   %s\n", modem.Line().LastRead().c_str());
    return "Got a call, but not from a " + productName + ".\n";
  }
  Trace("Received call.\n");
  Trace("Success we have contact.\n");
  return std::nullopt;
}

}  // namespace modem
