#pragma once
// The serial port a modem or a direct cable is attached to, as the modem
// engine and the link's threads use it: opening and closing, reading and
// writing bytes, the DTR line, the carrier and the line errors. Read, Send,
// ClearBuffer, Close and the line calls take the port lock, nothing else holds
// it, and nothing is called under it. Every read and write ends at once when
// the stop signal is raised.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/SerialPort.h"
#include "platform/StopSignal.h"

namespace modem {

// Bytes kept of the last read, for messages and traces.
inline constexpr size_t LAST_COPY_SIZE = 1000;

class ModemLine {
 public:
  // nullModem: a direct cable, whose carrier is the unit's DSR.
  ModemLine(std::string portName, int baud, bool nullModem, const platform::StopSignal& stop);
  ~ModemLine();
  ModemLine(const ModemLine&) = delete;
  ModemLine& operator=(const ModemLine&) = delete;

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
  std::string LastRead() const;

  void SetDTR(bool on);
  // The carrier (DSR for a cable) while the port is open. A port without
  // modem lines counts as up while it is open: its hang-up reads as a failure.
  bool IsCarrierUp() const;
  bool HasModemLines() const;
  // The line errors since the last call, by name.
  std::string TakeLineErrors();

 private:
  const std::string m_portName;
  const int m_baud;
  const bool m_nullModem;
  const platform::StopSignal& m_stop;

  mutable std::mutex m_portLock;
  platform::SerialPort m_port;
  std::atomic<bool> m_open{false};

  mutable std::mutex m_copyLock;
  std::string m_lastRead;
};

}  // namespace modem
