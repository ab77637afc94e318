#include "settings/AddressBook.h"

#include "platform/TextError.h"
#include "settings/BookSupport.h"
#include "settings/LeadingInt.h"

namespace settings {
namespace {

constexpr size_t CURRSEL_BUFFER = 2000;

}  // namespace

int AddressBook::Insert(AddressEntry entry) {
  const size_t at =
      SortedPosition(m_entries, entry.Location(),
                     [](const AddressEntry& e) -> const std::string& { return e.Location(); });
  m_entries.insert(m_entries.begin() + at, std::move(entry));
  return static_cast<int>(at);
}

void AddressBook::CheckNameIsFree(std::string_view location, int except) const {
  for (int i = 0; i < Count(); ++i) {
    if (i != except && CompareNoCase(m_entries[i].Location(), location) == 0)
      throw TextError("A location named " + std::string(location) + " is already in the list.");
  }
}

int AddressBook::InsertItem(const std::string& location, const std::string& address,
                          const std::string& colorRendering, const std::string& connectionType,
                          bool pulseDial, const std::string& servers) {
  return WrapErrors("AddressBook", "InsertItem", [&] {
    CheckNameIsFree(location, -1);
    return Insert(AddressEntry(location, address, colorRendering, connectionType, pulseDial,
                           servers.empty() ? DEFAULT_SERVERS : servers));
  });
}

void AddressBook::DelItem(int index) {
  if (index >= Count())
    throw TextError("Error in AddressBook::DelItem(): Can't del items beyond end of list.");
  if (index < 0)
    throw TextError("Error in AddressBook::DelItem(): Can't del items before beginning of list.");
  m_entries.erase(m_entries.begin() + index);
}

void AddressBook::EditItem(int index, unsigned flags, const std::string& location,
                         const std::string& address, const std::string& colorRendering,
                         const std::string& connectionType, bool pulseDial,
                         const std::string& servers) {
  if (index >= Count())
    throw TextError("Error in AddressBook::EditItem(): Can't away items beyond end of list.");
  if (index < 0)
    throw TextError("Error in AddressBook::EditItem(): Can't del items before beginning of list.");
  if ((flags & (EDIT_LOCATION | EDIT_ADDRESS | EDIT_COLOR_RENDERING | EDIT_CONNECTION_TYPE |
                EDIT_PULSE_DIAL | EDIT_SERVERS)) == 0)
    throw TextError("Error in AddressBook::EditItem(): Flags indicate nothing to edit in the item.");
  if (flags & EDIT_LOCATION) CheckNameIsFree(location, index);

  AddressEntry edited = m_entries[index];
  if (flags & EDIT_LOCATION) edited.SetLocation(location);
  if (flags & EDIT_ADDRESS) edited.Addresses().SetAddress(address);
  if (flags & EDIT_COLOR_RENDERING) edited.SetColorRendering(colorRendering);
  if (flags & EDIT_CONNECTION_TYPE) edited.Addresses().SetConnectionType(connectionType);
  if (flags & EDIT_PULSE_DIAL) edited.Addresses().SetPulseDial(pulseDial);
  if (flags & EDIT_SERVERS) edited.Quad().servers = servers;
  if (flags & EDIT_LOCATION) {
    m_entries.erase(m_entries.begin() + index);
    Insert(std::move(edited));
  } else {
    m_entries[index] = std::move(edited);
  }
}

int AddressBook::GetIndex(std::string_view location) const {
  for (int i = 0; i < Count(); ++i)
    if (m_entries[i].Location() == location) return i;
  throw TextError("Error in GetIndex(): String not found.");
}

void AddressBook::ReadFromINI(const IniFile& ini) {
  WrapBookErrors(
      "Error in CaddrBook::ReadFromINI(): \n", "Unknown error in CaddrBook::ReadFromINI()\n", [&] {
        // Built aside, so a failed read leaves the book as it was.
        AddressBook fresh;
        for (const std::string& section : SectionsWithPrefix(ini, TARGET_PREFIX)) {
          AddressEntry entry;
          entry.ReadINIInfo(ini, section.substr(std::string_view(TARGET_PREFIX).size()));
          fresh.CheckNameIsFree(entry.Location(), -1);
          fresh.Insert(std::move(entry));
        }
        fresh.m_currentSelection = LeadingInt(ini.Read("MISC", "CURRSEL", "****", CURRSEL_BUFFER));
        *this = std::move(fresh);
      });
}

void AddressBook::SaveToINI(IniFile& ini) {
  WrapBookErrors("Error in AddressBook::SaveToINI(): \n",
                 "Error in AddressBook::SaveToINI(): Unknown error.", [&] {
                   ClearAddressesFromINI(ini);
                   for (const AddressEntry& entry : m_entries) entry.SaveToINI(ini);
                   if (m_currentSelection >= 0 && m_currentSelection < Count()) {
                     const std::string name = m_entries[m_currentSelection].Location();
                     WriteOrThrow(ini, "MISC", "CURRSEL", std::to_string(GetIndex(name)));
                     WriteOrThrow(ini, "MISC", "CURRSELTEXT", name);
                   }
                   ReadFromINI(ini);
                 });
}

void AddressBook::ClearAddressesFromINI(IniFile& ini) {
  WrapBookErrors("Error in CaddrBook::ClearAddressesFromINI(): \n",
                 "Unknown error in CaddrBook::ClearAddressesFromINI()\n", [&] {
                   // The listed section itself goes, whatever Location it names.
                   for (const std::string& section : SectionsWithPrefix(ini, TARGET_PREFIX))
                     if (!ini.DeleteSection(section))
                       throw TextError("Could not delete the section " + section + ".");
                 });
}

AddressEntry DefaultTarget() {
  return AddressEntry("Default", "192.168.0.99", "Color always", TCP_IP, false, "-01 -01 -01 -01 -01");
}

AddressEntry CreateDefaultTarget(IniFile& ini) {
  AddressEntry entry = DefaultTarget();
  entry.SaveToINI(ini);
  return entry;
}

}  // namespace settings
