#pragma once
// The reader's schema: each row binds one element or attribute to a field,
// converting its text by the row's kind. Limits are checked, never overrun: a
// text longer than its field or the kind's buffer is an invalid value.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace admin::XML {

enum class Kind { Integer, Float, Double, String, Boolean, Enumeration, Nested };

struct Row;
using Rows = std::vector<Row>;

struct Row {
  Kind kind = Kind::String;
  std::string name;
  bool isAttribute = false;
  // The most characters the text may have.
  size_t limit = 0;
  // Converts the text into the field.
  std::function<void(const std::string& text)> store;
  // For Nested: the child element's rows.
  Rows children;

  // The same row, bound to an attribute of its element.
  Row Attribute() const;
};

// Leading-integer conversion; clamped into [minimum, maximum] when either is given.
Row Integer(std::string name, int32_t& field, std::optional<int32_t> minimum = std::nullopt,
            std::optional<int32_t> maximum = std::nullopt);
Row Float(std::string name, float& field, std::optional<float> minimum = std::nullopt,
          std::optional<float> maximum = std::nullopt);
Row Double(std::string name, double& field, double minimum, double maximum);
// fieldSize counts the terminating zero of the unit's own layout.
Row String(std::string name, std::string& field, size_t fieldSize);
// True only for "True" and "true".
Row Boolean(std::string name, bool& field);
// The index of the first equal name; no match leaves the field as it was.
Row Enumeration(std::string name, int32_t& field, std::vector<std::string> names);
Row Nested(std::string name, Rows children);

}  // namespace admin::XML
