#include "platform/HeadlessPointer.h"

#include <algorithm>
#include <utility>

#include "platform/TextError.h"

namespace platform {

HeadlessPointer::HeadlessPointer(MouseAcceleration acceleration) : m_acceleration(acceleration) {}

Point HeadlessPointer::ClampLocked(Point point) const {
  if (!m_confinement || m_confinement->IsEmpty()) return point;
  const Rect& area = *m_confinement;
  return {std::clamp(point.x, area.left, area.right - 1),
          std::clamp(point.y, area.top, area.bottom - 1)};
}

Point HeadlessPointer::CursorPosition() const {
  m_windowThread.Check("PointerDevice::CursorPosition");
  std::lock_guard lock(m_mutex);
  return m_position;
}

void HeadlessPointer::SetCursorPosition(Point screenPoint) {
  m_windowThread.Check("PointerDevice::SetCursorPosition");
  std::lock_guard lock(m_mutex);
  if (!m_moveFailure.empty()) throw TextError(m_moveFailure);
  m_position = ClampLocked(screenPoint);
  m_moves.push_back(m_position);
}

void HeadlessPointer::ShowCursor(bool visible) {
  m_windowThread.Check("PointerDevice::ShowCursor");
  std::lock_guard lock(m_mutex);
  m_visible = visible;
}

void HeadlessPointer::Confine(const std::optional<Rect>& screenArea) {
  m_windowThread.Check("PointerDevice::Confine");
  std::lock_guard lock(m_mutex);
  m_confinement = screenArea;
  m_position = ClampLocked(m_position);
}

std::optional<MouseAcceleration> HeadlessPointer::GetAcceleration() const {
  m_windowThread.Check("PointerDevice::GetAcceleration");
  std::lock_guard lock(m_mutex);
  if (!m_accelerationReadable) return std::nullopt;
  return m_acceleration;
}

bool HeadlessPointer::SetAcceleration(const MouseAcceleration& acceleration) {
  m_windowThread.Check("PointerDevice::SetAcceleration");
  std::lock_guard lock(m_mutex);
  m_acceleration = acceleration;
  m_accelerationChanges.push_back(acceleration);
  return true;
}

void HeadlessPointer::MoveByUser(Point screenPoint) {
  std::lock_guard lock(m_mutex);
  m_position = ClampLocked(screenPoint);
}

void HeadlessPointer::FailCursorMoves(std::string reason) {
  std::lock_guard lock(m_mutex);
  m_moveFailure = std::move(reason);
}

void HeadlessPointer::SetAccelerationReadable(bool readable) {
  std::lock_guard lock(m_mutex);
  m_accelerationReadable = readable;
}

bool HeadlessPointer::IsVisible() const {
  std::lock_guard lock(m_mutex);
  return m_visible;
}

std::optional<Rect> HeadlessPointer::Confinement() const {
  std::lock_guard lock(m_mutex);
  return m_confinement;
}

std::vector<Point> HeadlessPointer::CursorMoves() const {
  std::lock_guard lock(m_mutex);
  return m_moves;
}

std::vector<MouseAcceleration> HeadlessPointer::AccelerationChanges() const {
  std::lock_guard lock(m_mutex);
  return m_accelerationChanges;
}

}  // namespace platform
