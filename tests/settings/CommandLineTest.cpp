#include <gtest/gtest.h>

#include "settings/CommandLine.h"

using settings::ClampWindowPos;
using settings::ParseViewerCommandLine;

TEST(ViewerCommandLine, OptionsMatchExactlyAndNeedAValueAfterThem) {
  struct Case {
    std::vector<std::string> args;
    std::optional<std::string> connectTo;
    std::optional<std::string> windowPos;
    std::string ini;
  };
  const std::vector<Case> cases = {
      {{"viewer", "-ConnectTo", "10.0.0.5"}, "10.0.0.5", std::nullopt, "Remote.ini"},
      {{"viewer", "-ConnectTo", "unit:7000", "-WindowPos", "1,2,3,4"},
       "unit:7000",
       "1,2,3,4",
       "Remote.ini"},
      // The last argument is never an option.
      {{"viewer", "-WindowPos", "1,2,3,4", "-ConnectTo"}, std::nullopt, "1,2,3,4", "Remote.ini"},
      // Case matters; unknown words are skipped, values included.
      {{"viewer", "-connectto", "10.0.0.5", "-UserName", "admin", "-Password", "x"},
       std::nullopt,
       std::nullopt,
       "Remote.ini"},
      {{"viewer", "--ini", "/tmp/other.ini"}, std::nullopt, std::nullopt, "/tmp/other.ini"},
      {{"viewer"}, std::nullopt, std::nullopt, "Remote.ini"},
  };
  for (const Case& c : cases) {
    const settings::ViewerCommandLine line = ParseViewerCommandLine(c.args);
    EXPECT_EQ(line.connectTo, c.connectTo) << c.args.size();
    EXPECT_EQ(line.windowPos, c.windowPos) << c.args.size();
    EXPECT_EQ(line.iniPath, c.ini) << c.args.size();
  }
}

TEST(ViewerCommandLine, WindowPosIsKeptOnTheScreen) {
  const platform::Size screen{1920, 1080};
  struct Case {
    std::string text;
    platform::Rect expected;
  };
  const std::vector<Case> cases = {
      {"-50,20,200,100", {0, 20, 300, 320}},
      {"100,100,800,600", {100, 100, 900, 700}},
      {"1900,1000,800,600", {1620, 780, 1920, 1080}},
      {"1000,500,5000,5000", {1000, 500, 1920, 1080}},
      {"10,10", {10, 10, 310, 310}},
      {"", {0, 0, 300, 300}},
  };
  for (const Case& c : cases) EXPECT_EQ(ClampWindowPos(c.text, screen), c.expected) << c.text;
}
