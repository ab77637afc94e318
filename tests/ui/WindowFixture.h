#pragma once
// A viewer window's setup in a folder of its own, with its settings file at
// hand, for the window's offscreen tests.

#include <gtest/gtest.h>

#include <string>

#include "QtApp.h"
#include "settings/IniFile.h"
#include "settings/MiscSettings.h"
#include "settings/TempDir.h"
#include "ui/ViewerWindow.h"

// A window whose settings file lies in the folder, without a trace log.
inline ui::ViewerWindowSetup TestWindowSetup(const TempDir& dir) {
  TestApp();
  ui::ViewerWindowSetup setup;
  setup.iniPath = dir.File("Remote.ini");
  setup.productName = "Tessaline";
  setup.viewerVersion = "TSV1.00";
  setup.traceLog = false;
  return setup;
}

// A first run's settings with both teaching dialogs declined, so that a test
// against the unit meets no dialog it did not ask for.
inline void WriteQuietFirstRun(const std::string& iniPath) {
  settings::IniFile ini(iniPath);
  settings::WriteFirstRunDefaults(ini);
  settings::WriteMisc(ini, "TEACH_PASSTHRU_EXIT_KEYS", "0");
  settings::WriteMisc(ini, "TEACH_FULLSCREEN_EXIT_KEYS", "0");
}

class WindowFixture : public ::testing::Test {
 protected:
  std::string Misc(const char* key) {
    settings::IniFile ini(setup.iniPath);
    return settings::ReadMisc(ini, key);
  }
  void WriteMisc(const char* key, const char* value) {
    settings::IniFile ini(setup.iniPath);
    ASSERT_TRUE(settings::WriteMisc(ini, key, value));
  }

  TempDir dir;
  ui::ViewerWindowSetup setup = TestWindowSetup(dir);
};
