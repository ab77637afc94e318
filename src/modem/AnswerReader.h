#pragma once
// Reading what a modem says: judging an answer against the class a command
// expects, and watching a byte stream for one text.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "modem/ResponseClasses.h"

namespace modem {

// The modem's echo of the command taken off the front of its answer.
std::string_view StripEcho(std::string_view answer, std::string_view command);

// 1 when the answer (its echo of command removed) is of the expected class,
// -1 when it is something else, 0 when nothing was read.
int JudgeAnswer(const ResponseClasses& classes, std::string_view command, std::string_view answer,
                int expectedClass);

// Watches bytes for a text. A byte that breaks a partial match starts the
// match over after it, without being tried as the text's first character
// again, as the modem engine always has.
class ExpectMatch {
 public:
  explicit ExpectMatch(std::string text) : m_text(std::move(text)) {}
  // True once the whole text has been seen.
  bool Feed(uint8_t byte);

 private:
  std::string m_text;
  size_t m_matched = 0;
};

}  // namespace modem
