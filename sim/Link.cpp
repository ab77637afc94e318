#include "Link.h"

#include <stdexcept>

namespace sim {

void ReadExact(Link& link, std::uint8_t* into, std::size_t n, Clock::time_point deadline,
               const std::atomic<bool>& stop) {
  while (n > 0) {
    if (stop) throw std::runtime_error("stopping");
    if (Clock::now() >= deadline) throw std::runtime_error("timed out waiting for the viewer");
    const std::size_t got = link.ReadSome(into, n, 50);
    into += got;
    n -= got;
  }
}

}  // namespace sim
