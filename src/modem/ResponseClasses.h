#pragma once
// A modem's table of answers: for each class 0 to 29 (the platform's modem
// response types) the answer texts of that class, each kept between two
// delimiters of two grave accents, as one list text.

#include <array>
#include <string>
#include <string_view>

namespace modem {

inline constexpr int RESPONSE_CLASS_COUNT = 30;
inline constexpr int CLASS_OK = 0;
inline constexpr int CLASS_PROGRESS = 1;
inline constexpr int CLASS_CONNECT = 2;
inline constexpr int CLASS_ERROR = 3;
inline constexpr int CLASS_NO_CARRIER = 4;
inline constexpr int CLASS_NO_DIAL_TONE = 5;
inline constexpr int CLASS_BUSY = 6;
inline constexpr int CLASS_NO_ANSWER = 7;
inline constexpr int CLASS_RING = 8;
inline constexpr int CLASS_BLACKLISTED = 28;
inline constexpr int CLASS_DELAYED = 29;

// "<cr>" becomes the character 13 and "<lf>" the character 10.
std::string ExpandLineEnds(std::string_view text);

class ResponseClasses {
 public:
  ResponseClasses();

  // The class's name; empty for the classes 9 to 27, which have none.
  const std::string& Name(int responseClass) const;
  const std::string& List(int responseClass) const;
  // Adds one answer to its class; false for a class outside 0 to 29.
  bool Add(std::string_view answer, int responseClass);
  // Whether the answer is one of the class's: the delimited answer occurs in
  // the list; failing that, the answer's last line, without its line ends,
  // equals an entry's (modems differ in the line ends around their codes).
  // An answer of line ends and blanks alone is in no class.
  bool Contains(int responseClass, std::string_view answer) const;
  // The first named class (0 to 8, 28, 29) holding the answer, or -1.
  int Classify(std::string_view answer) const;

 private:
  std::array<std::string, RESPONSE_CLASS_COUNT> m_names;
  std::array<std::string, RESPONSE_CLASS_COUNT> m_lists;
};

}  // namespace modem
