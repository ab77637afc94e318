#include "view/ViewPaint.h"

#include <algorithm>

#include "platform/Trace.h"

namespace view {
namespace {

using platform::Rect;

constexpr int TITLE_WIDTH_DIVISOR = 9;
constexpr int TITLE_HEIGHT_DIVISOR = 15;

Rect Intersect(const Rect& a, const Rect& b) {
  const Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
  return r.IsEmpty() ? Rect{} : r;
}

}  // namespace

PaintPlan PlanPaint(const PaintInputs& in) {
  PaintPlan plan;
  const Rect picture{0, 0, in.picture.width, in.picture.height};
  // Video may mark columns past the picture's edge; nothing outside it is read.
  plan.source = Intersect(in.dirty, picture);

  int xOffset = 0;
  int yOffset = 0;
  int xScroll = 0;
  int yScroll = 0;
  if (in.connected) {
    if (in.client.Width() > in.picture.width) xOffset = (in.client.Width() - in.picture.width) / 2;
    if (in.client.Height() > in.picture.height)
      yOffset = (in.client.Height() - in.picture.height) / 2;
    xScroll = std::max(0, in.horizontalScroll);
    yScroll = std::max(0, in.verticalScroll);
  }
  plan.destination = {plan.source.left + (xOffset ? xOffset : -xScroll),
                      plan.source.top + (yOffset ? yOffset : -yScroll)};

  if ((xOffset || yOffset) && !in.partial) {
    const Rect shown{xOffset, yOffset, xOffset + in.picture.width, yOffset + in.picture.height};
    const Rect& c = in.client;
    for (const Rect& margin :
         {Rect{c.left, c.top, shown.left, c.bottom}, Rect{shown.right, c.top, c.right, c.bottom},
          Rect{shown.left, c.top, shown.right, shown.top},
          Rect{shown.left, shown.bottom, shown.right, c.bottom}})
      if (!margin.IsEmpty()) plan.margins.push_back(margin);
  }

  if (!in.connected) {
    NotConnectedText text;
    text.detail = "Not connected to " + in.targetName;
    text.fontHeight = std::min(in.client.Width() / TITLE_WIDTH_DIVISOR,
                               in.client.Height() / TITLE_HEIGHT_DIVISOR);
    text.area = in.client;
    plan.notConnected = text;
  }
  return plan;
}

bool ViewPainter::PaintWindow(bool connected, const std::string& targetName, const Drawer& draw) {
  if (m_inPaint) return false;
  m_inPaint = true;
  const auto start = std::chrono::steady_clock::now();

  const bool partial = m_geometry.PartialPaint();
  // Taken and emptied before drawing: rows the monitor thread decodes while
  // this paint runs stay dirty for the next one instead of being lost.
  video::DirtyRect dirty = m_bmp.Repaint().TakeDirtyRect();
  if (dirty.IsEmpty() || !partial) {
    const platform::Size picture = m_bmp.Size();
    dirty = {0, 0, picture.width, picture.height};
  }
  m_bmp.Repaint().SetPainting(true);

  PaintInputs in;
  in.connected = connected;
  in.partial = partial;
  in.dirty = {dirty.left, dirty.top, dirty.right, dirty.bottom};
  in.picture = m_bmp.Size();
  in.client = m_view.ClientRect().value_or(Rect{});
  if (!m_geometry.IsScaled() && !m_geometry.FullScreen().on) {
    in.horizontalScroll = m_geometry.Bars().Position(platform::ScrollBar::Horizontal);
    in.verticalScroll = m_geometry.Bars().Position(platform::ScrollBar::Vertical);
  }
  in.targetName = targetName;
  const PaintPlan plan = PlanPaint(in);

  try {
    m_bmp.ReadPixels([&](const video::PixelView& pixels) { draw(plan, pixels); });
  } catch (...) {
    m_geometry.SetPartialPaint(false);
    m_bmp.Repaint().MarkAllDirty();  // nothing is known to be shown
    m_bmp.Repaint().SetPainting(false);
    m_inPaint = false;
    throw;
  }
  m_geometry.SetPartialPaint(false);
  m_bmp.Repaint().SetPainting(false);
  m_inPaint = false;

  const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  ++m_paints;
  m_totalTime += elapsed;
  m_totalArea += static_cast<double>(plan.source.Width()) * plan.source.Height();
  TraceCategory(5, DRAW_TIME_CATEGORY,
                "after %d reps, Total Drawing Time: %d  Average Drawing Time: %d  Average Area "
                "%4.0f square\n",
                static_cast<int>(m_paints), static_cast<int>(m_totalTime.count()),
                static_cast<int>(m_totalTime.count() / m_paints), m_totalArea / m_paints);
  return true;
}

}  // namespace view
