#include "settings/AddressList.h"

#include <algorithm>

#include "platform/Format.h"
#include "platform/TextError.h"

namespace settings {

void AddressList::AddSlot(std::string connectionType, std::string address, bool pulseDial) {
  if (m_slots.size() >= MAX_SLOTS) throw TextError("Too many failovers.");
  m_slots.push_back({std::move(connectionType), std::move(address), pulseDial});
}

AddressSlot& AddressList::Slot(int index) {
  if (index < 0 || index > LastSlot())
    throw TextError(Format("There is no address %d in the list.", index + 1));
  return m_slots[index];
}

void AddressList::RemoveSlot(int index) {
  Slot(index);
  m_slots.erase(m_slots.begin() + index);
  if (m_currentSlot > LastSlot()) m_currentSlot = std::max(LastSlot(), 0);
}

void AddressList::SwapSlots(int first, int second) { std::swap(Slot(first), Slot(second)); }

void AddressList::SelectSlot(int index) {
  const AddressSlot& slot = Slot(index);
  m_currentSlot = index;
  m_connectionType = slot.connectionType;
  m_address = slot.address;
  m_pulseDial = slot.pulseDial;
}

void AddressList::Rewind() {
  if (!m_slots.empty()) SelectSlot(0);
  m_restarted = true;
}

void AddressList::SetConnectionType(std::string connectionType) {
  if (!m_slots.empty()) Slot(m_currentSlot).connectionType = connectionType;
  m_connectionType = std::move(connectionType);
}

void AddressList::SetAddress(std::string address) {
  if (!m_slots.empty()) Slot(m_currentSlot).address = address;
  m_address = std::move(address);
}

void AddressList::SetPulseDial(bool pulseDial) {
  if (!m_slots.empty()) Slot(m_currentSlot).pulseDial = pulseDial;
  m_pulseDial = pulseDial;
}

}  // namespace settings
