#include "LineNoise.h"

#include "Packet.h"

namespace sim {

Bytes LineNoise::Apply(Bytes wire) {
  if (m_rate <= 0 || std::uniform_real_distribution<double>(0, 1)(m_random) >= m_rate) return wire;
  const bool hasChecksum = wire.size() > HEADER_SIZE;
  if (hasChecksum && m_random() % 2 == 0) {
    wire.back() ^= static_cast<std::uint8_t>(1 + m_random() % 255);
    return wire;
  }
  Bytes noisy(1 + m_random() % 16);
  for (auto& b : noisy) b = static_cast<std::uint8_t>(m_random());
  // Noise that began with the frame's signature would not read as noise at once.
  if (noisy[0] == SIGNATURE_1) noisy[0] = 0;
  noisy.insert(noisy.end(), wire.begin(), wire.end());
  return noisy;
}

}  // namespace sim
