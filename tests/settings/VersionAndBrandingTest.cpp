#include <gtest/gtest.h>

#include "platform/TextError.h"
#include "settings/Branding.h"
#include "settings/TempDir.h"
#include "settings/VersionInfo.h"

using namespace settings;

namespace {

std::string ErrorOf(const std::string& fileVersion) {
  try {
    BuildVersionString(fileVersion, "TSV");
  } catch (const TextError& e) {
    return e.Text();
  }
  return "no error";
}

TEST(VersionString, FollowsTheBuildNumbersSuffixRules) {
  const struct {
    const char* fileVersion;
    const char* expected;
  } cases[] = {
      {"1, 5, 3, 0", "TSV1.53"},   {"1, 5, 3, 2", "TSV1.53b"},  {"1, 5, 3, 26", "TSV1.53z"},
      {"1, 5, 3, 27", "TSV1.530"}, {"1, 5, 3, 30", "TSV1.533"}, {"12,0;9:255", "TSV12.09228"},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildVersionString(c.fileVersion, "TSV"), c.expected);
  EXPECT_EQ(ViewerVersionString("TSV"), "TSV1.00");
}

TEST(VersionString, RefusesWhatItCannotShow) {
  const std::string prefix = "An error occurred while generating the Quil Version string:\n";
  const std::string digits =
      "The second and third numbers in the version string are to be between 0 and 9";
  const std::string build = "The fourth number in the version string must be between 1 and 255";
  EXPECT_EQ(ErrorOf("1, 10, 3, 2"), prefix + digits);
  EXPECT_EQ(ErrorOf("1, 5, -1, 2"), prefix + digits);
  EXPECT_EQ(ErrorOf("1, 5, 3, 256"), prefix + build);
  EXPECT_EQ(ErrorOf("1, 5, 3"),
            prefix +
                "Bad version string! All parameters could not be obtained from it.\n"
                ">>Version 1, 5, 3<<");
  EXPECT_THROW(
      {
        try {
          VersionInfo::Parse("");
        } catch (const TextError& e) {
          EXPECT_EQ(e.Text(),
                    "No version string is present. Unable to determine version components.");
          throw;
        }
      },
      TextError);
}

TEST(VersionInfo, ReadsTheBuildDateOfTheLongForm) {
  const VersionInfo info = VersionInfo::Parse("Version 2, 1, 0, 7 Build Mar 14 2003 10:22:05");
  EXPECT_EQ(info.build, 7);
  ASSERT_TRUE(info.hasBuildDate);
  EXPECT_EQ(info.month, "Mar");
  EXPECT_EQ(info.day, 14);
  EXPECT_EQ(info.year, 2003);
  EXPECT_EQ(info.hours * 10000 + info.minutes * 100 + info.seconds, 102205);
  EXPECT_FALSE(VersionInfo::Parse("Version 2, 1, 0, 7 Build Mar 14").hasBuildDate);
}

TEST(Branding, ReadsKeysAndIgnoresWhatItCannotUse) {
  TempDir dir;
  const std::string path = dir.File("Company Products.txt");
  WriteWholeFile(path,
                 "CompanyName=Acme Remote\r\n"
                 "ProductWebPage=http://example.com/ProductName/\r\n"
                 "a line without an equals sign ProductName\r\n"
                 "ViewerPrefix=ARV\r\n"
                 "CompanySwitch1=Acme Eight\r\n"
                 "CompanySwitch3=ignored\r\n"
                 "CompanySwitch 2 = Acme Sixteen\r\n");
  const Branding branding = ReadBranding(path);
  const Branding defaults;
  EXPECT_EQ(branding.companyName, "Acme Remote");
  EXPECT_EQ(branding.productName, defaults.productName);
  EXPECT_EQ(branding.productWebPage, "http://example.com/ProductName/");
  EXPECT_EQ(branding.viewerPrefix, "ARV");
  EXPECT_EQ(branding.switchNames[0], defaults.switchNames[0]);
  EXPECT_EQ(branding.switchNames[1], "Acme Eight");
  EXPECT_EQ(branding.switchNames[2], " Acme Sixteen");

  const Branding missing = ReadBranding(dir.File("absent.txt"));
  EXPECT_EQ(missing.companyName, "Quil Electronics");
  EXPECT_EQ(missing.productName, "Tessaline");
  EXPECT_EQ(missing.viewerPrefix, "TSV");
}

}  // namespace
