#pragma once
// Colour diagnostics: counting the distinct colours and the changes between
// neighbours in a rectangle of the frame buffer, dragged out with the mouse,
// and the colour cube the unit's reduction uses for a number of colours.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "video/FrameBuffer.h"

namespace video {

inline constexpr uint32_t ID_COLOR_ANALYSIS = 32919;
inline constexpr uint32_t ID_MAKE_COLOR_TABLE = 32886;
inline constexpr uint32_t ID_MAKE_COLOR_TABLE_DYNAMIC = 32889;
// Counting stops once this many distinct colours are found.
inline constexpr int MAX_DISTINCT_COLORS = 10000;
inline constexpr int MAX_CUBE_COLORS = 65535;
inline constexpr int COLOR_CUBE_DEMO_COLORS = 10;

struct ColorCount {
  int distinct = 0;
  int transitions = 0;
};

// Rows top..bottom-1, columns left..right-1 of the picture; a pixel outside
// it repeats the one before.
ColorCount CountColors(const FrameBuffer& bmp, const platform::Rect& area);
std::string ColorCountText(const platform::Rect& area, const ColorCount& count);

// Armed by its command; while armed (and not in pass-through) the view's left
// button goes here. Window thread only.
class ColorAnalysis {
 public:
  void Arm() { m_armed = true; }
  bool IsArmed() const { return m_armed; }
  // at: view client coordinates.
  void OnButtonDown(platform::Point at);
  // Disarms and answers the text for the operator's information box.
  std::string OnButtonUp(platform::Point at, const FrameBuffer& bmp);

 private:
  bool m_armed = false;
  platform::Point m_corner;
};

struct CubeColor {
  int red = 0;
  int green = 0;
  int blue = 0;
  friend bool operator==(const CubeColor&, const CubeColor&) = default;
};

// Levels per channel from 255 down to 0, as many as the largest cube with
// fewer than `colors` entries allows (at least two); traced entry by entry.
std::vector<CubeColor> MakeColorCube(int colors);

}  // namespace video
