#pragma once
// A request to stop that a thread can wait on beside its socket: a flag for
// the quick check between steps and an eventfd that wakes any poll() that
// includes it. Raised once, it stays raised until Reset.

#include <atomic>

namespace platform {

class StopSignal {
 public:
  StopSignal();
  ~StopSignal();
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  // Any thread.
  void Raise();
  bool IsRaised() const { return m_raised.load(); }
  // The descriptor to poll for POLLIN beside the one being waited on.
  int Fd() const { return m_fd; }
  // Waits up to the given time; true when raised by then. The pause a thread
  // takes, in place of a sleep that a stop could not cut short.
  bool WaitFor(int milliseconds) const;
  // Only while no thread waits on it.
  void Reset();

 private:
  int m_fd;
  std::atomic<bool> m_raised{false};
};

}  // namespace platform
