#include "admin/XmlWriter.h"

#include "platform/TextError.h"

namespace admin::XML {

void Writer::Indent() { m_output.append(m_open.size(), '\t'); }

void Writer::Declaration(const std::string& version, const std::string& encoding, bool standalone) {
  m_output += "<?xml version=\"" + version + "\" encoding=\"" + encoding + "\" standalone=\"" +
              (standalone ? "yes" : "no") + "\"?>\n";
}

void Writer::StartElement(const std::string& name, bool isInline) {
  OpenStartTag(name);
  CloseStartTag(isInline);
}

void Writer::OpenStartTag(const std::string& name) {
  Indent();
  m_output += "<" + name;
  m_open.push_back(name);
  m_tagOpen = true;
}

void Writer::Attribute(const std::string& name, const std::string& value) {
  if (!m_tagOpen) throw TextError("No start tag is open for the attribute " + name + ".");
  if (value.find_first_of("\"\0", 0, 2) != std::string::npos)
    throw TextError("The value of " + name + " holds a double quote and cannot be written.");
  m_output += " " + name + "=\"" + value + "\"";
}

void Writer::CloseStartTag(bool isInline) {
  m_output += isInline ? ">" : ">\n";
  m_tagOpen = false;
}

void Writer::EndElement(bool isInline) {
  if (m_open.empty()) throw TextError("No element is open to end.");
  const std::string name = m_open.back();
  m_open.pop_back();
  if (!isInline) Indent();
  m_output += "</" + name + ">\n";
}

void Writer::Text(const std::string& text) {
  if (text.find_first_of("<\0", 0, 2) != std::string::npos)
    throw TextError("The text '" + text.substr(0, text.find('\0')) +
                    "' holds a '<' and cannot be written.");
  m_output += text;
}

void Writer::TextLine(const std::string& text) {
  Text(text);
  m_output += "\n";
}

}  // namespace admin::XML
