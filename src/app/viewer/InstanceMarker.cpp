#include "InstanceMarker.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

namespace viewer {

InstanceMarker::InstanceMarker() {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  m_path = std::string(dir && *dir ? dir : "/tmp") + "/BrenvikRunningMutex";
  m_fd = ::open(m_path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
  if (m_fd >= 0) ::flock(m_fd, LOCK_SH | LOCK_NB);
}

InstanceMarker::~InstanceMarker() {
  if (m_fd >= 0) ::close(m_fd);
}

}  // namespace viewer
