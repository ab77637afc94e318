#pragma once
// The clocks the viewer reads: a wrapping millisecond tick count (stamped into
// ping and throughput packets, so it must stay 32 bits), a microsecond counter
// for trip times, and calendar seconds for the keep-alive watch.

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start, wrapping at 2^32 (about 49.7 days).
// Differences taken in uint32_t stay right across the wrap.
uint32_t GetTickCount();

// Microseconds of a monotonic high-resolution counter.
uint64_t MicrosecondCount();

// Calendar time in whole seconds, as time() gives it.
int64_t CalendarSeconds();

void Sleep(uint32_t milliseconds);

// Calendar seconds as a part of the viewer reads them; tests give their own to
// run a watch in simulated time.
class CalendarClock {
 public:
  virtual ~CalendarClock() = default;
  virtual int64_t Seconds() const = 0;
};

// Reads CalendarSeconds().
CalendarClock& SystemCalendarClock();

}  // namespace platform
