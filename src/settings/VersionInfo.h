#pragma once
// Version texts: the file version ("Version 1, 5, 3, 2", optionally followed by
// "Build" and the build date) and the short version string the viewer shows and
// sends to the unit ("TSV1.53b").

#include <string>
#include <string_view>

namespace settings {

class VersionInfo {
 public:
  // Reads "Version " + four numbers, optionally followed by "Build", a month
  // name and day, year, hours, minutes, seconds. Throws on a text that is
  // empty or has too few parts.
  static VersionInfo Parse(std::string_view text);

  // prefix + major + "." + minor digit + revision digit + the build's suffix
  // (none for 0, "a" to "z" for 1 to 26, build - 27 in decimal above). Throws
  // when minor, revision or build is out of range.
  std::string VersionString(std::string_view prefix) const;

  int major = 0;
  int minor = 0;
  int revision = 0;
  int build = 0;
  bool hasBuildDate = false;
  std::string month;
  int day = 0;
  int year = 0;
  int hours = 0;
  int minutes = 0;
  int seconds = 0;
};

// The version string for a file version text ("1, 5, 3, 2"); any failure is
// thrown in the words the operator sees.
std::string BuildVersionString(std::string_view fileVersion, std::string_view prefix);
// The viewer's own version string, from the file version it was built with.
std::string ViewerVersionString(std::string_view prefix);

}  // namespace settings
