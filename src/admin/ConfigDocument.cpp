#include "admin/ConfigDocument.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>

#include "admin/XmlReader.h"
#include "admin/XmlWriter.h"
#include "platform/TextError.h"

namespace admin {
namespace {

using XML::Event;

constexpr const char* CHOICE_EDIT = "3";
constexpr const char* NUMBER_EDIT = "2";
constexpr const char* SHOW_ONLY_EDIT = "0";

int32_t Number(const std::string& attribute, const std::string& text) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    throw TextError(attribute + " is no number: '" + text + "'");
  return value;
}

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
    pieces.push_back(text.substr(start, comma - start));
  pieces.push_back(text.substr(start));
  return pieces;
}

size_t SectionIndex(const std::string& name, bool byKind) {
  for (size_t i = 0; i < CONFIG_SECTIONS.size(); ++i)
    if (name == (byKind ? CONFIG_SECTIONS[i].second : CONFIG_SECTIONS[i].first)) return i;
  throw TextError("Unknown object type: " + name);
}

class DocumentReader {
 public:
  explicit DocumentReader(const std::string& text) : m_reader(XML::Reader::FromString(text)) {}

  void Read(std::string& name, bool& save,
            std::array<std::vector<ConfigObject>, CONFIG_SECTIONS.size()>& sections) {
    const Event root = Start();
    if (root.name != "Document") throw TextError("The root element is not Document.");
    for (const auto& [key, value] : root.attributes) {
      if (key == "name") name = value;
      if (key == "save") save = value == "yes";
    }
    for (Event event = Next(); event.kind != Event::Kind::EndElement; event = Next()) {
      const size_t section = SectionIndex(event.name, false);
      for (Event object = Next(); object.kind != Event::Kind::EndElement; object = Next()) {
        if (object.name != CONFIG_SECTIONS[section].second)
          throw TextError("Unknown object type: " + object.name);
        sections[section].push_back(ReadObject(object));
      }
    }
    if (m_reader.Next().kind != Event::Kind::End) throw TextError("Markup follows the document.");
  }

 private:
  // The next element start or end; text between elements is a fault.
  Event Next() {
    Event event = m_reader.Next();
    if (event.kind == Event::Kind::Text)
      throw TextError("Unexpected text in the document: '" + event.text + "'");
    if (event.kind == Event::Kind::End) throw TextError("The document ends too early.");
    return event;
  }
  Event Start() {
    Event event = Next();
    if (event.kind != Event::Kind::StartElement) throw TextError("An element is missing.");
    return event;
  }

  ConfigObject ReadObject(const Event& start) {
    ConfigObject object;
    object.kind = start.name;
    for (const auto& [key, value] : start.attributes) {
      if (key == "Name") {
        object.name = value;
      } else if (key == "Type") {
        object.type = value;
      } else if (key == "LongName") {
        object.longName = value;
        object.hasLongName = true;
      } else {
        object.extra.emplace_back(key, value);
      }
    }
    for (Event event = Next(); event.kind != Event::Kind::EndElement; event = Next())
      object.properties.push_back(ReadProperty(event));
    return object;
  }

  ConfigProperty ReadProperty(const Event& start) {
    ConfigProperty property;
    property.name = start.name;
    for (const auto& [key, value] : start.attributes) {
      if (key == "Edit")
        property.edit = value;
      else if (key == "Min")
        property.minimum = Number("Min", value);
      else if (key == "Max")
        property.maximum = Number("Max", value);
      else
        property.extra.emplace_back(key, value);
    }
    std::string text;
    for (Event event = m_reader.Next(); event.kind != Event::Kind::EndElement;
         event = m_reader.Next()) {
      if (event.kind != Event::Kind::Text)
        throw TextError("The property " + property.name + " holds an element.");
      text += event.text;
    }
    if (property.edit == CHOICE_EDIT) {
      std::vector<std::string> pieces = Split(text);
      property.value = pieces.front();
      property.choices.assign(pieces.begin() + 1, pieces.end());
    } else {
      property.value = text;
    }
    return property;
  }

  XML::Reader m_reader;
};

void WriteProperty(XML::Writer& writer, const ConfigProperty& property) {
  writer.OpenStartTag(property.name);
  writer.Attribute("Edit", property.edit);
  if (property.minimum != 0 || property.maximum != 0) {
    writer.Attribute("Min", std::to_string(property.minimum));
    writer.Attribute("Max", std::to_string(property.maximum));
  }
  for (const auto& [key, value] : property.extra) writer.Attribute(key, value);
  writer.CloseStartTag(true);
  std::string text = property.value;
  if (property.edit == CHOICE_EDIT) {
    // A comma in a choice would read back as two.
    for (const std::string& piece : property.choices) text += "," + piece;
    if (Split(text).size() != property.choices.size() + 1)
      throw TextError("A value or choice of " + property.name + " holds a comma.");
  }
  writer.Text(text);
  writer.EndElement(true);
}

}  // namespace

const ConfigProperty* ConfigObject::Property(const std::string& propertyName) const {
  const auto found = std::find_if(properties.begin(), properties.end(),
                                  [&](const ConfigProperty& p) { return p.name == propertyName; });
  return found == properties.end() ? nullptr : &*found;
}

ConfigDocument ConfigDocument::FillFromString(const std::string& text) {
  try {
    ConfigDocument document;
    // A text from the wire carries its terminating zero.
    DocumentReader(text.substr(0, text.find('\0')))
        .Read(document.m_name, document.m_save, document.m_sections);
    return document;
  } catch (const TextError& e) {
    throw TextError("Error in FillFromString()\n" + e.Text());
  }
}

std::string ConfigDocument::ToString() const {
  XML::Writer writer;
  writer.Declaration("1.0", "US-ASCII", true);
  writer.TextLine("");
  writer.OpenStartTag("Document");
  writer.Attribute("name", m_name);
  writer.Attribute("save", m_save ? "yes" : "no");
  writer.CloseStartTag();
  for (size_t i = 0; i < CONFIG_SECTIONS.size(); ++i) {
    writer.StartElement(CONFIG_SECTIONS[i].first);
    for (const ConfigObject& object : m_sections[i]) {
      writer.OpenStartTag(object.kind);
      writer.Attribute("Name", object.name);
      writer.Attribute("Type", object.type);
      if (object.hasLongName) writer.Attribute("LongName", object.longName);
      for (const auto& [key, value] : object.extra) writer.Attribute(key, value);
      writer.CloseStartTag();
      for (const ConfigProperty& property : object.properties) WriteProperty(writer, property);
      writer.EndElement();
    }
    writer.EndElement();
  }
  writer.EndElement();
  return writer.Output();
}

ConfigDocument ConfigDocument::LoadFromFile(const std::string& fileName) {
  std::ifstream file(fileName, std::ios::binary);
  if (!file) throw TextError("Can't open " + fileName);
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  return FillFromString(text);
}

void ConfigDocument::SaveToFile(const std::string& fileName) const {
  std::string text;
  for (char c : ToString()) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
  if (!file.write(text.data(), static_cast<std::streamsize>(text.size())) || !file.flush())
    throw TextError("Could not write the file " + fileName + ".");
}

const std::vector<ConfigObject>& ConfigDocument::Objects(const std::string& kind) const {
  return m_sections[SectionIndex(kind, true)];
}

std::vector<ConfigObject>& ConfigDocument::Section(const std::string& kind) {
  return m_sections[SectionIndex(kind, true)];
}

const ConfigObject* ConfigDocument::Find(const std::string& kind, const std::string& name) const {
  const std::vector<ConfigObject>& objects = Objects(kind);
  const auto found = std::find_if(objects.begin(), objects.end(),
                                  [&](const ConfigObject& o) { return o.name == name; });
  return found == objects.end() ? nullptr : &*found;
}

ConfigObject& ConfigDocument::Require(const std::string& kind, const std::string& name) {
  std::vector<ConfigObject>& objects = Section(kind);
  const auto found = std::find_if(objects.begin(), objects.end(),
                                  [&](const ConfigObject& o) { return o.name == name; });
  if (found == objects.end()) throw TextError("No " + kind + " named " + name + ".");
  return *found;
}

std::vector<std::string> ConfigDocument::AcceptedTypes(const std::string& port) const {
  std::vector<std::string> types;
  const ConfigObject* object = Find("PORT", port);
  if (!object) return types;
  for (int n = 1;; ++n) {
    const ConfigProperty* type = object->Property("DevType" + std::to_string(n));
    if (!type) return types;
    types.push_back(type->value);
  }
}

bool ConfigDocument::Accepts(const std::string& port, const std::string& device) const {
  const ConfigObject* object = Find("DEVICE", device);
  const std::vector<std::string> types = AcceptedTypes(port);
  return object && std::find(types.begin(), types.end(), object->type) != types.end();
}

std::string ConfigDocument::InstalledOn(const std::string& device) const {
  const ConfigObject* object = Find("DEVICE", device);
  const ConfigProperty* installed = object ? object->Property("Installed") : nullptr;
  return installed && installed->value != "None" ? installed->value : std::string();
}

void ConfigDocument::Install(const std::string& device, const std::string& port) {
  Require("PORT", port);
  ConfigObject& object = Require("DEVICE", device);
  if (!Accepts(port, device))
    throw TextError("The port " + port + " does not take the device " + device + ".");
  Uninstall(device);
  ConfigProperty installed;
  installed.name = "Installed";
  installed.value = port;
  installed.edit = SHOW_ONLY_EDIT;
  object.properties.push_back(std::move(installed));
}

void ConfigDocument::Uninstall(const std::string& device) {
  std::vector<ConfigProperty>& properties = Require("DEVICE", device).properties;
  std::erase_if(properties, [](const ConfigProperty& p) { return p.name == "Installed"; });
}

void ConfigDocument::SetProperty(const std::string& kind, const std::string& object,
                                 const std::string& property, const std::string& value) {
  std::vector<ConfigProperty>& properties = Require(kind, object).properties;
  const auto found = std::find_if(properties.begin(), properties.end(),
                                  [&](const ConfigProperty& p) { return p.name == property; });
  if (found == properties.end()) throw TextError(object + " has no property " + property + ".");
  if (found->edit == SHOW_ONLY_EDIT) throw TextError(property + " cannot be edited.");
  if (found->edit == NUMBER_EDIT) {
    const int32_t number = Number(property, value);
    if (number < found->minimum || number > found->maximum)
      throw TextError(property + " must be from " + std::to_string(found->minimum) + " to " +
                      std::to_string(found->maximum) + ".");
  }
  if (found->edit == CHOICE_EDIT &&
      std::find(found->choices.begin(), found->choices.end(), value) == found->choices.end())
    throw TextError(property + " must be one of its choices.");
  found->value = value;
}

}  // namespace admin
