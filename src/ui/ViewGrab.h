#pragma once
// A grab of the keyboard or the pointer by the view that gives way to modal
// dialogs: while one blocks the main window the grab is let go, so the dialog
// can be answered from the keyboard and the mouse, and it is taken again when
// the dialog has closed. The X server refuses a grab while another client
// (a window manager moving the focus) holds one, and drops it when the window
// is mapped anew (full screen without a window manager): it is asked for
// again until the server grants it.

#include <QObject>
#include <QTimer>

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
  // Brings the grab in line with what is wanted and allowed, and keeps asking
  // (a while) for what the server or a closing dialog did not yet allow.
  void Reconcile();
  void Retry(bool serverLostIt);
  bool Blocked() const;
  // Asks the X server for the grab; false when it refused.
  bool TakeFromServer();
  void Release();

  QWidget& m_view;
  Device m_device;
  bool m_wanted = false;
  bool m_held = false;     // Qt's grab, which routes the keys or the pointer to the view
  bool m_granted = false;  // the X server's, which routes them to this program
  bool m_blocked = false;
  QTimer m_retry;
  int m_retriesLeft = 0;
};

}  // namespace ui
