#pragma once
// The dispatcher's input handlers: keyboard, focus, lock lights and
// pass-through go to the keyboard pipeline. (The mouse pipeline joins here.)

#include "input/KeyboardPipeline.h"
#include "view/DispatchPorts.h"

namespace core {

class ViewInput : public view::InputHandlers {
 public:
  explicit ViewInput(input::KeyboardPipeline& keyboard) : m_keyboard(keyboard) {}

  void HandleLeds(const PacketHeader& header) override { m_keyboard.HandleKbdLEDs(header); }
  void HandleFocus(const platform::Message& message) override { m_keyboard.HandleFocus(message); }
  bool HandleKeyboard(const platform::Message& message) override;
  bool IsPassthru() const override { return m_keyboard.IsPassthru(); }
  void ForcePassthruMode(bool on) override { m_keyboard.ForcePassthruMode(on); }
  void PassThroughCommand() override { m_keyboard.OnACTIONSPassThrough(); }

 private:
  input::KeyboardPipeline& m_keyboard;
};

}  // namespace core
