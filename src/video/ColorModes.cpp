#include "video/ColorModes.h"

#include <algorithm>

#include "platform/TextError.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"
#include "settings/MiscSettings.h"

namespace video {
namespace {

constexpr RenderingMode MODES[] = {
    {"Black & White always", 0, 0, ID_VIEW_256_COLOR, "&256 Color"},
    {"Black & White -> Grey", 0, 1, ID_VIEW_PROGRESSIVE_BW_TO_GREY, "Progressi&ve B&&W to Grey"},
    {"Black & White -> Color", 0, 2, ID_VIEW_PROGRESSIVE_BW_TO_COLOR, "P&rogressive B&&W to Color"},
    {"Grey always", 1, 1, ID_VIEW_GRAY, "&Gray"},
    {"Grey -> Color", 1, 2, ID_VIEW_PROGRESSIVE_GREY_TO_COLOR, "&Progressive Grey to Color"},
    {"Color always", 2, 2, ID_VIEW_COLOR, "C&olor"},
};

const RenderingMode* FindByName(std::string_view name) {
  const auto* found = std::find_if(std::begin(MODES), std::end(MODES),
                                   [&](const RenderingMode& mode) { return mode.name == name; });
  return found == std::end(MODES) ? nullptr : found;
}

const RenderingMode* FindById(uint32_t id) {
  const auto* found = std::find_if(std::begin(MODES), std::end(MODES),
                                   [&](const RenderingMode& mode) { return mode.commandId == id; });
  return found == std::end(MODES) ? nullptr : found;
}

}  // namespace

std::span<const RenderingMode> RenderingModes() { return MODES; }

uint8_t LowLevel(std::string_view mode) {
  const RenderingMode* found = FindByName(mode);
  return found ? found->low : COLOR_LEVEL_NONE;
}

uint8_t HighLevel(std::string_view mode) {
  const RenderingMode* found = FindByName(mode);
  return found ? found->high : COLOR_LEVEL_NONE;
}

std::array<uint8_t, 2> ColorLevelsPayload(std::string_view mode) {
  return {LowLevel(mode), HighLevel(mode)};
}

void SendColorLevels(PacketSender& sender, std::string_view mode) {
  const auto payload = ColorLevelsPayload(mode);
  PacketHeader header(CHANGE_COLOR_LO_HI, 0);
  sender.SendPacket(header, {payload.data(), payload.size()});
}

std::array<uint8_t, COLOR_REDUCTION_PAYLOAD_BYTES> ColorReductionPayload(uint32_t snapValue,
                                                                         uint32_t numColors) {
  std::array<uint8_t, COLOR_REDUCTION_PAYLOAD_BYTES> payload{};
  StoreLE32(payload.data(), snapValue);
  StoreLE32(payload.data() + 4, numColors);
  return payload;
}

void SendColorReduction(PacketSender& sender, uint32_t snapValue, uint32_t numColors) {
  const auto payload = ColorReductionPayload(snapValue, numColors);
  PacketHeader header(SET_COLOR_REDUCTION, 0);
  sender.SendPacket(header, {payload.data(), payload.size()});
}

ProgressiveRendering::ProgressiveRendering(settings::IniFile& ini, PacketSender& sender)
    : m_ini(ini), m_sender(sender) {}

uint32_t ProgressiveRendering::ReadSetting() {
  const std::string value = settings::ReadMisc(m_ini, "PROGRESSIVE_RENDERING");
  const RenderingMode* mode = FindByName(value);
  if (mode == nullptr) return ID_VIEW_COLOR;
  m_mode = mode->name;
  return mode->commandId;
}

void ProgressiveRendering::OnViewProgressiveRendering(uint32_t id, bool connected) {
  const RenderingMode* mode = FindById(id);
  if (mode == nullptr) throw TextError("Unexpected id.");
  settings::WriteMisc(m_ini, "PROGRESSIVE_RENDERING", mode->name);
  m_mode = mode->name;
  if (connected) SendColorLevels(m_sender, m_mode);
}

}  // namespace video
