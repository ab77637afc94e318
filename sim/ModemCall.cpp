#include "ModemCall.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "Log.h"

namespace sim {

namespace {

constexpr auto GUARD = std::chrono::milliseconds(1000);
// Time for the viewer to hang up first, with an escape's two seconds of guard (after a
// DISCONNECT or on CALL_BACK); the unit drops the line itself after this.
constexpr int HANG_UP_WAIT_MS = 3000;
constexpr int HAND_SHAKE_MS = 15000;
// After the hand-shake the viewer throws away what is in its buffer; the login goes on after.
constexpr int SETTLE_MS = 2000;
const std::string VIEWER_HELLO = "hello from bnvk";
const std::string UNIT_HELLO = "Hello from orb";

}  // namespace

ModemCall::ModemCall(Modem& modem, const UnitOptions& options, const std::atomic<bool>& stop)
    : m_modem(modem), m_options(options), m_stop(stop) {
  Connected();
}

void ModemCall::Connected() {
  m_up = true;
  m_pluses = 0;
  m_ready.clear();
  m_lastData = Clock::now();
}

void ModemCall::SendAll(const std::uint8_t* bytes, std::size_t n) {
  auto limit = Clock::now() + WRITE_LIMIT;
  while (n > 0) {
    if (!m_up) throw std::runtime_error("the call is down");
    std::size_t put = 0;
    try {
      put = m_modem.GetLine().WriteSome(bytes, n, 50);
    } catch (const LineGone&) {
      m_up = false;
      throw;
    }
    bytes += put;
    n -= put;
    if (put > 0) continue;
    if (Clock::now() >= limit) throw WriteTimedOut();
    // A viewer that stops reading may be hanging up: its escape must still be heard.
    Receive(0);
    if (GuardPassed()) limit = Clock::now() + WRITE_LIMIT;
  }
}

std::size_t ModemCall::ReadSome(std::uint8_t* into, std::size_t n, int timeoutMs) {
  if (!m_up) throw std::runtime_error("the call is down");
  if (m_ready.empty() && !GuardPassed())
    Receive(m_pluses > 0 ? std::min(timeoutMs, 10) : timeoutMs);
  const std::size_t taken = std::min(n, m_ready.size());
  std::copy_n(m_ready.begin(), taken, into);
  m_ready.erase(m_ready.begin(), m_ready.begin() + static_cast<std::ptrdiff_t>(taken));
  return taken;
}

bool ModemCall::GuardPassed() {
  if (m_pluses == 0 || Clock::now() - m_lastPlus < GUARD) return false;
  const int pluses = std::exchange(m_pluses, 0);
  if (pluses == 3) {
    Log("the viewer escaped to command mode");
    if (!Escape()) throw std::runtime_error("the viewer hung up");
    return true;
  }
  // Too few for an escape: they were data after all.
  m_ready.insert(m_ready.end(), static_cast<std::size_t>(pluses), '+');
  m_lastData = m_lastPlus;
  return true;
}

void ModemCall::Receive(int timeoutMs) {
  std::uint8_t buffer[4096];
  std::size_t got = 0;
  try {
    got = m_modem.GetLine().ReadSome(buffer, sizeof buffer, timeoutMs);
  } catch (const LineGone&) {
    m_up = false;
    throw;
  }
  const auto arrived = Clock::now();
  for (std::size_t i = 0; i < got; ++i) {
    const std::uint8_t c = buffer[i];
    if (c == '+' && m_pluses < 3 && (m_pluses > 0 || arrived - m_lastData >= GUARD)) {
      ++m_pluses;
      m_lastPlus = arrived;
      continue;
    }
    m_ready.insert(m_ready.end(), static_cast<std::size_t>(std::exchange(m_pluses, 0)), '+');
    m_ready.push_back(c);
    m_lastData = arrived;
  }
}

bool ModemCall::Escape() {
  m_modem.Send(Result::Ok);
  const auto outcome = m_modem.Await(Modem::Waiting::Held);
  if (outcome.event == Modem::Event::Online) {
    m_modem.Send(Result::Connect);
    Connected();
    return true;
  }
  m_up = false;
  return false;
}

void ModemCall::Linger(int lingerMs) {
  const auto end = Clock::now() + std::chrono::milliseconds(std::max(lingerMs, HANG_UP_WAIT_MS));
  std::uint8_t sink[4096];
  try {
    while (m_up && !m_stop && Clock::now() < end) ReadSome(sink, sizeof sink, 50);
  } catch (const std::runtime_error&) {
    // Hung up or gone: the call is over either way.
  }
}

void ModemCall::HangUp() {
  if (!m_up) return;
  Log("the unit hangs up");
  m_modem.Send(Result::NoCarrier);
  m_up = false;
}

bool ModemCall::CallBack() {
  Log("calling the viewer back");
  Linger(HANG_UP_WAIT_MS);
  HangUp();
  if (m_options.faults.noRing) {
    Log("the call-back does not get through (fault)");
    return false;
  }
  if (m_modem.Await(Modem::Waiting::Ringing).event != Modem::Event::Answered) {
    Log("nobody answered the call-back");
    return false;
  }
  m_modem.Sleep(m_options.serial.connectDelayMs);
  m_modem.Send(Result::Connect);
  Connected();
  try {
    return HandShake();
  } catch (const std::runtime_error& e) {
    Log("call-back hand-shake failed: %s", e.what());
    return false;
  }
}

bool ModemCall::HandShake() {
  const auto end = Clock::now() + std::chrono::milliseconds(HAND_SHAKE_MS);
  std::string heard;
  std::uint8_t buffer[256];
  while (heard.find(VIEWER_HELLO) == std::string::npos) {
    if (m_stop || Clock::now() >= end) {
      Log("no hello from the viewer on the call-back");
      return false;
    }
    const std::size_t got = ReadSome(buffer, sizeof buffer, 50);
    heard.append(buffer, buffer + got);
    if (heard.size() > 2 * VIEWER_HELLO.size()) heard.erase(0, heard.size() - VIEWER_HELLO.size());
  }
  Log("the viewer said hello on the call-back");
  SendAll(reinterpret_cast<const std::uint8_t*>(UNIT_HELLO.data()), UNIT_HELLO.size());
  m_modem.Sleep(SETTLE_MS);
  return true;
}

}  // namespace sim
