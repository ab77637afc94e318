// The modem link's monitor thread, which reads the line, finds the stream
// again after line errors and hands on what it received; and the unit's
// call-back, answered on the same port.

#include <optional>
#include <vector>

#include "modem/ModemConnection.h"
#include "modem/ModemSettings.h"
#include "modem/Resynch.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "session/Link.h"
#include "settings/MiscSettings.h"

namespace session {
namespace {

constexpr size_t MODEM_READ = 5000;
// The monitor's read waits this long for a first byte, then returns once the
// line pauses: the loop checks its flags between reads without spinning.
constexpr int MONITOR_WAIT_MS = 100;
constexpr int MONITOR_GAP_MS = 2;
constexpr int CALL_BACK_PAUSE_MS = 100;
constexpr const char* MODEM_ERROR_STATUS = "Modem connection lost. Idle.";

}  // namespace

void Link::MonitorModemThread() {
  m_callBack = false;
  m_monitorParked = false;
  modem::Modem* modem = m_modem.Modem();
  try {
    m_events->OnMonitorStarted();
    std::vector<uint8_t> buffer(MODEM_READ);
    uint32_t emptyReads = 0;
    while (modem && MonitorModemStep(*modem, buffer, emptyReads)) {
    }
  } catch (const TextError& e) {
    if (m_modem.IsStopping()) {
      if (modem) modem->Line().Close();
    } else {
      EndModemMonitor(MODEM_ERROR_STATUS, {});
      m_events->ReportFailure(
          "Something unexpected went wrong.  It may be necessary to restart the program to get "
          "stable performance.",
          e.Text().rfind("--", 0) == 0 ? e.Text() : "Error in MonitorModemThread(): " + e.Text());
    }
  } catch (...) {
    EndModemMonitor(MODEM_ERROR_STATUS, {});
    m_events->ReportFailure(
        "Unknown error.", "Error in MonitorModemThread(): No further information is available.\n");
  }
  m_monitorRunning = false;
  m_events->OnMonitorEnded();
}

bool Link::MonitorModemStep(modem::Modem& modem, std::vector<uint8_t>& buffer,
                            uint32_t& emptyReads) {
  if (m_modem.IsStopping()) {
    // Our own Disconnect or shutdown: it has told the operator already.
    Trace("** Stop requested, exiting MonitorModemThread. **\n");
    modem.Line().Close();
    return false;
  }
  if (m_resynching) {
    const int limit = settings::ReadMiscNumber(m_ini, "ResynchTimeoutMS");
    if (modem::WaitForResynch(modem.Line(), limit)) {
      Trace("Success resych.\n");
      m_events->OnResynchronised();
      m_resynching = false;
      return true;
    }
    if (!modem.Line().IsOpen() || m_modem.IsStopping()) {
      modem.Line().Close();
      m_events->CloseLink();
      return false;
    }
    Trace("Failed resynch.\n");
    modem.Line().Close();
    throw TextError("There were transmission errors too severe to recover from.");
  }
  if (!modem.Line().IsOpen() || !m_events->IsConnected()) {
    Trace("Modem found closed, exiting...\n");
    EndModemMonitor(MODEM_ERROR_STATUS, "Modem found closed.");
    return false;
  }
  if (m_callBack) {
    Trace("Call-back in progress...\n");
    m_monitorParked = true;
    m_modem.StopSignal().WaitFor(CALL_BACK_PAUSE_MS);
    return true;
  }
  m_monitorParked = false;
  int read = 0;
  try {
    if (!modem.Line().Read(buffer.data(), buffer.size(), read, MONITOR_WAIT_MS, MONITOR_GAP_MS))
      return true;  // a stop; seen at the top
  } catch (const TextError& e) {
    // A line hung up from the far end reads as a failure of the port.
    Trace("Error reading: %s\n", e.what());
    if (m_modem.IsStopping()) return true;
    Trace("Found disconnected after read.\n");
    EndModemMonitor(MODEM_ERROR_STATUS, "The modem line was hung up.");
    return false;
  }
  const std::string errors = modem.Line().TakeLineErrors();
  if (!errors.empty()) Trace("There was a comm error: %s\n", errors.c_str());
  if (read == 0) {
    if (++emptyReads % 100 == 0)
      Trace("Read %d times where no data was ready...\n", static_cast<int>(emptyReads));
    // A carrier that drops on a silent line is noticed too.
    if (!modem.Line().IsCarrierUp()) {
      Trace("Found disconnected while idle.\n");
      EndModemMonitor(MODEM_ERROR_STATUS, "The modem line was hung up.");
      return false;
    }
    return true;
  }
  Trace("Read %d bytes\n", read);
  if (!modem.Line().IsCarrierUp()) {
    Trace("Found disconnected after read.\n");
    EndModemMonitor(MODEM_ERROR_STATUS, "The modem line was hung up.");
    return false;
  }
  if (!m_events->IsConnected()) return true;
  m_events->OnReceived(buffer.data(), static_cast<size_t>(read));
  CountReceived(static_cast<size_t>(read));
  return true;
}

// The line is gone: the link is closed like any other lost link.
void Link::EndModemMonitor(const std::string& status, const std::string& failureTitle) {
  const bool closed = m_events->CloseLink();
  if (modem::Modem* modem = m_modem.Modem()) modem->Line().Close();
  if (closed && !failureTitle.empty()) m_events->SetFailureTitle(failureTitle);
  m_events->OnLinkEnded(status, closed);
}

void Link::CallBackThread() {
  modem::Modem& modem = *m_modem.Modem();
  const platform::StopSignal& stop = m_modem.StopSignal();
  // The monitor thread lets go of the port before the line is dropped.
  while (!m_monitorParked && m_monitorRunning && !stop.WaitFor(10)) {
  }
  m_events->OnProgress("Waiting for " + m_productName + " to call back...\n");
  std::optional<std::string> failure;
  try {
    failure =
        modem::AnswerCallBack(modem, modem::ReadWaitForRingTime(m_ini), m_productName,
                              [this](const std::string& text) { m_events->OnProgress(text); });
    if (!failure) {
      if (!m_events->OnCallBackAnswered())
        throw TextError("Error in WaitForCallBack(): InitDecompression failed.\n");
      Trace("Connection established.\n");
      uint8_t discard[200];
      int read = 0;
      modem.Line().Read(discard, sizeof discard, read, 100, 100);
    }
  } catch (const TextError& e) {
    failure = e.Text();
  }
  if (stop.IsRaised()) return;
  if (failure) {
    Trace("%s", failure->c_str());
    // Recorded before the link ends, so whoever waits for the end finds it;
    // the observer hears of the closed link before the failure.
    m_events->RecordFailure(*failure, *failure);
    m_callBack = false;
    EndModemMonitor(MODEM_ERROR_STATUS, {});
    m_events->PostFailure(*failure, *failure);
    return;
  }
  Trace("Start MonitorModemThread\n");
  m_callBack = false;
  m_events->OnCallBackLinkUp();
}

}  // namespace session
