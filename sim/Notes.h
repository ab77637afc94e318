#pragma once
// The text of the desktop's Notes window, a plain editor whose caret stays at the end.

#include <string>
#include <vector>

namespace sim {

class Notes {
 public:
  explicit Notes(std::string text = {}) : m_text(std::move(text)) {}

  // One character as the editor takes it: '\b' removes the last character (a line end too),
  // '\n' starts a new line, '\t' and printable ASCII are added; anything else is ignored.
  void Type(char c);
  void Type(const std::string& text) {
    for (char c : text) Type(c);
  }

  const std::string& Text() const { return m_text; }

  // The text as the window shows it, `columns` characters wide: tabs stop every four
  // columns, long lines wrap, and the last line has room for the caret after it.
  std::vector<std::string> Lines(int columns) const;

 private:
  std::string m_text;
};

}  // namespace sim
