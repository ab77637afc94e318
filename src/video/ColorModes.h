#pragma once
// Colour levels and progressive rendering. The unit reduces the colours it
// sends and may first send a cheap picture (black and white, or grey) that it
// then refines; the viewer picks the starting and final levels by naming one
// of six rendering modes, stored by name in the settings.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "settings/IniFile.h"
#include "protocol/PacketSender.h"

namespace video {

inline constexpr uint8_t COLOR_LEVEL_BLACK_WHITE = 0;
inline constexpr uint8_t COLOR_LEVEL_GREY = 1;
inline constexpr uint8_t COLOR_LEVEL_COLOR = 2;
inline constexpr uint8_t COLOR_LEVEL_NONE = 255;

// The View menu's radio group of rendering modes.
inline constexpr uint32_t ID_VIEW_COLOR = 32848;
inline constexpr uint32_t ID_VIEW_GRAY = 32849;
inline constexpr uint32_t ID_VIEW_256_COLOR = 32850;
inline constexpr uint32_t ID_VIEW_PROGRESSIVE_GREY_TO_COLOR = 32851;
inline constexpr uint32_t ID_VIEW_PROGRESSIVE_BW_TO_COLOR = 32852;
inline constexpr uint32_t ID_VIEW_PROGRESSIVE_BW_TO_GREY = 32853;
inline constexpr uint32_t ID_COLOR_REDUCTION = 32890;

inline constexpr size_t COLOR_REDUCTION_PAYLOAD_BYTES = 28;
inline constexpr const char* RENDERING_PROBLEM_TEXT =
    "Problem in \nvoid CBrenvikView::OnViewProgressiveRendering(UINT id)\n";

struct RenderingMode {
  std::string_view name;
  uint8_t low;
  uint8_t high;
  uint32_t commandId;
  std::string_view menuText;
};

std::span<const RenderingMode> RenderingModes();
// Names compare exactly; any other text gives COLOR_LEVEL_NONE.
uint8_t LowLevel(std::string_view mode);
uint8_t HighLevel(std::string_view mode);

// CHANGE_COLOR_LO_HI: the low level, then the high level.
std::array<uint8_t, 2> ColorLevelsPayload(std::string_view mode);
void SendColorLevels(PacketSender& sender, std::string_view mode);
// SET_COLOR_REDUCTION: snap value, number of colours (32-bit little-endian),
// then 20 reserved zero bytes.
std::array<uint8_t, COLOR_REDUCTION_PAYLOAD_BYTES> ColorReductionPayload(uint32_t snapValue,
                                                                         uint32_t numColors);
void SendColorReduction(PacketSender& sender, uint32_t snapValue, uint32_t numColors);

// The process's current rendering mode (empty until a valid one is chosen)
// and the View menu commands that change it. Window thread only.
class ProgressiveRendering {
 public:
  ProgressiveRendering(settings::IniFile& ini, PacketSender& sender);

  // At the view's first update: takes PROGRESSIVE_RENDERING from the
  // settings and answers the menu entry to mark.
  uint32_t ReadSetting();
  // The View menu handler. Stores the mode, makes it current and, when
  // connected, tells the unit. Throws "Unexpected id." for an id outside the group.
  void OnViewProgressiveRendering(uint32_t id, bool connected);

  const std::string& CurrentMode() const { return m_mode; }
  // What the login's initial packets send.
  void SendCurrentLevels() { SendColorLevels(m_sender, m_mode); }

 private:
  settings::IniFile& m_ini;
  PacketSender& m_sender;
  std::string m_mode;
};

}  // namespace video
