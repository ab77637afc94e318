#pragma once
// Marks that a viewer runs: a lock file held shared for the process's life.
// It refuses nothing; a second viewer starts and holds it too.

#include <string>

namespace viewer {

class InstanceMarker {
 public:
  InstanceMarker();
  ~InstanceMarker();
  InstanceMarker(const InstanceMarker&) = delete;
  InstanceMarker& operator=(const InstanceMarker&) = delete;

  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
  int m_fd = -1;
};

}  // namespace viewer
