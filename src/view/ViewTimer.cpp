#include "view/ViewTimer.h"

#include "platform/TextError.h"

namespace view {

void ViewTimer::Start() {
  try {
    m_timer.Start(VIEW_TIMER_PERIOD_MS, [this] { Tick(); });
  } catch (const std::exception& e) {
    throw TextError(std::string("SetTimer() failed:\n") + e.what());
  }
}

void ViewTimer::Tick() {
  if (m_sessionTick) m_sessionTick();
  PaintIfDue();
}

void ViewTimer::PaintIfDue() {
  if (!m_bmp.Repaint().IsRepaintDue()) return;
  m_geometry.SetPartialPaint(true);
  m_view.Invalidate(std::nullopt, false);
}

}  // namespace view
