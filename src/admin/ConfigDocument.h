#pragma once
// The unit's configuration document: its serial ports, the devices that can
// be attached to them and their properties, read from and written to the
// markup the unit exchanges. Whatever the viewer does not understand travels
// through unchanged, so a document sent back is the one that came plus the
// operator's edits.

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace admin {

using ExtraAttributes = std::vector<std::pair<std::string, std::string>>;

struct ConfigProperty {
  std::string name;
  std::string value;
  // "0" shows the value only, "1" a text, "2" a number within Min and Max,
  // "3" a choice among the choices.
  std::string edit = "0";
  int32_t minimum = 0;
  int32_t maximum = 0;
  std::vector<std::string> choices;
  ExtraAttributes extra;
  bool operator==(const ConfigProperty&) const = default;
};

struct ConfigObject {
  std::string kind;
  std::string name;
  std::string type;
  std::string longName;
  bool hasLongName = false;
  ExtraAttributes extra;
  std::vector<ConfigProperty> properties;

  const ConfigProperty* Property(const std::string& propertyName) const;
  bool operator==(const ConfigObject&) const = default;
};

// The sections in document order, each with the kind of its objects.
inline constexpr std::array<std::pair<const char*, const char*>, 4> CONFIG_SECTIONS = {{
    {"PORTS", "PORT"},
    {"DEVICES", "DEVICE"},
    {"PROPERTIES", "PROPERTY"},
    {"HELPSECTION", "HELP"},
}};

class ConfigDocument {
 public:
  // Builds the document from its markup; throws "Error in FillFromString()\n"
  // and the cause (a reader fault shows its line and column).
  static ConfigDocument FillFromString(const std::string& text);
  std::string ToString() const;

  // Throws "Can't open" with the name.
  static ConfigDocument LoadFromFile(const std::string& fileName);
  // CR LF line ends, as every local file.
  void SaveToFile(const std::string& fileName) const;

  const std::string& Name() const { return m_name; }
  bool Save() const { return m_save; }
  const std::vector<ConfigObject>& Objects(const std::string& kind) const;
  // Null when there is none of that name.
  const ConfigObject* Find(const std::string& kind, const std::string& name) const;
  // The device types the port takes: DevType1, DevType2, ... up to the first missing.
  std::vector<std::string> AcceptedTypes(const std::string& port) const;
  bool Accepts(const std::string& port, const std::string& device) const;
  // The port the device is installed on; empty when none.
  std::string InstalledOn(const std::string& device) const;

  // Installs the device on the port (leaving any other port); throws when
  // either is unknown or the port does not take the device's type.
  void Install(const std::string& device, const std::string& port);
  void Uninstall(const std::string& device);
  // Edits one property within its editor's rules; throws the rule broken.
  void SetProperty(const std::string& kind, const std::string& object, const std::string& property,
                   const std::string& value);

  bool operator==(const ConfigDocument&) const = default;

 private:
  std::vector<ConfigObject>& Section(const std::string& kind);
  ConfigObject& Require(const std::string& kind, const std::string& name);

  std::string m_name = "ORB 1.0";
  bool m_save = false;
  std::array<std::vector<ConfigObject>, CONFIG_SECTIONS.size()> m_sections;
};

}  // namespace admin
