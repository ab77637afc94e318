#include <gtest/gtest.h>

#include <sstream>

#include "settings/AddressBook.h"
#include "settings/ConnectionsEditing.h"
#include "settings/Favorites.h"
#include "settings/TempDir.h"

using namespace settings;

namespace {

template <class Body>
std::string ErrorOf(Body body) {
  try {
    body();
  } catch (const TextError& e) {
    return e.Text();
  }
  return "no error";
}

// The keys of one section, in file order.
std::vector<std::string> KeysOf(const std::string& fileText, const std::string& section) {
  std::vector<std::string> keys;
  std::istringstream in(fileText);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with('[')) {
      inside = line == "[" + section + "]";
    } else if (inside && line.find('=') != std::string::npos) {
      keys.push_back(line.substr(0, line.find('=')));
    }
  }
  return keys;
}

class AddrBookTest : public ::testing::Test {
 protected:
  std::string Text() const { return ReadWholeFile(m_path); }

  TempDir m_dir;
  std::string m_path = m_dir.File("Remote.ini");
  IniFile m_ini{m_path};
};

AddressEntry ThreeAddressEntry() {
  AddressEntry entry("Plant 7", "10.0.0.5:6000", "Grey -> Color", "TCP/IP", false,
                     "001 002 003 004 005");
  entry.Addresses().AddSlot("Office Modem", "5551234", true);
  entry.Addresses().AddSlot("TCP/IP", "plant7.example.net", false);
  entry.Quad().quadrants[2] = 5;
  return entry;
}

TEST_F(AddrBookTest, AnEntryRoundTripsThroughItsSectionInKeyOrder) {
  ThreeAddressEntry().SaveToINI(m_ini);
  // A hand-added fourth address without its IsPulseDial4 is not one.
  m_ini.Write("TARGET-Plant 7", "Address4", "10.9.9.9");

  EXPECT_EQ(KeysOf(Text(), "TARGET-Plant 7"),
            (std::vector<std::string>{"Location", "Address", "ColorRendering", "ConnectionType",
                                      "Servers", "IsPulseDial2", "Address2", "ConnectionType2",
                                      "IsPulseDial3", "Address3", "ConnectionType3", "QUADRANT_0",
                                      "QUADRANT_1", "QUADRANT_2", "QUADRANT_3", "Address4"}));

  AddressEntry read;
  read.ReadINIInfo(m_ini, "Plant 7");
  EXPECT_EQ(read.Addresses().Slots(), ThreeAddressEntry().Addresses().Slots());
  EXPECT_EQ(read.Location(), "Plant 7");
  EXPECT_EQ(read.Addresses().Address(), "10.0.0.5:6000");
  EXPECT_EQ(read.Addresses().CurrentSlot(), 0);
  EXPECT_EQ(read.ColorRendering(), "Grey -> Color");
  EXPECT_EQ(read.Quad().servers, "001 002 003 004 005");
  EXPECT_EQ(read.Quad().quadrants[2], 5);

  // A modem first address stores its dialling.
  AddressEntry modem("Lab", "5550000", "Color always", "Lab Modem", true, DEFAULT_SERVERS);
  modem.SaveToINI(m_ini);
  EXPECT_EQ(m_ini.Read("TARGET-Lab", "IsPulseDial", "-", 80), "T");
  read.ReadINIInfo(m_ini, "Lab");
  EXPECT_TRUE(read.Addresses().PulseDial());
  EXPECT_EQ(read.Addresses().ConnectionType(), "Lab Modem");
}

TEST_F(AddrBookTest, ReadingRefusesElevenAddressesAndAMissingSelection) {
  for (int k = 1; k <= 10; ++k) {
    const std::string suffix = k == 1 ? "" : std::to_string(k);
    m_ini.Write("TARGET-Big", "IsPulseDial" + suffix, "F");
    m_ini.Write("TARGET-Big", "Address" + suffix, "10.0.0." + std::to_string(k));
  }
  AddressEntry entry;
  entry.ReadINIInfo(m_ini, "Big");
  EXPECT_EQ(entry.Addresses().LastSlot(), 9);
  EXPECT_EQ(entry.Addresses().Slots()[9].address, "10.0.0.10");

  m_ini.Write("TARGET-Big", "IsPulseDial11", "F");
  EXPECT_EQ(ErrorOf([&] { entry.ReadINIInfo(m_ini, "Big"); }),
            "COrb::ReadINIInfo: Too many failovers.\n");
  EXPECT_EQ(ErrorOf([&] { AddressBook().ReadFromINI(m_ini); }),
            "Error in CaddrBook::ReadFromINI(): \nCOrb::ReadINIInfo: Too many failovers.\n");
  EXPECT_EQ(ErrorOf([&] { entry.ReadINIInfo(m_ini, ""); }),
            "COrb::ReadINIInfo: No current selection.\n");
}

TEST_F(AddrBookTest, EntriesAreSortedIgnoringCaseButFoundExactly) {
  AddressBook book;
  for (const char* name : {"beta", "Alpha", "gamma"})
    book.InsertItem(name, "", "", "TCP/IP", false, "");
  ASSERT_EQ(book.Count(), 3);
  EXPECT_EQ(book.Item(0).Location(), "Alpha");
  EXPECT_EQ(book.Item(1).Location(), "beta");
  EXPECT_EQ(book.Item(2).Location(), "gamma");
  EXPECT_EQ(book.Item(1).Quad().servers, DEFAULT_SERVERS);
  EXPECT_EQ(book.GetIndex("Alpha"), 0);
  EXPECT_EQ(ErrorOf([&] { book.GetIndex("alpha"); }), "Error in GetIndex(): String not found.");
  // One section per name, and section names ignore case.
  EXPECT_EQ(ErrorOf([&] { book.InsertItem("ALPHA", "", "", "TCP/IP", false, ""); }),
            "Error in AddressBook::InsertItem():\nA location named ALPHA is already in the list.");

  EXPECT_EQ(ErrorOf([&] { book.DelItem(3); }),
            "Error in AddressBook::DelItem(): Can't del items beyond end of list.");
  EXPECT_EQ(ErrorOf([&] { book.DelItem(-1); }),
            "Error in AddressBook::DelItem(): Can't del items before beginning of list.");
  EXPECT_EQ(ErrorOf([&] { book.EditItem(3, EDIT_ADDRESS, "", "", "", "", false, ""); }),
            "Error in AddressBook::EditItem(): Can't away items beyond end of list.");
  EXPECT_EQ(ErrorOf([&] { book.EditItem(0, 0, "", "", "", "", false, ""); }),
            "Error in AddressBook::EditItem(): Flags indicate nothing to edit in the item.");
}

TEST_F(AddrBookTest, EditingMovesARenamedEntryWithItsAddresses) {
  AddressBook book;
  book.InsertItem("Alpha", "", "", "TCP/IP", false, "");
  book.InsertItem("beta", "", "", "TCP/IP", false, "");
  const int plant = book.InsertItem("Plant 7", "10.0.0.5", "Color always", "TCP/IP", false, "");
  book.Item(plant).Addresses().AddSlot("TCP/IP", "10.0.0.6", false);

  EXPECT_EQ(RenameLocation(book, plant, "aardvark"), 0);
  EXPECT_EQ(book.Item(0).Addresses().LastSlot(), 1);
  EXPECT_EQ(book.Item(0).Addresses().Address(), "10.0.0.5");
  EXPECT_EQ(book.Item(1).Location(), "Alpha");

  book.EditItem(0, EDIT_ADDRESS | EDIT_SERVERS, "ignored", "10.1.1.1", "", "", false,
                "-01 -01 -01 -01 -01");
  EXPECT_EQ(book.Item(0).Location(), "aardvark");
  EXPECT_EQ(book.Item(0).Addresses().Slots()[0].address, "10.1.1.1");
  EXPECT_EQ(book.Item(0).Quad().servers, "-01 -01 -01 -01 -01");

  const EditError refused = [&] {
    try {
      RenameLocation(book, 0, "BETA");
    } catch (const EditError& e) {
      return e;
    }
    return EditError("", "");
  }();
  EXPECT_EQ(refused.Text(), "Unable to edit the selected location name");
  EXPECT_EQ(refused.Detail(), "A location named BETA is already in the list.");
}

TEST_F(AddrBookTest, SavingRewritesEveryTargetSection) {
  WriteWholeFile(m_path,
                 "[MISC]\r\nKeepAliveTime=60\r\n"
                 "[TARGET-Zulu]\r\nLocation=Zulu\r\nAddress=10.0.0.1\r\nHandAdded=1\r\n"
                 "Servers=001 001 001 001 001\r\nQUADRANT_1=4\r\n"
                 "[TARGET-Old]\r\nLocation=Renamed\r\nAddress=10.0.0.2\r\n"
                 "[TARGET-Gone]\r\nAddress=10.0.0.3\r\n");
  AddressBook book;
  book.ReadFromINI(m_ini);
  ASSERT_EQ(book.Count(), 3);
  book.DelItem(book.GetIndex("Gone"));
  book.SetCurrentSelection(book.GetIndex("Zulu"));

  book.SaveToINI(m_ini);

  EXPECT_EQ(m_ini.SectionNames(),
            (std::vector<std::string>{"MISC", "TARGET-Renamed", "TARGET-Zulu"}));
  EXPECT_EQ(m_ini.Read("TARGET-Zulu", "HandAdded", "-", 80), "-");
  EXPECT_EQ(m_ini.Read("TARGET-Zulu", "Servers", "-", 80), "001 001 001 001 001");
  EXPECT_EQ(m_ini.Read("TARGET-Zulu", "QUADRANT_1", "-", 80), "4");
  EXPECT_EQ(m_ini.Read("MISC", "CURRSEL", "-", 80), "1");
  EXPECT_EQ(m_ini.Read("MISC", "CURRSELTEXT", "-", 80), "Zulu");
  EXPECT_EQ(m_ini.Read("MISC", "KeepAliveTime", "-", 80), "60");
  EXPECT_EQ(book.Count(), 2);
  EXPECT_EQ(book.CurrentSelection(), 1);

  // Saving again changes nothing.
  const std::string once = Text();
  book.SaveToINI(m_ini);
  EXPECT_EQ(Text(), once);
}

TEST_F(AddrBookTest, ConnectionsPageRules) {
  AddressBook book;
  const int only = AddLocation(book, "Lab");
  EXPECT_EQ(book.Item(only).Addresses().ConnectionType(), "TCP/IP");
  EXPECT_EQ(book.Item(only).ColorRendering(), "Color always");
  EXPECT_EQ(book.Item(only).Addresses().Address(), "");
  EXPECT_EQ(ErrorOf([&] { DeleteLocation(book, only); }), "The last item can't be deleted.");
  AddLocation(book, "Annex");
  DeleteLocation(book, book.GetIndex("Lab"));
  EXPECT_EQ(book.Count(), 1);
  EXPECT_EQ(book.CurrentSelection(), 0);

  AddressEntry& entry = book.Item(0);
  for (int i = 1; i < 9; ++i) EXPECT_TRUE(AddFailoverAddress(entry));
  EXPECT_FALSE(AddFailoverAddress(entry));  // the tenth fills the list
  EXPECT_EQ(entry.Addresses().Slots()[9], (AddressSlot{"TCP/IP", "0.0.0.0", false}));
  EXPECT_EQ(ErrorOf([&] { AddFailoverAddress(entry); }), "The maximum has already been reached.\n");
  EXPECT_EQ(ErrorOf([&] { entry.Addresses().AddSlot("TCP/IP", "x", false); }),
            "Too many failovers.");
  EXPECT_EQ(entry.Addresses().LastSlot(), 9);

  EXPECT_STREQ(PulseToneText({"TCP/IP", "", true}), "n/a");
  EXPECT_STREQ(PulseToneText({"Modem", "", true}), "Pulse");
  EXPECT_STREQ(PulseToneText({"Modem", "", false}), "Tone");

  // A file that cannot be written.
  IniFile unwritable(m_dir.Path().string());
  try {
    ApplyConnections(book, unwritable);
    FAIL();
  } catch (const EditError& e) {
    EXPECT_EQ(e.Text(), "Unable to apply the changes");
    EXPECT_TRUE(e.Detail().starts_with(
        "Error in CPageConnecting::OnApply(): \nThis probably means the INI file is not writable"));
    EXPECT_NE(e.Detail().find("WritePrivateProfileString failed: TARGET-Annex, Location, Annex"),
              std::string::npos);
  }
}

TEST_F(AddrBookTest, SlotsMoveAndTheEntryFollowsTheSelectedOne) {
  AddressEntry entry = ThreeAddressEntry();
  entry.Addresses().SelectSlot(2);
  EXPECT_EQ(entry.Addresses().Address(), "plant7.example.net");
  entry.Addresses().SwapSlots(0, 1);
  EXPECT_EQ(entry.Addresses().Slots()[0].connectionType, "Office Modem");
  entry.Addresses().RemoveSlot(0);
  entry.Addresses().RemoveSlot(0);
  EXPECT_EQ(entry.Addresses().LastSlot(), 0);
  EXPECT_EQ(entry.Addresses().CurrentSlot(), 0);
  entry.Addresses().Rewind();
  EXPECT_TRUE(entry.Addresses().Restarted());
  EXPECT_EQ(entry.Addresses().Address(), "plant7.example.net");
  EXPECT_THROW(entry.Addresses().SelectSlot(1), TextError);
}

TEST_F(AddrBookTest, FirstRunDefaultEntryIsTheCurrentSelection) {
  m_ini.Write("MISC", "CURRSELTEXT", "Default");
  CreateDefaultTarget(m_ini);
  AddressEntry current;
  current.ReadINIInfo(m_ini, "");
  EXPECT_EQ(current.Location(), "Default");
  EXPECT_EQ(current.Addresses().ConnectionType(), "TCP/IP");
  EXPECT_EQ(current.Addresses().Address(), "192.168.0.99");
  EXPECT_EQ(current.Quad().servers, "-01 -01 -01 -01 -01");
}

TEST_F(AddrBookTest, FavoritesRoundTripAndKeepBuiltInValuesForMissingKeys) {
  Favorite wide;
  wide.name = "Wide";
  wide.windowRect = {10, 20, 1290, 1044};
  wide.scaled = false;
  wide.quad = true;
  wide.color = 0;
  FavoritesBook book;
  book.InsertItem(wide);
  m_ini.Write("FAVORITE-Bare", "Name", "Bare");
  m_ini.Write("FAVORITE-Bare", "Toolbar", "F");
  FavoritesBook read;
  read.ReadFromINI(m_ini);
  ASSERT_EQ(read.Count(), 1);
  book.InsertItem(read.Item(0));
  book.SetCurrentIndex(book.GetIndex("Wide"));

  book.SaveToINI(m_ini);

  read.ReadFromINI(m_ini);
  ASSERT_EQ(read.Count(), 2);
  EXPECT_EQ(read.Item(read.GetIndex("Wide")), wide);
  Favorite bare;
  bare.name = "Bare";
  bare.toolbar = false;
  EXPECT_EQ(read.Item(read.GetIndex("Bare")), bare);  // 0, 0, 640, 480 among the rest
  EXPECT_EQ(read.CurrentIndex(), 1);
  EXPECT_EQ(m_ini.Read("MISC", "CURRFavTEXT", "-", 80), "Wide");
  EXPECT_EQ(ErrorOf([&] { read.DelItem(2); }),
            "Error in FavoritesBook::DelItem(): Can't del items beyond end of list.");

  EXPECT_EQ(StartupLayout(m_ini), Favorite());
  WriteFavoriteLayout(m_ini, "Wide");
  EXPECT_EQ(StartupLayout(m_ini), wide);
  WriteFavoriteLayout(m_ini, "Nowhere");
  EXPECT_EQ(StartupLayout(m_ini), Favorite());
}

}  // namespace
