#include "settings/LeadingInt.h"

#include <charconv>
#include <climits>

namespace settings {

int LeadingInt(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  long long value = 0;
  const char* first = text.data() + at;
  const char* last = text.data() + text.size();
  // Digits only: from_chars would accept a second sign.
  if (first == last || *first < '0' || *first > '9') return 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error == std::errc::result_out_of_range) return negative ? INT_MIN : INT_MAX;
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace settings
