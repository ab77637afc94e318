#pragma once
// The target computer's screen as the unit digitises it: a desktop with a gradient, a Notes
// window holding what was typed, a colour chart, a moving block, a clock and a pointer. It is
// drawn at whatever size the viewer asks for, since the unit does the scaling.

#include <cstdint>
#include <optional>

#include "Colour.h"
#include "Notes.h"
#include "Picture.h"
#include "ScreenChanges.h"

namespace sim {

class Desktop {
 public:
  Desktop();

  Notes& NotesWindow() { return m_notes; }

  // The screen at animation step `frame`, reduced to a colour level (0 black and white,
  // 1 grey, anything else colour).
  Picture Render(int width, int height, std::uint32_t frame, int level) const;

  // Paints the marked square or the whole screen in a plain colour that differs from every
  // colour painted so far and still showing, so that each change shows on every pixel it
  // covers; answers the colour. A whole-screen colour covers the marked square too.
  Rgb Change(ScreenChange change);

 private:
  Notes m_notes;
  std::optional<Rgb> m_wholeColour;
  std::optional<Rgb> m_markColour;
  unsigned m_nextColour = 0;
};

// The 32 x 32 square in the middle of the screen that ScreenChange::Mark paints.
Rect MarkedArea(int width, int height);

}  // namespace sim
