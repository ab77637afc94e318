#include "admin/TagDocument.h"

#include <algorithm>

namespace admin {
namespace {

enum class Context { Outside, Document, Class, Object };

// The text between the first two double quotes, or between the last two.
std::string Quoted(const std::string& line, bool last) {
  size_t open = line.find('"');
  size_t close = open == std::string::npos ? open : line.find('"', open + 1);
  if (last && close != std::string::npos) {
    close = line.rfind('"');
    open = line.rfind('"', close - 1);
  }
  if (close == std::string::npos) return {};
  return line.substr(open + 1, close - open - 1);
}

// The text from just after from up to the first stop after it.
std::string Between(const std::string& line, size_t from, char stop) {
  const size_t end = line.find(stop, from);
  return line.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

template <class T>
const T* Named(const std::vector<T>& items, const std::string& name, std::string T::*field) {
  const auto found =
      std::find_if(items.begin(), items.end(), [&](const T& item) { return item.*field == name; });
  return found == items.end() ? nullptr : &*found;
}

}  // namespace

const TagAttribute* TagObject::Attribute(const std::string& tag) const {
  return Named(attributes, tag, &TagAttribute::tag);
}

const TagObject* TagClass::Object(const std::string& firstValue) const {
  return Named(objects, firstValue, &TagObject::firstValue);
}

const TagClass* TagDocument::Class(const std::string& name) const {
  return Named(m_classes, name, &TagClass::name);
}

std::string TagDocument::Parse(const std::string& text) {
  Context context = Context::Outside;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;

    if (context == Context::Outside) {
      if (line.find("<Document ") != std::string::npos) {
        m_docName = Quoted(line, false);
        context = Context::Document;
      }
      continue;
    }
    const size_t open = line.find('<');
    if (open == std::string::npos) continue;
    const bool closing = open + 1 < line.size() && line[open + 1] == '/';
    switch (context) {
      case Context::Document:
        if (closing) {
          context = Context::Outside;
        } else {
          if (m_classes.size() >= MAX_TAG_CLASSES) return "Too many classes.";
          m_classes.push_back({Between(line, open + 1, '>'), {}});
          context = Context::Class;
        }
        break;
      case Context::Class:
        if (closing) {
          context = Context::Document;
        } else {
          std::vector<TagObject>& objects = m_classes.back().objects;
          if (objects.size() >= MAX_TAG_OBJECTS) return "Too many objects.";
          objects.push_back({Quoted(line, false), Quoted(line, true), {}});
          context = Context::Object;
        }
        break;
      case Context::Object:
        if (closing) {
          context = Context::Class;
        } else {
          std::vector<TagAttribute>& attributes = m_classes.back().objects.back().attributes;
          if (attributes.size() >= MAX_TAG_ATTRIBUTES) return "Too many attributes.";
          const size_t textStart = line.find('>');
          const size_t textEnd = line.rfind('<');
          std::string between;
          if (textStart != std::string::npos && textEnd != std::string::npos && textEnd > textStart)
            between = line.substr(textStart + 1, textEnd - textStart - 1);
          attributes.push_back({Between(line, open + 1, ' '), Quoted(line, false), between});
        }
        break;
      case Context::Outside:
        break;
    }
  }
  if (m_docName.empty()) return "DocName not found.";
  if (context != Context::Outside)
    return "Ended in wrong context.  This means a block was not properly terminated with </...>";
  return {};
}

}  // namespace admin
