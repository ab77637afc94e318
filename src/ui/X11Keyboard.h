#pragma once
// The local keyboard over X: key states from the server's key map, lock
// lights through XKB, synthetic keys through XTest, and the keyboard hook as
// a keyboard grab on the view. Without an X display the keyboard knows only
// the keys the view has seen and the lights it was told, and injects nothing.

#include <set>

#include "platform/Desktop.h"
#include "ui/ViewGrab.h"

class QWidget;
struct _XDisplay;

namespace ui {

class X11Keyboard : public platform::KeyboardDevice {
 public:
  explicit X11Keyboard(QWidget& view);

  // Keeps the key state of a session without X up to date.
  void NoteKey(int virtualKey, bool down);
  bool HasDisplay() const { return m_display != nullptr; }

  bool IsKeyDown(int virtualKey) const override;
  uint8_t LockLights() const override;
  void SetLockLights(uint8_t lights) override;
  void SendSyntheticKey(int virtualKey, int scanCode, bool keyUp) override;
  bool StartGrab() override;
  void EndGrab() override;
  bool IsGrabbed() const override { return m_grab.IsWanted(); }
  std::string LayoutName() const override;

 private:
  QWidget& m_view;
  _XDisplay* m_display;
  std::set<int> m_down;
  uint8_t m_lights = 0;
  ViewGrab m_grab;
};

}  // namespace ui
