#include "ui/X11Pointer.h"

#include <QCursor>
#include <QWidget>
#include <algorithm>

#include "ui/X11Display.h"

// X11's headers define names (None, Bool, Status) that clash with Qt's: last.
#include <X11/Xlib.h>

namespace ui {

X11Pointer::X11Pointer(QWidget& view)
    : m_view(view), m_display(X11DisplayOrNull()), m_grab(view, ViewGrab::Device::Pointer) {}

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
  m_grab.Want(screenArea.has_value());
}

std::optional<platform::MouseAcceleration> X11Pointer::GetAcceleration() const {
  if (!m_display) return std::nullopt;
  int numerator = 1, denominator = 1, threshold = 0;
  XGetPointerControl(m_display, &numerator, &denominator, &threshold);
  return platform::MouseAcceleration{threshold, denominator, numerator};
}

bool X11Pointer::SetAcceleration(const platform::MouseAcceleration& acceleration) {
  if (!m_display) return false;
  const bool none = acceleration.acceleration <= 0 || acceleration.threshold2 <= 0;
  XChangePointerControl(m_display, True, True, none ? 1 : acceleration.acceleration,
                        none ? 1 : acceleration.threshold2, std::max(acceleration.threshold1, 0));
  XFlush(m_display);
  return true;
}

}  // namespace ui
