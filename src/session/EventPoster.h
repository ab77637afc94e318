#pragma once
// Carries the link's news to the window thread as tasks that lapse once the
// poster is gone: a task still queued when its session ends never reaches
// what the session has left behind. Post from any thread; the owner destroys
// the poster on the window thread, once its other threads have ended.

#include <memory>
#include <utility>

#include "platform/WindowThread.h"

namespace session {

class EventPoster {
 public:
  explicit EventPoster(platform::WindowThread& window) : m_window(window) {}

  // False when the window thread no longer runs tasks.
  bool Post(platform::Task task) const {
    return m_window.Post([alive = std::weak_ptr<const bool>(m_alive), task = std::move(task)] {
      if (alive.lock()) task();
    });
  }

 private:
  platform::WindowThread& m_window;
  const std::shared_ptr<const bool> m_alive = std::make_shared<const bool>(true);
};

}  // namespace session
