#pragma once
// The markup writer: indented elements, one tab per level, after a
// declaration. Values are written as they stand, so a value that would end
// its own attribute or element is refused rather than written broken.

#include <string>
#include <vector>

namespace admin::XML {

class Writer {
 public:
  void Declaration(const std::string& version, const std::string& encoding, bool standalone);
  void StartElement(const std::string& name, bool isInline = false);
  // "<name", left open for attributes.
  void OpenStartTag(const std::string& name);
  void Attribute(const std::string& name, const std::string& value);
  void CloseStartTag(bool isInline = false);
  void EndElement(bool isInline = false);
  void Text(const std::string& text);
  void TextLine(const std::string& text);

  const std::string& Output() const { return m_output; }

 private:
  void Indent();

  std::string m_output;
  std::vector<std::string> m_open;
  bool m_tagOpen = false;
};

}  // namespace admin::XML
