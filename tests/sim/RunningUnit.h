#pragma once
// The simulated unit, in-process on a free loopback port, for the length of a test.

#include "Unit.h"

struct RunningUnit {
  explicit RunningUnit(sim::UnitOptions options = {})
      : unit(WithFreePort(std::move(options))), port(unit.Start()) {}

  static sim::UnitOptions WithFreePort(sim::UnitOptions options) {
    options.listenHost = "127.0.0.1";
    options.listenPort = 0;
    return options;
  }

  sim::Unit unit;
  int port;
};
