#pragma once
// What a paint of the view puts where: the part of the frame buffer to copy
// and its place in the window (centred when the window is larger than the
// picture, shifted by the scroll positions otherwise), the dark grey margins
// around a centred picture, and the "Not Connected" text. The painter of the
// graphical shell only carries out this plan.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "video/FrameBuffer.h"
#include "view/ViewGeometry.h"

namespace view {

inline constexpr int PAINT_WINDOW_CATEGORY = 1700;
inline constexpr int DRAW_TIME_CATEGORY = 450;

struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb MARGIN_COLOUR{64, 64, 64};  // the dark grey stock brush

// Shown in place of the remote screen while no connection is up.
struct NotConnectedText {
  std::string title = "Not Connected";
  std::string detail;  // "Not connected to " + the target's name
  std::string font = "Ariel";
  int fontHeight = 0;
  Rgb text{255, 255, 255};
  Rgb background{0, 0, 128};
  platform::Rect area;  // the client area, both lines centred in it
};

struct PaintPlan {
  platform::Rect source;  // in picture coordinates (0,0 the top left)
  platform::Point destination;
  std::vector<platform::Rect> margins;
  std::optional<NotConnectedText> notConnected;
};

struct PaintInputs {
  bool connected = false;
  bool partial = false;  // only the dirty part is to be painted
  platform::Rect dirty;  // already the whole picture when the paint is not partial
  platform::Size picture;
  platform::Rect client;
  // Scroll positions, -1 while the bar is absent; ignored unless scrolled.
  int horizontalScroll = -1;
  int verticalScroll = -1;
  std::string targetName;
};

PaintPlan PlanPaint(const PaintInputs& inputs);

// Carries out a paint as the view's paint handler: takes the dirty part (or
// everything), plans it, and hands the plan with the pixels to the drawer
// under the frame buffer's lock, then empties the dirty rectangle.
class ViewPainter {
 public:
  using Drawer = std::function<void(const PaintPlan&, const video::PixelView&)>;

  ViewPainter(video::FrameBuffer& bmp, ViewGeometry& geometry, const platform::ViewWindow& view)
      : m_bmp(bmp), m_geometry(geometry), m_view(view) {}

  // False when skipped: a paint that begins while another runs (the drawer
  // pumped messages) does nothing.
  bool PaintWindow(bool connected, const std::string& targetName, const Drawer& draw);

 private:
  video::FrameBuffer& m_bmp;
  ViewGeometry& m_geometry;
  const platform::ViewWindow& m_view;
  bool m_inPaint = false;
  uint32_t m_paints = 0;
  std::chrono::microseconds m_totalTime{0};
  double m_totalArea = 0;
};

}  // namespace view
