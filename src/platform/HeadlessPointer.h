#pragma once
// A pointer without hardware: the cursor position, visibility, confinement and
// acceleration live here, can be set by the test, and every change the core
// makes is recorded.

#include <mutex>
#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "platform/WindowThreadCheck.h"

namespace platform {

class HeadlessPointer : public PointerDevice {
 public:
  explicit HeadlessPointer(MouseAcceleration acceleration = {6, 10, 1});

  Point CursorPosition() const override;
  void SetCursorPosition(Point screenPoint) override;
  void ShowCursor(bool visible) override;
  void Confine(const std::optional<Rect>& screenArea) override;
  std::optional<MouseAcceleration> GetAcceleration() const override;
  bool SetAcceleration(const MouseAcceleration& acceleration) override;

  // Set-up: the local user moving the mouse (confinement applies); a failure
  // text for cursor moves (empty: they succeed); unreadable acceleration.
  void MoveByUser(Point screenPoint);
  void FailCursorMoves(std::string reason);
  void SetAccelerationReadable(bool readable);

  // Inspection.
  bool IsVisible() const;
  std::optional<Rect> Confinement() const;
  std::vector<Point> CursorMoves() const;  // positions set by the core
  std::vector<MouseAcceleration> AccelerationChanges() const;

 private:
  Point ClampLocked(Point point) const;

  mutable std::mutex m_mutex;
  Point m_position;
  bool m_visible = true;
  std::optional<Rect> m_confinement;
  MouseAcceleration m_acceleration;
  bool m_accelerationReadable = true;
  std::string m_moveFailure;
  std::vector<Point> m_moves;
  std::vector<MouseAcceleration> m_accelerationChanges;
  WindowThreadCheck m_windowThread;
};

}  // namespace platform
