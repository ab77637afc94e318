#pragma once
// The names a reseller may put on the viewer, read from "Company Products.txt"
// in the working directory at start-up: lines of key=value.

#include <array>
#include <string>

namespace settings {

struct Branding {
  std::string companyName = "Quil Electronics";
  std::string productName = "Tessaline";
  std::string productWebPage = "https://tessaline.example/";
  std::string viewerPrefix = "TSV";
  std::array<std::string, 3> switchNames = {"Tessaline 4-Port Switch", "Tessaline 8-Port Switch",
                                            "Tessaline 16-Port Switch"};
};

inline constexpr const char* BRANDING_FILE = "Company Products.txt";

// The branding from the file at path; a missing file gives the defaults.
Branding ReadBranding(const std::string& path = BRANDING_FILE);
// Applies one line of the file to the branding.
void ApplyBrandingLine(Branding& branding, const std::string& line);

}  // namespace settings
