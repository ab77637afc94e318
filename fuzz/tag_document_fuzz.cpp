// The line tag reader on any text: it stops at its capacities with their
// messages and never holds more than they allow.

#include "FuzzSupport.h"
#include "admin/TagDocument.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallFormattingSink();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  admin::TagDocument document;
  const std::string result = document.Parse(std::string(reinterpret_cast<const char*>(data), size));
  fuzz::Require(document.Classes().size() <= admin::MAX_TAG_CLASSES, "too many classes held");
  for (const admin::TagClass& tagClass : document.Classes()) {
    fuzz::Require(tagClass.objects.size() <= admin::MAX_TAG_OBJECTS, "too many objects held");
    for (const admin::TagObject& object : tagClass.objects)
      fuzz::Require(object.attributes.size() <= admin::MAX_TAG_ATTRIBUTES,
                    "too many attributes held");
  }
  fuzz::Require(!result.empty() || !document.DocName().empty(), "success without a name");
  return 0;
}
