#include "session/Link.h"

#include <utility>

#include "platform/Format.h"
#include "platform/SocketErrors.h"
#include "platform/TextError.h"
#include "platform/Trace.h"

namespace session {

Link::Link(settings::IniFile& ini, std::string productName)
    : m_ini(ini), m_productName(std::move(productName)) {}

void Link::Prepare(bool overModem) {
  m_tcp.Prepare();
  m_modem.Prepare();
  m_overModem = overModem;
  if (overModem) {
    m_resynching = false;
    m_callBack = false;
  }
}

void Link::StartConnectThread(std::function<void()> body) {
  if (m_overModem)
    m_modem.StartConnectThread(std::move(body));
  else
    m_tcp.StartConnectThread(std::move(body));
}

void Link::StartMonitorThread() {
  m_monitorRunning = true;
  try {
    if (m_overModem)
      m_modem.StartMonitorThread([this] { MonitorModemThread(); });
    else
      m_tcp.StartMonitorThread([this] { MonitorTcpThread(); });
  } catch (...) {
    m_monitorRunning = false;
    throw;
  }
}

const platform::StopSignal& Link::StopSignal() const {
  return m_overModem ? m_modem.StopSignal() : m_tcp.StopSignal();
}

bool Link::IsStopping() const { return m_overModem ? m_modem.IsStopping() : m_tcp.IsStopping(); }

void Link::RequestStop() {
  m_tcp.RequestStop();
  m_modem.RequestStop();
}

void Link::Join() {
  m_tcp.Join();
  m_modem.Join();
}

bool Link::WaitForMonitorEnd(std::chrono::steady_clock::time_point deadline) {
  return m_overModem ? m_modem.WaitForMonitorEnd(deadline) : m_tcp.WaitForMonitorEnd(deadline);
}

bool Link::IsSerialLineUp() const {
  if (!m_overModem) return false;
  const modem::Modem* modem = m_modem.Modem();
  return modem && modem->Line().IsCarrierUp();
}

void Link::Write(const std::vector<uint8_t>& packet) {
  if (m_overModem) {
    modem::Modem* modem = m_modem.Modem();
    if (!modem || !modem->Line().Send(packet.data(), packet.size()))
      throw TextError("Could not send to the modem.");
    return;
  }
  if (!m_tcp.Socket().SendAll(packet.data(), packet.size()))
    throw TextError(Format("error code %d", platform::LastSocketError()));
  Trace("Send on TCP complete\n");
}

bool Link::StartCallBack() {
  if (!m_overModem || !m_modem.Modem() || m_callBack) return false;
  Trace("Waiting for callback...\n");
  m_monitorParked = false;
  m_callBack = true;
  try {
    // The call-back runs where the connect thread ran.
    m_modem.StartConnectThread([this] { CallBackThread(); });
  } catch (...) {
    m_callBack = false;
    throw;
  }
  return true;
}

void Link::CountReceived(size_t count) {
  m_totalBytesReceived += static_cast<uint32_t>(count);
  Trace("Total bytes recd = %d\n", static_cast<int>(m_totalBytesReceived.load()));
}

}  // namespace session
