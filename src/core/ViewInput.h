#pragma once
// The dispatcher's input handlers: keyboard, focus, lock lights and
// pass-through go to the keyboard pipeline, the mouse to the mouse pipeline,
// which also hears of changes of the view.

#include "input/KeyboardPipeline.h"
#include "input/MousePipeline.h"
#include "view/DispatchPorts.h"
#include "view/ViewGeometry.h"

namespace core {

class ViewInput : public view::InputHandlers, public view::ViewChangeListener {
 public:
  ViewInput(input::KeyboardPipeline& keyboard, input::MousePipeline& mouse)
      : m_keyboard(keyboard), m_mouse(mouse) {}

  void HandleLeds(const PacketHeader& header) override { m_keyboard.HandleKbdLEDs(header); }
  void HandleFocus(const platform::Message& message) override { m_keyboard.HandleFocus(message); }
  bool HandleKeyboard(const platform::Message& message) override;
  void HandleMouse(const platform::Message& message) override;
  bool IsPassthru() const override { return m_keyboard.IsPassthru(); }
  void ForcePassthruMode(bool on) override { m_keyboard.ForcePassthruMode(on); }
  void PassThroughCommand() override { m_keyboard.OnACTIONSPassThrough(); }

  // view::ViewChangeListener.
  void MarkViewChange() override { m_mouse.MarkViewChange(); }

 private:
  input::KeyboardPipeline& m_keyboard;
  input::MousePipeline& m_mouse;
};

}  // namespace core
