#include "video/ColorAnalysis.h"

#include <algorithm>
#include <unordered_set>

#include "platform/Format.h"
#include "platform/Trace.h"

namespace video {
ColorCount CountColors(const FrameBuffer& bmp, const platform::Rect& area) {
  return bmp.ReadPixels([&](const PixelView& view) {
    ColorCount count;
    std::unordered_set<uint32_t> seen;
    uint32_t previous = 0;
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        uint32_t value = previous;
        if (view.data && x >= 0 && x < view.width && y >= 0 && y < view.height) {
          const uint8_t* pixel = view.Row(y) + 3 * x;
          value = pixel[0] | (pixel[1] << 8) | (pixel[2] << 16);
        }
        if (x != area.left && value != previous) ++count.transitions;
        previous = value;
        if (seen.insert(value).second && seen.size() == MAX_DISTINCT_COLORS) {
          count.distinct = MAX_DISTINCT_COLORS;
          return count;
        }
      }
    }
    count.distinct = static_cast<int>(seen.size());
    return count;
  });
}

std::string ColorCountText(const platform::Rect& area, const ColorCount& count) {
  return Format(
      "In this rectangle:\n    UL = %d, %d    LR = %d, %d\nFound %d distinct values and %d "
      "transitions.\n",
      area.left, area.top, area.right, area.bottom, count.distinct, count.transitions);
}

void ColorAnalysis::OnButtonDown(platform::Point at) { m_corner = at; }

std::string ColorAnalysis::OnButtonUp(platform::Point other, const FrameBuffer& bmp) {
  m_armed = false;
  const platform::Rect area{std::min(m_corner.x, other.x), std::min(m_corner.y, other.y),
                            std::max(m_corner.x, other.x), std::max(m_corner.y, other.y)};
  return ColorCountText(area, CountColors(bmp, area));
}

std::vector<CubeColor> MakeColorCube(int colors) {
  colors = std::clamp(colors, 1, MAX_CUBE_COLORS);
  // Two levels at least: one level would make the step a division by zero.
  int k = 3;
  while (k * k * k < colors) ++k;
  const int levels = k - 1;
  std::vector<int> level(static_cast<size_t>(levels));
  for (int i = 0; i < levels; ++i) level[static_cast<size_t>(i)] = 255 - i * 255 / (k - 2);

  std::vector<CubeColor> cube;
  cube.reserve(static_cast<size_t>(levels * levels * levels));
  for (int red : level)
    for (int green : level)
      for (int blue : level) cube.push_back({red, green, blue});
  Trace("Actual colors: %d\n", static_cast<int>(cube.size()));
  for (size_t i = 0; i < cube.size(); ++i)
    Trace("%5d.  from %3d, %3d, %3d", static_cast<int>(i), cube[i].red, cube[i].green,
          cube[i].blue);
  return cube;
}

}  // namespace video
