#include "Unit.h"

#include "Log.h"
#include "Negotiation.h"
#include "Session.h"

namespace sim {

Unit::Unit(UnitOptions options) : m_options(std::move(options)), m_records(m_options) {}

Unit::~Unit() { Stop(); }

int Unit::Start() {
  m_listener = Listen(m_options.listenHost, m_options.listenPort);
  const int port = LocalPort(m_listener);
  m_stop = false;
  m_acceptor = std::thread([this] { AcceptLoop(); });
  return port;
}

void Unit::Stop() {
  m_stop = true;
  if (m_acceptor.joinable()) m_acceptor.join();
  if (m_session.joinable()) m_session.join();
  m_listener.Close();
}

void Unit::AcceptLoop() {
  while (!m_stop) {
    Socket client = Accept(m_listener, 100);
    if (!client.IsOpen()) continue;
    Log("a viewer connected");
    if (m_options.busy || m_serving) {
      TellBusy(std::move(client));
      continue;
    }
    if (m_session.joinable()) m_session.join();
    m_serving = true;
    if (m_options.onSessionStart) m_options.onSessionStart();
    m_session = std::thread([this, socket = std::move(client)]() mutable {
      Session(socket, m_options, m_stop, m_target, m_records).Run([this] {
        Log("the viewer is gone");
        m_serving = false;
        if (m_options.onSessionEnd) m_options.onSessionEnd();
      });
      socket.Close();
    });
  }
}

void Unit::TellBusy(Socket client) {
  // Runs on the accepting thread: a busy answer is short and bounded by the read time-outs.
  try {
    Negotiate(client, m_options, true, m_stop);
    Log("told a viewer that the unit is busy");
  } catch (const std::exception& e) {
    Log("busy answer failed: %s", e.what());
  }
  client.Linger(500);
}

}  // namespace sim
