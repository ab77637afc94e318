#pragma once
// One entry of the address book: a unit the operator can connect to, with its
// addresses (the first plus up to nine failover addresses, tried in turn), the
// colour rendering to start with and the servers of the quad view. It lives in
// the INI section "TARGET-" + its location name.

#include <array>
#include <string>
#include <string_view>

#include "settings/AddressList.h"
#include "settings/IniFile.h"

namespace settings {

inline constexpr const char* TARGET_PREFIX = "TARGET-";
inline constexpr const char* DEFAULT_SERVERS = "000 000 000 000 000";

// The servers of the quad view: the list the unit offers and the server shown
// in each quadrant.
struct QuadView {
  static constexpr int QUADRANTS = 4;
  std::string servers = DEFAULT_SERVERS;
  std::array<int, QUADRANTS> quadrants{};
};

class AddressEntry {
 public:
  AddressEntry() = default;
  // The entry with one address.
  AddressEntry(std::string location, std::string address, std::string colorRendering,
               std::string connectionType, bool pulseDial, std::string servers);

  // Reads the entry from its section; an empty name means the current
  // selection (CURRSELTEXT). Throws "COrb::ReadINIInfo: " + cause + "\n".
  void ReadINIInfo(const IniFile& ini, std::string_view location);
  void SaveToINI(IniFile& ini) const;
  std::string SectionName() const { return TARGET_PREFIX + m_location; }

  const std::string& Location() const { return m_location; }
  void SetLocation(std::string location) { m_location = std::move(location); }
  const std::string& ColorRendering() const { return m_colorRendering; }
  void SetColorRendering(std::string rendering) { m_colorRendering = std::move(rendering); }

  AddressList& Addresses() { return m_addresses; }
  const AddressList& Addresses() const { return m_addresses; }
  QuadView& Quad() { return m_quad; }
  const QuadView& Quad() const { return m_quad; }

 private:
  std::string m_location;
  std::string m_colorRendering;
  AddressList m_addresses;
  QuadView m_quad;
};

}  // namespace settings
