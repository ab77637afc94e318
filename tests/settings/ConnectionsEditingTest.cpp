#include <gtest/gtest.h>

#include "settings/ConnectionsEditing.h"
#include "settings/TempDir.h"

using namespace settings;

TEST(ConnectionsEditingTest, LocationNamesThatWouldNotReadBackAreRefused) {
  struct NameCase {
    std::string typed;
    std::string stored;  // empty: refused
    std::string reason;
  };
  const std::string longest(MAX_LOCATION_NAME, 'x');
  const NameCase cases[] = {
      {"Plant 7", "Plant 7", ""},
      {"  Annex\t", "Annex", ""},
      {longest, longest, ""},
      {"", "", "A location needs a name."},
      {"   ", "", "A location needs a name."},
      {longest + "x", "", "A location name may have at most 79 characters."},
      // CURRSELTEXT starting with '-' reads as no selection at all.
      {"-lab", "", "A location name may not begin with '-'."},
      {"Lab [2]", "", "A location name may not hold '[', ']' or a line break."},
      {"Lab\nTwo", "", "A location name may not hold '[', ']' or a line break."},
      {"\"Lab\"", "", "A location name may not be put in quotes."},
  };

  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.typed);
    AddressBook book;
    AddLocation(book, "Default");
    try {
      const int added = AddLocation(book, c.typed);
      ASSERT_FALSE(c.stored.empty());
      EXPECT_EQ(book.Item(added).Location(), c.stored);
    } catch (const EditError& e) {
      EXPECT_TRUE(c.stored.empty());
      EXPECT_EQ(e.Text(), "Unable to add the location to the list");
      EXPECT_NE(e.Detail().find(c.reason), std::string::npos) << e.Detail();
      EXPECT_EQ(book.Count(), 1);
    }
    AddressBook renaming;
    AddLocation(renaming, "Default");
    try {
      const int renamed = RenameLocation(renaming, 0, c.typed);
      ASSERT_FALSE(c.stored.empty());
      EXPECT_EQ(renaming.Item(renamed).Location(), c.stored);
    } catch (const EditError& e) {
      EXPECT_EQ(e.Text(), "Unable to edit the selected location name");
      EXPECT_NE(e.Detail().find(c.reason), std::string::npos) << e.Detail();
      EXPECT_EQ(renaming.Item(0).Location(), "Default");
    }
  }
}

TEST(ConnectionsEditingTest, AFailoverSlotIsEditedAndRemovedWhileTheEntryKeepsItsFirstAddress) {
  TempDir dir;
  IniFile ini(dir.File("Remote.ini"));
  AddressBook book;
  const int plant = AddLocation(book, "Plant");
  AddressEntry& entry = book.Item(plant);
  EditAddressSlot(entry, 0, {"TCP/IP", "10.0.0.5", false});
  AddFailoverAddress(entry);
  AddFailoverAddress(entry);
  EditAddressSlot(entry, 1, {"Office Modem", "5551234", true});
  EXPECT_EQ(entry.Addresses().Address(), "10.0.0.5");
  EXPECT_EQ(entry.Addresses().CurrentSlot(), 0);

  try {
    EditAddressSlot(entry, 2, {"TCP/IP", "a\r\nAddress=b", false});
    FAIL();
  } catch (const EditError& e) {
    EXPECT_EQ(e.Detail(), "An address may not hold a line break.");
  }
  book.SetCurrentSelection(plant);
  ApplyConnections(book, ini);
  AddressEntry read;
  read.ReadINIInfo(ini, "Plant");
  ASSERT_EQ(read.Addresses().Slots().size(), 3u);
  EXPECT_EQ(read.Addresses().Slots()[1], (AddressSlot{"Office Modem", "5551234", true}));
  EXPECT_EQ(read.Addresses().Slots()[2], (AddressSlot{"TCP/IP", "0.0.0.0", false}));

  // The book was read back from the file.
  AddressEntry& saved = book.Item(book.GetIndex("Plant"));
  RemoveAddressSlot(saved, 0);
  EXPECT_EQ(saved.Addresses().Address(), "5551234");
  RemoveAddressSlot(saved, 1);
  try {
    RemoveAddressSlot(saved, 0);
    FAIL();
  } catch (const EditError& e) {
    EXPECT_EQ(e.Text(), "The last item can't be deleted.");
  }
  EXPECT_EQ(saved.Addresses().Slots().size(), 1u);
}
