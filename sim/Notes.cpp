#include "Notes.h"

#include <algorithm>

namespace sim {

namespace {
constexpr std::size_t TAB_STOP = 4;
}  // namespace

void Notes::Type(char c) {
  if (c == '\b') {
    if (!m_text.empty()) m_text.pop_back();
  } else if (c == '\n' || c == '\t' || (c >= ' ' && c <= '~')) {
    m_text += c;
  }
}

std::vector<std::string> Notes::Lines(int columns) const {
  const std::size_t width = static_cast<std::size_t>(std::max(columns, 1));
  std::vector<std::string> lines(1);
  auto put = [&](char c) {
    if (lines.back().size() == width) lines.emplace_back();
    lines.back() += c;
  };
  for (char c : m_text) {
    if (c == '\n') {
      lines.emplace_back();
    } else if (c == '\t') {
      // To the next stop, or to the end of a line too narrow to have one.
      do put(' ');
      while (lines.back().size() % TAB_STOP != 0 && lines.back().size() < width);
    } else {
      put(c);
    }
  }
  if (lines.back().size() == width) lines.emplace_back();
  return lines;
}

}  // namespace sim
