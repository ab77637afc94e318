#pragma once
// Only the window thread may call the desktop ports: the graphical shell's
// widgets live on it. The headless ports check every call with this, so a
// slip that a real window would turn into a crash or corrupted state fails
// the test that makes it, at the call that makes it.

#include <atomic>
#include <thread>

namespace platform {

class WindowThreadCheck {
 public:
  // The thread that makes the port is its window thread.
  WindowThreadCheck() = default;

  // Aborts, naming the method, when called off the window thread.
  void Check(const char* method) const;
  // The calling thread becomes the window thread.
  void AdoptCurrentThread() { m_owner = std::this_thread::get_id(); }

 private:
  std::atomic<std::thread::id> m_owner{std::this_thread::get_id()};
};

}  // namespace platform
