#include "input/Cursor.h"

#include "platform/TextError.h"

namespace input {

namespace {

constexpr const char* NO_WINDOW = "No curent window in CenterCursor().";

}  // namespace

platform::Point ClientCentre(const platform::ViewWindow& view) {
  const auto client = view.ClientRect();
  if (!client) throw TextError(NO_WINDOW);
  return {client->Width() / 2, client->Height() / 2};
}

platform::Point CenterCursor(const platform::ViewWindow& view, platform::PointerDevice& pointer) {
  const platform::Point centre = ClientCentre(view);
  const auto origin = view.ClientOrigin();
  if (!origin) throw TextError(NO_WINDOW);
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
