#pragma once
// The modem engine: speaks the command language of the modem on a line, with
// the commands and answer table of the modem database. It initialises the
// modem, dials, answers, waits for the carrier and drops the call; the line
// itself (the port, its bytes and its modem lines) is a ModemLine of its own,
// which carries the packet stream once a call is up.
//
// Threads: the connect, monitor and window threads share one engine; the line
// takes its port lock for each call, and the engine holds no lock while it
// talks. Every wait (a read, a pause between commands) ends at once when the
// stop signal is raised.

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

#include "modem/ModemLine.h"
#include "modem/ModemParameters.h"
#include "modem/ModemSettings.h"
#include "platform/StopSignal.h"
#include "settings/IniFile.h"

namespace modem {

// Bytes kept of the last answer, for messages and traces.
inline constexpr size_t LAST_ANSWER_SIZE = 100;

class Modem {
 public:
  // The timings come from ReadModemTimings (the MODEMS section).
  Modem(ModemParameters parameters, const ModemTimings& timings, settings::IniFile& ini,
        const platform::StopSignal& stop);
  Modem(const Modem&) = delete;
  Modem& operator=(const Modem&) = delete;

  const ModemParameters& Parameters() const { return m_parameters; }
  const platform::StopSignal& Stop() const { return m_stop; }
  bool IsNullModem() const { return m_parameters.IsNullModem(); }
  ModemLine& Line() { return m_line; }
  const ModemLine& Line() const { return m_line; }

  // Reads byte by byte, each within totalMs, until the text has been seen.
  bool Expect(std::string_view text, int totalMs);
  bool SendExpect(std::string_view send, std::string_view expect);
  // Reads the modem's answer to command (its echo removed): 1 of the expected
  // class, -1 of another, 0 nothing read. -1 as a time means the MODEMS timing.
  int ExpectAnswerType(std::string_view command, int expectedClass, int totalMs, int intercharMs);

  // Reset, the Init commands, the user's init string and the three settings;
  // raises the failing command. False when the port is closed or a stop came.
  bool Initialize();
  bool Dial(const std::string& number, bool tone);
  // Answers a ringing call and waits for its carrier.
  bool Answer();
  // Ends the call but keeps the port open (for a call-back): DTR dropped
  // until the carrier goes, else the escape and the hang-up command. Raises
  // "Could not disconnect modem.\n" when the carrier stays.
  void HangUpLine();
  // HangUpLine, then closes the port. A cable is left alone.
  bool Disconnect();

 private:
  bool WaitForConnect(int totalMs);
  // True when the stop came first.
  bool Pause(int milliseconds) const;
  void Escape();
  std::string LastAnswer() const;

  ModemParameters m_parameters;
  ModemTimings m_timings;
  settings::IniFile& m_ini;
  const platform::StopSignal& m_stop;
  ModemLine m_line;

  mutable std::mutex m_answerLock;
  std::string m_lastAnswer;
};

}  // namespace modem
