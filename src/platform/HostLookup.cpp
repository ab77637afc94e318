#include "platform/HostLookup.h"

#include <poll.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/TextError.h"

namespace platform {
namespace {

// What the lookup thread leaves behind; shared, so either side may go first.
struct Outcome {
  StopSignal done;
  std::mutex mutex;
  std::optional<uint32_t> address;
};

}  // namespace

std::optional<uint32_t> LookUpHost(const std::string& host, const HostResolver& resolver,
                                   const StopSignal& stop) {
  if (stop.IsRaised()) return std::nullopt;
  auto outcome = std::make_shared<Outcome>();
  try {
    std::thread([outcome, host, resolver] {
      std::optional<uint32_t> address = resolver(host);
      {
        std::lock_guard lock(outcome->mutex);
        outcome->address = address;
      }
      outcome->done.Raise();
    }).detach();
  } catch (const std::system_error&) {
    throw TextError("Could not create a thread to look up " + host + ".");
  }
  pollfd entries[2] = {{outcome->done.Fd(), POLLIN, 0}, {stop.Fd(), POLLIN, 0}};
  for (;;) {
    const int ready = ::poll(entries, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) throw TextError("Could not wait for the lookup of " + host + ".");
    if (entries[0].revents != 0) break;
    if (entries[1].revents != 0) return std::nullopt;
  }
  std::lock_guard lock(outcome->mutex);
  return outcome->address;
}

}  // namespace platform
