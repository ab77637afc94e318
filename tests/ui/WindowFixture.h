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

class WindowFixture : public ::testing::Test {
 protected:
  WindowFixture() {
    TestApp();
    setup.iniPath = dir.File("Remote.ini");
    setup.productName = "Tessaline";
    setup.viewerVersion = "TSV1.00";
    setup.traceLog = false;
  }

  std::string Misc(const char* key) {
    settings::IniFile ini(setup.iniPath);
    return settings::ReadMisc(ini, key);
  }
  void WriteMisc(const char* key, const char* value) {
    settings::IniFile ini(setup.iniPath);
    ASSERT_TRUE(settings::WriteMisc(ini, key, value));
  }

  TempDir dir;
  ui::ViewerWindowSetup setup;
};
