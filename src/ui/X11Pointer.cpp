#include "ui/X11Pointer.h"

#include <QCursor>
#include <QWidget>

#include "ui/X11Display.h"

// X11's headers define names (None, Bool, Status) that clash with Qt's: last.
#include <X11/Xlib.h>

namespace ui {

X11Pointer::X11Pointer(QWidget& view) : m_view(view), m_display(X11DisplayOrNull()) {}

platform::Point X11Pointer::CursorPosition() const {
  const QPoint at = QCursor::pos();
  return {at.x(), at.y()};
}

void X11Pointer::SetCursorPosition(platform::Point screenPoint) {
  QCursor::setPos(screenPoint.x, screenPoint.y);
}

void X11Pointer::ShowCursor(bool visible) {
  if (visible)
    m_view.unsetCursor();
  else
    m_view.setCursor(Qt::BlankCursor);
}

// While confined the view holds the pointer grab, so the cursor's movements
// keep coming to it even at the window's edge.
void X11Pointer::Confine(const std::optional<platform::Rect>& screenArea) {
  if (screenArea && !m_confined) {
    m_view.grabMouse();
    m_confined = true;
  } else if (!screenArea && m_confined) {
    m_view.releaseMouse();
    m_confined = false;
  }
}

// The classic triple's acceleration (0 none, 1 double, 2 quadruple past the
// second threshold) as X's numerator over 1, its first threshold as X's one.
std::optional<platform::MouseAcceleration> X11Pointer::GetAcceleration() const {
  if (!m_display) return std::nullopt;
  int numerator = 1, denominator = 1, threshold = 0;
  XGetPointerControl(m_display, &numerator, &denominator, &threshold);
  const int factor = denominator > 0 ? numerator / denominator : 1;
  platform::MouseAcceleration acceleration;
  acceleration.threshold1 = threshold;
  acceleration.threshold2 = m_threshold2;
  acceleration.acceleration = factor >= 4 ? 2 : factor >= 2 ? 1 : 0;
  return acceleration;
}

bool X11Pointer::SetAcceleration(const platform::MouseAcceleration& acceleration) {
  if (!m_display) return false;
  m_threshold2 = acceleration.threshold2;
  const int numerator = acceleration.acceleration >= 2 ? 4 : acceleration.acceleration == 1 ? 2 : 1;
  XChangePointerControl(m_display, True, True, numerator, 1, acceleration.threshold1);
  XFlush(m_display);
  return true;
}

}  // namespace ui
