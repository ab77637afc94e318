#pragma once
// The assembled viewer whose current target is reached over a serial line:
// the scripted modem (or cable) on a pseudo-terminal, installed in the
// viewer's modems.ini under the given model.

#include <string>

#include "integration/ViewerHarness.h"
#include "support/ModemDatabaseText.h"
#include "support/ScriptedModem.h"

struct ModemViewer {
  explicit ModemViewer(const ModemScript& script, const std::string& model = TEST_MODEM,
                       bool pulse = false)
      : peer(script), viewer({"127.0.0.1:1"}) {
    WriteTestModemDatabase(viewer.dir.File("modems.ini"), peer.Path());
    settings::AddressEntry target("Unit", "5551234", "Color always", model, pulse, "");
    target.SaveToINI(viewer.core->Ini());
    viewer.connector->SelectUnit(0, "Unit");
  }

  ScriptedModem peer;
  ViewerHarness viewer;
};
