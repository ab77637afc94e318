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

void Log(const char* format, ...) {
  if (!g_verbose) return;
  std::lock_guard lock(g_output);
  std::fputs("orb-sim: ", stderr);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
}

}  // namespace sim
