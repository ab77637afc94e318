#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "input/KeyTables.h"
#include "input/Keystroke.h"
#include "support/TraceRecorder.h"

using input::Keystroke;
using input::g_keystrokeTable;

namespace {

std::vector<std::string> Names() {
  std::vector<std::string> names;
  for (const Keystroke& row : g_keystrokeTable) names.push_back(row.Name());
  return names;
}

size_t IndexOf(const std::string& name) {
  const auto names = Names();
  return static_cast<size_t>(std::find(names.begin(), names.end(), name) - names.begin());
}

}  // namespace

TEST(KeystrokeTable, HoldsTheNamedKeysInOrder) {
  ASSERT_EQ(g_keystrokeTable.size(), 99u);
  EXPECT_EQ(g_keystrokeTable[0], Keystroke("A"));
  EXPECT_EQ(g_keystrokeTable[0].KeyData(), 0x001E0001u);
  EXPECT_EQ(g_keystrokeTable[98].Name(), "/");

  std::set<std::string> seen;
  for (const Keystroke& row : g_keystrokeTable) {
    EXPECT_EQ(row.Message(), 0x100u) << row.Name();
    // Names are looked up upper-cased: a row with a lower-case letter could never be found.
    EXPECT_EQ(Keystroke(row.Name()), row) << row.Name();
    EXPECT_TRUE(seen.insert(row.Name()).second) << "twice: " << row.Name();
  }
  EXPECT_EQ(IndexOf("RSH") + 1, IndexOf("LSH"));
  EXPECT_EQ(IndexOf("CENTER (KP 5)") + 1, IndexOf("KP 1"));
}

// Settings and switch files hold these texts, so their oddities stay.
TEST(KeystrokeTable, KeepsItsOddRows) {
  const std::set<std::string> punctuation{"{", "}", ";", "'", ",", ".", "/"};
  for (const Keystroke& row : g_keystrokeTable) {
    EXPECT_EQ((row.KeyData() & input::KEY_EXTENDED) != 0, row.Name() == "DEL") << row.Name();
    if (punctuation.count(row.Name()))
      EXPECT_EQ(row.KeyData() & 0xFFF, 0u) << row.Name();
    else
      EXPECT_EQ(row.KeyData() & input::KEY_REPEAT_COUNT, 1u) << row.Name();
  }
  EXPECT_EQ(Keystroke("{").KeyData(), 0x0001A000u);
  EXPECT_EQ(Keystroke("DEL").KeyData(), 0x01530001u);
  EXPECT_EQ(Keystroke("ARROW UP").KeyData(), 0x00480001u);
  EXPECT_EQ(Keystroke("PAUSE").GetOEMCode(), Keystroke("NUM-LOCK").GetOEMCode());
  EXPECT_EQ(Keystroke("PRINT-SCREEN").GetOEMCode(), Keystroke("KP *").GetOEMCode());
}

TEST(KeystrokeGetName, AnswersTheFirstRowWithTheVirtualKey) {
  for (const Keystroke& row : g_keystrokeTable) {
    Keystroke key(0x101, row.VirtualKey(), 0xC0000001);
    EXPECT_EQ(key.GetName(), row.Name() == "LSH" ? "RSH" : row.Name());
  }
  EXPECT_EQ(Keystroke(0x100, 0xFF, 0x00010001).GetName(), "-unknown-");
  EXPECT_EQ(Keystroke().GetName(), "-unknown-");
}

TEST(KeystrokeGetName, TracesEveryRowItExamines) {
  TraceRecorder recorder;
  EXPECT_EQ(Keystroke("a").GetName(), "A");
  EXPECT_EQ(recorder.Lines(),
            std::vector<std::string>{"100  41  1E0001 <-->  100  41  1E0001  A\n"});

  TraceRecorder unknown;
  Keystroke(0x104, 0xFF, 0x20010001).GetName();
  const auto lines = unknown.Lines();
  ASSERT_EQ(lines.size(), 99u);
  EXPECT_EQ(lines.back(), "104  FF  20010001 <-->  100  BF  35000  /\n");
}
