#include "modem/ResponseClasses.h"

namespace modem {
namespace {

constexpr std::string_view DELIMITER = "``";

// The text without the line ends and blanks around it.
std::string_view Bare(std::string_view text) {
  const size_t first = text.find_first_not_of("\r\n ");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of("\r\n ");
  return text.substr(first, last - first + 1);
}

// The last line of an answer that holds any text: a modem's final result
// code follows its progress lines.
std::string_view LastLine(std::string_view answer) {
  answer = Bare(answer);
  const size_t end = answer.find_last_of("\r\n");
  return end == std::string_view::npos ? answer : Bare(answer.substr(end + 1));
}

bool HasBareEntry(const std::string& list, std::string_view line) {
  if (line.empty()) return false;
  size_t at = 0;
  while ((at = list.find(DELIMITER, at)) != std::string::npos) {
    const size_t start = at + DELIMITER.size();
    const size_t end = list.find(DELIMITER, start);
    if (end == std::string::npos) break;
    if (Bare(std::string_view(list).substr(start, end - start)) == line) return true;
    at = end + DELIMITER.size();
  }
  return false;
}

}  // namespace

std::string ExpandLineEnds(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 4, "<cr>") == 0) {
      result += '\r';
      i += 4;
    } else if (text.compare(i, 4, "<lf>") == 0) {
      result += '\n';
      i += 4;
    } else {
      result += text[i++];
    }
  }
  return result;
}

ResponseClasses::ResponseClasses() {
  m_names[CLASS_OK] = "Command succeeded Messages";
  m_names[CLASS_PROGRESS] = "Negotiation Progress Messages";
  m_names[CLASS_CONNECT] = "Connected in data mode Messages";
  m_names[CLASS_ERROR] = "Command failed Messages";
  m_names[CLASS_NO_CARRIER] = "No carrier messages";
  m_names[CLASS_NO_DIAL_TONE] = "No dial tone messages";
  m_names[CLASS_BUSY] = "Modem dialed was busy messages";
  m_names[CLASS_NO_ANSWER] = "Modem dialed did not answer messages";
  m_names[CLASS_RING] = "A call is ringing in messages";
  m_names[CLASS_BLACKLISTED] = "Blacklisted messages";
  m_names[CLASS_DELAYED] = "Delayed messages";
}

const std::string& ResponseClasses::Name(int responseClass) const {
  return m_names.at(static_cast<size_t>(responseClass));
}

const std::string& ResponseClasses::List(int responseClass) const {
  return m_lists.at(static_cast<size_t>(responseClass));
}

bool ResponseClasses::Add(std::string_view answer, int responseClass) {
  if (responseClass < 0 || responseClass >= RESPONSE_CLASS_COUNT) return false;
  std::string& list = m_lists[static_cast<size_t>(responseClass)];
  list.append(DELIMITER).append(answer).append(DELIMITER);
  return true;
}

bool ResponseClasses::Contains(int responseClass, std::string_view answer) const {
  if (responseClass < 0 || responseClass >= RESPONSE_CLASS_COUNT) return false;
  // Nothing said is no answer: between two entries' delimiters of a list an
  // empty answer would otherwise be found, and a lone echo taken for one.
  if (Bare(answer).empty()) return false;
  const std::string& list = m_lists[static_cast<size_t>(responseClass)];
  std::string delimited;
  delimited.append(DELIMITER).append(answer).append(DELIMITER);
  if (list.find(delimited) != std::string::npos) return true;
  return HasBareEntry(list, LastLine(answer));
}

int ResponseClasses::Classify(std::string_view answer) const {
  static constexpr int NAMED[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, CLASS_BLACKLISTED, CLASS_DELAYED};
  for (int responseClass : NAMED)
    if (Contains(responseClass, answer)) return responseClass;
  return -1;
}

}  // namespace modem
