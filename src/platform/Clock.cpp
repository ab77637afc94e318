#include "platform/Clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace platform {

uint32_t GetTickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

uint64_t MicrosecondCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

int64_t CalendarSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

CalendarClock& SystemCalendarClock() {
  class System : public CalendarClock {
   public:
    int64_t Seconds() const override { return CalendarSeconds(); }
  };
  static System clock;
  return clock;
}

void Sleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
