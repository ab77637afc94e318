#include "settings/AddressEntry.h"

#include <utility>
#include <vector>

#include "platform/Format.h"
#include "platform/TextError.h"
#include "settings/BookSupport.h"
#include "settings/LeadingInt.h"

namespace settings {
namespace {

constexpr size_t VALUE_BUFFER = 200;

// Slot 0's keys carry no suffix; slot i's carry i + 1.
std::string Suffixed(const char* key, int slot) {
  return slot == 0 ? std::string(key) : key + std::to_string(slot + 1);
}

std::string QuadrantKey(int quadrant) { return Format("QUADRANT_%d", quadrant); }

}  // namespace

AddressEntry::AddressEntry(std::string location, std::string address, std::string colorRendering,
                           std::string connectionType, bool pulseDial, std::string servers)
    : m_location(std::move(location)), m_colorRendering(std::move(colorRendering)) {
  m_quad.servers = std::move(servers);
  m_addresses.AddSlot(std::move(connectionType), std::move(address), pulseDial);
  m_addresses.SelectSlot(0);
}

void AddressEntry::ReadINIInfo(const IniFile& ini, std::string_view location) {
  try {
    *this = AddressEntry();
    std::string name(location);
    if (name.empty()) {
      name = ini.Read("MISC", "CURRSELTEXT", "---", VALUE_BUFFER);
      if (name.starts_with('-')) throw TextError("No current selection.");
    }
    const std::string section = TARGET_PREFIX + name;
    m_location = ini.Read(section, "Location", name, VALUE_BUFFER);

    for (int slot = 0;; ++slot) {
      const std::string pulse = ini.Read(section, Suffixed("IsPulseDial", slot), "-", VALUE_BUFFER);
      if (pulse.starts_with('-') && slot > 0) break;
      std::string type = ini.Read(section, Suffixed("ConnectionType", slot), TCP_IP, VALUE_BUFFER);
      if (type.starts_with('-')) type = TCP_IP;
      m_addresses.AddSlot(std::move(type),
                          ini.Read(section, Suffixed("Address", slot), "", VALUE_BUFFER),
                          pulse.starts_with('T'));
    }
    m_addresses.SelectSlot(0);
    m_colorRendering = ini.Read(section, "ColorRendering", "Black & White always", VALUE_BUFFER);
    // Read back what SaveToINI writes, so that saving a book just read keeps it.
    m_quad.servers = ini.Read(section, "Servers", DEFAULT_SERVERS, VALUE_BUFFER);
    for (int quadrant = 0; quadrant < QuadView::QUADRANTS; ++quadrant)
      m_quad.quadrants[quadrant] =
          LeadingInt(ini.Read(section, QuadrantKey(quadrant), "0", VALUE_BUFFER));
  } catch (const TextError& e) {
    throw TextError("COrb::ReadINIInfo: " + e.Text() + "\n");
  }
}

void AddressEntry::SaveToINI(IniFile& ini) const {
  try {
    const std::string section = SectionName();
    const std::vector<AddressSlot>& slots = m_addresses.Slots();
    const AddressSlot first = slots.empty()
                                  ? AddressSlot{m_addresses.ConnectionType(), m_addresses.Address(),
                                                m_addresses.PulseDial()}
                                  : slots[0];
    WriteOrThrow(ini, section, "Location", m_location);
    WriteOrThrow(ini, section, "Address", first.address);
    WriteOrThrow(ini, section, "ColorRendering", m_colorRendering);
    WriteOrThrow(ini, section, "ConnectionType", first.connectionType);
    if (first.connectionType != TCP_IP)
      WriteOrThrow(ini, section, "IsPulseDial", first.pulseDial ? "T" : "F");
    WriteOrThrow(ini, section, "Servers", m_quad.servers);
    for (int slot = 1; slot <= m_addresses.LastSlot(); ++slot) {
      const AddressSlot& s = slots[slot];
      WriteOrThrow(ini, section, Suffixed("IsPulseDial", slot), s.pulseDial ? "T" : "F");
      WriteOrThrow(ini, section, Suffixed("Address", slot), s.address);
      WriteOrThrow(ini, section, Suffixed("ConnectionType", slot), s.connectionType);
    }
    for (int quadrant = 0; quadrant < QuadView::QUADRANTS; ++quadrant)
      WriteOrThrow(ini, section, QuadrantKey(quadrant), Format("%d", m_quad.quadrants[quadrant]));
  } catch (const TextError& e) {
    throw TextError("Error in AddressEntry::SaveToINI(): \n" + e.Text());
  }
}

}  // namespace settings
