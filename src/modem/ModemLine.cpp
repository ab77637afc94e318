#include "modem/ModemLine.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/TextError.h"
#include "platform/Trace.h"

namespace modem {
namespace {

constexpr int WRITE_TIMEOUT_MS = 3000;

std::string Printable(const uint8_t* bytes, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    const char c = static_cast<char>(bytes[i]);
    text += (c >= 32 && c < 127) ? c : '.';
  }
  return text;
}

}  // namespace

ModemLine::ModemLine(std::string portName, int baud, bool nullModem,
                     const platform::StopSignal& stop)
    : m_portName(std::move(portName)), m_baud(baud), m_nullModem(nullModem), m_stop(stop) {}

ModemLine::~ModemLine() { Close(); }

bool ModemLine::OpenPort(std::string& error) {
  Close();
  std::lock_guard lock(m_portLock);
  if (!m_port.Open(m_portName, m_baud)) {
    error += "Error opening modem port: " + m_portName + "\n" + m_port.ErrorText();
    return false;
  }
  Trace("CreateFile succeeded.\n");
  m_open = true;
  return true;
}

void ModemLine::Close() {
  std::lock_guard lock(m_portLock);
  m_port.Close();
  m_open = false;
}

bool ModemLine::Read(uint8_t* buffer, size_t count, int& read, int totalMs, int intercharMs) {
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
    // Closing drops DTR, which is the hang-up a failing port can still take.
    Close();
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

bool ModemLine::Send(const uint8_t* data, size_t length) {
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
  TraceLevel(4, "Send()  WriteFile() returns %d    BuffSize %d   sent %d bytes\n    %s\n",
             sent ? 1 : 0, static_cast<int>(length), sent ? static_cast<int>(length) : 0,
             Printable(data, std::min<size_t>(length, 80)).c_str());
  return sent;
}

bool ModemLine::Send(std::string_view text) {
  return Send(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void ModemLine::ClearBuffer() {
  std::vector<uint8_t> discard(8000);
  std::lock_guard lock(m_portLock);
  if (m_port.IsOpen()) m_port.Read(discard.data(), discard.size(), 50, 2, m_stop.Fd());
}

std::string ModemLine::LastRead() const {
  std::lock_guard copy(m_copyLock);
  return m_lastRead;
}

void ModemLine::SetDTR(bool on) {
  std::lock_guard lock(m_portLock);
  m_port.SetDTR(on);
}

bool ModemLine::IsCarrierUp() const {
  std::lock_guard lock(m_portLock);
  if (!m_port.IsOpen()) return false;
  const std::optional<platform::ModemLines> lines = m_port.Lines();
  if (!lines) return true;
  return m_nullModem ? lines->dataSetReady : lines->carrier;
}

bool ModemLine::HasModemLines() const {
  std::lock_guard lock(m_portLock);
  return m_port.HasModemLines();
}

std::string ModemLine::TakeLineErrors() {
  std::lock_guard lock(m_portLock);
  return m_port.TakeErrorNames();
}

}  // namespace modem
