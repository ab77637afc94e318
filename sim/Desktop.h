#pragma once
// The target computer's screen as the unit digitises it: a desktop with a gradient, a Notes
// window holding what was typed, a colour chart, a moving block, a clock and a pointer. It is
// drawn at whatever size the viewer asks for, since the unit does the scaling.

#include <cstdint>

#include "Notes.h"
#include "Picture.h"

namespace sim {

class Desktop {
 public:
  Desktop();

  Notes& NotesWindow() { return m_notes; }

  // The screen at animation step `frame`, reduced to a colour level (0 black and white,
  // 1 grey, anything else colour).
  Picture Render(int width, int height, std::uint32_t frame, int level) const;

 private:
  Notes m_notes;
};

}  // namespace sim
