#pragma once
// The X display Qt runs on, or nothing on any other session (offscreen,
// Wayland): the X side of the keyboard and pointer then stands aside.

struct _XDisplay;

namespace ui {

_XDisplay* X11DisplayOrNull();

}  // namespace ui
