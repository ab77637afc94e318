#include "platform/StopSignal.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

#include "platform/TextError.h"

namespace platform {

StopSignal::StopSignal() : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (m_fd < 0) throw TextError("Could not create the stop signal of a thread.");
}

StopSignal::~StopSignal() { ::close(m_fd); }

void StopSignal::Raise() {
  m_raised = true;
  const uint64_t one = 1;
  // A counter already at its limit is raised anyway; nothing to report.
  (void)!::write(m_fd, &one, sizeof one);
}

bool StopSignal::WaitFor(int milliseconds) const {
  pollfd entry{m_fd, POLLIN, 0};
  if (!IsRaised()) ::poll(&entry, 1, milliseconds);
  return IsRaised();
}

void StopSignal::Reset() {
  uint64_t count = 0;
  (void)!::read(m_fd, &count, sizeof count);
  m_raised = false;
}

}  // namespace platform
