#include "Log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace sim {

namespace {
std::atomic<bool> g_verbose{false};
std::mutex g_output;
}  // namespace

void SetVerbose(bool on) { g_verbose = on; }
bool Verbose() { return g_verbose; }

namespace {
void Write(const char* format, va_list args) {
  std::lock_guard lock(g_output);
  std::fputs("orb-sim: ", stderr);
  std::vfprintf(stderr, format, args);
  std::fputc('\n', stderr);
}
}  // namespace

void Log(const char* format, ...) {
  if (!g_verbose) return;
  va_list args;
  va_start(args, format);
  Write(format, args);
  va_end(args);
}

void Warn(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Write(format, args);
  va_end(args);
}

}  // namespace sim
