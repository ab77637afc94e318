#include "settings/ScopedTraceLog.h"

#include "settings/TraceCategories.h"

namespace settings {

ScopedTraceLog::ScopedTraceLog(const IniFile& ini, const std::filesystem::path& workingDirectory)
    : m_log(workingDirectory) {
  RegisterAllCategories(m_log);
  m_log.ReadSettings(ini);
  m_previous = platform::InstallTraceSink(&m_log);
  TraceSettingsBanner();
}

ScopedTraceLog::~ScopedTraceLog() { platform::InstallTraceSink(m_previous); }

}  // namespace settings
