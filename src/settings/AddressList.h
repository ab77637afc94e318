#pragma once
// The addresses of one unit, tried in turn: the first plus up to nine
// failover addresses, the one in use, and what the last walk through them
// reported for the connect progress dialog.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace settings {

inline constexpr const char* TCP_IP = "TCP/IP";

struct AddressSlot {
  std::string connectionType;  // "TCP/IP" or the name of a modem
  std::string address;         // host[:port], or a telephone number
  bool pulseDial = false;
  bool operator==(const AddressSlot&) const = default;
};

class AddressList {
 public:
  static constexpr int MAX_SLOTS = 10;

  // Throws "Too many failovers." when all ten slots are in use.
  void AddSlot(std::string connectionType, std::string address, bool pulseDial);
  void RemoveSlot(int index);
  void SwapSlots(int first, int second);
  // Makes slot index the one in use: its type, address and pulse flag become
  // the list's.
  void SelectSlot(int index);
  // Back to the first address, for a new walk through the list.
  void Rewind();

  const std::vector<AddressSlot>& Slots() const { return m_slots; }
  int CurrentSlot() const { return m_currentSlot; }
  int LastSlot() const { return static_cast<int>(m_slots.size()) - 1; }
  bool Restarted() const { return m_restarted; }
  void SetRestarted(bool restarted) { m_restarted = restarted; }

  // The address in use; without slots, the list's own.
  const std::string& ConnectionType() const { return m_connectionType; }
  const std::string& Address() const { return m_address; }
  bool PulseDial() const { return m_pulseDial; }
  // Change the slot in use along with the list's.
  void SetConnectionType(std::string connectionType);
  void SetAddress(std::string address);
  void SetPulseDial(bool pulseDial);

  const std::string& FailoverText() const { return m_failoverText; }
  void SetFailoverText(std::string text) { m_failoverText = std::move(text); }
  void AppendFailoverText(std::string_view text) { m_failoverText.append(text); }

 private:
  AddressSlot& Slot(int index);

  std::vector<AddressSlot> m_slots;
  int m_currentSlot = 0;
  bool m_restarted = false;
  std::string m_connectionType = TCP_IP;
  std::string m_address;
  bool m_pulseDial = false;
  std::string m_failoverText;
};

}  // namespace settings
