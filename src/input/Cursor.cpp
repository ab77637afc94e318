#include "input/Cursor.h"

#include "platform/TextError.h"

namespace input {

platform::Point CenterCursor(const platform::ViewWindow& view, platform::PointerDevice& pointer) {
  const auto client = view.ClientRect();
  const auto origin = view.ClientOrigin();
  if (!client || !origin) throw TextError("No curent window in CenterCursor().");
  const platform::Point centre{client->Width() / 2, client->Height() / 2};
  try {
    pointer.SetCursorPosition({origin->x + centre.x, origin->y + centre.y});
  } catch (const TextError& e) {
    throw TextError("Could not center cursor: " + e.Text());
  }
  return centre;
}

void CaptureCursor(const platform::ViewWindow& view, platform::PointerDevice& pointer) {
  pointer.ShowCursor(false);
  pointer.Confine(view.WindowRect());
}

void ReleaseCursor(platform::PointerDevice& pointer) {
  pointer.ShowCursor(true);
  pointer.Confine(std::nullopt);
}

}  // namespace input
