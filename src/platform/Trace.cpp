#include "platform/Trace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace platform {
namespace {
std::atomic<TraceSink*> g_sink{nullptr};

void Emit(int level, int category, const char* format, va_list args) noexcept {
  TraceSink* sink = g_sink.load(std::memory_order_acquire);
  if (sink == nullptr || !sink->Accepts(level, category)) return;
  char line[TRACE_MAX_LINE + 1];
  int length = std::vsnprintf(line, sizeof line, format, args);
  if (length < 0) return;
  if (length > TRACE_MAX_LINE) length = TRACE_MAX_LINE;
  sink->Write(level, category, std::string_view(line, static_cast<size_t>(length)));
}
}  // namespace

TraceSink* InstallTraceSink(TraceSink* sink) noexcept {
  return g_sink.exchange(sink, std::memory_order_acq_rel);
}

}  // namespace platform

void Trace(const char* format, ...) noexcept {
  va_list args;
  va_start(args, format);
  platform::Emit(platform::TRACE_NO_LEVEL, platform::TRACE_NO_CATEGORY, format, args);
  va_end(args);
}

void TraceLevel(int level, const char* format, ...) noexcept {
  va_list args;
  va_start(args, format);
  platform::Emit(level, platform::TRACE_NO_CATEGORY, format, args);
  va_end(args);
}

void TraceCategory(int level, int category, const char* format, ...) noexcept {
  va_list args;
  va_start(args, format);
  platform::Emit(level, category, format, args);
  va_end(args);
}
