#include "settings/ConnectionsEditing.h"

namespace settings {

int AddLocation(CAddrBook& book, const std::string& name) {
  try {
    return book.InsertItem(name, "", "Color always", TCP_IP, false, DEFAULT_SERVERS);
  } catch (const TextError& e) {
    throw EditError("Unable to add the location to the list", e.Text());
  }
}

void DeleteLocation(CAddrBook& book, int index) {
  if (book.Count() <= 1) throw EditError("The last item can't be deleted.", "");
  book.DelItem(index);
  book.SetCurrentSelection(0);
}

int RenameLocation(CAddrBook& book, int index, const std::string& name) {
  try {
    book.EditItem(index, EDIT_LOCATION, name, "", "", "", false, "");
    return book.GetIndex(name);
  } catch (const TextError& e) {
    throw EditError("Unable to edit the selected location name", e.Text());
  }
}

bool CanAddFailoverAddress(const CAddress& entry) {
  return entry.LastSlot() < CAddress::MAX_SLOTS - 1;
}

bool AddFailoverAddress(CAddress& entry) {
  if (!CanAddFailoverAddress(entry)) throw EditError("The maximum has already been reached.\n", "");
  entry.AddSlot(TCP_IP, "0.0.0.0", false);
  return CanAddFailoverAddress(entry);
}

const char* PulseToneText(const AddressSlot& slot) {
  if (slot.connectionType == TCP_IP) return "n/a";
  return slot.pulseDial ? "Pulse" : "Tone";
}

void ApplyConnections(CAddrBook& book, IniFile& ini) {
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
