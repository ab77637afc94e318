// An address typed by the operator becomes an address-book entry and the
// selection, once, whatever the book held before.

#include <gtest/gtest.h>

#include "platform/TextError.h"
#include "settings/AddressBook.h"
#include "settings/MiscSettings.h"
#include "settings/QuickConnect.h"
#include "settings/TempDir.h"

using namespace settings;

namespace {

AddressBook Read(const IniFile& ini) {
  AddressBook book;
  book.ReadFromINI(ini);
  return book;
}

}  // namespace

TEST(QuickConnect, ATypedAddressIsRememberedOnceAndSelected) {
  TempDir dir;
  IniFile ini(dir.File("Remote.ini"));
  WriteFirstRunDefaults(ini);
  CreateDefaultTarget(ini);
  EXPECT_TRUE(HoldsOnlyFirstRunEntry(Read(ini)));

  const int added = RememberUnit(ini, "  127.0.0.1:6000 ");
  AddressBook book = Read(ini);
  ASSERT_EQ(book.Count(), 2);
  EXPECT_EQ(book.Item(added).Location(), "127.0.0.1:6000");
  EXPECT_EQ(book.Item(added).Addresses().Address(), "127.0.0.1:6000");
  EXPECT_EQ(book.CurrentSelection(), added);
  EXPECT_EQ(ReadMisc(ini, "CURRSELTEXT"), "127.0.0.1:6000");
  EXPECT_FALSE(HoldsOnlyFirstRunEntry(book));

  // Typed again, or typed as the address of an entry of another name, it is
  // the entry already there.
  EXPECT_EQ(RememberUnit(ini, "127.0.0.1:6000"), added);
  const int first = RememberUnit(ini, "192.168.0.99");
  EXPECT_EQ(Read(ini).Item(first).Location(), "Default");
  EXPECT_EQ(Read(ini).Count(), 2);
  EXPECT_EQ(Read(ini).CurrentSelection(), first);
}

TEST(QuickConnect, AnAddressTheFileCannotHoldIsRefusedAndChangesNothing) {
  TempDir dir;
  IniFile ini(dir.File("Remote.ini"));
  CreateDefaultTarget(ini);
  for (const char* typed : {"", "   ", "unit[1]", "a\nb"}) {
    SCOPED_TRACE(typed);
    EXPECT_THROW(RememberUnit(ini, typed), TextError);
    EXPECT_TRUE(HoldsOnlyFirstRunEntry(Read(ini)));
  }
}
