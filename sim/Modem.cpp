#include "Modem.h"

#include <thread>

#include "Link.h"
#include "Log.h"

namespace sim {

namespace {

constexpr std::size_t MAX_COMMAND = 256;
constexpr int MAX_RINGS = 15;
constexpr int CLOSED_POLL_MS = 50;

}  // namespace

Modem::Modem(Line& line, const SerialOptions& options, const std::atomic<bool>& stop)
    : m_line(line), m_options(options), m_stop(stop) {}

Modem::Outcome Modem::Await(Waiting waiting) {
  const auto interval = std::chrono::milliseconds(m_options.ringIntervalMs);
  auto nextRing = Clock::now() + interval;
  int rings = 0;
  Outcome outcome;
  std::uint8_t buffer[256];
  while (!m_stop) {
    if (waiting == Waiting::Ringing && Clock::now() >= nextRing) {
      if (rings == MAX_RINGS) return {Event::RingsOut, {}};
      Send(Result::Ring);
      ++rings;
      nextRing += interval;
    }
    std::size_t got = 0;
    try {
      got = m_line.ReadSome(buffer, sizeof buffer, 20);
    } catch (const LineGone&) {
      m_typed.clear();
      if (waiting == Waiting::Held) return {Event::Closed, {}};
      Sleep(CLOSED_POLL_MS);
      continue;
    }
    std::string out;
    for (std::size_t i = 0; i < got; ++i) {
      const char c = static_cast<char>(buffer[i]);
      if (m_hayes.Echo()) out += c;
      if (c == '\r') {
        if (Execute(waiting, out, outcome)) {
          Write(out);
          return outcome;
        }
      } else if (c == '\b' || c == 0x7F) {
        if (!m_typed.empty()) m_typed.pop_back();
      } else if (c != '\n' && m_typed.size() < MAX_COMMAND) {
        m_typed += c;
      }
    }
    Write(out);
  }
  return {Event::Stopped, {}};
}

bool Modem::Execute(Waiting waiting, std::string& out, Outcome& outcome) {
  bool answered = false;
  const Command command = m_hayes.Execute(m_typed, answered);
  if (answered) Log("modem command '%s'", m_typed.c_str());
  m_typed.clear();
  if (!answered) return false;
  auto answer = [&](Result result) {
    out += m_hayes.Answer(result, m_options.speed);
    return false;
  };
  outcome.command = command;
  switch (command.action) {
    case Action::None:
      return answer(command.result);
    case Action::Dial:
      if (waiting == Waiting::Held) return answer(Result::Error);
      if (waiting == Waiting::Ringing) return answer(Result::NoCarrier);
      outcome.event = Event::Dialled;
      return true;
    case Action::Answer:
      if (waiting == Waiting::Held) return answer(Result::Error);
      if (waiting == Waiting::Idle) return answer(Result::NoCarrier);
      outcome.event = Event::Answered;
      return true;
    case Action::HangUp:
      answer(Result::Ok);
      if (waiting != Waiting::Held) return false;
      outcome.event = Event::HungUp;
      return true;
    case Action::Online:
      if (waiting != Waiting::Held) return answer(Result::NoCarrier);
      outcome.event = Event::Online;
      return true;
  }
  return false;
}

void Modem::Send(Result result) { Write(m_hayes.Answer(result, m_options.speed)); }

void Modem::Write(const std::string& text) {
  if (text.empty() || !m_line.PeerPresent()) return;
  try {
    m_line.Write(text);
  } catch (const std::runtime_error& e) {
    Log("modem answer lost: %s", e.what());
  }
}

void Modem::Sleep(int ms) const {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (!m_stop && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace sim
