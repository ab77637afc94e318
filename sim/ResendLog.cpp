#include "ResendLog.h"

namespace sim {

namespace {
constexpr std::size_t MAX_KEPT = 4096;
}

void ResendLog::Record(const Packet& packet, const Bytes& wire) {
  if (packet.type == SEGMENT || packet.type == MULTISEGMENT) return;
  m_kept.push_back(wire);
  if (m_kept.size() > MAX_KEPT) {
    m_kept.pop_front();
    ++m_forgotten;
  }
}

std::vector<Bytes> ResendLog::After(std::uint32_t received) const {
  const std::uint32_t skip = received > m_forgotten ? received - m_forgotten : 0;
  if (skip >= m_kept.size()) return {};
  return {m_kept.begin() + skip, m_kept.end()};
}

Bytes MarkerRun(int count) {
  Bytes run;
  for (int k = 1; k <= count; ++k)
    run.insert(run.end(), {SIGNATURE_1, SIGNATURE_2, 0, 0, 0, 0, ERROR_RESYNC,
                           static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(count), 0});
  return run;
}

}  // namespace sim
