// tessaline-viewer: the viewer's window.
//
//   tessaline-viewer [-ConnectTo HOST[:PORT]] [-WindowPos L,T,W,H] [--ini FILE]
//   tessaline-viewer --help | --version

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "HelpFile.h"
#include "InstanceMarker.h"
#include "platform/TextError.h"
#include "settings/Branding.h"
#include "settings/CommandLine.h"
#include "settings/VersionInfo.h"
#include "ui/ViewerWindow.h"

namespace {

constexpr const char* USAGE =
    "Usage: tessaline-viewer [-ConnectTo HOST[:PORT]] [-WindowPos L,T,W,H] [--ini FILE]\n"
    "Shows the screen of a computer beside a KVM-over-IP unit, passes keyboard and mouse\n"
    "to it, and administers the unit.\n"
    "\n"
    "  -ConnectTo HOST[:PORT]  connect at once to the unit at HOST (port 5678 unless given);\n"
    "                          the menu bar is left out for the run\n"
    "  -WindowPos L,T,W,H      place the main window, kept on the screen\n"
    "  --ini FILE              settings file (default Remote.ini in the working directory)\n"
    "  --help                  show this text and exit\n"
    "  --version               show the viewer's version and exit\n"
    "\n"
    "Options match exactly and case-sensitively. Pass-through mode gives keyboard and mouse\n"
    "to the remote computer: enter it with a left click in the view, leave it with the\n"
    "hotkey or the mouse gestures set under Settings.\n"
    "\n"
    "RepaintDelayMS (MISC section of the settings file, 0 to 1000, default 101; also\n"
    "\"Paint changes after\" on the GENERAL page) is how old a change of the remote screen\n"
    "must be before it is painted. Lower follows the unit more closely but paints a burst\n"
    "of changes more often; 0 paints each change as soon as it has been decoded.\n";

bool Has(const std::vector<std::string>& args, const char* option) {
  return std::find(args.begin() + 1, args.end(), option) != args.end();
}

}  // namespace

int main(int argc, char** argv) {
  // Read before Qt takes its own options out of argv.
  const std::vector<std::string> args(argv, argv + argc);
  // Answered without a display, so that scripts and man pages can ask.
  if (Has(args, "--help")) {
    std::fputs(USAGE, stdout);
    return 0;
  }
  if (Has(args, "--version")) {
    const settings::Branding branding = settings::ReadBranding();
    std::printf("tessaline-viewer %s\n",
                settings::ViewerVersionString(branding.viewerPrefix).c_str());
    return 0;
  }
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
