#pragma once
// The trace log as a program keeps it for its whole run: categories
// registered, LOGGING settings read from the program's settings file,
// installed as the trace sink, the opening banner written; uninstalled again
// before it goes.

#include <filesystem>

#include "platform/Trace.h"
#include "settings/IniFile.h"
#include "settings/TraceLog.h"

namespace settings {

class ScopedTraceLog {
 public:
  // The working directory holds Filters.txt and anchors a relative log path.
  ScopedTraceLog(const IniFile& ini, const std::filesystem::path& workingDirectory);
  ~ScopedTraceLog();
  ScopedTraceLog(const ScopedTraceLog&) = delete;
  ScopedTraceLog& operator=(const ScopedTraceLog&) = delete;

  TraceLog& Log() { return m_log; }

 private:
  TraceLog m_log;
  platform::TraceSink* m_previous = nullptr;
};

}  // namespace settings
