#pragma once
// The input of the view: the window hands its keys, mouse and focus changes
// here as values, and they go straight to the keyboard and mouse pipelines
// (only while connected). The dispatcher's input handlers (lock lights,
// pass-through) and the view's changes for the mouse come here too. A failure
// on the way ends the connection as a packet's failure does.

#include "input/KeyEvent.h"
#include "input/KeyboardPipeline.h"
#include "input/MouseEvent.h"
#include "input/MousePipeline.h"
#include "platform/Desktop.h"
#include "session/Session.h"
#include "view/DispatchPorts.h"
#include "view/KVMDispatcher.h"
#include "view/ViewGeometry.h"

namespace core {

class ViewInput : public view::InputHandlers, public view::ViewChangeListener {
 public:
  ViewInput(session::Session& session, platform::ViewWindow& view,
            input::KeyboardPipeline& keyboard, input::MousePipeline& mouse,
            view::VideoHandlers& video, view::KVMDispatcher& failures)
      : m_session(session),
        m_view(view),
        m_keyboard(keyboard),
        m_mouse(mouse),
        m_video(video),
        m_failures(failures) {}

  // True when the key was consumed; false leaves it to the window's own handling.
  bool HandleKey(const input::KeyEvent& key);
  void HandleMouse(const input::MouseEvent& event);
  void HandleFocus(bool gained);

  // view::InputHandlers.
  void HandleLeds(const PacketHeader& header) override { m_keyboard.HandleKbdLEDs(header); }
  void ForcePassthruMode(bool on) override { m_keyboard.ForcePassthruMode(on); }
  void PassThroughCommand() override { m_keyboard.OnACTIONSPassThrough(); }

  // view::ViewChangeListener.
  void MarkViewChange() override { m_mouse.MarkViewChange(); }

 private:
  // Runs work; a failure goes to the dispatcher's failure handling.
  template <class Work>
  void Guarded(Work work);

  session::Session& m_session;
  platform::ViewWindow& m_view;
  input::KeyboardPipeline& m_keyboard;
  input::MousePipeline& m_mouse;
  view::VideoHandlers& m_video;
  view::KVMDispatcher& m_failures;
};

}  // namespace core
