#pragma once
// One entry of the address book: a unit the operator can connect to, with up
// to ten addresses tried in turn (the first plus nine failover addresses), the
// colour rendering to start with and the servers of the quad view. It lives in
// the INI section "TARGET-" + its location name.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "settings/IniFile.h"

namespace settings {

struct AddressSlot {
  std::string connectionType;  // "TCP/IP" or the name of a modem
  std::string address;         // host[:port], or a telephone number
  bool pulseDial = false;
  bool operator==(const AddressSlot&) const = default;
};

inline constexpr const char* TARGET_PREFIX = "TARGET-";
inline constexpr const char* TCP_IP = "TCP/IP";
inline constexpr const char* DEFAULT_SERVERS = "000 000 000 000 000";

class AddressEntry {
 public:
  static constexpr int MAX_SLOTS = 10;
  static constexpr int QUADRANTS = 4;

  AddressEntry() = default;
  // The entry with one address.
  AddressEntry(std::string location, std::string address, std::string colorRendering,
           std::string connectionType, bool pulseDial, std::string servers);

  // Reads the entry from its section; an empty name means the current
  // selection (CURRSELTEXT). Throws "COrb::ReadINIInfo: " + cause + "\n".
  void ReadINIInfo(const IniFile& ini, std::string_view location);
  void SaveToINI(IniFile& ini) const;
  std::string SectionName() const { return TARGET_PREFIX + m_location; }

  // Throws "Too many failovers." when all ten slots are in use.
  void AddSlot(std::string connectionType, std::string address, bool pulseDial);
  void RemoveSlot(int index);
  void SwapSlots(int first, int second);
  // Makes slot index the one in use: its type, address and pulse flag become
  // the entry's.
  void SelectSlot(int index);
  // Back to the first address, for a new walk through the list.
  void Rewind();

  const std::vector<AddressSlot>& Slots() const { return m_slots; }
  int CurrentSlot() const { return m_currentSlot; }
  int LastSlot() const { return static_cast<int>(m_slots.size()) - 1; }
  bool Restarted() const { return m_restarted; }
  void SetRestarted(bool restarted) { m_restarted = restarted; }

  const std::string& FailoverText() const { return m_failoverText; }
  void SetFailoverText(std::string text) { m_failoverText = std::move(text); }
  void AppendFailoverText(std::string_view text) { m_failoverText.append(text); }

  const std::string& Location() const { return m_location; }
  void SetLocation(std::string location) { m_location = std::move(location); }
  const std::string& ConnectionType() const { return m_connectionType; }
  const std::string& Address() const { return m_address; }
  bool PulseDial() const { return m_pulseDial; }
  // Change the slot in use along with the entry.
  void SetConnectionType(std::string connectionType);
  void SetAddress(std::string address);
  void SetPulseDial(bool pulseDial);

  const std::string& ColorRendering() const { return m_colorRendering; }
  void SetColorRendering(std::string rendering) { m_colorRendering = std::move(rendering); }
  const std::string& Servers() const { return m_servers; }
  void SetServers(std::string servers) { m_servers = std::move(servers); }
  int Quadrant(int quadrant) const { return m_quadrants.at(quadrant); }
  void SetQuadrant(int quadrant, int server) { m_quadrants.at(quadrant) = server; }

 private:
  AddressSlot& Slot(int index);

  std::vector<AddressSlot> m_slots;
  int m_currentSlot = 0;
  bool m_restarted = false;
  std::string m_failoverText;
  std::string m_location;
  std::string m_connectionType = TCP_IP;
  std::string m_colorRendering;
  std::string m_address;
  bool m_pulseDial = false;
  std::string m_servers = DEFAULT_SERVERS;
  std::array<int, QUADRANTS> m_quadrants{};
};

}  // namespace settings
