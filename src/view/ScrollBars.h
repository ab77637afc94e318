#pragma once
// The scroll bars of the scrolled view: which bars a picture larger than the
// client area needs, where each stands, and the operator's moves of them.
// They live on the view window; this class keeps the positions the painting
// reads, -1 while a bar is absent.

#include "platform/Desktop.h"

namespace view {

inline constexpr int SCROLL_BARS_CATEGORY = 1710;

enum class ScrollAction { LineUp, LineDown, PageUp, PageDown, Track, ToMinimum, ToMaximum };

class ScrollBars {
 public:
  explicit ScrollBars(platform::ViewWindow& view) : m_view(view) {}

  // Shows the bars a picture needs in the client area when bars are allowed
  // at all, and hides them otherwise; a bar keeps its position where it can.
  void Place(const platform::Rect& client, platform::Size picture, bool allowed);
  // The operator's move of a bar (thumb for Track), then the view is
  // repainted. Nothing happens to a hidden bar. Throws TextError.
  void Scroll(platform::ScrollBar bar, ScrollAction action, platform::Size picture, int thumb = 0);
  int Position(platform::ScrollBar bar) const;

 private:
  int& PositionOf(platform::ScrollBar bar);

  platform::ViewWindow& m_view;
  int m_vertical = -1;
  int m_horizontal = -1;
};

}  // namespace view
