#pragma once
// The trace calls every layer makes. They forward to one installed sink (the
// trace log of the settings layer, or a test's recorder); with none installed
// the lines go nowhere. A trace call never throws.

#include <string_view>

namespace platform {

// Level given for lines written by Trace(), which carry no level.
inline constexpr int TRACE_NO_LEVEL = -2;
// Category given for lines written by Trace() and TraceLevel().
inline constexpr int TRACE_NO_CATEGORY = -1;
// Longest formatted line; longer ones are cut to this length.
inline constexpr int TRACE_MAX_LINE = 39999;

class TraceSink {
 public:
  virtual ~TraceSink() = default;
  // Asked before formatting, so filtered-out lines cost nothing.
  virtual bool Accepts(int level, int category) const noexcept = 0;
  virtual void Write(int level, int category, std::string_view text) noexcept = 0;
};

// Installs the process-wide sink (nullptr removes it); returns the previous one.
TraceSink* InstallTraceSink(TraceSink* sink) noexcept;

}  // namespace platform

void Trace(const char* format, ...) noexcept __attribute__((format(printf, 1, 2)));
void TraceLevel(int level, const char* format, ...) noexcept __attribute__((format(printf, 2, 3)));
void TraceCategory(int level, int category, const char* format, ...) noexcept
    __attribute__((format(printf, 3, 4)));
