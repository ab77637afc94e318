#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "settings/IniFile.h"
#include "settings/TempDir.h"

using settings::IniFile;
using ::testing::ElementsAre;

TEST(IniFile, ReadsTrimmedUnquotedValuesWithoutRegardToCase) {
  TempDir dir;
  WriteWholeFile(dir.File("Remote.ini"),
                 "; hand-written\n"
                 "orphan=before any section\n"
                 "[Misc]\n"
                 "  VIEW_TYPE =   scaled view  \r\n"
                 "Double=\"  quoted  \"\n"
                 "Single='abc'\n"
                 "Odd=\"abc'\n"
                 "Dup=first\n"
                 "dup=second\n"
                 "NoEquals\n"
                 "Empty=\n"
                 "[other]\n"
                 "Dup=elsewhere\n"
                 "[MISC]\n"
                 "Late=in a second header of the same name\n");
  const IniFile ini(dir.File("Remote.ini"));
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  };
  for (const Case& c :
       {Case{"MISC", "view_type", "scaled view"}, Case{"misc", "Double", "  quoted  "},
        Case{"MISC", "SINGLE", "abc"}, Case{"MISC", "Odd", "\"abc'"}, Case{"MISC", "Dup", "first"},
        Case{"MISC", "Empty", ""}, Case{"MISC", "Late", "in a second header of the same name"},
        Case{"MISC", "NoEquals", "dflt"}, Case{"MISC", "orphan", "dflt"},
        Case{"NOPE", "Dup", "dflt"}, Case{"other", "Missing", "dflt"}}) {
    EXPECT_EQ(ini.Read(c.section, c.key, "dflt", 200), c.expected) << c.section << "/" << c.key;
  }
  EXPECT_EQ(ini.Read("MISC", "VIEW_TYPE", "-", 7), "scaled");
  EXPECT_EQ(ini.Read("MISC", "Missing", "a long default", 3), "a ");
  EXPECT_EQ(ini.Read("MISC", "VIEW_TYPE", "-", 0), "");
  EXPECT_THAT(ini.SectionNames(), ElementsAre("Misc", "other"));
}

TEST(IniFile, MissingFileReadsDefaultsAndFirstWriteCreatesIt) {
  TempDir dir;
  IniFile ini(dir.File("Remote.ini"));
  EXPECT_EQ(ini.Read("MISC", "KeepAliveTime", "60", 80), "60");
  EXPECT_TRUE(ini.SectionNames().empty());
  EXPECT_TRUE(ini.DeleteSection("MISC"));
  ASSERT_TRUE(ini.Write("MISC", "KeepAliveTime", "30"));
  ASSERT_TRUE(ini.Write("MISC", "CURRSEL", "0"));
  ASSERT_TRUE(ini.Write("LOGGING", "LogTo", "NONE"));
  EXPECT_EQ(ReadWholeFile(ini.Path()),
            "[MISC]\r\nKeepAliveTime=30\r\nCURRSEL=0\r\n\r\n[LOGGING]\r\nLogTo=NONE\r\n");
}

TEST(IniFile, WriteReplacesInPlaceAndKeepsEveryOtherLine) {
  TempDir dir;
  WriteWholeFile(dir.File("Remote.ini"),
                 "; my notes, keep them\n"
                 "[misc]\n"
                 "  Threshold = 5\n"
                 "; about the path\n"
                 "Path=log.txt\n"
                 "path=shadowed\n"
                 "\n"
                 "[TARGET-Lab]\n"
                 "Address=10.0.0.1\n");
  IniFile ini(dir.File("Remote.ini"));
  ASSERT_TRUE(ini.Write("MISC", "THRESHOLD", "7"));
  ASSERT_TRUE(ini.Write("Misc", "Path", "other.txt"));
  ASSERT_TRUE(ini.Write("MISC", "New", "added"));
  EXPECT_EQ(ReadWholeFile(ini.Path()),
            "; my notes, keep them\r\n"
            "[misc]\r\n"
            "Threshold=7\r\n"
            "; about the path\r\n"
            "Path=other.txt\r\n"
            "path=shadowed\r\n"
            "New=added\r\n"
            "\r\n"
            "[TARGET-Lab]\r\n"
            "Address=10.0.0.1\r\n");
  EXPECT_EQ(ini.Read("MISC", "path", "-", 80), "other.txt");
}

TEST(IniFile, DeleteSectionRemovesEveryHeaderOfThatNameWithItsKeys) {
  TempDir dir;
  WriteWholeFile(dir.File("Remote.ini"),
                 "[MISC]\nA=1\n[TARGET-Lab]\nAddress=1\n; lab note\n[misc]\nB=2\n"
                 "[target-lab]\nPort=3\n[FAVORITE-x]\nName=x\n");
  IniFile ini(dir.File("Remote.ini"));
  ASSERT_TRUE(ini.DeleteSection("TARGET-LAB"));
  EXPECT_EQ(ReadWholeFile(ini.Path()),
            "[MISC]\r\nA=1\r\n[misc]\r\nB=2\r\n[FAVORITE-x]\r\nName=x\r\n");
  EXPECT_THAT(ini.SectionNames(), ElementsAre("MISC", "FAVORITE-x"));
}

TEST(IniFile, NamesWithSurroundingBlanksFindWhatTheyWrote) {
  TempDir dir;
  IniFile ini(dir.File("Remote.ini"));
  // Stored trimmed, so they must be looked up trimmed too, or the value is
  // written and never found again.
  ASSERT_TRUE(ini.Write("\tMISC ", " Key\t", "1"));
  EXPECT_EQ(ini.Read("\tMISC ", " Key\t", "dflt", 80), "1");
  ASSERT_TRUE(ini.Write(" MISC", "Key ", "2"));
  EXPECT_EQ(ReadWholeFile(ini.Path()), "[MISC]\r\nKey=2\r\n");
  ASSERT_TRUE(ini.DeleteSection("MISC\t"));
  EXPECT_TRUE(ini.SectionNames().empty());
}

TEST(IniFile, RefusesWritesThatCannotSucceedAndLosesNothing) {
  TempDir dir;
  IniFile ini(dir.File("Remote.ini"));
  ASSERT_TRUE(ini.Write("MISC", "A", "1"));
  const std::string before = ReadWholeFile(ini.Path());
  // Texts that would break the line structure of the file.
  EXPECT_FALSE(ini.Write("MISC", "A", "1\r\n[LOGGING]"));
  EXPECT_FALSE(ini.Write("MI]SC", "A", "1"));
  EXPECT_FALSE(ini.Write("MISC", "A=B", "1"));
  EXPECT_FALSE(ini.Write("MISC", " ", "1"));
  EXPECT_FALSE(ini.Write("", "A", "1"));
  EXPECT_EQ(ReadWholeFile(ini.Path()), before);

  IniFile missingDir(dir.File("no/such/dir/Remote.ini"));
  EXPECT_FALSE(missingDir.Write("MISC", "A", "1"));

  // A path whose directory is read-only (root writes anywhere but in /proc).
  IniFile readOnly(::geteuid() == 0 ? "/proc/Remote.ini" : dir.File("ro/Remote.ini"));
  if (::geteuid() != 0) {
    std::filesystem::create_directory(dir.File("ro"));
    std::filesystem::permissions(
        dir.File("ro"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  }
  EXPECT_FALSE(readOnly.Write("MISC", "A", "2"));
  EXPECT_EQ(readOnly.Read("MISC", "A", "dflt", 80), "dflt");
  if (::geteuid() != 0) std::filesystem::remove(dir.File("ro"));

  // A file that exists but cannot be read is never replaced by a blank one.
  IniFile unreadable(dir.File("dir.ini"));
  std::filesystem::create_directory(unreadable.Path());
  EXPECT_FALSE(unreadable.Write("MISC", "B", "2"));
  EXPECT_FALSE(unreadable.DeleteSection("MISC"));
  EXPECT_TRUE(std::filesystem::is_directory(unreadable.Path()));
  std::filesystem::remove(unreadable.Path());

  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1)
      << "no temporary file left behind";
}

TEST(IniFile, LongLinesAndConcurrentWritersLoseNothing) {
  TempDir dir;
  IniFile ini(dir.File("Remote.ini"));
  const std::string longValue(100000, 'v');
  ASSERT_TRUE(ini.Write("MISC", "Long", longValue));
  EXPECT_EQ(ini.Read("MISC", "Long", "-", 200000), longValue);

  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([t, path = ini.Path()] {
      IniFile own(path);
      for (int i = 0; i < 25; ++i) {
        own.Write("T" + std::to_string(t), "K" + std::to_string(i), std::to_string(i));
      }
    });
  }
  for (auto& writer : writers) writer.join();
  for (int t = 0; t < 4; ++t) {
    for (int i = 0; i < 25; ++i) {
      EXPECT_EQ(ini.Read("T" + std::to_string(t), "K" + std::to_string(i), "-", 80),
                std::to_string(i));
    }
  }
}
