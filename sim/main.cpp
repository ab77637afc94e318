// orb-sim: parses the flags and runs the simulated unit, on TCP or on a serial line, until
// told to stop.

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "CommandLine.h"
#include "Log.h"
#include "ScreenChanges.h"
#include "SerialUnit.h"
#include "Unit.h"

namespace {
void WaitForStop(const sigset_t& stopSignals) {
  int signal = 0;
  sigwait(&stopSignals, &signal);
}

// The requests of --change-on-stdin, read on a thread of their own. That thread stays blocked
// on standard input until the program ends, so it is detached rather than joined.
void ReadChangesFromStdin(sim::UnitOptions& options) {
  auto queue = std::make_shared<sim::ScreenChangeQueue>();
  std::thread([queue] {
    for (std::string line; std::getline(std::cin, line);) {
      if (const auto change = sim::ParseScreenChange(line))
        queue->Push(*change);
      else
        sim::Warn("--change-on-stdin: '%s' is neither small nor full", line.c_str());
    }
  }).detach();
  options.nextScreenChange = [queue] { return queue->Next(); };
  // The steady clock is CLOCK_MONOTONIC, so a reader in another process can compare the time.
  options.onScreenChangeSent = [](sim::ScreenChange change, sim::Rgb colour,
                                  std::chrono::steady_clock::time_point left) {
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(left.time_since_epoch()).count();
    std::printf("CHANGE SENT %lld %s %02X%02X%02X\n", static_cast<long long>(micros),
                sim::ScreenChangeWord(change), colour.r, colour.g, colour.b);
    std::fflush(stdout);
  };
}
}  // namespace

int main(int argc, char** argv) {
  sim::CommandLine commandLine;
  try {
    commandLine = sim::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orb-sim: %s\n", e.what());
    return 2;
  }
  if (commandLine.help) {
    std::fputs(sim::HelpText().c_str(), stdout);
    return 0;
  }
  sim::SetVerbose(commandLine.options.verbose);

  // The unit's threads inherit this mask, so only sigwait below sees the signals.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  // A script or test that runs one viewer after another waits for the end line rather than
  // guess how long the unit takes to notice that the last one left.
  commandLine.options.onSessionStart = [] {
    std::puts("SESSION STARTED");
    std::fflush(stdout);
  };
  commandLine.options.onSessionEnd = [] {
    std::puts("SESSION ENDED");
    std::fflush(stdout);
  };
  if (commandLine.logKeys)
    commandLine.options.onKey = [](const sim::KeyEvent& key) {
      std::puts(sim::KeyLine(key).c_str());
      std::fflush(stdout);
    };
  if (commandLine.logMouse)
    commandLine.options.onMouse = [](const sim::MouseEvent& mouse) {
      std::puts(sim::MouseLine(mouse).c_str());
      std::fflush(stdout);
    };
  if (commandLine.logCommands)
    commandLine.options.onCommand = [](const std::string& line) {
      std::puts(line.c_str());
      std::fflush(stdout);
    };
  if (commandLine.changeOnStdin) ReadChangesFromStdin(commandLine.options);
  const sim::SerialOptions& serial = commandLine.options.serial;
  try {
    if (serial.Enabled()) {
      sim::SerialUnit unit(commandLine.options);
      const std::string path = unit.Start();
      std::printf("%s %s\n", serial.pty ? "PTY" : "SERIAL", path.c_str());
      std::fflush(stdout);
      WaitForStop(stopSignals);
    } else {
      sim::Unit unit(commandLine.options);
      std::printf("LISTENING %d\n", unit.Start());
      std::fflush(stdout);
      WaitForStop(stopSignals);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orb-sim: %s\n", e.what());
    return 1;
  }
  return 0;
}
