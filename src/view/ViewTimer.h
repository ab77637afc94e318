#pragma once
// The view's 10 ms timer: the session's own duties (keep-alive watch, a video
// block left standing), then a partial repaint once a change is old enough.

#include <cstdint>
#include <functional>
#include <utility>

#include "platform/Desktop.h"
#include "platform/WindowThread.h"
#include "video/FrameBuffer.h"
#include "view/ViewGeometry.h"

namespace view {

inline constexpr uint32_t VIEW_TIMER_PERIOD_MS = 10;

class ViewTimer {
 public:
  ViewTimer(video::FrameBuffer& bmp, ViewGeometry& geometry, platform::ViewWindow& view,
            platform::WindowThread& window, std::function<void()> sessionTick)
      : m_bmp(bmp),
        m_geometry(geometry),
        m_view(view),
        m_timer(window),
        m_sessionTick(std::move(sessionTick)) {}

  // Throws "SetTimer() failed:\n" when the window thread refuses the timer.
  void Start();
  void Stop() { m_timer.Stop(); }
  void Tick();
  // The repaint alone: a partial paint once the oldest change is old enough.
  void PaintIfDue();

 private:
  video::FrameBuffer& m_bmp;
  ViewGeometry& m_geometry;
  platform::ViewWindow& m_view;
  platform::Timer m_timer;
  std::function<void()> m_sessionTick;
};

}  // namespace view
