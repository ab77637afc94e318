#pragma once
// A grab of the keyboard or the pointer by the view that gives way to modal
// dialogs: while one blocks the main window the grab is let go, so the dialog
// can be answered from the keyboard and the mouse, and it is taken again when
// the dialog has closed.

#include <QObject>

class QWidget;

namespace ui {

class ViewGrab : public QObject {
 public:
  enum class Device { Keyboard, Pointer };

  ViewGrab(QWidget& view, Device device);
  ~ViewGrab() override;

  // Whether the view should hold the grab whenever nothing modal is up.
  void Want(bool wanted);
  bool IsWanted() const { return m_wanted; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Apply();

  QWidget& m_view;
  Device m_device;
  bool m_wanted = false;
  bool m_held = false;
  bool m_blocked = false;
};

}  // namespace ui
