#pragma once
// The address book: the units the operator can connect to, sorted by location
// name without regard to case, stored in the INI file one section per entry
// with the current selection in MISC (CURRSEL, CURRSELTEXT).

#include <string>
#include <string_view>
#include <vector>

#include "settings/AddressEntry.h"
#include "settings/IniFile.h"

namespace settings {

// Which fields EditItem changes.
enum AddrBookEditFlags : unsigned {
  EDIT_LOCATION = 1,
  EDIT_ADDRESS = 2,
  EDIT_COLOR_RENDERING = 4,
  EDIT_CONNECTION_TYPE = 8,
  EDIT_PULSE_DIAL = 16,
  EDIT_SERVERS = 32,
};

class AddressBook {
 public:
  int Count() const { return static_cast<int>(m_entries.size()); }
  const AddressEntry& Item(int index) const { return m_entries.at(index); }
  AddressEntry& Item(int index) { return m_entries.at(index); }
  int CurrentSelection() const { return m_currentSelection; }
  void SetCurrentSelection(int index) { m_currentSelection = index; }

  // Inserts at the sorted place and returns the index; an empty servers text
  // becomes the default one. A name already in the book (ignoring case, as the
  // INI file's section names do) is refused.
  int InsertItem(const std::string& location, const std::string& address,
                 const std::string& colorRendering, const std::string& connectionType,
                 bool pulseDial, const std::string& servers);
  void DelItem(int index);
  // Changes the fields named by flags (AddrBookEditFlags); a new location moves
  // the entry to its sorted place, keeping its addresses.
  void EditItem(int index, unsigned flags, const std::string& location, const std::string& address,
                const std::string& colorRendering, const std::string& connectionType,
                bool pulseDial, const std::string& servers);
  // The entry whose name equals location exactly (case-sensitive).
  int GetIndex(std::string_view location) const;

  void ReadFromINI(const IniFile& ini);
  // Rewrites every TARGET- section from the book, then the selection, and
  // reads the book back.
  void SaveToINI(IniFile& ini);
  void ClearAddressesFromINI(IniFile& ini);

 private:
  int Insert(AddressEntry entry);
  void CheckNameIsFree(std::string_view location, int except) const;

  std::vector<AddressEntry> m_entries;
  int m_currentSelection = -1;
};

// The entry every viewer starts with, made on the first run after the MISC defaults.
AddressEntry DefaultTarget();
// Saves the first-run "Default" entry and returns it.
AddressEntry CreateDefaultTarget(IniFile& ini);

}  // namespace settings
