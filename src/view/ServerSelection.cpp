#include "view/ServerSelection.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/Format.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"
#include "settings/AddressEntry.h"
#include "settings/LeadingInt.h"

namespace view {
namespace {

constexpr size_t QUADRANT_BUFFER = 200;
// What the unit makes of these is its own affair; they go out unchanged.
constexpr std::array<uint8_t, 7> SERVER_SELECTION_CONSTANTS{3, 128, 128, 32, 128, 128, 32};

}  // namespace

void ServerSelection::OnViewQuadOrSingle(uint32_t id) {
  try {
    const std::string section = settings::TARGET_PREFIX + m_session.TargetLocation();
    std::array<int32_t, settings::QuadView::QUADRANTS> servers{};
    for (int quadrant = 0; quadrant < settings::QuadView::QUADRANTS; ++quadrant)
      servers[quadrant] = settings::LeadingInt(
          m_ini.Read(section, Format("QUADRANT_%d", quadrant), "0", QUADRANT_BUFFER));
    uint8_t firstQuadrant = 0;
    for (int quadrant = 1; quadrant < settings::QuadView::QUADRANTS && !firstQuadrant; ++quadrant)
      if (servers[quadrant] != 0) firstQuadrant = static_cast<uint8_t>(quadrant);

    if (id == ID_VIEW_SINGLE) {
      m_quad = false;
      std::fill(servers.begin() + 1, servers.end(), 0);
    } else if (id == ID_VIEW_QUAD) {
      m_quad = true;
    } else {
      throw TextError("Unexpected id.");
    }

    std::array<uint8_t, 4 * settings::QuadView::QUADRANTS + 1 + SERVER_SELECTION_CONSTANTS.size()>
        payload{};
    for (size_t quadrant = 0; quadrant < servers.size(); ++quadrant)
      StoreLE32(payload.data() + 4 * quadrant, static_cast<uint32_t>(servers[quadrant]));
    payload[16] = firstQuadrant;
    std::copy(SERVER_SELECTION_CONSTANTS.begin(), SERVER_SELECTION_CONSTANTS.end(),
              payload.begin() + 17);
    PacketHeader header(TELL_SERVERS_SELECTED, 0);
    m_session.SendPacket(header, {payload.data(), payload.size()});
  } catch (const TextError& e) {
    m_dialogs.ShowError("Problem in \nCBrenvikView::OnViewQuadOrSingle(UINT id)\n", e.Text());
  }
}

void ServerSelection::WriteActiveServerForThisQuadrant(int quadrant, int server) {
  const std::string key = Format("QUADRANT_%d", quadrant);
  const std::string value = Format("%d", server);
  Trace("WriteActiveServerForThisQuandrant(): %s = %s", key.c_str(), value.c_str());
  m_ini.Write(settings::TARGET_PREFIX + m_session.TargetLocation(), key, value);
}

}  // namespace view
