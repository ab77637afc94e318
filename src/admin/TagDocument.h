#pragma once
// A line-oriented reader of the configuration document in the form the
// markup writer produces (one element per line): the sections become
// classes, the objects theirs, and the property lines their attributes.
// Fixed capacities; a text past one stops with its message, never an overrun.

#include <cstddef>
#include <string>
#include <vector>

namespace admin {

inline constexpr size_t MAX_TAG_CLASSES = 20;
inline constexpr size_t MAX_TAG_OBJECTS = 100;
inline constexpr size_t MAX_TAG_ATTRIBUTES = 100;

struct TagAttribute {
  std::string tag;
  std::string value;
  std::string text;
};

struct TagObject {
  // The first and the last quoted value of the object's line.
  std::string firstValue;
  std::string lastValue;
  std::vector<TagAttribute> attributes;
  const TagAttribute* Attribute(const std::string& tag) const;
};

struct TagClass {
  std::string name;
  std::vector<TagObject> objects;
  const TagObject* Object(const std::string& firstValue) const;
};

class TagDocument {
 public:
  // Empty on success, else the reason; the document holds what was read.
  std::string Parse(const std::string& text);

  const std::string& DocName() const { return m_docName; }
  const std::vector<TagClass>& Classes() const { return m_classes; }
  const TagClass* Class(const std::string& name) const;

 private:
  std::string m_docName;
  std::vector<TagClass> m_classes;
};

}  // namespace admin
