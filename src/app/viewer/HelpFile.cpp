#include "HelpFile.h"

#include <filesystem>

namespace viewer {

std::string FindHelpFile(const std::string& programDirectory) {
  namespace fs = std::filesystem;
  std::error_code ignored;
  const fs::path installed = fs::path(programDirectory) / ORB_INSTALLED_README;
  if (fs::is_regular_file(installed, ignored)) return fs::weakly_canonical(installed).string();
  if (fs::is_regular_file(ORB_SOURCE_README, ignored)) return ORB_SOURCE_README;
  return {};
}

}  // namespace viewer
