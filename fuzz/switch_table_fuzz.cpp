// The switch table reader on any text. A table that loads is written with LF
// and with CR LF, and each reads back to the same rows and type.

#include "FuzzSupport.h"
#include "admin/SwitchSettings.h"
#include "platform/TextError.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallFormattingSink();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const admin::SwitchModelNames models = {"Four Port", "Eight Port", "demo"};
  admin::SwitchSettings table(models);
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (!table.LoadGridFromString(text, "fuzz").empty()) {
    fuzz::Require(table.Rows().empty(), "a refused text changed the table");
    return 0;
  }
  for (const bool useLF : {true, false}) {
    admin::SwitchSettings back(models);
    fuzz::Require(back.LoadGridFromString(table.TableToString(useLF), "back").empty(),
                  "a written table does not load");
    fuzz::Require(back.Rows() == table.Rows(), "rows differ after writing");
    fuzz::Require(back.Type() == table.Type(), "type differs after writing");
  }
  return 0;
}
