#include "admin/XmlBinding.h"

#include <algorithm>
#include <cstdlib>

namespace admin::XML {
namespace {

// The buffers the texts are read into, with room for their zero.
constexpr size_t NUMBER_TEXT = 40 - 1;
constexpr size_t LONG_TEXT = 80 - 1;

template <class T>
T Clamp(T value, std::optional<T> minimum, std::optional<T> maximum) {
  if (minimum && value < *minimum) value = *minimum;
  if (maximum && value > *maximum) value = *maximum;
  return value;
}

Row MakeRow(Kind kind, std::string name, size_t limit,
            std::function<void(const std::string&)> store) {
  Row row;
  row.kind = kind;
  row.name = std::move(name);
  row.limit = limit;
  row.store = std::move(store);
  return row;
}

}  // namespace

Row Row::Attribute() const {
  Row row = *this;
  row.isAttribute = true;
  return row;
}

Row Integer(std::string name, int32_t& field, std::optional<int32_t> minimum,
            std::optional<int32_t> maximum) {
  return MakeRow(Kind::Integer, std::move(name), NUMBER_TEXT,
                 [&field, minimum, maximum](const std::string& text) {
                   const long long value = std::strtoll(text.c_str(), nullptr, 10);
                   const long long bounded = std::clamp<long long>(value, INT32_MIN, INT32_MAX);
                   field = Clamp(static_cast<int32_t>(bounded), minimum, maximum);
                 });
}

Row Float(std::string name, float& field, std::optional<float> minimum,
          std::optional<float> maximum) {
  return MakeRow(Kind::Float, std::move(name), NUMBER_TEXT,
                 [&field, minimum, maximum](const std::string& text) {
                   field = Clamp(std::strtof(text.c_str(), nullptr), minimum, maximum);
                 });
}

Row Double(std::string name, double& field, double minimum, double maximum) {
  return MakeRow(Kind::Double, std::move(name), LONG_TEXT,
                 [&field, minimum, maximum](const std::string& text) {
                   field = std::clamp(std::strtod(text.c_str(), nullptr), minimum, maximum);
                 });
}

Row String(std::string name, std::string& field, size_t fieldSize) {
  const size_t limit = std::min(LONG_TEXT, fieldSize == 0 ? 0 : fieldSize - 1);
  return MakeRow(Kind::String, std::move(name), limit,
                 [&field](const std::string& text) { field = text; });
}

Row Boolean(std::string name, bool& field) {
  return MakeRow(Kind::Boolean, std::move(name), NUMBER_TEXT,
                 [&field](const std::string& text) { field = text == "True" || text == "true"; });
}

Row Enumeration(std::string name, int32_t& field, std::vector<std::string> names) {
  return MakeRow(Kind::Enumeration, std::move(name), NUMBER_TEXT,
                 [&field, names = std::move(names)](const std::string& text) {
                   const auto found = std::find(names.begin(), names.end(), text);
                   if (found != names.end()) field = static_cast<int32_t>(found - names.begin());
                 });
}

Row Nested(std::string name, Rows children) {
  Row row = MakeRow(Kind::Nested, std::move(name), 0, nullptr);
  row.children = std::move(children);
  return row;
}

}  // namespace admin::XML
