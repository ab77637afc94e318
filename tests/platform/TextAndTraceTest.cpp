#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/Format.h"
#include "platform/TextError.h"
#include "support/TraceRecorder.h"

TEST(TextError, WrapsEachLayerAroundTheCause) {
  try {
    WrapErrors("AddressBook", "InsertItem", [] {
      WrapErrors("AddressEntry", "SetIPAddress", []() -> int { throw TextError("Too many failovers."); });
    });
    FAIL();
  } catch (const TextError& e) {
    EXPECT_EQ(e.Text(),
              "Error in AddressBook::InsertItem():\nError in AddressEntry::SetIPAddress():\n"
              "Too many failovers.");
  }
}

TEST(TextError, AnythingElseBecomesUnknownError) {
  EXPECT_EQ(CatchAll("AddressBook", "InsertItem", [] { throw std::runtime_error("x"); }),
            "Unknown error in AddressBook::InsertItem.");
  EXPECT_EQ(CatchAll("AddressBook", "InsertItem", [] {}), "");
  EXPECT_EQ(WrapErrors("C", "Op", [] { return 7; }), 7);
}

TEST(Format, FormatsLikePrintfWithoutLimit) {
  EXPECT_EQ(Format("error code %d", 10061), "error code 10061");
  EXPECT_EQ(Format("%s", std::string(5000, 'x').c_str()).size(), 5000u);
}

TEST(Trace, ReachesTheInstalledSinkAndIsCut) {
  TraceRecorder recorder;
  Trace("type %s  subtype %d\n", "PING", 0);
  TraceCategory(5, 910, "%s", std::string(50000, 'y').c_str());
  auto lines = recorder.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "type PING  subtype 0\n");
  EXPECT_EQ(lines[1].size(), 39999u);
}
