#include "modem/AnswerReader.h"

namespace modem {

std::string_view StripEcho(std::string_view answer, std::string_view command) {
  if (!command.empty() && answer.substr(0, command.size()) == command)
    answer.remove_prefix(command.size());
  return answer;
}

int JudgeAnswer(const ResponseClasses& classes, std::string_view command, std::string_view answer,
                int expectedClass) {
  if (answer.empty()) return 0;
  return classes.Contains(expectedClass, StripEcho(answer, command)) ? 1 : -1;
}

bool ExpectMatch::Feed(uint8_t byte) {
  if (m_matched >= m_text.size()) return true;
  if (static_cast<char>(byte) == m_text[m_matched])
    ++m_matched;
  else
    m_matched = 0;
  return m_matched == m_text.size();
}

}  // namespace modem
