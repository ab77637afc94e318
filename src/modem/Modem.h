#pragma once
// The modem engine: drives the serial port a modem or a direct cable is
// attached to. It speaks the modem's command language with the commands and
// answer table of the modem database, dials, answers, waits for rings and
// carriers, carries the packet stream once a call is up and drops the line.
//
// Threads: the connect, monitor and window threads share one engine; Send,
// Read, ClearBuffer and Close take the port lock, nothing else holds it, and
// nothing is called under it. Every wait (a read, a pause between commands)
// ends at once when the stop signal is raised.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "modem/ModemParameters.h"
#include "modem/ModemSettings.h"
#include "platform/SerialPort.h"
#include "platform/StopSignal.h"
#include "settings/IniFile.h"

namespace modem {

// Bytes kept of the last answer, read and send, for messages and traces.
inline constexpr size_t LAST_ANSWER_SIZE = 100;
inline constexpr size_t LAST_COPY_SIZE = 1000;

class Modem {
 public:
  // The timings come from ReadModemTimings (the MODEMS section).
  Modem(ModemParameters parameters, const ModemTimings& timings, settings::IniFile& ini,
         const platform::StopSignal& stop);
  ~Modem();
  Modem(const Modem&) = delete;
  Modem& operator=(const Modem&) = delete;

  const ModemParameters& Parameters() const { return m_parameters; }
  const platform::StopSignal& Stop() const { return m_stop; }
  // Opens and configures the port; on failure appends the reason to error.
  bool OpenPort(std::string& error);
  bool IsOpen() const { return m_open.load(); }
  void Close();

  // Reads up to count bytes (see SerialPort::Read for the two time-outs).
  // False when the port is closed or a stop came; a failing port is closed
  // (which drops DTR) and the failure raised as "Read Error\n" and its cause.
  bool Read(uint8_t* buffer, size_t count, int& read, int totalMs, int intercharMs);
  // False when not every byte went out; a failing port is closed.
  bool Send(const uint8_t* data, size_t length);
  bool Send(std::string_view text);
  // Discards whatever is waiting on the line.
  void ClearBuffer();

  // Reads byte by byte, each within totalMs, until the text has been seen.
  bool Expect(std::string_view text, int totalMs);
  bool SendExpect(std::string_view send, std::string_view expect);
  // Reads the modem's answer to command (its echo removed): 1 of the expected
  // class, -1 of another, 0 nothing read. -1 as a time means the MODEMS timing.
  int ExpectAnswerType(std::string_view command, int expectedClass, int totalMs, int intercharMs);
  int ClassifyResponse(std::string_view answer) const;

  // Reset, the Init commands, the user's init string and the three settings;
  // raises the failing command. False when the port is closed or a stop came.
  bool Initialize();
  bool Dial(const std::string& number, bool tone);
  bool Answer();
  bool WaitForConnect(int totalMs);
  // rings RING answers in a row, each within totalMs; 0 rings is at once true.
  bool WaitForRing(int rings, int totalMs);
  void Hangup();
  // Ends the call but keeps the port open (for a call-back): DTR dropped
  // until the carrier goes, else the escape and the hang-up command. Raises
  // "Could not disconnect modem.\n" when the carrier stays.
  void HangUpLine();
  // HangUpLine, then closes the port. A cable is left alone.
  bool Disconnect();

  bool IsNullModem() const { return m_parameters.IsNullModem(); }
  // The carrier (DSR for a cable) while the port is open. A port without
  // modem lines counts as up while it is open: its hang-up reads as a failure.
  bool IsCarrierUp() const;
  bool HasModemLines() const;
  // The line errors since the last call, by name.
  std::string TakeLineErrors();

  std::string LastAnswer() const;
  std::string LastRead() const;
  std::string LastSent() const;
  const std::string& BaudWarning() const { return m_timings.baudWarning; }

 private:
  // True when the stop came first.
  bool Pause(int milliseconds) const;
  void Escape();
  void CloseAfterFailure();

  ModemParameters m_parameters;
  ModemTimings m_timings;
  settings::IniFile& m_ini;
  const platform::StopSignal& m_stop;

  mutable std::mutex m_portLock;
  platform::SerialPort m_port;
  std::atomic<bool> m_open{false};

  mutable std::mutex m_copyLock;
  std::string m_lastAnswer;
  std::string m_lastRead;
  std::string m_lastSent;
};

}  // namespace modem
