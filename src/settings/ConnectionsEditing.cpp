#include "settings/ConnectionsEditing.h"

#include "settings/TextNoCase.h"

namespace settings {
namespace {

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

// The name as it will be stored, or the reason it cannot be: the section
// "TARGET-" + name and CURRSELTEXT must read back as the same name, and a
// selection starting with '-' reads as none at all.
std::string CheckedLocationName(const std::string& name) {
  const std::string trimmed(TrimBlanks(name));
  if (trimmed.empty()) throw TextError("A location needs a name.");
  if (trimmed.size() > MAX_LOCATION_NAME)
    throw TextError("A location name may have at most 79 characters.");
  if (trimmed.starts_with('-')) throw TextError("A location name may not begin with '-'.");
  if (trimmed.find_first_of("[]") != trimmed.npos || HasLineBreak(trimmed))
    throw TextError("A location name may not hold '[', ']' or a line break.");
  if (trimmed.size() > 1 && trimmed.front() == '"' && trimmed.back() == '"')
    throw TextError("A location name may not be put in quotes.");
  return trimmed;
}

}  // namespace

int AddLocation(AddressBook& book, const std::string& name) {
  try {
    return book.InsertItem(CheckedLocationName(name), "", "Color always", TCP_IP, false,
                           DEFAULT_SERVERS);
  } catch (const TextError& e) {
    throw EditError("Unable to add the location to the list", e.Text());
  }
}

void DeleteLocation(AddressBook& book, int index) {
  if (book.Count() <= 1) throw EditError("The last item can't be deleted.", "");
  book.DelItem(index);
  book.SetCurrentSelection(0);
}

int RenameLocation(AddressBook& book, int index, const std::string& name) {
  try {
    const std::string checked = CheckedLocationName(name);
    book.EditItem(index, EDIT_LOCATION, checked, "", "", "", false, "");
    return book.GetIndex(checked);
  } catch (const TextError& e) {
    throw EditError("Unable to edit the selected location name", e.Text());
  }
}

bool CanAddFailoverAddress(const AddressEntry& entry) {
  return entry.Addresses().LastSlot() < AddressList::MAX_SLOTS - 1;
}

bool AddFailoverAddress(AddressEntry& entry) {
  if (!CanAddFailoverAddress(entry)) throw EditError("The maximum has already been reached.\n", "");
  entry.Addresses().AddSlot(TCP_IP, "0.0.0.0", false);
  return CanAddFailoverAddress(entry);
}

void EditAddressSlot(AddressEntry& entry, int index, const AddressSlot& value) {
  if (HasLineBreak(value.address) || HasLineBreak(value.connectionType))
    throw EditError("Unable to edit the address", "An address may not hold a line break.");
  AddressList& addresses = entry.Addresses();
  addresses.SelectSlot(index);
  addresses.SetConnectionType(value.connectionType);
  addresses.SetAddress(value.address);
  addresses.SetPulseDial(value.pulseDial);
  addresses.SelectSlot(0);
}

void RemoveAddressSlot(AddressEntry& entry, int index) {
  AddressList& addresses = entry.Addresses();
  if (addresses.LastSlot() < 1) throw EditError("The last item can't be deleted.", "");
  addresses.RemoveSlot(index);
  addresses.SelectSlot(0);
}

const char* PulseToneText(const AddressSlot& slot) {
  if (slot.connectionType == TCP_IP) return "n/a";
  return slot.pulseDial ? "Pulse" : "Tone";
}

void ApplyConnections(AddressBook& book, IniFile& ini) {
  try {
    book.SaveToINI(ini);
  } catch (const TextError& e) {
    throw EditError("Unable to apply the changes",
                    "Error in CPageConnecting::OnApply(): \nThis probably means the INI file is "
                    "not writable for some reason.  Is it read-only?  Does another program have "
                    "it open?\n" +
                        e.Text());
  }
}

}  // namespace settings
