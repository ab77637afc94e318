#pragma once
// A serial device (a modem's port, a null-modem cable, a pseudo-terminal) in
// raw mode. Every wait polls the caller's stop descriptor beside the port, so
// a thread reading or writing here can always be ended. Not locked: the
// modem engine serialises its users.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// The modem lines as TIOCMGET reports them.
struct ModemLines {
  bool carrier = false;  // DCD, the Windows RLSD
  bool dataSetReady = false;
  bool ring = false;
  bool clearToSend = false;
};

class SerialPort {
 public:
  static constexpr int READ_FAILED = -1;
  static constexpr int READ_STOPPED = -2;

  SerialPort() = default;
  ~SerialPort() { Close(); }
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // "COMn" names the n-th serial port, /dev/ttyS(n-1); any other name is a
  // device path and stays as it is.
  static std::string DevicePath(const std::string& portName);
  // Whether the rate is one the port can be set to.
  static bool IsSupportedBaud(int baud);

  // Opens the device for this process alone, raw, 8N1, at the rate. False
  // with ErrorText() set when it is missing, busy or not a serial device.
  bool Open(const std::string& portName, int baud);
  void Close();
  bool IsOpen() const { return m_fd >= 0; }
  int Fd() const { return m_fd; }
  const std::string& ErrorText() const { return m_error; }

  // Reads up to size bytes: returns once size arrived, totalMs passed, or
  // (after the first byte, with intercharMs > 0) the line was quiet that
  // long. The count read (0 on a time-out), READ_FAILED (ErrorText set; a
  // hung-up line reads so) or READ_STOPPED when stopFd (if not -1) was raised
  // before anything arrived.
  int Read(uint8_t* buffer, size_t size, int totalMs, int intercharMs, int stopFd = -1);
  // Writes every byte, waiting up to timeoutMs for room; false when it could
  // not (ErrorText set) or stopFd was raised first.
  bool Write(const uint8_t* data, size_t size, int timeoutMs, int stopFd = -1);
  // Drops what is waiting in both directions.
  void Flush();

  // nullopt when the device has no modem lines (a pseudo-terminal, many USB
  // adapters): the caller judges the line by what it reads.
  std::optional<ModemLines> Lines() const;
  bool HasModemLines() const { return Lines().has_value(); }
  // Raises or drops DTR; false on a port without modem lines.
  bool SetDTR(bool on);
  // The names of the line errors counted since the last call ("CE_FRAME",
  // "CE_OVERRUN", ...), blank-separated; empty when none or not counted.
  std::string TakeErrorNames();

 private:
  void SetError(const std::string& what, int error);

  int m_fd = -1;
  std::string m_error;
  struct Counts {
    int frame = 0, overrun = 0, parity = 0, brk = 0, bufferOverrun = 0;
  };
  std::optional<Counts> m_counts;
};

}  // namespace platform
