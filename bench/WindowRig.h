#pragma once
// The real window as an operator meets it, for the benchmarks that measure it:
// a private X server (Xvfb) a little larger than the unit's screen, orb-sim on
// loopback, and tessaline-viewer connected to it from a settings file written
// beforehand, so that it logs in without a dialog and shows the picture one
// to one.

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchProcess.h"
#include "settings/IniFile.h"
#include "settings/MiscSettings.h"
#include "settings/TempDir.h"
#include "support/XSession.h"

namespace bench {

inline constexpr int STARTUP_WAIT_MS = 30000;
// Room around the unit's picture for the window's frame, menu and status bar.
inline constexpr int SCREEN_MARGIN = 300;

struct RigSetup {
  int width = 1024;  // the unit's screen
  int height = 768;
  int cipher = 11;  // orb-sim --encryption: 11 plain, 13 Blowfish
  int repaintDelayMs = settings::REPAINT_DELAY_DEFAULT_MS;
  std::vector<std::string> simFlags;  // added to those the rig gives
};

inline std::string BinPath(const std::string& program) {
  return std::string(ORB_BIN_DIR) + "/" + program;
}

// orb-sim on a free loopback port, its standard input and output on pipes; file names in
// its flags are taken in the working directory.
class SimUnit {
 public:
  SimUnit(const std::vector<std::string>& flags, const std::string& workingDirectory) {
    std::vector<std::string> args = {BinPath("orb-sim"), "--listen", "127.0.0.1:0"};
    args.insert(args.end(), flags.begin(), flags.end());
    m_process =
        std::make_unique<BenchProcess>(args, BenchProcess::Setup{{}, workingDirectory, true, true});
    const auto said = m_process->WaitForLine("LISTENING ", STARTUP_WAIT_MS);
    if (!said) throw std::runtime_error("orb-sim did not start (see its standard error)");
    m_address = "127.0.0.1:" + said->substr(10);
  }
  BenchProcess& Process() { return *m_process; }
  const std::string& Address() const { return m_address; }

 private:
  std::unique_ptr<BenchProcess> m_process;
  std::string m_address;
};

// Logs in as the unit's administrator without a dialog, with the repaint delay given. The
// window fits itself to the unit's picture (AUTO_SIZE), so it shows it one to one.
inline void WriteViewerSettings(const std::string& iniPath, int repaintDelayMs) {
  settings::IniFile ini(iniPath);
  settings::WriteFirstRunDefaults(ini);
  settings::WriteMisc(ini, "TEACH_PASSTHRU_EXIT_KEYS", "0");
  settings::WriteMisc(ini, "TEACH_FULLSCREEN_EXIT_KEYS", "0");
  settings::WriteMisc(ini, "UserID", "admin");
  settings::WriteMisc(ini, "Password", "admin");
  settings::WriteMiscFlag(ini, "AUTO_SIZE", true);
  settings::WriteMiscNumber(ini, "RepaintDelayMS", repaintDelayMs);
}

class WindowRig {
 public:
  explicit WindowRig(const RigSetup& setup) : m_setup(setup) {
    const std::optional<std::string> xvfb = FindXvfb();
    if (!xvfb) throw std::runtime_error("Xvfb is not installed (scripts/deps.sh installs it)");
    m_x = std::make_unique<XSession>(*xvfb, setup.width + SCREEN_MARGIN,
                                     setup.height + SCREEN_MARGIN);
    std::vector<std::string> flags = {
        "--screen",         std::to_string(setup.width) + "x" + std::to_string(setup.height),
        "--encryption",     std::to_string(setup.cipher),
        "--no-fill-square", "--log-commands"};
    flags.insert(flags.end(), setup.simFlags.begin(), setup.simFlags.end());
    m_sim = std::make_unique<SimUnit>(flags, m_dir.Path().string());
    WriteViewerSettings(m_dir.File("Remote.ini"), setup.repaintDelayMs);
    m_viewer = std::make_unique<BenchProcess>(
        std::vector<std::string>{BinPath("tessaline-viewer"), "-ConnectTo", m_sim->Address(),
                                 "-WindowPos", "0,0,640,480", "--ini", m_dir.File("Remote.ini")},
        BenchProcess::Setup{{"DISPLAY=" + m_x->Name(), "QT_QPA_PLATFORM=xcb"},
                            m_dir.Path().string()});
    if (!m_sim->Process().WaitForLine("SESSION STARTED", STARTUP_WAIT_MS))
      throw std::runtime_error("the viewer did not connect to orb-sim");
  }

  const RigSetup& Setup() const { return m_setup; }
  XSession& X() { return *m_x; }
  BenchProcess& Sim() { return m_sim->Process(); }
  BenchProcess& Viewer() { return *m_viewer; }
  const TempDir& Dir() const { return m_dir; }

 private:
  RigSetup m_setup;
  TempDir m_dir;  // also the working directory of orb-sim and the viewer
  std::unique_ptr<XSession> m_x;
  std::unique_ptr<SimUnit> m_sim;
  std::unique_ptr<BenchProcess> m_viewer;
};

}  // namespace bench
