// tessaline-viewer: the viewer's window.
//
//   tessaline-viewer [-ConnectTo HOST[:PORT]] [-WindowPos L,T,W,H] [--ini FILE]

#include <QApplication>
#include <string>
#include <vector>

#include "HelpFile.h"
#include "InstanceMarker.h"
#include "platform/TextError.h"
#include "settings/Branding.h"
#include "settings/CommandLine.h"
#include "settings/VersionInfo.h"
#include "ui/ViewerWindow.h"

int main(int argc, char** argv) {
  // Read before Qt takes its own options out of argv.
  const std::vector<std::string> args(argv, argv + argc);
  const viewer::InstanceMarker marker;
  QApplication app(argc, argv);

  const settings::ViewerCommandLine line = settings::ParseViewerCommandLine(args);
  const settings::Branding branding = settings::ReadBranding();
  ui::ViewerWindowSetup setup;
  setup.iniPath = line.iniPath;
  setup.productName = branding.productName;
  setup.viewerVersion = settings::ViewerVersionString(branding.viewerPrefix);
  setup.webPage = branding.productWebPage;
  setup.switchModels = branding.switchNames;
  setup.helpFile = viewer::FindHelpFile(QCoreApplication::applicationDirPath().toStdString());
  setup.connectTo = line.connectTo;
  setup.windowPos = line.windowPos;
  try {
    ui::ViewerWindow window(setup);
    window.Show();
    return app.exec();
  } catch (const TextError& e) {
    ui::QtDialogs(nullptr).ShowError("The system is unable to set up the main window for the KVM.",
                                     e.Text());
    return 1;
  }
}
