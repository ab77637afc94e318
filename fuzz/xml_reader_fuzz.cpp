// The markup reader and the configuration document on any bytes. A fault is
// only ever a ParseException with a known code and a position inside the
// input; a document that reads is written and read back to the same document.

#include "FuzzSupport.h"
#include "admin/ConfigDocument.h"
#include "admin/XmlBinding.h"
#include "admin/XmlReader.h"
#include "platform/TextError.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallFormattingSink();
  return 0;
}

namespace {

void ReadEvents(const uint8_t* data, size_t size) {
  auto reader = admin::XML::Reader::FromMemory(data, size);
  try {
    while (reader.Next().kind != admin::XML::Event::Kind::End) {
    }
  } catch (const admin::XML::ParseException& e) {
    fuzz::Require(e.Code() >= 1 && e.Code() <= 3, "unknown error code");
    fuzz::Require(e.Line() >= 1, "line 0");
    fuzz::Require(e.BytesRead() <= size, "fault past the input");
  }
}

void Bind(const uint8_t* data, size_t size) {
  int32_t number = 0;
  bool flag = false;
  std::string name;
  int32_t choice = -1;
  double gain = 0;
  const admin::XML::Rows rows = {admin::XML::Nested(
      "Config", {admin::XML::Integer("N", number, 1, 10), admin::XML::Boolean("Flag", flag),
                 admin::XML::String("name", name, 9).Attribute(),
                 admin::XML::Enumeration("Mode", choice, {"off", "on"}),
                 admin::XML::Double("Gain", gain, 0, 2),
                 admin::XML::Nested("Inner", {admin::XML::Integer("N", number, 1, 10)})})};
  try {
    admin::XML::Reader::FromMemory(data, size).Parse(rows);
  } catch (const admin::XML::ParseException&) {
    return;
  }
  fuzz::Require(number >= 0 && number <= 10, "integer outside its limits");
  fuzz::Require(name.size() <= 8, "string longer than its field");
  fuzz::Require(choice >= -1 && choice <= 1, "enumeration outside its names");
  fuzz::Require(gain >= 0 && gain <= 2, "double outside its limits");
}

void RoundTrip(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  admin::ConfigDocument document;
  std::string written;
  try {
    document = admin::ConfigDocument::FillFromString(text);
    written = document.ToString();
  } catch (const TextError&) {
    return;
  }
  fuzz::Require(admin::ConfigDocument::FillFromString(written) == document,
                "a written document reads back different");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadEvents(data, size);
  Bind(data, size);
  RoundTrip(data, size);
  return 0;
}
