#pragma once
// Calendar seconds that move only when the test moves them, so a watch over
// minutes runs in no time at all.

#include <atomic>
#include <cstdint>

#include "platform/Clock.h"

class ManualClock : public platform::CalendarClock {
 public:
  int64_t Seconds() const override { return m_now.load(); }
  void Advance(int64_t seconds) { m_now += seconds; }

 private:
  std::atomic<int64_t> m_now{1'700'000'000};
};
