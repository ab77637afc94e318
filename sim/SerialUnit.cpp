#include "SerialUnit.h"

#include "DirectCable.h"
#include "Log.h"
#include "ModemCall.h"
#include "Negotiation.h"
#include "Session.h"

namespace sim {

SerialUnit::SerialUnit(UnitOptions options) : m_options(std::move(options)), m_records(m_options) {}

SerialUnit::~SerialUnit() { Stop(); }

std::string SerialUnit::Start() {
  const SerialOptions& serial = m_options.serial;
  m_line.emplace(serial.pty ? Line::OpenPty() : Line::OpenDevice(serial.device, serial.speed));
  m_stop = false;
  m_thread = std::thread([this] { m_options.serial.direct ? ServeCable() : ServeModem(); });
  return m_line->Path();
}

void SerialUnit::Stop() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
}

void SerialUnit::ServeModem() {
  Modem modem(*m_line, m_options.serial, m_stop);
  while (!m_stop) {
    const auto outcome = modem.Await(Modem::Waiting::Idle);
    if (outcome.event != Modem::Event::Dialled) continue;
    Log("the viewer dialled '%s' (%s)", outcome.command.number.c_str(),
        outcome.command.pulse ? "pulse" : "tone");
    modem.Sleep(m_options.serial.connectDelayMs);
    if (m_options.faults.dialBusy) {
      modem.Send(Result::Busy);
    } else if (m_options.faults.dialNoAnswer) {
      modem.Send(Result::NoAnswer);
    } else {
      modem.Send(Result::Connect);
      ModemCall call(modem, m_options, m_stop);
      RunSession(call);
      call.HangUp();
      Ended();
    }
  }
}

void SerialUnit::ServeCable() {
  while (!m_stop) {
    DirectCable cable(*m_line, m_options.serial.speed, m_stop);
    if (!cable.HandShake()) continue;
    RunSession(cable);
    Ended();
  }
}

void SerialUnit::RunSession(Link& link) {
  if (m_options.busy) {
    try {
      Negotiate(link, m_options, true, m_stop);
      Log("told the viewer that the unit is busy");
    } catch (const std::exception& e) {
      Log("busy answer failed: %s", e.what());
    }
    return link.Linger(0);
  }
  // The session's own end comes too early to announce: the line is ready for the next call
  // only once the call is down.
  Session(link, m_options, m_stop, m_target, m_records).Run([] {});
}

void SerialUnit::Ended() {
  Log("the call is over");
  if (m_options.onSessionEnd) m_options.onSessionEnd();
}

}  // namespace sim
