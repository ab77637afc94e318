#pragma once
// The modem engine on one end of a pseudo-terminal, with the test's scripted
// modem on the other, settings and modem database in a fresh directory.

#include <memory>
#include <string>

#include "modem/Modem.h"
#include "modem/ModemDatabase.h"
#include "modem/ModemSettings.h"
#include "platform/StopSignal.h"
#include "settings/IniFile.h"
#include "settings/TempDir.h"
#include "support/ModemDatabaseText.h"
#include "support/ScriptedModem.h"

struct ModemOnPty {
  explicit ModemOnPty(ModemScript script, const char* model = TEST_MODEM)
      : peer(std::move(script)), ini(dir.File("Remote.ini")) {
    WriteTestModemDatabase(dir.File("modems.ini"), peer.Path());
    modem::ModemDatabase database(modem::ModemDatabase::PathBeside(ini.Path()), ini);
    engine = std::make_unique<modem::Modem>(database.Find(model), modem::ReadModemTimings(ini),
                                             ini, stop);
  }
  bool Open() {
    std::string error;
    return engine->Line().OpenPort(error);
  }

  TempDir dir;
  ScriptedModem peer;
  settings::IniFile ini;
  platform::StopSignal stop;
  std::unique_ptr<modem::Modem> engine;
};
