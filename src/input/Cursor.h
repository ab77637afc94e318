#pragma once
// The local cursor while the remote computer has the mouse: hidden, held
// inside the view and put back in its middle. Window thread only.

#include "platform/Desktop.h"

namespace input {

// The middle of the view's client area, where the cursor is put back after
// every movement. Throws "No curent window in CenterCursor()." without a view.
platform::Point ClientCentre(const platform::ViewWindow& view);
// Puts the cursor in the middle of the view; returns that point in client
// coordinates. Throws "No curent window in CenterCursor()." without a view.
platform::Point CenterCursor(const platform::ViewWindow& view, platform::PointerDevice& pointer);
// Hidden and confined to the view's window.
void CaptureCursor(const platform::ViewWindow& view, platform::PointerDevice& pointer);
// Shown and free again.
void ReleaseCursor(platform::PointerDevice& pointer);

}  // namespace input
