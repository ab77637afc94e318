#include "settings/Branding.h"

#include <fstream>
#include <string_view>

namespace settings {
namespace {

struct Key {
  std::string_view name;
  std::string Branding::*field;  // null for CompanySwitch, which carries an index
};

// Matched in this order; the first key found decides what the line sets.
constexpr Key KEYS[] = {
    {"CompanyName", &Branding::companyName},
    {"ProductName", &Branding::productName},
    {"ProductWebPage", &Branding::productWebPage},
    {"ViewerPrefix", &Branding::viewerPrefix},
    {"CompanySwitch", nullptr},
};

}  // namespace

void ApplyBrandingLine(Branding& branding, const std::string& line) {
  const size_t equals = line.find('=');
  if (equals == std::string::npos) return;
  // Keys are looked for before the "=" only: a value may well mention one.
  const std::string_view head = std::string_view(line).substr(0, equals);
  std::string value = line.substr(equals + 1);
  if (!value.empty() && value.back() == '\r') value.pop_back();

  for (const Key& key : KEYS) {
    const size_t at = head.find(key.name);
    if (at == std::string_view::npos) continue;
    if (key.field) {
      branding.*key.field = value;
      return;
    }
    std::string_view index = head.substr(at + key.name.size());
    while (!index.empty() && (index.front() == ' ' || index.front() == '\t'))
      index.remove_prefix(1);
    while (!index.empty() && (index.back() == ' ' || index.back() == '\t')) index.remove_suffix(1);
    if (index.size() == 1 && index[0] >= '0' && index[0] <= '2')
      branding.switchNames[index[0] - '0'] = value;
    return;
  }
}

Branding ReadBranding(const std::string& path) {
  Branding branding;
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) ApplyBrandingLine(branding, line);
  return branding;
}

}  // namespace settings
