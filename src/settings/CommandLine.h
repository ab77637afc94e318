#pragma once
// The viewer's command line: a unit to connect to at once, where to put the
// main window, and which settings file to use. Options match exactly and
// case-sensitively, each followed by its value, so the last argument is never
// taken as an option; anything else (old "-UserName"/"-Password" scripts
// included) is skipped.

#include <optional>
#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace settings {

struct ViewerCommandLine {
  std::optional<std::string> connectTo;  // as given: HOST or HOST:PORT
  std::optional<std::string> windowPos;  // the text after -WindowPos
  std::string iniPath = "Remote.ini";
};

ViewerCommandLine ParseViewerCommandLine(const std::vector<std::string>& args);

// The -WindowPos text as a rectangle kept on the local screen: the corner at
// least 300 pixels inside it, the size at least 300 square and cut at the
// screen's right and bottom edges. Missing or unreadable numbers count as 0.
platform::Rect ClampWindowPos(const std::string& text, platform::Size screen);

}  // namespace settings
