#include "settings/CommandLine.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <sstream>

namespace settings {
namespace {

constexpr int MIN_WINDOW_SIDE = 300;

}  // namespace

ViewerCommandLine ParseViewerCommandLine(const std::vector<std::string>& args) {
  ViewerCommandLine line;
  // args[0] is the program; an option at the last place has no value.
  for (size_t i = 1; i + 1 < args.size(); ++i) {
    const std::string& option = args[i];
    if (option == "-ConnectTo") {
      line.connectTo = args[++i];
    } else if (option == "-WindowPos") {
      line.windowPos = args[++i];
    } else if (option == "--ini") {
      line.iniPath = args[++i];
    }
  }
  return line;
}

platform::Rect ClampWindowPos(const std::string& text, platform::Size screen) {
  std::array<int, 4> value{};
  std::istringstream in(text);
  std::string field;
  for (size_t i = 0; i < value.size() && std::getline(in, field, ','); ++i)
    value[i] = std::atoi(field.c_str());
  const int left = std::clamp(value[0], 0, std::max(0, screen.width - MIN_WINDOW_SIDE));
  const int top = std::clamp(value[1], 0, std::max(0, screen.height - MIN_WINDOW_SIDE));
  const int width = std::min(std::max(value[2], MIN_WINDOW_SIDE), screen.width - left);
  const int height = std::min(std::max(value[3], MIN_WINDOW_SIDE), screen.height - top);
  return {left, top, left + width, top + height};
}

}  // namespace settings
