#pragma once
// The local pointer: Qt's cursor position, the view's cursor shape, a pointer
// grab on the view for confinement, and the acceleration through X's pointer
// control, whose three numbers the triple carries as they are (threshold,
// denominator, numerator), so that what is restored is exactly what was read;
// (0, 0, 0) is no acceleration. Without an X display the acceleration cannot
// be read or set.

#include "platform/Desktop.h"
#include "ui/ViewGrab.h"

class QWidget;
struct _XDisplay;

namespace ui {

class X11Pointer : public platform::PointerDevice {
 public:
  explicit X11Pointer(QWidget& view);

  platform::Point CursorPosition() const override;
  void SetCursorPosition(platform::Point screenPoint) override;
  void ShowCursor(bool visible) override;
  void Confine(const std::optional<platform::Rect>& screenArea) override;
  std::optional<platform::MouseAcceleration> GetAcceleration() const override;
  bool SetAcceleration(const platform::MouseAcceleration& acceleration) override;

 private:
  QWidget& m_view;
  _XDisplay* m_display;
  ViewGrab m_grab;
};

}  // namespace ui
