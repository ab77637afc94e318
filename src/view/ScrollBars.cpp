#include "view/ScrollBars.h"

#include <algorithm>
#include <optional>

#include "platform/TextError.h"
#include "platform/Trace.h"

namespace view {

using platform::Rect;
using platform::ScrollBar;
using platform::ScrollBarState;
using platform::Size;

void ScrollBars::Place(const Rect& client, Size picture, bool allowed) {
  const Size thickness = m_view.ScrollBarThickness();
  bool vertical = allowed && client.Height() < picture.height;
  bool horizontal = allowed && client.Width() - (vertical ? thickness.width : 0) < picture.width;
  // A horizontal bar takes height, which may call for the vertical one after all.
  if (horizontal && !vertical) vertical = client.Height() - thickness.height < picture.height;
  const int pageHeight = client.Height() - (horizontal ? thickness.height : 0);
  const int pageWidth = client.Width() - (vertical ? thickness.width : 0);

  auto place = [&](ScrollBar bar, bool show, int extent, int page, const char* add,
                   const char* remove) {
    int& position = PositionOf(bar);
    if (!show) {
      TraceCategory(5, SCROLL_BARS_CATEGORY, "%s", remove);
      position = -1;
      m_view.SetScrollBar(bar, ScrollBarState{false, 0, 0, 0, -1});
      return;
    }
    TraceCategory(5, SCROLL_BARS_CATEGORY, "%s", add);
    position = std::clamp(position, 0, std::max(0, extent - page));
    m_view.SetScrollBar(bar, ScrollBarState{true, 0, extent - 1, page, position});
  };
  place(ScrollBar::Vertical, vertical, picture.height, pageHeight, "ADD v SCROLL BAR\n",
        "REMOVE V SCROLL BAR\n");
  place(ScrollBar::Horizontal, horizontal, picture.width, pageWidth, "ADD H SCROLL BAR\n",
        "REMOVE H SCROLL BAR\n");
}

int ScrollBars::Position(ScrollBar bar) const {
  return bar == ScrollBar::Vertical ? m_vertical : m_horizontal;
}

int& ScrollBars::PositionOf(ScrollBar bar) {
  return bar == ScrollBar::Vertical ? m_vertical : m_horizontal;
}

void ScrollBars::Scroll(ScrollBar bar, ScrollAction action, Size picture, int thumb) {
  ScrollBarState state = m_view.GetScrollBar(bar);
  if (!state.visible) return;
  const int extent = bar == ScrollBar::Vertical ? picture.height : picture.width;
  const int line = (extent - 1) / 10;
  const int page = state.page * 8 / 10;
  const int last = std::max(state.minimum, state.maximum - state.page + 1);
  int position = std::max(state.position, state.minimum);
  switch (action) {
    case ScrollAction::LineUp:
      position -= line;
      break;
    case ScrollAction::LineDown:
      position += line;
      break;
    case ScrollAction::PageUp:
      position -= page;
      break;
    case ScrollAction::PageDown:
      position += page;
      break;
    case ScrollAction::Track:
      position = thumb;
      break;
    case ScrollAction::ToMinimum:
      position = state.minimum;
      break;
    case ScrollAction::ToMaximum:
      position = last;
      break;
  }
  state.position = std::clamp(position, state.minimum, last);
  m_view.SetScrollBar(bar, state);
  PositionOf(bar) = state.position;
  if (!m_view.Invalidate(std::nullopt, false)) throw TextError("InvalidateRect() failed.");
}

}  // namespace view
