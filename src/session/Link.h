#pragma once
// The link to the unit: a TCP socket or a serial line with its modem, the
// connect thread that makes it, the monitor thread that receives on it, and
// the unit's call-back over the modem. What the monitor thread receives, and
// how the link ended, go to the session through LinkEvents.
//
// Threads: the window thread prepares, starts and stops the link; the
// connect thread works on the transport; sending is the session's, under the
// send lock; the rest may be asked from any thread.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "modem/Modem.h"
#include "platform/StopSignal.h"
#include "platform/TcpSocket.h"
#include "session/LinkEvents.h"
#include "session/ModemLink.h"
#include "session/TcpLink.h"
#include "settings/IniFile.h"

namespace session {

class Link {
 public:
  Link(settings::IniFile& ini, std::string productName);
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  // Before the first connect; the session, which outlives the threads.
  void SetEvents(LinkEvents& events) { m_events = &events; }

  // Window thread: whatever is left of the previous link is ended, and the
  // next one goes over a modem or cable, or over TCP.
  void Prepare(bool overModem);
  bool IsOverModem() const { return m_overModem; }
  // Window thread; throws std::system_error when no thread can be made.
  void StartConnectThread(std::function<void()> body);
  // The connect thread, once the link is up and negotiated; throws
  // std::system_error when no thread can be made.
  void StartMonitorThread();
  bool IsMonitorRunning() const { return m_monitorRunning; }
  const platform::StopSignal& StopSignal() const;
  bool IsStopping() const;
  // Any thread: wakes every thread of the link wherever it waits.
  void RequestStop();
  // Window thread: waits for every thread to end.
  void Join();
  // Window thread: true once no monitor thread runs, waiting until the deadline at most.
  bool WaitForMonitorEnd(std::chrono::steady_clock::time_point deadline);

  platform::TcpSocket& Socket() { return m_tcp.Socket(); }
  // Closes the socket once no send can be using it.
  void CloseSocket() { m_tcp.CloseSocket(); }
  // The connect thread hands over the modem it made (null to drop it).
  void SetModem(std::unique_ptr<modem::Modem> modem) { m_modem.SetModem(std::move(modem)); }
  // Null unless a modem link made one. Any thread.
  modem::Modem* Modem() const { return m_modem.Modem(); }
  // A modem or cable link whose carrier is up.
  bool IsSerialLineUp() const;

  // Held around forming and writing one packet, so packets leave whole and in
  // the order their ciphers ran.
  std::unique_lock<std::mutex> LockSend() { return m_tcp.LockSend(); }
  // Writes one packet, under the send lock; throws the failure as text.
  void Write(const std::vector<uint8_t>& packet);

  // Only the request to resend may leave while the serial stream is found again.
  void BeginResynch() {
    if (m_overModem) m_resynching = true;
  }
  bool IsResynchronising() const { return m_resynching; }
  // Nothing may be sent while the unit calls back.
  bool IsCallBackInProgress() const { return m_callBack; }
  // Window thread: the unit announced a call-back; the line is dropped and
  // the unit's call awaited and answered on the connect thread. False when
  // this is no modem link or a call-back runs already; throws
  // std::system_error when no thread can be made.
  bool StartCallBack();
  uint32_t TotalBytesReceived() const { return m_totalBytesReceived; }

 private:
  void MonitorTcpThread();
  // A broken stream on the TCP link.
  void EndTcpMonitor(const std::string& failure, bool unknown);
  void MonitorModemThread();
  // One step of the modem monitor; false once the thread should end.
  bool MonitorModemStep(modem::Modem& modem, std::vector<uint8_t>& buffer, uint32_t& emptyReads);
  void EndModemMonitor(const std::string& status, const std::string& failureTitle);
  void CallBackThread();
  void CountReceived(size_t count);

  settings::IniFile& m_ini;
  const std::string m_productName;
  LinkEvents* m_events = nullptr;
  TcpLink m_tcp;
  ModemLink m_modem;
  std::atomic<bool> m_overModem{false};
  std::atomic<bool> m_monitorRunning{false};
  // The modem monitor saw the call-back begin and no longer reads the port.
  std::atomic<bool> m_monitorParked{false};
  std::atomic<bool> m_resynching{false};
  std::atomic<bool> m_callBack{false};
  std::atomic<uint32_t> m_totalBytesReceived{0};
};

}  // namespace session
