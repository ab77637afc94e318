// The power strip profile reader on any text. The check and its notes agree,
// the notes put at the top of a text change nothing the check counts, the
// commands are never settings and never more than the limit, and a command's
// bytes or the serial settings either come out whole or fail with a text.

#include "FuzzSupport.h"
#include "admin/PowerSwitchFiles.h"
#include "admin/PowerSwitchProfile.h"
#include "platform/TextError.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallFormattingSink();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string notes = admin::RequiredFieldNotes(text);
  fuzz::Require(admin::HasRequiredFields(text) == notes.empty(), "check and notes disagree");
  fuzz::Require(admin::RequiredFieldNotes(notes + text) == notes, "the notes changed the check");
  const bool storable = admin::StoreProblem(text, [](int) { return false; }).empty();
  fuzz::Require(!storable || (notes.empty() && text.size() <= admin::MAX_PROFILE_CHARS),
                "a broken profile may be stored");

  const admin::ProfileCommands commands = admin::CommandsOf(text);
  fuzz::Require(commands.commands.size() <= admin::MAX_COMMANDS, "too many commands kept");
  for (const admin::ProfileEntry& command : commands.commands) {
    fuzz::Require(!admin::IsSettingName(command.name), "a setting taken for a command");
    try {
      const auto pieces = admin::CommandPieces(command.value);
      fuzz::Require(!pieces.empty() && pieces.size() <= admin::MAX_PIECES, "piece count");
      for (const std::string& piece : pieces)
        fuzz::Require(piece.size() <= command.value.size(), "unescaping grew the bytes");
    } catch (const TextError&) {
    }
  }
  try {
    const admin::SerialSettings settings = admin::SerialSettingsOf(text);
    fuzz::Require(admin::SerialOpenPayload(settings).size() == 16, "SERIAL_OPEN is 16 bytes");
    fuzz::Require(settings.parity <= 2 && settings.dataBits >= 5 && settings.dataBits <= 8,
                  "settings out of range");
  } catch (const TextError&) {
  }
  return 0;
}
