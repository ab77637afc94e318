#include "settings/VersionInfo.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/Format.h"
#include "platform/TextError.h"

namespace settings {
namespace {

constexpr size_t SHORT_FORM_TOKENS = 5;
constexpr size_t LONG_FORM_TOKENS = 12;

std::vector<std::string> Tokens(std::string_view text) {
  std::vector<std::string> tokens;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t start = text.find_first_not_of(" ,;:", pos);
    if (start == std::string_view::npos) break;
    const size_t end = std::min(text.find_first_of(" ,;:", start), text.size());
    tokens.emplace_back(text.substr(start, end - start));
    pos = end;
  }
  return tokens;
}

int TokenNumber(const std::string& token) { return std::atoi(token.c_str()); }

}  // namespace

VersionInfo VersionInfo::Parse(std::string_view text) {
  if (text.empty())
    throw TextError("No version string is present. Unable to determine version components.");
  const std::vector<std::string> tokens = Tokens(text);
  if (tokens.size() < SHORT_FORM_TOKENS)
    throw TextError("Bad version string! All parameters could not be obtained from it.\n>>" +
                    std::string(text) + "<<");
  VersionInfo info;
  info.major = TokenNumber(tokens[1]);
  info.minor = TokenNumber(tokens[2]);
  info.revision = TokenNumber(tokens[3]);
  info.build = TokenNumber(tokens[4]);
  if (tokens.size() >= LONG_FORM_TOKENS) {
    info.hasBuildDate = true;
    info.month = tokens[6];
    info.day = TokenNumber(tokens[7]);
    info.year = TokenNumber(tokens[8]);
    info.hours = TokenNumber(tokens[9]);
    info.minutes = TokenNumber(tokens[10]);
    info.seconds = TokenNumber(tokens[11]);
  }
  return info;
}

std::string VersionInfo::VersionString(std::string_view prefix) const {
  if (minor < 0 || minor > 9 || revision < 0 || revision > 9)
    throw TextError(
        "The second and third numbers in the version string are to be between 0 "
        "and 9");
  if (build < 0 || build > 255)
    throw TextError("The fourth number in the version string must be between 1 and 255");
  std::string text(prefix);
  text += Format("%d.%d%d", major, minor, revision);
  if (build >= 1 && build <= 26) {
    text += static_cast<char>('a' + build - 1);
  } else if (build >= 27) {
    text += std::to_string(build - 27);
  }
  return text;
}

std::string BuildVersionString(std::string_view fileVersion, std::string_view prefix) {
  try {
    return VersionInfo::Parse("Version " + std::string(fileVersion)).VersionString(prefix);
  } catch (const TextError& e) {
    throw TextError("An error occurred while generating the Quil Version string:\n" + e.Text());
  }
}

std::string ViewerVersionString(std::string_view prefix) {
  return BuildVersionString(Format("%d, %d, %d, %d", ORB_VERSION_MAJOR, ORB_VERSION_MINOR,
                                   ORB_VERSION_PATCH, ORB_VERSION_TWEAK),
                            prefix);
}

}  // namespace settings
